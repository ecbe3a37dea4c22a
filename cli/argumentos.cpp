#include "cli/argumentos.h"

#include "cli/terminal.h"
#include "core/reglas.h"
#include "core/textos.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tildora::cli {

namespace {

bool EsOpcion(std::string_view a) {
    return a.size() > 1 && a[0] == '-';
}

bool EsAyuda(std::string_view a) {
    return a == "--help" || a == "-h";
}

// --help and --version answer wherever they stand among the options, when
// nothing follows them: what would follow is a mistake, never read. --help
// with --verbose, before or after it, is the long help; --verbose means
// nothing else.
std::optional<int> Informacion(const std::vector<std::string>& args, std::size_t i) {
    const std::string& a = args[i];
    if (i + 2 == args.size() && ((EsAyuda(a) && args[i + 1] == "--verbose") ||
                                 (a == "--verbose" && EsAyuda(args[i + 1])))) {
        Poner(textos::AyudaLarga);
        return kBien;
    }
    const bool informacion = EsAyuda(a) || a == "--version";
    if (informacion && i + 1 < args.size()) {
        return Uso(textos::NadaTrasOpcion, a + " " + args[i + 1]);
    }
    if (EsAyuda(a)) {
        Poner(textos::Ayuda());
        return kBien;
    }
    if (a == "--version") {
        Poner(textos::Version);
        return kBien;
    }
    return std::nullopt;
}

// The options QApplication takes for itself: X11's as well, since they are
// read wherever that platform may be the one in use. Qt reads them with one
// dash or two; -style, -stylesheet and -qmljsdebugger also as -name=value.
constexpr std::array<std::string_view, 14> kQtConValor = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "name",          "title"};
constexpr std::array<std::string_view, 2> kQtSolas = {"reverse", "widgetcount"};
constexpr std::array<std::string_view, 3> kQtConIgual = {"style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N>
bool Esta(const std::array<std::string_view, N>& lista, std::string_view a) {
    for (const std::string_view e : lista) {
        if (a == e) {
            return true;
        }
    }
    return false;
}

// The option's name without its dashes; empty when `a` is not an option.
std::string_view NombreOpcion(std::string_view a) {
    if (!EsOpcion(a)) {
        return {};
    }
    a.remove_prefix(a.rfind("--", 0) == 0 ? 2 : 1);
    return a;
}

// The commands, with the number of arguments each takes besides its options
// (-1: one or more).
struct OrdenConocida {
    std::string_view nombre;
    Llamada::Orden orden;
    int argumentos;
};
constexpr std::array<OrdenConocida, 5> kOrdenes = {{
    {"check", Llamada::Orden::Check, -1},
    {"fix", Llamada::Orden::Fix, 2},
    {"remember", Llamada::Orden::Remember, 2},
    {"list", Llamada::Orden::List, 0},
    {"forget", Llamada::Orden::Forget, 1},
}};

const OrdenConocida* BuscarOrden(std::string_view a) {
    for (const OrdenConocida& o : kOrdenes) {
        if (o.nombre == a) {
            return &o;
        }
    }
    return nullptr;
}

bool EsFicheroParaAbrir(const std::string& a) {
    if (a == "-" || BuscarOrden(a) != nullptr) {
        return false;
    }
    const Hay hay = QueHay(a);
    return hay.codigo == 0 && !hay.carpeta;
}

// "--from" or "--to" when `a` is that option, alone or as --from=VALUE;
// --to belongs to fix only.
std::optional<std::string> OpcionCodificacion(const std::string& a, bool fix) {
    for (const std::string_view o : {std::string_view("--from"), std::string_view("--to")}) {
        if (o == "--to" && !fix) {
            continue;
        }
        if (a == o ||
            (a.size() > o.size() && a.compare(0, o.size(), o) == 0 && a[o.size()] == '=')) {
            return std::string(o);
        }
    }
    return std::nullopt;
}

} // namespace

Arranque DecidirArranque(const std::vector<std::string>& args) {
    Arranque arranque;
    bool conFichero = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view nombre = NombreOpcion(args[i]);
        if (nombre.empty()) {
            if (conFichero || !EsFicheroParaAbrir(args[i])) {
                return {};
            }
            conFichero = true;
            arranque.fichero = args[i];
        } else if (Esta(kQtConValor, nombre)) {
            if (++i == args.size()) {
                return {};
            }
        } else if (!Esta(kQtSolas, nombre) &&
                   !Esta(kQtConIgual, nombre.substr(0, nombre.find('=') + 1))) {
            return {};
        }
    }
    arranque.ventanas = true;
    return arranque;
}

namespace {

// The options before the command (--store); `i` ends on the command.
std::optional<int> OpcionesGenerales(const std::vector<std::string>& args, std::size_t& i,
                                     Llamada& llamada) {
    for (; i < args.size() && EsOpcion(args[i]); ++i) {
        const std::string& a = args[i];
        if (const auto estado = Informacion(args, i)) {
            return estado;
        }
        if (a == "--") {
            return Uso(textos::GuionesAntesDeOrden);
        }
        const bool separado = a == "--store";
        if (!separado && a.rfind("--store=", 0) != 0) {
            return Uso(textos::OpcionDesconocida, a);
        }
        if (llamada.rutaAlmacen) {
            return Uso(textos::OpcionRepetida, "--store");
        }
        if (separado && i + 1 == args.size()) {
            return Uso(textos::FaltaValor, a);
        }
        std::string valor = separado ? args[++i] : a.substr(8);
        if (valor.empty()) {
            return Uso(textos::FaltaValor, "--store");
        }
        llamada.rutaAlmacen = std::move(valor);
    }
    return std::nullopt;
}

// --from ENC (check, fix) and --to ENC (fix), or --from=ENC, at args[i].
std::optional<int> OpcionDeCodificacion(const std::vector<std::string>& args, std::size_t& i,
                                        const std::string& opcion, Llamada& llamada) {
    const std::string& a = args[i];
    const bool separado = a == opcion;
    if (separado && i + 1 == args.size()) {
        return Uso(textos::FaltaValor, a);
    }
    const std::string valor = separado ? args[++i] : a.substr(opcion.size() + 1);
    const std::optional<Codificacion> c = CodificacionDeNombre(valor);
    if (!c) {
        return Uso(textos::CodificacionDesconocida, valor);
    }
    std::optional<Codificacion>& destino = opcion == "--to" ? llamada.hacia : llamada.desde;
    if (destino) {
        return Uso(textos::OpcionRepetida, opcion);
    }
    destino = c;
    return std::nullopt;
}

// The command's own options, which may stand anywhere among its arguments
// ("--" ends them), and the arguments themselves.
std::optional<int> OpcionesDeOrden(const std::vector<std::string>& args, std::size_t i,
                                   const std::string& orden, bool conocida, Llamada& llamada) {
    const bool fix = orden == "fix";
    bool finOpciones = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::optional<int> estado;
        if (finOpciones || !EsOpcion(a)) {
            llamada.resto.push_back(a);
        } else if (a == "--") {
            finOpciones = true;
        } else if ((estado = Informacion(args, i))) {
            return estado;
        } else if (fix && a == "--out-dir" && i + 1 == args.size()) {
            return Uso(textos::FaltaValor, a);
        } else if (const auto opcion =
                       fix || orden == "check" ? OpcionCodificacion(a, fix) : std::nullopt) {
            if ((estado = OpcionDeCodificacion(args, i, *opcion, llamada))) {
                return estado;
            }
        } else if (fix && a == "--force") {
            llamada.forzar = true;
        } else if ((fix || orden == "check") && a == "--propose") {
            llamada.proponer = true;
        } else if (orden == "remember" && a == "--delete") {
            llamada.borrar = true;
        } else if (fix && llamada.carpeta && (a == "--out-dir" || a.rfind("--out-dir=", 0) == 0)) {
            return Uso(textos::OpcionRepetida, "--out-dir");
        } else if (fix && a == "--out-dir") {
            llamada.carpeta = args[++i];
        } else if (fix && a.rfind("--out-dir=", 0) == 0) {
            llamada.carpeta = a.substr(10);
        } else if (conocida) {
            return Uso(textos::OpcionDesconocida, a);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<int> AnalizarArgumentos(const std::vector<std::string>& args, Llamada& llamada) {
    std::size_t i = 0;
    if (const auto estado = OpcionesGenerales(args, i, llamada)) {
        return estado;
    }
    if (i == args.size()) {
        return Uso(textos::FaltaOrden);
    }
    const std::string orden = args[i++];
    const OrdenConocida* const conocida = BuscarOrden(orden);
    if (const auto estado = OpcionesDeOrden(args, i, orden, conocida != nullptr, llamada)) {
        return estado;
    }
    if (!conocida) {
        return Uso(textos::OrdenDesconocida, orden);
    }
    const std::size_t n = llamada.resto.size();
    // fix --out-dir takes one or more files; remember --delete the character
    // alone.
    const int cuenta = orden == "fix" && llamada.carpeta ? -1
                       : llamada.borrar                  ? 1
                                                         : conocida->argumentos;
    if (cuenta < 0 ? n == 0 : n != static_cast<std::size_t>(cuenta)) {
        return Uso(textos::CuentaArgumentos, orden);
    }
    // Standard input can be read once: "-" names it once among the inputs.
    if (orden == "check" && std::count(llamada.resto.begin(), llamada.resto.end(), "-") > 1) {
        return Uso(textos::EntradaEstandarRepetida);
    }
    llamada.orden = conocida->orden;
    return std::nullopt;
}

} // namespace tildora::cli
