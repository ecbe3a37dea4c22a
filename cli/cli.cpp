#include "cli.h"

#include "almacen.h"
#include "ansi.h"
#include "barrido.h"
#include "correccion.h"
#include "ficheros.h"
#include "salida.h"
#include "tabla.h"
#include "textos.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef TILDORA_VERSION
#define TILDORA_VERSION "1.0.0"
#endif

namespace tildora {

namespace {

// Exit statuses.
constexpr int kBien = 0;
constexpr int kHayErroneos = 1;
constexpr int kFallo = 2;
constexpr int kSinSolucion = 3;
constexpr int kSalidaExiste = 4;

// Files are read in pieces of this size, each checked while it is still in
// the cache; the corrected text leaves in pieces of about kBufferSalida.
constexpr std::size_t kLectura = std::size_t{128} << 10;
constexpr std::size_t kBufferSalida = std::size_t{4} << 20;

// Standard input, or a pipe named as input, is held in memory for the two
// passes of a correction; beyond this it is refused rather than exhausting
// the machine.
constexpr std::uint64_t kMemoriaMaxima = kTamanoMaximoSalida;

// The corrected forms of the characters present are built in memory. Stored
// replacements are at most 127 bytes; only replacements that feed each other
// grow further. Each form is part of the output at least once, so the limit
// is the window's limit on the whole output: whatever accepting in the window
// corrects, this corrects too.
constexpr std::uint64_t kExpansionesMaximas = kTamanoMaximoSalida;

// Short reasons of the command line's own, for the line after a message.
constexpr std::string_view kRazonCambiado =
    "aldatu egin da irakurri bitartean / ha cambiado mientras se leía";
constexpr std::string_view kRazonCrecimiento =
    "irteera handiegia litzateke / la salida sería demasiado grande";
constexpr std::string_view kRazonRepetida =
    "beste fitxategi batek irteera bera du / otro fichero tiene la misma salida";
constexpr std::string_view kRazonPermitido = "karaktere onargarria da / es un carácter permitido";
constexpr std::string_view kRazonUnoSolo =
    "karaktere bakarra izan behar da / ha de ser un solo carácter";
constexpr std::string_view kRazonWindows =
    "Windows-1252 kodeak ezin du gorde / Windows-1252 no lo puede representar";
constexpr std::string_view kRazonSalto =
    "lerro-jauzia da, ez karakterea / es un salto de línea, no un carácter";
constexpr std::string_view kRazonSustitutoSalto =
    "lerro-jauzirik ezin du izan / no puede contener saltos de línea";
constexpr std::string_view kRazonSustitutoVacio = "hutsik dago / está vacío";
constexpr std::string_view kRazonSustitutoLargo =
    "127 byte baino luzeagoa / más largo de 127 bytes";
constexpr std::string_view kRazonNoSeGuarda = "ezin da idatzi / no se puede escribir";
constexpr std::string_view kRazonDemasiadoGrande =
    "handiegia da memorian eusteko / demasiado grande para tenerlo en memoria";

constexpr std::string_view kUso =
    "Erabilera:\n"
    "  tildora [--store INI] check FITXATEGIA...\n"
    "  tildora [--store INI] fix [--force] SARRERA IRTEERA\n"
    "  tildora [--store INI] fix [--force] --out-dir KARPETA FITXATEGIA...\n"
    "  tildora [--store INI] remember KARAKTEREA ORDEZKOA\n"
    "Uso:\n"
    "  tildora [--store INI] check FICHERO...\n"
    "  tildora [--store INI] fix [--force] ENTRADA SALIDA\n"
    "  tildora [--store INI] fix [--force] --out-dir CARPETA FICHERO...\n"
    "  tildora [--store INI] remember CARÁCTER SUSTITUTO\n"
    "tildora --help\n";

constexpr std::string_view kAyuda =
    "tildora " TILDORA_VERSION "\n"
    "\n"
    "Erabilera:\n"
    "  tildora\n"
    "      Leihoak irekitzen ditu.\n"
    "  tildora [--store INI] check FITXATEGIA...\n"
    "      Karaktere oker bakoitzeko lerro bat idazten du, agertzen diren ordenan,\n"
    "      tabulazioz bereizita: FITXATEGIA, KODEA, ZENBAT, LERROA:ZUTABEA,\n"
    "      KARAKTEREA, ORDEZKOA (gogoratua, edo hutsik).\n"
    "  tildora [--store INI] fix [--force] SARRERA IRTEERA\n"
    "      SARRERA zuzentzen du gogoratutako ordezkoekin eta IRTEERA idazten du.\n"
    "      --force: IRTEERA badago, gainetik idazten du.\n"
    "  tildora [--store INI] fix [--force] --out-dir KARPETA FITXATEGIA...\n"
    "      Fitxategi bakoitza KARPETA karpetan zuzentzen du, bere izen berarekin.\n"
    "  tildora [--store INI] remember KARAKTEREA ORDEZKOA\n"
    "      KARAKTEREA (UTF-8 edo \\xHH) ordezteko ORDEZKOA gogoratzen du.\n"
    "  '-' sarrera estandarra da SARRERA gisa, eta irteera estandarra IRTEERA gisa.\n"
    "  --store INI: caracteres.ini-ren ordez INI fitxategia erabiltzen du.\n"
    "  Irteera-kodeak: 0 ondo; 1 karaktere okerrak daude (check); 2 errorea;\n"
    "  3 ordezkoak falta dira; 4 IRTEERA badago (--force gabe).\n"
    "\n"
    "Uso:\n"
    "  tildora\n"
    "      Abre las ventanas.\n"
    "  tildora [--store INI] check FICHERO...\n"
    "      Escribe una línea por carácter erróneo, en el orden en que aparecen,\n"
    "      separada por tabuladores: FICHERO, CÓDIGO, CUÁNTOS, LÍNEA:COLUMNA,\n"
    "      CARÁCTER, SUSTITUTO (el recordado, o vacío).\n"
    "  tildora [--store INI] fix [--force] ENTRADA SALIDA\n"
    "      Corrige ENTRADA con los sustitutos recordados y escribe SALIDA.\n"
    "      --force: si SALIDA existe, la sobreescribe.\n"
    "  tildora [--store INI] fix [--force] --out-dir CARPETA FICHERO...\n"
    "      Corrige cada fichero en la carpeta CARPETA, con su mismo nombre.\n"
    "  tildora [--store INI] remember CARÁCTER SUSTITUTO\n"
    "      Recuerda SUSTITUTO para CARÁCTER (en UTF-8 o \\xHH).\n"
    "  '-' es la entrada estándar como ENTRADA, y la salida estándar como SALIDA.\n"
    "  --store INI: usa el fichero INI en lugar de caracteres.ini.\n"
    "  Códigos de salida: 0 bien; 1 hay caracteres erróneos (check); 2 error;\n"
    "  3 faltan sustitutos; 4 SALIDA existe (sin --force).\n";

// ---------------------------------------------------------------------------
// Writing to the terminal.

void Poner(int fd, std::string_view texto) {
    EscribirTodo(fd, texto.data(), texto.size());
}

// One message on a line of its own.
void Aviso(int fd, std::string_view mensaje) {
    std::string linea(mensaje);
    linea += '\n';
    Poner(fd, linea);
}

void Error(std::string_view mensaje) {
    Aviso(STDERR_FILENO, mensaje);
}

// The line after a message: a name and why, for scripts and logs.
void Detalle(std::string_view nombre, std::string_view razon) {
    std::string linea(nombre);
    linea.append(": ").append(razon);
    Error(linea);
}

constexpr std::string_view kOpcionDesconocida = "Aukera ezezaguna / Opción desconocida: ";
constexpr std::string_view kOrdenDesconocida = "Agindu ezezaguna / Orden desconocida: ";
constexpr std::string_view kFaltaOrden = "Agindurik ez / Falta la orden";
constexpr std::string_view kFaltaValor = "Balioa falta da / Falta el valor de: ";
constexpr std::string_view kCuentaArgumentos =
    "Argumentu kopuru okerra / Número de argumentos incorrecto: ";

int Uso(std::string_view problema, std::string_view que = {}) {
    std::string texto(problema);
    texto.append(que).append("\n");
    texto.append(kUso);
    Poner(STDERR_FILENO, texto);
    return kFallo;
}

std::string RazonSistema(const std::string& nombre) {
    return nombre + ": " + std::strerror(errno);
}

// Names are trimmed of spaces only, as the file-selection window does.
std::string Recortar(std::string_view s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string_view::npos) {
        return {};
    }
    const std::size_t b = s.find_last_not_of(' ');
    return std::string(s.substr(a, b - a + 1));
}

std::string Glifo(unsigned char c) {
    std::string g;
    AnadirUtf8(g, GlifoDeAnsi(c, true));
    return g;
}

std::string Clave(unsigned char c) {
    return std::string(1, static_cast<char>(c));
}

// A buffer that begins on a page boundary. The kernel copies file data into
// and out of a misaligned buffer several times more slowly.
class Buffer {
public:
    explicit Buffer(std::size_t n)
        : m_datos(static_cast<char*>(std::aligned_alloc(4096, (n + 4095) / 4096 * 4096))),
          m_tamano(n) {
        if (m_datos == nullptr) {
            throw std::bad_alloc();
        }
    }
    ~Buffer() { std::free(m_datos); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

    char* data() { return m_datos; }
    std::size_t size() const { return m_tamano; }

private:
    char* m_datos;
    std::size_t m_tamano;
};

// ---------------------------------------------------------------------------
// Reading an input.

ssize_t LeerSinInterrupcion(int fd, char* destino, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(fd, destino, n);
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

// An input file, or standard input for "-". A regular file is read twice by
// a correction (list, then rewrite); anything else is read once.
class Entrada {
public:
    Entrada() = default;
    ~Entrada() {
        if (m_propio && m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Entrada(const Entrada&) = delete;
    Entrada& operator=(const Entrada&) = delete;

    bool Abrir(const std::string& nombre) {
        m_nombre = nombre;
        if (nombre == "-") {
            m_fd = STDIN_FILENO;
            m_propio = false;
        } else {
            m_fd = ::open(nombre.c_str(), O_RDONLY | O_CLOEXEC);
            m_propio = true;
            if (m_fd < 0) {
                m_error = RazonSistema(nombre);
                return false;
            }
        }
        if (::fstat(m_fd, &m_st) != 0) {
            m_error = RazonSistema(nombre);
            return false;
        }
        if (S_ISDIR(m_st.st_mode)) {
            errno = EISDIR;
            m_error = RazonSistema(nombre);
            return false;
        }
        m_regular = S_ISREG(m_st.st_mode);
        if (m_regular) {
            m_inicio = ::lseek(m_fd, 0, SEEK_CUR);
            if (m_inicio < 0) {
                m_regular = false;
                m_inicio = 0;
            } else {
                ::posix_fadvise(m_fd, m_inicio, 0, POSIX_FADV_SEQUENTIAL);
            }
        }
        return true;
    }

    int Fd() const { return m_fd; }
    bool Regular() const { return m_regular; }
    const struct stat& Estado() const { return m_st; }
    const std::string& Error() const { return m_error; }

    // Reads from the start to the end, handing each piece to `trozo`.
    template <typename Trozo> bool Recorrer(Buffer& buffer, Trozo&& trozo) {
        if (m_regular && ::lseek(m_fd, m_inicio, SEEK_SET) < 0) {
            m_error = RazonSistema(m_nombre);
            return false;
        }
        for (;;) {
            const ssize_t n = LeerSinInterrupcion(m_fd, buffer.data(), buffer.size());
            if (n < 0) {
                m_error = RazonSistema(m_nombre);
                return false;
            }
            if (n == 0) {
                return true;
            }
            if (!trozo(buffer.data(), static_cast<std::size_t>(n))) {
                return false;
            }
        }
    }

    // Whether the file is as it was when opened (size and times).
    bool SinCambios() const {
        struct stat ahora {};
        if (::fstat(m_fd, &ahora) != 0) {
            return false;
        }
        return ahora.st_size == m_st.st_size && ahora.st_mtim.tv_sec == m_st.st_mtim.tv_sec &&
               ahora.st_mtim.tv_nsec == m_st.st_mtim.tv_nsec &&
               ahora.st_ctim.tv_sec == m_st.st_ctim.tv_sec &&
               ahora.st_ctim.tv_nsec == m_st.st_ctim.tv_nsec;
    }

    void AnotarError(std::string error) { m_error = std::move(error); }

private:
    std::string m_nombre;
    int m_fd = -1;
    bool m_propio = false;
    bool m_regular = false;
    off_t m_inicio = 0;
    struct stat m_st {};
    std::string m_error;
};

// ---------------------------------------------------------------------------
// The rewriting pass.

// Rewrites the text piece by piece into a Destino through a reused buffer,
// and counts the wrong characters it meets so that the caller can tell that
// the text is still the one the listing pass saw.
class Reescritor {
public:
    Reescritor(const Correccion& correccion, cli::Destino& destino)
        : m_buscador(TablaFija()), m_correccion(correccion), m_destino(destino),
          m_buffer(kBufferSalida) {}

    bool Procesar(const char* datos, std::size_t n) {
        const auto* p = reinterpret_cast<const unsigned char*>(datos);
        while (n > 0) {
            const std::size_t trozo = std::min(n, cli::kTrozoParadas);
            if (!ProcesarTrozo(p, trozo)) {
                return false;
            }
            p += trozo;
            n -= trozo;
        }
        return true;
    }

    bool Terminar() { return Vaciar(); }

    const std::uint64_t (&Cuentas() const)[256] { return m_cuentas; }
    std::uint64_t Leidos() const { return m_leidos; }
    std::uint64_t Escritos() const { return m_escritos; }

private:
    bool ProcesarTrozo(const unsigned char* p, std::size_t n) {
        const std::size_t k = m_buscador.Buscar(p, n);
        const std::uint32_t* paradas = m_buscador.Paradas();
        std::size_t tramo = 0;
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = paradas[j];
            const unsigned char c = p[pos];
            ++m_cuentas[c];
            if (!m_correccion.Cambia(c)) {
                continue; // a lone LF: listed, never replaced
            }
            if (!Copiar(p + tramo, pos - tramo) || !Expandir(p + pos)) {
                return false;
            }
            tramo = pos + 1;
        }
        m_leidos += n;
        return Copiar(p + tramo, n - tramo);
    }

    bool Copiar(const unsigned char* p, std::size_t n) {
        if (n > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (n >= m_buffer.size()) {
                m_escritos += n;
                return m_destino.Escribir(reinterpret_cast<const char*>(p), n);
            }
        }
        std::memcpy(m_buffer.data() + m_lleno, p, n);
        m_lleno += n;
        return true;
    }

    bool Expandir(const unsigned char* p) {
        const char* c = reinterpret_cast<const char*>(p);
        const auto tamano = static_cast<std::size_t>(m_correccion.TamanoDe(c, 1));
        if (tamano > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (tamano > m_buffer.size()) {
                std::string forma;
                m_correccion.Reescribir(c, 1, forma);
                m_escritos += forma.size();
                return m_destino.Escribir(forma.data(), forma.size());
            }
        }
        m_correccion.ReescribirEn(c, 1, m_buffer.data() + m_lleno);
        m_lleno += tamano;
        return true;
    }

    bool Vaciar() {
        if (m_lleno == 0) {
            return true;
        }
        m_escritos += m_lleno;
        const bool bien = m_destino.Escribir(m_buffer.data(), m_lleno);
        m_lleno = 0;
        return bien;
    }

    cli::Buscador m_buscador;
    const Correccion& m_correccion;
    cli::Destino& m_destino;
    Buffer m_buffer;
    std::size_t m_lleno = 0;
    std::uint64_t m_cuentas[256]{};
    std::uint64_t m_leidos = 0;
    std::uint64_t m_escritos = 0;
};

// ---------------------------------------------------------------------------
// The commands.

struct Opciones {
    std::string rutaAlmacen;
    bool forzar = false;
    bool modoCarpeta = false; // --out-dir: every message names its file
};

class LineaDeOrdenes {
public:
    explicit LineaDeOrdenes(Opciones opciones)
        : m_op(std::move(opciones)), m_almacen(m_op.rutaAlmacen), m_lectura(kLectura) {}

    int Check(const std::vector<std::string>& ficheros);
    int Fix(const std::string& entrada, const std::string& salida);
    int FixCarpeta(const std::string& carpeta, const std::vector<std::string>& ficheros);
    int Remember(const std::string& caracter, const std::string& sustituto);

private:
    int CorregirUno(const std::string& nombreEntrada, const std::string& nombreSalida);
    int Reescribir(Entrada& entrada, const std::string* memoria, const cli::Inventario& lista,
                   const std::vector<ParSolucion>& pares, const std::string& nombreEntrada,
                   const std::string& nombreSalida, std::uint64_t& correcciones);
    // In --out-dir mode each message about a file is followed by its name.
    void Nombrar(int fd, const std::string& nombre) {
        if (m_op.modoCarpeta) {
            Aviso(fd, nombre);
        }
    }

    Opciones m_op;
    AlmacenSoluciones m_almacen;
    Buffer m_lectura;
};

int LineaDeOrdenes::Check(const std::vector<std::string>& ficheros) {
    bool hayErroneos = false;
    bool hayFallo = false;
    for (const std::string& dado : ficheros) {
        const std::string nombre = Recortar(dado);
        if (nombre.empty()) {
            Error(textos::M1NombreIncorrecto);
            hayFallo = true;
            continue;
        }
        Entrada entrada;
        cli::Inventario lista(TablaFija());
        const bool leido = entrada.Abrir(nombre) &&
                           entrada.Recorrer(m_lectura, [&lista](const char* d, std::size_t n) {
                               lista.Procesar(d, n);
                               return true;
                           });
        if (!leido) {
            Error(textos::M1NombreIncorrecto);
            Error(entrada.Error());
            hayFallo = true;
            continue;
        }
        std::string lineas;
        for (unsigned char c : lista.Orden()) {
            const cli::Posicion& donde = lista.Primera(c);
            lineas.append(nombre).append("\t").append(std::to_string(c)).append("\t");
            lineas.append(std::to_string(lista.Cuentas()[c])).append("\t");
            lineas.append(std::to_string(donde.linea)).append(":");
            lineas.append(std::to_string(donde.columna)).append("\t");
            lineas.append(Glifo(c)).append("\t");
            lineas.append(
                Utf8Visible(m_almacen.LeerSolucion(textos::SeccionLista, Clave(c)), true));
            lineas.append("\n");
        }
        if (!lista.Orden().empty()) {
            hayErroneos = true;
            if (!EscribirTodo(STDOUT_FILENO, lineas.data(), lineas.size())) {
                Error(textos::SalidaIncorrecta);
                Error(RazonSistema("-"));
                return kFallo;
            }
        }
    }
    return hayFallo ? kFallo : hayErroneos ? kHayErroneos : kBien;
}

int LineaDeOrdenes::Fix(const std::string& entrada, const std::string& salida) {
    return CorregirUno(entrada, salida);
}

int LineaDeOrdenes::FixCarpeta(const std::string& carpetaDada,
                               const std::vector<std::string>& ficheros) {
    const std::string carpeta = Recortar(carpetaDada);
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
    for (const std::string& dado : ficheros) {
        const std::string nombre = Recortar(dado);
        const std::size_t barra = nombre.rfind('/');
        const std::string base = barra == std::string::npos ? nombre : nombre.substr(barra + 1);
        if (nombre == "-" || base.empty()) {
            // Standard input, or a folder, has no name of its own to take.
            Error(textos::M1NombreIncorrecto);
            Aviso(STDERR_FILENO, dado);
            peor = std::max(peor, kFallo);
            continue;
        }
        const std::string destino = carpeta + (carpeta.back() == '/' ? "" : "/") + base;
        if (!salidas.insert(destino).second) {
            // Two inputs of the same name would overwrite each other's output.
            Error(textos::SalidaIncorrecta);
            Detalle(destino, kRazonRepetida);
            peor = std::max(peor, kFallo);
            continue;
        }
        peor = std::max(peor, CorregirUno(nombre, destino));
    }
    return peor;
}

int LineaDeOrdenes::CorregirUno(const std::string& dadaEntrada, const std::string& dadaSalida) {
    const std::string nombreEntrada = Recortar(dadaEntrada);
    const std::string nombreSalida = Recortar(dadaSalida);
    const bool entradaEstandar = nombreEntrada == "-";
    const bool salidaEstandar = nombreSalida == "-";
    const std::string& nombre = nombreEntrada;

    if (nombreEntrada.empty() || nombreSalida.empty()) {
        Error(textos::M1NombreIncorrecto);
        Nombrar(STDERR_FILENO, dadaEntrada);
        return kFallo;
    }
    // "-" is no file name: "fix - -" is a filter. Between two real names,
    // equal names and one file under two names are both refused.
    if (!entradaEstandar && !salidaEstandar &&
        (nombreEntrada == nombreSalida || MismoFichero(nombreEntrada, nombreSalida))) {
        Error(textos::M2NombresIguales);
        Nombrar(STDERR_FILENO, nombre);
        return kFallo;
    }
    // Standard input or output may be the other file itself (`< a.txt`,
    // `>> a.txt`): writing would then destroy what is being read.
    if (entradaEstandar || salidaEstandar) {
        struct stat a {};
        struct stat b {};
        const bool hayA = entradaEstandar ? ::fstat(STDIN_FILENO, &a) == 0
                                          : ::stat(nombreEntrada.c_str(), &a) == 0;
        const bool hayB = salidaEstandar ? ::fstat(STDOUT_FILENO, &b) == 0
                                         : ::stat(nombreSalida.c_str(), &b) == 0;
        if (hayA && hayB && S_ISREG(a.st_mode) && S_ISREG(b.st_mode) && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino) {
            Error(textos::M2NombresIguales);
            Nombrar(STDERR_FILENO, nombre);
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
            if (!m_op.forzar) {
                Error(textos::M3SobreEscribir);
                Aviso(STDERR_FILENO, nombreSalida);
                return kSalidaExiste;
            }
        }
    }

    // First pass: the wrong characters, their counts and order.
    Entrada entrada;
    cli::Inventario lista(TablaFija());
    std::string memoria;
    bool enMemoria = false;
    bool leido = entrada.Abrir(nombreEntrada);
    if (leido && entrada.Regular()) {
        leido = entrada.Recorrer(m_lectura, [&lista](const char* d, std::size_t n) {
            lista.Procesar(d, n);
            return true;
        });
    } else if (leido) {
        // A pipe cannot be read twice: hold it.
        enMemoria = true;
        leido = entrada.Recorrer(m_lectura, [&](const char* d, std::size_t n) {
            if (memoria.size() + n > kMemoriaMaxima) {
                entrada.AnotarError(std::string(nombre).append(": ").append(kRazonDemasiadoGrande));
                return false;
            }
            memoria.append(d, n);
            return true;
        });
        if (leido) {
            lista.Procesar(memoria.data(), memoria.size());
        }
    }
    if (!leido) {
        Error(textos::M1NombreIncorrecto);
        Error(entrada.Error());
        return kFallo;
    }

    // The replacements, in the order of the grid: first appearance.
    std::vector<ParSolucion> pares;
    std::vector<unsigned char> faltan;
    for (unsigned char c : lista.Orden()) {
        std::string valor = m_almacen.LeerSolucion(textos::SeccionLista, Clave(c));
        if (valor.empty()) {
            faltan.push_back(c);
        }
        pares.emplace_back(Clave(c), std::move(valor));
    }
    if (!faltan.empty()) {
        Error(textos::FaltanSoluciones);
        Nombrar(STDERR_FILENO, nombre);
        std::string lineas;
        for (unsigned char c : faltan) {
            lineas.append(std::to_string(c)).append("\t").append(Glifo(c)).append("\n");
        }
        Poner(STDERR_FILENO, lineas);
        return kSinSolucion;
    }

    std::uint64_t correcciones = 0;
    const int resultado = Reescribir(entrada, enMemoria ? &memoria : nullptr, lista, pares, nombre,
                                     nombreSalida, correcciones);
    if (resultado != kBien) {
        return resultado;
    }
    const int fd = salidaEstandar ? STDERR_FILENO : STDOUT_FILENO;
    if (lista.Orden().empty()) {
        Error(textos::M4SinErrores);
        Nombrar(STDERR_FILENO, nombre);
    } else {
        Aviso(fd, textos::MensajeCorregido(correcciones));
        Nombrar(fd, nombre);
    }
    return kBien;
}

int LineaDeOrdenes::Reescribir(Entrada& entrada, const std::string* memoria,
                               const cli::Inventario& lista, const std::vector<ParSolucion>& pares,
                               const std::string& nombreEntrada, const std::string& nombreSalida,
                               std::uint64_t& correcciones) {
    Correccion correccion(pares);

    // Runaway growth is refused before anything is written: first the forms
    // of the characters present, one by one, then the whole output.
    std::uint64_t suma = 0;
    bool crece = false;
    for (unsigned char c : lista.Orden()) {
        if (!correccion.Cambia(c)) {
            continue;
        }
        std::uint64_t una[256] = {};
        una[c] = 1;
        std::uint64_t tamano = 0;
        std::uint64_t cuenta = 0;
        if (!correccion.Medir(una, tamano, cuenta) || tamano > kExpansionesMaximas - suma) {
            crece = true;
            break;
        }
        suma += tamano;
    }
    // Only the wrong characters were counted; every other byte stands for
    // itself and is put in the slot of one that no row changes.
    std::uint64_t cuentas[256] = {};
    std::uint64_t listados = 0;
    for (unsigned char c : lista.Orden()) {
        cuentas[c] = lista.Cuentas()[c];
        listados += cuentas[c];
    }
    cuentas[' '] = lista.Total() - listados;
    std::uint64_t tamano = 0;
    if (crece || !correccion.Medir(cuentas, tamano, correcciones) ||
        tamano - std::min(tamano, lista.Total()) > kTamanoMaximoSalida) {
        Error(textos::SalidaIncorrecta);
        Detalle(nombreSalida, kRazonCrecimiento);
        return kFallo;
    }
    correccion.Preparar();

    std::unique_ptr<cli::Destino> destino;
    if (nombreSalida == "-") {
        destino = std::make_unique<cli::SalidaEstandar>();
    } else {
        auto fichero = std::make_unique<cli::SalidaSegura>();
        if (!fichero->Abrir(nombreSalida)) {
            Error(textos::SalidaIncorrecta);
            Error(fichero->Error());
            return kFallo;
        }
        destino = std::move(fichero);
    }

    Reescritor reescritor(correccion, *destino);
    bool escrito = true;
    bool leido = true;
    if (memoria != nullptr) {
        escrito = reescritor.Procesar(memoria->data(), memoria->size());
    } else {
        leido = entrada.Recorrer(m_lectura, [&](const char* d, std::size_t n) {
            escrito = reescritor.Procesar(d, n);
            return escrito;
        });
    }
    escrito = escrito && reescritor.Terminar();
    if (!escrito) {
        Error(textos::SalidaIncorrecta);
        Error(destino->Error());
        return kFallo;
    }
    // The second read must have seen the text of the first: same length,
    // same wrong characters as often, and a file untouched meanwhile.
    const bool igual = leido && reescritor.Leidos() == lista.Total() &&
                       std::equal(std::begin(reescritor.Cuentas()), std::end(reescritor.Cuentas()),
                                  std::begin(lista.Cuentas())) &&
                       (memoria != nullptr || entrada.SinCambios()) &&
                       reescritor.Escritos() == tamano;
    if (!igual) {
        Error(textos::M1NombreIncorrecto);
        if (!leido) {
            Error(entrada.Error());
        } else {
            Detalle(nombreEntrada, kRazonCambiado);
        }
        return kFallo;
    }
    if (!destino->Confirmar()) {
        Error(textos::SalidaIncorrecta);
        Error(destino->Error());
        return kFallo;
    }
    return kBien;
}

// CHAR of `remember`: one character in UTF-8, or \xHH.
std::optional<unsigned char> CaracterDado(const std::string& texto) {
    if (texto.size() == 4 && texto[0] == '\\' && (texto[1] == 'x' || texto[1] == 'X')) {
        auto hex = [](char h) -> int {
            if (h >= '0' && h <= '9') {
                return h - '0';
            }
            if (h >= 'a' && h <= 'f') {
                return h - 'a' + 10;
            }
            if (h >= 'A' && h <= 'F') {
                return h - 'A' + 10;
            }
            return -1;
        };
        const int a = hex(texto[2]);
        const int b = hex(texto[3]);
        if (a >= 0 && b >= 0) {
            return static_cast<unsigned char>(a * 16 + b);
        }
    }
    const std::optional<std::string> ansi = AnsiDeUtf8(texto);
    if (ansi && ansi->size() == 1) {
        return static_cast<unsigned char>((*ansi)[0]);
    }
    return std::nullopt;
}

int LineaDeOrdenes::Remember(const std::string& caracter, const std::string& sustituto) {
    const TablaValidez& tabla = TablaFija();
    const std::optional<std::string> comoAnsi = AnsiDeUtf8(caracter);
    const std::optional<unsigned char> c = CaracterDado(caracter);
    if (!c) {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, comoAnsi ? kRazonUnoSolo : kRazonWindows);
        return kFallo;
    }
    if (tabla[*c]) {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, kRazonPermitido);
        return kFallo;
    }
    // A CR is a line break, never a character of a line.
    if (*c == '\r') {
        Error(textos::CaracterIncorrecto);
        Detalle(caracter, kRazonSalto);
        return kFallo;
    }
    const std::optional<std::string> valor = AnsiDeUtf8(sustituto);
    if (!valor) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, kRazonWindows);
        return kFallo;
    }
    if (valor->empty()) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, kRazonSustitutoVacio);
        return kFallo;
    }
    // A replacement may hold wrong characters: the rows further down correct
    // them, as they do for a remembered replacement in the window. Only a
    // line break cannot stand in a store line.
    if (valor->find_first_of("\r\n") != std::string::npos) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, kRazonSustitutoSalto);
        return kFallo;
    }
    // The store gives back at most 127 bytes.
    if (valor->size() > 127) {
        Error(textos::CaracterIncorrecto);
        Detalle(sustituto, kRazonSustitutoLargo);
        return kFallo;
    }
    if (m_almacen.GuardarSolucion(textos::SeccionLista, Clave(*c), *valor) == 0) {
        Error(textos::SalidaIncorrecta);
        Detalle(m_almacen.Ruta(), kRazonNoSeGuarda);
        return kFallo;
    }
    return kBien;
}

bool EsOpcion(std::string_view a) {
    return a.size() > 1 && a[0] == '-';
}

} // namespace

int EjecutarLineaDeOrdenes(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Opciones op;
    bool hayAlmacen = false;
    std::size_t i = 0;

    // Options before the command.
    for (; i < args.size() && EsOpcion(args[i]); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            Poner(STDOUT_FILENO, kAyuda);
            return kBien;
        }
        if (a == "--version") {
            Poner(STDOUT_FILENO, "tildora " TILDORA_VERSION "\n");
            return kBien;
        }
        if (a == "--store" && i + 1 == args.size()) {
            return Uso(kFaltaValor, a);
        }
        if (a == "--store" && !hayAlmacen) {
            op.rutaAlmacen = args[++i];
            hayAlmacen = true;
        } else if (a.rfind("--store=", 0) == 0 && !hayAlmacen) {
            op.rutaAlmacen = a.substr(8);
            hayAlmacen = true;
        } else {
            return Uso(kOpcionDesconocida, a);
        }
    }
    if (i == args.size()) {
        return Uso(kFaltaOrden);
    }
    const std::string orden = args[i++];

    // The command's own options may stand anywhere among its arguments;
    // "--" ends them.
    std::vector<std::string> resto;
    std::optional<std::string> carpeta;
    bool finOpciones = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (finOpciones || !EsOpcion(a)) {
            resto.push_back(a);
        } else if (a == "--") {
            finOpciones = true;
        } else if (a == "--help" || a == "-h") {
            Poner(STDOUT_FILENO, kAyuda);
            return kBien;
        } else if (a == "--version") {
            Poner(STDOUT_FILENO, "tildora " TILDORA_VERSION "\n");
            return kBien;
        } else if (orden == "fix" && a == "--out-dir" && i + 1 == args.size()) {
            return Uso(kFaltaValor, a);
        } else if (orden == "fix" && a == "--force") {
            op.forzar = true;
        } else if (orden == "fix" && a == "--out-dir" && i + 1 < args.size() && !carpeta) {
            carpeta = args[++i];
        } else if (orden == "fix" && a.rfind("--out-dir=", 0) == 0 && !carpeta) {
            carpeta = a.substr(10);
        } else if (orden == "check" || orden == "fix" || orden == "remember") {
            return Uso(kOpcionDesconocida, a);
        }
    }

    if (orden != "check" && orden != "fix" && orden != "remember") {
        return Uso(kOrdenDesconocida, orden);
    }
    const bool cuentaBien = orden == "check" ? !resto.empty()
                            : orden == "fix" ? (carpeta ? !resto.empty() : resto.size() == 2)
                                             : resto.size() == 2;
    if (!cuentaBien) {
        return Uso(kCuentaArgumentos, orden);
    }

    if (!hayAlmacen) {
        op.rutaAlmacen = RutaAlmacenPorDefecto();
    }
    op.modoCarpeta = carpeta.has_value();
    LineaDeOrdenes lo(op);
    if (orden == "check") {
        return lo.Check(resto);
    }
    if (orden == "remember") {
        return lo.Remember(resto[0], resto[1]);
    }
    if (carpeta) {
        return lo.FixCarpeta(*carpeta, resto);
    }
    return lo.Fix(resto[0], resto[1]);
}

} // namespace tildora
