#pragma once

// What the grid's cells show of a character, so that every one can be told
// apart: a character the font cannot draw, a control or one that shows
// nothing becomes a picture or a framed code, never an empty box; and what a
// cell's tip says of it.

#include "core/documento.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPalette;

namespace tildora {

// Whether the installed fonts, fallbacks included, have a glyph for `u`.
bool HayGlifo(const QFont& fuente, char32_t u);

// One piece of what a cell shows: text drawn as it is, or a short label
// drawn in a frame ("U+0081", "TAB").
struct PiezaCelda {
    QString texto;
    bool enmarcado = false;
    bool operator==(const PiezaCelda&) const = default;
};

// The wrong character of column 0, given by its key (`unicode`: the text is
// UTF-8 or UTF-16, see ClaveVisible): a control as its picture (its
// abbreviation framed when the font has no picture), an invisible character
// or one the font cannot draw as its framed code, any other as itself.
// `hayGlifo` says what the font can draw.
std::vector<PiezaCelda> PiezasCaracter(std::string_view clave, bool unicode,
                                       const std::function<bool(char32_t)>& hayGlifo);

// A replacement of column 1 (Windows-1252 bytes): the same, and blanks made
// visible (a space as ␣, a no-break space as ⍽), so that a blank answer
// never looks like no answer. Runs of plain text come as one piece.
std::vector<PiezaCelda> PiezasRespuesta(std::string_view bytes,
                                        const std::function<bool(char32_t)>& hayGlifo);

// The delete answer of column 1: its mark (textos::BorrarCelda), never
// empty and never a blank, the sign that leads it left out where the font
// cannot draw it.
std::vector<PiezaCelda> PiezasBorrado(const std::function<bool(char32_t)>& hayGlifo);

// The colour a proposal is drawn in, so that it cannot be taken for an answer
// remembered or typed: the palette's link colour where it reads on the cells'
// background (a contrast of 4.5 to 1 at least), else a blue that reads better
// there, light on a dark palette and dark on a light one.
QColor ColorPropuesta(const QPalette& paleta);
// The contrast ratio of two colours, as WCAG 2 defines it (1 to 21).
double Contraste(const QColor& a, const QColor& b);

// The font of column 0: larger than the window's, so that “ and ”, – and -
// can be told apart at any scale.
QFont FuenteErroneos(const QFont& base);

// The character's Unicode name, as ICU gives it ("LEFT DOUBLE QUOTATION
// MARK", "<control-0081>").
QString NombreUnicode(char32_t cp);

// A wrong character's tip: its name, its code (see DescripcionClave), how
// often it occurs and where it first stands.
QString ConsejoCaracter(const Hallazgo& hallazgo, bool unicode);

} // namespace tildora
