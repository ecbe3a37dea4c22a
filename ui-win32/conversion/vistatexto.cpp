#include "ui-win32/conversion/vistatexto.h"

#include "ui-win32/conversion/ayudas.h"

#include "core/caracteres.h"
#include "core/unicode.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tildora::win32::conversion {

namespace {

constexpr wchar_t kClase[] = L"TildoraVistaTexto";

int Entero(double v) {
    if (v <= 0) {
        return 0;
    }
    return v >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                : static_cast<int>(std::ceil(v));
}

} // namespace

HWND VistaTexto::Crear(HWND padre, int id, HFONT fuente, Acciones acciones) {
    m_acciones = std::move(acciones);
    m_fuente = fuente;
    const auto instancia = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(padre, GWLP_HINSTANCE));
    WNDCLASSEXW clase{};
    clase.cbSize = sizeof clase;
    if (!GetClassInfoExW(instancia, kClase, &clase)) {
        clase.style = CS_DBLCLKS;
        clase.lpfnWndProc = &VistaTexto::Procedimiento;
        clase.hInstance = instancia;
        clase.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        clase.lpszClassName = kClase;
        RegisterClassExW(&clase);
    }
    m_hwnd = CreateWindowExW(
        WS_EX_CLIENTEDGE, kClase, L"textoFicheroRTB",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0, 10,
        10, padre, reinterpret_cast<HMENU>(INT_PTR{id}), instancia, this);
    Medir();
    return m_hwnd;
}

void VistaTexto::PonerFuente(HFONT fuente) {
    m_fuente = fuente;
    Medir();
    m_modelo.OlvidarAnchos();
    AjustarBarras();
    MedirVisibles();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::Medir() {
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ antes = SelectObject(dc, m_fuente);
    m_etiquetas.Preparar(m_fuente, dc);
    m_medidas.clear();
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        m_glifo[c] = static_cast<wchar_t>(GlifoDeAnsi(c, false));
        SIZE s{};
        GetTextExtentPoint32W(dc, &m_glifo[c], 1, &s);
        m_avance[c] = modelo::EsRuptura(c)    ? 0.0
                      : m_etiquetas.Propia(c) ? m_etiquetas.Ancho(c)
                                              : s.cx;
    }
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    m_altoLinea = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    SelectObject(dc, antes);
    ReleaseDC(m_hwnd, dc);
}

VistaTexto::Medida VistaTexto::MedidaDe(char32_t cp) const {
    if (const auto it = m_medidas.find(cp); it != m_medidas.end()) {
        return it->second;
    }
    Medida m;
    if (EsInvisible(cp) || !m_etiquetas.Glifo(cp)) {
        // Nothing, or the same empty box for every such character, would
        // tell the user nothing: its code, framed, tells what it is.
        m.caja = true;
        m.avance = m_etiquetas.AnchoEtiqueta(Ancho(CodigoUnicode(cp)));
    } else {
        HDC dc = GetDC(m_hwnd);
        HGDIOBJ antes = SelectObject(dc, m_fuente);
        const std::wstring c = Caracter(cp);
        SIZE s{};
        GetTextExtentPoint32W(dc, c.data(), static_cast<int>(c.size()), &s);
        SelectObject(dc, antes);
        ReleaseDC(m_hwnd, dc);
        m.avance = s.cx;
    }
    m_medidas.emplace(cp, m);
    return m;
}

std::size_t VistaTexto::Paso(const modelo::Tira& t, std::size_t i, double& avance) const {
    const auto b = static_cast<unsigned char>(t.datos[i]);
    if (!m_modelo.Texto().Utf8() || b < 0x80) {
        avance = m_avance[b];
        return i + 1;
    }
    char32_t cp = 0;
    const std::size_t n = modelo::Lineas::Descifrar(t, i, cp);
    avance = i < t.marcaOrden ? 0.0 : MedidaDe(cp).avance;
    return i + n;
}

void VistaTexto::Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8) {
    m_modelo.Cargar(texto, std::move(inicios), utf8);
    m_modelo.OlvidarAnchos();
    m_primera = 0;
    m_izquierda = 0;
    AjustarBarras();
    MedirVisibles();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

int VistaTexto::AnchoCliente() const {
    RECT r{};
    GetClientRect(m_hwnd, &r);
    return std::max<int>(1, r.right - 2 * kMargen);
}

std::size_t VistaTexto::Visibles() const {
    RECT r{};
    GetClientRect(m_hwnd, &r);
    return static_cast<std::size_t>(std::max<int>(1, (r.bottom - kMargen) / m_altoLinea));
}

std::size_t VistaTexto::Ultima() const {
    return std::min(m_modelo.Texto().NumeroLineas(), m_primera + Visibles() + 1);
}

void VistaTexto::AjustarBarras() {
    const std::size_t lineas = m_modelo.Texto().NumeroLineas();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMax = Entero(static_cast<double>(lineas) - 1);
    si.nPage = static_cast<UINT>(Visibles());
    si.nPos = Entero(static_cast<double>(m_primera));
    SetScrollInfo(m_hwnd, SB_VERT, &si, TRUE);
    si.nMax = Entero(m_modelo.AnchoMaximo() + 2 * kMargen);
    si.nPage = static_cast<UINT>(AnchoCliente());
    si.nPos = Entero(m_izquierda);
    SetScrollInfo(m_hwnd, SB_HORZ, &si, TRUE);
}

void VistaTexto::MedirVisibles() {
    const std::size_t hasta = m_primera + Visibles() + 1;
    if (m_modelo.PorMedir(m_primera, hasta) &&
        m_modelo.MedirLineas(m_primera, hasta, m_primera, Ultima(), Medidor())) {
        AjustarBarras();
    }
}

void VistaTexto::IrA(std::size_t primera, double izquierda) {
    const std::size_t lineas = m_modelo.Texto().NumeroLineas();
    const std::size_t maxima = lineas > Visibles() ? lineas - Visibles() : 0;
    const double maxIzquierda =
        std::max(0.0, m_modelo.AnchoMaximo() + 2 * kMargen - AnchoCliente());
    primera = std::min(primera, maxima);
    izquierda = std::clamp(izquierda, 0.0, maxIzquierda);
    if (primera == m_primera && izquierda == m_izquierda) {
        return;
    }
    m_primera = primera;
    m_izquierda = izquierda;
    MedirVisibles();
    AjustarBarras();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::Desplazar(int barra, int codigo) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(m_hwnd, barra, &si);
    const bool vertical = barra == SB_VERT;
    double pos = vertical ? static_cast<double>(m_primera) : m_izquierda;
    const double paso = vertical ? 1.0 : 20.0;
    const double pagina = std::max(1.0, static_cast<double>(si.nPage) - (vertical ? 0 : 20));
    switch (codigo) {
    case SB_LINEUP:
        pos -= paso;
        break;
    case SB_LINEDOWN:
        pos += paso;
        break;
    case SB_PAGEUP:
        pos -= pagina;
        break;
    case SB_PAGEDOWN:
        pos += pagina;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        pos = si.nTrackPos;
        break;
    case SB_TOP:
        pos = 0;
        break;
    case SB_BOTTOM:
        pos = std::numeric_limits<int>::max();
        break;
    default:
        return;
    }
    pos = std::max(0.0, pos);
    if (vertical) {
        IrA(static_cast<std::size_t>(pos), m_izquierda);
    } else {
        IrA(m_primera, pos);
    }
}

void VistaTexto::Seleccionar(std::size_t inicio, std::size_t fin) {
    m_modelo.Seleccionar(inicio, fin);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::MostrarPosicion(std::size_t posicion) {
    posicion = std::min(posicion, m_modelo.Texto().Texto().size());
    const std::size_t linea = m_modelo.Texto().LineaDe(posicion);
    const std::size_t primera = modelo::PrimeraConLinea(linea, m_primera, Visibles());
    IrA(primera, m_izquierda);
    if (m_modelo.MedirLineas(linea, linea + 1, m_primera, Ultima(), Medidor())) {
        AjustarBarras();
    }
    const modelo::Lugar l = modelo::LugarDe(RenglonDe(linea), posicion, Medidor());
    if (modelo::FueraDeVista(l, m_izquierda, AnchoCliente())) {
        IrA(m_primera, modelo::IzquierdaCon(l, AnchoCliente()));
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias) {
    m_modelo.MarcarOcurrencias(std::move(ocurrencias));
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::MarcarActual(std::size_t posicion, std::size_t largo) {
    m_modelo.MarcarActual(posicion, largo);
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::MostrarPrevia(const VistaPrevia* previa) {
    m_modelo.MostrarPrevia(previa);
    // The lines in sight are measured again as they now show.
    m_modelo.OlvidarEnVista();
    MedirVisibles();
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

bool VistaTexto::Tecla(WPARAM tecla) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (control && (tecla == 'C' || tecla == VK_INSERT)) {
        Copiar();
        return true;
    }
    if (control && tecla == 'A') {
        Seleccionar(0, m_modelo.Texto().Texto().size());
        if (m_modelo.OlvidarActual() && m_acciones.olvidada) {
            m_acciones.olvidada();
        }
        return true;
    }
    struct Desplazamiento {
        WPARAM tecla;
        int barra;
        int codigo;
    };
    // The keys that scroll: which bar, by which step. Home and End go to a
    // line's ends, with Ctrl to the text's first and last lines.
    static constexpr Desplazamiento kTeclas[] = {
        {VK_UP, SB_VERT, SB_LINEUP},    {VK_DOWN, SB_VERT, SB_LINEDOWN},
        {VK_PRIOR, SB_VERT, SB_PAGEUP}, {VK_NEXT, SB_VERT, SB_PAGEDOWN},
        {VK_LEFT, SB_HORZ, SB_LINEUP},  {VK_RIGHT, SB_HORZ, SB_LINEDOWN},
        {VK_HOME, SB_CTL, SB_TOP},      {VK_END, SB_CTL, SB_BOTTOM}};
    for (const Desplazamiento& d : kTeclas) {
        if (d.tecla == tecla) {
            Desplazar(d.barra == SB_CTL ? (control ? SB_VERT : SB_HORZ) : d.barra, d.codigo);
            return true;
        }
    }
    return false;
}

void VistaTexto::Copiar() const {
    if (m_modelo.FinSeleccion() <= m_modelo.InicioSeleccion()) {
        return;
    }
    // The selection as shown (the corrected text in the preview), its line
    // breaks as Windows writes them.
    std::wstring texto;
    m_modelo.Seleccionado([this](unsigned char b) { return char32_t{m_glifo[b]}; },
                          [&texto](char32_t c) {
                              if (c == U'\n') {
                                  texto += L"\r\n";
                              } else {
                                  texto += Caracter(c);
                              }
                          });
    const std::size_t bytes = (texto.size() + 1) * sizeof(wchar_t);
    HGLOBAL memoria = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memoria) {
        return;
    }
    std::memcpy(GlobalLock(memoria), texto.c_str(), bytes);
    GlobalUnlock(memoria);
    if (OpenClipboard(m_hwnd)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, memoria)) {
            memoria = nullptr;
        }
        CloseClipboard();
    }
    if (memoria) {
        GlobalFree(memoria);
    }
}

std::size_t VistaTexto::PosicionEn(POINT p) const {
    const int fila = std::max(0, static_cast<int>(p.y) - kMargen) / m_altoLinea;
    std::size_t linea = m_primera + static_cast<std::size_t>(fila);
    if (p.y < 0 && linea > 0) {
        --linea;
    }
    linea = std::min(linea, m_modelo.Texto().NumeroLineas() - 1);
    return modelo::PosicionEn(RenglonDe(linea), p.x - kMargen + m_izquierda, Medidor());
}

void VistaTexto::Raton(UINT mensaje, LPARAM l) {
    const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    if (mensaje == WM_LBUTTONDOWN) {
        SetFocus(m_hwnd);
        SetCapture(m_hwnd);
        // The caret goes where the user put it: the search goes on from there.
        if (m_modelo.OlvidarActual() && m_acciones.olvidada) {
            m_acciones.olvidada();
        }
        m_modelo.Pulsar(PosicionEn(p), GetKeyState(VK_SHIFT) < 0);
    } else if (mensaje == WM_MOUSEMOVE && GetCapture() == m_hwnd) {
        // Dragging past an edge scrolls that way.
        RECT r{};
        GetClientRect(m_hwnd, &r);
        if (p.y < 0 || p.y > r.bottom) {
            Desplazar(SB_VERT, p.y < 0 ? SB_LINEUP : SB_LINEDOWN);
        }
        if (p.x < 0 || p.x > r.right) {
            Desplazar(SB_HORZ, p.x < 0 ? SB_LINEUP : SB_LINEDOWN);
        }
        m_modelo.Arrastrar(PosicionEn(p));
    } else if (mensaje == WM_LBUTTONUP) {
        ReleaseCapture();
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VistaTexto::Pintado() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT cliente{};
    GetClientRect(m_hwnd, &cliente);
    // Drawn off screen, then shown at once: no flicker while scrolling.
    HDC memoria = CreateCompatibleDC(dc);
    HBITMAP imagen = CreateCompatibleBitmap(dc, std::max<LONG>(1, cliente.right),
                                            std::max<LONG>(1, cliente.bottom));
    HGDIOBJ antes = SelectObject(memoria, imagen);
    Pintar(memoria, cliente);
    BitBlt(dc, 0, 0, cliente.right, cliente.bottom, memoria, 0, 0, SRCCOPY);
    SelectObject(memoria, antes);
    DeleteObject(imagen);
    DeleteDC(memoria);
    EndPaint(m_hwnd, &ps);
}

LRESULT VistaTexto::Mensaje(UINT mensaje, WPARAM w, LPARAM l) {
    switch (mensaje) {
    case WM_PAINT:
        Pintado();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        AjustarBarras();
        MedirVisibles();
        IrA(m_primera, m_izquierda);
        return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
        Desplazar(mensaje == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(w));
        return 0;
    case WM_MOUSEWHEEL: {
        const int pasos = GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA * 3;
        const double primera = static_cast<double>(m_primera) - pasos;
        IrA(static_cast<std::size_t>(std::max(0.0, primera)), m_izquierda);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        Raton(mensaje, l);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
        if ((mensaje == WM_KEYDOWN && Tecla(w)) || m_acciones.ventana(mensaje, w)) {
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(m_hwnd, nullptr, FALSE);
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, mensaje, w, l);
}

LRESULT CALLBACK VistaTexto::Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l) {
    if (mensaje == WM_NCCREATE) {
        auto* yo = static_cast<VistaTexto*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        yo->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(yo));
    }
    auto* yo = reinterpret_cast<VistaTexto*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!yo || mensaje == WM_NCCREATE || mensaje == WM_NCDESTROY) {
        return DefWindowProcW(hwnd, mensaje, w, l);
    }
    return yo->Mensaje(mensaje, w, l);
}

} // namespace tildora::win32::conversion
