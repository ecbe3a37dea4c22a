#include "ui-win32/accesibilidad.h"

#include "ui-win32/controles.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>
#include <utility>

namespace tildora::win32 {

namespace {

// The subclass that answers WM_GETOBJECT.
constexpr UINT_PTR kSubclase = 0x4C45; // "LE"
// The window property that finds a control's Lector.
constexpr wchar_t kPropiedad[] = L"TildoraLector";
// The annotation service and what it annotates (oleacc.h's; defined here,
// as the import libraries' are not to be trusted).
constexpr GUID kServicioAnotaciones = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropNombre = {
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kPropDescripcion = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};

HRESULT Cadena(const std::wstring& texto, BSTR* salida) {
    if (!salida) {
        return E_POINTER;
    }
    *salida = nullptr;
    if (texto.empty()) {
        return S_FALSE;
    }
    *salida = SysAllocStringLen(texto.data(), static_cast<UINT>(texto.size()));
    return *salida ? S_OK : E_OUTOFMEMORY;
}

void Entero(VARIANT* v, long valor) {
    VariantInit(v);
    v->vt = VT_I4;
    v->lVal = valor;
}

// The object a control's client area answers with: the control's Lector
// where it has something to say, Windows's own object for the control
// (`m_estandar`) for the rest. It outlives its control while a screen reader
// holds it; it then answers nothing (RPC_E_DISCONNECTED).
class Objeto final : public IAccessible, public IOleWindow {
public:
    Objeto(HWND hwnd, IAccessible* estandar, const Lector* lector)
        : m_hwnd(hwnd), m_estandar(estandar), m_lector(lector) {}
    Objeto(const Objeto&) = delete;
    Objeto& operator=(const Objeto&) = delete;

    void Soltar() { m_lector = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** salida) override {
        if (!salida) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *salida = static_cast<IAccessible*>(this);
        } else if (iid == __uuidof(IOleWindow)) {
            *salida = static_cast<IOleWindow*>(this);
        } else {
            *salida = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_cuenta; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG quedan = --m_cuenta;
        if (quedan == 0) {
            m_estandar->Release();
            delete this;
        }
        return quedan;
    }

    // IOleWindow: the control's window.
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        if (!hwnd) {
            return E_POINTER;
        }
        *hwnd = m_hwnd;
        return m_lector ? S_OK : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch: none (screen readers call IAccessible itself).
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** padre) override {
        return m_lector ? m_estandar->get_accParent(padre) : RPC_E_DISCONNECTED;
    }
    STDMETHODIMP get_accChildCount(long* n) override {
        if (!m_lector) {
            return RPC_E_DISCONNECTED;
        }
        if (!m_lector->hijos) {
            return m_estandar->get_accChildCount(n);
        }
        *n = m_lector->hijos();
        return S_OK;
    }
    STDMETHODIMP get_accChild(VARIANT hijo, IDispatch** salida) override {
        const HRESULT r = Propios(hijo);
        if (r != S_OK) {
            return r == S_FALSE ? m_estandar->get_accChild(hijo, salida) : r;
        }
        // Our children are simple elements, read through their parent.
        *salida = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP get_accName(VARIANT hijo, BSTR* nombre) override {
        return Texto(hijo, nombre, &Lector::nombre, &HijoAccesible::nombre,
                     &IAccessible::get_accName);
    }
    STDMETHODIMP get_accDescription(VARIANT hijo, BSTR* descripcion) override {
        return Texto(hijo, descripcion, &Lector::descripcion, &HijoAccesible::descripcion,
                     &IAccessible::get_accDescription);
    }
    STDMETHODIMP get_accValue(VARIANT hijo, BSTR* valor) override {
        if (Mio(hijo) && m_lector->valor) {
            return Cadena(m_lector->valor(), valor);
        }
        return Propios(hijo) == S_OK ? Cadena({}, valor)
                                     : Estandar(hijo, valor, &IAccessible::get_accValue);
    }
    STDMETHODIMP get_accRole(VARIANT hijo, VARIANT* rol) override {
        if (Mio(hijo) && m_lector->rol != 0) {
            Entero(rol, m_lector->rol);
            return S_OK;
        }
        if (Propios(hijo) == S_OK) {
            Entero(rol, m_lector->hijo(hijo.lVal).rol);
            return S_OK;
        }
        return Estandar(hijo, rol, &IAccessible::get_accRole);
    }
    STDMETHODIMP get_accState(VARIANT hijo, VARIANT* estado) override {
        if (Propios(hijo) == S_OK) {
            Entero(estado, m_lector->hijo(hijo.lVal).estado);
            return S_OK;
        }
        return Estandar(hijo, estado, &IAccessible::get_accState);
    }
    STDMETHODIMP get_accHelp(VARIANT hijo, BSTR* ayuda) override {
        return Propios(hijo) == S_OK ? Cadena({}, ayuda)
                                     : Estandar(hijo, ayuda, &IAccessible::get_accHelp);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* fichero, VARIANT hijo, long* tema) override {
        return Propios(hijo) == S_OK || !m_lector
                   ? DISP_E_MEMBERNOTFOUND
                   : m_estandar->get_accHelpTopic(fichero, hijo, tema);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT hijo, BSTR* atajo) override {
        return Propios(hijo) == S_OK ? Cadena({}, atajo)
                                     : Estandar(hijo, atajo, &IAccessible::get_accKeyboardShortcut);
    }
    STDMETHODIMP get_accDefaultAction(VARIANT hijo, BSTR* accion) override {
        return Propios(hijo) == S_OK ? Cadena({}, accion)
                                     : Estandar(hijo, accion, &IAccessible::get_accDefaultAction);
    }
    STDMETHODIMP get_accFocus(VARIANT* foco) override {
        if (!m_lector) {
            return RPC_E_DISCONNECTED;
        }
        if (!m_lector->foco) {
            return m_estandar->get_accFocus(foco);
        }
        VariantInit(foco);
        if (GetFocus() == m_hwnd) {
            Entero(foco, m_lector->foco());
        }
        return foco->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    STDMETHODIMP get_accSelection(VARIANT* seleccion) override {
        if (!m_lector) {
            return RPC_E_DISCONNECTED;
        }
        if (!m_lector->seleccion) {
            return m_estandar->get_accSelection(seleccion);
        }
        VariantInit(seleccion);
        if (const long elegido = m_lector->seleccion(); elegido > 0) {
            Entero(seleccion, elegido);
            return S_OK;
        }
        return S_FALSE;
    }
    STDMETHODIMP accSelect(long como, VARIANT hijo) override {
        const HRESULT r = Propios(hijo);
        return r == S_FALSE ? m_estandar->accSelect(como, hijo)
                            : (r == S_OK ? DISP_E_MEMBERNOTFOUND : r);
    }
    STDMETHODIMP accLocation(long* x, long* y, long* ancho, long* alto, VARIANT hijo) override {
        const HRESULT r = Propios(hijo);
        if (r == S_FALSE) {
            return m_estandar->accLocation(x, y, ancho, alto, hijo);
        }
        if (r == S_OK) {
            const RECT l = m_lector->hijo(hijo.lVal).lugar;
            *x = l.left;
            *y = l.top;
            *ancho = l.right - l.left;
            *alto = l.bottom - l.top;
        }
        return r;
    }
    STDMETHODIMP accNavigate(long direccion, VARIANT desde, VARIANT* hacia) override;
    STDMETHODIMP accHitTest(long x, long y, VARIANT* hijo) override {
        if (!m_lector) {
            return RPC_E_DISCONNECTED;
        }
        const HRESULT r = m_estandar->accHitTest(x, y, hijo);
        // Inside the control: on one of our children if the point is,
        // whatever Windows numbers there.
        if (r == S_OK && hijo->vt == VT_I4 && m_lector->enPunto) {
            hijo->lVal = m_lector->enPunto(POINT{x, y});
        }
        return r;
    }
    STDMETHODIMP accDoDefaultAction(VARIANT hijo) override {
        const HRESULT r = Propios(hijo);
        return r == S_FALSE ? m_estandar->accDoDefaultAction(hijo)
                            : (r == S_OK ? DISP_E_MEMBERNOTFOUND : r);
    }
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Objeto() = default;

    // The control itself, still there.
    bool Mio(const VARIANT& hijo) const {
        return m_lector && hijo.vt == VT_I4 && hijo.lVal == CHILDID_SELF;
    }
    // S_OK: one of the Lector's children; S_FALSE: the control itself or a
    // child of Windows's object; else the error to answer.
    HRESULT Propios(const VARIANT& hijo) const {
        if (!m_lector) {
            return RPC_E_DISCONNECTED;
        }
        if (hijo.vt != VT_I4) {
            return E_INVALIDARG;
        }
        if (hijo.lVal == CHILDID_SELF || !m_lector->hijos) {
            return S_FALSE;
        }
        return hijo.lVal > 0 && hijo.lVal <= m_lector->hijos() ? S_OK : E_INVALIDARG;
    }
    template <typename T, typename Metodo>
    HRESULT Estandar(const VARIANT& hijo, T* salida, Metodo metodo) {
        const HRESULT r = Propios(hijo);
        return r == S_FALSE ? (m_estandar->*metodo)(hijo, salida) : r;
    }
    HRESULT Texto(const VARIANT& hijo, BSTR* salida, std::wstring Lector::*propio,
                  std::wstring HijoAccesible::*deHijo,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*metodo)(VARIANT, BSTR*)) {
        if (Mio(hijo) && !(m_lector->*propio).empty()) {
            return Cadena(m_lector->*propio, salida);
        }
        if (Propios(hijo) == S_OK) {
            return Cadena(m_lector->hijo(hijo.lVal).*deHijo, salida);
        }
        return Estandar(hijo, salida, metodo);
    }

    ULONG m_cuenta = 1;
    HWND m_hwnd;
    IAccessible* m_estandar;
    const Lector* m_lector;
};

STDMETHODIMP Objeto::accNavigate(long direccion, VARIANT desde, VARIANT* hacia) {
    const HRESULT r = Propios(desde);
    if (r != S_OK && !(r == S_FALSE && m_lector->hijos && desde.lVal == CHILDID_SELF)) {
        return r == S_FALSE ? m_estandar->accNavigate(direccion, desde, hacia) : r;
    }
    // Our children in their order; from the control itself to its first
    // or last one, and out of it as Windows goes.
    const long n = m_lector->hijos();
    long a = 0;
    if (desde.lVal == CHILDID_SELF) {
        if (direccion != NAVDIR_FIRSTCHILD && direccion != NAVDIR_LASTCHILD) {
            return m_estandar->accNavigate(direccion, desde, hacia);
        }
        a = direccion == NAVDIR_FIRSTCHILD ? 1 : n;
    } else if (direccion == NAVDIR_NEXT || direccion == NAVDIR_DOWN) {
        a = desde.lVal + 1;
    } else if (direccion == NAVDIR_PREVIOUS || direccion == NAVDIR_UP) {
        a = desde.lVal - 1;
    }
    VariantInit(hacia);
    if (a < 1 || a > n) {
        return S_FALSE;
    }
    Entero(hacia, a);
    return S_OK;
}

// What a control keeps: its Lector and the object it handed out,
// and whether it carries annotations, which go with it.
struct Datos {
    Lector lector;
    Objeto* objeto = nullptr;
    bool anotado = false;
};

// The annotation service; null where there is none.
IAccPropServices* Anotaciones() {
    IAccPropServices* servicio = nullptr;
    if (FAILED(CoCreateInstance(kServicioAnotaciones, nullptr, CLSCTX_INPROC_SERVER,
                                kIAccPropServices, reinterpret_cast<void**>(&servicio)))) {
        return nullptr;
    }
    return servicio;
}

LRESULT CALLBACK Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR,
                               DWORD_PTR ref) {
    auto* datos = reinterpret_cast<Datos*>(ref);
    if (mensaje == WM_GETOBJECT && static_cast<DWORD>(l) == static_cast<DWORD>(OBJID_CLIENT)) {
        if (!datos->objeto) {
            IAccessible* estandar = nullptr;
            if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&estandar)))) {
                return DefSubclassProc(hwnd, mensaje, w, l);
            }
            datos->objeto = new Objeto(hwnd, estandar, &datos->lector);
        }
        return LresultFromObject(__uuidof(IAccessible), w,
                                 static_cast<IAccessible*>(datos->objeto));
    }
    if (mensaje == WM_PAINT && datos->lector.pintado) {
        const LRESULT r = DefSubclassProc(hwnd, mensaje, w, l);
        datos->lector.pintado();
        return r;
    }
    if (mensaje == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Procedimiento, kSubclase);
        RemovePropW(hwnd, kPropiedad);
        if (IAccPropServices* servicio = datos->anotado ? Anotaciones() : nullptr) {
            MSAAPROPID propiedades[] = {kPropNombre, kPropDescripcion};
            servicio->ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                     propiedades, 2);
            servicio->Release();
        }
        if (datos->objeto) {
            datos->objeto->Soltar();
            datos->objeto->Release();
        }
        delete datos;
    }
    return DefSubclassProc(hwnd, mensaje, w, l);
}

// Whichever of two is given.
template <typename T> void Tomar(T& a, T&& b) {
    if (b) {
        a = std::move(b);
    }
}
void Tomar(std::wstring& a, std::wstring&& b) {
    if (!b.empty()) {
        a = std::move(b);
    }
}

} // namespace

void Leer(HWND control, Lector lector) {
    auto* datos = static_cast<Datos*>(GetPropW(control, kPropiedad));
    if (!datos) {
        datos = new Datos{std::move(lector)};
        SetPropW(control, kPropiedad, datos);
        SetWindowSubclass(control, &Procedimiento, kSubclase, reinterpret_cast<DWORD_PTR>(datos));
        return;
    }
    // Read already: what it says now joins what it said.
    Lector& l = datos->lector;
    Tomar(l.nombre, std::move(lector.nombre));
    Tomar(l.descripcion, std::move(lector.descripcion));
    l.rol = lector.rol != 0 ? lector.rol : l.rol;
    Tomar(l.valor, std::move(lector.valor));
    Tomar(l.hijos, std::move(lector.hijos));
    Tomar(l.hijo, std::move(lector.hijo));
    Tomar(l.enPunto, std::move(lector.enPunto));
    Tomar(l.foco, std::move(lector.foco));
    Tomar(l.seleccion, std::move(lector.seleccion));
    Tomar(l.pintado, std::move(lector.pintado));
}

void PonerLecturas(std::span<const modelo::Lectura> lecturas,
                   const std::function<HWND(std::string_view)>& control) {
    // Windows's own readers of standard controls (UI Automation's) read
    // the controls' annotations rather than our objects: the same texts go
    // there too, where the system keeps them (Wine 8 does not).
    IAccPropServices* anotaciones = Anotaciones();
    for (const modelo::Lectura& l : lecturas) {
        HWND c = control(l.control);
        if (!c) {
            continue;
        }
        Lector lector;
        lector.nombre = Ancho(l.nombre);
        lector.descripcion = Ancho(l.descripcion);
        bool anotado = false;
        if (anotaciones) {
            const auto anotar = [&](const GUID& propiedad, const std::wstring& texto) {
                anotado = SUCCEEDED(anotaciones->SetHwndPropStr(c, static_cast<DWORD>(OBJID_CLIENT),
                                                                CHILDID_SELF, propiedad,
                                                                texto.c_str())) ||
                          anotado;
            };
            if (!lector.nombre.empty()) {
                anotar(kPropNombre, lector.nombre);
            }
            anotar(kPropDescripcion, lector.descripcion);
        }
        Leer(c, std::move(lector));
        static_cast<Datos*>(GetPropW(c, kPropiedad))->anotado |= anotado;
    }
    if (anotaciones) {
        anotaciones->Release();
    }
}

void Avisar(HWND control, DWORD evento, long hijo) {
    NotifyWinEvent(evento, control, OBJID_CLIENT, hijo);
}

} // namespace tildora::win32
