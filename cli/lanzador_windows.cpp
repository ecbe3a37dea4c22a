// tildora.com, what a console runs for `tildora` on Windows: it starts
// tildora.exe beside it, which holds the command line as well as the windows
// (cli/lanzador.h), hands it its arguments exactly as typed and its standard
// handles, waits for it and ends with its exit status. Plain Win32 and no
// C++ library, so that it stays a few kilobytes.

#include "cli/lanzador.h"
#include "core/textos.h"

#include <windows.h>

namespace {

constexpr int kFallo = 2; // the command line's own status for a failure

// The process tildora.exe runs in, for the console's handler, which is
// handed nothing else: set once, before the handler is.
DWORD g_hijo = 0;

wchar_t* Pedir(DWORD caracteres) {
    return static_cast<wchar_t*>(
        ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, caracteres * sizeof(wchar_t)));
}

DWORD Largo(const wchar_t* s) {
    DWORD n = 0;
    while (s[n] != L'\0') {
        ++n;
    }
    return n;
}

// Appends `s` at `destino`; returns where the text now ends.
wchar_t* Anadir(wchar_t* destino, const wchar_t* s) {
    while (*s != L'\0') {
        *destino++ = *s++;
    }
    *destino = L'\0';
    return destino;
}

// tildora.exe in this program's folder, with room for nothing else; null
// when this program's name cannot be had.
wchar_t* ProgramaVentanas(wchar_t*& propio) {
    constexpr wchar_t kNombre[] = L"" TILDORA_VENTANAS;
    for (DWORD capacidad = MAX_PATH; capacidad <= 65536; capacidad *= 2) {
        propio = Pedir(capacidad);
        const DWORD n = propio == nullptr ? 0 : ::GetModuleFileNameW(nullptr, propio, capacidad);
        if (n == 0) {
            return nullptr;
        }
        if (n == capacidad) {
            continue; // cut short: a longer name
        }
        DWORD carpeta = n;
        while (carpeta > 0 && propio[carpeta - 1] != L'\\' && propio[carpeta - 1] != L'/') {
            --carpeta;
        }
        wchar_t* ruta = Pedir(carpeta + sizeof kNombre / sizeof kNombre[0]);
        if (ruta == nullptr) {
            return nullptr;
        }
        for (DWORD i = 0; i < carpeta; ++i) {
            ruta[i] = propio[i];
        }
        Anadir(ruta + carpeta, kNombre);
        return ruta;
    }
    return nullptr;
}

// What follows the program's name on the command line, where the C
// library's start-up ends that name: at the closing quote when it begins
// with one, else at the first blank.
const wchar_t* TrasElNombre(const wchar_t* linea) {
    if (*linea == L'"') {
        ++linea;
        while (*linea != L'\0' && *linea != L'"') {
            ++linea;
        }
        return *linea == L'"' ? linea + 1 : linea;
    }
    while (*linea != L'\0' && *linea != L' ' && *linea != L'\t') {
        ++linea;
    }
    return linea;
}

// One line on standard error: UTF-16 to a console, UTF-8 anywhere else, as
// the command line writes.
void Decir(const wchar_t* texto) {
    const HANDLE h = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD modo = 0;
    DWORD escritos = 0;
    const DWORD n = Largo(texto);
    if (::GetConsoleMode(h, &modo)) {
        ::WriteConsoleW(h, texto, n, &escritos, nullptr);
        return;
    }
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, texto, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    char* utf8 = static_cast<char*>(::HeapAlloc(::GetProcessHeap(), 0, bytes > 0 ? bytes : 1));
    if (utf8 != nullptr && bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, texto, static_cast<int>(n), utf8, bytes, nullptr,
                              nullptr);
        ::WriteFile(h, utf8, static_cast<DWORD>(bytes), &escritos, nullptr);
    }
}

// "tildora: cannot start PROGRAM: the system's reason", in both languages.
int NoSeInicia(const wchar_t* programa, DWORD codigo) {
    const std::string_view prefijo = tildora::textos::PrefijoMensaje;
    const std::string_view mensaje = tildora::textos::ProgramaNoSeInicia;
    wchar_t* razon = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                         FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, codigo, 0, reinterpret_cast<wchar_t*>(&razon), 0, nullptr);
    const DWORD largo = static_cast<DWORD>(prefijo.size() + mensaje.size()) + Largo(programa) +
                        (razon == nullptr ? 0 : Largo(razon)) + 4;
    wchar_t* linea = Pedir(largo);
    if (linea == nullptr) {
        return kFallo;
    }
    int n = ::MultiByteToWideChar(CP_UTF8, 0, prefijo.data(), static_cast<int>(prefijo.size()),
                                  linea, static_cast<int>(largo));
    n += ::MultiByteToWideChar(CP_UTF8, 0, mensaje.data(), static_cast<int>(mensaje.size()),
                               linea + n, static_cast<int>(largo) - n);
    wchar_t* fin = Anadir(Anadir(linea + n, programa), L": ");
    if (razon != nullptr) {
        fin = Anadir(fin, razon);
    }
    while (fin > linea && (fin[-1] == L'\n' || fin[-1] == L'\r' || fin[-1] == L' ')) {
        --fin; // the system's reason ends its own line
    }
    Anadir(fin, L"\n");
    Decir(linea);
    return kFallo;
}

// Standard handles go down to tildora.exe as they are, and so must be
// inheritable; a console's own were made so already on older systems.
HANDLE Heredable(DWORD cual) {
    const HANDLE h = ::GetStdHandle(cual);
    if (h != nullptr && h != INVALID_HANDLE_VALUE) {
        ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    return h;
}

// Under Wine the first program of a session that needs the desktop (for
// tildora.exe, as its libraries load) starts Wine's desktop process, which
// keeps the standard handles of the program it was started from: a pipe
// handed to tildora.com would then stay open after it ended, and whoever
// reads it would wait for ever. So the desktop is asked for here first,
// with no standard handle to keep; on Windows it is always there already.
void PrepararEscritorio() {
    const DWORD cuales[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE dados[3] = {};
    const HANDLE nulo =
        ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    for (int i = 0; i < 3; ++i) {
        dados[i] = ::GetStdHandle(cuales[i]);
        if (dados[i] != nullptr && dados[i] != INVALID_HANDLE_VALUE) {
            ::SetHandleInformation(dados[i], HANDLE_FLAG_INHERIT, 0);
        }
        ::SetStdHandle(cuales[i], nulo);
    }
    ::GetDesktopWindow();
    for (int i = 0; i < 3; ++i) {
        ::SetStdHandle(cuales[i], dados[i]);
    }
    if (nulo != INVALID_HANDLE_VALUE) {
        ::CloseHandle(nulo);
    }
}

// Ctrl+C and Ctrl+Break reach tildora.exe too when it runs a command, as it
// is attached to this console: it removes what it was writing and ends, and
// this program waits to end with its status. Its windows take no Ctrl+C:
// then this one ends, as any console program, and leaves them open.
BOOL WINAPI AlInterrumpir(DWORD suceso) {
    if (suceso != CTRL_C_EVENT && suceso != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    DWORD procesos[64] = {};
    const DWORD n = ::GetConsoleProcessList(procesos, 64);
    for (DWORD i = 0; i < n && i < 64; ++i) {
        if (procesos[i] == g_hijo) {
            return TRUE;
        }
    }
    return FALSE;
}

} // namespace

int main() {
    wchar_t* propio = nullptr;
    wchar_t* programa = ProgramaVentanas(propio);
    if (programa == nullptr) {
        return NoSeInicia(L"" TILDORA_VENTANAS, ::GetLastError());
    }
    // A copy of this program under tildora.exe's name would start itself.
    if (::CompareStringOrdinal(propio, -1, programa, -1, TRUE) == CSTR_EQUAL) {
        return NoSeInicia(programa, ERROR_FILE_NOT_FOUND);
    }
    const wchar_t* argumentos = TrasElNombre(::GetCommandLineW());
    wchar_t* linea = Pedir(Largo(programa) + Largo(argumentos) + 3);
    if (linea == nullptr) {
        return NoSeInicia(programa, ERROR_NOT_ENOUGH_MEMORY);
    }
    Anadir(Anadir(Anadir(Anadir(linea, L"\""), programa), L"\""), argumentos);

    PrepararEscritorio();
    ::SetEnvironmentVariableW(tildora::cli::kMarcaLanzador, L"1");
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    inicio.dwFlags = STARTF_USESTDHANDLES;
    inicio.hStdInput = Heredable(STD_INPUT_HANDLE);
    inicio.hStdOutput = Heredable(STD_OUTPUT_HANDLE);
    inicio.hStdError = Heredable(STD_ERROR_HANDLE);
    PROCESS_INFORMATION proceso{};
    if (!::CreateProcessW(programa, linea, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &inicio,
                          &proceso)) {
        return NoSeInicia(programa, ::GetLastError());
    }
    ::CloseHandle(proceso.hThread);
    g_hijo = proceso.dwProcessId;
    ::SetConsoleCtrlHandler(AlInterrumpir, TRUE);
    ::WaitForSingleObject(proceso.hProcess, INFINITE);
    DWORD estado = kFallo;
    ::GetExitCodeProcess(proceso.hProcess, &estado);
    return static_cast<int>(estado);
}
