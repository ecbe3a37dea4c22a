#include "cli/ordenes.h"

#include "cli/terminal.h"
#include "core/ansi.h"
#include "core/codificacion.h"
#include "core/reglas.h"
#include "core/tabla.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tildora::cli {

namespace {

// Files are read in pieces of this size, each checked while it is still in
// the cache.
constexpr std::size_t kLectura = std::size_t{128} << 10;

// Standard input, or a pipe named as input, is held in memory for the two
// passes of a correction; beyond this it is refused rather than exhausting
// the machine.
constexpr std::uint64_t kMemoriaMaxima = kTamanoMaximoSalida;

std::string RazonSistema(const std::string& nombre) {
    return nombre + ": " + std::strerror(errno);
}

// CHAR of `remember` and `forget`: one character in UTF-8, \xHH, or U+XXXX;
// its key in the store.
std::optional<std::string> CaracterDado(const std::string& texto) {
    if (texto.size() == 4 && texto[0] == '\\' && (texto[1] == 'x' || texto[1] == 'X')) {
        if (const auto byte = ByteHex(texto[2], texto[3])) {
            return std::string(1, static_cast<char>(*byte));
        }
    }
    if (texto.size() >= 6 && texto.size() <= 8 && (texto[0] == 'U' || texto[0] == 'u') &&
        texto[1] == '+' &&
        texto.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
        const auto cp = static_cast<char32_t>(std::stoul(texto.substr(2), nullptr, 16));
        if (cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
            return ClaveDeCaracter(cp);
        }
        return std::nullopt;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(texto.data());
    char32_t cp = 0;
    if (!texto.empty() && DecodificarUtf8(p, texto.size(), cp) == static_cast<int>(texto.size())) {
        return ClaveDeCaracter(cp);
    }
    return std::nullopt;
}

// CHAR of `remember` and `forget`, or the refusal said.
std::optional<std::string> LeerCaracter(const std::string& texto) {
    std::optional<std::string> c = CaracterDado(texto);
    if (!c) {
        Error(textos::CaracterIncorrecto);
        Detalle(texto, AnsiDeUtf8(texto) ? textos::RazonUnoSolo : textos::RazonWindows);
    }
    return c;
}

// A wrong character's code as `check` gives it: the decimal Windows-1252
// code, or U+XXXX for a character Windows-1252 lacks.
std::string Codigo(const std::string& clave) {
    return clave.size() == 1 ? std::to_string(static_cast<unsigned char>(clave[0])) : clave;
}

// The character a key stands for, as the terminal gets it.
std::string GlifoClave(const std::string& clave) {
    if (clave.size() == 1) {
        return Glifo(static_cast<unsigned char>(clave[0]));
    }
    const auto cp = CaracterDeClave(clave);
    return cp ? CaracterVisible(*cp) : NombreVisible(clave);
}

// A row of the lists about replacements (fix's refusals, check's marks,
// list): CODE<TAB>CHARACTER<TAB>REPLACEMENT.
std::string Fila(const std::string& clave, std::string_view sustituto) {
    std::string fila = Codigo(clave);
    fila.append("\t").append(GlifoClave(clave)).append("\t").append(Visible(sustituto));
    return fila;
}

} // namespace

Ordenes::Ordenes(const std::string& rutaAlmacen, bool forzar, bool modoCarpeta,
                 std::optional<Codificacion> desde, std::optional<Codificacion> hacia)
    : m_almacen(rutaAlmacen), m_forzar(forzar), m_modoCarpeta(modoCarpeta), m_desde(desde),
      m_hacia(hacia), m_lectura(kLectura) {}

void Ordenes::Nombrar(const std::string& nombre) const {
    if (m_modoCarpeta) {
        Error(nombre);
    }
}

bool Ordenes::CargarAlmacen() {
    const ResultadoLectura r = m_almacen.Leer(m_copiaAlmacen);
    if (!r) {
        std::string linea(textos::AlmacenIlegible);
        linea.append(m_almacen.Ruta()).append(": ").append(RazonLectura(r));
        Error(linea);
        return false;
    }
    // An answer Windows-1252 cannot hold (a UTF-8 or UTF-16 store edited by
    // hand) is no answer; each is said once, by its line in the store.
    for (const std::size_t n : LineasSinValor(m_copiaAlmacen, textos::SeccionLista)) {
        Error(std::string(textos::AlmacenValorNoWindows) + m_almacen.Ruta() + ":" +
              std::to_string(n));
    }
    return true;
}

std::string Ordenes::Solucion(const std::string& clave) const {
    return SolucionEn(m_copiaAlmacen, textos::SeccionLista, clave);
}

ResultadoLectura Ordenes::Escanear(const std::string& nombre, Lector& lector, Analisis& analisis,
                                   std::string& memoria) {
    ResultadoLectura r =
        nombre == "-" ? lector.AbrirEntradaEstandar() : lector.Abrir(nombre, false);
    if (!r) {
        return r;
    }
    if (!lector.Ordinario()) {
        // A pipe cannot be read twice: hold it.
        lector.Limitar(kMemoriaMaxima);
        return Analizar(lector, m_desde, &memoria, analisis);
    }
    return Analizar(lector, m_desde, nullptr, analisis);
}

int Ordenes::Check(const std::vector<std::string>& ficheros) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    bool hayErroneos = false;
    bool hayFallo = false;
    // Names are taken exactly as given: a space is part of a name here.
    for (const std::string& nombre : ficheros) {
        if (nombre.empty()) {
            Error(textos::M1NombreIncorrecto);
            hayFallo = true;
            continue;
        }
        Lector lector;
        Analisis analisis;
        std::string memoria;
        const ResultadoLectura leido = Escanear(nombre, lector, analisis, memoria);
        if (!leido) {
            Error(textos::M1NombreIncorrecto);
            Detalle(nombre, RazonLectura(leido));
            hayFallo = true;
            continue;
        }
        std::string lineas;
        std::vector<ParSolucion> pares;
        const std::vector<Hallazgo> hallados = analisis.Hallazgos();
        for (const Hallazgo& h : hallados) {
            pares.emplace_back(h.clave, Solucion(h.clave));
            lineas.append(NombreVisible(nombre)).append("\t").append(Codigo(h.clave)).append("\t");
            lineas.append(std::to_string(h.cuenta)).append("\t");
            lineas.append(std::to_string(h.primera.linea)).append(":");
            lineas.append(std::to_string(h.primera.columna)).append("\t");
            lineas.append(GlifoClave(h.clave)).append("\t");
            lineas.append(Visible(pares.back().second));
            lineas.append("\n");
        }
        if (!hallados.empty() && !EscribirTodo(STDOUT_FILENO, lineas.data(), lineas.size())) {
            Error(textos::SalidaIncorrecta);
            Error(RazonSistema("-"));
            return kFallo;
        }
        // A text read as UTF-8 or UTF-16 says so, where no script reading
        // the lines is disturbed.
        if (analisis.Unicode()) {
            Detalle(NombreVisible(nombre), NombreCodificacion(analisis.codificacion));
        }
        if (!hallados.empty()) {
            hayErroneos = true;
            // Remembered replacements that fix would refuse are said, after
            // the lines, where no script reading them is disturbed.
            const std::string visible = NombreVisible(nombre);
            Limpios(pares, &visible);
        }
    }
    return hayFallo ? kFallo : hayErroneos ? kHayErroneos : kBien;
}

bool Ordenes::Limpios(const std::vector<ParSolucion>& pares, const std::string* nombre) const {
    const std::vector<std::size_t> sucias = FilasNoLimpias(pares, TablaFija());
    if (sucias.empty()) {
        return true;
    }
    Error(textos::SustitutosNoLimpios);
    if (nombre != nullptr) {
        Error(*nombre);
    }
    for (const std::size_t i : sucias) {
        Error(Fila(pares[i].first, pares[i].second));
    }
    return false;
}

int Ordenes::Fix(const std::string& entrada, const std::string& salida) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    return CorregirUno(entrada, salida);
}

int Ordenes::FixCarpeta(const std::string& carpeta, const std::vector<std::string>& ficheros) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    struct stat st {};
    if (carpeta.empty()) {
        Error(textos::SalidaIncorrecta);
        return kFallo;
    }
    const bool existe = ::stat(carpeta.c_str(), &st) == 0;
    if (!existe || !S_ISDIR(st.st_mode)) {
        if (existe) {
            errno = ENOTDIR;
        }
        Error(textos::SalidaIncorrecta);
        Error(RazonSistema(carpeta));
        return kFallo;
    }
    int peor = kBien;
    std::set<std::string> salidas;
    for (const std::string& nombre : ficheros) {
        const std::size_t barra = nombre.rfind('/');
        const std::string base = barra == std::string::npos ? nombre : nombre.substr(barra + 1);
        if (nombre == "-" || base.empty()) {
            // Standard input, or a folder, has no name of its own to take.
            Error(textos::M1NombreIncorrecto);
            Error(nombre);
            peor = std::max(peor, kFallo);
            continue;
        }
        const std::string destino = carpeta + (carpeta.back() == '/' ? "" : "/") + base;
        if (!salidas.insert(destino).second) {
            // Two inputs of the same name would overwrite each other's output.
            Error(textos::SalidaIncorrecta);
            Detalle(destino, textos::RazonRepetida);
            peor = std::max(peor, kFallo);
            continue;
        }
        peor = std::max(peor, CorregirUno(nombre, destino));
    }
    return peor;
}

int Ordenes::CorregirUno(const std::string& nombre, const std::string& nombreSalida) {
    const bool entradaEstandar = nombre == "-";
    const bool salidaEstandar = nombreSalida == "-";

    // "-" is no file name: "fix - -" is a filter. Between two real names,
    // equal names and one file under two names are both refused.
    const FalloNombres fallo = ComprobarNombres(nombre, nombreSalida, m_almacen.Ruta());
    if (fallo == FalloNombres::Vacio) {
        Error(textos::M1NombreIncorrecto);
        Nombrar(nombre);
        return kFallo;
    }
    if (fallo == FalloNombres::Iguales && !entradaEstandar && !salidaEstandar) {
        Error(textos::M2NombresIguales);
        Nombrar(nombre);
        return kFallo;
    }
    // The store in use as OUTPUT: the corrected text would replace every
    // remembered answer.
    if (fallo == FalloNombres::Almacen && !salidaEstandar) {
        Error(textos::SalidaIncorrecta);
        Detalle(nombreSalida, textos::RazonAlmacen);
        return kFallo;
    }
    // Standard input or output may be the other file itself (`< a.txt`,
    // `>> a.txt`): writing would then destroy what is being read.
    if (entradaEstandar || salidaEstandar) {
        struct stat a {};
        struct stat b {};
        const bool hayA =
            entradaEstandar ? ::fstat(STDIN_FILENO, &a) == 0 : ::stat(nombre.c_str(), &a) == 0;
        const bool hayB = salidaEstandar ? ::fstat(STDOUT_FILENO, &b) == 0
                                         : ::stat(nombreSalida.c_str(), &b) == 0;
        if (hayA && hayB && S_ISREG(a.st_mode) && S_ISREG(b.st_mode) && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino) {
            Error(textos::M2NombresIguales);
            Nombrar(nombre);
            return kFallo;
        }
        struct stat almacen {};
        if (salidaEstandar && hayB && S_ISREG(b.st_mode) &&
            ::stat(m_almacen.Ruta().c_str(), &almacen) == 0 && almacen.st_dev == b.st_dev &&
            almacen.st_ino == b.st_ino) {
            Error(textos::SalidaIncorrecta);
            Detalle(nombreSalida, textos::RazonAlmacen);
            return kFallo;
        }
    }
    if (!salidaEstandar) {
        struct stat st {};
        if (::lstat(nombreSalida.c_str(), &st) == 0) {
            if (::stat(nombreSalida.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                errno = EISDIR;
                Error(textos::SalidaIncorrecta);
                Error(RazonSistema(nombreSalida));
                return kFallo;
            }
            if (!m_forzar) {
                Error(textos::SalidaExiste);
                Error(nombreSalida);
                return kSalidaExiste;
            }
        }
    }

    // First pass: the wrong characters, their counts and order.
    Lector lector;
    Analisis analisis;
    std::string memoria;
    const ResultadoLectura leido = Escanear(nombre, lector, analisis, memoria);
    if (!leido) {
        Error(textos::M1NombreIncorrecto);
        Detalle(nombre, RazonLectura(leido));
        return kFallo;
    }

    // The replacements, in the order of the grid: first appearance.
    std::vector<ParSolucion> pares;
    std::vector<std::string> faltan;
    for (const Hallazgo& h : analisis.Hallazgos()) {
        std::string valor = Solucion(h.clave);
        if (valor.empty()) {
            faltan.push_back(h.clave);
        }
        pares.emplace_back(h.clave, std::move(valor));
    }
    if (!faltan.empty()) {
        Error(textos::FaltanSoluciones);
        Nombrar(nombre);
        for (const std::string& clave : faltan) {
            Error(Codigo(clave) + "\t" + GlifoClave(clave));
        }
        return kSinSolucion;
    }
    // Rows whose replacements would leave wrong characters: nothing is
    // written rather than a text reported corrected that is not clean.
    if (!Limpios(pares, m_modoCarpeta ? &nombre : nullptr)) {
        return kSinSolucion;
    }

    // Second pass: the rewrite, from the file again or from memory.
    FuenteMemoria enMemoria(memoria);
    FuenteFichero enFichero(lector, m_lectura);
    Fuente& fuente = lector.Ordinario() ? static_cast<Fuente&>(enFichero) : enMemoria;
    DestinoDescriptor estandar(STDOUT_FILENO, "-");
    // Without --force, a file that takes OUTPUT's name meanwhile is kept.
    DestinoFichero fichero(nombreSalida, m_forzar);
    Destino& destino = salidaEstandar ? static_cast<Destino&>(estandar) : fichero;
    const ResultadoReescritura r =
        Corregir(analisis, pares, fuente, destino, m_hacia.value_or(analisis.codificacion));
    switch (r.fallo) {
    case ResultadoReescritura::Fallo::Ninguno:
        break;
    case ResultadoReescritura::Fallo::Crecimiento:
        Error(textos::SalidaIncorrecta);
        Detalle(nombreSalida, textos::RazonCrecimiento);
        return kFallo;
    case ResultadoReescritura::Fallo::Escritura:
    case ResultadoReescritura::Fallo::Cancelado: // nothing here asks to stop
        Error(textos::SalidaIncorrecta);
        Error(r.error);
        return kFallo;
    case ResultadoReescritura::Fallo::Ocupado:
        Error(textos::SalidaExiste);
        Error(nombreSalida);
        return kSalidaExiste;
    case ResultadoReescritura::Fallo::Lectura:
        Error(textos::M1NombreIncorrecto);
        Detalle(nombre, RazonLectura(r.lectura));
        return kFallo;
    case ResultadoReescritura::Fallo::Cambiado:
        Error(textos::M1NombreIncorrecto);
        Detalle(nombre, textos::RazonCambiado);
        return kFallo;
    }

    // The count is a message like any other: standard output may be the
    // corrected text itself.
    Error(pares.empty() ? std::string(textos::M4SinErrores)
                        : textos::MensajeCorregido(r.correcciones));
    Nombrar(nombre);
    return kBien;
}

int Ordenes::Remember(const std::string& caracter, const std::string& sustituto) {
    const std::optional<std::string> clave = LeerCaracter(caracter);
    if (!clave) {
        return kFallo;
    }
    // A character outside Windows-1252 is never allowed, and no
    // replacement (Windows-1252 text) can hold it.
    const bool byte = clave->size() == 1;
    const auto c = static_cast<unsigned char>((*clave)[0]);
    if (byte && TablaFija()[c]) {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, textos::RazonPermitido);
        return kFallo;
    }
    // A CR is a line break, never a character of a line.
    if (byte && c == '\r') {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, textos::RazonSalto);
        return kFallo;
    }
    const std::optional<std::string> valor = AnsiDeUtf8(sustituto);
    if (!valor) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, textos::RazonWindows);
        return kFallo;
    }
    // A replacement may hold wrong characters, which the rows further down
    // correct; never its own, which no row would.
    if (byte && valor->find(static_cast<char>(c)) != std::string::npos) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, textos::RazonSustitutoPropio);
        return kFallo;
    }
    switch (ComprobarSustituto(*valor)) {
    case FalloSustituto::Ninguno:
        break;
    case FalloSustituto::Vacio:
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, textos::RazonSustitutoVacio);
        return kFallo;
    case FalloSustituto::Salto:
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, textos::RazonSustitutoSalto);
        return kFallo;
    case FalloSustituto::Largo:
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, textos::RazonSustitutoLargo);
        return kFallo;
    }
    std::string razon;
    if (m_almacen.GuardarSolucion(textos::SeccionLista, *clave, *valor, &razon) == 0) {
        Error(std::string(textos::AlmacenNoSeGuarda) + razon);
        return kFallo;
    }
    return kBien;
}

int Ordenes::List() {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    std::string lineas;
    for (const auto& [clave, valor] : SolucionesEn(m_copiaAlmacen, textos::SeccionLista)) {
        // Keys that are neither a byte nor U+XXXX are no character's answer.
        if (CaracterDeClave(clave)) {
            lineas.append(Fila(clave, valor)).append("\n");
        }
    }
    if (!EscribirTodo(STDOUT_FILENO, lineas.data(), lineas.size())) {
        Error(textos::SalidaIncorrecta);
        Error(RazonSistema("-"));
        return kFallo;
    }
    return kBien;
}

int Ordenes::Forget(const std::string& caracter) {
    const std::optional<std::string> clave = LeerCaracter(caracter);
    if (!clave) {
        return kFallo;
    }
    std::string razon;
    switch (m_almacen.OlvidarSolucion(textos::SeccionLista, *clave, &razon)) {
    case ResultadoOlvido::Olvidada:
        break;
    case ResultadoOlvido::NoEstaba:
        Error(std::string(textos::NoRecordado) + GlifoClave(*clave));
        return kNoEstaba;
    case ResultadoOlvido::Fallo:
        Error(std::string(textos::AlmacenNoSeGuarda) + razon);
        return kFallo;
    }
    return kBien;
}

} // namespace tildora::cli
