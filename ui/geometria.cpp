#include "ui/geometria.h"

#include "ui/dialogos.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace tildora {

QRect RectTwips(const modelo::Rectangulo& r) {
    return QRect(Px(r.izquierda), Px(r.arriba), Px(r.ancho), Px(r.alto));
}

QRect Lugar(const modelo::Disposicion& disposicion, std::string_view nombre) {
    return RectTwips(disposicion.Buscar(nombre).value_or(modelo::Rectangulo{}));
}

QSize Tamano(const modelo::Disposicion& disposicion) {
    return QSize(Px(disposicion.ancho), Px(disposicion.alto));
}

namespace {

// Moves the window so that the frame it has now is centred; false when there
// is no screen to centre on.
bool Centrar(QWidget& ventana) {
    QScreen* pantalla = ventana.screen();
    if (pantalla == nullptr) {
        pantalla = QGuiApplication::primaryScreen();
    }
    if (pantalla == nullptr) {
        return false;
    }
    // The whole screen, task bars included, against the window's outer frame.
    const QRect todo = pantalla->geometry();
    QSize marco = ventana.size();
    if (const QWindow* nativa = ventana.windowHandle()) {
        marco = marco.grownBy(nativa->frameMargins());
    }
    constexpr double twips = modelo::kTwipsPorPixel;
    const int left =
        modelo::CoordenadaCentrada(double(todo.width()) * twips, double(marco.width()) * twips);
    const int top =
        modelo::CoordenadaCentrada(double(todo.height()) * twips, double(marco.height()) * twips);
    // move() places a top-level window's outer frame, which is what is wanted.
    ventana.move(todo.x() + Px(left), todo.y() + Px(top));
    return true;
}

// Most window managers put their frame round a window only when it first
// appears, so before that the frame counts as none and the window would sit
// off centre by half of it. This centres the window once more, the first
// time it is drawn, if by then it has a frame and has not been moved.
class RecentrarAlAparecer : public QObject {
public:
    RecentrarAlAparecer(QWidget& ventana, QWindow& nativa)
        : QObject(&nativa), m_ventana(ventana), m_posicion(ventana.geometry().topLeft()) {}

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Expose) {
            auto* nativa = static_cast<QWindow*>(objeto);
            if (nativa->isExposed()) {
                if (!nativa->frameMargins().isNull() &&
                    m_ventana.geometry().topLeft() == m_posicion) {
                    Centrar(m_ventana);
                }
                nativa->removeEventFilter(this);
                deleteLater();
            }
        }
        return false;
    }

private:
    QWidget& m_ventana;
    QPoint m_posicion;
};

} // namespace

void CentrarFormulario(QWidget& ventana) {
    // The frame is only known once the window exists in the window system, so
    // the window is created (not shown) first.
    if (ventana.isWindow()) {
        ventana.winId();
    }
    if (!Centrar(ventana)) {
        return; // no screen at all: nothing to centre on
    }
    QWindow* nativa = ventana.windowHandle();
    if (nativa != nullptr && !ventana.isVisible() && nativa->frameMargins().isNull()) {
        nativa->installEventFilter(new RecentrarAlAparecer(ventana, *nativa));
    }
    // Nothing to switch on for auto-redraw: Qt widgets keep a backing store and
    // repaint themselves from it whenever they are uncovered.
}

QFont FuenteVentana(bool negrita) {
    const QString msSansSerif = QStringLiteral("MS Sans Serif");
    QFont fuente;
    if (QFontDatabase::hasFamily(msSansSerif)) {
        fuente.setFamily(msSansSerif);
    } else {
        fuente = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        fuente.setStyleHint(QFont::SansSerif);
    }
    fuente.setPointSizeF(8.25);
    fuente.setBold(negrita);
    return fuente;
}

namespace {

// Whether the label's wrapped text fits its box in `fuente`. A word wider
// than the box would spill sideways, so the width is checked as well.
bool Cabe(const QLabel& etiqueta, const QFont& fuente) {
    const QRect caja = etiqueta.contentsRect();
    const QRect ocupado =
        QFontMetrics(fuente).boundingRect(QRect(0, 0, caja.width(), 0x7fff),
                                          Qt::TextWordWrap | etiqueta.alignment(), etiqueta.text());
    return ocupado.height() <= caja.height() && ocupado.width() <= caja.width();
}

} // namespace

void EncajarTexto(std::initializer_list<QLabel*> etiquetas) {
    if (etiquetas.size() == 0) {
        return;
    }
    const auto caben = [&](const QFont& fuente) {
        return std::all_of(etiquetas.begin(), etiquetas.end(),
                           [&](const QLabel* l) { return Cabe(*l, fuente); });
    };
    // From the window font, whatever an earlier fit left.
    QFont fuente = FuenteVentana((*etiquetas.begin())->font().bold());
    const auto poner = [&] {
        for (QLabel* l : etiquetas) {
            l->setFont(fuente);
        }
    };
    if (caben(fuente)) {
        poner();
        return;
    }
    // Narrower before smaller: a condensed face keeps the letters' height.
    for (const int anchura : {94, 88, 82, 76}) {
        fuente.setStretch(anchura);
        if (caben(fuente)) {
            poner();
            return;
        }
    }
    // Below two thirds of the size the text would no longer be readable; the
    // search stops there and keeps the smallest try.
    const qreal minimo = fuente.pointSizeF() * 2 / 3;
    while (fuente.pointSizeF() - 0.25 >= minimo && !caben(fuente)) {
        fuente.setPointSizeF(fuente.pointSizeF() - 0.25);
    }
    poner();
}

QLabel* CrearEtiqueta(QWidget* padre, const modelo::Disposicion& disposicion,
                      std::string_view nombre) {
    const modelo::Etiqueta& e = *disposicion.BuscarEtiqueta(nombre);
    auto* etiqueta = new QLabel(TextoQt(e.texto), padre);
    etiqueta->setObjectName(TextoQt(nombre));
    etiqueta->setGeometry(Lugar(disposicion, nombre));
    etiqueta->setFont(FuenteVentana(e.negrita));
    etiqueta->setWordWrap(true);
    etiqueta->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    etiqueta->setTextFormat(Qt::PlainText);
    etiqueta->setFocusPolicy(Qt::NoFocus);
    QPalette paleta = etiqueta->palette();
    paleta.setColor(QPalette::WindowText, ColorQt(e.color));
    etiqueta->setPalette(paleta);
    EncajarTexto({etiqueta});
    return etiqueta;
}

} // namespace tildora
