#pragma once

#include "modelos/disposicion.h"

#include <QString>
#include <QToolButton>
#include <span>
#include <string_view>

namespace tildora {

// The picture button `nombre` of the layout `disposicion`, placed where the
// layout puts it, showing its picture centred above its caption, with its
// tip. The blanks in a caption mean "one word a line": the words are
// stacked. An empty caption gives a picture-only button.
QToolButton* CrearBoton(QWidget* padre, const modelo::Disposicion& disposicion,
                        std::string_view nombre);

// The caption as it shows: its words one a line.
QString ApilarPalabras(const QString& leyenda);

// What assistive technology reads for each control of `ventana`, as the
// model's table gives it (modelos/disposicion.h).
void PonerLecturas(QWidget& ventana, std::span<const modelo::Lectura> lecturas);

} // namespace tildora
