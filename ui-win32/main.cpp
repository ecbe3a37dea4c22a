// tildora.exe, the windows' program on Windows: opened from Explorer with no
// console, or by tildora.com when it is given no command. A file named on
// the command line (a file dropped on the program) fills the input box.
// Started by tildora.com with a command, it runs the command line instead
// (cli/lanzador.h).

#include "cli/argumentos.h"
#include "cli/principal.h"
#include "core/almacen.h"
#include "core/proceso.h"
#include "ui-win32/aplicacion.h"
#include "ui-win32/dialogos.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <utility>
#include <vector>

int WINAPI wWinMain(HINSTANCE instancia, HINSTANCE, PWSTR, int) {
    // An interrupted write leaves no temporary file behind.
    tildora::PrepararSenales();
    const bool desdeConsola = tildora::cli::LanzadoDesdeConsola();
    // From the wide command line, whatever main was given.
    std::vector<std::string> argumentos = tildora::ArgumentosDelPrograma(0, nullptr);
    const tildora::cli::Arranque arranque = tildora::cli::DecidirArranque(
        argumentos.empty() ? std::vector<std::string>()
                           : std::vector<std::string>(argumentos.begin() + 1, argumentos.end()));
    // Started by tildora.com with a command: the command line, in its console.
    if (desdeConsola && !arranque.ventanas) {
        return tildora::cli::LineaDeOrdenesDesdeConsola(std::move(argumentos));
    }

    INITCOMMONCONTROLSEX controles{sizeof controles, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controles);
    // The file dialogs are COM objects.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    tildora::Estado estado;
    estado.RutaAlmacen = tildora::RutaAlmacenPorDefecto();
    tildora::win32::DialogosWin32 dialogos;
    tildora::win32::Aplicacion app(instancia, estado, dialogos, [] { ::PostQuitMessage(0); });
    app.MostrarSeleccion(arranque.fichero);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        tildora::win32::Despachar(msg);
        app.TrasMensaje();
    }
    ::CoUninitialize();
    return static_cast<int>(msg.wParam);
}
