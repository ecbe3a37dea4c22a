// The Win32 conversion window, driven as a user would with the messages a
// user's clicks and keys send: a scan's rows in the list view, cells clicked
// and typed into, keys on the grid and in the editor, the search, accept,
// cancel and the close box, with scripted dialogs answering and the output
// and the store read back. The rules are the models' and tested there; this
// checks that the window carries them.

#include "tests/core/ayudas.h"
#include "tests/modelos/dialogos_guionados.h"
#include "ui-win32/aplicacion.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/frmconversioncaracteres.h"
#include "ui-win32/seleccion/frmelegirficheros.h"

#include "core/estado.h"
#include "core/textos.h"
#include "modelos/dialogos.h"
#include "modelos/vista.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

using namespace tildora;
using tildora::win32::FinConversion;
using tildora::win32::FrmConversionCaracteres;

namespace {

using Respuesta = modelo::Dialogos::Respuesta;

// One program run, its store, input and output in a folder of its own, on
// the conversion window: the input written, its name and the output's typed
// into the first window, "Zuzendu Corregir" pressed. `v` is the conversion
// window while it is the one loaded.
struct Ventana {
    prueba::CarpetaTemporal carpeta;
    Estado estado;
    pruebas::DialogosGuionadosEstandar dialogos;
    int salidas = 0;
    win32::Aplicacion app{GetModuleHandleW(nullptr), estado, dialogos, [this] { ++salidas; }};
    FrmConversionCaracteres* v = nullptr;
    std::optional<FinConversion> fin;

    explicit Ventana(const std::string& texto, const std::string& almacen = {}) {
        estado.RutaAlmacen = carpeta / "caracteres.ini";
        // The window's remembered size is kept in this run's folder.
        SetEnvironmentVariableW(L"APPDATA", carpeta.ruta().wstring().c_str());
        if (!almacen.empty()) {
            prueba::Escribir(estado.RutaAlmacen, almacen);
        }
        prueba::Escribir(carpeta / "entrada.txt", texto);
        app.MostrarSeleccion();
        Atender();
        Abrir();
    }

    // From the first window to the conversion window.
    void Abrir() {
        win32::FrmElegirFicheros* primera = app.Seleccion();
        ASSERT_NE(primera, nullptr);
        win32::PonerTexto(primera->Control("txtEntrada"), carpeta / "entrada.txt");
        win32::PonerTexto(primera->Control("txtSalida"), carpeta / "salida.txt");
        SendMessageW(primera->Control("CmdActualizar"), BM_CLICK, 0, 0);
        Atender();
        ASSERT_NE(v, nullptr);
        ASSERT_TRUE(IsWindowVisible(v->Ventana()));
    }

    HWND C(const char* nombre) const { return v ? v->Control(nombre) : nullptr; }

    // Every message waiting, as the program's loop runs it; how the
    // conversion window ended is kept before it hands over.
    void Atender() {
        MSG m;
        do {
            if (v && v->Fin()) {
                fin = v->Fin();
            }
            app.TrasMensaje();
            v = app.Conversion();
        } while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) && (win32::Despachar(m), true));
    }

    // A cell's box in the grid's client area (rows from 1, as the grid's).
    RECT Celda(int fila, int columna) const {
        HWND g = C("caracteresFG");
        RECT r{};
        ListView_GetItemRect(g, fila - 1, &r, LVIR_BOUNDS);
        const int ancho0 = ListView_GetColumnWidth(g, 0);
        r.left += columna == 0 ? 0 : ancho0;
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
        for (const wchar_t c : texto) {
            PostMessageW(control, WM_CHAR, c, 1);
        }
        Atender();
    }
    void Tecla(HWND control, WPARAM vk) {
        PostMessageW(control, WM_KEYDOWN, vk, 1);
        PostMessageW(control, WM_KEYUP, vk, 0xC0000001);
        Atender();
    }
    // What the list view reads of a cell (the text it hands a screen reader).
    std::wstring TextoCelda(int fila, int columna) const {
        wchar_t b[256] = {};
        ListView_GetItemText(C("caracteresFG"), fila - 1, columna, b, 256);
        return b;
    }
    std::wstring Texto(const char* control) const {
        wchar_t b[256] = {};
        GetWindowTextW(C(control), b, 256);
        return b;
    }
    std::vector<std::string> Mensajes() {
        std::vector<std::string> r;
        for (const auto& m : dialogos.mensajes) {
            r.push_back(m.texto);
        }
        dialogos.mensajes.clear();
        return r;
    }
    // A file's bytes; empty when it is not there.
    static std::string Bytes(const std::string& ruta) {
        return std::filesystem::exists(prueba::Camino(ruta)) ? prueba::Leer(ruta) : std::string();
    }
    std::string Salida() const { return Bytes(estado.FicheroSalida); }
    std::string Almacen() const { return Bytes(estado.RutaAlmacen); }

    // Saves the window's picture when the run asks for pictures.
    void Capturar(const char* nombre) const;
    // The first window's box, after the conversion window handed back.
    std::string Caja(const char* nombre) const {
        return app.Seleccion() ? win32::TextoDe(app.Seleccion()->Control(nombre)) : "?";
    }
};

void Ventana::Capturar(const char* nombre) const {
    const char* carpetaCapturas = std::getenv("TILDORA_CAPTURAS");
    if (!carpetaCapturas) {
        return;
    }
    HWND h = v->Ventana();
    RECT r{};
    GetWindowRect(h, &r);
    const int an = r.right - r.left, al = r.bottom - r.top;
    HDC pantalla = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(pantalla);
    HBITMAP imagen = CreateCompatibleBitmap(pantalla, an, al);
    SelectObject(dc, imagen);
    // From the screen, as it shows: Wine's PrintWindow leaves out the
    // controls.
    // Above every other window, then drawn anew.
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Wine hands the drawing to the X server on its own time; a picture
    // (never a check) may wait for it.
    GdiFlush();
    Sleep(200);
    BitBlt(dc, 0, 0, an, al, pantalla, r.left, r.top, SRCCOPY);
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    BITMAPINFOHEADER bi{sizeof bi, an, -al, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int fila = (an * 3 + 3) & ~3;
    std::string pixeles(static_cast<std::size_t>(fila * al), '\0');
    GetDIBits(dc, imagen, 0, al, pixeles.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
    BITMAPFILEHEADER bf{0x4D42, static_cast<DWORD>(sizeof bf + sizeof bi + pixeles.size()), 0, 0,
                        sizeof bf + sizeof bi};
    std::string bmp(reinterpret_cast<const char*>(&bf), sizeof bf);
    bmp.append(reinterpret_cast<const char*>(&bi), sizeof bi).append(pixeles);
    prueba::Escribir(std::string(carpetaCapturas) + "/" + nombre + ".bmp", bmp);
    DeleteObject(imagen);
    DeleteDC(dc);
    ReleaseDC(nullptr, pantalla);
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

TEST_P(PruebaRecorrido, DeLaExploracionALaCuenta) {
    Ventana w(GetParam().entrada, "[lista]\r\n\xe7=c\r\n");
    ASSERT_TRUE(IsWindowVisible(w.v->Ventana()));
    ASSERT_EQ(ListView_GetItemCount(w.C("caracteresFG")), 4);
    EXPECT_EQ(w.TextoCelda(1, 0), L"\u00e7");
    EXPECT_EQ(w.TextoCelda(1, 1), L"c");
    EXPECT_EQ(w.TextoCelda(4, 0), L"\u2026");
    EXPECT_TRUE(w.v->Modelo().EsPropuesta(1));
    EXPECT_FALSE(IsWindowVisible(w.C("txtEditor")));

    // The editor opens exactly over the clicked cell.
    w.Clic(2, 1);
    HWND editor = w.C("txtEditor");
    ASSERT_TRUE(IsWindowVisible(editor));
    RECT celda = w.Celda(2, 1);
    MapWindowPoints(w.C("caracteresFG"), w.v->Ventana(), reinterpret_cast<POINT*>(&celda), 2);
    RECT caja{};
    GetWindowRect(editor, &caja);
    MapWindowPoints(nullptr, w.v->Ventana(), reinterpret_cast<POINT*>(&caja), 2);
    EXPECT_TRUE(EqualRect(&celda, &caja));
    EXPECT_EQ(GetFocus(), editor);
    w.Teclear(editor, L"v");
    w.Capturar(("conversion-" + std::string(GetParam().nombre)).c_str());

    // Another cell takes what was typed into its own; Delete on the grid
    // gives the delete answer.
    w.Clic(3, 1);
    EXPECT_EQ(w.TextoCelda(2, 1), L"v");
    w.Tecla(editor, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(editor));
    w.Tecla(w.C("caracteresFG"), VK_DELETE);
    EXPECT_TRUE(w.v->Modelo().EsBorrado(2));

    // The search chooses the first 'ç' and says which of how many.
    w.Clic(1, 0);
    SendMessageW(w.C("CmdBuscar"), BM_CLICK, 0, 0);
    w.Atender();
    EXPECT_EQ(w.Texto("LblOcurrencias"), L"1 / 2");
    EXPECT_EQ(w.v->Vista().Actual(),
              w.estado.documento.texto.find(GetParam().nombre[0] == 'w' ? "\xe7" : "\xc3\xa7"));
    // F3 goes on to the next one; F4 shows the text as it will be written.
    w.Tecla(GetFocus(), VK_F3);
    EXPECT_EQ(w.Texto("LblOcurrencias"), L"2 / 2");
    w.Tecla(GetFocus(), VK_F4);
    EXPECT_TRUE(w.v->Vista().Previa());
    EXPECT_EQ(w.Texto("LblTextoMostrado"), L"Testu zuzendua\r\nTexto corregido");
    w.Capturar(("previa-" + std::string(GetParam().nombre)).c_str());

    // Enter, from the grid, accepts.
    w.Clic(1, 0);
    ASSERT_EQ(GetFocus(), w.C("caracteresFG"));
    w.Tecla(GetFocus(), VK_RETURN);
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{textos::MensajeCorregido(6)});
    ASSERT_TRUE(w.fin);
    EXPECT_EQ(w.fin->como, FinConversion::Como::Aceptada);
    EXPECT_EQ(w.Salida(), GetParam().salida);
    // The first window again, its boxes empty.
    EXPECT_EQ(w.v, nullptr);
    EXPECT_EQ(w.Caja("txtEntrada"), "");
    EXPECT_EQ(w.Caja("txtSalida"), "");
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
    EXPECT_FALSE(w.fin);
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
    EXPECT_FALSE(w.fin);
}

TEST(VentanaConversion, EscYCierreConRespuestasEscritas) {
    Ventana w("a ^ b\r\n");
    w.Clic(1, 1);
    w.Teclear(w.C("txtEditor"), L"v");
    w.Clic(1, 0); // leaves the editor: the answer is in its cell
    ASSERT_EQ(w.TextoCelda(1, 1), L"v");

    // Esc asks; Cancel keeps the window, and so does the close box.
    w.dialogos.respuestas = {Respuesta::Cancelar, Respuesta::Cancelar, Respuesta::Aceptar};
    w.Tecla(w.C("caracteresFG"), VK_ESCAPE);
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{std::string(textos::SalirSinGuardar)});
    EXPECT_FALSE(w.fin);
    PostMessageW(w.v->Ventana(), WM_CLOSE, 0, 0);
    w.Atender();
    EXPECT_EQ(w.Mensajes(), std::vector<std::string>{std::string(textos::SalirSinGuardar)});
    EXPECT_FALSE(w.fin);
    EXPECT_TRUE(IsWindowVisible(w.v->Ventana()));
    // Agreed, the close box ends the program; nothing is stored or written.
    PostMessageW(w.v->Ventana(), WM_CLOSE, 0, 0);
    w.Atender();
    ASSERT_TRUE(w.fin);
    EXPECT_EQ(w.fin->como, FinConversion::Como::Cerrada);
    EXPECT_EQ(w.salidas, 1);
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
    ASSERT_FALSE(w.v->Modelo().EsPropuesta(0));
    // The menu key, then its third entry chosen from the keyboard (the
    // menu's own loop reads the keys waiting).
    HWND g = w.C("caracteresFG");
    for (const WPARAM vk : {VK_APPS, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(g, WM_KEYDOWN, vk, 1);
    }
    w.Atender();
    EXPECT_TRUE(w.v->Modelo().EsPropuesta(0));
}

TEST(VentanaConversion, CreceYRecuerdaSuTamano) {
    Ventana w("a ^ b\r\nc | d\r\n");
    const auto caja = [](HWND c) {
        RECT r{};
        GetWindowRect(c, &r);
        return r;
    };
    const RECT vista = caja(w.C("textoFicheroRTB"));
    SetWindowPos(w.v->Ventana(), nullptr, 0, 0, 1000, 740, SWP_NOZORDER | SWP_NOMOVE);
    w.Atender();
    // The text takes the width and most of the height added.
    const RECT crecida = caja(w.C("textoFicheroRTB"));
    EXPECT_GT(crecida.right - crecida.left, vista.right - vista.left);
    EXPECT_GT(crecida.bottom - crecida.top, vista.bottom - vista.top);

    // Left with nothing typed, it opens next time at the size it had.
    RECT cliente{};
    GetClientRect(w.v->Ventana(), &cliente);
    w.Tecla(w.C("caracteresFG"), VK_ESCAPE);
    ASSERT_TRUE(w.fin);
    w.Abrir();
    RECT otro{};
    GetClientRect(w.v->Ventana(), &otro);
    EXPECT_EQ(otro.right, cliente.right);
    EXPECT_EQ(otro.bottom, cliente.bottom);
}

} // namespace
