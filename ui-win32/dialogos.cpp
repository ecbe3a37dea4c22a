#include "ui-win32/dialogos.h"

#include "core/textos.h"
#include "modelos/disposicion.h"
#include "ui-win32/controles.h"

#include <commctrl.h>
#include <commdlg.h>

namespace tildora::win32 {

namespace {

// The buttons carry the system's own identifiers, so that Esc (IDCANCEL)
// reaches Cancel as it does in any box.
constexpr int kAceptar = IDOK;
constexpr int kCancelar = IDCANCEL;

using TareaIndirecta = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Only common controls 6 have the task dialog; the program's manifest asks
// for them, but a test program without it must still show its boxes.
TareaIndirecta BuscarTaskDialog() {
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    if (comctl == nullptr) {
        comctl = ::LoadLibraryW(L"comctl32.dll");
    }
    return comctl == nullptr ? nullptr
                             : reinterpret_cast<TareaIndirecta>(reinterpret_cast<void*>(
                                   ::GetProcAddress(comctl, "TaskDialogIndirect")));
}

// The progress window: a bar, and a cancel button when the step can stop.
// It stays until its step has ended; the windows behind take no input
// meanwhile.
class ProgresoWin32 : public modelo::IndicadorProgreso {
public:
    ProgresoWin32(HWND dueno, const std::wstring& texto, bool conCancelar);
    ~ProgresoWin32() override;
    ProgresoWin32(const ProgresoWin32&) = delete;
    ProgresoWin32& operator=(const ProgresoWin32&) = delete;

    void Avanzar(int milesimas) override;
    bool Cancelado() override { return m_pedido; }

private:
    static LRESULT CALLBACK Procedimiento(HWND, UINT, WPARAM, LPARAM);
    void Atender();

    HWND m_dueno;
    HWND m_ventana = nullptr;
    HWND m_barra = nullptr;
    HWND m_cancelar = nullptr;
    std::unique_ptr<Fuente> m_fuente;
    bool m_pedido = false;
};

ProgresoWin32::ProgresoWin32(HWND dueno, const std::wstring& texto, bool conCancelar)
    : m_dueno(dueno) {
    HINSTANCE instancia = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ProgresoWin32::Procedimiento;
    wc.hInstance = instancia;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_WAIT);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TildoraProgreso";
    ::RegisterClassExW(&wc);
    const UINT ppp = PuntosPorPulgada(dueno);
    const auto px = [ppp](int pixeles96) { return ::MulDiv(pixeles96, static_cast<int>(ppp), 96); };
    // As wide as the first window.
    const int ancho = Pixeles(modelo::DisposicionEleccion().ancho, ppp);
    m_ventana = ::CreateWindowExW(
        WS_EX_DLGMODALFRAME, wc.lpszClassName, Ancho(textos::Titulo).c_str(), WS_POPUP | WS_CAPTION,
        CW_USEDEFAULT, CW_USEDEFAULT, ancho, px(150), dueno, nullptr, instancia, this);
    m_fuente = std::make_unique<Fuente>(ppp, false);
    HWND etiqueta =
        ::CreateWindowExW(0, L"STATIC", texto.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, px(12),
                          px(12), ancho - px(24), px(20), m_ventana, nullptr, instancia, nullptr);
    m_barra = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, px(12), px(38),
                                ancho - px(24), px(18), m_ventana, nullptr, instancia, nullptr);
    ::SendMessageW(m_barra, PBM_SETRANGE32, 0, 1000);
    for (HWND h : {etiqueta, m_barra}) {
        ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_fuente->hfont()), TRUE);
    }
    if (conCancelar) {
        m_cancelar = ::CreateWindowExW(0, L"BUTTON", Ancho(textos::ProgresoCancelar).c_str(),
                                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                       ancho - px(132), px(66), px(120), px(26), m_ventana,
                                       reinterpret_cast<HMENU>(IDCANCEL), instancia, nullptr);
        ::SendMessageW(m_cancelar, WM_SETFONT, reinterpret_cast<WPARAM>(m_fuente->hfont()), TRUE);
    }
    if (m_dueno != nullptr) {
        ::EnableWindow(m_dueno, FALSE);
    }
    ::ShowWindow(m_ventana, SW_SHOW);
    ::UpdateWindow(m_ventana);
}

ProgresoWin32::~ProgresoWin32() {
    if (m_dueno != nullptr) {
        // Before the window goes, so that the owner gets the activation back.
        ::EnableWindow(m_dueno, TRUE);
    }
    ::DestroyWindow(m_ventana);
}

void ProgresoWin32::Avanzar(int milesimas) {
    ::SendMessageW(m_barra, PBM_SETPOS, static_cast<WPARAM>(milesimas), 0);
    if (m_cancelar != nullptr && milesimas >= 1000) {
        // At the end the step can no longer be stopped.
        ::EnableWindow(m_cancelar, FALSE);
    }
    Atender();
}

void ProgresoWin32::Atender() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!::IsDialogMessageW(m_ventana, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

LRESULT CALLBACK ProgresoWin32::Procedimiento(HWND hwnd, UINT mensaje, WPARAM wparam,
                                              LPARAM lparam) {
    if (mensaje == WM_NCCREATE) {
        ::SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    }
    auto* p = reinterpret_cast<ProgresoWin32*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (p != nullptr && mensaje == WM_COMMAND && LOWORD(wparam) == IDCANCEL &&
        p->m_cancelar != nullptr && ::IsWindowEnabled(p->m_cancelar)) {
        // Only asks the step to stop; the window goes when the step ends.
        p->m_pedido = true;
        ::EnableWindow(p->m_cancelar, FALSE);
        return 0;
    }
    if (mensaje == WM_CLOSE) {
        return 0;
    }
    return ::DefWindowProcW(hwnd, mensaje, wparam, lparam);
}

} // namespace

HWND DialogosWin32::Dueno() const {
    return ::IsWindow(m_ventana) ? m_ventana : ::GetActiveWindow();
}

DialogosWin32::Respuesta DialogosWin32::Mensaje(const std::string& texto, bool conCancelar) {
    return Caja(texto, conCancelar, Respuesta::Aceptar);
}

DialogosWin32::Respuesta DialogosWin32::Preguntar(const std::string& texto, Respuesta porDefecto) {
    return Caja(texto, true, porDefecto);
}

DialogosWin32::Respuesta DialogosWin32::Caja(const std::string& texto, bool conCancelar,
                                             Respuesta porDefecto) {
    const std::wstring titulo = Ancho(textos::Titulo);
    const std::wstring contenido = Ancho(texto);
    const std::wstring aceptar = Ancho(textos::BotonAceptar);
    const std::wstring cancelar = Ancho(textos::BotonCancelar);
    const bool cancelarPorDefecto = conCancelar && porDefecto == Respuesta::Cancelar;
    static const TareaIndirecta tarea = BuscarTaskDialog();
    if (tarea != nullptr) {
        const TASKDIALOG_BUTTON botones[] = {{kAceptar, aceptar.c_str()},
                                             {kCancelar, cancelar.c_str()}};
        TASKDIALOGCONFIG c{};
        c.cbSize = sizeof c;
        c.hwndParent = Dueno();
        // Esc and the close box answer as Cancel, on a box with OK alone too.
        c.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        c.pszWindowTitle = titulo.c_str();
        c.pszContent = contenido.c_str();
        c.cButtons = conCancelar ? 2 : 1;
        c.pButtons = botones;
        c.nDefaultButton = cancelarPorDefecto ? kCancelar : kAceptar;
        int pulsado = 0;
        if (SUCCEEDED(tarea(&c, &pulsado, nullptr, nullptr))) {
            return pulsado == kAceptar ? Respuesta::Aceptar : Respuesta::Cancelar;
        }
    }
    // Without common controls 6 the system names the buttons.
    const UINT estilo =
        (conCancelar ? MB_OKCANCEL : MB_OK) | (cancelarPorDefecto ? MB_DEFBUTTON2 : 0);
    return ::MessageBoxW(Dueno(), contenido.c_str(), titulo.c_str(), estilo) == IDOK
               ? Respuesta::Aceptar
               : Respuesta::Cancelar;
}

std::string DialogosWin32::AbrirFichero(const std::string& inicio) {
    return Fichero(inicio, false);
}

std::string DialogosWin32::GuardarFichero(const std::string& propuesta) {
    return Fichero(propuesta, true);
}

std::string DialogosWin32::Fichero(const std::string& inicio, bool guardar) {
    // A folder is where the dialog starts; a file's name is the one it
    // shows, in its folder.
    const std::wstring nombre = Ancho(inicio);
    const DWORD atributos = ::GetFileAttributesW(nombre.c_str());
    const bool carpeta =
        atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring fichero(32768, L'\0');
    if (!carpeta) {
        fichero.replace(0, std::min(nombre.size(), fichero.size() - 1), nombre);
    }
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Dueno();
    ofn.lpstrFile = fichero.data();
    ofn.nMaxFile = static_cast<DWORD>(fichero.size());
    ofn.lpstrInitialDir = carpeta ? nombre.c_str() : nullptr;
    // No overwrite question: the model asks its own once the names pass.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                (guardar ? OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    const BOOL elegido = guardar ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    return elegido ? Utf8(fichero.c_str()) : std::string();
}

std::unique_ptr<modelo::IndicadorProgreso> DialogosWin32::MostrarProgreso(const std::string& texto,
                                                                          bool conCancelar) {
    return std::make_unique<ProgresoWin32>(Dueno(), Ancho(texto), conCancelar);
}

} // namespace tildora::win32
