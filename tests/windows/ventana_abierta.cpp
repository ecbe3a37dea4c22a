// Whether a program shows its window, for the installer's test under Wine
// (test_instalador.sh):
//   ventana_abierta CLASS SECONDS
// waits at most SECONDS for a visible top-level window of the window class
// CLASS, prints its title in UTF-8 and a line feed, and asks it to close
// (WM_CLOSE, as the close box does). Status 0 when one was found, 1 when
// none showed in time, 2 for bad arguments.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("uso: ventana_abierta CLASE SEGUNDOS\n", stderr);
        return 2;
    }
    const wchar_t* clase = argv[1];
    const long segundos = std::wcstol(argv[2], nullptr, 10);
    const ULONGLONG limite = ::GetTickCount64() + static_cast<ULONGLONG>(segundos) * 1000;
    HWND ventana = nullptr;
    while ((ventana = ::FindWindowW(clase, nullptr)) == nullptr || !::IsWindowVisible(ventana)) {
        if (::GetTickCount64() >= limite) {
            std::fputs("no window / ez dago leihorik\n", stderr);
            return 1;
        }
        ::Sleep(100);
    }
    std::wstring titulo(static_cast<std::size_t>(::GetWindowTextLengthW(ventana)) + 1, L'\0');
    titulo.resize(static_cast<std::size_t>(
        ::GetWindowTextW(ventana, titulo.data(), static_cast<int>(titulo.size()))));
    std::string utf8(titulo.size() * 3, '\0');
    utf8.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, titulo.data(), static_cast<int>(titulo.size()),
                              utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputs("\n", stdout);
    ::PostMessageW(ventana, WM_CLOSE, 0, 0);
    return 0;
}
