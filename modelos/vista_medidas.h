#pragma once

// One line of the conversion window's text view as it shows (a Renglon), and
// how it is laid out across with the widths the face measures: how wide a
// run is, which part of a line is in sight, where a click puts the caret,
// where a character stands, and how far the view moves to bring a place
// into sight. Widths are in the face's units (pixels on Linux); the
// measuring itself, in a font, is the face's: `paso(t, i, avance)` says
// where the character at byte `i` of `t` ends and, in `avance`, how wide it
// is drawn.

#include "core/vistaprevia.h"
#include "modelos/lineas.h"

#include <algorithm>
#include <cstddef>

namespace tildora::modelo {

// What one line shows: the bytes [desde, hasta) of `tira`, without the line
// break; [inicio, fin) in the working copy (the same bytes there).
struct Renglon {
    Tira tira;
    std::size_t desde = 0;
    std::size_t hasta = 0;
    std::size_t inicio = 0;
    std::size_t fin = 0;
    // In the preview, the piece whose text `tira` is.
    const PiezaPrevia* pieza = nullptr;
    // Where a byte of the working copy (of this line) stands in `tira`, and
    // where the byte `i` of `tira` comes from.
    std::size_t Local(std::size_t posicion) const {
        return std::clamp(pieza ? pieza->EnPrevia(posicion) : posicion, desde, hasta);
    }
    std::size_t Origen(std::size_t i) const { return pieza ? pieza->EnOrigen(i) : i; }
};

// How wide the bytes [desde, hasta) of `t` are drawn.
template <typename Paso>
double Ancho(const Tira& t, std::size_t desde, std::size_t hasta, Paso&& paso) {
    double x = 0;
    for (std::size_t i = desde; i < hasta;) {
        double a = 0;
        i = paso(t, i, a);
        x += a;
    }
    return x;
}

// The part of a line in sight: its bytes [primero, ultimo) of the Renglon's
// Tira, the first drawn `x0` from the line's start.
struct Visible {
    std::size_t primero = 0;
    std::size_t ultimo = 0;
    double x0 = 0;
};

// The part of the line in a window `ancho` wide whose left edge stands
// `izquierda` from the line's start: what lies left of it is skipped, then
// what fits in it taken.
template <typename Paso>
Visible EnPantalla(const Renglon& r, double izquierda, double ancho, Paso&& paso) {
    std::size_t i = r.desde;
    double x = 0;
    while (i < r.hasta) {
        double a = 0;
        const std::size_t siguiente = paso(r.tira, i, a);
        if (x + a > izquierda) {
            break;
        }
        x += a;
        i = siguiente;
    }
    Visible v{i, i, x};
    while (i < r.hasta && x - izquierda < ancho) {
        double a = 0;
        i = paso(r.tira, i, a);
        x += a;
    }
    v.ultimo = i;
    return v;
}

// Where a click `x` from the line's start puts the caret, in the working
// copy: before the character whose middle is past it.
template <typename Paso> std::size_t PosicionEn(const Renglon& r, double x, Paso&& paso) {
    double hasta = 0;
    std::size_t i = std::min(std::max(r.desde, r.tira.marcaOrden), r.hasta);
    while (i < r.hasta) {
        double a = 0;
        const std::size_t siguiente = paso(r.tira, i, a);
        if (hasta + a / 2 > x) {
            break;
        }
        hasta += a;
        i = siguiente;
    }
    return r.Origen(i);
}

// Where the character at the working copy's byte `posicion` of the line
// stands: `x` from the line's start, and how wide it is (nothing past the
// line's end).
struct Lugar {
    double x = 0;
    double ancho = 0;
};
template <typename Paso> Lugar LugarDe(const Renglon& r, std::size_t posicion, Paso&& paso) {
    const std::size_t i = r.Local(posicion);
    Lugar l{Ancho(r.tira, r.desde, i, paso), 0.0};
    if (i < r.hasta) {
        paso(r.tira, i, l.ancho);
    }
    return l;
}

// Bringing a line into sight, `visibles` lines from `primera` being in
// sight: the first line in sight afterwards. It stays while the line is
// among them; otherwise the line goes to the middle, so that the lines
// around it show too.
constexpr std::size_t PrimeraConLinea(std::size_t linea, std::size_t primera,
                                      std::size_t visibles) {
    if (linea >= primera && linea < primera + visibles) {
        return primera;
    }
    return linea > visibles / 2 ? linea - visibles / 2 : 0;
}
// Bringing a character into sight across, a window `visible` wide standing
// `izquierda` from the lines' start: whether it must move, and then its left
// edge afterwards, a third of its width before the character.
constexpr bool FueraDeVista(const Lugar& l, double izquierda, double visible) {
    return l.x < izquierda || l.x + l.ancho > izquierda + visible;
}
constexpr double IzquierdaCon(const Lugar& l, double visible) {
    return l.x - visible / 3.0;
}

} // namespace tildora::modelo
