#include "ui-win32/conversion/ventana_conversion.h"

#include "ui-win32/accesibilidad.h"
#include "ui-win32/conversion/ayudas.h"
#include "ui-win32/dialogos.h"

#include "core/textos.h"
#include "modelos/disposicion.h"

#include <commctrl.h>

#include <algorithm>

namespace tildora::win32 {

namespace {

constexpr wchar_t kClase[] = L"TildoraFrmConversionCaracteres";
// A control's identifier: its place in the layout, as the wrappers number
// theirs (another program reads a control by it).
int Id(std::string_view nombre) {
    return IdControl(modelo::DisposicionConversion(), nombre);
}
// The frame: it can grow and be maximised.
constexpr DWORD kEstilo = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

} // namespace

FrmConversionCaracteres::Impl::Impl(HINSTANCE instancia_, modelo::Dialogos& dialogos_,
                                    Estado& estado_)
    : instancia(instancia_), dialogos(dialogos_), estado(estado_), modelo(estado_, dialogos_),
      editor(modelo), buscador(estado_.documento), previa(estado_.documento),
      caracteresFG(modelo, estado_.documento), txtEditor(editor) {}

FrmConversionCaracteres::Impl::~Impl() {
    if (hwnd) {
        DestroyWindow(hwnd);
    }
}

void FrmConversionCaracteres::Impl::Crear() {
    WNDCLASSEXW clase{};
    clase.cbSize = sizeof clase;
    if (!GetClassInfoExW(instancia, kClase, &clase)) {
        clase.lpfnWndProc = &Impl::Procedimiento;
        clase.hInstance = instancia;
        clase.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        clase.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        clase.lpszClassName = kClase;
        clase.hIcon = CargarIcono(instancia, "ventana", GetSystemMetrics(SM_CXICON));
        clase.hIconSm = CargarIcono(instancia, "ventana", GetSystemMetrics(SM_CXSMICON));
        RegisterClassExW(&clase);
    }
    // The layout's size is where the window starts and the smallest it
    // gets; it can grow and be maximised.
    hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kClase, Ancho(textos::TituloConversion).c_str(),
                           kEstilo, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                           instancia, this);
    ppp = PuntosPorPulgada(hwnd);
    // At the size the user left it, never larger than the screen's room;
    // centred there, as the layouts' rule puts it.
    const modelo::Disposicion& d = modelo::DisposicionConversion();
    const modelo::Medida disposicion{d.ancho, d.alto};
    RECT trabajo{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &trabajo, 0);
    const SIZE marco = Marco();
    const modelo::Medida pantalla{Twips(trabajo.right - trabajo.left - marco.cx),
                                  Twips(trabajo.bottom - trabajo.top - marco.cy)};
    const modelo::TamanoVentana tamano = modelo::TamanoAlAbrir(
        modelo::TamanoRecordado(modelo::RutaTamanoVentana()).Leer(), disposicion, pantalla);
    minimo = modelo::TamanoMinimo(disposicion, pantalla);
    maximizada = tamano.maximizada;
    const int ancho = Pixeles(tamano.medida.ancho, ppp) + marco.cx;
    const int alto = Pixeles(tamano.medida.alto, ppp) + marco.cy;
    const auto centrada = [this](int pantallaPx, int ventanaPx) {
        return Pixeles(modelo::CoordenadaCentrada(Twips(pantallaPx), Twips(ventanaPx)), ppp);
    };
    SetWindowPos(hwnd, nullptr, centrada(GetSystemMetrics(SM_CXSCREEN), ancho),
                 centrada(GetSystemMetrics(SM_CYSCREEN), alto), ancho, alto,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CrearControles();
    Disponer();
}

void FrmConversionCaracteres::Impl::CrearControles() {
    const modelo::Disposicion& d = modelo::DisposicionConversion();
    fuente = std::make_unique<Fuente>(ppp, false);
    HFONT f = fuente->hfont();
    for (const char* nombre : {"Label1", "Label2"}) {
        etiquetas.push_back(std::make_unique<Etiqueta>(hwnd, d, nombre));
        etiquetas.back()->Colocar(ppp);
    }
    const auto boton = [&](const char* nombre) {
        auto b = std::make_unique<Boton>(hwnd, instancia, d, nombre);
        b->Colocar(ppp);
        return b;
    };
    caracteresFG.Crear(hwnd, Id("caracteresFG"), f, ppp);
    textoFicheroRTB.Crear(hwnd, Id("textoFicheroRTB"), f,
                          {[this] {
                               buscador.Olvidar();
                               Contar();
                           },
                           [this](UINT m, WPARAM t) { return TeclaEnVentana(m, t); }});
    CmdBuscar = boton("CmdBuscar");
    CmdPrevia = boton("CmdPrevia");
    CmdAceptar = boton("CmdAceptar");
    CmdCancelar = boton("CmdCancelar");
    // The default button is drawn as such; its other styles stay.
    const auto estilo = static_cast<DWORD>(GetWindowLongPtrW(CmdAceptar->hwnd(), GWL_STYLE));
    SendMessageW(CmdAceptar->hwnd(), BM_SETSTYLE,
                 (estilo & 0xFFFF & ~BS_TYPEMASK) | BS_DEFPUSHBUTTON, TRUE);
    CmdBuscar->onClick = [this] { CmdBuscar_Click(); };
    CmdPrevia->onClick = [this] { MostrarPrevia(!previa.Mostrada(), true); };
    CmdAceptar->onClick = [this] { CmdAceptar_Click(); };
    CmdCancelar->onClick = [this] { CmdCancelar_Click(); };
    // The search's count under its button, which text the view shows under
    // the text at its left.
    const auto etiqueta = [&](int id, DWORD estilo) {
        HWND e =
            CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | estilo, 0, 0,
                            1, 1, hwnd, reinterpret_cast<HMENU>(INT_PTR{id}), instancia, nullptr);
        SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        return e;
    };
    LblOcurrencias = etiqueta(Id("LblOcurrencias"), SS_CENTER);
    LblTextoMostrado = etiqueta(Id("LblTextoMostrado"), SS_LEFT);
    txtEditor.Crear(hwnd, Id("txtEditor"), f,
                    {[this] { txtEditor_LostFocus(); },
                     [this](modelo::AccionEditor a) { TeclaEnEditor(a); },
                     [this](UINT m, WPARAM t) { return TeclaEnVentana(m, t); }});
    Registrar();
    CrearConsejos();
}

void FrmConversionCaracteres::Impl::Registrar() {
    // What assistive technology reads for the grid and the text view, whose
    // window texts show nowhere.
    for (const modelo::Lectura& l : modelo::LecturasConversion()) {
        if (l.control == "caracteresFG" || l.control == "textoFicheroRTB") {
            SetWindowTextW(l.control == "caracteresFG" ? caracteresFG.Hwnd()
                                                       : textoFicheroRTB.Hwnd(),
                           Ancho(l.nombre).c_str());
        }
    }
    controles = {{"Label1", etiquetas[0]->hwnd()},      {"Label2", etiquetas[1]->hwnd()},
                 {"caracteresFG", caracteresFG.Hwnd()}, {"textoFicheroRTB", textoFicheroRTB.Hwnd()},
                 {"CmdBuscar", CmdBuscar->hwnd()},      {"CmdPrevia", CmdPrevia->hwnd()},
                 {"CmdAceptar", CmdAceptar->hwnd()},    {"CmdCancelar", CmdCancelar->hwnd()},
                 {"txtEditor", txtEditor.Hwnd()},       {"LblOcurrencias", LblOcurrencias},
                 {"LblTextoMostrado", LblTextoMostrado}};
    // What a screen reader reads: every control's name and description,
    // the grid's cells, the text view's line and selection.
    LeerRejilla(caracteresFG, modelo);
    LeerVista(textoFicheroRTB);
    PonerLecturas(modelo::LecturasConversion(), [this](std::string_view n) { return Control(n); });
    // The keys of the window reach it from every control; the grid's and
    // the buttons' own first.
    for (HWND c : {caracteresFG.Hwnd(), CmdBuscar->hwnd(), CmdPrevia->hwnd(), CmdAceptar->hwnd(),
                   CmdCancelar->hwnd()}) {
        SetWindowSubclass(c, &Impl::Subclase, 1, reinterpret_cast<DWORD_PTR>(this));
    }
}

void FrmConversionCaracteres::Impl::CrearConsejos() {
    // The tips of the search and preview buttons.
    const modelo::Disposicion& d = modelo::DisposicionConversion();
    consejos = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                               hwnd, nullptr, instancia, nullptr);
    for (const char* nombre : {"CmdBuscar", "CmdPrevia"}) {
        std::wstring tip = Ancho(d.BuscarBoton(nombre)->consejo);
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd;
        info.uId = reinterpret_cast<UINT_PTR>(
            std::string_view(nombre) == "CmdBuscar" ? CmdBuscar->hwnd() : CmdPrevia->hwnd());
        info.lpszText = tip.data();
        SendMessageW(consejos, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(consejos, TTM_SETMAXTIPWIDTH, 0, 400);
}

void FrmConversionCaracteres::Impl::Disponer() {
    RECT cliente{};
    GetClientRect(hwnd, &cliente);
    const auto twips = [this](LONG px) { return MulDiv(px, 1440, static_cast<int>(ppp)); };
    // The grid widens as far as its columns, its frame and a vertical
    // scroll bar need.
    HWND g = caracteresFG.Hwnd();
    const int anchoRejilla = ListView_GetColumnWidth(g, 0) + ListView_GetColumnWidth(g, 1) +
                             2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL);
    const modelo::DisposicionPropia propia = modelo::DisposicionConversionEn(
        twips(cliente.right), twips(cliente.bottom), twips(anchoRejilla));
    for (const modelo::Control& c : propia.controles) {
        if (c.nombre == "txtEditor") {
            continue;
        }
        if (HWND control = Control(c.nombre)) {
            SetWindowPos(control, nullptr, Pixeles(c.donde.izquierda, ppp),
                         Pixeles(c.donde.arriba, ppp), Pixeles(c.donde.ancho, ppp),
                         Pixeles(c.donde.alto, ppp), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    EncajarEtiquetas();
    // The editor stays over its cell.
    if (txtEditor.Visible()) {
        txtEditor.Mover(caracteresFG.RectanguloCelda(caracteresFG.Row(), 1, hwnd));
    }
}

void FrmConversionCaracteres::Impl::EncajarEtiquetas() {
    // The two languages of the instructions read at one size, the largest
    // that fits their boxes as wide as the window now makes them.
    std::vector<Etiqueta*> instrucciones;
    for (const auto& e : etiquetas) {
        instrucciones.push_back(e.get());
    }
    Encajar(instrucciones, ppp);
}

void FrmConversionCaracteres::Impl::CambiarPpp(UINT nuevo, const RECT& propuesto) {
    ppp = nuevo;
    // The new font goes to every control before the old one is deleted.
    auto otra = std::make_unique<Fuente>(ppp, false);
    HFONT f = otra->hfont();
    for (const auto& e : etiquetas) {
        e->Colocar(ppp);
    }
    for (Boton* b : {CmdBuscar.get(), CmdPrevia.get(), CmdAceptar.get(), CmdCancelar.get()}) {
        b->Colocar(ppp);
    }
    caracteresFG.CambiarPpp(f, ppp);
    textoFicheroRTB.PonerFuente(f);
    txtEditor.PonerFuente(f);
    for (HWND e : {LblOcurrencias, LblTextoMostrado}) {
        SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    }
    fuente = std::move(otra);
    SetWindowPos(hwnd, nullptr, propuesto.left, propuesto.top, propuesto.right - propuesto.left,
                 propuesto.bottom - propuesto.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Disponer();
    // Every control drawn afresh: a label moved and grown keeps none of
    // what it showed at the old size.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

SIZE FrmConversionCaracteres::Impl::Marco() const {
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, kEstilo, FALSE, WS_EX_CONTROLPARENT);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int FrmConversionCaracteres::Impl::Twips(int pixeles) const {
    return MulDiv(pixeles, 1440, static_cast<int>(ppp));
}

void FrmConversionCaracteres::Impl::RecordarTamano() const {
    WINDOWPLACEMENT lugar{};
    lugar.length = sizeof lugar;
    if (!GetWindowPlacement(hwnd, &lugar)) {
        return;
    }
    // The size it has when not maximised, as a client area.
    const SIZE marco = Marco();
    const RECT& n = lugar.rcNormalPosition;
    modelo::TamanoRecordado(modelo::RutaTamanoVentana())
        .Guardar({{Twips(n.right - n.left - marco.cx), Twips(n.bottom - n.top - marco.cy)},
                  IsZoomed(hwnd) != FALSE});
}

HWND FrmConversionCaracteres::Impl::Control(std::string_view nombre) const {
    for (const auto& [n, h] : controles) {
        if (n == nombre) {
            return h;
        }
    }
    return nullptr;
}

std::string_view FrmConversionCaracteres::Impl::NombreDe(HWND control) const {
    for (const auto& [n, h] : controles) {
        if (h == control) {
            return n;
        }
    }
    return {};
}

void FrmConversionCaracteres::Impl::Form_Load() {
    // A store that cannot be read is said before the grid shows.
    Modelo().Cargar();
    SetWindowTextW(hwnd, Ancho(modelo.Titulo()).c_str());
    caracteresFG.MostrarFilas();
    Documento& documento = estado.documento;
    // The text is the bytes the scan read: the file is not read again, so
    // the text and the grid always agree.
    textoFicheroRTB.Cargar(documento.texto, std::move(documento.inicioLineas), documento.Unicode());
    caracteresFG.SetCeldaActual(caracteresFG.Rows() > 1 ? 1 : 0, 0);
    FilaActualCambiada();
    MostrarPrevia(false, false);
    editor.Olvidar();
}

bool FrmConversionCaracteres::Impl::Notificacion(const NMHDR& aviso, LRESULT& resultado) {
    if (aviso.hwndFrom != caracteresFG.Hwnd()) {
        return false;
    }
    switch (aviso.code) {
    case NM_CLICK:
    case NM_RCLICK: {
        // The clicked cell becomes the current one where it stands: a
        // scroll would hide the editor the click opens.
        const auto& a = reinterpret_cast<const NMITEMACTIVATE&>(aviso);
        const auto [fila, columna] = caracteresFG.CeldaEn(a.ptAction);
        if (fila <= 0) {
            return false;
        }
        caracteresFG.SetCeldaActual(fila, columna, false);
        if (aviso.code == NM_CLICK) {
            caracteresFG_Click();
        } else {
            POINT p = a.ptAction;
            ClientToScreen(caracteresFG.Hwnd(), &p);
            MenuFila(fila, p);
        }
        return true;
    }
    case LVN_ITEMCHANGED:
        // The marks follow the current row.
        if (caracteresFG.Row() != filaMarcada) {
            FilaActualCambiada();
        }
        return false;
    case NM_SETFOCUS:
    case NM_KILLFOCUS:
        caracteresFG.MostrarFila(caracteresFG.Row());
        return false;
    default:
        return caracteresFG.Notificacion(aviso, resultado);
    }
}

void FrmConversionCaracteres::Impl::Foco(bool sale) {
    // The control that had the focus gets it back when the window is active
    // again (after a message box, another program): the keys then go on
    // where they went.
    if (sale) {
        HWND foco = GetFocus();
        focoGuardado = foco && IsChild(hwnd, foco) ? foco : focoGuardado;
        return;
    }
    SetFocus(focoGuardado && IsWindowVisible(focoGuardado) ? focoGuardado : caracteresFG.Hwnd());
}

LRESULT FrmConversionCaracteres::Impl::ColorEtiqueta(HDC dc, HWND etiqueta) const {
    // The instructions in their colour, every label on the window's face.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const auto& e : etiquetas) {
        if (e->hwnd() == etiqueta) {
            SetTextColor(dc, e->Color());
        }
    }
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void FrmConversionCaracteres::Impl::Orden(HWND origen, WORD codigo) {
    // The editor's text changed; a button was pressed.
    if (origen == txtEditor.Hwnd() && codigo == EN_CHANGE) {
        txtEditor.Cambiado();
    }
    for (Boton* b : {CmdBuscar.get(), CmdPrevia.get(), CmdAceptar.get(), CmdCancelar.get()}) {
        if (b && b->hwnd() == origen) {
            b->Orden(codigo);
        }
    }
}

LRESULT FrmConversionCaracteres::Impl::Procesar(UINT mensaje, WPARAM w, LPARAM l) {
    switch (mensaje) {
    case WM_MEASUREITEM:
        caracteresFG.Medir(*reinterpret_cast<MEASUREITEMSTRUCT*>(l));
        return TRUE;
    case WM_DRAWITEM:
        caracteresFG.Dibujar(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
    case WM_NOTIFY: {
        LRESULT r = 0;
        if (Notificacion(*reinterpret_cast<const NMHDR*>(l), r)) {
            return r;
        }
        break;
    }
    case WM_COMMAND:
        Orden(reinterpret_cast<HWND>(l), HIWORD(w));
        return 0;
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(l) == txtEditor.Hwnd()) {
            return reinterpret_cast<LRESULT>(txtEditor.Colores(reinterpret_cast<HDC>(w)));
        }
        break;
    case WM_CTLCOLORSTATIC:
        return ColorEtiqueta(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_GETMINMAXINFO: {
        // The layout's size is the smallest (the screen's room where that
        // is smaller).
        const SIZE marco = Marco();
        auto& mm = *reinterpret_cast<MINMAXINFO*>(l);
        mm.ptMinTrackSize = {Pixeles(minimo.ancho, ppp) + marco.cx,
                             Pixeles(minimo.alto, ppp) + marco.cy};
        return 0;
    }
    case WM_DPICHANGED:
        CambiarPpp(HIWORD(w), *reinterpret_cast<const RECT*>(l));
        return 0;
    case WM_SIZE:
        if (!controles.empty()) {
            Disponer();
        }
        return 0;
    case WM_CLOSE:
        Form_Close();
        return 0;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
        Foco(mensaje == WM_ACTIVATE && LOWORD(w) == WA_INACTIVE);
        return 0;
    case WM_KEYDOWN:
        if (TeclaEnVentana(mensaje, w)) {
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, mensaje, w, l);
}

LRESULT CALLBACK FrmConversionCaracteres::Impl::Procedimiento(HWND hwnd, UINT mensaje, WPARAM w,
                                                              LPARAM l) {
    if (mensaje == WM_NCCREATE) {
        auto* yo = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        yo->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(yo));
    }
    auto* yo = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (mensaje == WM_NCDESTROY && yo) {
        yo->hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    if (!yo || !yo->hwnd) {
        return DefWindowProcW(hwnd, mensaje, w, l);
    }
    return yo->Procesar(mensaje, w, l);
}

// --- The public face -------------------------------------------------------

FrmConversionCaracteres::FrmConversionCaracteres(HINSTANCE instancia, modelo::Dialogos& dialogos,
                                                 Estado& estado)
    : m(std::make_unique<Impl>(instancia, dialogos, estado)) {}

FrmConversionCaracteres::~FrmConversionCaracteres() = default;

void FrmConversionCaracteres::Mostrar() {
    m->Crear();
    m->Form_Load();
    if (m->hwnd && !m->fin) {
        ShowWindow(m->hwnd, m->maximizada ? SW_SHOWMAXIMIZED : SW_SHOW);
        SetForegroundWindow(m->hwnd);
        SetFocus(m->caracteresFG.Hwnd());
    }
}

const std::optional<FinConversion>& FrmConversionCaracteres::Fin() const {
    return m->fin;
}

HWND FrmConversionCaracteres::Ventana() const {
    return m->hwnd;
}

HWND FrmConversionCaracteres::Control(std::string_view nombre) const {
    return m->Control(nombre);
}

const modelo::Conversion& FrmConversionCaracteres::Modelo() const {
    return m->modelo;
}

const modelo::Vista& FrmConversionCaracteres::Vista() const {
    return m->textoFicheroRTB.Modelo();
}

} // namespace tildora::win32
