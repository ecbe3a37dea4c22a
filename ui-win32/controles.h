#pragma once

// The Windows face's small wrappers, one per control kind: each holds its
// place in the layout (twips, modelos/disposicion.h), its creation and its
// handler, and nothing more. A window (Ventana) owns its controls, places
// them at its own DPI and hands each WM_COMMAND to the control it came
// from. No framework beyond that: every window's message loop is the
// program's own (ui-win32/aplicacion.h).

#include "modelos/disposicion.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tildora::win32 {

// The program's texts are UTF-8; Windows takes and gives UTF-16.
std::wstring Ancho(std::string_view utf8);
std::string Utf8(std::wstring_view texto);

// A window's dots per inch (96 at 100 %), asked of the window itself where
// the system can (Windows 10 1607 and later), else of the screen.
UINT PuntosPorPulgada(HWND ventana);
// Twips to pixels at `ppp` dots per inch: the models' Px at 96.
int Pixeles(int twips, UINT ppp);

// The layout's font, "MS Sans Serif" 8.25 pt (bold or not), at `ppp`; the
// system's message font at that size where Windows has no such face.
class Fuente {
public:
    Fuente(UINT ppp, bool negrita, int centesimasPunto = 825);
    ~Fuente();
    Fuente(const Fuente&) = delete;
    Fuente& operator=(const Fuente&) = delete;
    HFONT hfont() const { return m_fuente; }

private:
    HFONT m_fuente;
};

// The text a control shows, in UTF-8.
std::string TextoDe(HWND control);
void PonerTexto(HWND control, std::string_view utf8);

// The identifier a window gives its control `nombre` of `disposicion`: its
// place in the layout (another program reads a control by it).
int IdControl(const modelo::Disposicion& disposicion, std::string_view nombre);

// What every control has: its name and box in the layout, and its window.
class Control {
public:
    Control(const modelo::Disposicion& disposicion, std::string_view nombre);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return m_hwnd; }
    std::string_view Nombre() const { return m_nombre; }
    // Its identifier among its window's children: its place in the layout.
    int Id() const { return m_id; }
    // Placed and lettered for `ppp` dots per inch (at creation, and when the
    // window moves to a screen of another density).
    virtual void Colocar(UINT ppp);
    // A WM_COMMAND of this control (its notification code).
    virtual void Orden(WORD /*codigo*/) {}

    // Its font at `centesimas` of a point (the layout's 8.25 pt is 825), at
    // `ppp`.
    void PonerTamano(int centesimas, UINT ppp);
    int Tamano() const { return m_centesimas; }

protected:
    void Crear(HWND padre, const wchar_t* clase, DWORD estilo, DWORD estiloExtendido = 0);
    std::unique_ptr<Fuente> m_fuente;
    bool m_negrita = false;
    int m_centesimas = 825;

private:
    std::string_view m_nombre;
    modelo::Rectangulo m_donde;
    int m_id = 0;
    HWND m_hwnd = nullptr;
};

// A label: its text wrapped at word boundaries and centred, in its colour.
class Etiqueta : public Control {
public:
    Etiqueta(HWND padre, const modelo::Disposicion& disposicion, std::string_view nombre);
    COLORREF Color() const { return m_color; }
    // Whether its text, wrapped to its width at `centesimas` of a point,
    // fits its height.
    bool Cabe(int centesimas, UINT ppp) const;

private:
    COLORREF m_color;
};

// A single-line text box.
class CuadroTexto : public Control {
public:
    CuadroTexto(HWND padre, const modelo::Disposicion& disposicion, std::string_view nombre);
    std::string Texto() const { return TextoDe(hwnd()); }
    void PonerTexto(std::string_view utf8) { win32::PonerTexto(hwnd(), utf8); }
};

// A picture button: its picture centred above its caption, the caption's
// words stacked one a line; picture only when it has no caption.
class Boton : public Control {
public:
    Boton(HWND padre, HINSTANCE instancia, const modelo::Disposicion& disposicion,
          std::string_view nombre);
    ~Boton() override;
    void Colocar(UINT ppp) override;
    void Orden(WORD codigo) override;

    std::function<void()> onClick;

private:
    HINSTANCE m_instancia;
    const modelo::Boton& m_boton;
    HIMAGELIST m_imagenes = nullptr;
};

// Labels at one size, the layout's where their texts fit, else the largest
// that fits all of them, down to two thirds of it (this system's font may
// be wider than the layout's), at `ppp`.
void Encajar(const std::vector<Etiqueta*>& etiquetas, UINT ppp);

// A top-level window of the program's own class: its procedure reaches the
// object (Procesar), WM_COMMAND reaches the control it came from, labels
// get their colours, and a change of DPI places every control again.
class Ventana {
public:
    virtual ~Ventana();
    Ventana(const Ventana&) = delete;
    Ventana& operator=(const Ventana&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // A control by its layout name; null for none.
    HWND Control(std::string_view nombre) const;

    // The program's window `hwnd` is; null for another one.
    static Ventana* De(HWND hwnd);
    // A message of the loop for this window or its controls, before it is
    // translated: Tab and Shift+Tab move the focus in creation order, Enter
    // on a button presses it and elsewhere does nothing. True when handled.
    virtual bool PreTraducir(MSG& msg);

protected:
    Ventana(HINSTANCE instancia, const modelo::Disposicion& disposicion);
    // Creates the window (hidden): client area as the layout, a fixed frame,
    // the program's icon, `titulo` its caption.
    void Crear(const wchar_t* clase, std::string_view titulo);
    // Adds a control; they are kept, and take the focus, in this order.
    template <typename T, typename... A> T& Agregar(A&&... args) {
        auto control = std::make_unique<T>(std::forward<A>(args)...);
        T& ref = *control;
        m_controles.push_back(std::move(control));
        ref.Colocar(m_ppp);
        return ref;
    }
    // The window's messages; what it does not handle goes to the system.
    virtual LRESULT Procesar(UINT mensaje, WPARAM wparam, LPARAM lparam);
    // The window's close box: the window stays unless this unloads it.
    virtual void AlCerrar() {}
    // Gives `control` the focus, now and whenever the window is active again.
    void Enfocar(HWND control);
    // The labels at one size (win32::Encajar), again at every DPI.
    void Encajar(std::vector<Etiqueta*> etiquetas);

    HINSTANCE m_instancia;
    const modelo::Disposicion& m_disposicion;

private:
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT mensaje, WPARAM wparam, LPARAM lparam);
    LRESULT ColorEtiqueta(HDC dc, HWND etiqueta);
    void CambiarPpp(UINT ppp, const RECT& propuesto);
    // The window's icons at its density.
    void Iconos();

    HWND m_hwnd = nullptr;
    HWND m_foco = nullptr;
    UINT m_ppp = 96;
    HICON m_icono = nullptr;
    HICON m_iconoPequeno = nullptr;
    std::vector<std::unique_ptr<win32::Control>> m_controles;
    std::vector<std::vector<Etiqueta*>> m_encajadas;
};

// An icon of the program's resources by its name ("ventana", "carpeta",
// ...), `lado` pixels square, scaled down from the nearest larger size.
HICON CargarIcono(HINSTANCE instancia, std::string_view nombre, int lado);

} // namespace tildora::win32
