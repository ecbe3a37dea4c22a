#include "ui-win32/conversion/rejilla.h"

#include "ui-win32/conversion/ayudas.h"

#include "core/nombres.h"
#include "core/textos.h"
#include "modelos/filas.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tildora::win32::conversion {

namespace {

COLORREF ColorDe(modelo::ColorCelda color) {
    switch (color) {
    case modelo::ColorCelda::Apagado:
        return GetSysColor(COLOR_GRAYTEXT);
    case modelo::ColorCelda::Propuesta:
        return Gdi(modelo::ColorPropuesta(RgbDe(GetSysColor(COLOR_WINDOW)),
                                          RgbDe(GetSysColor(COLOR_HOTLIGHT))));
    case modelo::ColorCelda::Texto:
        break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

HFONT Variante(HFONT base, bool cursiva, int alto) {
    LOGFONTW lf{};
    GetObjectW(base, sizeof lf, &lf);
    lf.lfItalic = cursiva ? TRUE : FALSE;
    if (alto != 0) {
        lf.lfHeight = alto;
    }
    return CreateFontIndirectW(&lf);
}

// The name of a key as the keyboard's layout writes it.
std::wstring NombreTecla(UINT vk, bool extendida) {
    const UINT codigo = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    wchar_t nombre[64] = {};
    const LONG lp = static_cast<LONG>((codigo << 16) | (extendida ? (1u << 24) : 0u));
    return GetKeyNameTextW(lp, nombre, 64) > 0 ? nombre : L"";
}

// Two thirds of `a`, a third of `b`.
COLORREF Mezcla(COLORREF a, COLORREF b) {
    const auto canal = [](int x, int y) { return (2 * x + y) / 3; };
    return RGB(canal(GetRValue(a), GetRValue(b)), canal(GetGValue(a), GetGValue(b)),
               canal(GetBValue(a), GetBValue(b)));
}

} // namespace

Rejilla::~Rejilla() {
    for (HFONT f : {m_cursiva, m_grande, m_detalle}) {
        if (f) {
            DeleteObject(f);
        }
    }
}

std::wstring Rejilla::Detalle(std::size_t i) const {
    if (i < m_documento.hallazgos.size() && m_documento.hallazgos[i].clave == m_modelo.Clave(i)) {
        return Ancho(modelo::DetalleFila(m_documento.hallazgos[i]));
    }
    return {};
}

void Rejilla::Letra(HFONT fuente, UINT ppp) {
    for (HFONT f : {m_cursiva, m_grande, m_detalle}) {
        if (f) {
            DeleteObject(f);
        }
    }
    m_fuente = fuente;
    m_cursiva = Variante(fuente, true, 0);
    // Column 0 in a font of 12 points at least: quotes and dashes then have
    // shapes of their own, and still fit a row.
    LOGFONTW lf{};
    GetObjectW(fuente, sizeof lf, &lf);
    const int doce = -MulDiv(12, static_cast<int>(ppp), 72);
    m_grande = Variante(fuente, false, std::min<LONG>(lf.lfHeight, doce));
    m_detalle = Variante(fuente, false, lf.lfHeight * 9 / 10);
    HDC pantalla = GetDC(nullptr);
    m_etiquetas.Preparar(fuente, pantalla);
    m_etiquetasGrande.Preparar(m_grande, pantalla);
    ReleaseDC(nullptr, pantalla);
}

HWND Rejilla::Crear(HWND padre, int id, HFONT fuente, UINT ppp) {
    Letra(fuente, ppp);
    m_hwnd = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"caracteresFG",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
            LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER,
        0, 0, 10, 10, padre, reinterpret_cast<HMENU>(INT_PTR{id}),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(padre, GWLP_HINSTANCE)), nullptr);
    ListView_SetExtendedListViewStyle(m_hwnd, LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
    // Past the last cell, grey.
    ListView_SetBkColor(m_hwnd, RGB(128, 128, 128));
    const std::string_view cabeceras[] = {textos::CabeceraErroneo, textos::CabeceraCorrecto};
    for (int c = 0; c < 2; ++c) {
        std::wstring texto = Ancho(cabeceras[c]);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = LVCFMT_CENTER;
        col.cx = 0;
        col.pszText = texto.data();
        ListView_InsertColumn(m_hwnd, c, &col);
    }
    // The header is drawn here (DibujarCabecera): both texts centred and
    // whole, in the button colours, with black lines between the cells.
    HWND cabecera = ListView_GetHeader(m_hwnd);
    for (int c = 0; c < 2; ++c) {
        HDITEMW h{};
        h.mask = HDI_FORMAT;
        Header_GetItem(cabecera, c, &h);
        h.fmt |= HDF_OWNERDRAW;
        Header_SetItem(cabecera, c, &h);
    }
    // The header as high as a row.
    SetWindowSubclass(cabecera, &Rejilla::Cabecera, 1, reinterpret_cast<DWORD_PTR>(this));
    Medidas(ppp);
    return m_hwnd;
}

void Rejilla::Medidas(UINT ppp) {
    m_altoFila = Pixeles(modelo::kAltoFilaRejilla, ppp);
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_fuente), FALSE);
    // A picture list one pixel wide gives the rows their height where the
    // list view does not ask its window.
    HIMAGELIST alto = ImageList_Create(1, m_altoFila, ILC_COLOR, 0, 1);
    if (HIMAGELIST antes = ListView_SetImageList(m_hwnd, alto, LVSIL_SMALL)) {
        ImageList_Destroy(antes);
    }
    for (int c = 0; c < 2; ++c) {
        ListView_SetColumnWidth(m_hwnd, c, Pixeles(modelo::kAnchoColumnaRejilla, ppp));
    }
    // A move has the list view ask its window the rows' height again, and
    // the header its own.
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Rejilla::CambiarPpp(HFONT fuente, UINT ppp) {
    Letra(fuente, ppp);
    Medidas(ppp);
}

LRESULT CALLBACK Rejilla::Cabecera(HWND cabecera, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR,
                                   DWORD_PTR datos) {
    const LRESULT r = DefSubclassProc(cabecera, mensaje, w, l);
    if (mensaje == HDM_LAYOUT) {
        auto& disposicion = *reinterpret_cast<HDLAYOUT*>(l);
        const int alto = reinterpret_cast<const Rejilla*>(datos)->m_altoFila;
        disposicion.pwpos->cy = alto;
        disposicion.prc->top = disposicion.pwpos->y + alto;
    }
    return r;
}

int Rejilla::Row() const {
    const int i = ListView_GetNextItem(m_hwnd, -1, LVNI_FOCUSED);
    return i < 0 ? 0 : i + 1;
}

void Rejilla::SetCeldaActual(int fila, int columna, bool traer) {
    m_col = std::clamp(columna, 0, 1);
    if (fila <= 0 || fila >= Rows()) {
        ListView_SetItemState(m_hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        return;
    }
    ListView_SetItemState(m_hwnd, fila - 1, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    if (traer) {
        ListView_EnsureVisible(m_hwnd, fila - 1, FALSE);
    }
    MostrarFila(fila);
}

void Rejilla::MostrarFilas() {
    ListView_SetItemCountEx(m_hwnd, static_cast<int>(m_modelo.NumFilas()), LVSICF_NOINVALIDATEALL);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Rejilla::MostrarFila(int fila) {
    if (fila > 0) {
        ListView_RedrawItems(m_hwnd, fila - 1, fila - 1);
    }
}

RECT Rejilla::RectanguloCelda(int fila, int columna, HWND destino) const {
    RECT r{};
    ListView_GetItemRect(m_hwnd, fila - 1, &r, LVIR_BOUNDS);
    const int ancho0 = ListView_GetColumnWidth(m_hwnd, 0);
    if (columna == 0) {
        r.right = r.left + ancho0;
    } else {
        r.left += ancho0;
        r.right = r.left + ListView_GetColumnWidth(m_hwnd, 1);
    }
    MapWindowPoints(m_hwnd, destino, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::pair<int, int> Rejilla::CeldaEn(POINT p) const {
    LVHITTESTINFO info{};
    info.pt = p;
    const int i = ListView_SubItemHitTest(m_hwnd, &info);
    if (i < 0 || info.iItem < 0) {
        return {0, 0};
    }
    return {info.iItem + 1, info.iSubItem};
}

void Rejilla::Medir(MEASUREITEMSTRUCT& medida) const {
    medida.itemHeight = static_cast<UINT>(m_altoFila);
}

void Rejilla::DibujarCabecera(const DRAWITEMSTRUCT& dibujo) const {
    const std::string_view textos[] = {textos::CabeceraErroneo, textos::CabeceraCorrecto};
    RECT caja = dibujo.rcItem;
    SetBkColor(dibujo.hDC, GetSysColor(COLOR_BTNFACE));
    ExtTextOutW(dibujo.hDC, 0, 0, ETO_OPAQUE, &caja, nullptr, 0, nullptr);
    HGDIOBJ antes = SelectObject(dibujo.hDC, GetStockObject(BLACK_PEN));
    MoveToEx(dibujo.hDC, caja.right - 1, caja.top, nullptr);
    LineTo(dibujo.hDC, caja.right - 1, caja.bottom - 1);
    LineTo(dibujo.hDC, caja.left - 1, caja.bottom - 1);
    SelectObject(dibujo.hDC, antes);
    const std::wstring texto = Ancho(textos[dibujo.itemID == 0 ? 0 : 1]);
    HGDIOBJ fuenteAntes = SelectObject(dibujo.hDC, m_fuente);
    SetTextColor(dibujo.hDC, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dibujo.hDC, TRANSPARENT);
    DrawTextW(dibujo.hDC, texto.data(), static_cast<int>(texto.size()), &caja,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dibujo.hDC, fuenteAntes);
}

void Rejilla::Dibujar(const DRAWITEMSTRUCT& dibujo) {
    const int fila = static_cast<int>(dibujo.itemID) + 1;
    const bool foco = GetFocus() == m_hwnd;
    const bool actual = fila == Row();
    RECT caja = dibujo.rcItem;
    for (int columna = 0; columna < 2; ++columna) {
        caja.right = caja.left + ListView_GetColumnWidth(m_hwnd, columna);
        DibujarCelda(dibujo.hDC, fila, columna, caja, actual && columna == m_col, foco);
        caja.left = caja.right;
    }
}

std::vector<modelo::PiezaCelda> Rejilla::Piezas(std::size_t i, int columna,
                                                const std::string& texto) const {
    const Etiquetas& e = columna == 0 ? m_etiquetasGrande : m_etiquetas;
    const auto hayGlifo = [&e](char32_t u) { return e.Glifo(u); };
    if (columna == 0) {
        return modelo::PiezasCaracter(m_modelo.Clave(i), m_modelo.Unicode(), hayGlifo);
    }
    if (m_modelo.EsFija(i)) {
        return {modelo::PiezaCelda{texto, false}};
    }
    if (m_modelo.EsBorrado(i)) {
        return modelo::PiezasBorrado(hayGlifo);
    }
    return modelo::PiezasRespuesta(m_modelo.Texto(i), hayGlifo);
}

void Rejilla::DibujarCelda(HDC dc, int fila, int columna, RECT caja, bool actual, bool foco) {
    const auto i = static_cast<std::size_t>(fila - 1);
    const modelo::AspectoCelda aspecto =
        columna == 0 ? modelo::AspectoClave(m_modelo.Clave(i), m_modelo.Unicode())
                     : modelo::AspectoRespuesta(m_modelo.Texto(i), m_modelo.EsFija(i),
                                                m_modelo.EsPropuesta(i), m_modelo.EsBorrado(i));
    // The current cell in the highlight, grey while the grid has no focus.
    const COLORREF fondo =
        GetSysColor(actual ? (foco ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW);
    const COLORREF color =
        actual && foco ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorDe(aspecto.color);
    SetBkColor(dc, fondo);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &caja, nullptr, 0, nullptr);
    // The grid's light lines.
    HPEN pluma = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
    HGDIOBJ antes = SelectObject(dc, pluma);
    MoveToEx(dc, caja.right - 1, caja.top, nullptr);
    LineTo(dc, caja.right - 1, caja.bottom - 1);
    LineTo(dc, caja.left - 1, caja.bottom - 1);
    SelectObject(dc, antes);
    DeleteObject(pluma);

    HFONT fuente = columna == 0 ? m_grande : aspecto.cursiva ? m_cursiva : m_fuente;
    HGDIOBJ fuenteAntes = SelectObject(dc, fuente);
    SetTextColor(dc, color);
    SetBkMode(dc, TRANSPARENT);
    DibujarPiezas(dc, Piezas(i, columna, aspecto.texto), columna == 0 ? Detalle(i) : L"", caja,
                  columna == 0 ? m_etiquetasGrande : m_etiquetas, Mezcla(color, fondo));
    SelectObject(dc, fuenteAntes);
}

void Rejilla::DibujarPiezas(HDC dc, const std::vector<modelo::PiezaCelda>& piezas,
                            const std::wstring& detalle, const RECT& caja, const Etiquetas& e,
                            COLORREF colorDetalle) const {
    const COLORREF color = GetTextColor(dc);
    HGDIOBJ fuente = GetCurrentObject(dc, OBJ_FONT);
    std::vector<std::wstring> textos;
    std::vector<double> anchos;
    for (const modelo::PiezaCelda& p : piezas) {
        textos.push_back(Ancho(p.texto));
        SIZE s{};
        GetTextExtentPoint32W(dc, textos.back().data(), static_cast<int>(textos.back().size()), &s);
        anchos.push_back(p.enmarcado ? e.AnchoEtiqueta(textos.back()) : s.cx);
    }
    // Centred as a whole, piece after piece; column 0 with its code and
    // count against its right edge, where they fit.
    SIZE sd{};
    if (!detalle.empty()) {
        SelectObject(dc, m_detalle);
        GetTextExtentPoint32W(dc, detalle.data(), static_cast<int>(detalle.size()), &sd);
        SelectObject(dc, fuente);
    }
    const std::vector<double> izquierdas =
        detalle.empty()
            ? modelo::IzquierdasCentradas(anchos, (caja.left + caja.right) / 2.0)
            : modelo::LugaresCeldaClave(anchos, sd.cx, caja.left, caja.right - caja.left, 4);
    for (std::size_t k = 0; k < piezas.size(); ++k) {
        RECT sitio{static_cast<LONG>(izquierdas[k]), caja.top,
                   static_cast<LONG>(izquierdas[k] + anchos[k]), caja.bottom - 1};
        if (piezas[k].enmarcado) {
            e.DibujarEtiqueta(dc, sitio, textos[k], static_cast<int>(anchos[k]), color);
        } else {
            DrawTextW(dc, textos[k].data(), static_cast<int>(textos[k].size()), &sitio,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_NOCLIP);
        }
    }
    if (!detalle.empty() && izquierdas.back() < caja.right) {
        // Small beside the character, and lighter than it.
        SelectObject(dc, m_detalle);
        SetTextColor(dc, colorDetalle);
        RECT sitio{static_cast<LONG>(izquierdas.back()), caja.top, caja.right, caja.bottom - 1};
        DrawTextW(dc, detalle.data(), static_cast<int>(detalle.size()), &sitio,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
}

bool Rejilla::Notificacion(const NMHDR& aviso, LRESULT& resultado) {
    if (aviso.code == LVN_GETDISPINFOW) {
        // What the list view reads of a cell (Windows's own readers of list
        // views, UI Automation's among them): the text the model says a
        // voice reads, a control or a blank by its code.
        LVITEMW& item =
            const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(aviso)).item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 &&
            static_cast<std::size_t>(item.iItem) < m_modelo.NumFilas()) {
            const auto i = static_cast<std::size_t>(item.iItem);
            const modelo::AspectoCelda a =
                item.iSubItem == 0
                    ? modelo::AspectoClave(m_modelo.Clave(i), m_modelo.Unicode())
                    : modelo::AspectoRespuesta(m_modelo.Texto(i), m_modelo.EsFija(i),
                                               m_modelo.EsPropuesta(i), m_modelo.EsBorrado(i));
            m_texto = Ancho(a.accesible);
            lstrcpynW(item.pszText, m_texto.c_str(), item.cchTextMax);
        }
        resultado = 0;
        return true;
    }
    if (aviso.code == LVN_GETINFOTIPW) {
        // The tip names the character and says where the scan found it.
        auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(aviso));
        const auto i = static_cast<std::size_t>(tip.iItem);
        if (i < m_documento.hallazgos.size() && i < m_modelo.NumFilas() &&
            m_documento.hallazgos[i].clave == m_modelo.Clave(i)) {
            const Hallazgo& h = m_documento.hallazgos[i];
            m_texto = Ancho(
                modelo::ConsejoHallazgo(h, m_documento.Unicode(), NombreCaracter(h.caracter)));
            lstrcpynW(tip.pszText, m_texto.c_str(), tip.cchTextMax);
        }
        resultado = 0;
        return true;
    }
    return false;
}

std::optional<ActoFila> Rejilla::Menu(int fila, POINT donde) const {
    const std::optional<modelo::MenuDeFila> m = m_modelo.Menu(static_cast<std::size_t>(fila - 1));
    if (!m) {
        return std::nullopt;
    }
    HMENU menu = CreatePopupMenu();
    const auto entrada = [menu](UINT id, std::wstring texto, bool activa) {
        AppendMenuW(menu, MF_STRING | (activa ? MF_ENABLED : MF_GRAYED), id, texto.c_str());
    };
    // Each entry with the key that does the same on the cell.
    entrada(1, Ancho(textos::MenuBorrar) + L"\t" + NombreTecla(VK_DELETE, true), m->borrar);
    entrada(2, Ancho(textos::MenuSinSustituto) + L"\t" + NombreTecla(VK_BACK, false),
            m->sinSustituto);
    if (m->hayPropuesta) {
        entrada(3, Ancho(textos::MenuPropuesta) + Ancho(m->textoPropuesta), m->propuesta);
    }
    const int elegida = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, donde.x,
                       donde.y, 0, GetParent(m_hwnd), nullptr));
    DestroyMenu(menu);
    switch (elegida) {
    case 1:
        return &modelo::Conversion::DarBorrado;
    case 2:
        return &modelo::Conversion::QuitarRespuesta;
    case 3:
        return &modelo::Conversion::TomarPropuesta;
    default:
        return std::nullopt;
    }
}

modelo::Pulsacion Rejilla::Pulsacion(WPARAM tecla, bool caracter) {
    using modelo::TeclaRejilla;
    modelo::Pulsacion p;
    const bool mayus = GetKeyState(VK_SHIFT) < 0;
    p.conControl = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    p.soloMayusculas = mayus && !p.conControl;
    if (caracter) {
        // A printable character is typed text, AltGr's (Ctrl and Alt held)
        // too: Ctrl alone gives control codes, Alt alone WM_SYSCHAR.
        p.escribe = tecla >= 0x20 && tecla != 0x7F;
        p.conControl = !p.escribe;
        p.soloMayusculas = mayus && p.escribe;
        p.tecla = tecla == L' ' ? TeclaRejilla::Espacio : TeclaRejilla::Otra;
        return p;
    }
    static constexpr std::pair<WPARAM, TeclaRejilla> kTeclas[] = {
        {VK_APPS, TeclaRejilla::Menu},
        {VK_F10, TeclaRejilla::F10},
        {VK_DELETE, TeclaRejilla::Suprimir},
        {VK_BACK, TeclaRejilla::Retroceso},
        {VK_F2, TeclaRejilla::F2}};
    p.tecla = NombreDeTecla(kTeclas, tecla, TeclaRejilla::Otra);
    return p;
}

} // namespace tildora::win32::conversion
