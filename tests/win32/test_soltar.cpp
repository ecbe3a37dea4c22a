// Files dropped on the first window, as Explorer drops them: a
// WM_DROPFILES whose handle holds the names and the point of the drop.

#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

using namespace tildora;

namespace {

// What Explorer hands the window: DROPFILES, then the names one after
// another, each ended by a nul, and one more nul; `donde` in the window's
// client area. The window lets it go (DragFinish).
HDROP Soltados(const std::vector<std::wstring>& nombres, POINT donde) {
    std::wstring lista;
    for (const std::wstring& n : nombres) {
        lista += n;
        lista += L'\0';
    }
    lista += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + lista.size() * sizeof(wchar_t);
    HGLOBAL memoria = ::GlobalAlloc(GHND, bytes);
    auto* d = static_cast<DROPFILES*>(::GlobalLock(memoria));
    d->pFiles = sizeof(DROPFILES);
    d->pt = donde;
    d->fNC = FALSE;
    d->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(d) + sizeof(DROPFILES), lista.data(),
                lista.size() * sizeof(wchar_t));
    ::GlobalUnlock(memoria);
    return static_cast<HDROP>(memoria);
}

// The middle of a control, in its window's client area.
POINT Centro(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ScreenToClient(::GetParent(control), &p);
    return p;
}

} // namespace

TEST(CaraWin32, AFileDroppedOnANameBoxFillsIt) {
    pruebas::ConductorWin32 c;
    const std::string carta = c.Fichero("carta ñ.txt", "hola\r\n");
    const std::string otra = c.Fichero("otra.txt", "adios\r\n");
    c.MostrarSeleccion();
    struct Caso {
        const char* sobre;                // where it is dropped
        std::vector<std::string> nombres; // what is dropped
        std::string entrada;              // the boxes after
        std::string salida;
        const char* foco; // the control with the focus after
    };
    const Caso casos[] = {
        {"txtEntrada", {carta}, carta, "", "txtEntrada"},
        {"txtSalida", {otra}, carta, otra, "txtSalida"},
        // Two files fill no box; nor does a drop beside the boxes.
        {"txtEntrada", {otra, carta}, carta, otra, "txtSalida"},
        {"LblAct", {otra}, carta, otra, "txtSalida"},
    };
    HWND ventana = c.app().VentanaActual();
    for (const Caso& caso : casos) {
        std::vector<std::wstring> nombres;
        for (const std::string& n : caso.nombres) {
            nombres.push_back(win32::Ancho(n));
        }
        ::PostMessageW(ventana, WM_DROPFILES,
                       reinterpret_cast<WPARAM>(Soltados(nombres, Centro(c.Control(caso.sobre)))),
                       0);
        c.Atender();
        EXPECT_EQ(c.Texto("txtEntrada"), caso.entrada) << caso.sobre;
        EXPECT_EQ(c.Texto("txtSalida"), caso.salida) << caso.sobre;
        EXPECT_EQ(c.Foco(), caso.foco) << caso.sobre;
    }
}
