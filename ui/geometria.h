#pragma once

#include "modelos/disposicion.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <initializer_list>
#include <string_view>

class QLabel;
class QWidget;

namespace tildora {

// The layouts are in twips (modelos/disposicion.h); these give Qt's pixels.
using modelo::Px;
QRect RectTwips(const modelo::Rectangulo& r);
// The box of the control `nombre` in the layout `disposicion`, and the
// window's client size.
QRect Lugar(const modelo::Disposicion& disposicion, std::string_view nombre);
QSize Tamano(const modelo::Disposicion& disposicion);

// Names `control` `nombre` (when given; else it keeps the name it has) and
// places it where the layout `disposicion` puts the control of that name.
template <typename Control>
Control* Colocar(Control& control, const modelo::Disposicion& disposicion,
                 std::string_view nombre = {}) {
    if (!nombre.empty()) {
        control.setObjectName(QString::fromUtf8(nombre.data(), qsizetype(nombre.size())));
    }
    control.setGeometry(Lugar(disposicion, control.objectName().toStdString()));
    return &control;
}

// A colour of the models as Qt holds it, and back.
inline QColor ColorQt(modelo::Rgb c) {
    return QColor(c.rojo, c.verde, c.azul);
}
inline modelo::Rgb RgbDe(const QColor& c) {
    return modelo::Rgb{c.red(), c.green(), c.blue()};
}

// Moves a window so that its outer frame is centred on the whole screen
// (task bars ignored); its size is unchanged.
void CentrarFormulario(QWidget& ventana);

// "MS Sans Serif" 8.25 pt where installed, else the system's sans-serif at
// that size.
QFont FuenteVentana(bool negrita = false);

// Where the window font is wider than the one the layout was drawn for, a
// label's wrapped text may not fit its fixed box. This narrows the labels'
// font (condensed first, then smaller) just enough that each of them fits;
// labels that already fit keep their font. Labels given together (the Basque
// and the Spanish instructions) get one font, so they read at one size.
void EncajarTexto(std::initializer_list<QLabel*> etiquetas);

// The label `nombre` of the layout `disposicion`, where the layout puts it:
// plain text in the window font, centred, wrapped and fitted to its box.
QLabel* CrearEtiqueta(QWidget* padre, const modelo::Disposicion& disposicion,
                      std::string_view nombre);

} // namespace tildora
