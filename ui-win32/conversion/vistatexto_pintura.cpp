// The text view's drawing: the lines in sight, the marks on them and the
// selection, from the working copy or from the preview's piece of those
// lines.

#include "ui-win32/conversion/vistatexto.h"

#include "ui-win32/conversion/ayudas.h"

#include "core/unicode.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tildora::win32::conversion {

namespace {

void Rellenar(HDC dc, const RECT& r, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

} // namespace

void VistaTexto::Pintar(HDC dc, const RECT& cliente) {
    Rellenar(dc, cliente, GetSysColor(COLOR_WINDOW));
    HGDIOBJ antes = SelectObject(dc, m_fuente);
    SetBkMode(dc, TRANSPARENT);
    const std::size_t ultima = Ultima();
    // The corrected text of the lines in sight, worked out at once.
    if (m_modelo.Previa() && m_primera < ultima) {
        m_modelo.PrepararPieza(m_primera, ultima);
    }
    for (std::size_t linea = m_primera; linea < ultima; ++linea) {
        DibujarLinea(dc, linea, kMargen + static_cast<int>(linea - m_primera) * m_altoLinea);
    }
    SelectObject(dc, antes);
    // Where the keys go shows: a focus frame while the view has them.
    if (GetFocus() == m_hwnd) {
        RECT marco = cliente;
        InflateRect(&marco, -1, -1);
        DrawFocusRect(dc, &marco);
    }
}

RECT VistaTexto::ZonaEn(const modelo::Renglon& r, const modelo::Visible& v,
                        const modelo::Zona& zona, int y) const {
    // Only the part on screen matters (modelo::ExtensionDe).
    const modelo::Extension e =
        modelo::ExtensionDe(r, v, zona, m_izquierda, AnchoCliente(), m_avance[' '], Medidor());
    RECT cliente{};
    GetClientRect(m_hwnd, &cliente);
    RECT z{static_cast<LONG>(std::floor(e.desde - m_izquierda + kMargen)), y,
           static_cast<LONG>(std::ceil(e.hasta - m_izquierda + kMargen)), y + m_altoLinea};
    RECT dentro{};
    IntersectRect(&dentro, &z, &cliente);
    return dentro;
}

void VistaTexto::DibujarLinea(HDC dc, std::size_t linea, int y) const {
    const modelo::Renglon r = RenglonDe(linea);
    const modelo::Visible v = modelo::EnPantalla(r, m_izquierda, AnchoCliente(), Medidor());
    const double x = v.x0 - m_izquierda + kMargen;
    const COLORREF fondo = GetSysColor(COLOR_WINDOW);
    const COLORREF resalte = GetSysColor(COLOR_HIGHLIGHT);
    using Clase = modelo::Trazo::Clase;
    for (const modelo::Trazo& t : m_modelo.Trazos(r, m_primera, Ultima())) {
        if (t.clase == Clase::Texto) {
            DibujarTramo(dc, r.tira, v.primero, v.ultimo, x, y, GetSysColor(COLOR_WINDOWTEXT));
            continue;
        }
        const RECT z = ZonaEn(r, v, t.zona, y);
        if (IsRectEmpty(&z)) {
            continue;
        }
        switch (t.clase) {
        case Clase::Fondo:
            Rellenar(dc, z, Gdi(modelo::ColorMarca(t.tipo, RgbDe(fondo), RgbDe(resalte))));
            break;
        case Clase::Subrayado: {
            const RECT raya{z.left, z.bottom - 2, z.right, z.bottom};
            Rellenar(dc, raya,
                     Gdi(modelo::ColorSubrayadoFalta(RgbDe(GetSysColor(COLOR_WINDOWTEXT)))));
            break;
        }
        case Clase::Resaltado: {
            // The highlight, and the text over it in its colour.
            Rellenar(dc, z, resalte);
            const int guardado = SaveDC(dc);
            IntersectClipRect(dc, z.left, z.top, z.right, z.bottom);
            DibujarTramo(dc, r.tira, v.primero, v.ultimo, x, y, GetSysColor(COLOR_HIGHLIGHTTEXT));
            RestoreDC(dc, guardado);
            break;
        }
        case Clase::Texto:
            break;
        }
    }
}

double VistaTexto::DibujarGlifos(HDC dc, const modelo::Tira& t, const modelo::Tramo& tramo,
                                 double x, int y) const {
    // Each glyph where the measures put it: the positions worked out byte by
    // byte are the ones drawn.
    const bool utf8 = m_modelo.Texto().Utf8();
    std::wstring glifos;
    std::vector<INT> avances;
    const double x0 = x;
    for (std::size_t i = tramo.a; i < tramo.b;) {
        const auto b = static_cast<unsigned char>(t.datos[i]);
        std::wstring c;
        double a = 0;
        if (utf8 && b >= 0x80) {
            char32_t cp = 0;
            i += modelo::Lineas::Descifrar(t, i, cp);
            c = Caracter(cp);
            a = MedidaDe(cp).avance;
        } else {
            c.assign(1, m_glifo[b]);
            a = m_avance[b];
            ++i;
        }
        glifos += c;
        avances.push_back(static_cast<INT>(std::lround(x + a)) - static_cast<INT>(std::lround(x)));
        if (c.size() > 1) {
            avances.push_back(0);
        }
        x += a;
    }
    ExtTextOutW(dc, static_cast<int>(std::lround(x0)), y, 0, nullptr, glifos.data(),
                static_cast<UINT>(glifos.size()), avances.data());
    return x;
}

void VistaTexto::DibujarTramo(HDC dc, const modelo::Tira& t, std::size_t desde, std::size_t hasta,
                              double x, int y, COLORREF color) const {
    const auto enCaja = [this](char32_t cp) { return MedidaDe(cp).caja; };
    const auto propia = [this](unsigned char b) { return m_etiquetas.Propia(b); };
    SetTextColor(dc, color);
    for (const modelo::Tramo& tramo : m_modelo.Tramos(t, desde, hasta, enCaja, propia)) {
        switch (tramo.clase) {
        case modelo::Tramo::Clase::Glifos:
            x = DibujarGlifos(dc, t, tramo, x, y);
            break;
        case modelo::Tramo::Clase::Control: {
            const auto b = static_cast<unsigned char>(t.datos[tramo.a]);
            const RECT caja{static_cast<LONG>(x), y, static_cast<LONG>(x + m_avance[b]),
                            y + m_altoLinea};
            m_etiquetas.Dibujar(dc, caja, b, color);
            x += m_avance[b];
            break;
        }
        case modelo::Tramo::Clase::Codigo: {
            const double ancho = MedidaDe(tramo.cp).avance;
            const RECT caja{static_cast<LONG>(x), y, static_cast<LONG>(x + ancho), y + m_altoLinea};
            m_etiquetas.DibujarEtiqueta(dc, caja, Ancho(CodigoUnicode(tramo.cp)),
                                        static_cast<int>(ancho), color);
            x += ancho;
            break;
        }
        case modelo::Tramo::Clase::Suelto: {
            const std::wstring c = Caracter(tramo.cp);
            TextOutW(dc, static_cast<int>(std::lround(x)), y, c.data(), static_cast<int>(c.size()));
            x += MedidaDe(tramo.cp).avance;
            break;
        }
        }
        SelectObject(dc, m_fuente);
        SetTextColor(dc, color);
    }
}

} // namespace tildora::win32::conversion
