#pragma once

#include "modelos/disposicion.h"

#include <QString>
#include <QToolButton>
#include <span>

namespace tildora {

// A button that shows its picture centred above its caption. The blanks in a
// caption mean "one word a line": the words are stacked. An empty caption
// gives a picture-only button.
QToolButton* CrearBotonImagen(QWidget* padre, const QString& nombreObjeto, const QString& icono,
                              const QSize& tamanoIcono, const QString& leyenda);

// The caption as it shows: its words one a line.
QString ApilarPalabras(const QString& leyenda);

// What assistive technology reads for each control of `ventana`, as the
// model's table gives it (modelos/disposicion.h).
void PonerLecturas(QWidget& ventana, std::span<const modelo::Lectura> lecturas);

} // namespace tildora
