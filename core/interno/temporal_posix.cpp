// Temporary files, the store's lock and the signals that end the program,
// on Linux and other POSIX systems.

#include "core/interno/plataforma.h"
#include "core/interno/plataforma_posix.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <signal.h>
#include <string_view>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace tildora::sistema {

using posix::SinInterrupciones;

namespace {

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

// The mark a temporary file carries while it has a name of ours, where the
// file system keeps extended attributes: a user's file never has it by
// accident, whatever its name.
constexpr char kMarca[] = "user.tildora.temporal";
constexpr char kValorMarca[] = "tildora";

void Marcar(int fd) {
    // Where the file system keeps no such attributes, its name and its
    // owner say whose it is.
    ::fsetxattr(fd, kMarca, kValorMarca, sizeof kValorMarca - 1, 0);
}

// Once the file has its final name, it is the user's and carries nothing
// of ours.
void Desmarcar(int fd) {
    ::fremovexattr(fd, kMarca);
}

// Whether the open file `fd`, described by `st`, is a temporary file this
// user's copy of the program made: its name was checked already; it must be
// an ordinary file of the user's own, with the mark where the file system
// keeps marks. A writer killed between making its file and marking it
// leaves it empty and unmarked: taking such a file away loses nothing.
bool EsPropio(int fd, const struct stat& st, uid_t usuario) {
    if (!S_ISREG(st.st_mode) || st.st_uid != usuario) {
        return false;
    }
    char valor[sizeof kValorMarca] = {};
    const ssize_t n = ::fgetxattr(fd, kMarca, valor, sizeof valor);
    if (n >= 0) {
        return static_cast<std::size_t>(n) == sizeof kValorMarca - 1 &&
               std::memcmp(valor, kValorMarca, sizeof kValorMarca - 1) == 0;
    }
    return errno == ENOTSUP || errno == ENOSYS || (errno == ENODATA && st.st_size == 0);
}

// Random bytes for a temporary file's name.
void Azar(unsigned char (&azar)[kAzarTemporal], int intento) {
    if (::getrandom(azar, sizeof azar, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof azar)) {
        return;
    }
    // Any name will do: one that is taken is simply tried again.
    std::uint64_t x =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 20) ^ static_cast<std::uint64_t>(intento);
    for (unsigned char& b : azar) {
        x = x * 6364136223846793005u + 1442695040888963407u;
        b = static_cast<unsigned char>(x >> 56);
    }
}

// Gives the open unnamed file `fd`, locked, a hidden name of its own in
// `carpeta`, for a finished file that must replace its target. 0 or the
// error number.
int NombrarAlAzar(int fd, const std::string& carpeta, std::string& nombre) {
    for (int intento = 0;; ++intento) {
        unsigned char azar[kAzarTemporal] = {};
        Azar(azar, intento);
        nombre = carpeta + NombreTemporal(azar);
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

bool MismoNodo(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

int posix::CrearBloqueado(const std::string& carpeta, std::string& nombre) {
    for (int intento = 0;; ++intento) {
        unsigned char azar[kAzarTemporal] = {};
        Azar(azar, intento);
        nombre = carpeta + NombreTemporal(azar);
        const int fd =
            ::open(nombre.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int e = errno;
            nombre.clear();
            if (e == EEXIST && intento < 100) {
                continue;
            }
            errno = e;
            return -1;
        }
        // Marked once locked: a clean-up never takes it before that, where
        // the file system keeps marks. Elsewhere only a clean-up that found
        // the name before the lock can hold it, and only for as long as it
        // takes to remove the file. A file system without locks has no
        // clean-up either.
        SinInterrupciones([&] { return ::flock(fd, LOCK_EX); });
        Marcar(fd);
        struct stat propio {};
        struct stat ahora {};
        if (::fstat(fd, &propio) == 0 && ::lstat(nombre.c_str(), &ahora) == 0 &&
            MismoNodo(propio, ahora)) {
            return fd;
        }
        ::close(fd); // removed by a clean-up that took it for dead: a new one
    }
}

int LimpiarTemporales(const std::string& carpeta) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir(carpeta.empty() ? "." : carpeta.c_str()), &::closedir);
    if (!dir) {
        return 0;
    }
    const int d = ::dirfd(dir.get());
    const uid_t usuario = ::geteuid();
    int quitados = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        if (!EsNombreTemporal(e->d_name)) {
            continue;
        }
        // Another user's file is not even opened.
        struct stat antes {};
        if (::fstatat(d, e->d_name, &antes, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(antes.st_mode) ||
            antes.st_uid != usuario) {
            continue;
        }
        const int fd =
            ::openat(d, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            continue; // gone already, or not ours to open
        }
        struct stat propio {};
        struct stat ahora {};
        // Ours, and the lock had: its writer is gone. The name must still
        // be that file's: the writer may have renamed it away before it
        // let go.
        if (::fstat(fd, &propio) == 0 && MismoNodo(antes, propio) &&
            EsPropio(fd, propio, usuario) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(d, e->d_name, &ahora, AT_SYMLINK_NOFOLLOW) == 0 && MismoNodo(propio, ahora) &&
            ::unlinkat(d, e->d_name, 0) == 0) {
            ++quitados;
        }
        ::close(fd);
    }
    return quitados;
}

int Archivo::CrearAnonimo(const std::string& carpeta) {
    Cerrar();
    m_propio = true;
    // O_EXCL: it can never be given a name.
    m_fd = ::open(carpeta.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return errno;
    }
    // No unnamed files there: a locked hidden name, removed at once; one
    // left by a program killed in that instant goes with the next.
    const std::string dentro = carpeta.empty() || carpeta.back() == '/' ? carpeta : carpeta + '/';
    LimpiarTemporales(dentro);
    std::string nombre;
    const SinSenales bloqueo;
    m_fd = posix::CrearBloqueado(dentro, nombre);
    if (m_fd < 0) {
        return errno;
    }
    ::unlink(nombre.c_str());
    return 0;
}

void Temporal::Descartar() {
    if (!m_temporal.empty()) {
        // Removed while still locked, so no clean-up can take a new file
        // of that name for this one.
        const SinSenales bloqueo;
        ::unlink(m_temporal.c_str());
        m_temporal.clear();
        Olvidar(m_hueco);
    }
    if (m_fd >= 0) {
        ::close(std::exchange(m_fd, -1)); // an unnamed file goes with its last descriptor
    }
    m_anonimo = false;
}

int Temporal::Crear(const std::string& carpeta, bool conNombre) {
    Descartar();
    m_escrito = 0;
    m_enviado = 0;
    LimpiarTemporales(carpeta);
    // An unnamed file can later be given a name through its descriptor by a
    // privileged process, through /proc by anyone.
    if (!conNombre && (::geteuid() == 0 || ::access("/proc/self/fd", X_OK) == 0)) {
        m_fd =
            ::open(carpeta.empty() ? "." : carpeta.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        m_anonimo = m_fd >= 0;
        // Locked before it can ever have a name.
        if (m_anonimo) {
            SinInterrupciones([&] { return ::flock(m_fd, LOCK_EX); });
            Marcar(m_fd); // for the instant it has a name of ours
        }
    }
    if (!m_anonimo) {
        // A short fixed name: the target's own name may already be as long
        // as a name can be.
        const SinSenales bloqueo;
        m_fd = posix::CrearBloqueado(carpeta, m_temporal);
        if (m_fd < 0) {
            return errno;
        }
        m_hueco = Anotar(m_temporal);
    }
    return 0;
}

int Temporal::Escribir(const char* datos, std::size_t n) {
    if (!posix::EscribirTodo(m_fd, datos, n)) {
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
    // Only root may give a file away; anyone else keeps at least the group
    // where the user belongs to it, so that a file shared in a group stays
    // shared.
    if (conDueno && ::fchown(m_fd, dueno, grupo) != 0) {
        [[maybe_unused]] const int ignorado = ::fchown(m_fd, static_cast<uid_t>(-1), grupo);
    }
    return ::fchmod(m_fd, static_cast<mode_t>(modo)) != 0 || ::fsync(m_fd) != 0 ? errno : 0;
}

int Temporal::Nombrar(const std::string& destino, bool reemplazar) {
    // The file stays open, and so locked, until it has its final name.
    {
        const SinSenales bloqueo;
        if (!m_anonimo) {
            const int r = reemplazar ? ::rename(m_temporal.c_str(), destino.c_str())
                                     : RenombrarSinReemplazar(m_temporal.c_str(), destino.c_str());
            if (r != 0) {
                return errno;
            }
        } else if (reemplazar) {
            // A name of its own for an instant, then renamed over the target.
            if (const int e = NombrarAlAzar(m_fd, posix::Carpeta(destino), m_temporal); e != 0) {
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
    Desmarcar(m_fd);
    // Flushed before it was named: closing can lose nothing now.
    ::close(std::exchange(m_fd, -1));
    m_anonimo = false;
    // The new name itself reaches the disk with its folder.
    const std::string carpeta = posix::Carpeta(destino);
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

Cerrojo::Cerrojo(const std::string& ruta, unsigned modo, int grupo) {
    const int sinEsperar = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    while (m_fd < 0) {
        m_fd = ::open(ruta.c_str(), sinEsperar);
        if (m_fd < 0 && errno == ENOENT) {
            m_fd = ::open(ruta.c_str(), sinEsperar | O_CREAT | O_EXCL, 0600);
            if (m_fd < 0 && errno == EEXIST) {
                continue; // made by another program meanwhile
            }
            if (m_fd >= 0) {
                // The store's group and bits, whatever the user's mask.
                if (grupo >= 0) {
                    [[maybe_unused]] const int g =
                        ::fchown(m_fd, static_cast<uid_t>(-1), static_cast<gid_t>(grupo));
                }
                ::fchmod(m_fd, static_cast<mode_t>(modo & 0666));
            }
        }
        if (m_fd < 0) {
            m_codigo = errno;
            return;
        }
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        m_codigo = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(std::exchange(m_fd, -1));
        return;
    }
    int r = SinInterrupciones([&] { return ::flock(m_fd, LOCK_EX); });
    if (r != 0 && errno == EBADF) {
        // NFS locks a file opened for writing only.
        ::close(std::exchange(m_fd, ::open(ruta.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC)));
        r = m_fd < 0 ? -1 : SinInterrupciones([&] { return ::flock(m_fd, LOCK_EX); });
    }
    if (r != 0) {
        m_codigo = errno;
        if (m_fd >= 0) {
            ::close(std::exchange(m_fd, -1));
        }
    }
}

Cerrojo::~Cerrojo() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

} // namespace tildora::sistema
