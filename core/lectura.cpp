#include "core/lectura.h"

#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace tildora {

namespace {

ssize_t LeerSinInterrupcion(int fd, char* destino, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(fd, destino, n);
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

ResultadoLectura Fallo(FalloLectura fallo, int codigo) {
    return ResultadoLectura{fallo, codigo};
}

// What an error number of the system means for the reader.
ResultadoLectura FalloDelSistema(int codigo) {
    switch (codigo) {
    case ENOENT:
        return Fallo(FalloLectura::NoExiste, codigo);
    case EACCES:
    case EPERM:
        return Fallo(FalloLectura::SinPermiso, codigo);
    case EISDIR:
        return Fallo(FalloLectura::Carpeta, codigo);
    default:
        return Fallo(FalloLectura::Lectura, codigo);
    }
}

} // namespace

BufferAlineado::BufferAlineado(std::size_t n)
    : m_datos(static_cast<char*>(std::aligned_alloc(4096, (n + 4095) / 4096 * 4096))), m_tamano(n) {
    if (m_datos == nullptr) {
        throw std::bad_alloc();
    }
}

BufferAlineado::~BufferAlineado() {
    std::free(m_datos);
}

std::string RazonLectura(const ResultadoLectura& resultado) {
    if (resultado.fallo == FalloLectura::Grande) {
        return std::string(textos::RazonDemasiadoGrande);
    }
    if (resultado.fallo == FalloLectura::Codificacion) {
        return std::string(textos::RazonCodificacion);
    }
    return std::strerror(resultado.codigo);
}

Lector::~Lector() {
    if (m_propio && m_fd >= 0) {
        ::close(m_fd);
    }
}

ResultadoLectura Lector::Abrir(const std::string& ruta, bool soloOrdinario, std::uint64_t limite) {
    if (m_propio && m_fd >= 0) {
        ::close(m_fd);
    }
    m_limite = limite;
    // Without waiting, a pipe with no writer cannot hang the open; only
    // ordinary files are read afterwards. A pipe that is to be read is
    // opened the usual way, waiting for its writer.
    const int espera = soloOrdinario ? O_NONBLOCK : 0;
    m_fd = ruta.empty() ? -1 : ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | espera);
    m_propio = true;
    if (m_fd < 0) {
        return FalloDelSistema(ruta.empty() ? ENOENT : errno);
    }
    const ResultadoLectura r = Preparar();
    if (r && soloOrdinario) {
        if (!m_ordinario) {
            return Fallo(FalloLectura::NoRegular, EINVAL);
        }
        const int banderas = ::fcntl(m_fd, F_GETFL);
        if (banderas >= 0) {
            ::fcntl(m_fd, F_SETFL, banderas & ~O_NONBLOCK);
        }
    }
    return r;
}

ResultadoLectura Lector::AbrirEntradaEstandar(std::uint64_t limite) {
    if (m_propio && m_fd >= 0) {
        ::close(m_fd);
    }
    m_limite = limite;
    m_fd = STDIN_FILENO;
    m_propio = false;
    return Preparar();
}

ResultadoLectura Lector::Preparar() {
    if (::fstat(m_fd, &m_st) != 0) {
        return FalloDelSistema(errno);
    }
    if (S_ISDIR(m_st.st_mode)) {
        return Fallo(FalloLectura::Carpeta, EISDIR);
    }
    m_ordinario = S_ISREG(m_st.st_mode);
    m_inicio = 0;
    if (m_ordinario) {
        // Standard input may be a file already read in part.
        m_inicio = ::lseek(m_fd, 0, SEEK_CUR);
        if (m_inicio < 0) {
            m_ordinario = false;
            m_inicio = 0;
        } else {
            ::posix_fadvise(m_fd, m_inicio, 0, POSIX_FADV_SEQUENTIAL);
        }
    }
    if (m_ordinario && m_st.st_size > m_inicio &&
        static_cast<std::uint64_t>(m_st.st_size - m_inicio) > m_limite) {
        return Fallo(FalloLectura::Grande, EFBIG);
    }
    return {};
}

ResultadoLectura Lector::Rebobinar() {
    m_leidos = 0;
    if (m_ordinario && ::lseek(m_fd, m_inicio, SEEK_SET) < 0) {
        return FalloDelSistema(errno);
    }
    return {};
}

ResultadoLectura Lector::Leer(char* destino, std::size_t tamano, std::size_t& leidos) {
    leidos = 0;
    const ssize_t n = LeerSinInterrupcion(m_fd, destino, tamano);
    if (n < 0) {
        return FalloDelSistema(errno);
    }
    m_leidos += static_cast<std::uint64_t>(n);
    if (m_leidos > m_limite) {
        return Fallo(FalloLectura::Grande, EFBIG);
    }
    leidos = static_cast<std::size_t>(n);
    return {};
}

ResultadoLectura Lector::Recorrer(char* buffer, std::size_t tamano, const ManejarTrozo& trozo) {
    ResultadoLectura r = Rebobinar();
    std::size_t n = 0;
    while (r && (r = Leer(buffer, tamano, n)) && n > 0) {
        if (!trozo(buffer, n)) {
            break;
        }
    }
    return r;
}

ResultadoLectura Lector::LeerTodo(std::string& destino, const ManejarTrozo& trozo) {
    if (const ResultadoLectura r = Rebobinar(); !r) {
        return r;
    }
    // Resizing without clearing first keeps the bytes of an earlier read in
    // place, so a reused buffer is not filled with zeros again.
    destino.resize(m_ordinario ? static_cast<std::size_t>(m_st.st_size - m_inicio) : 0);
    std::size_t lleno = 0;
    for (;;) {
        if (lleno == destino.size()) {
            // A pipe, or a file that has grown since it was opened: read on
            // until the end. The piece is handed over before it joins the
            // rest, whose storage may then move.
            char extra[65536];
            const ssize_t r = LeerSinInterrupcion(m_fd, extra, sizeof extra);
            if (r < 0) {
                return FalloDelSistema(errno);
            }
            if (r == 0) {
                return {};
            }
            const auto n = static_cast<std::size_t>(r);
            if (destino.size() + n > m_limite) {
                return Fallo(FalloLectura::Grande, EFBIG);
            }
            const bool seguir = !trozo || trozo(extra, n);
            destino.append(extra, n);
            if (!seguir) {
                return {};
            }
            lleno += n;
            continue;
        }
        const std::size_t pedir = std::min(kTrozoLectura, destino.size() - lleno);
        const ssize_t r = LeerSinInterrupcion(m_fd, destino.data() + lleno, pedir);
        if (r < 0) {
            return FalloDelSistema(errno);
        }
        if (r == 0) {
            destino.resize(lleno); // the file shrank
            return {};
        }
        const auto n = static_cast<std::size_t>(r);
        if (trozo && !trozo(destino.data() + lleno, n)) {
            destino.resize(lleno + n);
            return {};
        }
        lleno += n;
    }
}

bool Lector::SinCambios() const {
    struct stat ahora {};
    if (::fstat(m_fd, &ahora) != 0) {
        return false;
    }
    return ahora.st_size == m_st.st_size && ahora.st_mtim.tv_sec == m_st.st_mtim.tv_sec &&
           ahora.st_mtim.tv_nsec == m_st.st_mtim.tv_nsec &&
           ahora.st_ctim.tv_sec == m_st.st_ctim.tv_sec &&
           ahora.st_ctim.tv_nsec == m_st.st_ctim.tv_nsec;
}

ResultadoLectura LeerFichero(const std::string& ruta, std::string& destino, std::uint64_t limite) {
    Lector lector;
    ResultadoLectura r = lector.Abrir(ruta, true, limite);
    if (r) {
        r = lector.LeerTodo(destino);
    }
    return r;
}

} // namespace tildora
