#include "ui-win32/conversion/pintura.h"

#include "ui-win32/conversion/ayudas.h"

#include "modelos/filas.h"

#include <algorithm>
#include <vector>

namespace tildora::win32::conversion {

std::wstring DeU32(std::u32string_view texto) {
    std::wstring r;
    for (const char32_t cp : texto) {
        r += Caracter(cp);
    }
    return r;
}

std::u32string AU32(std::wstring_view texto) {
    std::u32string r;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        char32_t cp = texto[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < texto.size() && texto[i + 1] >= 0xDC00 &&
            texto[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (texto[i + 1] - 0xDC00);
            ++i;
        }
        r += cp;
    }
    return r;
}

std::wstring Caracter(char32_t cp) {
    if (cp < 0x10000) {
        return std::wstring(1, static_cast<wchar_t>(cp));
    }
    cp -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (cp >> 10)), static_cast<wchar_t>(0xDC00 + (cp & 0x3FF))};
}

std::wstring TextoAncho(HWND ventana) {
    std::wstring r(static_cast<std::size_t>(GetWindowTextLengthW(ventana)) + 1, L'\0');
    r.resize(
        static_cast<std::size_t>(GetWindowTextW(ventana, r.data(), static_cast<int>(r.size()))));
    return r;
}

std::wstring EnDosLineas(std::string_view texto) {
    std::wstring r = Ancho(texto);
    if (const std::size_t i = r.find(L" / "); i != std::wstring::npos) {
        r.replace(i, 3, L"\r\n");
    }
    return r;
}

bool HayGlifo(HDC dc, char32_t cp) {
    const std::wstring c = Caracter(cp);
    if (c.size() > 1) {
        // GDI's glyph look-up takes one UTF-16 unit: outside the basic
        // plane only the drawing could tell, and Wine's fonts have none.
        return false;
    }
    WORD indice = 0;
    const DWORD n = GetGlyphIndicesW(dc, c.data(), 1, &indice, GGI_MARK_NONEXISTING_GLYPHS);
    if (n != GDI_ERROR) {
        return n == 1 && indice != 0xFFFF;
    }
    // A font the look-up does not take (a raster one): the range of its
    // characters.
    TEXTMETRICW tm{};
    return GetTextMetricsW(dc, &tm) && cp >= tm.tmFirstChar && cp <= tm.tmLastChar;
}

Etiquetas::~Etiquetas() {
    if (m_pequena) {
        DeleteObject(m_pequena);
    }
    if (m_dc) {
        DeleteDC(m_dc);
    }
}

void Etiquetas::Preparar(HFONT fuente, HDC dc) {
    m_fuente = fuente;
    LOGFONTW lf{};
    GetObjectW(fuente, sizeof lf, &lf);
    // Three quarters of the font, so that a label fits a line.
    lf.lfHeight = lf.lfHeight * 3 / 4;
    if (m_pequena) {
        DeleteObject(m_pequena);
    }
    m_pequena = CreateFontIndirectW(&lf);
    if (!m_dc) {
        m_dc = CreateCompatibleDC(dc);
    }
    SelectObject(m_dc, m_fuente);
    m_glifos.clear();
    const auto hay = [this](char32_t u) { return Glifo(u); };
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const std::optional<std::string> nombre = modelo::NombreEnmarcado(c, hay);
        m_propia[c] = nombre.has_value();
        if (nombre) {
            m_nombre[c] = win32::Ancho(*nombre);
            m_ancho[c] = AnchoEtiqueta(m_nombre[c]);
        }
    }
    TEXTMETRICW tm{};
    HGDIOBJ antes = SelectObject(m_dc, m_pequena);
    GetTextMetricsW(m_dc, &tm);
    SelectObject(m_dc, antes);
    m_altoPequena = tm.tmHeight;
}

bool Etiquetas::Glifo(char32_t cp) const {
    const auto [it, nuevo] = m_glifos.try_emplace(cp, false);
    if (nuevo) {
        SelectObject(m_dc, m_fuente);
        it->second = HayGlifo(m_dc, cp);
    }
    return it->second;
}

int Etiquetas::AnchoEtiqueta(std::wstring_view etiqueta) const {
    HGDIOBJ antes = SelectObject(m_dc, m_pequena);
    SIZE s{};
    GetTextExtentPoint32W(m_dc, etiqueta.data(), static_cast<int>(etiqueta.size()), &s);
    SelectObject(m_dc, antes);
    return s.cx + 5;
}

void Etiquetas::DibujarEtiqueta(HDC dc, const RECT& caja, std::wstring_view etiqueta, int ancho,
                                COLORREF color) const {
    const int alto = std::min<int>(caja.bottom - caja.top - 2, m_altoPequena + 2);
    const int cx = (caja.left + caja.right) / 2;
    const int cy = (caja.top + caja.bottom) / 2;
    RECT marco{cx - (ancho - 1) / 2, cy - alto / 2, cx - (ancho - 1) / 2 + ancho - 1,
               cy - alto / 2 + alto};
    HPEN pluma = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ plumaAntes = SelectObject(dc, pluma);
    HGDIOBJ brochaAntes = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, marco.left, marco.top, marco.right, marco.bottom, 4, 4);
    SelectObject(dc, brochaAntes);
    SelectObject(dc, plumaAntes);
    DeleteObject(pluma);
    HGDIOBJ fuenteAntes = SelectObject(dc, m_pequena);
    const COLORREF colorAntes = SetTextColor(dc, color);
    const int modo = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, etiqueta.data(), static_cast<int>(etiqueta.size()), &marco,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetBkMode(dc, modo);
    SetTextColor(dc, colorAntes);
    SelectObject(dc, fuenteAntes);
}

} // namespace tildora::win32::conversion
