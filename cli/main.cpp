// The executable `tildora`: with a command, the command line; without one
// (no arguments, a file to open, the toolkit's options), the windows, which
// are a program of their own beside this one, so that a command-line run
// never loads the window libraries.

#include "cli/argumentos.h"
#include "cli/principal.h"
#include "cli/terminal.h"
#include "core/proceso.h"
#include "core/textos.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

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
    if (!tildora::cli::ReservarMemoria()) {
        return tildora::cli::kFallo;
    }
    // In UTF-8 on every system (on Windows from the wide command line).
    std::vector<std::string> argumentos;
    try {
        argumentos = tildora::ArgumentosDelPrograma(argc, argv);
        if (argumentos.empty()) {
            argumentos.emplace_back(); // started without even a name
        }
        if (tildora::cli::DecidirArranque(
                std::vector<std::string>(argumentos.begin() + 1, argumentos.end()))
                .ventanas) {
            // The windows' program reads the same arguments again, for the
            // toolkit and for the file to open.
            std::vector<char*> punteros;
            for (std::string& a : argumentos) {
                punteros.push_back(a.data());
            }
            punteros.push_back(nullptr);
            return AbrirVentanas(punteros.data());
        }
    } catch (const std::bad_alloc&) {
        tildora::cli::SinMemoria();
        return tildora::cli::kFallo;
    }
    // An interrupted write leaves no temporary file behind.
    tildora::PrepararSenales();
    return tildora::cli::LineaDeOrdenes(std::move(argumentos));
}
