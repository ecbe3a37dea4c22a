// Reads or writes one key of an INI file through the Windows profile service
// itself (GetPrivateProfileStringA, WritePrivateProfileStringA), so that a
// test can check the store's files against what Windows makes of them.
//
//   sonda_ini leer FICHERO SECCION CLAVE        prints the value and a line
//                                               break; status 1 when the key
//                                               is not there
//   sonda_ini escribir FICHERO SECCION CLAVE VALOR
//
// The arguments come from the wide command line and the value goes out in
// UTF-8, so that a test can name the characters as it names them to
// tildora; the profile service sees them in the ANSI code page, as any
// program calling the A functions does. That code page must be
// Windows-1252, the store's: with another one the comparison would mean
// nothing, and the probe refuses. Status 2 for a wrong use or a failed call.
#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kBien = 0;
constexpr int kNoEsta = 1;
constexpr int kError = 2;
constexpr UINT kWindows1252 = 1252;

int Uso() {
    std::fputs("uso: sonda_ini leer FICHERO SECCION CLAVE\n"
               "     sonda_ini escribir FICHERO SECCION CLAVE VALOR\n",
               stderr);
    return kError;
}

int Error(const char* que) {
    std::fprintf(stderr, "sonda_ini: %s: error %lu\n", que,
                 static_cast<unsigned long>(GetLastError()));
    return kError;
}

// The text in the ANSI code page; nothing when a character has no place in
// it (the service would write a question mark instead).
std::optional<std::string> Ansi(const wchar_t* texto) {
    const int n =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, texto, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(n), '\0');
    BOOL perdido = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, texto, -1, ansi.data(), n, nullptr, &perdido);
    if (perdido) {
        return std::nullopt;
    }
    ansi.pop_back(); // the terminating zero
    return ansi;
}

std::string Utf8(const std::string& ansi) {
    if (ansi.empty()) {
        return {};
    }
    const int largo = static_cast<int>(ansi.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), largo, nullptr, 0);
    std::wstring ancho(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), largo, ancho.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, ancho.data(), n, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, ancho.data(), n, utf8.data(), m, nullptr, nullptr);
    return utf8;
}

// A bare name would be looked for in the Windows folder.
std::string RutaCompleta(const std::string& nombre) {
    std::vector<char> ruta(MAX_PATH);
    for (;;) {
        const DWORD n =
            GetFullPathNameA(nombre.c_str(), static_cast<DWORD>(ruta.size()), ruta.data(), nullptr);
        if (n == 0) {
            return {};
        }
        if (n < ruta.size()) {
            return std::string(ruta.data(), n);
        }
        ruta.resize(n);
    }
}

// The profile functions cut what does not fit without saying so: the buffer
// grows until what comes back leaves room to spare. Nothing when the key is
// not there: the service gives back whatever default it is given then, so
// two different ones tell a missing key from any value (the service's own
// lookup decides, with its own rules on letter case).
std::optional<std::string> Leer(const std::string& seccion, const std::string& clave,
                                const std::string& fichero) {
    std::string valores[2];
    const char* porDefecto[2] = {"\x01", "\x02"};
    for (int i = 0; i < 2; ++i) {
        std::vector<char> buffer(256);
        for (;;) {
            const DWORD n = GetPrivateProfileStringA(
                seccion.c_str(), clave.c_str(), porDefecto[i], buffer.data(),
                static_cast<DWORD>(buffer.size()), fichero.c_str());
            if (n + 1 < buffer.size()) {
                valores[i].assign(buffer.data(), n);
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
    }
    if (valores[0] == porDefecto[0] && valores[1] == porDefecto[1]) {
        return std::nullopt;
    }
    return valores[0];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // The value goes out exactly as converted, without CR before LF.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) {
        return Uso();
    }
    const std::wstring orden = argv[1];
    const bool leer = orden == L"leer" && argc == 5;
    const bool escribir = orden == L"escribir" && argc == 6;
    if (!leer && !escribir) {
        return Uso();
    }
    if (GetACP() != kWindows1252) {
        std::fprintf(stderr, "sonda_ini: the ANSI code page is %u, not 1252\n", GetACP());
        return kError;
    }
    std::vector<std::string> args;
    for (int i = 2; i < argc; ++i) {
        const std::optional<std::string> a = Ansi(argv[i]);
        if (!a) {
            std::fprintf(stderr, "sonda_ini: argument %d has no place in Windows-1252\n", i);
            return kError;
        }
        args.push_back(*a);
    }
    const std::string fichero = RutaCompleta(args[0]);
    if (fichero.empty()) {
        return Error("GetFullPathNameA");
    }
    if (leer) {
        const std::optional<std::string> ansi = Leer(args[1], args[2], fichero);
        if (!ansi) {
            return kNoEsta;
        }
        const std::string valor = Utf8(*ansi) + "\n";
        std::fwrite(valor.data(), 1, valor.size(), stdout);
        return std::fflush(stdout) == 0 ? kBien : kError;
    }
    if (!WritePrivateProfileStringA(args[1].c_str(), args[2].c_str(), args[3].c_str(),
                                    fichero.c_str())) {
        return Error("WritePrivateProfileStringA");
    }
    return kBien;
}
