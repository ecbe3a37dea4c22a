// The operating system's calls on Linux and other POSIX systems: files,
// folders and where things are. Temporary files, the lock and signals are in
// temporal_posix.cpp, memory in memoria_posix.cpp.

#include "core/interno/plataforma_posix.h"
#include "core/interno/plataforma.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tildora::sistema {

using posix::SinInterrupciones;

namespace {

// 0 with `f` filled in from `st`, or the error number of the call (`llamada`,
// its result) that was to fill `st` in.
int Fichar(int llamada, const struct stat& st, Ficha& f) {
    if (llamada != 0) {
        return errno;
    }
    f.tipo = S_ISREG(st.st_mode)                            ? Ficha::Tipo::Ordinario
             : S_ISDIR(st.st_mode)                          ? Ficha::Tipo::Carpeta
             : S_ISLNK(st.st_mode)                          ? Ficha::Tipo::Enlace
             : S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) ? Ficha::Tipo::Tuberia
             : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)   ? Ficha::Tipo::Dispositivo
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

} // namespace

namespace posix {

std::string Carpeta(const std::string& ruta) {
    const std::size_t barra = ruta.rfind('/');
    return barra == std::string::npos ? std::string() : ruta.substr(0, barra + 1);
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

} // namespace posix

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
        actual = apunta.front() == '/' ? apunta : posix::Carpeta(actual) + apunta;
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

void Archivo::AgrandarTuberia() {
    // As much as anyone may ask for (/proc/sys/fs/pipe-max-size, 1 MiB
    // unless changed).
    ::fcntl(m_fd, F_SETPIPE_SZ, 1 << 20);
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
    return posix::EscribirTodo(m_fd, datos, n);
}

unsigned PermisosNuevos() {
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    return 0666 & ~mascara;
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

bool AlmacenJuntoAlPrograma() {
    return false;
}

std::string CarpetaDe(const std::string& ruta) {
    return posix::Carpeta(ruta);
}

std::string Unir(const std::string& carpeta, std::string_view nombre) {
    const bool barra = carpeta.empty() || carpeta.back() == '/';
    return carpeta + (barra ? "" : "/") + std::string(nombre);
}

std::filesystem::path Camino(const std::string& ruta) {
    return ruta;
}

bool MismaRuta(const std::filesystem::path& a, const std::filesystem::path& b) {
    return a == b;
}

std::vector<std::string> Argumentos(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

int DescriptorDeNombre(const std::string& ruta) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path absoluta = fs::absolute(Camino(ruta), ec).lexically_normal();
    if (ec) {
        return -1;
    }
    if (absoluta == "/dev/stdout") {
        return STDOUT_FILENO;
    }
    if (absoluta == "/dev/stderr") {
        return STDERR_FILENO;
    }
    // /dev/fd leads to /proc/self/fd, and that to this process's own folder.
    const fs::path carpeta = fs::weakly_canonical(absoluta.parent_path(), ec);
    const std::string numero = absoluta.filename().string();
    if (ec || carpeta != fs::path("/proc") / std::to_string(::getpid()) / "fd" || numero.empty() ||
        numero.size() > 9 ||
        !std::all_of(numero.begin(), numero.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stoi(numero);
}

int SalidaEstandarHacia(int descriptor) {
    if (descriptor == STDOUT_FILENO) {
        return ::fcntl(descriptor, F_GETFD) == -1 ? errno : 0;
    }
    return ::dup2(descriptor, STDOUT_FILENO) == -1 ? errno : 0;
}

int SustituirPrograma(const std::string& programa, char** argv) {
    ::execv(programa.c_str(), argv);
    return errno;
}

std::string CarpetaTemporal() {
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir != nullptr && tmpdir[0] == '/' ? std::string(tmpdir) : std::string("/tmp");
}

} // namespace tildora::sistema
