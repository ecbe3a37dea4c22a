#include "core/almacen.h"

#include "core/escritura.h"
#include "core/lectura.h"
#include "core/reglas.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tildora {

namespace {

// A store holds a few hundred short lines at most. Anything bigger is not
// ours: it is neither read nor rewritten.
constexpr std::size_t kTamanoMaximoAlmacen = 4 * 1024 * 1024;

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kFinLinea = "\r\n";

// The bytes the Windows service trims around lines, keys and values. The
// no-break space (0xA0) is a character of the text, not a blank.
bool EsBlanco(char c) {
    return c == '\t' || c == '\v' || c == '\f' || c == '\x1A' || c == ' ';
}

bool EsSalto(char c) {
    return c == '\r' || c == '\n';
}

bool EsComilla(char c) {
    return c == '"' || c == '\'';
}

std::string_view Recortar(std::string_view s) {
    while (!s.empty() && EsBlanco(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && EsBlanco(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char MinusculaAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IgualesSinMayusculas(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (MinusculaAscii(a[i]) != MinusculaAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Key bytes that the Windows service would trim, split a line at or end a
// string at: they are written as \xHH so that the line stays one line and the
// key keeps its byte. Backslash is never a wrong character, so a real key
// cannot be mistaken for an escape.
bool ClaveNecesitaEscape(unsigned char b) {
    return b == 0x00 || (b >= 0x09 && b <= 0x0D) || b == 0x1A || b == 0x20;
}

std::string CodificarClave(std::string_view clave) {
    std::string r;
    r.reserve(clave.size());
    for (const char c : clave) {
        const auto b = static_cast<unsigned char>(c);
        if (ClaveNecesitaEscape(b)) {
            r += EscapeHex(b);
        } else {
            r += c;
        }
    }
    return r;
}

std::string DecodificarClave(std::string_view clave) {
    std::string r;
    r.reserve(clave.size());
    for (std::size_t i = 0; i < clave.size(); ++i) {
        if (clave[i] == '\\' && i + 3 < clave.size() && clave[i + 1] == 'x') {
            if (const auto byte = ByteHex(clave[i + 2], clave[i + 3])) {
                r += static_cast<char>(*byte);
                i += 3;
                continue;
            }
        }
        r += clave[i];
    }
    return r;
}

// The value as it stands in the file: inside double quotes when its first or
// last byte would otherwise be trimmed or taken for a quote on read.
std::string CodificarValor(std::string_view valor) {
    if (!valor.empty() && (EsBlanco(valor.front()) || EsComilla(valor.front()) ||
                           EsBlanco(valor.back()) || EsComilla(valor.back()))) {
        std::string r;
        r.reserve(valor.size() + 2);
        r += '"';
        r += valor;
        r += '"';
        return r;
    }
    return std::string(valor);
}

std::string_view DecodificarValor(std::string_view valor) {
    valor = Recortar(valor);
    if (valor.size() >= 2 && EsComilla(valor.front()) && valor.front() == valor.back()) {
        valor.remove_prefix(1);
        valor.remove_suffix(1);
    }
    return valor;
}

// --- The file ---------------------------------------------------------------

enum class EstadoLectura { Leido, NoExiste, Fallo };

struct Fichero {
    EstadoLectura estado = EstadoLectura::Fallo;
    std::string bytes;
    ResultadoLectura lectura;
};

// Reads the whole store. Only an ordinary file of sane size is read: a
// folder, a device or a pipe (which could block forever) is refused before
// any byte is taken from it.
Fichero LeerAlmacen(const std::string& ruta) {
    Fichero f;
    const ResultadoLectura r = LeerFichero(ruta, f.bytes, kTamanoMaximoAlmacen);
    f.lectura = r;
    f.estado = r                                   ? EstadoLectura::Leido
               : r.fallo == FalloLectura::NoExiste ? EstadoLectura::NoExiste
                                                   : EstadoLectura::Fallo;
    return f;
}

// The lock of a read-change-write: caracteres.ini.lock beside the file the
// store's path leads to, locked exclusively, and removed by its holder before
// it lets go. Whoever then gets the lock of a removed lock file tries again
// with the one now there, so one holder at a time is ever sure.
class Cerrojo {
public:
    explicit Cerrojo(const std::string& almacen) {
        std::string real = almacen;
        struct stat st {};
        if (::lstat(almacen.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
            !DestinoDeEnlace(almacen, real)) {
            real = almacen;
        }
        m_ruta = real + ".lock";
        for (;;) {
            m_fd = ::open(m_ruta.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (m_fd < 0) {
                m_error = std::strerror(errno);
                return;
            }
            int r;
            do {
                r = ::flock(m_fd, LOCK_EX);
            } while (r != 0 && errno == EINTR);
            if (r != 0) {
                m_error = std::strerror(errno);
                Soltar(false);
                return;
            }
            struct stat propio {};
            struct stat ahora {};
            if (::fstat(m_fd, &propio) == 0 && ::stat(m_ruta.c_str(), &ahora) == 0 &&
                propio.st_dev == ahora.st_dev && propio.st_ino == ahora.st_ino) {
                return;
            }
            Soltar(false); // removed by the one before: the next one is new
        }
    }
    ~Cerrojo() { Soltar(true); }
    Cerrojo(const Cerrojo&) = delete;
    Cerrojo& operator=(const Cerrojo&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    const std::string& Error() const { return m_error; }

private:
    void Soltar(bool borrar) {
        if (m_fd >= 0) {
            if (borrar) {
                ::unlink(m_ruta.c_str());
            }
            ::close(m_fd);
            m_fd = -1;
        }
    }

    std::string m_ruta;
    std::string m_error;
    int m_fd = -1;
};

// --- Lines ------------------------------------------------------------------

struct Linea {
    std::size_t inicio;   // first byte of the line
    std::size_t fin;      // one past its last byte, before the line break
    std::size_t finSalto; // one past the line break that ends it (== fin at the
                          // end of a file without a final line break)
};

// Splits at every run of CR and LF, so empty lines do not exist. The line
// break kept with a line is only the first one of the run (CR LF, CR or LF):
// a new line inserted after it lands before any empty lines that follow.
std::vector<Linea> PartirLineas(std::string_view bytes, std::size_t desde) {
    std::vector<Linea> lineas;
    std::size_t p = desde;
    const std::size_t n = bytes.size();
    while (p < n) {
        while (p < n && EsSalto(bytes[p])) {
            ++p;
        }
        if (p == n) {
            break;
        }
        Linea l{p, p, p};
        while (p < n && !EsSalto(bytes[p])) {
            ++p;
        }
        l.fin = p;
        if (p < n) {
            p += (bytes[p] == '\r' && p + 1 < n && bytes[p + 1] == '\n') ? 2 : 1;
        }
        l.finSalto = p;
        lineas.push_back(l);
    }
    return lineas;
}

enum class TipoLinea { Cabecera, Entrada, Otra };

struct LineaAnalizada {
    TipoLinea tipo = TipoLinea::Otra;
    std::string_view nombre; // section name of a header
    std::string_view clave;  // raw key of an entry, as written
    std::string_view valor;  // raw value of an entry, untrimmed
};

LineaAnalizada Analizar(std::string_view linea) {
    LineaAnalizada a;
    linea = Recortar(linea);
    if (linea.empty() || linea.front() == ';') {
        return a;
    }
    if (linea.front() == '[') {
        const std::size_t cierre = linea.find(']');
        // A '[' line without ']' is junk: it neither opens a section nor holds
        // an entry.
        if (cierre != std::string_view::npos) {
            a.tipo = TipoLinea::Cabecera;
            a.nombre = linea.substr(1, cierre - 1);
        }
        return a;
    }
    const std::size_t igual = linea.find('=');
    if (igual == std::string_view::npos) {
        return a;
    }
    a.tipo = TipoLinea::Entrada;
    a.clave = Recortar(linea.substr(0, igual));
    a.valor = linea.substr(igual + 1);
    return a;
}

struct Busqueda {
    bool seccionHallada = false;
    std::size_t ultimaEntrada = 0;     // last entry of the section, or its header
    std::optional<std::size_t> linea;  // first entry with the key
    std::string_view valor;            // its raw value
    std::vector<std::size_t> conClave; // every entry with the key
    std::vector<std::size_t> entradas; // every entry of the section
};

// Looks for `clave` in the first section named `seccion`. Later sections of
// the same name are ignored, as the Windows service ignores them.
Busqueda Buscar(std::string_view bytes, const std::vector<Linea>& lineas, std::string_view seccion,
                std::string_view clave) {
    Busqueda b;
    bool dentro = false;
    for (std::size_t i = 0; i < lineas.size(); ++i) {
        const LineaAnalizada a =
            Analizar(bytes.substr(lineas[i].inicio, lineas[i].fin - lineas[i].inicio));
        if (a.tipo == TipoLinea::Cabecera) {
            if (dentro) {
                break;
            }
            if (IgualesSinMayusculas(a.nombre, seccion)) {
                dentro = true;
                b.seccionHallada = true;
                b.ultimaEntrada = i;
            }
            continue;
        }
        if (!dentro || a.tipo != TipoLinea::Entrada) {
            continue;
        }
        b.ultimaEntrada = i;
        b.entradas.push_back(i);
        if (DecodificarClave(a.clave) == clave) {
            b.conClave.push_back(i);
            if (!b.linea) {
                b.linea = i;
                b.valor = a.valor;
            }
        }
    }
    return b;
}

std::size_t InicioTrasBom(std::string_view bytes) {
    return bytes.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
}

// --- What can be stored -------------------------------------------------------

bool TieneSalto(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A section name becomes "[name]" and is read back up to the first ']'.
bool SeccionGuardable(std::string_view seccion) {
    return !TieneSalto(seccion) && seccion.find(']') == std::string_view::npos;
}

// A key must come back as the same bytes: it may not hold '=' (the key ends at
// the first one), may not turn its line into a header or a comment, and may
// not contain text that reads as an escape.
bool ClaveGuardable(std::string_view clave, const std::string& codificada) {
    if (clave.empty() || clave.find('=') != std::string_view::npos) {
        return false;
    }
    if (codificada.front() == '[' || codificada.front() == ';') {
        return false;
    }
    return DecodificarClave(codificada) == clave;
}

std::string Unir(const std::string& carpeta, std::string_view nombre) {
    std::string r = carpeta;
    if (!r.empty() && r.back() != '/') {
        r += '/';
    }
    r += nombre;
    return r;
}

bool EsAbsoluta(const char* ruta) {
    return ruta != nullptr && ruta[0] == '/';
}

} // namespace

std::string SolucionEn(std::string_view bytes, std::string_view seccion, std::string_view clave) {
    if (clave.empty()) {
        return {};
    }
    const Busqueda b = Buscar(bytes, PartirLineas(bytes, InicioTrasBom(bytes)), seccion, clave);
    if (!b.linea) {
        return {};
    }
    return std::string(DecodificarValor(b.valor).substr(0, kLargoMaximoSustituto));
}

std::optional<std::string> ConSolucion(std::string_view viejo, std::string_view seccion,
                                       std::string_view clave, std::string_view valor) {
    // A line break in any part would split the entry over several lines; the
    // Windows service would store something else than what was given.
    const std::string claveEscrita = CodificarClave(clave);
    if (!SeccionGuardable(seccion) || !ClaveGuardable(clave, claveEscrita) || TieneSalto(valor)) {
        return std::nullopt;
    }
    std::string entrada = claveEscrita;
    entrada += '=';
    entrada += CodificarValor(valor);

    const std::size_t inicio = InicioTrasBom(viejo);
    const std::vector<Linea> lineas = PartirLineas(viejo, inicio);
    const Busqueda b = Buscar(viejo, lineas, seccion, clave);

    std::string nuevo;
    nuevo.reserve(viejo.size() + entrada.size() + seccion.size() + 8);
    if (b.linea) {
        // The old line gives way to the new one; its line break, and every
        // other byte of the file, stay as they were.
        const Linea& l = lineas[*b.linea];
        nuevo.append(viejo.substr(0, l.inicio)).append(entrada).append(viejo.substr(l.fin));
    } else if (b.seccionHallada) {
        const Linea& l = lineas[b.ultimaEntrada];
        nuevo.append(viejo.substr(0, l.finSalto));
        if (l.finSalto == l.fin) {
            nuevo.append(kFinLinea);
        }
        nuevo.append(entrada).append(kFinLinea).append(viejo.substr(l.finSalto));
    } else {
        nuevo.append(viejo);
        if (viejo.size() > inicio && !EsSalto(viejo.back())) {
            nuevo.append(kFinLinea);
        }
        nuevo.append("[").append(seccion).append("]").append(kFinLinea);
        nuevo.append(entrada).append(kFinLinea);
    }
    return nuevo;
}

std::optional<std::string> SinSolucion(std::string_view viejo, std::string_view seccion,
                                       std::string_view clave) {
    if (clave.empty()) {
        return std::nullopt;
    }
    const std::vector<Linea> lineas = PartirLineas(viejo, InicioTrasBom(viejo));
    const Busqueda b = Buscar(viejo, lineas, seccion, clave);
    if (b.conClave.empty()) {
        return std::nullopt;
    }
    std::string nuevo;
    nuevo.reserve(viejo.size());
    std::size_t desde = 0;
    for (const std::size_t i : b.conClave) {
        nuevo.append(viejo.substr(desde, lineas[i].inicio - desde));
        desde = lineas[i].finSalto;
    }
    nuevo.append(viejo.substr(desde));
    return nuevo;
}

std::vector<std::pair<std::string, std::string>> SolucionesEn(std::string_view bytes,
                                                              std::string_view seccion) {
    const std::vector<Linea> lineas = PartirLineas(bytes, InicioTrasBom(bytes));
    std::vector<std::pair<std::string, std::string>> r;
    std::set<std::string> vistas;
    for (const std::size_t i : Buscar(bytes, lineas, seccion, {}).entradas) {
        const LineaAnalizada a =
            Analizar(bytes.substr(lineas[i].inicio, lineas[i].fin - lineas[i].inicio));
        std::string clave = DecodificarClave(a.clave);
        // The first entry of a key is the one read.
        if (!clave.empty() && vistas.insert(clave).second) {
            std::string valor(DecodificarValor(a.valor).substr(0, kLargoMaximoSustituto));
            r.emplace_back(std::move(clave), std::move(valor));
        }
    }
    return r;
}

std::string AlmacenSoluciones::LeerSolucion(std::string_view seccion,
                                            std::string_view clave) const {
    std::string bytes;
    if (clave.empty() || !Leer(bytes)) {
        return {};
    }
    return SolucionEn(bytes, seccion, clave);
}

ResultadoLectura AlmacenSoluciones::Leer(std::string& bytes) const {
    const ResultadoLectura r = LeerFichero(m_ruta, bytes, kTamanoMaximoAlmacen);
    if (!r) {
        bytes.clear();
        if (r.fallo == FalloLectura::NoExiste) {
            return {};
        }
    }
    return r;
}

std::int16_t AlmacenSoluciones::GuardarSolucion(std::string_view seccion, std::string_view clave,
                                                std::string_view valor, std::string* error) const {
    std::string razon;
    // What cannot be stored is refused before the file is even looked at.
    const bool guardable = ConSolucion({}, seccion, clave, valor).has_value();
    const bool hecho =
        guardable &&
        Cambiar([&](std::string_view viejo) { return ConSolucion(viejo, seccion, clave, valor); },
                razon) == Cambio::Hecho;
    if (!hecho && error != nullptr) {
        *error = razon.empty() ? m_ruta + ": " + std::string(textos::RazonNoSeGuarda) : razon;
    }
    return hecho ? 1 : 0;
}

ResultadoOlvido AlmacenSoluciones::OlvidarSolucion(std::string_view seccion, std::string_view clave,
                                                   std::string* error) const {
    std::string razon;
    const Cambio r =
        Cambiar([&](std::string_view viejo) { return SinSolucion(viejo, seccion, clave); }, razon);
    if (r == Cambio::Fallo && error != nullptr) {
        *error = razon;
    }
    return r == Cambio::Hecho     ? ResultadoOlvido::Olvidada
           : r == Cambio::Ninguno ? ResultadoOlvido::NoEstaba
                                  : ResultadoOlvido::Fallo;
}

AlmacenSoluciones::Cambio AlmacenSoluciones::Cambiar(
    const std::function<std::optional<std::string>(std::string_view)>& cambiar,
    std::string& error) const {
    // No store known (no home folder for an installed copy): nothing is
    // locked or written, least of all a lock file in the current folder.
    if (m_ruta.empty()) {
        error = std::string(textos::RazonNoSeGuarda);
        return Cambio::Fallo;
    }
    const Cerrojo cerrojo(m_ruta);
    if (!cerrojo) {
        error = m_ruta + ": " + cerrojo.Error();
        return Cambio::Fallo;
    }
    const Fichero f = LeerAlmacen(m_ruta);
    if (f.estado == EstadoLectura::Fallo) {
        error = m_ruta + ": " + RazonLectura(f.lectura);
        return Cambio::Fallo;
    }
    const std::optional<std::string> nuevo = cambiar(f.bytes);
    if (!nuevo) {
        return Cambio::Ninguno;
    }
    // A link that points nowhere is left alone rather than replaced by a file.
    struct stat st {};
    if (f.estado == EstadoLectura::NoExiste && ::lstat(m_ruta.c_str(), &st) == 0) {
        error = m_ruta + ": " + std::strerror(ENOENT);
        return Cambio::Fallo;
    }
    if (f.estado == EstadoLectura::Leido && *nuevo == f.bytes) {
        return Cambio::Hecho;
    }
    // A store that reads would refuse is not written either.
    if (nuevo->size() > kTamanoMaximoAlmacen) {
        error = m_ruta + ": " + std::string(textos::RazonDemasiadoGrande);
        return Cambio::Fallo;
    }
    return EscribirFicheroSeguro(m_ruta, *nuevo, &error) ? Cambio::Hecho : Cambio::Fallo;
}

std::string ElegirRutaAlmacen(const std::string& carpetaPrograma,
                              const std::string& carpetaUsuario) {
    const std::string enPrograma = Unir(carpetaPrograma, textos::NombreAlmacen);
    struct stat st {};
    if (::stat(enPrograma.c_str(), &st) == 0) {
        return enPrograma;
    }
    const std::string carpeta = carpetaPrograma.empty() ? "." : carpetaPrograma;
    const bool compilacion = ::stat(Unir(carpeta, kMarcaCompilacion).c_str(), &st) == 0;
    // Making a file in a folder takes both write and search permission.
    if (compilacion && ::access(carpeta.c_str(), W_OK | X_OK) == 0) {
        return enPrograma;
    }
    const std::string enUsuario = Unir(carpetaUsuario, textos::NombreAlmacen);
    if (carpetaUsuario.empty()) {
        // An installed copy never writes beside itself: with no user folder
        // known, nothing is remembered.
        return compilacion ? enPrograma : std::string();
    }
    std::error_code ec;
    std::filesystem::create_directories(carpetaUsuario, ec);
    if (compilacion && !std::filesystem::is_directory(carpetaUsuario, ec)) {
        return enPrograma;
    }
    // Installed, a folder that cannot be made still names the store: writing
    // it fails with the usual message instead of landing in the program's
    // folder.
    return enUsuario;
}

std::string CarpetaConfiguracionUsuario() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (EsAbsoluta(xdg)) {
        return Unir(xdg, "tildora");
    }
    std::string casa;
    const char* home = std::getenv("HOME");
    if (EsAbsoluta(home)) {
        casa = home;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && EsAbsoluta(pw->pw_dir)) {
        casa = pw->pw_dir;
    } else {
        return {};
    }
    return Unir(Unir(casa, ".config"), "tildora");
}

std::string RutaAlmacenPorDefecto() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string carpetaPrograma = ec ? std::string() : exe.parent_path().string();
    return ElegirRutaAlmacen(carpetaPrograma, CarpetaConfiguracionUsuario());
}

} // namespace tildora
