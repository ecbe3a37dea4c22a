#include "ui-win32/dialogos.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

namespace tildora::win32 {

namespace {

// Until the step's end is signalled, the windows stay painted: messages
// other than the user's input are handled (input waits in the queue) until
// the progress window shows, after `umbralMs`; from then on its bar follows
// `progreso` and its cancel asks `progreso` to stop (its owner takes no
// input meanwhile). Gives the progress window back, if it showed.
std::unique_ptr<modelo::IndicadorProgreso> Esperar(HANDLE terminado, DialogosWin32& dialogos,
                                                   const modelo::PasoLargo& como,
                                                   Progreso& progreso) {
    const auto inicio = std::chrono::steady_clock::now();
    std::unique_ptr<modelo::IndicadorProgreso> indicador;
    for (;;) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &terminado, FALSE, 20, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            return indicador;
        }
        MSG msg;
        const UINT sinEntrada = PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
        while (!indicador && ::PeekMessageW(&msg, nullptr, 0, 0, sinEntrada)) {
            if (msg.message == WM_QUIT) {
                // For the loop once the step is over.
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            ::DispatchMessageW(&msg);
        }
        if (!indicador &&
            std::chrono::steady_clock::now() - inicio >= std::chrono::milliseconds(como.umbralMs)) {
            indicador = dialogos.MostrarProgreso(std::string(como.texto), como.conCancelar);
        }
        if (indicador) {
            const std::uint64_t total = progreso.total.load();
            const std::uint64_t hechos = std::min(progreso.hechos.load(), total);
            indicador->Avanzar(total == 0 ? 0 : static_cast<int>(hechos * 1000 / total));
            if (indicador->Cancelado()) {
                progreso.cancelar = true;
            }
        }
    }
}

} // namespace

void DialogosWin32::Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                             const std::function<void()>& paso) {
    HANDLE terminado = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::exception_ptr fallo;
    const auto correr = [&] {
        try {
            paso();
        } catch (...) {
            fallo = std::current_exception();
        }
        ::SetEvent(terminado);
    };
    std::thread hilo;
    try {
        if (terminado == nullptr) {
            throw std::system_error(std::make_error_code(std::errc::not_enough_memory));
        }
        hilo = std::thread(correr);
    } catch (const std::system_error&) {
        correr(); // no thread to be had: here, the windows unpainted meanwhile
    }
    std::unique_ptr<modelo::IndicadorProgreso> indicador =
        hilo.joinable() ? Esperar(terminado, *this, como, progreso) : nullptr;
    if (hilo.joinable()) {
        hilo.join();
    }
    indicador.reset();
    if (terminado != nullptr) {
        ::CloseHandle(terminado);
    }
    if (fallo) {
        std::rethrow_exception(fallo);
    }
}

} // namespace tildora::win32
