#include "ui-win32/controles.h"

#include "modelos/leyendas.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace tildora::win32 {

namespace {

// Where the program's controls get their identifiers: their place in the
// layout, after the identifiers Windows gives meanings of its own (IDOK,
// IDCANCEL, ...).
constexpr int kPrimerId = 100;

// A function of a system DLL that older Windows lack, or that the import
// libraries lack: looked up when first needed.
template <typename F> F Funcion(const wchar_t* dll, const char* nombre) {
    HMODULE modulo = ::GetModuleHandleW(dll);
    if (modulo == nullptr) {
        modulo = ::LoadLibraryW(dll);
    }
    return modulo == nullptr
               ? nullptr
               : reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(modulo, nombre)));
}

bool HayFuente(const wchar_t* nombre) {
    LOGFONTW buscada{};
    buscada.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(buscada.lfFaceName, nombre, LF_FACESIZE - 1);
    bool hay = false;
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(
        dc, &buscada,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM hay) -> int {
            *reinterpret_cast<bool*>(hay) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&hay), 0);
    ::ReleaseDC(nullptr, dc);
    return hay;
}

} // namespace

int IdControl(const modelo::Disposicion& disposicion, std::string_view nombre) {
    const auto& c = disposicion.controles;
    const auto e = std::find_if(c.begin(), c.end(),
                                [nombre](const modelo::Control& c) { return c.nombre == nombre; });
    return kPrimerId + static_cast<int>(e - c.begin());
}

std::wstring Ancho(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring ancho(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), ancho.data(), n);
    return ancho;
}

std::string Utf8(std::wstring_view texto) {
    if (texto.empty()) {
        return {};
    }
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), utf8.data(), n,
                          nullptr, nullptr);
    return utf8;
}

UINT PuntosPorPulgada(HWND ventana) {
    using PorVentana = UINT(WINAPI*)(HWND);
    static const auto porVentana = Funcion<PorVentana>(L"user32.dll", "GetDpiForWindow");
    if (porVentana != nullptr && ventana != nullptr) {
        return porVentana(ventana);
    }
    HDC dc = ::GetDC(nullptr);
    const int ppp = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return ppp > 0 ? static_cast<UINT>(ppp) : 96;
}

int Pixeles(int twips, UINT ppp) {
    return ::MulDiv(twips, static_cast<int>(ppp), 96 * modelo::kTwipsPorPixel);
}

Fuente::Fuente(UINT ppp, bool negrita, int centesimasPunto) {
    LOGFONTW lf{};
    static const bool hayMsSansSerif = HayFuente(L"MS Sans Serif");
    if (hayMsSansSerif) {
        wcscpy(lf.lfFaceName, L"MS Sans Serif");
    } else {
        NONCLIENTMETRICSW metricas{};
        metricas.cbSize = sizeof metricas;
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metricas, &metricas, 0);
        lf = metricas.lfMessageFont;
    }
    lf.lfHeight = -::MulDiv(centesimasPunto, static_cast<int>(ppp), 7200);
    lf.lfWidth = 0;
    lf.lfWeight = negrita ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    m_fuente = ::CreateFontIndirectW(&lf);
}

Fuente::~Fuente() {
    ::DeleteObject(m_fuente);
}

std::string TextoDe(HWND control) {
    std::wstring texto(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    texto.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, texto.data(), static_cast<int>(texto.size()))));
    return Utf8(texto);
}

void PonerTexto(HWND control, std::string_view utf8) {
    ::SetWindowTextW(control, Ancho(utf8).c_str());
}

HICON CargarIcono(HINSTANCE instancia, std::string_view nombre, int lado) {
    // Missing from mingw's import library, and from Windows before Vista.
    using Reducido = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    static const auto reducido = Funcion<Reducido>(L"comctl32.dll", "LoadIconWithScaleDown");
    const std::wstring recurso = Ancho(nombre);
    HICON icono = nullptr;
    if (reducido == nullptr || FAILED(reducido(instancia, recurso.c_str(), lado, lado, &icono))) {
        icono = static_cast<HICON>(
            ::LoadImageW(instancia, recurso.c_str(), IMAGE_ICON, lado, lado, LR_DEFAULTCOLOR));
    }
    return icono;
}

// Control ---------------------------------------------------------------

Control::Control(const modelo::Disposicion& disposicion, std::string_view nombre)
    : m_nombre(nombre), m_donde(disposicion.Buscar(nombre).value_or(modelo::Rectangulo{})),
      m_id(IdControl(disposicion, nombre)) {}

void Control::Crear(HWND padre, const wchar_t* clase, DWORD estilo, DWORD estiloExtendido) {
    m_hwnd = ::CreateWindowExW(
        estiloExtendido, clase, L"", WS_CHILD | WS_VISIBLE | estilo, 0, 0, 0, 0, padre,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(padre, GWLP_HINSTANCE)), nullptr);
}

void Control::Colocar(UINT ppp) {
    ::SetWindowPos(m_hwnd, nullptr, Pixeles(m_donde.izquierda, ppp), Pixeles(m_donde.arriba, ppp),
                   Pixeles(m_donde.ancho, ppp), Pixeles(m_donde.alto, ppp),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    PonerTamano(m_centesimas, ppp);
}

void Control::PonerTamano(int centesimas, UINT ppp) {
    m_centesimas = centesimas;
    m_fuente = std::make_unique<Fuente>(ppp, m_negrita, centesimas);
    ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_fuente->hfont()), TRUE);
}

Etiqueta::Etiqueta(HWND padre, const modelo::Disposicion& disposicion, std::string_view nombre)
    : Control(disposicion, nombre) {
    const modelo::Etiqueta& e = *disposicion.BuscarEtiqueta(nombre);
    m_color = RGB(e.color.rojo, e.color.verde, e.color.azul);
    m_negrita = e.negrita;
    // Centred, wrapped at word boundaries; an ampersand is just a character.
    Crear(padre, L"STATIC", SS_CENTER | SS_NOPREFIX);
    win32::PonerTexto(hwnd(), e.texto);
}

bool Etiqueta::Cabe(int centesimas, UINT ppp) const {
    const Fuente fuente(ppp, m_negrita, centesimas);
    RECT caja;
    ::GetClientRect(hwnd(), &caja);
    RECT r{0, 0, caja.right, 0};
    const std::wstring texto = win32::Ancho(TextoDe(hwnd()));
    HDC dc = ::GetDC(hwnd());
    HGDIOBJ antes = ::SelectObject(dc, fuente.hfont());
    ::DrawTextW(dc, texto.c_str(), static_cast<int>(texto.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    ::SelectObject(dc, antes);
    ::ReleaseDC(hwnd(), dc);
    return r.bottom <= caja.bottom;
}

CuadroTexto::CuadroTexto(HWND padre, const modelo::Disposicion& disposicion,
                         std::string_view nombre)
    : Control(disposicion, nombre) {
    Crear(padre, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
}

Boton::Boton(HWND padre, HINSTANCE instancia, const modelo::Disposicion& disposicion,
             std::string_view nombre)
    : Control(disposicion, nombre), m_instancia(instancia),
      m_boton(*disposicion.BuscarBoton(nombre)) {
    Crear(padre, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER);
    win32::PonerTexto(hwnd(), modelo::PalabrasApiladas(m_boton.leyenda));
}

Boton::~Boton() {
    if (m_imagenes != nullptr) {
        ::ImageList_Destroy(m_imagenes);
    }
}

void Boton::Colocar(UINT ppp) {
    Control::Colocar(ppp);
    const int ancho = ::MulDiv(m_boton.anchoImagen, static_cast<int>(ppp), 96);
    const int alto = ::MulDiv(m_boton.altoImagen, static_cast<int>(ppp), 96);
    HIMAGELIST imagenes = ::ImageList_Create(ancho, alto, ILC_COLOR32 | ILC_MASK, 1, 0);
    if (HICON icono = CargarIcono(m_instancia, m_boton.imagen, std::max(ancho, alto))) {
        ::ImageList_AddIcon(imagenes, icono);
        ::DestroyIcon(icono);
    }
    // Common controls 6 draw the picture above the caption, or alone and
    // centred when there is no caption.
    BUTTON_IMAGELIST lista{};
    lista.himl = imagenes;
    lista.uAlign =
        m_boton.leyenda.empty() ? BUTTON_IMAGELIST_ALIGN_CENTER : BUTTON_IMAGELIST_ALIGN_TOP;
    ::SendMessageW(hwnd(), BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&lista));
    if (m_imagenes != nullptr) {
        ::ImageList_Destroy(m_imagenes);
    }
    m_imagenes = imagenes;
}

void Boton::Orden(WORD codigo) {
    if (codigo == BN_CLICKED && onClick) {
        onClick();
    }
}

// Ventana ---------------------------------------------------------------

Ventana::Ventana(HINSTANCE instancia, const modelo::Disposicion& disposicion)
    : m_instancia(instancia), m_disposicion(disposicion) {}

Ventana::~Ventana() {
    if (m_hwnd != nullptr) {
        // What the window says while it goes reaches no object any more.
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    m_controles.clear();
    ::DestroyIcon(m_icono);
    ::DestroyIcon(m_iconoPequeno);
}

HWND Ventana::Control(std::string_view nombre) const {
    for (const auto& c : m_controles) {
        if (c->Nombre() == nombre) {
            return c->hwnd();
        }
    }
    return nullptr;
}

Ventana* Ventana::De(HWND hwnd) {
    if (hwnd == nullptr || reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) !=
                               &Ventana::Procedimiento) {
        return nullptr;
    }
    return reinterpret_cast<Ventana*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Ventana::PreTraducir(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        HWND foco = ::GetFocus();
        if (::IsChild(m_hwnd, foco) && (::SendMessageW(foco, WM_GETDLGCODE, 0, 0) &
                                        (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            ::SendMessageW(foco, BM_CLICK, 0, 0);
        }
        return true;
    }
    return ::IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

void Ventana::Crear(const wchar_t* clase, std::string_view titulo) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Ventana::Procedimiento;
    wc.hInstance = m_instancia;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = clase;
    // A second window of the class finds it registered; that is no fault.
    ::RegisterClassExW(&wc);

    constexpr DWORD kEstilo = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    ::CreateWindowExW(0, clase, Ancho(titulo).c_str(), kEstilo, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                      nullptr, nullptr, m_instancia, this);
    m_ppp = PuntosPorPulgada(m_hwnd);
    RECT r{0, 0, Pixeles(m_disposicion.ancho, m_ppp), Pixeles(m_disposicion.alto, m_ppp)};
    using AjustarPpp = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto ajustar = reinterpret_cast<AjustarPpp>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (ajustar != nullptr) {
        ajustar(&r, kEstilo, FALSE, 0, m_ppp);
    } else {
        ::AdjustWindowRectEx(&r, kEstilo, FALSE, 0);
    }
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Iconos();
}

void Ventana::Iconos() {
    // The title bar's and the task bar's, at the window's density; the
    // ones they replace go once the window holds the new ones.
    const int grande = ::MulDiv(32, static_cast<int>(m_ppp), 96);
    HICON icono = CargarIcono(m_instancia, "ventana", grande);
    HICON pequeno = CargarIcono(m_instancia, "ventana", grande / 2);
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icono));
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(pequeno));
    ::DestroyIcon(m_icono);
    ::DestroyIcon(m_iconoPequeno);
    m_icono = icono;
    m_iconoPequeno = pequeno;
}

LRESULT CALLBACK Ventana::Procedimiento(HWND hwnd, UINT mensaje, WPARAM wparam, LPARAM lparam) {
    if (mensaje == WM_NCCREATE) {
        auto* ventana =
            static_cast<Ventana*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        ventana->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ventana));
    }
    auto* ventana = reinterpret_cast<Ventana*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (ventana == nullptr) {
        return ::DefWindowProcW(hwnd, mensaje, wparam, lparam);
    }
    if (mensaje == WM_NCDESTROY) {
        ventana->m_hwnd = nullptr;
        return ::DefWindowProcW(hwnd, mensaje, wparam, lparam);
    }
    return ventana->Procesar(mensaje, wparam, lparam);
}

LRESULT Ventana::Procesar(UINT mensaje, WPARAM wparam, LPARAM lparam) {
    switch (mensaje) {
    case WM_COMMAND:
        for (const auto& c : m_controles) {
            if (lparam != 0 && c->hwnd() == reinterpret_cast<HWND>(lparam)) {
                c->Orden(HIWORD(wparam));
                return 0;
            }
        }
        break;
    case WM_CTLCOLORSTATIC:
        return ColorEtiqueta(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED:
        CambiarPpp(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_NEXTDLGCTL: {
        // Tab through the dialog manager, in a window that is no dialog.
        HWND siguiente = lparam != 0 ? reinterpret_cast<HWND>(wparam)
                                     : ::GetNextDlgTabItem(m_hwnd, ::GetFocus(), wparam != 0);
        if (siguiente != nullptr) {
            ::SetFocus(siguiente);
        }
        return 0;
    }
    case WM_ACTIVATE:
        // The focus comes back where it was when the window is active again.
        if (LOWORD(wparam) == WA_INACTIVE) {
            m_foco = ::GetFocus();
        } else if (m_foco != nullptr && ::IsChild(m_hwnd, m_foco)) {
            ::SetFocus(m_foco);
            return 0;
        }
        break;
    case WM_CLOSE:
        // The window does not just go: its owner unloads it.
        AlCerrar();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_hwnd, mensaje, wparam, lparam);
}

LRESULT Ventana::ColorEtiqueta(HDC dc, HWND etiqueta) {
    for (const auto& c : m_controles) {
        if (c->hwnd() != etiqueta) {
            continue;
        }
        if (const auto* e = dynamic_cast<const Etiqueta*>(c.get())) {
            ::SetTextColor(dc, e->Color());
        }
        break;
    }
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void Ventana::Enfocar(HWND control) {
    m_foco = control;
    ::SetFocus(control);
}

void Encajar(const std::vector<Etiqueta*>& etiquetas, UINT ppp) {
    constexpr int kLayout = 825;
    const auto caben = [&](int c) {
        return std::all_of(etiquetas.begin(), etiquetas.end(),
                           [&](const Etiqueta* e) { return e->Cabe(c, ppp); });
    };
    int centesimas = kLayout;
    while (centesimas - 25 >= kLayout * 2 / 3 && !caben(centesimas)) {
        centesimas -= 25;
    }
    for (Etiqueta* e : etiquetas) {
        e->PonerTamano(centesimas, ppp);
    }
}

void Ventana::Encajar(std::vector<Etiqueta*> etiquetas) {
    win32::Encajar(etiquetas, m_ppp);
    if (std::find(m_encajadas.begin(), m_encajadas.end(), etiquetas) == m_encajadas.end()) {
        m_encajadas.push_back(std::move(etiquetas));
    }
}

void Ventana::CambiarPpp(UINT ppp, const RECT& propuesto) {
    m_ppp = ppp;
    ::SetWindowPos(m_hwnd, nullptr, propuesto.left, propuesto.top, propuesto.right - propuesto.left,
                   propuesto.bottom - propuesto.top, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& c : m_controles) {
        c->Colocar(ppp);
    }
    for (const auto& grupo : std::vector(m_encajadas)) {
        Encajar(grupo);
    }
    Iconos();
    // Every control drawn afresh at its new place and size.
    ::RedrawWindow(m_hwnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

} // namespace tildora::win32
