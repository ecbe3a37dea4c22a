// How long the Win32 face's windows take with a large file, driven as a
// user would with the same driver as the tests, the same step the Qt face's
// bench/tiempo_ventana.cpp times: from the program's start (its process'
// creation time) to the first window's first WM_PAINT handled; from pressing
// "Zuzendu Corregir" to the conversion window shown and painted, next to
// reading the file alone; and the program's peak working set. A benchmark,
// not a test: it prints the figures and checks nothing of them.
//   tildora_win32_tiempo_ventana [megabytes]   (300 by default)

#include "core/interno/lector.h"
#include "tests/win32/conductor_win32.h"
#include "ui-win32/aplicacion.h"
#include "ui-win32/controles.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace tildora;

namespace {

// Now, in milliseconds since 1601 (the clock of the process' creation time).
double AhoraMs() {
    FILETIME ahora;
    ::GetSystemTimePreciseAsFileTime(&ahora);
    const ULONGLONG t = (ULONGLONG{ahora.dwHighDateTime} << 32) | ahora.dwLowDateTime;
    return static_cast<double>(t) / 1e4;
}

double InicioProcesoMs() {
    FILETIME creado, salida, nucleo, usuario;
    ::GetProcessTimes(::GetCurrentProcess(), &creado, &salida, &nucleo, &usuario);
    const ULONGLONG t = (ULONGLONG{creado.dwHighDateTime} << 32) | creado.dwLowDateTime;
    return static_cast<double>(t) / 1e4;
}

long PicoMemoriaMiB() {
    PROCESS_MEMORY_COUNTERS m{};
    m.cb = sizeof m;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &m, sizeof m)) {
        return -1;
    }
    return static_cast<long>(m.PeakWorkingSetSize >> 20);
}

// Writes a Windows-1252 text of `tamano` bytes in lines of about 70
// characters, with about one byte in a hundred a wrong character, a piece at
// a time (the program's memory is measured, not the text's making): the
// same text as the Qt face's benchmark writes.
bool EscribirTexto(const std::string& ruta, std::size_t tamano) {
    static const char kCorrectos[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ,.;:0123456789 "
                                     "\xe1\xe9\xed\xf3\xfa\xf1";
    static const unsigned char kErroneos[] = {0xe7, 0xe0, 0xe8, '^',  '|',  '`',
                                              '\t', 0xc7, 0xe2, 0xea, 0x80, 0xb4};
    std::mt19937 azar(12345);
    std::uniform_int_distribution<int> correcto(0, sizeof kCorrectos - 2);
    std::uniform_int_distribution<int> erroneo(0, sizeof kErroneos - 1);
    std::uniform_int_distribution<int> cien(0, 99);
    std::uniform_int_distribution<int> largo(40, 100);
    std::FILE* f = _wfopen(win32::Ancho(ruta).c_str(), L"wb");
    if (f == nullptr) {
        return false;
    }
    std::string t;
    std::size_t escrito = 0;
    bool bien = true;
    while (bien && escrito < tamano) {
        t.clear();
        while (t.size() < (std::size_t{1} << 20) && escrito + t.size() < tamano) {
            const int n = largo(azar);
            for (int i = 0; i < n; ++i) {
                t += cien(azar) == 0 ? static_cast<char>(kErroneos[erroneo(azar)])
                                     : kCorrectos[correcto(azar)];
            }
            t += "\r\n";
        }
        bien = std::fwrite(t.data(), 1, t.size(), f) == t.size();
        escrito += t.size();
    }
    return std::fclose(f) == 0 && bien;
}

// When a window of the program (the first window or a control of it: it
// is the only one yet) first handled WM_PAINT, 0 until then, whether the
// message came from the queue or was sent (UpdateWindow while it shows).
double g_pintada = 0;

void SiPintada(UINT mensaje) {
    if (g_pintada == 0 && mensaje == WM_PAINT) {
        g_pintada = AhoraMs();
    }
}

LRESULT CALLBACK TrasEnviado(int codigo, WPARAM w, LPARAM l) {
    if (codigo == HC_ACTION) {
        const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(l);
        SiPintada(m->message);
    }
    return ::CallNextHookEx(nullptr, codigo, w, l);
}

// Shows the first window and runs the program's messages, as its loop
// does, until the window has handled its first WM_PAINT (at most 10 s);
// the time then, 0 for none.
double PrimeraPintada(pruebas::ConductorWin32& c) {
    HHOOK gancho =
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, TrasEnviado, nullptr, ::GetCurrentThreadId());
    c.app().MostrarSeleccion();
    const ULONGLONG limite = ::GetTickCount64() + 10000;
    while (g_pintada == 0 && ::GetTickCount64() < limite) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        const UINT mensaje = msg.message;
        win32::Despachar(msg);
        SiPintada(mensaje);
        c.app().TrasMensaje();
    }
    ::UnhookWindowsHookEx(gancho);
    return g_pintada;
}

// Reading the file alone, twice (the first warms the cache), into memory
// that is then given back; the second time, in ms; negative when unread.
double TiempoLectura(const std::string& ruta) {
    double leer = -1;
    for (int vez = 0; vez < 2; ++vez) {
        std::string texto;
        const double antes = AhoraMs();
        if (!LeerFichero(ruta, texto)) {
            return -1;
        }
        leer = AhoraMs() - antes;
    }
    return leer;
}

} // namespace

int main(int argc, char** argv) {
    const double inicio = InicioProcesoMs();
    const std::size_t megas = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
    pruebas::ConductorWin32 c;
    // The window's size is remembered in the run's own folder.
    ::SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());

    // The first window, from the program's start to its first paint.
    const double antesVentana = AhoraMs();
    const double pintada = PrimeraPintada(c);
    c.Atender();

    if (pintada == 0) {
        std::fprintf(stderr, "the first window was not painted\n");
        return 1;
    }
    const std::string entrada = c.Ruta("grande.txt");
    const std::string salida = c.Ruta("corregido.txt");
    if (!EscribirTexto(entrada, megas * 1000 * 1000)) {
        std::fprintf(stderr, "cannot write %s\n", entrada.c_str());
        return 1;
    }
    const double leer = TiempoLectura(entrada);
    if (leer < 0) {
        std::fprintf(stderr, "cannot read %s\n", entrada.c_str());
        return 1;
    }
    c.Teclear("txtEntrada", entrada);
    c.Teclear("txtSalida", salida);

    // Press "Zuzendu Corregir" until the conversion window is shown and
    // everything of it is painted.
    const double antesAbrir = AhoraMs();
    c.Pulsar("CmdActualizar");
    HWND conversion = c.app().VentanaActual();
    if (c.VentanaActual() != "FrmConversionCaracteres" || !::IsWindowVisible(conversion)) {
        std::fprintf(stderr, "the conversion window did not open\n");
        return 1;
    }
    ::RedrawWindow(conversion, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double abrir = AhoraMs() - antesAbrir;

    std::printf("file: %zu MB\n", megas);
    std::printf("start -> first window painted:                        %8.1f ms"
                " (%.1f ms of it from showing the window)\n",
                pintada - inicio, pintada - antesVentana);
    std::printf("reading the file alone:                                %8.1f ms\n", leer);
    std::printf("press Zuzendu -> conversion window shown and painted: %8.1f ms (%.2f x reading)\n",
                abrir, abrir / leer);
    std::printf("progress windows shown: %lld; messages: %lld\n",
                static_cast<long long>(c.dialogos().progresos.size()),
                static_cast<long long>(c.dialogos().mensajes.size()));
    std::printf("peak working set of the whole program: %ld MiB (the text is %zu MiB)\n",
                PicoMemoriaMiB(), megas * 1000 * 1000 >> 20);
    std::fflush(stdout);
    ::DeleteFileW(win32::Ancho(entrada).c_str());
    return 0;
}
