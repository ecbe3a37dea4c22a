#pragma once

// What a screen reader reads of the windows (Microsoft Active
// Accessibility). Every control answers WM_GETOBJECT for its client area
// with an object of ours that gives the name and the description the models
// give it (modelos/disposicion.h, Lecturas) and asks Windows for all the
// rest (its role, its state, where it is). Controls of our own, the grid's
// cells and the text view, say more: a role, a value, and children (the
// cells, the selection) with what they read, the one that has the focus and
// the one selected.

#include "modelos/disposicion.h"

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tildora::modelo {
class Conversion;
}
namespace tildora::win32::conversion {
class Rejilla;
class VistaTexto;
} // namespace tildora::win32::conversion

namespace tildora::win32 {

// One child of a control, as a screen reader reads it.
struct HijoAccesible {
    std::wstring nombre;
    std::wstring descripcion;
    long rol = 0;
    long estado = 0;
    RECT lugar{}; // on the screen
};

// What a control reads beyond what Windows reads for its kind; an empty or
// null part is Windows's.
struct Lector {
    std::wstring nombre;
    std::wstring descripcion;
    long rol = 0;
    std::function<std::wstring()> valor;
    // Its children, numbered from 1; the one at a point of the screen (0:
    // none); the one with the focus while the control has it (0: the
    // control itself); the one selected (0: none).
    std::function<long()> hijos;
    std::function<HijoAccesible(long)> hijo;
    std::function<long(POINT)> enPunto;
    std::function<long()> foco;
    std::function<long()> seleccion;
    // Called after the control paints: it tells screen readers what
    // changed since the last time (Avisar), once what changed shows.
    std::function<void()> pintado;
};

// `control` reads as `lector` says until it is destroyed.
void Leer(HWND control, Lector lector);

// The names and descriptions of `lecturas` on the controls `control` finds
// by their names (a name it finds no control for is left out).
void PonerLecturas(std::span<const modelo::Lectura> lecturas,
                   const std::function<HWND(std::string_view)>& control);

// The grid's cells as children of its own (the wrong characters, then the
// answers), each read as the models say a voice reads it
// (modelo::AspectoCelda), the current one focused and selected.
void LeerRejilla(const conversion::Rejilla& rejilla, const modelo::Conversion& modelo);
// The text view as text: its value the line the caret or the selection
// starts on, as it shows (the preview's while the preview shows), and the
// selection as its one child.
void LeerVista(const conversion::VistaTexto& vista);

// Tells screen readers that `evento` (EVENT_OBJECT_FOCUS, ...) happened to
// the child `hijo` of `control`'s client area (0: the control itself).
void Avisar(HWND control, DWORD evento, long hijo = CHILDID_SELF);

} // namespace tildora::win32
