#include "salida.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildora::cli {

namespace {

// Writeback of a large output starts while the rest is still being
// produced, so the final flush to disk has little left to wait for.
constexpr std::uint64_t kEnvioAlDisco = std::uint64_t{8} << 20;

std::string Razon(const std::string& que) {
    return que + ": " + std::strerror(errno);
}

} // namespace

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

SalidaSegura::~SalidaSegura() {
    Descartar();
}

void SalidaSegura::Descartar() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporal.empty()) {
        ::unlink(m_temporal.c_str());
        m_temporal.clear();
    }
}

bool SalidaSegura::Abrir(const std::string& ruta) {
    m_destino = ruta;
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (::realpath(ruta.c_str(), real) != nullptr) {
            m_destino = real;
        }
    }
    const bool existe = ::stat(m_destino.c_str(), &st) == 0;
    if (existe && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        m_error = Razon(ruta);
        return false;
    }
    const std::size_t barra = m_destino.rfind('/');
    const std::string carpeta =
        barra == std::string::npos ? std::string() : m_destino.substr(0, barra + 1);
    // A short fixed name: the target's own name may already be as long as a
    // name can be.
    m_temporal = carpeta + ".tildora-XXXXXX";
    m_fd = ::mkostemp(m_temporal.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_error = Razon(ruta);
        m_temporal.clear();
        return false;
    }
    // A replaced file keeps its permissions; a new one gets the usual ones
    // for the user's mask.
    if (existe) {
        m_modo = st.st_mode & 07777;
    } else {
        const mode_t mascara = ::umask(0);
        ::umask(mascara);
        m_modo = 0666 & ~mascara;
    }
    return true;
}

bool SalidaSegura::Escribir(const char* datos, std::size_t n) {
    if (m_fd < 0) {
        return false;
    }
    if (!EscribirTodo(m_fd, datos, n)) {
        m_error = Razon(m_destino);
        Descartar();
        return false;
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

bool SalidaSegura::Confirmar() {
    if (m_fd < 0) {
        return false;
    }
    if (::fchmod(m_fd, static_cast<mode_t>(m_modo)) != 0 || ::fsync(m_fd) != 0) {
        m_error = Razon(m_destino);
        Descartar();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        m_error = Razon(m_destino);
        Descartar();
        return false;
    }
    if (::rename(m_temporal.c_str(), m_destino.c_str()) != 0) {
        m_error = Razon(m_destino);
        Descartar();
        return false;
    }
    m_temporal.clear();
    // The new name itself reaches the disk with its folder.
    const std::size_t barra = m_destino.rfind('/');
    const std::string carpeta =
        barra == std::string::npos ? std::string(".") : m_destino.substr(0, barra + 1);
    const int dir = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool SalidaEstandar::Escribir(const char* datos, std::size_t n) {
    if (!EscribirTodo(STDOUT_FILENO, datos, n)) {
        m_error = Razon("-");
        return false;
    }
    return true;
}

} // namespace tildora::cli
