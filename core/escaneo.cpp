#include "escaneo.h"

#include "textos.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tildora {

namespace {

// The working copy lives in memory; a larger file is refused as unreadable
// rather than exhausting the machine.
constexpr std::uint64_t kTamanoMaximoEntrada = std::uint64_t{1} << 30;

// Read in pieces of this size, each scanned while it is still in the cache.
constexpr std::size_t kTrozo = std::size_t{1} << 18;

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

ssize_t LeerSinInterrupcion(int fd, char* destino, std::size_t n) {
    for (;;) {
        const ssize_t r = ::read(fd, destino, n);
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

// Reads a whole regular file into `destino`, handing every piece read to
// `trozo` right after it arrives. False on any failure.
template <typename Trozo>
bool LeerPorTrozos(const std::string& ruta, std::string& destino, Trozo&& trozo) {
    // O_NONBLOCK so that a FIFO cannot hang the open; only regular files are
    // read afterwards.
    Descriptor fd(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > kTamanoMaximoEntrada) {
        return false;
    }
    const int banderas = ::fcntl(fd.get(), F_GETFL);
    if (banderas >= 0) {
        ::fcntl(fd.get(), F_SETFL, banderas & ~O_NONBLOCK);
    }
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // Resizing without clearing first keeps the bytes of an earlier read in
    // place, so a reused buffer is not filled with zeros again.
    destino.resize(static_cast<std::size_t>(st.st_size));
    std::size_t lleno = 0;
    for (;;) {
        if (lleno == destino.size()) {
            // The file may have grown since fstat: read on until the end.
            char extra[65536];
            const ssize_t n = LeerSinInterrupcion(fd.get(), extra, sizeof extra);
            if (n < 0) {
                return false;
            }
            if (n == 0) {
                return true;
            }
            if (destino.size() + static_cast<std::size_t>(n) > kTamanoMaximoEntrada) {
                return false;
            }
            destino.append(extra, static_cast<std::size_t>(n));
            trozo(destino.data() + lleno, static_cast<std::size_t>(n));
            lleno += static_cast<std::size_t>(n);
            continue;
        }
        const std::size_t pedir = std::min(kTrozo, destino.size() - lleno);
        const ssize_t n = LeerSinInterrupcion(fd.get(), destino.data() + lleno, pedir);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            destino.resize(lleno); // the file shrank
            return true;
        }
        trozo(destino.data() + lleno, static_cast<std::size_t>(n));
        lleno += static_cast<std::size_t>(n);
    }
}

} // namespace

Escaner::Escaner(const TablaValidez& tabla) {
    for (unsigned c = 0; c < 256; ++c) {
        m_parar.Poner(static_cast<unsigned char>(c), !tabla[c] && c != '\r' && c != '\n');
    }
    m_buscarLf = !tabla['\n'];
}

void Escaner::Anotar(unsigned char c) {
    m_listado[c] = true;
    m_parar.Poner(c, false);
    m_encontrados.push_back(c);
    if (c == '\n') {
        m_buscarLf = false;
    }
}

void Escaner::Procesar(const char* datos, std::size_t n) {
    if (n == 0) {
        return;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(datos);
    const unsigned char* const fin = p + n;
    // The first byte's predecessor is the last byte of the previous piece, so
    // a CR LF split between two pieces still ends a line.
    if (m_parar.Contiene(*p) || (m_buscarLf && *p == '\n' && m_anterior != '\r')) {
        Anotar(*p);
    }
    ++p;
    while (p < fin) {
        p = m_buscarLf ? m_parar.BuscarConLfSolitario(p, fin) : m_parar.Buscar(p, fin);
        if (p == fin) {
            break;
        }
        Anotar(*p++);
    }
    m_anterior = fin[-1];
}

bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador) {
    estado.CaracteresValidos = ConstruirCaracteresValidos();
    estado.TablaConstruida = true;
    estado.CaracteresErroneos.assign(1, std::string());

    Escaner escaner(estado.CaracteresValidos);
    const bool leido = LeerPorTrozos(
        ruta, estado.Texto, [&escaner](const char* d, std::size_t n) { escaner.Procesar(d, n); });

    // The list keeps one empty slot at its end, after the characters found.
    for (unsigned char c : escaner.Encontrados()) {
        estado.CaracteresErroneos.insert(estado.CaracteresErroneos.end() - 1,
                                         std::string(1, static_cast<char>(c)));
    }

    if (!leido) {
        estado.ErrorLectura = true;
        estado.Texto.clear();
        avisador.Mensaje(std::string(textos::M1NombreIncorrecto));
        return false;
    }
    return !escaner.Encontrados().empty();
}

bool EstaEnLista(const Estado& estado, std::string_view caracter) {
    return std::any_of(estado.CaracteresErroneos.begin(), estado.CaracteresErroneos.end(),
                       [caracter](const std::string& s) { return s == caracter; });
}

bool LeerFichero(const std::string& ruta, std::string& destino) {
    return LeerPorTrozos(ruta, destino, [](const char*, std::size_t) {});
}

} // namespace tildora
