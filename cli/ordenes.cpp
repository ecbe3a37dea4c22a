#include "cli/ordenes.h"

#include "cli/terminal.h"
#include "core/ansi.h"
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

std::string Clave(unsigned char c) {
    return std::string(1, static_cast<char>(c));
}

// CHAR of `remember` and `forget`: one character in UTF-8, or \xHH.
std::optional<unsigned char> CaracterDado(const std::string& texto) {
    if (texto.size() == 4 && texto[0] == '\\' && (texto[1] == 'x' || texto[1] == 'X')) {
        if (const auto byte = ByteHex(texto[2], texto[3])) {
            return byte;
        }
    }
    const std::optional<std::string> ansi = AnsiDeUtf8(texto);
    if (ansi && ansi->size() == 1) {
        return static_cast<unsigned char>((*ansi)[0]);
    }
    return std::nullopt;
}

// CHAR of `remember` and `forget`, or the refusal said.
std::optional<unsigned char> LeerCaracter(const std::string& texto) {
    const std::optional<unsigned char> c = CaracterDado(texto);
    if (!c) {
        Error(textos::CaracterIncorrecto);
        Detalle(texto, AnsiDeUtf8(texto) ? textos::RazonUnoSolo : textos::RazonWindows);
    }
    return c;
}

// A row of the lists about replacements (fix's refusals, check's marks,
// list): CODE<TAB>CHARACTER<TAB>REPLACEMENT.
std::string Fila(unsigned char c, std::string_view sustituto) {
    std::string fila = std::to_string(c);
    fila.append("\t").append(Glifo(c)).append("\t").append(Visible(sustituto));
    return fila;
}

} // namespace

Ordenes::Ordenes(const std::string& rutaAlmacen, bool forzar, bool modoCarpeta)
    : m_almacen(rutaAlmacen), m_forzar(forzar), m_modoCarpeta(modoCarpeta), m_lectura(kLectura) {}

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
    return true;
}

std::string Ordenes::Solucion(unsigned char c) const {
    return SolucionEn(m_copiaAlmacen, textos::SeccionLista, Clave(c));
}

ResultadoLectura Ordenes::Escanear(const std::string& nombre, Lector& lector, Escaner& escaneo,
                                   std::string* memoria) {
    ResultadoLectura r =
        nombre == "-" ? lector.AbrirEntradaEstandar() : lector.Abrir(nombre, false);
    if (!r) {
        return r;
    }
    if (memoria != nullptr && !lector.Ordinario()) {
        // A pipe cannot be read twice: hold it.
        lector.Limitar(kMemoriaMaxima);
        return LeerYEscanear(lector, escaneo, memoria);
    }
    return LeerYEscanear(lector, escaneo, nullptr);
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
        Escaner escaneo(TablaFija());
        const ResultadoLectura leido = Escanear(nombre, lector, escaneo, nullptr);
        if (!leido) {
            Error(textos::M1NombreIncorrecto);
            Detalle(nombre, RazonLectura(leido));
            hayFallo = true;
            continue;
        }
        std::string lineas;
        std::vector<ParSolucion> pares;
        for (unsigned char c : escaneo.Encontrados()) {
            pares.emplace_back(Clave(c), Solucion(c));
            const Posicion& donde = escaneo.Primera(c);
            lineas.append(NombreVisible(nombre))
                .append("\t")
                .append(std::to_string(c))
                .append("\t");
            lineas.append(std::to_string(escaneo.Cuentas()[c])).append("\t");
            lineas.append(std::to_string(donde.linea)).append(":");
            lineas.append(std::to_string(donde.columna)).append("\t");
            lineas.append(Glifo(c)).append("\t");
            lineas.append(Visible(pares.back().second));
            lineas.append("\n");
        }
        if (!escaneo.Encontrados().empty()) {
            hayErroneos = true;
            if (!EscribirTodo(STDOUT_FILENO, lineas.data(), lineas.size())) {
                Error(textos::SalidaIncorrecta);
                Error(RazonSistema("-"));
                return kFallo;
            }
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
        Error(Fila(static_cast<unsigned char>(pares[i].first[0]), pares[i].second));
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
    Escaner escaneo(TablaFija());
    std::string memoria;
    const ResultadoLectura leido = Escanear(nombre, lector, escaneo, &memoria);
    if (!leido) {
        Error(textos::M1NombreIncorrecto);
        Detalle(nombre, RazonLectura(leido));
        return kFallo;
    }

    // The replacements, in the order of the grid: first appearance.
    std::vector<ParSolucion> pares;
    std::vector<unsigned char> faltan;
    for (unsigned char c : escaneo.Encontrados()) {
        std::string valor = Solucion(c);
        if (valor.empty()) {
            faltan.push_back(c);
        }
        pares.emplace_back(Clave(c), std::move(valor));
    }
    if (!faltan.empty()) {
        Error(textos::FaltanSoluciones);
        Nombrar(nombre);
        for (unsigned char c : faltan) {
            Error(std::to_string(c) + "\t" + Glifo(c));
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
    const ResultadoReescritura r = Reescribir(escaneo, pares, fuente, destino);
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
    Error(escaneo.Encontrados().empty() ? std::string(textos::M4SinErrores)
                                        : textos::MensajeCorregido(r.correcciones));
    Nombrar(nombre);
    return kBien;
}

int Ordenes::Remember(const std::string& caracter, const std::string& sustituto) {
    const std::optional<unsigned char> c = LeerCaracter(caracter);
    if (!c) {
        return kFallo;
    }
    if (TablaFija()[*c]) {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, textos::RazonPermitido);
        return kFallo;
    }
    // A CR is a line break, never a character of a line.
    if (*c == '\r') {
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
    if (valor->find(static_cast<char>(*c)) != std::string::npos) {
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
    if (m_almacen.GuardarSolucion(textos::SeccionLista, Clave(*c), *valor, &razon) == 0) {
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
        // Keys of more than one byte are no character's answer.
        if (clave.size() == 1) {
            lineas.append(Fila(static_cast<unsigned char>(clave[0]), valor)).append("\n");
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
    const std::optional<unsigned char> c = LeerCaracter(caracter);
    if (!c) {
        return kFallo;
    }
    std::string razon;
    switch (m_almacen.OlvidarSolucion(textos::SeccionLista, Clave(*c), &razon)) {
    case ResultadoOlvido::Olvidada:
        break;
    case ResultadoOlvido::NoEstaba:
        Error(std::string(textos::NoRecordado) + Glifo(*c));
        return kNoEstaba;
    case ResultadoOlvido::Fallo:
        Error(std::string(textos::AlmacenNoSeGuarda) + razon);
        return kFallo;
    }
    return kBien;
}

} // namespace tildora::cli
