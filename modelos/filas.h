#pragma once

// What the conversion window's cells show of a row, so that every character
// can be told apart: a character the font cannot draw, a control or one
// that shows nothing becomes a picture or a framed code, never an empty box,
// and a blank answer shows. Each face measures and draws the pieces; which
// glyphs its font has, it says through `hayGlifo`.

#include "core/documento.h"
#include "modelos/vista.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tildora::modelo {

// One piece of what a cell shows: text (UTF-8) drawn as it is, or a short
// label drawn in a frame ("U+0081", "TAB").
struct PiezaCelda {
    std::string texto;
    bool enmarcado = false;
    bool operator==(const PiezaCelda&) const = default;
};

// The wrong character of column 0, given by its key (`unicode`: the text is
// UTF-8 or UTF-16, see ClaveVisible): a control as its picture (its
// abbreviation framed when the font has no picture), an invisible character
// or one the font cannot draw as its framed code, any other as itself.
std::vector<PiezaCelda> PiezasCaracter(std::string_view clave, bool unicode,
                                       const std::function<bool(char32_t)>& hayGlifo);

// A replacement of column 1 (Windows-1252 bytes): the same, and blanks made
// visible (a space as ␣, a no-break space as ⍽), so that a blank answer
// never looks like no answer. Runs of plain text come as one piece.
std::vector<PiezaCelda> PiezasRespuesta(std::string_view bytes,
                                        const std::function<bool(char32_t)>& hayGlifo);

// Where each of a cell's pieces, `anchos` wide, starts when they are
// centred as a whole on `centro`, piece after piece.
std::vector<double> IzquierdasCentradas(const std::vector<double>& anchos, double centro);

// What column 0 says of its character beside it, so that a look-alike of an
// allowed letter (Greek Ε, Cyrillic А, fullwidth Ｅ) is told apart at a
// glance, without a tip: its code as the command line's `check` writes it
// (CodigoClave: "231", "U+0395") and how often the text holds it ("×12").
std::string DetalleFila(const Hallazgo& hallazgo);

// Where column 0's pieces (`anchos` wide) and its detail (`anchoDetalle`
// wide) start in a cell from `izquierda`, `ancho` wide: the detail against
// the right edge less `margen`, the pieces centred as a whole on the middle
// of what is left of the cell; without a detail (0 wide), or when it does
// not fit beside the pieces, the pieces centred on the whole cell and the
// detail left out (its place is then the cell's right edge). The pieces'
// starts come first, the detail's last.
std::vector<double> LugaresCeldaClave(const std::vector<double>& anchos, double anchoDetalle,
                                      double izquierda, double ancho, double margen);

// A Windows-1252 byte that the text view and the grid draw as a framed
// label of its own: a control (a lone LF too) whose picture no font has, by
// its name ("TAB"); a byte from 0x80 up that shows nothing (a C1 control, a
// soft hyphen) or that no font can show, by its code ("U+0081"). Nothing
// for any other byte.
std::optional<std::string> NombreEnmarcado(unsigned char c,
                                           const std::function<bool(char32_t)>& hayGlifo);

// The delete answer of column 1: its mark (textos::BorrarCelda), never
// empty and never a blank, the sign that leads it left out where the font
// cannot draw it.
std::vector<PiezaCelda> PiezasBorrado(const std::function<bool(char32_t)>& hayGlifo);

// How a grid cell reads besides the pieces it is drawn with: its text
// (UTF-8), its tip, what a screen reader reads for it and the description
// it adds, whether it is in italics and in which colour of the palette.
enum class ColorCelda { Texto, Apagado, Propuesta };
struct AspectoCelda {
    std::string texto;
    std::string consejo;
    std::string accesible;
    std::string descripcion;
    bool cursiva = false;
    ColorCelda color = ColorCelda::Texto;
    bool operator==(const AspectoCelda&) const = default;
};

// What a screen reader reads for a cell's bytes (Windows-1252): the text
// as shown, controls as pictures, or for a lone character that shows
// nothing a voice would read (a control, a blank, a soft hyphen, an
// undefined byte) its code.
std::string TextoAccesible(std::string_view bytes);

// Column 0: the wrong character as ClaveVisible shows it, its code as its
// tip, and as its description too unless a voice reads it as its code.
AspectoCelda AspectoClave(std::string_view clave, bool unicode);

// Column 1: a lone LF's fixed answer in words, greyed; any other answer as
// it was typed, the delete answer as its mark, a proposal in italics and a
// colour of its own (so that it is never taken for an answer remembered or
// typed), each of the last two saying so in the tip and the description.
AspectoCelda AspectoRespuesta(std::string_view bytes, bool fija, bool propuesta, bool borrado);

// The tip of a wrong character the scan found: its name (`nombre`, as
// NombreCaracter gives it; empty: none), its code (see DescripcionClave),
// how often it occurs and where it first stands, one to a line.
std::string ConsejoHallazgo(const Hallazgo& hallazgo, bool unicode, std::string_view nombre);

// The colour a proposal is drawn in, so that it cannot be taken for an answer
// remembered or typed: the link colour `enlace` where it reads on the cells'
// background `fondo` (a contrast of 4.5 to 1 at least), else a blue that
// reads better there, light on a dark background and dark on a light one.
Rgb ColorPropuesta(Rgb fondo, Rgb enlace);
// The contrast ratio of two colours, as WCAG 2 defines it (1 to 21).
double Contraste(Rgb a, Rgb b);

} // namespace tildora::modelo
