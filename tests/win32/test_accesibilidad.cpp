// What a screen reader reads of the Win32 face, asked as a screen reader
// asks (Microsoft Active Accessibility: AccessibleObjectFromWindow, then the
// object's name, description, value, children, focus and selection): each
// control's name and description, the grid's cells as a voice reads them,
// and the text view's line and selection after a search.

#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/frmconversioncaracteres.h"

#include "modelos/conversion.h"
#include "modelos/disposicion.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tildora;

namespace {

// The object a control's client area gives a screen reader.
class Objeto {
public:
    explicit Objeto(HWND control) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&m_a));
    }
    ~Objeto() {
        if (m_a) {
            m_a->Release();
        }
    }
    Objeto(const Objeto&) = delete;
    Objeto& operator=(const Objeto&) = delete;
    explicit operator bool() const { return m_a != nullptr; }

    std::wstring Nombre(long hijo = CHILDID_SELF) { return Texto(&IAccessible::get_accName, hijo); }
    std::wstring Descripcion(long hijo = CHILDID_SELF) {
        return Texto(&IAccessible::get_accDescription, hijo);
    }
    std::wstring Valor() { return Texto(&IAccessible::get_accValue, CHILDID_SELF); }
    long Rol(long hijo = CHILDID_SELF) { return Entero(&IAccessible::get_accRole, hijo); }
    long Estado(long hijo) { return Entero(&IAccessible::get_accState, hijo); }
    long Hijos() {
        long n = 0;
        m_a->get_accChildCount(&n);
        return n;
    }
    // The child with the focus, the one selected: 0 for the control
    // itself, -1 for none.
    long Foco() { return Elegido(&IAccessible::get_accFocus); }
    long Seleccion() { return Elegido(&IAccessible::get_accSelection); }

private:
    static VARIANT Hijo(long id) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }
    std::wstring Texto(HRESULT (STDMETHODCALLTYPE IAccessible::*metodo)(VARIANT, BSTR*), long id) {
        BSTR b = nullptr;
        (m_a->*metodo)(Hijo(id), &b);
        std::wstring s = b ? b : L"";
        SysFreeString(b);
        return s;
    }
    long Entero(HRESULT (STDMETHODCALLTYPE IAccessible::*metodo)(VARIANT, VARIANT*), long id) {
        VARIANT v;
        VariantInit(&v);
        (m_a->*metodo)(Hijo(id), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    long Elegido(HRESULT (STDMETHODCALLTYPE IAccessible::*metodo)(VARIANT*)) {
        VARIANT v;
        VariantInit(&v);
        (m_a->*metodo)(&v);
        const long r = v.vt == VT_I4 ? v.lVal : -1;
        VariantClear(&v);
        return r;
    }

    IAccessible* m_a = nullptr;
};

// Every control of a window reads the name and the description the models
// give it; a label, which has no name of its own, its caption.
void LecturasDeLaVentana(pruebas::ConductorWin32& c, std::span<const modelo::Lectura> lecturas) {
    for (const modelo::Lectura& l : lecturas) {
        SCOPED_TRACE(std::string(l.control));
        Objeto o(c.Control(l.control));
        ASSERT_TRUE(o);
        EXPECT_EQ(o.Nombre(), win32::Ancho(l.nombre.empty() ? c.Texto(l.control) : l.nombre));
        EXPECT_EQ(o.Descripcion(), win32::Ancho(l.descripcion));
    }
}

TEST(Accesibilidad, VentanaDeFicheros) {
    pruebas::ConductorWin32 c;
    c.MostrarSeleccion();
    Objeto salir(c.Control("CmdSalir"));
    ASSERT_TRUE(salir);
    EXPECT_EQ(salir.Nombre(), L"Irten / Salir");
    EXPECT_EQ(salir.Descripcion(), L"Programa amaitzen du / Termina el programa");
    LecturasDeLaVentana(c, modelo::LecturasEleccion());
}

// A Windows-1252 text: 'ç' remembered as "c", a tab with no answer.
TEST(Accesibilidad, VentanaDeConversion) {
    pruebas::ConductorWin32 c;
    SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());
    c.Fichero("caracteres.ini", "[lista]\r\n\xe7=c\r\n");
    c.Fichero("entrada.txt", "Fran\xe7"
                             "ais\t"
                             "b\r\nle\xe7on\r\n");
    c.MostrarSeleccion();
    c.Teclear("txtEntrada", c.Ruta("entrada.txt"));
    c.Teclear("txtSalida", c.Ruta("salida.txt"));
    c.Pulsar("CmdActualizar");
    ASSERT_EQ(c.VentanaActual(), "FrmConversionCaracteres");
    LecturasDeLaVentana(c, modelo::LecturasConversion());

    HWND g = c.Control("caracteresFG");
    Objeto rejilla(g);
    ASSERT_TRUE(rejilla);
    EXPECT_EQ(rejilla.Nombre(),
              L"Karaktere okerrak eta ordezkoak / Caracteres err\u00f3neos y sustitutos");
    const modelo::Conversion& m = c.app().Conversion()->Modelo();
    ASSERT_EQ(rejilla.Hijos(), static_cast<long>(2 * m.NumFilas()));
    // Every cell as a voice reads it: the tab by its code.
    std::vector<std::wstring> nombres;
    for (long id = 1; id <= rejilla.Hijos(); ++id) {
        nombres.push_back(rejilla.Nombre(id));
        EXPECT_EQ(rejilla.Rol(id), ROLE_SYSTEM_CELL);
    }
    for (const wchar_t* celda : {L"\u00e7", L"c", L"9 \u00b7 0x09 \u00b7 TAB"}) {
        EXPECT_NE(std::find(nombres.begin(), nombres.end(), celda), nombres.end())
            << win32::Utf8(celda);
    }
    // The same text for Windows's own readers of list views, which ask
    // the list view itself.
    const auto tab = static_cast<int>(
        std::find(nombres.begin(), nombres.end(), L"9 \u00b7 0x09 \u00b7 TAB") - nombres.begin());
    wchar_t celda[64] = {};
    ListView_GetItemText(g, tab, 0, celda, 64);
    EXPECT_STREQ(celda, L"9 \u00b7 0x09 \u00b7 TAB");

    // 'ç''s row, clicked, then its answer with the right arrow: the cell
    // with the focus is the one read, focused and selected.
    int fila = 0;
    while (m.Clave(static_cast<std::size_t>(fila)) != "\xe7") {
        ++fila;
    }
    RECT r{};
    ListView_GetItemRect(g, fila, &r, LVIR_BOUNDS);
    const LPARAM punto = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    PostMessageW(g, WM_LBUTTONDOWN, MK_LBUTTON, punto);
    PostMessageW(g, WM_LBUTTONUP, 0, punto);
    c.Atender();
    ASSERT_EQ(GetFocus(), g);
    EXPECT_EQ(rejilla.Nombre(rejilla.Foco()), L"\u00e7");
    PostMessageW(g, WM_KEYDOWN, VK_RIGHT, 1);
    c.Atender();
    const long respuesta = rejilla.Foco();
    EXPECT_EQ(rejilla.Nombre(respuesta), L"c");
    EXPECT_EQ(rejilla.Seleccion(), respuesta);
    EXPECT_EQ(rejilla.Estado(respuesta) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED),
              STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED);

    // The search: the text view reads the line of the 'ç' it chose, and
    // that 'ç' as its selection; F3, the next one's line.
    Objeto texto(c.Control("textoFicheroRTB"));
    ASSERT_TRUE(texto);
    EXPECT_EQ(texto.Nombre(), L"Fitxategiaren testua / Texto del fichero");
    EXPECT_EQ(texto.Rol(), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(texto.Seleccion(), -1);
    SendMessageW(c.Control("CmdBuscar"), BM_CLICK, 0, 0);
    c.Atender();
    EXPECT_EQ(texto.Valor(), L"Fran\u00e7ais\u2409b");
    EXPECT_EQ(texto.Seleccion(), 1);
    EXPECT_EQ(texto.Nombre(1), L"\u00e7");
    c.Enfocar("textoFicheroRTB");
    EXPECT_EQ(texto.Foco(), CHILDID_SELF);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_F3, 1);
    c.Atender();
    EXPECT_EQ(texto.Valor(), L"le\u00e7on");
    EXPECT_EQ(texto.Nombre(1), L"\u00e7");
}

} // namespace
