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
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

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
