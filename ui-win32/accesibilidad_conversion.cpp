// What a screen reader reads of the conversion window's controls of our own:
// the grid's cells and the text view (see ui-win32/accesibilidad.h).

#include "ui-win32/accesibilidad.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/ayudas.h"
#include "ui-win32/conversion/rejilla.h"
#include "ui-win32/conversion/vistatexto.h"

#include "core/caracteres.h"
#include "modelos/conversion.h"
#include "modelos/filas.h"
#include "modelos/vista.h"

#include <oleacc.h>

#include <string>
#include <utility>

namespace tildora::win32 {

namespace {

// A cell of the grid by its child number: the wrong characters are 1 … n,
// the list view's own numbers for its rows (the events the list view sends
// read its rows' first cells), the answers n + 1 … 2n.
struct Celda {
    std::size_t i = 0;
    int columna = 0;
};
long IdCelda(std::size_t n, std::size_t i, int columna) {
    return static_cast<long>(columna == 0 ? i + 1 : n + i + 1);
}
Celda CeldaDeId(std::size_t n, long id) {
    const auto k = static_cast<std::size_t>(id - 1);
    return k < n ? Celda{k, 0} : Celda{k - n, 1};
}

// The current cell's number; 0 for none.
long Actual(const conversion::Rejilla& rejilla, const modelo::Conversion& modelo) {
    const int fila = rejilla.Row();
    return fila > 0 ? IdCelda(modelo.NumFilas(), static_cast<std::size_t>(fila - 1), rejilla.Col())
                    : 0;
}

HijoAccesible LeerCelda(const conversion::Rejilla& rejilla, const modelo::Conversion& modelo,
                        long id) {
    const Celda c = CeldaDeId(modelo.NumFilas(), id);
    const modelo::AspectoCelda a =
        c.columna == 0 ? modelo::AspectoClave(modelo.Clave(c.i), modelo.Unicode())
                       : modelo::AspectoRespuesta(modelo.Texto(c.i), modelo.EsFija(c.i),
                                                  modelo.EsPropuesta(c.i), modelo.EsBorrado(c.i));
    HijoAccesible h{Ancho(a.accesible), Ancho(a.descripcion), ROLE_SYSTEM_CELL,
                    STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE};
    if (c.columna == 0 || modelo.EsFija(c.i)) {
        h.estado |= STATE_SYSTEM_READONLY;
    }
    HWND g = rejilla.Hwnd();
    if (id == Actual(rejilla, modelo)) {
        h.estado |= STATE_SYSTEM_SELECTED | (GetFocus() == g ? STATE_SYSTEM_FOCUSED : 0);
    }
    const int fila = static_cast<int>(c.i) + 1;
    h.lugar = rejilla.RectanguloCelda(fila, c.columna, nullptr);
    RECT vista{};
    GetClientRect(g, &vista);
    MapWindowPoints(g, nullptr, reinterpret_cast<POINT*>(&vista), 2);
    RECT comun{};
    if (!IntersectRect(&comun, &vista, &h.lugar)) {
        h.estado |= STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE;
    }
    return h;
}

// Long lines and selections are read up to here.
constexpr std::size_t kTope = 4096;

// Line `linea` as the view shows it: Windows-1252 controls as their
// pictures, UTF-8 decoded, the byte-order mark left out.
std::wstring Linea(const modelo::Vista& vista, std::size_t linea) {
    const modelo::Renglon r = vista.RenglonDe(linea, linea, linea + 1);
    std::wstring s;
    for (std::size_t i = r.desde; i < r.hasta && s.size() < kTope; ++i) {
        const auto b = static_cast<unsigned char>(r.tira.datos[i]);
        if (!vista.Texto().Utf8() || b < 0x80) {
            s += conversion::Caracter(GlifoDeAnsi(b, false));
            continue;
        }
        char32_t cp = 0;
        const std::size_t n = modelo::Lineas::Descifrar(r.tira, i, cp);
        if (i >= r.tira.marcaOrden) {
            s += conversion::Caracter(cp);
        }
        i += n - 1;
    }
    return s;
}

// The selection as shown, as Ctrl+C copies it.
std::wstring Seleccion(const modelo::Vista& vista) {
    std::wstring s;
    vista.Seleccionado([](unsigned char b) { return GlifoDeAnsi(b, false); },
                       [&s](char32_t c) {
                           if (s.size() < kTope) {
                               s += c == U'\n' ? std::wstring(L"\r\n") : conversion::Caracter(c);
                           }
                       });
    return s;
}

} // namespace

void LeerRejilla(const conversion::Rejilla& rejilla, const modelo::Conversion& modelo) {
    HWND g = rejilla.Hwnd();
    Lector l;
    l.rol = ROLE_SYSTEM_TABLE;
    l.hijos = [&modelo] { return static_cast<long>(2 * modelo.NumFilas()); };
    l.hijo = [&rejilla, &modelo](long id) { return LeerCelda(rejilla, modelo, id); };
    l.enPunto = [&rejilla, &modelo, g](POINT p) {
        ScreenToClient(g, &p);
        const auto [fila, columna] = rejilla.CeldaEn(p);
        return fila > 0 ? IdCelda(modelo.NumFilas(), static_cast<std::size_t>(fila - 1), columna)
                        : 0L;
    };
    l.foco = [&rejilla, &modelo] { return Actual(rejilla, modelo); };
    l.seleccion = l.foco;
    // The current cell, said when it changes or the grid takes the focus;
    // its name, when its answer changes.
    struct Dicho {
        long id = 0;
        bool foco = false;
        std::wstring nombre;
    };
    l.pintado = [&rejilla, &modelo, g, antes = Dicho{}]() mutable {
        Dicho ahora{Actual(rejilla, modelo), GetFocus() == g, {}};
        if (ahora.id > 0) {
            ahora.nombre = LeerCelda(rejilla, modelo, ahora.id).nombre;
        }
        if (ahora.id > 0 && (ahora.id != antes.id || ahora.foco != antes.foco)) {
            if (ahora.foco) {
                Avisar(g, EVENT_OBJECT_FOCUS, ahora.id);
            }
            Avisar(g, EVENT_OBJECT_SELECTION, ahora.id);
        } else if (ahora.id > 0 && ahora.nombre != antes.nombre) {
            Avisar(g, EVENT_OBJECT_NAMECHANGE, ahora.id);
        }
        antes = std::move(ahora);
    };
    Leer(g, std::move(l));
}

void LeerVista(const conversion::VistaTexto& vista) {
    HWND v = vista.Hwnd();
    const modelo::Vista& m = vista.Modelo();
    const auto linea = [&m] { return m.Texto().LineaDe(m.InicioSeleccion()); };
    Lector l;
    l.rol = ROLE_SYSTEM_TEXT;
    l.valor = [&m, linea] { return Linea(m, linea()); };
    l.hijos = [] { return 1L; };
    l.hijo = [&m, v](long) {
        HijoAccesible h{Seleccion(m), {}, ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY};
        h.estado |= h.nombre.empty() ? STATE_SYSTEM_INVISIBLE : STATE_SYSTEM_SELECTED;
        GetWindowRect(v, &h.lugar);
        return h;
    };
    l.seleccion = [&m] { return m.FinSeleccion() > m.InicioSeleccion() ? 1L : 0L; };
    // A new selection, and a new line or text shown, said as they show.
    struct Visto {
        std::size_t inicio = 0;
        std::size_t fin = 0;
        std::size_t linea = 0;
        bool previa = false;
    };
    l.pintado = [&m, v, linea, antes = Visto{}]() mutable {
        const Visto ahora{m.InicioSeleccion(), m.FinSeleccion(), linea(), m.Previa()};
        if (ahora.inicio != antes.inicio || ahora.fin != antes.fin) {
            Avisar(v, EVENT_OBJECT_TEXTSELECTIONCHANGED);
            Avisar(v, EVENT_OBJECT_NAMECHANGE, 1);
        }
        if (ahora.linea != antes.linea || ahora.previa != antes.previa) {
            Avisar(v, EVENT_OBJECT_VALUECHANGE);
        }
        antes = ahora;
    };
    Leer(v, std::move(l));
}

} // namespace tildora::win32
