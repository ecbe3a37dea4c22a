#pragma once

// The conversion window of the Windows face: the wrong characters in a list
// view with the editor laid over a replacement cell, the file's text in a
// view of its own, the search, and accept and cancel. Everything it decides
// is the models' (modelos/conversion.h and its neighbours); this holds the
// controls, their messages and their painting.
//
// How the program opens it, as the Qt face hands over (ui-win32/aplicacion.h):
// the first window is unloaded, this one is made and shown (Mostrar) over
// the state of the last scan, and once the program's loop finds that it has
// ended (Fin), how it ended says which window comes next: Aceptada, the
// first window afresh; Cancelada, afresh with the names of `vuelta`;
// Cerrada, none, and the program ends.

#include "core/estado.h"
#include "modelos/conversion.h"
#include "modelos/dialogos.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

namespace tildora {
namespace modelo {
class Vista;
}

namespace win32 {

// How the conversion window ended.
struct FinConversion {
    enum class Como {
        Aceptada,  // the output was written: the first window comes back empty
        Cancelada, // the first window comes back with `vuelta`'s names
        Cerrada,   // closed from its title bar (after the same question as
                   // Cancel): the program ends
    };
    Como como = Como::Cancelada;
    modelo::Vuelta vuelta;
};

class FrmConversionCaracteres {
public:
    // Every message and question goes through `dialogos`; `estado` holds the
    // scan whose characters and text the window shows, and must outlive it.
    FrmConversionCaracteres(HINSTANCE instancia, modelo::Dialogos& dialogos, Estado& estado);
    ~FrmConversionCaracteres();
    FrmConversionCaracteres(const FrmConversionCaracteres&) = delete;
    FrmConversionCaracteres& operator=(const FrmConversionCaracteres&) = delete;

    // Creates the window, centred, with the grid filled from the last scan
    // and the text loaded (Form_Load), and shows it; returns at once.
    void Mostrar();
    // How it ended, once it has (its window is gone by then).
    const std::optional<FinConversion>& Fin() const;

    // The window, and a control of it by its name ("caracteresFG",
    // "txtEditor", "textoFicheroRTB", "CmdAceptar", ...); null for none.
    HWND Ventana() const;
    HWND Control(std::string_view nombre) const;

    // What the grid and the text view show, read from their models.
    const modelo::Conversion& Modelo() const;
    const modelo::Vista& Vista() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

} // namespace win32
} // namespace tildora
