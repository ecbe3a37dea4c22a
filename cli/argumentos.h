#pragma once

#include "core/unicode.h"

#include <optional>
#include <string>
#include <vector>

namespace tildora::cli {

// What the arguments ask for.
struct Llamada {
    enum class Orden { Check, Fix, Remember, List, Forget };
    Orden orden = Orden::Check;
    std::optional<std::string> rutaAlmacen; // --store
    bool forzar = false;                    // fix --force
    bool proponer = false;                  // check, fix --propose
    bool borrar = false;                    // remember --delete
    std::optional<std::string> carpeta;     // fix --out-dir
    std::optional<Codificacion> desde;      // check, fix --from
    std::optional<Codificacion> hacia;      // fix --to
    std::vector<std::string> resto;         // the command's other arguments
};

// Reads the arguments (without the program's name). Returns the exit status
// when there is nothing more to do: help or version shown, or a usage error
// reported. Otherwise fills `llamada` and returns nothing.
std::optional<int> AnalizarArgumentos(const std::vector<std::string>& args, Llamada& llamada);

// Whether the arguments (without the program's name) open the windows, and
// with which file. The windows open with no arguments, with only the toolkit's
// own options (-platform NAME, -style NAME, -session ID, -reverse, ...; they
// are the toolkit's to read), and with one argument besides those that is
// neither a command nor an option and names an existing file that is not a
// folder: that file goes into the input box. This is how a desktop menu entry,
// "Open with" and a file dropped on the program's icon start it. Anything
// else is the command line, usage errors included.
struct Arranque {
    bool ventanas = false;
    std::string fichero; // empty: the windows open with empty boxes
};
Arranque DecidirArranque(const std::vector<std::string>& args);

} // namespace tildora::cli
