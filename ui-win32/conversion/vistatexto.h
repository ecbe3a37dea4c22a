#pragma once

// The read-only view of the file's text (textoFicheroRTB): a window of our
// own that draws only the lines in sight, over the same model the Qt face's
// view has (modelo::Vista: the lines, the selection, the marks, the
// preview), so a text of hundreds of megabytes shows at once. The view
// measures characters in its font, places and paints them, and takes the
// keys, the mouse, the wheel and its scroll bars. Windows-1252 bytes show as
// their characters, controls as framed names; a UTF-8 text decoded, and a
// character that shows nothing or that the font lacks as its framed code.

#include "ui-win32/conversion/pintura.h"

#include "modelos/vista.h"

#include <windows.h>

#include <array>
#include <functional>
#include <unordered_map>

namespace tildora::win32::conversion {

class VistaTexto {
public:
    struct Acciones {
        // The user put the caret somewhere else: the search's choice is
        // forgotten.
        std::function<void()> olvidada;
        // A key the view does not take, for the window.
        std::function<bool(UINT mensaje, WPARAM tecla)> ventana;
    };

    HWND Crear(HWND padre, int id, HFONT fuente, Acciones acciones);
    // Lettered in `fuente` (not owned) from now on: measured again, drawn
    // again (a screen of another density).
    void PonerFuente(HFONT fuente);
    HWND Hwnd() const { return m_hwnd; }

    // Shows `texto` (not copied: it must outlive the view).
    void Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8);
    void Seleccionar(std::size_t inicio, std::size_t fin);
    // Scrolls, as little as it takes, until the byte at `posicion` shows.
    void MostrarPosicion(std::size_t posicion);
    void MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias);
    void MarcarActual(std::size_t posicion, std::size_t largo);
    void MostrarPrevia(const VistaPrevia* previa);

    const modelo::Vista& Modelo() const { return m_modelo; }
    std::size_t PrimeraLinea() const { return m_primera; }

private:
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l);
    LRESULT Mensaje(UINT mensaje, WPARAM w, LPARAM l);
    void Medir();
    void AjustarBarras();
    void MedirVisibles();
    void Desplazar(int barra, int codigo);
    void IrA(std::size_t primera, double izquierda);
    void Pintado();
    void Pintar(HDC dc, const RECT& cliente);
    void DibujarLinea(HDC dc, std::size_t linea, int y) const;
    void DibujarTramo(HDC dc, const modelo::Tira& t, std::size_t desde, std::size_t hasta, double x,
                      int y, COLORREF color) const;
    // A run of glyphs drawn from `x`; where it ends.
    double DibujarGlifos(HDC dc, const modelo::Tira& t, const modelo::Tramo& tramo, double x,
                         int y) const;
    RECT ZonaEn(const modelo::Renglon& r, const modelo::Visible& v, const modelo::Zona& zona,
                int y) const;
    // The scrolling keys, Ctrl+A and Ctrl+C.
    bool Tecla(WPARAM tecla);
    // The selection to the clipboard.
    void Copiar() const;
    void Raton(UINT mensaje, LPARAM l);
    std::size_t PosicionEn(POINT p) const;

    std::size_t Visibles() const;
    std::size_t Ultima() const;
    int AnchoCliente() const;
    modelo::Renglon RenglonDe(std::size_t linea) const {
        return m_modelo.RenglonDe(linea, m_primera, Ultima());
    }
    std::size_t Paso(const modelo::Tira& t, std::size_t i, double& avance) const;
    auto Medidor() const {
        return [this](const modelo::Tira& t, std::size_t i, double& a) { return Paso(t, i, a); };
    }
    struct Medida {
        double avance = 0;
        bool caja = false;
    };
    Medida MedidaDe(char32_t cp) const;

    static constexpr int kMargen = 3;
    HWND m_hwnd = nullptr;
    HFONT m_fuente = nullptr;
    Acciones m_acciones;
    modelo::Vista m_modelo;
    Etiquetas m_etiquetas;
    std::array<double, 256> m_avance{};
    std::array<wchar_t, 256> m_glifo{};
    mutable std::unordered_map<char32_t, Medida> m_medidas;
    int m_altoLinea = 16;
    std::size_t m_primera = 0;
    double m_izquierda = 0;
};

} // namespace tildora::win32::conversion
