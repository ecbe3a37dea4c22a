#pragma once

// What the core asks of the operating system, in one small interface: every
// call that differs between systems is behind it, in files of each system's
// own (*_posix.cpp, *_windows.cpp). Failures say why with the C library's
// error numbers (errno values, which Windows's own codes are turned into),
// which the core keeps in its Error. Names are UTF-8 on every system.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora::sistema {

// What the file system says of a name, or of an open file.
struct Ficha {
    enum class Tipo { Ordinario, Carpeta, Enlace, Tuberia, Dispositivo, Otro };
    Tipo tipo = Tipo::Otro;
    std::uint64_t tamano = 0;
    // Which file it is: the device and the file's number there (on Windows
    // the volume's serial number and the file index).
    std::uint64_t dispositivo = 0;
    std::uint64_t nodo = 0;
    // When its contents or its entry last changed, to tell a file that
    // changed meanwhile.
    std::int64_t sello[4] = {};
    unsigned modo = 0; // permission bits; on Windows the file's attributes
    unsigned dueno = 0;
    unsigned grupo = 0;

    bool Ordinario() const { return tipo == Tipo::Ordinario; }
    bool MismoFichero(const Ficha& otra) const {
        return dispositivo == otra.dispositivo && nodo == otra.nodo;
    }
    bool MismoContenido(const Ficha& otra) const;
};

// 0, or the error number. `seguirEnlaces` false looks at a link itself.
int Consultar(const std::string& ruta, Ficha& ficha, bool seguirEnlaces = true);
// Whether the folder `ruta` may have files made in it, and a file replaced.
bool SePuedeEscribir(const std::string& ruta);
// The end of the chain of links that begins at `enlace` (which need not
// exist yet): writing through the link goes there. 0 or the error number.
int DestinoDeEnlace(const std::string& enlace, std::string& destino);
// Each name in folder `carpeta` ("" is the current one) until `seguir` says no.
bool ListarCarpeta(const std::string& carpeta,
                   const std::function<bool(const std::string&)>& seguir);

// An open file. Standard input and output are used, never closed.
class Archivo {
public:
    Archivo() = default;
    ~Archivo() { Cerrar(); }
    Archivo(Archivo&& otro) noexcept
        : m_fd(std::exchange(otro.m_fd, -1)), m_propio(otro.m_propio) {}
    Archivo& operator=(Archivo&& otro) noexcept {
        if (this != &otro) {
            Cerrar();
            m_fd = std::exchange(otro.m_fd, -1);
            m_propio = otro.m_propio;
        }
        return *this;
    }
    Archivo(const Archivo&) = delete;
    Archivo& operator=(const Archivo&) = delete;

    // For reading. `sinEsperar`: a pipe with no writer cannot hang the open
    // (what is then read is the caller's business). 0 or the error number.
    int AbrirLectura(const std::string& ruta, bool sinEsperar);
    // A file without a name in folder `carpeta`, for writing and reading
    // back, gone with this object or with the program, kill -9 included.
    // Where the file system has no such files it has a hidden name for an
    // instant, as a Temporal's, and is then unnamed; on Windows it keeps
    // that name, which goes when the file is closed. 0 or the error number.
    int CrearAnonimo(const std::string& carpeta);
    static Archivo EntradaEstandar();
    static Archivo SalidaEstandar();
    static Archivo SalidaError();

    int Describir(Ficha& ficha) const;
    // A pipe read from holds more at once where the system allows (fewer
    // switches between its writer and this reader); nothing otherwise.
    void AgrandarTuberia();
    // Reads at most `n` bytes; -1 with errno on failure, 0 at the end.
    long Leer(char* destino, std::size_t n);
    // The same at `posicion`. Where the next Leer goes on is then unknown
    // on some systems (Windows): Situar first.
    long LeerEn(std::uint64_t posicion, char* destino, std::size_t n);
    // Where reading goes on; false where the file cannot be positioned.
    bool Posicion(std::uint64_t& posicion) const;
    bool Situar(std::uint64_t posicion);
    // All of it, going on after interruptions and short writes.
    bool EscribirTodo(const char* datos, std::size_t n);

private:
    explicit Archivo(int fd, bool propio) : m_fd(fd), m_propio(propio) {}
    void Cerrar();

    int m_fd = -1;
    bool m_propio = false;
};

// A new file in a folder that no one sees until it is given its name, made
// to replace a file in one step: either the whole new file has the name, or
// the old one is still there. A file given no name is gone with this object,
// or with the program (on every signal that ends it and can be caught,
// on Windows every console event that ends it, once PrepararSenales has
// run).
//
// Replacing a file takes a name for an instant (a second name cannot
// replace a file, a rename can), and a file system without unnamed files
// takes one from the start: a hidden name beside the target (Windows has no
// unnamed files: every temporary file is named so there). Its writer holds
// an exclusive lock on it from before the name exists to after the rename,
// so a temporary file whose lock can be had has no writer any more (kill -9,
// a power cut): every Crear removes those of its folder.
//
// Only files this program made are ever removed, and only the current
// user's own: a file is taken for one of ours by its name (kPrefijoTemporal,
// kAzarTemporal random letters and digits of kLetrasTemporal, kFinTemporal),
// its owner (the user running the program), and where the file system keeps
// one, a mark the program puts on it as it makes it (on POSIX an extended
// attribute `user.tildora.temporal`; on Windows, on volumes that keep named
// streams (NTFS), a stream `tildora.temporal`), taken off again once the
// file has its final name.
inline constexpr std::string_view kPrefijoTemporal = ".tildora-";
inline constexpr std::size_t kAzarTemporal = 16;
inline constexpr std::string_view kFinTemporal = ".tildora-tmp";
inline constexpr char kLetrasTemporal[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Whether a file's name (no folder) is one a Temporal gives.
constexpr bool EsNombreTemporal(std::string_view nombre) {
    if (nombre.size() != kPrefijoTemporal.size() + kAzarTemporal + kFinTemporal.size() ||
        nombre.substr(0, kPrefijoTemporal.size()) != kPrefijoTemporal ||
        nombre.substr(nombre.size() - kFinTemporal.size()) != kFinTemporal) {
        return false;
    }
    for (const char c : nombre.substr(kPrefijoTemporal.size(), kAzarTemporal)) {
        if (std::string_view(kLetrasTemporal).find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}
// The temporary file's name (no folder) for `azar`, random bytes.
inline std::string NombreTemporal(const unsigned char (&azar)[kAzarTemporal]) {
    std::string nombre(kPrefijoTemporal);
    for (const unsigned char b : azar) {
        nombre += kLetrasTemporal[b % (sizeof kLetrasTemporal - 1)];
    }
    return nombre += kFinTemporal;
}

class Temporal {
public:
    Temporal() = default;
    ~Temporal() { Descartar(); }
    Temporal(const Temporal&) = delete;
    Temporal& operator=(const Temporal&) = delete;

    // `conNombre`: with a hidden name of its own from the start, as on file
    // systems that have no unnamed files. 0 or the error number.
    int Crear(const std::string& carpeta, bool conNombre);
    int Escribir(const char* datos, std::size_t n);
    // Permissions (and owner, where allowed; else the group, where the user
    // belongs to it; on Windows the attributes) as the file it replaces
    // had, then everything on the disk. 0 or the error number.
    int Terminar(unsigned modo, bool conDueno, unsigned dueno, unsigned grupo);
    // Gives it the name `destino`, replacing a file there only when
    // `reemplazar`; otherwise EEXIST when one is there. 0 or the error number.
    int Nombrar(const std::string& destino, bool reemplazar);
    void Descartar();

private:
    int m_fd = -1;
    int m_hueco = -1;
    bool m_anonimo = false;
    std::string m_temporal;
    std::uint64_t m_escrito = 0;
    std::uint64_t m_enviado = 0;
};

// Removes from folder `carpeta` ("" is the current one) every temporary file
// of this user's that no writer holds any more: one of ours (see Temporal)
// whose lock can be had. Nothing else is touched. The number removed.
int LimpiarTemporales(const std::string& carpeta);

// Signals that end the program remove its temporary files first (on
// Windows the console's Ctrl+C, Ctrl+Break and closing it); a file-size
// limit makes a write fail with its reason instead of ending the program.
void PrepararSenales();

// The permissions a new file gets, from the user's mask.
unsigned PermisosNuevos();

// An exclusive lock on the file `ruta`, held until the object goes: the
// store's read-change-write. Only the lock counts, never the file: a file
// left by a program that was killed is no lock, and the file is never
// removed (a waiter holds it open; removing it would let the next program
// lock a new file while the waiter locks the old one). It is opened for
// reading only, so that anyone who may read it can lock it; made when
// missing with the permission bits `modo` and, when given, the group
// `grupo` (the store's, so that whoever may change the store may lock it).
// Empty with the reason when it cannot be had.
class Cerrojo {
public:
    Cerrojo(const std::string& ruta, unsigned modo, int grupo = -1);
    ~Cerrojo();
    Cerrojo(const Cerrojo&) = delete;
    Cerrojo& operator=(const Cerrojo&) = delete;
    explicit operator bool() const { return m_fd >= 0; }
    int Codigo() const { return m_codigo; }

private:
    int m_fd = -1;
    int m_codigo = 0;
};

// The memory this process may still take, in bytes: the smaller of what
// the system has free (MemAvailable) and what its control group (v2 or v1,
// and each one above it) allows beyond what it uses, page cache it could
// give back not counted as used. As much as anyone could want where nothing
// says. On Windows: the smaller of the memory free, what may still be
// committed, and what the process's job allows.
std::uint64_t MemoriaDisponible();
// The same read from the files under `raiz` ("" is the system's own:
// /proc/meminfo, /proc/self/cgroup, /proc/self/mountinfo and the control
// groups' files where those say they are mounted). Those files are Linux's:
// on Windows only "" says anything (MemoriaDisponible).
std::uint64_t MemoriaDisponibleEn(const std::string& raiz);
// The folder for temporary files: $TMPDIR when it is an absolute path, else
// /tmp; on Windows the system's (%TMP%, %TEMP%, ...).
std::string CarpetaTemporal();
// The folder of the running program; empty when unknown. On Windows it
// ends in a backslash only where it is a drive's root ("C:\").
std::string CarpetaPrograma();
// Whether every copy of the program keeps its store beside itself wherever
// that folder can be written, as a build folder's copy does: on Windows,
// where a program is unpacked and run from any folder. Elsewhere only a
// build folder's copy does; an installed one keeps it per user.
bool AlmacenJuntoAlPrograma();
// The user's configuration folder for the program: $XDG_CONFIG_HOME/tildora
// when that is an absolute path, else ~/.config/tildora; empty when no home
// folder is known. On Windows %APPDATA%\tildora.
std::string CarpetaConfiguracion();

// The folder part of `ruta`, with its separator; empty for a bare name.
// Separators are '/', and on Windows '\' too (and a drive's "C:" ends a
// folder part).
std::string CarpetaDe(const std::string& ruta);
// `nombre` in folder `carpeta`: the system's separator between them unless
// `carpeta` is empty or ends in one.
std::string Unir(const std::string& carpeta, std::string_view nombre);
// The name as std::filesystem takes it: the library reads a narrow name in
// the system's code page on Windows, never as UTF-8.
std::filesystem::path Camino(const std::string& ruta);
// Whether two whole paths name one place as the system compares names:
// byte for byte on POSIX, without regard to letter case on Windows (as NTFS
// and FAT find names).
bool MismaRuta(const std::filesystem::path& a, const std::filesystem::path& b);

// The open descriptor that `ruta` names (/dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N, however spelt), or -1: for every other name,
// and always on Windows, which has no such names.
int DescriptorDeNombre(const std::string& ruta);
// Makes standard output the open descriptor `descriptor`: 0, or the error
// number (EBADF when it is not open).
int SalidaEstandarHacia(int descriptor);

// The program's arguments in UTF-8, its own name first: `argv` as it is on
// POSIX; on Windows the wide command line's, as Windows keeps them.
std::vector<std::string> Argumentos(int argc, char** argv);
// Runs `programa` in this one's place with `argv` (the first its name,
// the last a null): returns only when it cannot be started, with the error
// number. Where a program cannot take another's place (Windows), this one
// waits for it and ends with its exit status.
int SustituirPrograma(const std::string& programa, char** argv);

} // namespace tildora::sistema
