// The pictures of the Win32 face for the documentation (docs/windows.md),
// taken from its real windows driven as a user would: the first window with
// both names typed; the conversion window with … chosen in the grid, its
// occurrences marked and the second one chosen with F3 ("2 / 2"); the same
// with F4, the text as it will be written, € left without an answer and …
// searched again ("1 / 2"). Each
// is saved as a BMP of the window, frame included, at the density of the
// screen it runs on (scripts/capturas-windows.sh runs it at 96 and 192 dpi
// and turns them into PNG files).
//   tildora_win32_capturas FOLDER

#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/frmconversioncaracteres.h"

#include "modelos/vista.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

using namespace tildora;

namespace {

// The same sample as the Qt face's pictures: Windows-1252, — (0x97)
// remembered as "-"; “ ” … € each with its proposal.
const std::string kMuestra = "Bilera astelehenean \x97 Reuni\xf3n el lunes\r\n"
                             "\x93"
                             "Ekarri txostena\x85\x94\r\n"
                             "\x93Traed el informe\x85\x94\r\n"
                             "Kafea / Caf\xe9: 2 \x80\r\n";
const std::string kAlmacen = "[lista]\r\n\x97=-\r\n";

int Quejarse(const char* que) {
    std::fprintf(stderr, "capturas: %s\n", que);
    return 1;
}

// The grid's row (from 1) of the character `clave`; 0 for none.
int FilaDe(const win32::FrmConversionCaracteres& v, const std::string& clave) {
    for (std::size_t i = 0; i < v.Modelo().NumFilas(); ++i) {
        if (v.Modelo().Clave(i) == clave) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

// A click on the middle of a cell of the grid.
void Clic(pruebas::ConductorWin32& c, int fila, int columna) {
    HWND g = c.Control("caracteresFG");
    RECT r{};
    ListView_GetItemRect(g, fila - 1, &r, LVIR_BOUNDS);
    r.left += columna == 0 ? 0 : ListView_GetColumnWidth(g, 0);
    r.right = r.left + ListView_GetColumnWidth(g, columna);
    const LPARAM p = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::PostMessageW(g, WM_LBUTTONDOWN, MK_LBUTTON, p);
    ::PostMessageW(g, WM_LBUTTONUP, 0, p);
    c.Atender();
}

void Tecla(pruebas::ConductorWin32& c, WPARAM vk) {
    HWND foco = ::GetFocus();
    ::PostMessageW(foco, WM_KEYDOWN, vk, 1);
    ::PostMessageW(foco, WM_KEYUP, vk, 0xC0000001);
    c.Atender();
}

bool Guardar(pruebas::ConductorWin32& c, const std::string& carpeta, const char* nombre) {
    HWND ventana = c.app().VentanaActual();
    // Active, as the window a user works in is, its frame drawn so.
    ::SetForegroundWindow(ventana);
    c.Atender();
    ::RedrawWindow(ventana, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    c.Atender();
    if (::GetForegroundWindow() != ventana) {
        std::fprintf(stderr, "capturas: %s is not the active window\n", nombre);
    }
    return pruebas::GuardarImagen(ventana, carpeta + "/" + nombre + ".bmp");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return Quejarse("uso: tildora_win32_capturas CARPETA");
    }
    const std::string destino = argv[1];
    pruebas::ConductorWin32 c;
    // The sample's folder is the current one, so the boxes hold short
    // names; the conversion window opens at the layout's size.
    ::SetCurrentDirectoryW(win32::Ancho(c.Ruta("")).c_str());
    ::SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());
    c.Fichero("bilera.txt", kMuestra);
    c.Fichero("caracteres.ini", kAlmacen);

    c.MostrarSeleccion();
    c.Teclear("txtEntrada", "bilera.txt");
    c.Teclear("txtSalida", "bilera-zuzena.txt");
    if (!Guardar(c, destino, "windows-eleccion")) {
        return Quejarse("the first window's picture was not saved");
    }

    c.Pulsar("CmdActualizar");
    const win32::FrmConversionCaracteres* v = c.app().Conversion();
    if (v == nullptr || !c.Mensajes().empty() || v->Modelo().NumFilas() != 5) {
        return Quejarse("the sample did not give five rows and no message");
    }
    Clic(c, FilaDe(*v, "\x85"), 0);
    c.Pulsar("CmdBuscar");
    ::SetFocus(c.Control("caracteresFG"));
    Tecla(c, VK_F3);
    if (c.Texto("LblOcurrencias") != "2 / 2") {
        return Quejarse("F3 did not choose the second occurrence");
    }
    if (!Guardar(c, destino, "windows-conversion")) {
        return Quejarse("the conversion window's picture was not saved");
    }

    // € without an answer, drawn as such in the preview.
    Clic(c, FilaDe(*v, "\x80"), 1);
    ::SetFocus(c.Control("caracteresFG"));
    Tecla(c, VK_BACK);
    Clic(c, FilaDe(*v, "\x85"), 0);
    Tecla(c, VK_F3);
    Tecla(c, VK_F4);
    if (!v->Vista().Previa() || c.Texto("LblOcurrencias") != "1 / 2") {
        return Quejarse("F4 did not show the preview");
    }
    if (!Guardar(c, destino, "windows-previa")) {
        return Quejarse("the preview's picture was not saved");
    }
    return 0;
}
