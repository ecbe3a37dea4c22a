#include "ui-win32/conversion/editorcelda.h"

#include "ui-win32/conversion/ayudas.h"

#include "modelos/filas.h"

#include <commctrl.h>

namespace tildora::win32::conversion {

EditorCelda::~EditorCelda() {
    if (m_cursiva) {
        DeleteObject(m_cursiva);
    }
}

HWND EditorCelda::Crear(HWND padre, int id, HFONT fuente, Acciones acciones) {
    m_acciones = std::move(acciones);
    m_hwnd = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL,
                             0, 0, 10, 10, padre, reinterpret_cast<HMENU>(INT_PTR{id}),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(padre, GWLP_HINSTANCE)),
                             nullptr);
    PonerFuente(fuente);
    SetWindowSubclass(m_hwnd, &EditorCelda::Procedimiento, 1, reinterpret_cast<DWORD_PTR>(this));
    return m_hwnd;
}

void EditorCelda::PonerFuente(HFONT fuente) {
    m_fuente = fuente;
    LOGFONTW lf{};
    GetObjectW(fuente, sizeof lf, &lf);
    lf.lfItalic = TRUE;
    if (m_cursiva) {
        DeleteObject(m_cursiva);
    }
    m_cursiva = CreateFontIndirectW(&lf);
    Estilo(m_propuesta);
}

void EditorCelda::Mover(const RECT& caja) {
    // Above the grid, which it lies over.
    SetWindowPos(m_hwnd, HWND_TOP, caja.left, caja.top, caja.right - caja.left,
                 caja.bottom - caja.top, SWP_NOACTIVATE);
}

void EditorCelda::Mostrar(const RECT& caja) {
    Mover(caja);
    ShowWindow(m_hwnd, SW_SHOW);
    SetFocus(m_hwnd);
    TextoDelModelo();
    // The delete answer has no text: the editor shows its mark while empty.
    const std::wstring marca =
        m_modelo.MarcaBorrado()
            ? Ancho(modelo::PiezasBorrado([](char32_t) { return true; }).front().texto)
            : std::wstring();
    SendMessageW(m_hwnd, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(marca.c_str()));
    Estilo(m_modelo.Propuesta());
    // A proposal comes selected: whatever is typed takes its place.
    if (m_modelo.Propuesta()) {
        SendMessageW(m_hwnd, EM_SETSEL, 0, -1);
    }
}

void EditorCelda::TextoDelModelo() {
    m_poniendo = true;
    SetWindowTextW(m_hwnd, DeU32(m_modelo.Texto()).c_str());
    // The model's caret counts characters; the edit's, UTF-16 units.
    const auto caret = static_cast<WPARAM>(
        DeU32(std::u32string_view(m_modelo.Texto()).substr(0, m_modelo.Cursor())).size());
    SendMessageW(m_hwnd, EM_SETSEL, caret, static_cast<LPARAM>(caret));
    m_poniendo = false;
}

void EditorCelda::Cambiado() {
    if (m_poniendo) {
        return;
    }
    // Typing, pasting or dropping: what the model refuses is undone.
    const std::wstring texto = TextoAncho(m_hwnd);
    DWORD fin = 0;
    SendMessageW(m_hwnd, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&fin));
    const std::size_t cursor = AU32(std::wstring_view(texto).substr(0, fin)).size();
    const bool propuesta = m_modelo.Propuesta();
    if (!m_modelo.Editado(AU32(texto), cursor)) {
        TextoDelModelo();
        return;
    }
    if (propuesta && !m_modelo.Propuesta()) {
        Estilo(false);
    }
}

void EditorCelda::Estilo(bool propuesta) {
    m_propuesta = propuesta;
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(propuesta ? m_cursiva : m_fuente),
                 TRUE);
}

HBRUSH EditorCelda::Colores(HDC dc) const {
    const COLORREF fondo = GetSysColor(COLOR_WINDOW);
    SetBkColor(dc, fondo);
    SetTextColor(dc, m_propuesta ? Gdi(modelo::ColorPropuesta(RgbDe(fondo),
                                                              RgbDe(GetSysColor(COLOR_HOTLIGHT))))
                                 : GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

void EditorCelda::Ocultar(HWND foco) {
    const bool teniaFoco = GetFocus() == m_hwnd;
    m_ocultando = true;
    if (teniaFoco) {
        SetFocus(foco);
    }
    ShowWindow(m_hwnd, SW_HIDE);
    m_ocultando = false;
}

bool EditorCelda::Tecla(UINT mensaje, WPARAM tecla) {
    using modelo::AccionEditor;
    using modelo::TeclaEditor;
    TeclaEditor t = TeclaEditor::Otra;
    bool escribe = false;
    if (mensaje == WM_CHAR) {
        if (tecla == L'\r' || tecla == 0x1B || tecla == L'\t') {
            return true; // taken as keys already: no beep
        }
        // A printable character is typed text, AltGr's too.
        escribe = tecla >= 0x20 && tecla != 0x7F;
    } else {
        static constexpr std::pair<WPARAM, TeclaEditor> kTeclas[] = {
            {VK_RETURN, TeclaEditor::Intro},
            {VK_ESCAPE, TeclaEditor::Escape},
            {VK_DELETE, TeclaEditor::Suprimir},
            {VK_UP, TeclaEditor::Arriba},
            {VK_DOWN, TeclaEditor::Abajo}};
        t = NombreDeTecla(kTeclas, tecla, TeclaEditor::Otra);
    }
    const AccionEditor accion = modelo::TeclaEnEditor(m_modelo, t, escribe);
    if (accion == AccionEditor::Sustituir) {
        SendMessageW(m_hwnd, EM_SETSEL, 0, -1);
        return false;
    }
    if (accion != AccionEditor::Dejar) {
        m_acciones.tecla(accion);
        return true;
    }
    return mensaje == WM_KEYDOWN && m_acciones.ventana(mensaje, tecla);
}

LRESULT CALLBACK EditorCelda::Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR,
                                            DWORD_PTR datos) {
    auto* yo = reinterpret_cast<EditorCelda*>(datos);
    switch (mensaje) {
    case WM_KEYDOWN:
    case WM_CHAR:
        if (yo->Tecla(mensaje, w)) {
            return 0;
        }
        break;
    case WM_KILLFOCUS: {
        // Another window taking the focus (a message box, another program)
        // is no move to another control: the focus comes back to the
        // editor, and whatever the user does next leaves it.
        const HWND nuevo = reinterpret_cast<HWND>(w);
        const HWND ventana = GetParent(hwnd);
        if (!yo->m_ocultando && nuevo && GetAncestor(nuevo, GA_ROOT) == ventana) {
            const LRESULT r = DefSubclassProc(hwnd, mensaje, w, l);
            yo->m_acciones.salir();
            return r;
        }
        break;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, mensaje, w, l);
    default:
        break;
    }
    return DefSubclassProc(hwnd, mensaje, w, l);
}

} // namespace tildora::win32::conversion
