#include "cli/cli.h"

#include "cli/argumentos.h"
#include "cli/ordenes.h"
#include "cli/terminal.h"
#include "core/almacen.h"

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace tildora {

namespace {

int Ejecutar(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::Llamada llamada;
    if (const auto estado = cli::AnalizarArgumentos(args, llamada)) {
        return *estado;
    }
    const std::string almacen =
        llamada.rutaAlmacen ? *llamada.rutaAlmacen : RutaAlmacenPorDefecto();
    cli::Ordenes ordenes(almacen, llamada.forzar, llamada.carpeta.has_value(), llamada.desde,
                         llamada.hacia, llamada.proponer);
    switch (llamada.orden) {
    case cli::Llamada::Orden::Check:
        return ordenes.Check(llamada.resto);
    case cli::Llamada::Orden::Remember:
        if (llamada.borrar) {
            return ordenes.RememberDelete(llamada.resto[0]);
        }
        return ordenes.Remember(llamada.resto[0], llamada.resto[1]);
    case cli::Llamada::Orden::List:
        return ordenes.List();
    case cli::Llamada::Orden::Forget:
        return ordenes.Forget(llamada.resto[0]);
    case cli::Llamada::Orden::Fix:
        break;
    }
    if (llamada.carpeta) {
        return ordenes.FixCarpeta(*llamada.carpeta, llamada.resto);
    }
    return ordenes.Fix(llamada.resto[0], llamada.resto[1]);
}

} // namespace

int EjecutarLineaDeOrdenes(int argc, char** argv) {
    // Memory that runs out anywhere is said, and nothing is written: what
    // was being written goes with the objects writing it.
    try {
        return Ejecutar(argc, argv);
    } catch (const std::bad_alloc&) {
        cli::SinMemoria();
    } catch (const std::length_error&) {
        cli::SinMemoria(); // a size past what any memory holds
    }
    return cli::kFallo;
}

} // namespace tildora
