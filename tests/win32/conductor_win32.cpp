#include "tests/win32/conductor_win32.h"

#include "ui-win32/controles.h"
#include "ui-win32/seleccion/frmelegirficheros.h"
#ifdef TILDORA_WIN32_CONVERSION
#include "ui-win32/conversion/frmconversioncaracteres.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tildora::pruebas {

namespace {

// The program's windows' classes are their names after this.
constexpr std::string_view kPrefijoClase = "Tildora";

} // namespace

std::unique_ptr<Conductor> NuevoConductor() {
    return std::make_unique<ConductorWin32>();
}

ConductorWin32::ConductorWin32()
    : m_app(::GetModuleHandleW(nullptr), m_estado, m_dialogos, [this] { ++m_salidas; }) {
    m_estado.RutaAlmacen = Ruta("caracteres.ini");
}

ConductorWin32::~ConductorWin32() {
    // The windows go before the state they refer to.
    m_app.Salir();
    m_app.TrasMensaje();
}

void ConductorWin32::Atender() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        win32::Despachar(msg);
        m_app.TrasMensaje();
    }
    m_app.TrasMensaje();
}

void ConductorWin32::MostrarSeleccion(const std::string& entrada) {
    m_app.MostrarSeleccion(entrada);
    Atender();
}

std::string ConductorWin32::VentanaActual() {
    return NombreDe(m_app.VentanaActual());
}

bool ConductorWin32::SeVe(std::string_view ventana) {
    const std::wstring clase = win32::Ancho(std::string(kPrefijoClase) + std::string(ventana));
    HWND hwnd = ::FindWindowW(clase.c_str(), nullptr);
    return hwnd != nullptr && ::IsWindowVisible(hwnd);
}

HWND ConductorWin32::Control(std::string_view nombre) {
    if (win32::FrmElegirFicheros* v = m_app.Seleccion()) {
        return v->Control(nombre);
    }
#ifdef TILDORA_WIN32_CONVERSION
    if (win32::FrmConversionCaracteres* v = m_app.Conversion()) {
        return v->Control(nombre);
    }
#endif
    return nullptr;
}

void ConductorWin32::Pulsar(std::string_view boton) {
    HWND control = Control(boton);
    if (control == nullptr) {
        std::fprintf(stderr, "no control %.*s\n", static_cast<int>(boton.size()), boton.data());
        std::abort();
    }
    // The button presses itself as under the mouse, and tells its window.
    ::SendMessageW(control, BM_CLICK, 0, 0);
    Atender();
}

void ConductorWin32::Teclear(std::string_view caja, std::string_view texto) {
    HWND control = Control(caja);
    ::SetFocus(control);
    ::SendMessageW(control, EM_SETSEL, 0, -1);
    ::PostMessageW(control, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : win32::Ancho(texto)) {
        ::PostMessageW(control, WM_CHAR, c, 0);
    }
    Atender();
}

void ConductorWin32::PulsarTecla(Tecla tecla) {
    struct Virtual {
        Tecla tecla;
        WPARAM vk;
    };
    constexpr Virtual kTeclas[] = {{Tecla::Intro, VK_RETURN},
                                   {Tecla::Escape, VK_ESCAPE},
                                   {Tecla::Tab, VK_TAB},
                                   {Tecla::MayusTab, VK_TAB},
                                   {Tecla::Espacio, VK_SPACE}};
    WPARAM vk = 0;
    for (const Virtual& v : kTeclas) {
        vk = v.tecla == tecla ? v.vk : vk;
    }
    // Shift held as the keyboard holds it, for the dialog manager's Tab.
    BYTE estado[256];
    ::GetKeyboardState(estado);
    estado[VK_SHIFT] = tecla == Tecla::MayusTab ? 0x80 : 0;
    ::SetKeyboardState(estado);
    HWND foco = ::GetFocus();
    const LPARAM abajo =
        1 | (static_cast<LPARAM>(::MapVirtualKeyW(static_cast<UINT>(vk), 0)) << 16);
    ::PostMessageW(foco, WM_KEYDOWN, vk, abajo);
    ::PostMessageW(foco, WM_KEYUP, vk, abajo | (LPARAM{3} << 30));
    Atender();
    estado[VK_SHIFT] = 0;
    ::SetKeyboardState(estado);
}

void ConductorWin32::Enfocar(std::string_view control) {
    ::SetFocus(Control(control));
    Atender();
}

void ConductorWin32::Cerrar() {
    ::SendMessageW(m_app.VentanaActual(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Atender();
}

std::string ConductorWin32::Texto(std::string_view control) {
    return win32::TextoDe(Control(control));
}

std::string ConductorWin32::Foco() {
    return NombreDe(::GetFocus());
}

void ConductorWin32::Capturar(std::string_view nombre) {
    const char* carpeta = std::getenv("TILDORA_CAPTURAS");
    if (carpeta != nullptr && *carpeta != '\0') {
        GuardarImagen(m_app.VentanaActual(),
                      std::string(carpeta) + "/" + std::string(nombre) + ".bmp");
    }
}

std::string ConductorWin32::NombreDe(HWND hwnd) {
    if (hwnd == nullptr) {
        return {};
    }
    if (::GetAncestor(hwnd, GA_ROOT) == hwnd) {
        wchar_t clase[256] = {};
        ::GetClassNameW(hwnd, clase, 256);
        const std::string nombre = win32::Utf8(clase);
        return nombre.rfind(kPrefijoClase, 0) == 0 ? nombre.substr(kPrefijoClase.size()) : nombre;
    }
    for (const modelo::Disposicion* d :
         {&modelo::DisposicionEleccion(), &modelo::DisposicionConversion()}) {
        for (const modelo::Control& c : d->controles) {
            if (Control(c.nombre) == hwnd) {
                return std::string(c.nombre);
            }
        }
    }
    return {};
}

bool GuardarImagen(HWND ventana, const std::string& ruta) {
    RECT r;
    ::GetWindowRect(ventana, &r);
    const int ancho = r.right - r.left;
    const int alto = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), ancho, alto, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC pantalla = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(pantalla);
    HBITMAP imagen = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ antes = ::SelectObject(dc, imagen);
    // What the window and its controls have drawn, frame included (Wine's
    // PrintWindow leaves the controls out).
    ::RedrawWindow(ventana, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    HDC origen = ::GetWindowDC(ventana);
    ::BitBlt(dc, 0, 0, ancho, alto, origen, 0, 0, SRCCOPY);
    ::ReleaseDC(ventana, origen);
    const DWORD fila = static_cast<DWORD>((ancho * 3 + 3) & ~3);
    BITMAPFILEHEADER cabecera{0x4d42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    cabecera.bfSize = cabecera.bfOffBits + fila * static_cast<DWORD>(alto);
    bool bien = false;
    if (std::FILE* f = _wfopen(win32::Ancho(ruta).c_str(), L"wb")) {
        bien = std::fwrite(&cabecera, sizeof cabecera, 1, f) == 1 &&
               std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
               std::fwrite(bits, fila, static_cast<std::size_t>(alto), f) ==
                   static_cast<std::size_t>(alto);
        std::fclose(f);
    }
    ::SelectObject(dc, antes);
    ::DeleteObject(imagen);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, pantalla);
    return bien;
}

} // namespace tildora::pruebas
