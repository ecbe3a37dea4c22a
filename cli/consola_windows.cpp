// tildora.exe's side of the pair that cli/lanzador.h describes.

#include "cli/lanzador.h"
#include "cli/principal.h"
#include "cli/terminal.h"

#include <windows.h>

#include <utility>

namespace tildora::cli {

bool LanzadoDesdeConsola() {
    wchar_t valor[8] = {};
    const DWORD n = ::GetEnvironmentVariableW(kMarcaLanzador, valor, 8);
    if (n == 0) {
        return false;
    }
    ::SetEnvironmentVariableW(kMarcaLanzador, nullptr);
    return true;
}

int LineaDeOrdenesDesdeConsola(std::vector<std::string> argumentos) {
    // The handles tildora.com handed down: its console's, or the files and
    // pipes it was given. Attached to its console, this program gets the
    // console's Ctrl+C, and a console's handles work here as they would in
    // a console program; attaching may put the console's own handles in
    // place of redirected ones, so those handed down are put back.
    const DWORD cuales[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE dados[3] = {};
    for (int i = 0; i < 3; ++i) {
        dados[i] = ::GetStdHandle(cuales[i]);
    }
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        for (int i = 0; i < 3; ++i) {
            if (dados[i] != nullptr && dados[i] != INVALID_HANDLE_VALUE) {
                ::SetStdHandle(cuales[i], dados[i]);
            }
        }
    }
    if (!ReservarMemoria()) {
        return kFallo;
    }
    return LineaDeOrdenes(std::move(argumentos));
}

} // namespace tildora::cli
