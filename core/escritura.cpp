#include "core/escritura.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace tildora {

namespace {

// Writeback of a large output starts while the rest is still being written,
// so the final flush to disk has little left to wait for.
constexpr std::uint64_t kEnvioAlDisco = std::uint64_t{8} << 20;

// The temporary files open now, for the signal handler, which can use
// nothing else. This is the program's one piece of state outside its state
// object: a handler cannot be given one. A slot is claimed (1), then filled
// and made visible (2); the handler reads only visible slots.
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

std::string Carpeta(const std::string& ruta) {
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? std::string() : ruta.substr(0, barra + 1);
}

// Names for a finished unnamed file that must replace its target: a second
// name cannot replace a file, a rename can.
std::string NombreTemporal() {
    static constexpr char kLetras[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char azar[6] = {};
    if (::getrandom(azar, sizeof azar, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof azar)) {
        // Any name will do: one that is taken is simply tried again.
        timespec t{};
        ::clock_gettime(CLOCK_MONOTONIC, &t);
        const auto semilla = static_cast<unsigned long long>(t.tv_nsec) ^
                             (static_cast<unsigned long long>(::getpid()) << 20);
        for (std::size_t i = 0; i < sizeof azar; ++i) {
            azar[i] = static_cast<unsigned char>(semilla >> (8 * i));
        }
    }
    std::string nombre = ".tildora-";
    for (unsigned char b : azar) {
        nombre += kLetras[b % (sizeof kLetras - 1)];
    }
    return nombre;
}

// Whether a file opened without a name can later be given one: through its
// descriptor for a privileged process, through /proc for anyone.
bool SePuedeNombrarAnonimo() {
    return ::geteuid() == 0 || ::access("/proc/self/fd", X_OK) == 0;
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

} // namespace

bool DestinoDeEnlace(const std::string& enlace, std::string& destino) {
    std::string actual = enlace;
    for (int paso = 0; paso < 40; ++paso) {
        struct stat st {};
        if (::lstat(actual.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            destino = actual;
            return true;
        }
        std::string apunta(PATH_MAX, '\0');
        const ssize_t n = ::readlink(actual.c_str(), apunta.data(), apunta.size());
        if (n < 0) {
            return false;
        }
        if (n == 0 || static_cast<std::size_t>(n) >= apunta.size()) {
            errno = n == 0 ? ENOENT : ENAMETOOLONG;
            return false;
        }
        apunta.resize(static_cast<std::size_t>(n));
        actual = apunta.front() == '/' ? apunta : Carpeta(actual) + apunta;
    }
    errno = ELOOP;
    return false;
}

bool EscribirTodo(int fd, const char* datos, std::size_t n) {
    while (n > 0) {
        const std::size_t pedir = n < (std::size_t{1} << 30) ? n : (std::size_t{1} << 30);
        const ssize_t r = ::write(fd, datos, pedir);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        datos += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

EscrituraSegura::~EscrituraSegura() {
    Descartar();
}

void EscrituraSegura::Descartar() {
    if (m_fd >= 0) {
        ::close(m_fd); // an unnamed file goes with its last descriptor
        m_fd = -1;
    }
    m_anonimo = false;
    if (!m_temporal.empty()) {
        const SinSenales bloqueo;
        ::unlink(m_temporal.c_str());
        m_temporal.clear();
        Olvidar(m_hueco);
    }
}

bool EscrituraSegura::Fallo(const std::string& que) {
    m_error = que + ": " + std::strerror(errno);
    Descartar();
    return false;
}

bool EscrituraSegura::Abrir(const std::string& ruta, bool reemplazar) {
    Descartar();
    m_error.clear();
    m_escrito = 0;
    m_enviado = 0;
    m_reemplazar = reemplazar;
    m_ocupado = false;
    if (ruta.empty()) {
        errno = ENOENT;
        return Fallo("\"\"");
    }
    m_destino = ruta;
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        !DestinoDeEnlace(ruta, m_destino)) {
        return Fallo(ruta);
    }
    m_existia = ::stat(m_destino.c_str(), &st) == 0;
    if (m_existia && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return Fallo(ruta);
    }
    if (m_existia && !reemplazar) {
        m_ocupado = true;
        errno = EEXIST;
        return Fallo(ruta);
    }
    // The rename needs only the folder's permission; the file's own is what
    // says whether it may be replaced.
    if (m_existia && ::access(m_destino.c_str(), W_OK) != 0) {
        return Fallo(ruta);
    }
    if (m_destino.back() == '/') {
        errno = EISDIR;
        return Fallo(ruta);
    }
    const std::string carpeta = Carpeta(m_destino);
    m_anonimo = false;
    if (!m_conNombre && SePuedeNombrarAnonimo()) {
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
        if (m_fd >= 0) {
            m_hueco = Anotar(m_temporal);
        }
    }
    if (m_fd < 0) {
        m_temporal.clear();
        return Fallo(ruta);
    }
    // A replaced file keeps its permissions (and, where allowed, its owner);
    // a new one gets the usual ones for the user's mask.
    if (m_existia) {
        m_modo = st.st_mode & 07777;
        m_dueno = st.st_uid;
        m_grupo = st.st_gid;
    } else {
        const mode_t mascara = ::umask(0);
        ::umask(mascara);
        m_modo = 0666 & ~mascara;
    }
    return true;
}

bool EscrituraSegura::Escribir(const char* datos, std::size_t n) {
    if (m_fd < 0) {
        return false;
    }
    if (!EscribirTodo(m_fd, datos, n)) {
        return Fallo(m_destino);
    }
    m_escrito += n;
#ifdef __linux__
    if (m_escrito - m_enviado >= kEnvioAlDisco) {
        ::sync_file_range(m_fd, static_cast<off_t>(m_enviado),
                          static_cast<off_t>(m_escrito - m_enviado), SYNC_FILE_RANGE_WRITE);
        m_enviado = m_escrito;
    }
#endif
    return true;
}

bool EscrituraSegura::Confirmar() {
    if (m_fd < 0) {
        return false;
    }
    if (m_existia) {
        // Only root may give a file away; for anyone else this keeps the
        // group where the user belongs to it, and otherwise changes nothing.
        [[maybe_unused]] const int ignorado = ::fchown(m_fd, m_dueno, m_grupo);
    }
    if (::fchmod(m_fd, static_cast<mode_t>(m_modo)) != 0 || ::fsync(m_fd) != 0) {
        return Fallo(m_destino);
    }
    if (!(m_anonimo ? NombrarAnonimo() : Nombrar())) {
        return false;
    }
    // The new name itself reaches the disk with its folder.
    const std::string carpeta = Carpeta(m_destino);
    const int dir =
        ::open(carpeta.empty() ? "." : carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool EscrituraSegura::Nombrar() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return Fallo(m_destino);
    }
    const SinSenales bloqueo;
    const int r = m_reemplazar ? ::rename(m_temporal.c_str(), m_destino.c_str())
                               : RenombrarSinReemplazar(m_temporal.c_str(), m_destino.c_str());
    if (r != 0) {
        m_ocupado = errno == EEXIST;
        return Fallo(m_destino);
    }
    m_temporal.clear();
    Olvidar(m_hueco);
    return true;
}

bool EscrituraSegura::NombrarAnonimo() {
    {
        const SinSenales bloqueo;
        if (!m_reemplazar) {
            if (!Enlazar(m_fd, m_destino)) {
                m_ocupado = errno == EEXIST;
                return Fallo(m_destino);
            }
        } else {
            // A name of its own for an instant, then renamed over the target.
            for (int intento = 0;; ++intento) {
                m_temporal = Carpeta(m_destino) + NombreTemporal();
                if (Enlazar(m_fd, m_temporal)) {
                    m_hueco = Anotar(m_temporal);
                    break;
                }
                const int e = errno;
                m_temporal.clear();
                if (e != EEXIST || intento == 100) {
                    errno = e;
                    return Fallo(m_destino);
                }
            }
            if (::rename(m_temporal.c_str(), m_destino.c_str()) != 0) {
                return Fallo(m_destino);
            }
            m_temporal.clear();
            Olvidar(m_hueco);
        }
    }
    // Flushed before it was named; the name is all that is left to do.
    ::close(m_fd);
    m_fd = -1;
    m_anonimo = false;
    return true;
}

void BorrarTemporalesAlInterrumpir() {
    // Past a file-size limit a write fails with its reason (EFBIG) instead
    // of the program ending without a word.
    struct sigaction limite {};
    if (::sigaction(SIGXFSZ, nullptr, &limite) == 0 && limite.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
    for (int senal : kSenales) {
        struct sigaction antes {};
        if (::sigaction(senal, nullptr, &antes) != 0 || antes.sa_handler != SIG_DFL) {
            continue; // ignored, or someone else's handler: left as it is
        }
        struct sigaction accion {};
        accion.sa_handler = AlInterrumpir;
        sigemptyset(&accion.sa_mask);
        accion.sa_flags = SA_RESETHAND;
        ::sigaction(senal, &accion, nullptr);
    }
}

bool EscribirFicheroSeguro(const std::string& ruta, std::string_view datos, std::string* error) {
    EscrituraSegura escritura;
    const bool bien = escritura.Abrir(ruta) && escritura.Escribir(datos.data(), datos.size()) &&
                      escritura.Confirmar();
    if (!bien && error != nullptr) {
        *error = escritura.Error();
    }
    return bien;
}

} // namespace tildora
