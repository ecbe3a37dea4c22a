#pragma once

// The editor laid over a replacement cell (txtEditor): an edit control that
// shows what the editor's model holds (the text, the caret, a proposal in
// italics and its colour, the delete answer's mark while empty) and hands
// the model every change the user makes, taking back what it refuses.

#include "modelos/conversion_teclas.h"
#include "modelos/editor.h"

#include <windows.h>

#include <functional>

namespace tildora::win32::conversion {

class EditorCelda {
public:
    // What the window does when the user leaves the editor or presses one
    // of its keys.
    struct Acciones {
        // The focus went to another control of the window (another window
        // taking it is no leaving: it comes back).
        std::function<void()> salir;
        // A key the model gives to the window (modelos/conversion_teclas.h).
        std::function<void(modelo::AccionEditor)> tecla;
        // A key the editor does not take, for the window.
        std::function<bool(UINT mensaje, WPARAM tecla)> ventana;
    };

    EditorCelda(modelo::Editor& modelo) : m_modelo(modelo) {}
    ~EditorCelda();

    HWND Crear(HWND padre, int id, HFONT fuente, Acciones acciones);
    // Lettered in `fuente` (not owned) from now on.
    void PonerFuente(HFONT fuente);
    HWND Hwnd() const { return m_hwnd; }
    bool Visible() const { return IsWindowVisible(m_hwnd) != FALSE; }

    // Everything as the model holds it, just opened, over `caja` (in the
    // window's coordinates), with the focus.
    void Mostrar(const RECT& caja);
    // Moved over `caja`, as it is.
    void Mover(const RECT& caja);
    // The model's text and caret.
    void TextoDelModelo();
    // Hides it; the focus it had goes to `foco`. The focus leaving this way
    // is no leaving of the editor.
    void Ocultar(HWND foco);

    // The window's messages about the editor: its text changed; its colours.
    void Cambiado();
    HBRUSH Colores(HDC dc) const;

private:
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR id,
                                          DWORD_PTR datos);
    bool Tecla(UINT mensaje, WPARAM tecla);
    void Estilo(bool propuesta);

    modelo::Editor& m_modelo;
    Acciones m_acciones;
    HWND m_hwnd = nullptr;
    HFONT m_fuente = nullptr;
    HFONT m_cursiva = nullptr;
    bool m_propuesta = false;
    bool m_ocultando = false;
    bool m_poniendo = false;
};

} // namespace tildora::win32::conversion
