#include "tests/core/ayudas.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace prueba {

CarpetaTemporal::CarpetaTemporal() {
    std::string plantilla = (std::filesystem::temp_directory_path() / "tildora-XXXXXX").string();
    if (mkdtemp(plantilla.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    m_ruta = plantilla;
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    // Give back write permission first, so that a test's read-only folder
    // can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(m_ruta, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(m_ruta, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_ruta, ec);
}

void Escribir(const std::string& ruta, const std::string& bytes) {
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        throw std::runtime_error("cannot write " + ruta);
    }
}

std::string Leer(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) {
        throw std::runtime_error("cannot read " + ruta);
    }
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string Entradas(const std::filesystem::path& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        nombres.push_back(e.path().filename().string());
    }
    std::sort(nombres.begin(), nombres.end());
    std::string r;
    for (const auto& n : nombres) {
        r += n + ";";
    }
    return r;
}

bool EsRoot() {
    return geteuid() == 0;
}

tildora::Resultado<tildora::Documento>
DocumentoPorTuberia(const std::string& bytes, const std::vector<std::size_t>& cortes,
                    const tildora::OpcionesLectura& opciones) {
    CarpetaTemporal carpeta;
    const std::string tubo = carpeta / "tubo";
    if (::mkfifo(tubo.c_str(), 0600) != 0) {
        throw std::runtime_error("mkfifo");
    }
    std::atomic<bool> leido{false};
    std::atomic<bool> terminado{false};
    std::thread escritor([&] {
        struct Fin {
            std::atomic<bool>& terminado;
            ~Fin() { terminado = true; }
        } fin{terminado};
        // A reader that stops early makes a write fail, not end the program.
        sigset_t tuberia;
        sigemptyset(&tuberia);
        sigaddset(&tuberia, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &tuberia, nullptr);
        const int fd = ::open(tubo.c_str(), O_WRONLY);
        std::vector<std::size_t> fines = cortes;
        fines.push_back(bytes.size());
        std::size_t desde = 0;
        for (const std::size_t hasta : fines) {
            while (!leido && desde < hasta) {
                const ssize_t n = ::write(fd, bytes.data() + desde, hasta - desde);
                if (n <= 0) {
                    ::close(fd);
                    return;
                }
                desde += static_cast<std::size_t>(n);
            }
            // The next piece once this one has been read.
            int pendientes = 1;
            while (!leido && ::ioctl(fd, FIONREAD, &pendientes) == 0 && pendientes > 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        }
        ::close(fd);
    });
    tildora::Resultado<tildora::Documento> r = tildora::AbrirDocumento(tubo, opciones);
    leido = true;
    // A reader that stopped early leaves the writer waiting: for a reader to
    // open the pipe, or to read what it holds. It gets one.
    const int fd = ::open(tubo.c_str(), O_RDONLY | O_NONBLOCK);
    while (!terminado) {
        char resto[4096];
        if (fd >= 0 && ::read(fd, resto, sizeof resto) > 0) {
            continue;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    escritor.join();
    if (fd >= 0) {
        ::close(fd);
    }
    return r;
}

} // namespace prueba
