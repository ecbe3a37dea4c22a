// The Win32 conversion window, driven as a user would through the face's
// driver (tests/win32/conductor_win32.h) and the messages a user's clicks and
// keys send: the first window hands over, the scan's rows show in the list
// view, cells are clicked and typed into, keys pressed on the grid and in the
// editor, the search, the preview, accept, cancel and the close box, with
// the scripted dialogs answering and the output and the store read back. The
// rules are the models' and tested there; these check that the window
// carries them.

#include "tests/core/ayudas.h"
#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/frmconversioncaracteres.h"

#include "core/textos.h"
#include "modelos/dialogos.h"
#include "modelos/vista.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

using namespace tildora;
using tildora::win32::FrmConversionCaracteres;

namespace {

using Respuesta = modelo::Dialogos::Respuesta;

// One program run on the conversion window: the input (and the store)
// written in the run's folder, their names typed into the first window,
// "Zuzendu Corregir" pressed.
struct Ventana {
    pruebas::ConductorWin32 c;

    explicit Ventana(const std::string& texto, const std::string& almacen = {}) {
        // The window's remembered size is kept in this run's folder.
        SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());
        if (!almacen.empty()) {
            c.Fichero("caracteres.ini", almacen);
        }
        c.Fichero("entrada.txt", texto);
        c.MostrarSeleccion();
        Abrir();
    }

    // From the first window to the conversion window.
    void Abrir() {
        c.Teclear("txtEntrada", c.Ruta("entrada.txt"));
        c.Teclear("txtSalida", c.Ruta("salida.txt"));
        c.Pulsar("CmdActualizar");
        ASSERT_EQ(c.VentanaActual(), "FrmConversionCaracteres");
    }

    const FrmConversionCaracteres& v() { return *c.app().Conversion(); }
    HWND C(const char* nombre) { return c.Control(nombre); }
    void Atender() { c.Atender(); }

    // A cell's box in the grid's client area (rows from 1, as the grid's).
    RECT Celda(int fila, int columna) {
        HWND g = C("caracteresFG");
        RECT r{};
        ListView_GetItemRect(g, fila - 1, &r, LVIR_BOUNDS);
        r.left += columna == 0 ? 0 : ListView_GetColumnWidth(g, 0);
        r.right = r.left + ListView_GetColumnWidth(g, columna);
        return r;
    }
    void Clic(int fila, int columna) {
        const RECT r = Celda(fila, columna);
        const LPARAM p = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(C("caracteresFG"), WM_LBUTTONDOWN, MK_LBUTTON, p);
        PostMessageW(C("caracteresFG"), WM_LBUTTONUP, 0, p);
        Atender();
    }
    void Teclear(HWND control, std::wstring_view texto) {
        for (const wchar_t letra : texto) {
            PostMessageW(control, WM_CHAR, letra, 1);
        }
        Atender();
    }
    void Tecla(HWND control, WPARAM vk) {
        PostMessageW(control, WM_KEYDOWN, vk, 1);
        PostMessageW(control, WM_KEYUP, vk, 0xC0000001);
        Atender();
    }
    // A key with Ctrl held, as the keyboard holds it.
    void Control(HWND control, WPARAM vk) {
        BYTE teclas[256];
        GetKeyboardState(teclas);
        teclas[VK_CONTROL] = 0x80;
        SetKeyboardState(teclas);
        Tecla(control, vk);
        teclas[VK_CONTROL] = 0;
        SetKeyboardState(teclas);
    }
    // What the list view reads of a cell (the text it hands a screen reader).
    std::wstring TextoCelda(int fila, int columna) {
        wchar_t b[256] = {};
        ListView_GetItemText(C("caracteresFG"), fila - 1, columna, b, 256);
        return b;
    }
    std::wstring Texto(const char* control) { return win32::Ancho(c.Texto(control)); }
    std::vector<std::string> Mensajes() { return c.Mensajes(); }
    // A file's bytes; empty when it is not there.
    std::string Bytes(const std::string& nombre) {
        const std::string ruta = c.Ruta(nombre);
        return std::filesystem::exists(prueba::Camino(ruta)) ? prueba::Leer(ruta) : std::string();
    }
    std::string Salida() { return Bytes("salida.txt"); }
    std::string Almacen() { return Bytes("caracteres.ini"); }
};

// The clipboard's text; with `vaciar`, the clipboard emptied.
std::wstring Portapapeles(bool vaciar = false) {
    std::wstring texto;
    if (OpenClipboard(nullptr)) {
        if (vaciar) {
            EmptyClipboard();
        } else if (HANDLE datos = GetClipboardData(CF_UNICODETEXT)) {
            texto = static_cast<const wchar_t*>(GlobalLock(datos));
            GlobalUnlock(datos);
        }
        CloseClipboard();
    }
    return texto;
}

// The same walk in each encoding: 'ç' remembered, '^' typed over its
// proposal, '|' given the delete answer with Delete, '…' keeping its
// proposal; the search, then Enter, the count and the output.
struct Recorrido {
    const char* nombre;
    std::string entrada;
    std::string salida;
};

void PrintTo(const Recorrido& r, std::ostream* os) {
    *os << r.nombre;
}

class PruebaRecorrido : public ::testing::TestWithParam<Recorrido> {};

// The search on the walk's first row, 'ç': the first occurrence, copied
// with Ctrl+C, the next with F3, then the preview with F4.
void Buscar(Ventana& w, const std::string& nombre) {
    // The search chooses the first 'ç' and says which of how many.
    w.Clic(1, 0);
    SendMessageW(w.C("CmdBuscar"), BM_CLICK, 0, 0);
    w.Atender();
    EXPECT_EQ(w.Texto("LblOcurrencias"), L"1 / 2");
    EXPECT_EQ(w.v().Vista().Actual(),
              w.c.estado().documento.texto.find(nombre[0] == 'w' ? "\xe7" : "\xc3\xa7"));
    // Ctrl+C in the text copies what the search selected.
    Portapapeles(true);
    w.c.Enfocar("textoFicheroRTB");
    w.Control(w.C("textoFicheroRTB"), 'C');
    EXPECT_EQ(Portapapeles(), L"\u00e7");
    // F3 goes on to the next one; F4 shows the text as it will be written.
    w.Tecla(GetFocus(), VK_F3);
    EXPECT_EQ(w.Texto("LblOcurrencias"), L"2 / 2");
    w.Tecla(GetFocus(), VK_F4);
    EXPECT_TRUE(w.v().Vista().Previa());
    EXPECT_EQ(w.Texto("LblTextoMostrado"), L"Testu zuzendua\r\nTexto corregido");
    w.c.Capturar(("previa-" + nombre).c_str());
}

TEST_P(PruebaRecorrido, DeLaExploracionALaCuenta) {
    Ventana w(GetParam().entrada, "[lista]\r\n\xe7=c\r\n");
    ASSERT_TRUE(IsWindowVisible(w.v().Ventana()));
    ASSERT_EQ(ListView_GetItemCount(w.C("caracteresFG")), 4);
    EXPECT_EQ(w.TextoCelda(1, 0), L"\u00e7");
    EXPECT_EQ(w.TextoCelda(1, 1), L"c");
    EXPECT_EQ(w.TextoCelda(4, 0), L"\u2026");
    EXPECT_TRUE(w.v().Modelo().EsPropuesta(1));
    EXPECT_FALSE(IsWindowVisible(w.C("txtEditor")));

    // The editor opens exactly over the clicked cell.
    w.Clic(2, 1);
    HWND editor = w.C("txtEditor");
    ASSERT_TRUE(IsWindowVisible(editor));
    RECT celda = w.Celda(2, 1);
    MapWindowPoints(w.C("caracteresFG"), w.v().Ventana(), reinterpret_cast<POINT*>(&celda), 2);
    RECT caja{};
    GetWindowRect(editor, &caja);
    MapWindowPoints(nullptr, w.v().Ventana(), reinterpret_cast<POINT*>(&caja), 2);
    EXPECT_TRUE(EqualRect(&celda, &caja));
    EXPECT_EQ(GetFocus(), editor);
    w.Teclear(editor, L"v");
    w.c.Capturar(("conversion-" + std::string(GetParam().nombre)).c_str());

    // Another cell takes what was typed into its own; Delete on the grid
    // gives the delete answer.
    w.Clic(3, 1);
    EXPECT_EQ(w.TextoCelda(2, 1), L"v");
    w.Tecla(editor, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(editor));
    w.Tecla(w.C("caracteresFG"), VK_DELETE);
    EXPECT_TRUE(w.v().Modelo().EsBorrado(2));

    Buscar(w, GetParam().nombre);

    // Enter, from the grid, accepts.
    w.Clic(1, 0);
    ASSERT_EQ(GetFocus(), w.C("caracteresFG"));
    w.Tecla(GetFocus(), VK_RETURN);
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{textos::MensajeCorregido(6)});
    EXPECT_EQ(w.Salida(), GetParam().salida);
    // The first window again, its boxes empty.
    ASSERT_EQ(w.c.VentanaActual(), "FrmElegirFicheros");
    EXPECT_EQ(w.c.Texto("txtEntrada"), "");
    EXPECT_EQ(w.c.Texto("txtSalida"), "");
}

// UTF-16, little-endian, with its byte-order mark.
std::string Utf16(std::u16string_view texto) {
    std::string r = "\xff\xfe";
    for (const char16_t c : texto) {
        r += static_cast<char>(c & 0xFF);
        r += static_cast<char>(c >> 8);
    }
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Codificaciones, PruebaRecorrido,
    ::testing::Values(Recorrido{"windows1252",
                                "Fran\xe7"
                                "ais ^ a|b\r\nle\xe7on ^ \x85\r\n",
                                "Francais v ab\r\nlecon v ...\r\n"},
                      Recorrido{"utf8",
                                "Fran\xc3\xa7"
                                "ais ^ a|b\r\nle\xc3\xa7on ^ \xe2\x80\xa6\r\n",
                                "Francais v ab\r\nlecon v ...\r\n"},
                      Recorrido{"utf16", Utf16(u"Fran\u00e7ais ^ a|b\r\nle\u00e7on ^ \u2026\r\n"),
                                Utf16(u"Francais v ab\r\nlecon v ...\r\n")}),
    [](const auto& info) { return std::string(info.param.nombre); });

TEST(VentanaConversion, FaltaRespuestaYCaracterRechazado) {
    // '中' has no proposal and nothing remembered.
    Ventana w("a \xe4\xb8\xad b \xc3\xa7\r\n", "[lista]\r\n\xe7=c\r\n");
    SendMessageW(w.C("CmdAceptar"), BM_CLICK, 0, 0);
    w.Atender();
    std::vector<std::string> m = w.Mensajes();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].rfind(std::string(textos::FaltanSoluciones), 0), 0u) << m[0];
    EXPECT_EQ(w.c.VentanaActual(), "FrmConversionCaracteres");
    EXPECT_TRUE(w.Salida().empty());
    // The row without an answer is made current.
    EXPECT_EQ(ListView_GetNextItem(w.C("caracteresFG"), -1, LVNI_FOCUSED), 0);

    // A character that is not allowed, typed over 'ç''s answer, is refused
    // when the editor is left, and the cell gets back what it held.
    w.Clic(2, 1);
    w.Tecla(w.C("txtEditor"), VK_BACK);
    w.Teclear(w.C("txtEditor"), L"\u00e7");
    w.Tecla(w.C("txtEditor"), VK_UP);
    m = w.Mensajes();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].rfind(std::string(textos::CaracterIncorrecto), 0), 0u) << m[0];
    EXPECT_FALSE(IsWindowVisible(w.C("txtEditor")));
    EXPECT_EQ(w.TextoCelda(2, 1), L"c");
    EXPECT_EQ(w.c.VentanaActual(), "FrmConversionCaracteres");
}

TEST(VentanaConversion, EscYCierreConRespuestasEscritas) {
    Ventana w("a ^ b\r\n");
    w.Clic(1, 1);
    w.Teclear(w.C("txtEditor"), L"v");
    w.Clic(1, 0); // leaves the editor: the answer is in its cell
    ASSERT_EQ(w.TextoCelda(1, 1), L"v");

    // Esc asks; Cancel keeps the window, and so does the close box.
    w.c.dialogos().respuestas = {Respuesta::Cancelar, Respuesta::Cancelar, Respuesta::Aceptar};
    w.Tecla(w.C("caracteresFG"), VK_ESCAPE);
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{std::string(textos::SalirSinGuardar)});
    EXPECT_EQ(w.c.VentanaActual(), "FrmConversionCaracteres");
    w.c.Cerrar();
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{std::string(textos::SalirSinGuardar)});
    EXPECT_TRUE(w.c.SeVe("FrmConversionCaracteres"));
    // Agreed, the close box ends the program; nothing is stored or written.
    w.c.Cerrar();
    EXPECT_EQ(w.c.Salidas(), 1);
    EXPECT_EQ(w.c.VentanaActual(), "");
    EXPECT_TRUE(w.Almacen().empty());
    EXPECT_TRUE(w.Salida().empty());
}

TEST(VentanaConversion, EscribirSobreLaRespuesta) {
    // On the grid, Right goes to the answer's cell, where a character typed
    // takes the place of the answer, as in a spreadsheet.
    Ventana w("a \xe7 b\r\n", "[lista]\r\n\xe7=c\r\n");
    w.Clic(1, 0);
    w.Tecla(w.C("caracteresFG"), VK_RIGHT);
    w.Teclear(w.C("caracteresFG"), L"z");
    EXPECT_TRUE(IsWindowVisible(w.C("txtEditor")));
    w.Clic(1, 0);
    EXPECT_EQ(w.TextoCelda(1, 1), L"z");
}

TEST(VentanaConversion, OtraVentanaNoSacaDelEditor) {
    // Another window taking the focus (a message box, another program) is
    // no leaving of the editor: it stays open, and has the focus again when
    // the window is active again.
    Ventana w("a ^ b\r\n");
    w.Clic(1, 1);
    w.Teclear(w.C("txtEditor"), L"v");
    HWND otra = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                nullptr, nullptr, nullptr);
    SetActiveWindow(otra);
    w.Atender();
    ASSERT_NE(GetFocus(), w.C("txtEditor"));
    DestroyWindow(otra);
    SetActiveWindow(w.v().Ventana());
    w.Atender();
    EXPECT_EQ(GetFocus(), w.C("txtEditor"));
    EXPECT_TRUE(IsWindowVisible(w.C("txtEditor")));
    EXPECT_TRUE(w.v().Modelo().EsPropuesta(0));
}

TEST(VentanaConversion, OrdenDelFoco) {
    Ventana w("a ^ b\r\n");
    EXPECT_EQ(GetFocus(), w.C("caracteresFG"));
    for (const char* siguiente : {"textoFicheroRTB", "CmdBuscar", "CmdPrevia", "CmdAceptar",
                                  "CmdCancelar", "caracteresFG"}) {
        w.Tecla(GetFocus(), VK_TAB);
        EXPECT_EQ(GetFocus(), w.C(siguiente)) << siguiente;
    }
}

TEST(VentanaConversion, MenuDeLaFila) {
    // '^' has a proposal; typed over, the row's menu takes it back.
    Ventana w("a ^ b\r\n");
    w.Clic(1, 1);
    w.Teclear(w.C("txtEditor"), L"v");
    w.Clic(1, 0);
    ASSERT_FALSE(w.v().Modelo().EsPropuesta(0));
    // The menu key, then its third entry chosen from the keyboard (the
    // menu's own loop reads the keys waiting).
    HWND g = w.C("caracteresFG");
    for (const WPARAM vk : {VK_APPS, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(g, WM_KEYDOWN, vk, 1);
    }
    w.Atender();
    EXPECT_TRUE(w.v().Modelo().EsPropuesta(0));
}

TEST(VentanaConversion, CreceYRecuerdaSuTamano) {
    Ventana w("a ^ b\r\nc | d\r\n");
    const auto caja = [](HWND c) {
        RECT r{};
        GetWindowRect(c, &r);
        return r;
    };
    const RECT vista = caja(w.C("textoFicheroRTB"));
    SetWindowPos(w.v().Ventana(), nullptr, 0, 0, 1000, 740, SWP_NOZORDER | SWP_NOMOVE);
    w.Atender();
    // The text takes the width and most of the height added.
    const RECT crecida = caja(w.C("textoFicheroRTB"));
    EXPECT_GT(crecida.right - crecida.left, vista.right - vista.left);
    EXPECT_GT(crecida.bottom - crecida.top, vista.bottom - vista.top);

    // Left with nothing typed, it opens next time at the size it had.
    RECT cliente{};
    GetClientRect(w.v().Ventana(), &cliente);
    w.Tecla(w.C("caracteresFG"), VK_ESCAPE);
    ASSERT_EQ(w.c.VentanaActual(), "FrmElegirFicheros");
    w.Abrir();
    RECT otro{};
    GetClientRect(w.v().Ventana(), &otro);
    EXPECT_EQ(otro.right, cliente.right);
    EXPECT_EQ(otro.bottom, cliente.bottom);
}

} // namespace
