// Both windows on screens of 96, 144 and 192 dots per inch: each is told it
// moved to such a screen as Windows tells it (WM_DPICHANGED, with the DPI
// and the rectangle proposed), and then every text must fit its control,
// measured in the control's own font: a label's wrapped at its width, a
// button's under its picture, the grid's header in its cells. The fonts,
// pictures and rows must have grown with the screen, and the window must
// stand where the system proposed.

#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"

#include "modelos/disposicion.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tildora;

namespace {

std::wstring Clase(HWND h) {
    wchar_t clase[64] = {};
    ::GetClassNameW(h, clase, 64);
    return clase;
}

// The size `texto` takes in `fuente`, wrapped at `ancho` pixels.
SIZE Medida(HWND control, HFONT fuente, const std::wstring& texto, int ancho) {
    if (texto.empty()) {
        return {0, 0};
    }
    RECT r{0, 0, ancho, 0};
    HDC dc = ::GetDC(control);
    HGDIOBJ antes = ::SelectObject(dc, fuente);
    ::DrawTextW(dc, texto.c_str(), static_cast<int>(texto.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, antes);
    ::ReleaseDC(control, dc);
    return {r.right, r.bottom};
}

// What does not fit in the window `ventana` at `ppp`, one line each: texts
// wider or higher than their controls, fonts and pictures that did not grow.
std::vector<std::string> NoCaben(HWND ventana, UINT ppp) {
    std::vector<HWND> hijos;
    ::EnumChildWindows(
        ventana,
        [](HWND h, LPARAM l) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&hijos));
    // The layout's font may shrink to two thirds where the system's font is
    // wider than the layout's, no further.
    const int letraMinima = ::MulDiv(825 * 2 / 3, static_cast<int>(ppp), 7200);
    std::vector<std::string> faltas;
    for (HWND h : hijos) {
        const std::wstring clase = Clase(h);
        const std::string nombre = win32::Utf8(clase) + " \"" + win32::TextoDe(h) + "\"";
        const std::wstring texto = win32::Ancho(win32::TextoDe(h));
        const auto fuente = reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0));
        if (!::IsWindowVisible(h) || fuente == nullptr ||
            (clase != L"Static" && clase != L"Button" && clase != WC_LISTVIEWW)) {
            continue;
        }
        LOGFONTW lf{};
        ::GetObjectW(fuente, sizeof lf, &lf);
        if (std::abs(lf.lfHeight) < letraMinima) {
            faltas.push_back(nombre + ": font " + std::to_string(lf.lfHeight));
        }
        RECT caja{};
        ::GetClientRect(h, &caja);
        if (clase == L"Static" && !texto.empty()) {
            const SIZE s = Medida(h, fuente, texto, caja.right);
            if (s.cx > caja.right || s.cy > caja.bottom) {
                faltas.push_back(nombre + ": " + std::to_string(s.cx) + "x" + std::to_string(s.cy) +
                                 " in " + std::to_string(caja.right) + "x" +
                                 std::to_string(caja.bottom));
            }
        } else if (clase == L"Button") {
            // The picture above the caption, inside the button's edges.
            BUTTON_IMAGELIST lista{};
            ::SendMessageW(h, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&lista));
            int lado = 0;
            int alto = 0;
            ::ImageList_GetIconSize(lista.himl, &lado, &alto);
            const int borde = ::MulDiv(3, static_cast<int>(ppp), 96);
            const SIZE s = Medida(h, fuente, texto, caja.right - 2 * borde);
            if (alto < ::MulDiv(16, static_cast<int>(ppp), 96) || s.cx > caja.right - 2 * borde ||
                alto + s.cy > caja.bottom - 2 * borde) {
                faltas.push_back(nombre + ": picture " + std::to_string(alto) + ", text " +
                                 std::to_string(s.cx) + "x" + std::to_string(s.cy) + " in " +
                                 std::to_string(caja.right) + "x" + std::to_string(caja.bottom));
            }
        } else if (clase == WC_LISTVIEWW) {
            // Rows as the layout has them at this density; the header's
            // words whole in their cells.
            const int fila = win32::Pixeles(modelo::kAltoFilaRejilla, ppp);
            RECT r{};
            ListView_GetItemRect(h, 0, &r, LVIR_BOUNDS);
            HWND cabecera = ListView_GetHeader(h);
            RECT celda{};
            Header_GetItemRect(cabecera, 0, &celda);
            wchar_t titulo[128] = {};
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT;
            col.pszText = titulo;
            col.cchTextMax = 128;
            ListView_GetColumn(h, 0, &col);
            const SIZE s = Medida(h, fuente, titulo, 10000);
            if (r.bottom - r.top != fila || celda.bottom - celda.top != fila ||
                s.cx > celda.right - celda.left || s.cy > fila) {
                faltas.push_back(nombre + ": row " + std::to_string(r.bottom - r.top) +
                                 ", header text " + std::to_string(s.cx) + "x" +
                                 std::to_string(s.cy) + " in " +
                                 std::to_string(celda.right - celda.left) + "x" +
                                 std::to_string(celda.bottom - celda.top));
            }
        }
    }
    return faltas;
}

// Tells `ventana` it is now on a screen of `ppp`, as Windows does: its
// rectangle scaled from the density it had.
void Mover(HWND ventana, UINT antes, UINT ppp) {
    RECT r{};
    ::GetWindowRect(ventana, &r);
    const auto escala = [&](LONG v) {
        return ::MulDiv(v, static_cast<int>(ppp), static_cast<int>(antes));
    };
    const RECT propuesto{r.left, r.top, r.left + escala(r.right - r.left),
                         r.top + escala(r.bottom - r.top)};
    ::SendMessageW(ventana, WM_DPICHANGED, MAKEWPARAM(ppp, ppp),
                   reinterpret_cast<LPARAM>(&propuesto));
    RECT ahora{};
    ::GetWindowRect(ventana, &ahora);
    EXPECT_TRUE(::EqualRect(&ahora, &propuesto)) << ppp;
}

} // namespace

TEST(CaraWin32, EveryTextFitsItsControlAtEveryDensity) {
    pruebas::ConductorWin32 c;
    // The conversion window's remembered size is kept in this run's folder.
    ::SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());
    c.Fichero("entrada.txt", "Fran\xe7"
                             "ais \x93"
                             "cita\x94 \x85\r\nle\xe7on\r\n");
    c.MostrarSeleccion();
    UINT ppp = win32::PuntosPorPulgada(c.app().VentanaActual());
    for (const UINT nuevo : {96u, 144u, 192u}) {
        Mover(c.app().VentanaActual(), ppp, nuevo);
        ppp = nuevo;
        c.Atender();
        EXPECT_EQ(NoCaben(c.app().VentanaActual(), ppp), std::vector<std::string>{})
            << "FrmElegirFicheros at " << ppp;
        c.Capturar("FrmElegirFicheros-" + std::to_string(ppp));
    }
    c.Teclear("txtEntrada", c.Ruta("entrada.txt"));
    c.Teclear("txtSalida", c.Ruta("salida.txt"));
    c.Pulsar("CmdActualizar");
    ASSERT_EQ(c.VentanaActual(), "FrmConversionCaracteres");
    // "n / m" under the search button.
    c.Pulsar("CmdBuscar");
    ASSERT_EQ(c.Texto("LblOcurrencias"), "1 / 2");
    ppp = win32::PuntosPorPulgada(c.app().VentanaActual());
    for (const UINT nuevo : {96u, 144u, 192u}) {
        Mover(c.app().VentanaActual(), ppp, nuevo);
        ppp = nuevo;
        c.Atender();
        EXPECT_EQ(NoCaben(c.app().VentanaActual(), ppp), std::vector<std::string>{})
            << "FrmConversionCaracteres at " << ppp;
        c.Capturar("FrmConversionCaracteres-" + std::to_string(ppp));
    }
}
