// The executable `tildora`: with a command, the command line; without one
// (no arguments, a file to open, the toolkit's options), the windows, which
// are a program of their own beside this one, so that a command-line run
// never loads the window libraries.

#include "cli/argumentos.h"
#include "cli/cli.h"
#include "cli/terminal.h"
#include "core/proceso.h"
#include "core/textos.h"

#include <cstdlib>
#include <new>
#include <string>
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
    const int codigo = tildora::SustituirPrograma(ventanas, argv);
    std::string razon(tildora::textos::VentanasNoEncontradas);
    razon.append(ventanas).append(": ").append(tildora::RazonSistema(codigo));
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
    // In UTF-8 on every system (on Windows from the wide command line).
    std::vector<std::string> argumentos;
    std::vector<char*> punteros;
    // The windows' program reads the same arguments again, for the toolkit
    // and for the file to open.
    try {
        argumentos = tildora::ArgumentosDelPrograma(argc, argv);
        if (argumentos.empty()) {
            argumentos.emplace_back(); // started without even a name
        }
        for (std::string& a : argumentos) {
            punteros.push_back(a.data());
        }
        punteros.push_back(nullptr);
        if (tildora::cli::DecidirArranque(
                std::vector<std::string>(argumentos.begin() + 1, argumentos.end()))
                .ventanas) {
            return AbrirVentanas(punteros.data());
        }
    } catch (const std::bad_alloc&) {
        tildora::cli::SinMemoria();
        return tildora::cli::kFallo;
    }
    // An interrupted write leaves no temporary file behind.
    tildora::PrepararSenales();
    return tildora::EjecutarLineaDeOrdenes(static_cast<int>(argumentos.size()), punteros.data());
}
