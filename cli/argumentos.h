#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tildora::cli {

// What the arguments ask for.
struct Llamada {
    enum class Orden { Check, Fix, Remember };
    Orden orden = Orden::Check;
    std::optional<std::string> rutaAlmacen; // --store
    bool forzar = false;                    // fix --force
    std::optional<std::string> carpeta;     // fix --out-dir
    std::vector<std::string> resto;         // the command's other arguments
};

// Reads the arguments (without the program's name). Returns the exit status
// when there is nothing more to do: help or version shown, or a usage error
// reported. Otherwise fills `llamada` and returns nothing.
std::optional<int> AnalizarArgumentos(const std::vector<std::string>& args, Llamada& llamada);

} // namespace tildora::cli
