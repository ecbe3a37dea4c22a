// Temporary files, the store's lock and the console's Ctrl+C, on Windows.
//
// Windows has no unnamed files: every temporary file has its hidden-style
// name (kPrefijoTemporal, random letters, kFinTemporal) from the start, and
// on a volume that keeps named streams (NTFS) a stream `tildora.temporal`
// that says it is ours. Its writer keeps it open without
// sharing the right to delete or rename it, and holds an exclusive lock on
// one byte of it: while the writer lives no one else can take the file for
// dead (the sharing says so to every program of this Windows, the lock also
// to those, under Wine, of another user). Once the writer is gone, however
// it went, both go with its handles, and the next writer in that folder
// removes the file, if it is the same user's: its owner is the user's (or,
// for an administrator, the owner the user's new files get).

#include "core/interno/plataforma.h"
#include "core/interno/plataforma_windows.h"

#include <accctrl.h>
#include <aclapi.h>
#include <algorithm>
#include <bcrypt.h>
#include <cerrno>
#include <cstring>
#include <io.h>
#include <memory>
#include <string_view>
#include <utility>

namespace tildora::sistema {

using windows::Manejador;
using windows::Nombre;
using windows::UltimoError;

namespace {

constexpr DWORD kCompartirTodo = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The named temporary files open now, for the console's handler, which runs
// on a thread of its own when Ctrl+C ends the program: this is the
// program's one piece of state outside its state object, as the handler
// cannot be given one. The lock keeps the handler from removing a file
// while it is being made, named or removed.
constexpr int kHuecos = 4;
HANDLE g_temporales[kHuecos] = {};
SRWLOCK g_cambios = SRWLOCK_INIT;

class SinInterrupcion {
public:
    SinInterrupcion() { ::AcquireSRWLockExclusive(&g_cambios); }
    ~SinInterrupcion() { ::ReleaseSRWLockExclusive(&g_cambios); }
    SinInterrupcion(const SinInterrupcion&) = delete;
    SinInterrupcion& operator=(const SinInterrupcion&) = delete;
};

int Anotar(HANDLE h) {
    for (int i = 0; i < kHuecos; ++i) {
        if (g_temporales[i] == nullptr) {
            g_temporales[i] = h;
            return i;
        }
    }
    return -1; // more files open at once than ever happens: not cleaned up
}

void Olvidar(int& hueco) {
    if (hueco >= 0) {
        g_temporales[hueco] = nullptr;
        hueco = -1;
    }
}

// Removes the file through its own handle, so never another file that has
// taken its name: gone once its last handle is closed.
bool Quitar(HANDLE h) {
    FILE_DISPOSITION_INFO borrar{TRUE};
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &borrar, sizeof borrar);
}

BOOL WINAPI AlInterrumpir(DWORD /*suceso*/) {
    // Held to the end: nothing is made or named after this.
    ::AcquireSRWLockExclusive(&g_cambios);
    for (HANDLE h : g_temporales) {
        if (h != nullptr) {
            Quitar(h);
        }
    }
    // The next handler, Windows's own, ends the program as it always does.
    return FALSE;
}

// The stream that marks a temporary file as ours, on volumes that keep
// named streams: a user's file never has it by accident, whatever its name.
constexpr wchar_t kMarca[] = L":tildora.temporal";
constexpr wchar_t kMarcaListada[] = L":tildora.temporal:$DATA";

bool ConFlujos(HANDLE h) {
    DWORD banderas = 0;
    return ::GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, &banderas, nullptr,
                                           0) &&
           (banderas & FILE_NAMED_STREAMS) != 0;
}

// Puts the mark on the file `nombre`, open as `h`. Where the volume keeps no
// named streams (FAT, and Wine's view of Linux's file systems), its name
// and its owner say whose it is.
void Marcar(HANDLE h, const std::string& nombre) {
    if (!ConFlujos(h)) {
        return;
    }
    const HANDLE marca =
        ::CreateFileW((Nombre(nombre) + kMarca).c_str(), GENERIC_WRITE, kCompartirTodo, nullptr,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marca != INVALID_HANDLE_VALUE) {
        ::CloseHandle(marca);
    }
}

// Whether the open file `h` carries the mark, or its volume keeps no marks.
bool Marcado(HANDLE h) {
    if (!ConFlujos(h)) {
        return true;
    }
    std::string espacio(64 * 1024, '\0');
    if (!::GetFileInformationByHandleEx(h, FileStreamInfo, espacio.data(),
                                        static_cast<DWORD>(espacio.size()))) {
        return false;
    }
    for (std::size_t i = 0;;) {
        const auto* flujo = reinterpret_cast<const FILE_STREAM_INFO*>(espacio.data() + i);
        const std::wstring_view nombre(flujo->StreamName,
                                       flujo->StreamNameLength / sizeof(wchar_t));
        if (nombre == kMarcaListada) {
            return true;
        }
        if (flujo->NextEntryOffset == 0) {
            return false;
        }
        i += flujo->NextEntryOffset;
    }
}

// Whether the open file `h` (opened with READ_CONTROL) belongs to the user
// running the program: owned by the user, or by the owner the user's new
// files get (an administrator's go to the Administrators group).
bool DelUsuario(HANDLE h) {
    PSID dueno = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &dueno, nullptr, nullptr,
                          nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, HLOCAL (*)(HLOCAL)> liberar(descriptor, &::LocalFree);
    HANDLE testigo = nullptr;
    if (dueno == nullptr || !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &testigo)) {
        return false;
    }
    bool propio = false;
    for (const TOKEN_INFORMATION_CLASS clase : {TokenUser, TokenOwner}) {
        alignas(TOKEN_USER) char datos[256] = {};
        DWORD n = 0;
        if (::GetTokenInformation(testigo, clase, datos, sizeof datos, &n)) {
            const PSID sid = clase == TokenUser ? reinterpret_cast<TOKEN_USER*>(datos)->User.Sid
                                                : reinterpret_cast<TOKEN_OWNER*>(datos)->Owner;
            propio = propio || ::EqualSid(sid, dueno);
        }
    }
    ::CloseHandle(testigo);
    return propio;
}

// Gives the open file `h` the name `destino`, through its handle (no one
// else may rename it), replacing a file there only when `reemplazar`.
bool Renombrar(HANDLE h, const std::string& destino, bool reemplazar) {
    const std::wstring nombre = Nombre(destino);
    const DWORD n = ::GetFullPathNameW(nombre.c_str(), 0, nullptr, nullptr);
    std::wstring completo(n, L'\0');
    const DWORD m = n == 0 ? 0 : ::GetFullPathNameW(nombre.c_str(), n, completo.data(), nullptr);
    if (m == 0 || m >= n) {
        return false;
    }
    completo.resize(m);
    // The system's own form of a whole path, which this call wants.
    if (completo.rfind(L"\\\\?\\", 0) == 0) {
        completo = L"\\??\\" + completo.substr(4);
    } else if (completo.rfind(L"\\\\", 0) == 0) {
        completo = L"\\??\\UNC\\" + completo.substr(2);
    } else {
        completo = L"\\??\\" + completo;
    }
    const std::size_t bytes = completo.size() * sizeof(wchar_t);
    std::string espacio(sizeof(FILE_RENAME_INFO) + bytes, '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(espacio.data());
    info->ReplaceIfExists = reemplazar ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, completo.data(), bytes);
    return ::SetFileInformationByHandle(h, FileRenameInfo, info,
                                        static_cast<DWORD>(espacio.size()));
}

// Whether another program holds the file `ruta` open without letting it be
// removed or renamed.
bool EnUso(const std::string& ruta) {
    const HANDLE h =
        ::CreateFileW(Nombre(ruta).c_str(), DELETE, kCompartirTodo, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

bool windows::BloquearTemporal(HANDLE h) {
    OVERLAPPED donde{};
    donde.Offset = static_cast<DWORD>(kByteCerrojo);
    donde.OffsetHigh = static_cast<DWORD>(kByteCerrojo >> 32);
    return ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &donde);
}

HANDLE windows::CrearBloqueado(const std::string& carpeta, bool alCerrar, std::string& nombre) {
    for (int intento = 0;; ++intento) {
        unsigned char azar[kAzarTemporal] = {};
        if (!BCRYPT_SUCCESS(
                ::BCryptGenRandom(nullptr, azar, sizeof azar, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
            // Any name will do: one that is taken is simply tried again.
            std::uint64_t x = ::GetTickCount64() ^ (std::uint64_t{::GetCurrentProcessId()} << 20) ^
                              static_cast<std::uint64_t>(intento);
            for (unsigned char& b : azar) {
                x = x * 6364136223846793005u + 1442695040888963407u;
                b = static_cast<unsigned char>(x >> 56);
            }
        }
        nombre = carpeta + NombreTemporal(azar);
        const HANDLE h = ::CreateFileW(
            Nombre(nombre).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL | (alCerrar ? FILE_FLAG_DELETE_ON_CLOSE : 0), nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            BloquearTemporal(h);
            Marcar(h, nombre);
            return h;
        }
        const DWORD e = ::GetLastError();
        nombre.clear();
        if ((e != ERROR_FILE_EXISTS && e != ERROR_ALREADY_EXISTS) || intento == 100) {
            ::SetLastError(e);
            return INVALID_HANDLE_VALUE;
        }
    }
}

int LimpiarTemporales(const std::string& carpeta) {
    int quitados = 0;
    WIN32_FIND_DATAW datos{};
    const HANDLE busqueda =
        ::FindFirstFileExW(Nombre(Unir(carpeta, std::string(kPrefijoTemporal) + "*")).c_str(),
                           FindExInfoBasic, &datos, FindExSearchNameMatch, nullptr, 0);
    if (busqueda == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        const std::string nombre = windows::Estrecho(datos.cFileName);
        if (!EsNombreTemporal(nombre)) {
            continue;
        }
        // A live writer's file cannot be opened to delete it; one that can,
        // that is ours and the user's, and whose lock can be had, has no
        // writer any more.
        const HANDLE h = ::CreateFileW(
            Nombre(Unir(carpeta, nombre)).c_str(), GENERIC_READ | DELETE | READ_CONTROL,
            kCompartirTodo, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            continue; // its writer's, gone already, or not ours to open
        }
        BY_HANDLE_FILE_INFORMATION info{};
        const DWORD noFichero = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        // A writer killed between making its file and marking it left it
        // empty: taking it away loses nothing.
        if (::GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & noFichero) == 0 &&
            DelUsuario(h) && (Marcado(h) || (info.nFileSizeHigh == 0 && info.nFileSizeLow == 0)) &&
            windows::BloquearTemporal(h) && Quitar(h)) {
            ++quitados;
        }
        ::CloseHandle(h);
    } while (::FindNextFileW(busqueda, &datos));
    ::FindClose(busqueda);
    return quitados;
}

int Archivo::CrearAnonimo(const std::string& carpeta) {
    Cerrar();
    m_propio = true;
    // A locked name that Windows removes as the file is closed, or the
    // program ends; one left by a power cut goes with the next.
    const std::string dentro = Unir(carpeta, "");
    LimpiarTemporales(dentro);
    std::string nombre;
    const HANDLE h = windows::CrearBloqueado(dentro, true, nombre);
    if (h == INVALID_HANDLE_VALUE) {
        return windows::UltimoErrorDe(dentro + "x");
    }
    m_fd = windows::Descriptor(h);
    return m_fd < 0 ? EMFILE : 0;
}

void Temporal::Descartar() {
    if (m_fd >= 0) {
        if (!m_temporal.empty()) {
            const SinInterrupcion bloqueo;
            Quitar(Manejador(m_fd));
            m_temporal.clear();
            Olvidar(m_hueco);
        }
        ::_close(std::exchange(m_fd, -1));
    }
    m_anonimo = false;
}

int Temporal::Crear(const std::string& carpeta, bool /*conNombre*/) {
    Descartar();
    m_escrito = 0;
    m_enviado = 0;
    LimpiarTemporales(carpeta);
    const SinInterrupcion bloqueo;
    const HANDLE h = windows::CrearBloqueado(carpeta, false, m_temporal);
    if (h == INVALID_HANDLE_VALUE) {
        return windows::UltimoErrorDe(carpeta + "x");
    }
    m_fd = windows::Descriptor(h);
    if (m_fd < 0) {
        m_temporal.clear(); // left for the next writer to remove
        return EMFILE;
    }
    m_hueco = Anotar(h);
    return 0;
}

int Temporal::Escribir(const char* datos, std::size_t n) {
    if (!windows::EscribirTodo(Manejador(m_fd), datos, n)) {
        return errno;
    }
    m_escrito += n;
    return 0;
}

int Temporal::Terminar(unsigned modo, bool conDueno, unsigned /*dueno*/, unsigned /*grupo*/) {
    const HANDLE h = Manejador(m_fd);
    // The replaced file's attributes that are its own to keep: not
    // read-only (such a file is never replaced), not "archive" (which says
    // that the file changed).
    const DWORD propios =
        modo & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    FILE_BASIC_INFO basica{};
    if (conDueno && propios != 0 &&
        ::GetFileInformationByHandleEx(h, FileBasicInfo, &basica, sizeof basica)) {
        basica.FileAttributes |= propios;
        basica.FileAttributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
        ::SetFileInformationByHandle(h, FileBasicInfo, &basica, sizeof basica);
    }
    return ::FlushFileBuffers(h) ? 0 : UltimoError();
}

int Temporal::Nombrar(const std::string& destino, bool reemplazar) {
    // The file stays open, and so locked, until it has its final name; it
    // was flushed to the disk before. A file that another program has open
    // (reading the store, say, or a virus scanner) cannot be replaced on
    // Windows until it is closed: the rename is tried again for up to five
    // seconds, as such opens are short, even on a busy machine.
    DWORD esperado = 0;
    for (;;) {
        DWORD e = 0;
        {
            const SinInterrupcion bloqueo;
            if (Renombrar(Manejador(m_fd), destino, reemplazar)) {
                if (ConFlujos(Manejador(m_fd))) {
                    ::DeleteFileW((Nombre(destino) + kMarca).c_str());
                }
                m_temporal.clear();
                Olvidar(m_hueco);
                break;
            }
            e = ::GetLastError();
        }
        const DWORD atributos = ::GetFileAttributesW(Nombre(destino).c_str());
        const bool soloLectura =
            atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY) != 0;
        if ((e != ERROR_ACCESS_DENIED && e != ERROR_SHARING_VIOLATION) || soloLectura) {
            return windows::ErrorDe(e);
        }
        if (!windows::EsperarOcupado(esperado)) {
            // Windows says "access denied" for a file that another program
            // holds open as much as for one the user may not replace: a
            // file in use is said as one.
            return EnUso(destino) ? EBUSY : windows::ErrorDe(e);
        }
    }
    ::_close(std::exchange(m_fd, -1));
    m_anonimo = false;
    return 0;
}

void PrepararSenales() {
    // A drive with no disk in it is a failure to say, not a box to answer.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // Once only, however often this is called: the handler keeps its lock.
    ::SetConsoleCtrlHandler(AlInterrumpir, FALSE);
    ::SetConsoleCtrlHandler(AlInterrumpir, TRUE);
}

Cerrojo::Cerrojo(const std::string& ruta, unsigned /*modo*/, int /*grupo*/) {
    // Opened for reading only, so that anyone who may read it may lock it,
    // and made when missing, with what its folder gives a new file. A link
    // is not followed: it is no lock file.
    const HANDLE h = windows::AbrirEsperando(ruta, GENERIC_READ, kCompartirTodo, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                                                 FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) {
        m_codigo = windows::UltimoErrorDe(ruta);
        return;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD noFichero = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if (!::GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & noFichero) != 0) {
        m_codigo = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EISDIR : EINVAL;
        ::CloseHandle(h);
        return;
    }
    // Waits for whoever holds it, asking again and again rather than in one
    // waiting call: under Wine a waiting LockFileEx has been seen to sleep on
    // after the lock was let go. Each hold is short (one store's write).
    for (DWORD espera = 1;; espera = std::min<DWORD>(2 * espera, 20)) {
        OVERLAPPED donde{};
        donde.Offset = static_cast<DWORD>(windows::kByteCerrojo);
        donde.OffsetHigh = static_cast<DWORD>(windows::kByteCerrojo >> 32);
        if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &donde)) {
            break;
        }
        const DWORD e = ::GetLastError();
        if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) {
            m_codigo = windows::ErrorDe(e);
            ::CloseHandle(h);
            return;
        }
        ::Sleep(espera);
    }
    m_fd = windows::Descriptor(h);
    m_codigo = m_fd < 0 ? EMFILE : 0;
}

Cerrojo::~Cerrojo() {
    if (m_fd >= 0) {
        ::_close(m_fd); // and the lock with it
    }
}

} // namespace tildora::sistema
