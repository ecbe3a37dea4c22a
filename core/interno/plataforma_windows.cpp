// The operating system's calls on Windows: files, folders and the standard
// streams. Names are turned into UTF-16 for every call (texto_windows.cpp);
// temporary files, the lock and the console's Ctrl+C are in
// temporal_windows.cpp, memory in memoria_windows.cpp.

#include "core/interno/plataforma_windows.h"
#include "core/interno/plataforma.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <utility>

namespace tildora::sistema {

using windows::Ancho;
using windows::Estrecho;
using windows::Nombre;
using windows::UltimoError;

namespace {

constexpr DWORD kCompartirTodo = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Which file `h` is: the volume's serial number and the file's number
// there. Windows's newer call first, which gives both for a handle Wine
// inherited from Linux too (as the inode, with no volume); the older one on
// file systems that lack the newer (FAT).
bool Identidad(HANDLE h, Ficha& f) {
    FILE_ID_INFO id{};
    if (::GetFileInformationByHandleEx(h, FileIdInfo, &id, sizeof id)) {
        std::uint64_t partes[2] = {};
        std::memcpy(partes, id.FileId.Identifier, sizeof partes);
        f.dispositivo = id.VolumeSerialNumber;
        f.nodo = partes[0] ^ partes[1];
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) {
        return false;
    }
    f.dispositivo = info.dwVolumeSerialNumber;
    f.nodo = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
}

// 0 with `f` filled in from the open handle `h`, or the error number.
int Fichar(HANDLE h, Ficha& f) {
    f = Ficha{};
    const DWORD tipo = ::GetFileType(h);
    if (tipo == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
        return UltimoError();
    }
    if (tipo != FILE_TYPE_DISK) {
        f.tipo = tipo == FILE_TYPE_PIPE   ? Ficha::Tipo::Tuberia
                 : tipo == FILE_TYPE_CHAR ? Ficha::Tipo::Dispositivo
                                          : Ficha::Tipo::Otro;
        return 0;
    }
    FILE_BASIC_INFO basica{};
    FILE_STANDARD_INFO estandar{};
    if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basica, sizeof basica) ||
        !::GetFileInformationByHandleEx(h, FileStandardInfo, &estandar, sizeof estandar) ||
        !Identidad(h, f)) {
        return UltimoError();
    }
    const DWORD atributos = basica.FileAttributes;
    FILE_ATTRIBUTE_TAG_INFO etiqueta{};
    // Only links are links: other reparse points (a file kept in the cloud,
    // a deduplicated one) are the files they look like.
    const bool enlace =
        (atributos & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        ::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &etiqueta, sizeof etiqueta) &&
        (etiqueta.ReparseTag == IO_REPARSE_TAG_SYMLINK ||
         etiqueta.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
    f.tipo = enlace               ? Ficha::Tipo::Enlace
             : estandar.Directory ? Ficha::Tipo::Carpeta
                                  : Ficha::Tipo::Ordinario;
    f.tamano = estandar.EndOfFile.QuadPart > 0
                   ? static_cast<std::uint64_t>(estandar.EndOfFile.QuadPart)
                   : 0;
    f.sello[0] = basica.LastWriteTime.QuadPart;
    f.sello[2] = basica.ChangeTime.QuadPart;
    f.modo = atributos;
    return 0;
}

// Named pipes are looked at by name only: opening one takes the place of a
// reader.
bool EsTuberia(const std::string& ruta) {
    std::wstring w = Ancho(ruta.substr(0, 9));
    std::replace(w.begin(), w.end(), L'/', L'\\');
    std::transform(w.begin(), w.end(), w.begin(), [](wchar_t c) { return ::towlower(c); });
    return w == L"\\\\.\\pipe\\";
}

// Text for a console: UTF-16 through WriteConsoleW, in pieces the console
// takes, never cutting a pair of halves.
bool EscribirConsola(HANDLE h, const char* datos, std::size_t n) {
    const std::wstring texto = Ancho(std::string_view(datos, n), true);
    for (std::size_t i = 0; i < texto.size();) {
        std::size_t pieza = std::min<std::size_t>(texto.size() - i, 8192);
        if (pieza > 1 && texto[i + pieza - 1] >= 0xD800 && texto[i + pieza - 1] <= 0xDBFF) {
            --pieza;
        }
        DWORD escritos = 0;
        if (!::WriteConsoleW(h, texto.data() + i, static_cast<DWORD>(pieza), &escritos, nullptr) ||
            escritos == 0) {
            errno = UltimoError();
            return false;
        }
        i += escritos;
    }
    return true;
}

} // namespace

namespace windows {

HANDLE Manejador(int fd) {
    if (fd == kEntradaEstandar || fd == kSalidaEstandar || fd == kSalidaError) {
        const HANDLE h = ::GetStdHandle(fd == kEntradaEstandar  ? STD_INPUT_HANDLE
                                        : fd == kSalidaEstandar ? STD_OUTPUT_HANDLE
                                                                : STD_ERROR_HANDLE);
        return h == nullptr ? INVALID_HANDLE_VALUE : h;
    }
    const intptr_t h = fd >= 0 ? ::_get_osfhandle(fd) : -1;
    return h == -1 || h == -2 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(h);
}

int Descriptor(HANDLE h) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(h);
    }
    return fd;
}

bool EsperarOcupado(DWORD& esperado) {
    if (esperado >= 5000) {
        return false;
    }
    const DWORD pausa = std::min<DWORD>(esperado + 1, 100);
    ::Sleep(pausa);
    esperado += pausa;
    return true;
}

HANDLE AbrirEsperando(const std::string& ruta, DWORD acceso, DWORD compartir, DWORD crear,
                      DWORD banderas) {
    const std::wstring nombre = Nombre(ruta);
    for (DWORD esperado = 0;;) {
        const HANDLE h =
            ::CreateFileW(nombre.c_str(), acceso, compartir, nullptr, crear, banderas, nullptr);
        const DWORD e = ::GetLastError();
        if (h != INVALID_HANDLE_VALUE || e != ERROR_SHARING_VIOLATION ||
            !EsperarOcupado(esperado)) {
            ::SetLastError(e);
            return h;
        }
    }
}

bool EscribirTodo(HANDLE h, const char* datos, std::size_t n) {
    while (n > 0) {
        DWORD escritos = 0;
        const auto pedir = static_cast<DWORD>(std::min(n, std::size_t{1} << 30));
        if (!::WriteFile(h, datos, pedir, &escritos, nullptr) || escritos == 0) {
            errno = escritos == 0 && ::GetLastError() == NO_ERROR ? EIO : UltimoError();
            return false;
        }
        datos += escritos;
        n -= escritos;
    }
    return true;
}

} // namespace windows

bool Ficha::MismoContenido(const Ficha& otra) const {
    return tamano == otra.tamano && std::equal(std::begin(sello), std::end(sello), otra.sello);
}

int Consultar(const std::string& ruta, Ficha& ficha, bool seguirEnlaces) {
    if (ruta.empty()) {
        return ENOENT;
    }
    if (EsTuberia(ruta)) {
        ficha = Ficha{};
        ficha.tipo = Ficha::Tipo::Tuberia;
        return 0;
    }
    // Opened for its attributes only, which no sharing of the file forbids.
    const DWORD banderas =
        FILE_FLAG_BACKUP_SEMANTICS | (seguirEnlaces ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE h = ::CreateFileW(Nombre(ruta).c_str(), FILE_READ_ATTRIBUTES, kCompartirTodo,
                                   nullptr, OPEN_EXISTING, banderas, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return windows::UltimoErrorDe(ruta);
    }
    const int r = Fichar(h, ficha);
    ::CloseHandle(h);
    return r;
}

bool SePuedeEscribir(const std::string& ruta) {
    const std::wstring nombre = Nombre(ruta);
    const DWORD atributos = ::GetFileAttributesW(nombre.c_str());
    if (atributos == INVALID_FILE_ATTRIBUTES) {
        errno = windows::UltimoErrorDe(ruta);
        return false;
    }
    if ((atributos & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        // What a folder allows is what its access list says to this user,
        // which only trying tells: a file made there, gone as it is closed.
        std::string prueba;
        const HANDLE h = windows::CrearBloqueado(Unir(ruta, ""), true, prueba);
        if (h == INVALID_HANDLE_VALUE) {
            errno = UltimoError();
            return false;
        }
        ::CloseHandle(h);
        return true;
    }
    if ((atributos & FILE_ATTRIBUTE_READONLY) != 0) {
        errno = EACCES;
        return false;
    }
    // Another program's open that forbids writing is waited for; it would
    // stand in the way of the rename too.
    const HANDLE h = windows::AbrirEsperando(ruta, GENERIC_WRITE, kCompartirTodo, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL);
    if (h == INVALID_HANDLE_VALUE) {
        errno = UltimoError();
        return false;
    }
    ::CloseHandle(h);
    return true;
}

int DestinoDeEnlace(const std::string& enlace, std::string& destino) {
    Ficha ficha;
    if (Consultar(enlace, ficha, false) != 0 || ficha.tipo != Ficha::Tipo::Enlace) {
        destino = enlace;
        return 0;
    }
    // Where the chain ends, as Windows follows it: a link that leads
    // nowhere gives no file to write through.
    const HANDLE h = ::CreateFileW(Nombre(enlace).c_str(), FILE_READ_ATTRIBUTES, kCompartirTodo,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return UltimoError();
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = 0;
    for (;;) {
        n = ::GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n < final.size()) {
            break;
        }
        final.resize(n + 1);
    }
    const int codigo = n == 0 ? UltimoError() : 0;
    ::CloseHandle(h);
    if (codigo != 0) {
        return codigo;
    }
    final.resize(n);
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        final = L"\\\\" + final.substr(8);
    } else if (final.rfind(L"\\\\?\\", 0) == 0) {
        final = final.substr(4);
    }
    destino = Estrecho(final);
    return 0;
}

bool ListarCarpeta(const std::string& carpeta,
                   const std::function<bool(const std::string&)>& seguir) {
    WIN32_FIND_DATAW datos{};
    const HANDLE h = ::FindFirstFileExW(Nombre(Unir(carpeta, "*")).c_str(), FindExInfoBasic, &datos,
                                        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND; // a folder with nothing in it
    }
    do {
        if (!seguir(Estrecho(datos.cFileName))) {
            break;
        }
    } while (::FindNextFileW(h, &datos));
    ::FindClose(h);
    return true;
}

void Archivo::Cerrar() {
    if (m_propio && m_fd >= 0) {
        ::_close(m_fd);
    }
    m_fd = -1;
}

int Archivo::AbrirLectura(const std::string& ruta, bool /*sinEsperar*/) {
    // Opening a pipe on Windows never waits for a writer.
    Cerrar();
    m_propio = true;
    if (ruta.empty()) {
        return ENOENT;
    }
    // A folder opens too, so that it can be told for what it is. A file
    // another program holds without letting others read is waited for.
    const HANDLE h =
        windows::AbrirEsperando(ruta, GENERIC_READ, kCompartirTodo, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN);
    if (h == INVALID_HANDLE_VALUE) {
        return windows::UltimoErrorDe(ruta);
    }
    m_fd = windows::Descriptor(h);
    return m_fd < 0 ? EMFILE : 0;
}

// The standard streams are read and written on their handles, never through
// the C library's text mode, which would change line ends and stop at 0x1A.
Archivo Archivo::EntradaEstandar() {
    return Archivo(windows::kEntradaEstandar, false);
}

Archivo Archivo::SalidaEstandar() {
    return Archivo(windows::kSalidaEstandar, false);
}

Archivo Archivo::SalidaError() {
    return Archivo(windows::kSalidaError, false);
}

int Archivo::Describir(Ficha& ficha) const {
    const HANDLE h = windows::Manejador(m_fd);
    return h == INVALID_HANDLE_VALUE ? EBADF : Fichar(h, ficha);
}

void Archivo::AgrandarTuberia() {
    // A pipe's size is its maker's to choose on Windows.
}

long Archivo::Leer(char* destino, std::size_t n) {
    DWORD leidos = 0;
    const auto pedir = static_cast<DWORD>(std::min(n, std::size_t{1} << 30));
    if (!::ReadFile(windows::Manejador(m_fd), destino, pedir, &leidos, nullptr)) {
        const DWORD e = ::GetLastError();
        // The writer of a pipe is gone: its end.
        if (e == ERROR_BROKEN_PIPE || e == ERROR_HANDLE_EOF) {
            return 0;
        }
        errno = windows::ErrorDe(e);
        return -1;
    }
    return static_cast<long>(leidos);
}

long Archivo::LeerEn(std::uint64_t posicion, char* destino, std::size_t n) {
    OVERLAPPED donde{};
    donde.Offset = static_cast<DWORD>(posicion);
    donde.OffsetHigh = static_cast<DWORD>(posicion >> 32);
    DWORD leidos = 0;
    const auto pedir = static_cast<DWORD>(std::min(n, std::size_t{1} << 30));
    if (!::ReadFile(windows::Manejador(m_fd), destino, pedir, &leidos, &donde)) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_HANDLE_EOF) {
            return 0;
        }
        errno = windows::ErrorDe(e);
        return -1;
    }
    return static_cast<long>(leidos);
}

bool Archivo::Posicion(std::uint64_t& posicion) const {
    const HANDLE h = windows::Manejador(m_fd);
    LARGE_INTEGER p{};
    // Only a file on a disk has a place to go on from.
    const bool hay = ::GetFileType(h) == FILE_TYPE_DISK &&
                     ::SetFilePointerEx(h, LARGE_INTEGER{}, &p, FILE_CURRENT);
    posicion = hay && p.QuadPart > 0 ? static_cast<std::uint64_t>(p.QuadPart) : 0;
    return hay;
}

bool Archivo::Situar(std::uint64_t posicion) {
    const HANDLE h = windows::Manejador(m_fd);
    LARGE_INTEGER p{};
    p.QuadPart = static_cast<LONGLONG>(posicion);
    if (::GetFileType(h) != FILE_TYPE_DISK || !::SetFilePointerEx(h, p, nullptr, FILE_BEGIN)) {
        errno = ESPIPE;
        return false;
    }
    return true;
}

bool Archivo::EscribirTodo(const char* datos, std::size_t n) {
    const HANDLE h = windows::Manejador(m_fd);
    if (h == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return false;
    }
    DWORD modo = 0;
    if (::GetConsoleMode(h, &modo)) {
        return EscribirConsola(h, datos, n);
    }
    return windows::EscribirTodo(h, datos, n);
}

unsigned PermisosNuevos() {
    // Who may do what with a new file is its folder's to say (the access
    // list it inherits); its attributes are the usual ones.
    return 0;
}

} // namespace tildora::sistema
