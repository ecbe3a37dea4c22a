#pragma once

// Where every control of the two windows sits, in twips by control name, and
// how twips become pixels and a window is centred: the layouts as numbers,
// for any face to place its controls from.

#include "modelos/color.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tildora::modelo {

// 15 twips are one pixel (the face's own scaling handles screens of other
// densities).
inline constexpr int kTwipsPorPixel = 15;

// Twips to whole pixels: the few values that are not whole pixels (1300 and
// 800 twips) go to the nearest one.
int Px(int twips);

// A control's box in twips, from the window's client area's top left.
struct Rectangulo {
    int izquierda = 0;
    int arriba = 0;
    int ancho = 0;
    int alto = 0;
    friend bool operator==(const Rectangulo&, const Rectangulo&) = default;
};

struct Control {
    std::string_view nombre;
    Rectangulo donde;
};

// A picture button: its picture, by name (the face finds the file), the
// picture's size in pixels, its caption (none for a picture-only button; a
// run of blanks in it separates words stacked one a line) and its tip (none
// for no tip).
struct Boton {
    std::string_view control;
    std::string_view imagen;
    int anchoImagen = 0;
    int altoImagen = 0;
    std::string_view leyenda;
    std::string_view consejo;
};

// A label of the layouts: its text, its colour, bold or not.
struct Etiqueta {
    std::string_view control;
    std::string_view texto;
    Rgb color;
    bool negrita = false;
};

// One window's fixed layout: its client area's size and its controls, in the
// order the face creates them; what its picture buttons and its labels show.
struct Disposicion {
    int ancho = 0;
    int alto = 0;
    std::span<const Control> controles;
    std::span<const Boton> botones;
    std::span<const Etiqueta> etiquetas;

    // The box of the control named `nombre`; nothing for a name the window
    // does not have.
    std::optional<Rectangulo> Buscar(std::string_view nombre) const;
    // The button or label named `nombre`; null for a name that is none.
    const Boton* BuscarBoton(std::string_view nombre) const;
    const Etiqueta* BuscarEtiqueta(std::string_view nombre) const;
};

// The file-selection window.
const Disposicion& DisposicionEleccion();
// The conversion window. Its grid's header and rows are kAltoFilaRejilla
// high and both its columns kAnchoColumnaRejilla wide; "txtEditor" is where
// the editor starts before it is laid over a cell.
const Disposicion& DisposicionConversion();
inline constexpr int kAltoFilaRejilla = 300;
inline constexpr int kAnchoColumnaRejilla = 1900;

// ---------------------------------------------------------------------------
// DisposicionConversionEn(ancho, alto, anchoRejilla): the conversion window
// at any size, for every face. The first window keeps its fixed layout.
//
// The layout's size (DisposicionConversion) is where the window starts and
// the smallest it gets; a face on a screen smaller than that lets the screen
// win (TamanoMinimo, modelos/tamano_ventana.h) and the controls past the
// window's edge are cut. Of the width and height added to the layout's:
//  - "textoFicheroRTB" takes all the width and what the grid leaves of the
//    height (most of it);
//  - "caracteresFG" takes 2/7 of the height, in whole rows (first the part of
//    a row the layout leaves cut, kRestoFilaRejilla, then rows of
//    kAltoFilaRejilla), so that no row shows cut; it widens only as far as
//    `anchoRejilla` (the width its columns need, frame and scroll bar
//    included; 0 or less than the layout's: none);
//  - "CmdBuscar", "LblOcurrencias" and "CmdPrevia" keep their places beside
//    the grid's right edge and below its top;
//  - "LblTextoMostrado" keeps its place at the left, above the bottom edge;
//    "CmdAceptar" and "CmdCancelar" keep theirs above the bottom edge, moved
//    across by half the added width (centred as they start);
//  - "Label1" and "Label2" stretch with the width;
//  - "txtEditor" keeps its starting box (it is laid over a cell when shown).
// Sizes smaller than the layout's count as the layout's.
//
// The controls are owned by the result; Vista() views it as a Disposicion
// (valid while the result lives).
inline constexpr int kRestoFilaRejilla = 45;
struct DisposicionPropia {
    int ancho = 0;
    int alto = 0;
    std::array<Control, 11> controles{};
    Disposicion Vista() const;
    std::optional<Rectangulo> Buscar(std::string_view nombre) const {
        return Vista().Buscar(nombre);
    }
};
DisposicionPropia DisposicionConversionEn(int ancho, int alto, int anchoRejilla = 0);

// What assistive technology reads for a control, by its name: its name
// (none for a label, which is named by its caption) and its description.
struct Lectura {
    std::string_view control;
    std::string_view nombre;
    std::string_view descripcion;
};
// The file-selection window's, and the conversion window's.
std::span<const Lectura> LecturasEleccion();
std::span<const Lectura> LecturasConversion();

// One coordinate of the centring: (screen − window outer size), rounded to a
// whole number (halves to even), halved toward zero, held as a 16-bit signed
// value; clamped to the 16-bit range instead of overflowing.
std::int16_t CoordenadaCentrada(double pantallaTwips, double ventanaTwips);

} // namespace tildora::modelo
