#include "escritura.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildora {

namespace {

void Anotar(std::string* error, const std::string& texto) {
    if (error != nullptr) {
        *error = texto;
    }
}

std::string Razon(const char* que) {
    return std::string(que) + ": " + std::strerror(errno);
}

// The real file behind a name that is a symbolic link, so that the link is
// kept and its target replaced, as writing through the link would do.
std::string Destino(const std::string& ruta) {
    struct stat st {};
    if (::lstat(ruta.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (::realpath(ruta.c_str(), real) != nullptr) {
            return real;
        }
    }
    return ruta;
}

bool EscribirTodo(int fd, std::string_view datos) {
    const char* p = datos.data();
    std::size_t quedan = datos.size();
    while (quedan > 0) {
        const std::size_t pedir = quedan < (std::size_t{1} << 30) ? quedan : (std::size_t{1} << 30);
        const ssize_t n = ::write(fd, p, pedir);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        quedan -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool EscribirFicheroSeguro(const std::string& ruta, std::string_view datos, std::string* error) {
    if (ruta.empty()) {
        Anotar(error, "empty name");
        return false;
    }
    const std::string destino = Destino(ruta);

    struct stat st {};
    const bool existe = ::stat(destino.c_str(), &st) == 0;
    if (existe && !S_ISREG(st.st_mode)) {
        Anotar(error, destino + ": not an ordinary file");
        return false;
    }

    const std::size_t barra = destino.rfind('/');
    const std::string carpeta =
        barra == std::string::npos ? std::string(".") : destino.substr(0, barra + 1);
    const std::string base = barra == std::string::npos ? destino : destino.substr(barra + 1);
    if (base.empty()) {
        Anotar(error, destino + ": not a file name");
        return false;
    }
    // The temporary name is hidden and unique; it shares the folder, so the
    // rename is atomic.
    std::string temporal = (carpeta == "." ? std::string() : carpeta) + "." + base + ".XXXXXX";
    const int fd = ::mkostemp(temporal.data(), O_CLOEXEC);
    if (fd < 0) {
        Anotar(error, Razon(carpeta.c_str()));
        return false;
    }

    bool bien = EscribirTodo(fd, datos);
    std::string razon = bien ? std::string() : Razon("write");
    if (bien) {
        // A replaced file keeps its permissions; a new one gets the usual
        // ones for the user's mask.
        mode_t modo = 0;
        if (existe) {
            modo = st.st_mode & 07777;
        } else {
            const mode_t mascara = ::umask(0);
            ::umask(mascara);
            modo = 0666 & ~mascara;
        }
        if (::fchmod(fd, modo) != 0 || ::fsync(fd) != 0) {
            bien = false;
            razon = Razon("sync");
        }
    }
    if (::close(fd) != 0 && bien) {
        bien = false;
        razon = Razon("close");
    }
    if (bien && ::rename(temporal.c_str(), destino.c_str()) != 0) {
        bien = false;
        razon = Razon(destino.c_str());
    }
    if (!bien) {
        ::unlink(temporal.c_str());
        Anotar(error, razon);
        return false;
    }
    return true;
}

} // namespace tildora
