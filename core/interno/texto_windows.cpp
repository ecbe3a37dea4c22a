// Windows: names between UTF-8 and UTF-16, Windows's error codes as the C
// library's, the program's arguments, and where things are.

#include "core/interno/plataforma.h"
#include "core/interno/plataforma_windows.h"
#include "core/unicode.h"

#include <cerrno>
#include <cstdlib>
#include <shellapi.h>
#include <shlobj.h>

namespace tildora::sistema {

namespace windows {

namespace {

void AnadirAncho(std::wstring& w, char32_t cp) {
    if (cp < 0x10000) {
        w += static_cast<wchar_t>(cp);
    } else {
        w += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        w += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
}

bool EsSeparador(char c) {
    return c == '/' || c == '\\';
}

} // namespace

std::wstring Ancho(std::string_view utf8, bool consola) {
    std::wstring w;
    w.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    for (std::size_t i = 0; i < utf8.size();) {
        if (p[i] < 0x80) {
            w += static_cast<wchar_t>(p[i++]);
            continue;
        }
        char32_t cp = 0;
        int n = DecodificarUtf8(p + i, utf8.size() - i, cp);
        // A lone UTF-16 half, as Estrecho writes it.
        if (n <= 0 && !consola && p[i] == 0xED && utf8.size() - i >= 3 &&
            (p[i + 1] & 0xE0) == 0xA0 && (p[i + 2] & 0xC0) == 0x80) {
            cp = 0xD000 | (char32_t{p[i + 1] & 0x3Fu} << 6) | (p[i + 2] & 0x3Fu);
            n = 3;
        }
        if (n <= 0) {
            w += consola ? static_cast<wchar_t>(UnicodeDeAnsi(p[i])) : L'\xFFFD';
            ++i;
            continue;
        }
        AnadirAncho(w, cp);
        i += static_cast<std::size_t>(n);
    }
    return w;
}

std::string Estrecho(std::wstring_view utf16) {
    std::string s;
    s.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            // A lone half: the three bytes its code would have.
            s += static_cast<char>(0xE0 | (u >> 12));
            s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            AnadirUtf8(s, u);
        }
    }
    return s;
}

std::wstring Nombre(const std::string& ruta) {
    std::wstring w = Ancho(ruta);
    // Folders take 12 characters less than files.
    if (w.size() < MAX_PATH - 12 || w.rfind(L"\\\\?\\", 0) == 0) {
        return w;
    }
    const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    std::wstring completo(n, L'\0');
    const DWORD m = ::GetFullPathNameW(w.c_str(), n, completo.data(), nullptr);
    if (n == 0 || m == 0 || m >= n) {
        return w;
    }
    completo.resize(m);
    if (completo.rfind(L"\\\\.\\", 0) == 0) {
        return completo; // a device
    }
    if (completo.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + completo.substr(2);
    }
    return L"\\\\?\\" + completo;
}

int ErrorDe(DWORD codigo) {
    switch (codigo) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_INVALID_ACCESS:
    case ERROR_CANNOT_MAKE:
    case ERROR_DELETE_PENDING:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
    case ERROR_PIPE_BUSY:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295: // ERROR_DISK_QUOTA_EXCEEDED, which these headers lack
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_COMMITMENT_LIMIT:
    case ERROR_NOT_ENOUGH_QUOTA:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_TOO_MANY_LINKS:
        return EMLINK;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED:
        return EPIPE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_CALL_NOT_IMPLEMENTED:
        return ENOSYS;
    default:
        return EIO;
    }
}

int UltimoErrorDe(const std::string& ruta) {
    const DWORD e = ::GetLastError();
    if (e == ERROR_ACCESS_DENIED) {
        // Windows refuses a folder opened as a file as it refuses a file
        // without permission; the words must say which it was, as they do
        // on other systems.
        const DWORD atributos = ::GetFileAttributesW(Nombre(ruta).c_str());
        return atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_DIRECTORY) != 0
                   ? EISDIR
                   : EACCES;
    }
    if (e != ERROR_PATH_NOT_FOUND) {
        return ErrorDe(e);
    }
    std::string carpeta = Carpeta(ruta);
    for (;;) {
        while (!carpeta.empty() && EsSeparador(carpeta.back())) {
            carpeta.pop_back();
        }
        if (carpeta.empty() || carpeta.back() == ':') {
            return ENOENT;
        }
        const DWORD atributos = ::GetFileAttributesW(Nombre(carpeta).c_str());
        if (atributos != INVALID_FILE_ATTRIBUTES) {
            return (atributos & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ENOENT : ENOTDIR;
        }
        carpeta = Carpeta(carpeta);
    }
}

std::string Carpeta(const std::string& ruta) {
    std::size_t fin = ruta.size();
    while (fin > 0 && !EsSeparador(ruta[fin - 1])) {
        --fin;
    }
    // "C:a.txt" is a.txt in drive C's current folder.
    if (fin == 0 && ruta.size() >= 2 && ruta[1] == ':') {
        fin = 2;
    }
    return ruta.substr(0, fin);
}

} // namespace windows

using windows::Ancho;
using windows::Citar;
using windows::Estrecho;

std::string CarpetaDe(const std::string& ruta) {
    return windows::Carpeta(ruta);
}

std::string Unir(const std::string& carpeta, std::string_view nombre) {
    const bool barra = carpeta.empty() || carpeta.back() == '\\' || carpeta.back() == '/';
    return carpeta + (barra ? "" : "\\") + std::string(nombre);
}

std::filesystem::path Camino(const std::string& ruta) {
    return std::filesystem::path(Ancho(ruta));
}

bool MismaRuta(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::string> Argumentos(int argc, char** argv) {
    int n = 0;
    wchar_t** anchos = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    if (anchos == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> r;
    for (int i = 0; i < n; ++i) {
        r.push_back(Estrecho(anchos[i]));
    }
    ::LocalFree(anchos);
    return r;
}

void windows::Citar(std::wstring& linea, const std::wstring& a) {
    if (!linea.empty()) {
        linea += L' ';
    }
    if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        linea += a;
        return;
    }
    linea += L'"';
    std::size_t barras = 0;
    for (const wchar_t c : a) {
        if (c == L'\\') {
            ++barras;
            continue;
        }
        linea.append(c == L'"' ? 2 * barras + 1 : barras, L'\\');
        barras = 0;
        linea += c;
    }
    linea.append(2 * barras, L'\\');
    linea += L'"';
}

int DescriptorDeNombre(const std::string&) {
    return -1;
}

int SalidaEstandarHacia(int) {
    return ENOSYS;
}

int SustituirPrograma(const std::string& programa, char** argv) {
    std::wstring linea;
    for (char** a = argv; *a != nullptr; ++a) {
        Citar(linea, Ancho(*a));
    }
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    PROCESS_INFORMATION proceso{};
    if (!::CreateProcessW(windows::Nombre(programa).c_str(), linea.data(), nullptr, nullptr, TRUE,
                          0, nullptr, nullptr, &inicio, &proceso)) {
        return windows::UltimoError();
    }
    ::CloseHandle(proceso.hThread);
    ::WaitForSingleObject(proceso.hProcess, INFINITE);
    DWORD estado = 1;
    ::GetExitCodeProcess(proceso.hProcess, &estado);
    ::ExitProcess(estado);
}

std::string CarpetaPrograma() {
    std::wstring ruta(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, ruta.data(), static_cast<DWORD>(ruta.size()));
        if (n == 0) {
            return {};
        }
        if (n < ruta.size()) {
            ruta.resize(n);
            break;
        }
        ruta.resize(2 * ruta.size());
    }
    std::string carpeta = windows::Carpeta(Estrecho(ruta));
    // A drive's root keeps its backslash: "C:\", never "C:".
    if (carpeta.size() > 1 && !(carpeta.size() == 3 && carpeta[1] == ':')) {
        carpeta.pop_back();
    }
    return carpeta;
}

bool AlmacenJuntoAlPrograma() {
    return true;
}

std::string CarpetaConfiguracion() {
    // %APPDATA%, which a user may point elsewhere, else where Windows keeps it.
    std::wstring carpeta(32768, L'\0');
    DWORD n =
        ::GetEnvironmentVariableW(L"APPDATA", carpeta.data(), static_cast<DWORD>(carpeta.size()));
    const bool absoluta = n >= 3 && n < carpeta.size() &&
                          ((carpeta[1] == L':' && (carpeta[2] == L'\\' || carpeta[2] == L'/')) ||
                           (carpeta[0] == L'\\' && carpeta[1] == L'\\'));
    if (!absoluta) {
        wchar_t conocida[MAX_PATH] = {};
        if (::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, conocida) !=
            S_OK) {
            return {};
        }
        carpeta = conocida;
        n = static_cast<DWORD>(carpeta.size());
    }
    carpeta.resize(n);
    return Unir(Estrecho(carpeta), "tildora");
}

std::string CarpetaTemporal() {
    wchar_t carpeta[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, carpeta);
    return n == 0 || n > MAX_PATH ? std::string(".\\") : Estrecho(std::wstring_view(carpeta, n));
}

} // namespace tildora::sistema
