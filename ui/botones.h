#pragma once

#include <QString>
#include <QToolButton>
#include <string_view>

namespace tildora {

// A button that shows its picture centred above its caption. The blanks in a
// caption mean "one word a line": the words are stacked. An empty caption
// gives a picture-only button.
QToolButton* CrearBotonImagen(QWidget* padre, const QString& nombreObjeto, const QString& icono,
                              const QSize& tamanoIcono, const QString& leyenda);

// The caption as it shows: its words one a line.
QString ApilarPalabras(const QString& leyenda);

// What assistive technology says for a control: its name (caption or
// purpose) and what it is for, texts of core/textos.h.
void PonerAccesible(QWidget& control, std::string_view nombre, std::string_view descripcion);

} // namespace tildora
