#include "tests/core/ayudas.h"

#include "core/interno/plataforma.h"
#ifdef _WIN32
#include "core/interno/plataforma_windows.h"
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace prueba {

CarpetaTemporal::CarpetaTemporal() {
#ifdef _WIN32
    // A new name, tried again while taken.
    std::random_device azar;
    for (;;) {
        const auto p = std::filesystem::temp_directory_path() /
                       ("tildora-" + std::to_string(azar()) + std::to_string(azar()));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) {
            m_ruta = p;
            return;
        }
        if (ec) {
            throw std::runtime_error("create_directory: " + ec.message());
        }
    }
#else
    std::string plantilla = (std::filesystem::temp_directory_path() / "tildora-XXXXXX").string();
    if (mkdtemp(plantilla.data()) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    m_ruta = plantilla;
#endif
}

std::string CarpetaTemporal::operator/(const std::string& nombre) const {
    // Joined as names, without the prefix of Camino's long names.
    return Utf8(m_ruta / tildora::sistema::Camino(nombre));
}

std::filesystem::path Camino(const std::string& utf8) {
#ifdef _WIN32
    // Past MAX_PATH, with the prefix that lifts the limit.
    return tildora::sistema::windows::Nombre(utf8);
#else
    return tildora::sistema::Camino(utf8);
#endif
}

#ifdef _WIN32

TuberiaSinEscritor::TuberiaSinEscritor(const CarpetaTemporal& carpeta)
    : m_ruta("\\\\.\\pipe\\" + Utf8(carpeta.ruta().filename())) {
    m_servidor =
        ::CreateNamedPipeW(Camino(m_ruta).c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                           PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    if (m_servidor == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("CreateNamedPipe");
    }
}

TuberiaSinEscritor::~TuberiaSinEscritor() {
    ::CloseHandle(m_servidor);
}

#else

TuberiaSinEscritor::TuberiaSinEscritor(const CarpetaTemporal& carpeta) : m_ruta(carpeta / "tubo") {
    if (::mkfifo(m_ruta.c_str(), 0644) != 0) {
        throw std::runtime_error("mkfifo");
    }
}

TuberiaSinEscritor::~TuberiaSinEscritor() = default;

#endif

std::string Utf8(const std::filesystem::path& ruta) {
    const std::u8string u = ruta.u8string();
    return std::string(u.begin(), u.end());
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
    std::ofstream f(Camino(ruta), std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        throw std::runtime_error("cannot write " + ruta);
    }
}

std::string Leer(const std::string& ruta) {
    std::ifstream f(Camino(ruta), std::ios::binary);
    if (!f) {
        throw std::runtime_error("cannot read " + ruta);
    }
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string Entradas(const std::filesystem::path& carpeta) {
    std::vector<std::string> nombres;
    for (const auto& e : std::filesystem::directory_iterator(carpeta)) {
        nombres.push_back(Utf8(e.path().filename()));
    }
    std::sort(nombres.begin(), nombres.end());
    std::string r;
    for (const auto& n : nombres) {
        r += n + ";";
    }
    return r;
}

bool BajoWine() {
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool EsRoot() {
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

#ifdef _WIN32

tildora::Resultado<tildora::Documento>
DocumentoPorTuberia(const std::string& bytes, const std::vector<std::size_t>& cortes,
                    const tildora::OpcionesLectura& opciones) {
    // A named pipe of this process's own, with no room of its own: a flush
    // returns once the reader has read everything written.
    static std::atomic<unsigned> numero{0};
    const std::string nombre = "\\\\.\\pipe\\tildora-prueba-" +
                               std::to_string(::GetCurrentProcessId()) + "-" +
                               std::to_string(++numero);
    const std::filesystem::path camino = Camino(nombre);
    const HANDLE tubo = ::CreateNamedPipeW(camino.c_str(), PIPE_ACCESS_OUTBOUND,
                                           PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    if (tubo == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("CreateNamedPipe");
    }
    std::thread escritor([&] {
        // Closed once written: the reader's end.
        struct Fin {
            HANDLE tubo;
            ~Fin() { ::CloseHandle(tubo); }
        } fin{tubo};
        if (!::ConnectNamedPipe(tubo, nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) {
            return;
        }
        std::vector<std::size_t> fines = cortes;
        fines.push_back(bytes.size());
        std::size_t desde = 0;
        for (const std::size_t hasta : fines) {
            DWORD escritos = 0;
            // The next piece once this one has been read; a reader that
            // stopped makes the write fail.
            if (hasta > desde &&
                (!::WriteFile(tubo, bytes.data() + desde, static_cast<DWORD>(hasta - desde),
                              &escritos, nullptr) ||
                 !::FlushFileBuffers(tubo))) {
                return;
            }
            desde = hasta;
        }
    });
    tildora::Resultado<tildora::Documento> r = tildora::AbrirDocumento(nombre, opciones);
    // A reader that never came leaves the writer waiting for one: it gets one.
    const HANDLE otro =
        ::CreateFileW(camino.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (otro != INVALID_HANDLE_VALUE) {
        ::CloseHandle(otro);
    }
    escritor.join();
    return r;
}

#else

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

#endif

} // namespace prueba
