#pragma once

// Owns the one window that is loaded at a time and does the hand-over
// between the two windows, as the Qt face's Aplicacion does: the current
// window is unloaded (hidden at once, destroyed once no handler of it runs
// any more), then the other one is created afresh and shown, not modal and
// without an owner. The message loop is the program's (main.cpp) and the
// tests' own: each message goes through Despachar, and after it the loop
// calls TrasMensaje.

#include "core/estado.h"
#include "modelos/dialogos.h"
#include "ui-win32/dialogos.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tildora::win32 {

class FrmElegirFicheros;
class FrmConversionCaracteres;

class Aplicacion {
public:
    // `salir` ends the program (the program posts WM_QUIT, tests count). The
    // dialogs are the program's (shown over the window that asks) or a
    // test's.
    Aplicacion(HINSTANCE instancia, Estado& estado, DialogosWin32& dialogos,
               std::function<void()> salir);
    Aplicacion(HINSTANCE instancia, Estado& estado, modelo::Dialogos& dialogos,
               std::function<void()> salir);
    ~Aplicacion();
    Aplicacion(const Aplicacion&) = delete;
    Aplicacion& operator=(const Aplicacion&) = delete;

    HINSTANCE instancia() const { return m_instancia; }
    Estado& estado() { return m_estado; }
    // The one interface, its boxes shown over `ventana`.
    modelo::Dialogos& Dialogos(HWND ventana);

    // FrmElegirFicheros afresh; a non-empty `entrada` fills its input box, as
    // for a file the program was started with, and `salida` its output box.
    void MostrarSeleccion(const std::string& entrada = {}, const std::string& salida = {});
    // FrmConversionCaracteres over the last scan.
    void MostrarConversion();

    // After each message the loop dispatched, with no window's handler on
    // the way: unloaded windows are destroyed, and a conversion window that
    // has ended hands over (accepted: the first window; cancelled: the first
    // window with the names it gives back; closed: the program ends).
    void TrasMensaje();

    // Ends the program at once: the current window is unloaded without any
    // further event of its own, and `salir` is called.
    void Salir();

    // The windows now loaded (null when the other one is).
    FrmElegirFicheros* Seleccion() const { return m_seleccion.get(); }
    FrmConversionCaracteres* Conversion() const { return m_conversion.get(); }
    // The window now loaded; null once the program is ending.
    HWND VentanaActual() const;

private:
    void Descargar();

    HINSTANCE m_instancia;
    Estado& m_estado;
    modelo::Dialogos& m_dialogos;
    DialogosWin32* m_win32 = nullptr;
    std::function<void()> m_salir;
    std::unique_ptr<FrmElegirFicheros> m_seleccion;
    std::unique_ptr<FrmConversionCaracteres> m_conversion;
    // Unloaded windows, hidden, waiting for TrasMensaje.
    std::vector<std::unique_ptr<FrmElegirFicheros>> m_seleccionesDescargadas;
    std::vector<std::unique_ptr<FrmConversionCaracteres>> m_conversionesDescargadas;
};

// One message of the loop: keys that move between and press the controls of
// the program's windows are handled there (Tab, Enter on a button), the rest
// is translated and dispatched.
void Despachar(MSG& msg);

} // namespace tildora::win32
