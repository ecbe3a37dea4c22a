// What only the Win32 face has: its first window's controls as Windows
// holds them, its real message boxes, and the two programs started as a
// user starts them.

#include "tests/win32/conductor_win32.h"

#include "core/progreso.h"
#include "core/textos.h"
#include "ui-win32/controles.h"
#include "ui-win32/dialogos.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace tildora;
using tildora::pruebas::ConductorWin32;

namespace {

RECT Lugar(HWND control) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top}; // left, top, width, height
}

// A top-level window of this thread's, visible, of `clase`; null for none.
HWND VentanaDelHilo(const wchar_t* clase) {
    struct Busqueda {
        const wchar_t* clase;
        HWND hallada;
    } b{clase, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM l) -> BOOL {
            auto* b = reinterpret_cast<Busqueda*>(l);
            wchar_t clase[64] = {};
            ::GetClassNameW(h, clase, 64);
            if (::IsWindowVisible(h) && std::wstring(clase) == b->clase) {
                b->hallada = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&b));
    return b.hallada;
}

std::vector<HWND> Botones(HWND ventana) {
    std::vector<HWND> botones;
    ::EnumChildWindows(
        ventana,
        [](HWND h, LPARAM l) -> BOOL {
            wchar_t clase[16] = {};
            ::GetClassNameW(h, clase, 16);
            if (std::wstring(clase) == L"Button" && ::IsWindowVisible(h)) {
                reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&botones));
    return botones;
}

// What a message box showed, and how the test answered it.
struct Caja {
    std::string titulo;
    std::vector<std::string> botones;
    std::string porDefecto;
    enum class Como { Aceptar, Esc, Cerrar } como = Como::Aceptar;
};

// Answers the box that shows next from a timer of a window of its own, which
// holds what the box showed.
void CALLBACK Responder(HWND ayudante, UINT, UINT_PTR temporizador, DWORD) {
    HWND caja = VentanaDelHilo(L"#32770");
    auto* vista = reinterpret_cast<Caja*>(::GetWindowLongPtrW(ayudante, GWLP_USERDATA));
    if (caja == nullptr || vista == nullptr) {
        return;
    }
    ::KillTimer(ayudante, temporizador);
    ::SetWindowLongPtrW(ayudante, GWLP_USERDATA, 0);
    vista->titulo = win32::TextoDe(caja);
    for (HWND b : Botones(caja)) {
        vista->botones.push_back(win32::TextoDe(b));
        if ((::GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            vista->porDefecto = win32::TextoDe(b);
        }
    }
    if (const char* carpeta = std::getenv("TILDORA_CAPTURAS"); carpeta && *carpeta) {
        pruebas::GuardarImagen(caja, std::string(carpeta) + "/Mensaje.bmp");
    }
    if (vista->como == Caja::Como::Cerrar) {
        ::PostMessageW(caja, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (vista->como == Caja::Como::Esc) {
        // Esc on the box, where its modal loop reads it.
        HWND foco = ::GetFocus();
        ::PostMessageW(foco, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageW(foco, WM_KEYUP, VK_ESCAPE, 1 | (LPARAM{3} << 30));
    } else {
        ::SendMessageW(Botones(caja).front(), BM_CLICK, 0, 0);
    }
}

} // namespace

TEST(CaraWin32, TheFirstWindowsControlsAtNinetySixDotsPerInch) {
    ConductorWin32 c;
    c.MostrarSeleccion();
    HWND v = c.app().VentanaActual();
    if (win32::PuntosPorPulgada(v) != 96) {
        GTEST_SKIP() << "this display is not at 96 dots per inch";
    }
    RECT cliente;
    ::GetClientRect(v, &cliente);
    EXPECT_EQ(cliente.right, 344);
    EXPECT_EQ(cliente.bottom, 301);
    EXPECT_EQ(win32::TextoDe(v), textos::Titulo);
    struct Esperado {
        const char* nombre;
        RECT donde; // left, top, width, height
        std::string_view texto;
    };
    const Esperado controles[] = {
        {"lblFitxategiakAukeratu", {10, 16, 323, 31}, textos::LblFitxategiakAukeratu},
        {"LblSeleccionFicheros", {10, 52, 323, 31}, textos::LblSeleccionFicheros},
        {"cmdEntrada", {278, 124, 27, 23}, ""},
        {"txtEntrada", {32, 124, 243, 23}, ""},
        {"txtSalida", {32, 182, 243, 23}, ""},
        {"cmdSalida", {278, 182, 27, 23}, ""},
        {"CmdActualizar", {74, 230, 87, 53}, "Zuzendu\nCorregir"},
        {"CmdSalir", {186, 230, 87, 53}, "Irten\nSalir"},
        {"LblAct", {34, 102, 241, 20}, textos::LblAct},
        {"Label1", {34, 160, 241, 20}, textos::Label1Salida},
    };
    for (const Esperado& e : controles) {
        HWND control = c.Control(e.nombre);
        ASSERT_NE(control, nullptr) << e.nombre;
        const RECT r = Lugar(control);
        EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>({e.donde.left, e.donde.top, e.donde.right, e.donde.bottom}))
            << e.nombre;
        EXPECT_EQ(win32::TextoDe(control), e.texto) << e.nombre;
    }
    // Every button shows its picture.
    for (const char* boton : {"cmdEntrada", "cmdSalida", "CmdActualizar", "CmdSalir"}) {
        BUTTON_IMAGELIST lista{};
        ::SendMessageW(c.Control(boton), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&lista));
        EXPECT_EQ(::ImageList_GetImageCount(lista.himl), 1) << boton;
    }
}

TEST(CaraWin32, MessageBoxesSpeakBothLanguages) {
    win32::DialogosWin32 dialogos;
    using R = modelo::Dialogos::Respuesta;
    const std::string aceptar(textos::BotonAceptar);
    const std::string cancelar(textos::BotonCancelar);
    struct Caso {
        bool pregunta;
        R porDefecto;
        Caja::Como como;
        R respuesta;
        std::vector<std::string> botones;
        std::string porDefectoVisto;
    };
    const Caso casos[] = {
        {false, R::Aceptar, Caja::Como::Aceptar, R::Aceptar, {aceptar}, aceptar},
        // The close box is Cancel, on a box with OK alone too; so is Esc.
        {false, R::Aceptar, Caja::Como::Cerrar, R::Cancelar, {aceptar}, aceptar},
        {true, R::Cancelar, Caja::Como::Aceptar, R::Aceptar, {aceptar, cancelar}, cancelar},
        {true, R::Aceptar, Caja::Como::Esc, R::Cancelar, {aceptar, cancelar}, aceptar},
    };
    HWND ayudante = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
    for (const Caso& caso : casos) {
        Caja vista;
        vista.como = caso.como;
        ::SetWindowLongPtrW(ayudante, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&vista));
        ::SetTimer(ayudante, 1, 20, &Responder);
        const std::string texto(textos::M3SobreEscribir);
        const R r = caso.pregunta ? dialogos.Preguntar(texto, caso.porDefecto)
                                  : dialogos.Mensaje(texto, false);
        EXPECT_EQ(r, caso.respuesta);
        EXPECT_EQ(vista.titulo, textos::Titulo);
        EXPECT_EQ(vista.botones, caso.botones);
        EXPECT_EQ(vista.porDefecto, caso.porDefectoVisto);
    }
    ::DestroyWindow(ayudante);
}

namespace {

// Starts tildora.com, as typed in a console, with `argumentos`; its first
// window, of tildora.exe, once it shows, and the process.
struct Arranque {
    PROCESS_INFORMATION proceso{};
    HWND ventana = nullptr;
};

Arranque Arrancar(const std::wstring& argumentos) {
    std::wstring linea = L"\"" + win32::Ancho(TILDORA_COM) + L"\" " + argumentos;
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    Arranque a;
    if (!::CreateProcessW(nullptr, linea.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &inicio, &a.proceso)) {
        return a;
    }
    // Not a measure of time: only how long a start may take before the test
    // gives up on it.
    for (int i = 0; i < 600 && a.ventana == nullptr; ++i) {
        ::Sleep(50);
        HWND v = ::FindWindowW(L"TildoraFrmElegirFicheros", nullptr);
        a.ventana = ::IsWindowVisible(v) ? v : nullptr;
    }
    return a;
}

} // namespace

TEST(CaraWin32, TheCommandLineWithoutACommandOpensTheWindows) {
    prueba::CarpetaTemporal carpeta;
    const std::string carta = carpeta / "carta.txt";
    prueba::Escribir(carta, "hola\r\n");
    struct Caso {
        std::wstring argumentos;
        std::string entrada; // the input box's text
    };
    const Caso casos[] = {{L"", ""}, {L"\"" + win32::Ancho(carta) + L"\"", carta}};
    for (const Caso& caso : casos) {
        Arranque a = Arrancar(caso.argumentos);
        ASSERT_NE(a.proceso.hProcess, nullptr);
        ASSERT_NE(a.ventana, nullptr);
        HWND caja =
            ::GetDlgItem(a.ventana, win32::IdControl(modelo::DisposicionEleccion(), "txtEntrada"));
        // Another process's box is asked for its text, not read.
        wchar_t texto[1024] = {};
        ::SendMessageW(caja, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(texto));
        EXPECT_EQ(win32::Utf8(texto), caso.entrada);
        // The close box ends the windows, and the command line with them.
        ::PostMessageW(a.ventana, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_EQ(::WaitForSingleObject(a.proceso.hProcess, 60000), WAIT_OBJECT_0);
        DWORD estado = 1;
        ::GetExitCodeProcess(a.proceso.hProcess, &estado);
        EXPECT_EQ(estado, 0u);
        ::CloseHandle(a.proceso.hProcess);
        ::CloseHandle(a.proceso.hThread);
    }
}

TEST(CaraWin32, LongStepsRunOnAThreadOfTheirOwnWithAProgressWindow) {
    win32::DialogosWin32 dialogos;
    Progreso progreso;
    progreso.total = 100;
    const std::thread::id ventanas = std::this_thread::get_id();
    std::thread::id delPaso;
    bool vista = false;
    // Shown at once; its cancel, pressed, asks the step to stop.
    dialogos.Ejecutar(modelo::PasoLargo{textos::ProgresoLectura, true, 0}, progreso, [&] {
        delPaso = std::this_thread::get_id();
        HWND ventana = nullptr;
        for (int i = 0; i < 3000 && ventana == nullptr; ++i) {
            ::Sleep(10);
            ventana = ::FindWindowW(L"TildoraProgreso", nullptr);
        }
        vista = ventana != nullptr;
        // What a click on it tells its window (a button in the background
        // takes no BM_CLICK: it cannot capture the mouse).
        HWND cancelar = ::GetDlgItem(ventana, IDCANCEL);
        ::SendMessageW(ventana, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(cancelar));
        for (int i = 0; i < 3000 && !progreso.Cancelado(); ++i) {
            ::Sleep(10);
        }
    });
    EXPECT_NE(delPaso, ventanas);
    EXPECT_TRUE(vista);
    EXPECT_TRUE(progreso.Cancelado());
    EXPECT_EQ(::FindWindowW(L"TildoraProgreso", nullptr), nullptr);
    // What the step throws comes out here.
    Progreso otro;
    EXPECT_THROW(dialogos.Ejecutar(modelo::PasoLargo{textos::ProgresoLectura}, otro,
                                   [] { throw std::runtime_error("x"); }),
                 std::runtime_error);
}
