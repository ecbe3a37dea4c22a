#pragma once

// Drawing with GDI what the fonts cannot: control characters' names and the
// codes of characters that show nothing or that the font has no glyph for,
// each a short label in a small frame, in the grid and in the text view.
// Also the ayudas.h helpers' bodies.

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tildora::win32::conversion {

// Whether the font selected in `dc` has a glyph for `cp`.
bool HayGlifo(HDC dc, char32_t cp);

// One font's framed labels, and what its glyphs are: one object per font.
class Etiquetas {
public:
    // `fuente` is the font the labels stand among (not owned).
    void Preparar(HFONT fuente, HDC dc);
    ~Etiquetas();

    // Whether the font has a glyph for `cp` (asked once per character).
    bool Glifo(char32_t cp) const;
    // The Windows-1252 byte drawn as a framed label of its own, and its
    // width.
    bool Propia(unsigned char c) const { return m_propia[c]; }
    int Ancho(unsigned char c) const { return m_ancho[c]; }
    void Dibujar(HDC dc, const RECT& caja, unsigned char c, COLORREF color) const {
        DibujarEtiqueta(dc, caja, m_nombre[c], m_ancho[c], color);
    }
    // Any short label: the width it takes, and its drawing centred in `caja`.
    int AnchoEtiqueta(std::wstring_view etiqueta) const;
    void DibujarEtiqueta(HDC dc, const RECT& caja, std::wstring_view etiqueta, int ancho,
                         COLORREF color) const;

private:
    HFONT m_fuente = nullptr;
    HFONT m_pequena = nullptr;
    HDC m_dc = nullptr;
    int m_altoPequena = 0;
    std::array<bool, 256> m_propia{};
    std::array<int, 256> m_ancho{};
    std::array<std::wstring, 256> m_nombre;
    mutable std::unordered_map<char32_t, bool> m_glifos;
};

} // namespace tildora::win32::conversion
