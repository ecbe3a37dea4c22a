// The executable `tildora`: with a command, the command line; without one
// (no arguments, a file to open, the toolkit's options), the windows, which
// are a program of their own beside this one, so that a command-line run
// never loads the window libraries.

#include "cli/argumentos.h"
#include "cli/cli.h"
#include "cli/terminal.h"
#include "core/proceso.h"
#include "core/textos.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Memory kept from the start and given back the first time memory runs
// out, so that what follows (the exception that says so, the message) has
// some. A new handler can be handed nothing, so this is the command line's
// one piece of state outside its objects.
constexpr std::size_t kReserva = 256 << 10;
void* g_reserva = nullptr;

void LiberarReserva() {
    std::free(std::exchange(g_reserva, nullptr));
    // The next failure throws std::bad_alloc.
    std::set_new_handler(nullptr);
}

int AbrirVentanas([[maybe_unused]] char** argv) {
#ifdef TILDORA_VENTANAS
    const std::string ventanas = tildora::CarpetaPrograma() + "/" TILDORA_VENTANAS;
    argv[0] = const_cast<char*>(ventanas.c_str());
    ::execv(ventanas.c_str(), argv);
    std::string razon(tildora::textos::VentanasNoEncontradas);
    razon.append(ventanas).append(": ").append(std::strerror(errno));
    tildora::cli::Error(razon);
#else
    tildora::cli::Error(tildora::textos::SinVentanas);
#endif
    return tildora::cli::kFallo;
}

} // namespace

int main(int argc, char** argv) {
    g_reserva = std::malloc(kReserva);
    if (g_reserva == nullptr) {
        tildora::cli::SinMemoria();
        return tildora::cli::kFallo;
    }
    std::set_new_handler(LiberarReserva);
    // The windows' program reads the same arguments again, for the toolkit
    // and for the file to open.
    try {
        if (tildora::cli::DecidirArranque(std::vector<std::string>(argv + 1, argv + argc))
                .ventanas) {
            return AbrirVentanas(argv);
        }
    } catch (const std::bad_alloc&) {
        tildora::cli::SinMemoria();
        return tildora::cli::kFallo;
    }
    // An interrupted write leaves no temporary file behind.
    tildora::PrepararSenales();
    return tildora::EjecutarLineaDeOrdenes(argc, argv);
}
