#include "ui/botones.h"

#include "ui/dialogos.h"
#include "ui/geometria.h"

#include <QIcon>

namespace tildora {

QString ApilarPalabras(const QString& leyenda) {
    // The captions were laid out with runs of blanks so that each word fell on
    // its own line of a narrow button; stacking the words says that directly.
    return leyenda.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char('\n'));
}

QToolButton* CrearBoton(QWidget* padre, const modelo::Disposicion& disposicion,
                        std::string_view nombre) {
    const modelo::Boton& b = *disposicion.BuscarBoton(nombre);
    auto* boton = new QToolButton(padre);
    boton->setObjectName(TextoQt(nombre));
    boton->setFont(FuenteVentana());
    boton->setIcon(QIcon(QStringLiteral(":/iconos/%1.svg").arg(TextoQt(b.imagen))));
    boton->setIconSize(QSize(b.anchoImagen, b.altoImagen));
    const QString texto = ApilarPalabras(TextoQt(b.leyenda));
    if (texto.isEmpty()) {
        boton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        boton->setText(texto);
        boton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    // Like any command button: it takes the focus from Tab and from a click.
    boton->setFocusPolicy(Qt::StrongFocus);
    boton->setGeometry(Lugar(disposicion, nombre));
    if (!b.consejo.empty()) {
        boton->setToolTip(TextoQt(b.consejo));
    }
    return boton;
}

void PonerLecturas(QWidget& ventana, std::span<const modelo::Lectura> lecturas) {
    for (const modelo::Lectura& l : lecturas) {
        auto* control = ventana.findChild<QWidget*>(TextoQt(l.control));
        if (!l.nombre.empty()) {
            control->setAccessibleName(TextoQt(l.nombre));
        }
        control->setAccessibleDescription(TextoQt(l.descripcion));
    }
}

} // namespace tildora
