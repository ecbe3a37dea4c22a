// The operating system's calls on Linux and other POSIX systems.

#include "core/interno/plataforma.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tildora::sistema {

namespace {

// Repeats a call that a signal interrupted.
template <typename Llamada> auto SinInterrupciones(Llamada llamada) {
    for (;;) {
        const auto r = llamada();
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

// 0 with `f` filled in from `st`, or the error number of the call (`llamada`,
// its result) that was to fill `st` in.
int Fichar(int llamada, const struct stat& st, Ficha& f) {
    if (llamada != 0) {
        return errno;
    }
    f.tipo = S_ISREG(st.st_mode)   ? Ficha::Tipo::Ordinario
             : S_ISDIR(st.st_mode) ? Ficha::Tipo::Carpeta
             : S_ISLNK(st.st_mode) ? Ficha::Tipo::Enlace
                                   : Ficha::Tipo::Otro;
    f.tamano = st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    f.dispositivo = static_cast<std::uint64_t>(st.st_dev);
    f.nodo = static_cast<std::uint64_t>(st.st_ino);
    f.sello[0] = st.st_mtim.tv_sec;
    f.sello[1] = st.st_mtim.tv_nsec;
    f.sello[2] = st.st_ctim.tv_sec;
    f.sello[3] = st.st_ctim.tv_nsec;
    f.modo = st.st_mode & 07777;
    f.dueno = st.st_uid;
    f.grupo = st.st_gid;
    return 0;
}

std::string Carpeta(const std::string& ruta) {
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? std::string() : ruta.substr(0, barra + 1);
}

// Writeback of a large output starts while the rest is still being written,
// so the final flush to disk has little left to wait for.
constexpr std::uint64_t kEnvioAlDisco = std::uint64_t{8} << 20;

// The named temporary files open now, for the signal handler, which can use
// nothing else: this is the program's one piece of state outside its state
// object, as a handler cannot be given one. A slot is claimed (1), then
// filled and made visible (2); the handler reads only visible slots.
constexpr int kHuecos = 4;
// Every signal that ends a program by default and can be caught, but for the
// program's own faults (a crash is a crash) and a file-size limit, which is
// turned into a write failure instead.
constexpr int kSenales[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1,
                            SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE};
struct Hueco {
    std::atomic<int> estado{0};
    char ruta[PATH_MAX] = {};
};
Hueco g_temporales[kHuecos];

extern "C" void AlInterrumpir(int senal) {
    for (Hueco& h : g_temporales) {
        if (h.estado.load(std::memory_order_acquire) == 2) {
            ::unlink(h.ruta);
        }
    }
    // The handler was reset to the default on entry: the signal, raised
    // again, ends the program once this returns, with the usual status.
    ::raise(senal);
}

// Keeps those signals away from this thread while a temporary file is
// created or renamed and its slot changes.
class SinSenales {
public:
    SinSenales() {
        sigset_t senales;
        sigemptyset(&senales);
        for (int s : kSenales) {
            sigaddset(&senales, s);
        }
        pthread_sigmask(SIG_BLOCK, &senales, &m_antes);
    }
    ~SinSenales() { pthread_sigmask(SIG_SETMASK, &m_antes, nullptr); }
    SinSenales(const SinSenales&) = delete;
    SinSenales& operator=(const SinSenales&) = delete;

private:
    sigset_t m_antes{};
};

int Anotar(const std::string& ruta) {
    if (ruta.size() >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kHuecos; ++i) {
        int libre = 0;
        if (g_temporales[i].estado.compare_exchange_strong(libre, 1)) {
            std::memcpy(g_temporales[i].ruta, ruta.c_str(), ruta.size() + 1);
            g_temporales[i].estado.store(2, std::memory_order_release);
            return i;
        }
    }
    return -1; // more files open at once than ever happens: not cleaned up
}

void Olvidar(int& hueco) {
    if (hueco >= 0) {
        g_temporales[hueco].estado.store(0, std::memory_order_release);
        hueco = -1;
    }
}

// Gives the open unnamed file `fd` the name `destino`; never replaces a file
// (EEXIST).
bool Enlazar(int fd, const std::string& destino) {
    if (::linkat(fd, "", AT_FDCWD, destino.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    const std::string propio = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, propio.c_str(), AT_FDCWD, destino.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Gives the open unnamed file `fd` a hidden name of its own in `carpeta`, for
// a finished file that must replace its target: a second name cannot replace
// a file, a rename can. 0 or the error number.
int NombrarAlAzar(int fd, const std::string& carpeta, std::string& nombre) {
    static constexpr char kLetras[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int intento = 0;; ++intento) {
        unsigned char azar[6] = {};
        if (::getrandom(azar, sizeof azar, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof azar)) {
            // Any name will do: one that is taken is simply tried again.
            const auto semilla = static_cast<std::uint64_t>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                 (static_cast<std::uint64_t>(::getpid()) << 20);
            std::memcpy(azar, &semilla, sizeof azar);
        }
        nombre = carpeta + ".tildora-";
        for (unsigned char b : azar) {
            nombre += kLetras[b % (sizeof kLetras - 1)];
        }
        if (Enlazar(fd, nombre)) {
            return 0;
        }
        const int e = errno;
        nombre.clear();
        if (e != EEXIST || intento == 100) {
            return e;
        }
    }
}

// rename() that never replaces a file (EEXIST), on file systems with or
// without the system's own way to say so.
int RenombrarSinReemplazar(const char* de, const char* a) {
    if (::renameat2(AT_FDCWD, de, AT_FDCWD, a, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return -1;
    }
    // A second name cannot replace a file either; then the first one goes.
    if (::link(de, a) == 0) {
        ::unlink(de);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) {
        return -1;
    }
    // A file system without links: the check and the rename are two steps.
    struct stat st {};
    if (::lstat(a, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(de, a);
}

bool EscribirTodo(int fd, const char* datos, std::size_t n) {
    while (n > 0) {
        const ssize_t r = SinInterrupciones(
            [&] { return ::write(fd, datos, std::min(n, std::size_t{1} << 30)); });
        if (r < 0) {
            return false;
        }
        datos += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

} // namespace

bool Ficha::MismoContenido(const Ficha& otra) const {
    return tamano == otra.tamano && std::equal(std::begin(sello), std::end(sello), otra.sello);
}

int Consultar(const std::string& ruta, Ficha& ficha, bool seguirEnlaces) {
    struct stat st {};
    return Fichar(seguirEnlaces ? ::stat(ruta.c_str(), &st) : ::lstat(ruta.c_str(), &st), st,
                  ficha);
}

bool SePuedeEscribir(const std::string& ruta) {
    // Making a file in a folder takes search permission as well.
    struct stat st {};
    const int modo = ::stat(ruta.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? W_OK | X_OK : W_OK;
    return ::access(ruta.c_str(), modo) == 0;
}

int DestinoDeEnlace(const std::string& enlace, std::string& destino) {
    std::string actual = enlace;
    for (int paso = 0; paso < 40; ++paso) {
        struct stat st {};
        if (::lstat(actual.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            destino = actual;
            return 0;
        }
        std::string apunta(PATH_MAX, '\0');
        const ssize_t n = ::readlink(actual.c_str(), apunta.data(), apunta.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= apunta.size()) {
            return n < 0 ? errno : n == 0 ? ENOENT : ENAMETOOLONG;
        }
        apunta.resize(static_cast<std::size_t>(n));
        actual = apunta.front() == '/' ? apunta : Carpeta(actual) + apunta;
    }
    return ELOOP;
}

bool ListarCarpeta(const std::string& carpeta,
                   const std::function<bool(const std::string&)>& seguir) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir(carpeta.empty() ? "." : carpeta.c_str()), &::closedir);
    if (!dir) {
        return false;
    }
    while (const dirent* e = ::readdir(dir.get())) {
        if (!seguir(e->d_name)) {
            break;
        }
    }
    return true;
}

Archivo::Archivo(Archivo&& otro) noexcept
    : m_fd(std::exchange(otro.m_fd, -1)), m_propio(otro.m_propio) {}

Archivo& Archivo::operator=(Archivo&& otro) noexcept {
    if (this != &otro) {
        Cerrar();
        m_fd = std::exchange(otro.m_fd, -1);
        m_propio = otro.m_propio;
    }
    return *this;
}

void Archivo::Cerrar() {
    if (m_propio && m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = -1;
}

int Archivo::AbrirLectura(const std::string& ruta, bool sinEsperar) {
    Cerrar();
    m_fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (sinEsperar ? O_NONBLOCK : 0));
    m_propio = true;
    if (m_fd < 0) {
        return errno;
    }
    // Only the open was not to wait; an ordinary file reads as ever.
    if (const int banderas = sinEsperar ? ::fcntl(m_fd, F_GETFL) : -1; banderas >= 0) {
        ::fcntl(m_fd, F_SETFL, banderas & ~O_NONBLOCK);
    }
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return 0;
}

Archivo Archivo::EntradaEstandar() {
    return Archivo(STDIN_FILENO, false);
}

Archivo Archivo::SalidaEstandar() {
    return Archivo(STDOUT_FILENO, false);
}

Archivo Archivo::SalidaError() {
    return Archivo(STDERR_FILENO, false);
}

int Archivo::Describir(Ficha& ficha) const {
    struct stat st {};
    return Fichar(::fstat(m_fd, &st), st, ficha);
}

long Archivo::Leer(char* destino, std::size_t n) {
    return SinInterrupciones([&] { return ::read(m_fd, destino, n); });
}

long Archivo::LeerEn(std::uint64_t posicion, char* destino, std::size_t n) {
    return SinInterrupciones(
        [&] { return ::pread(m_fd, destino, n, static_cast<off_t>(posicion)); });
}

bool Archivo::Posicion(std::uint64_t& posicion) const {
    const off_t p = ::lseek(m_fd, 0, SEEK_CUR);
    posicion = p < 0 ? 0 : static_cast<std::uint64_t>(p);
    return p >= 0;
}

bool Archivo::Situar(std::uint64_t posicion) {
    return ::lseek(m_fd, static_cast<off_t>(posicion), SEEK_SET) >= 0;
}

bool Archivo::EscribirTodo(const char* datos, std::size_t n) {
    return sistema::EscribirTodo(m_fd, datos, n);
}

void Temporal::Descartar() {
    if (m_fd >= 0) {
        ::close(std::exchange(m_fd, -1)); // an unnamed file goes with its last descriptor
    }
    if (!m_temporal.empty()) {
        const SinSenales bloqueo;
        ::unlink(m_temporal.c_str());
        m_temporal.clear();
        Olvidar(m_hueco);
    }
    m_anonimo = false;
}

int Temporal::Crear(const std::string& carpeta, bool conNombre) {
    Descartar();
    m_escrito = 0;
    m_enviado = 0;
    // An unnamed file can later be given a name through its descriptor by a
    // privileged process, through /proc by anyone.
    if (!conNombre && (::geteuid() == 0 || ::access("/proc/self/fd", X_OK) == 0)) {
        m_fd =
            ::open(carpeta.empty() ? "." : carpeta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        m_anonimo = m_fd >= 0;
    }
    if (!m_anonimo) {
        // A short fixed name: the target's own name may already be as long
        // as a name can be.
        m_temporal = carpeta + ".tildora-XXXXXX";
        const SinSenales bloqueo;
        m_fd = ::mkostemp(m_temporal.data(), O_CLOEXEC);
        if (m_fd < 0) {
            const int e = errno;
            m_temporal.clear();
            return e;
        }
        m_hueco = Anotar(m_temporal);
    }
    return 0;
}

int Temporal::Escribir(const char* datos, std::size_t n) {
    if (!EscribirTodo(m_fd, datos, n)) {
        return errno;
    }
    m_escrito += n;
    if (m_escrito - m_enviado >= kEnvioAlDisco) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_enviado),
                          static_cast<off_t>(m_escrito - m_enviado), SYNC_FILE_RANGE_WRITE);
        m_enviado = m_escrito;
    }
    return 0;
}

int Temporal::Terminar(unsigned modo, bool conDueno, unsigned dueno, unsigned grupo) {
    if (conDueno) {
        // Only root may give a file away; for anyone else this keeps the
        // group where the user belongs to it, and otherwise changes nothing.
        [[maybe_unused]] const int ignorado = ::fchown(m_fd, dueno, grupo);
    }
    return ::fchmod(m_fd, static_cast<mode_t>(modo)) != 0 || ::fsync(m_fd) != 0 ? errno : 0;
}

int Temporal::Nombrar(const std::string& destino, bool reemplazar) {
    {
        const SinSenales bloqueo;
        if (!m_anonimo) {
            if (::close(std::exchange(m_fd, -1)) != 0) {
                return errno;
            }
            const int r = reemplazar ? ::rename(m_temporal.c_str(), destino.c_str())
                                     : RenombrarSinReemplazar(m_temporal.c_str(), destino.c_str());
            if (r != 0) {
                return errno;
            }
        } else if (reemplazar) {
            // A name of its own for an instant, then renamed over the target.
            if (const int e = NombrarAlAzar(m_fd, Carpeta(destino), m_temporal); e != 0) {
                return e;
            }
            m_hueco = Anotar(m_temporal);
            if (::rename(m_temporal.c_str(), destino.c_str()) != 0) {
                return errno;
            }
        } else if (!Enlazar(m_fd, destino)) {
            return errno;
        }
        m_temporal.clear();
        Olvidar(m_hueco);
    }
    if (m_fd >= 0) {
        ::close(std::exchange(m_fd, -1)); // flushed before it was named
    }
    m_anonimo = false;
    // The new name itself reaches the disk with its folder.
    const std::string carpeta = Carpeta(destino);
    const int dir =
        ::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

void PrepararSenales() {
    // Past a file-size limit a write fails with its reason (EFBIG) instead
    // of the program ending without a word.
    struct sigaction limite {};
    if (::sigaction(SIGXFSZ, nullptr, &limite) == 0 && limite.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
    for (int senal : kSenales) {
        // One ignored, or with someone else's handler, is left as it is.
        struct sigaction accion {};
        if (::sigaction(senal, nullptr, &accion) == 0 && accion.sa_handler == SIG_DFL) {
            accion.sa_handler = AlInterrumpir;
            sigemptyset(&accion.sa_mask);
            accion.sa_flags = SA_RESETHAND;
            ::sigaction(senal, &accion, nullptr);
        }
    }
}

unsigned PermisosNuevos() {
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    return 0666 & ~mascara;
}

// caracteres.ini.lock beside the store, locked exclusively and removed by its
// holder before it lets go. Whoever then gets the lock of a removed lock file
// tries again with the one now there, so one holder at a time is ever sure.
Cerrojo::Cerrojo(const std::string& ruta) : m_ruta(ruta) {
    for (;;) {
        m_fd = ::open(m_ruta.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0) {
            m_codigo = errno;
            return;
        }
        if (SinInterrupciones([&] { return ::flock(m_fd, LOCK_EX); }) != 0) {
            m_codigo = errno;
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

void Cerrojo::Soltar(bool borrar) {
    if (m_fd >= 0) {
        if (borrar) {
            ::unlink(m_ruta.c_str());
        }
        ::close(std::exchange(m_fd, -1));
    }
}

std::uint64_t MemoriaDisponible() {
    std::ifstream info("/proc/meminfo");
    std::string nombre;
    std::uint64_t kib = 0;
    std::string unidad;
    while (info >> nombre >> kib >> unidad) {
        if (nombre == "MemAvailable:") {
            return kib * 1024;
        }
    }
    return UINT64_MAX;
}

std::string CarpetaPrograma() {
    std::error_code ec;
    const std::filesystem::path programa = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : programa.parent_path().string();
}

std::string CarpetaConfiguracion() {
    const auto absoluta = [](const char* ruta) { return ruta != nullptr && ruta[0] == '/'; };
    const auto dentro = [](std::string carpeta, const char* nombre) {
        return carpeta.back() == '/' ? carpeta + nombre : carpeta + '/' + nombre;
    };
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); absoluta(xdg)) {
        return dentro(xdg, "tildora");
    }
    const char* casa = std::getenv("HOME");
    if (!absoluta(casa)) {
        const passwd* pw = ::getpwuid(::getuid());
        casa = pw != nullptr ? pw->pw_dir : nullptr;
    }
    return absoluta(casa) ? dentro(casa, ".config/tildora") : std::string();
}

} // namespace tildora::sistema
