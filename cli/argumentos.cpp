#include "cli/argumentos.h"

#include "cli/terminal.h"
#include "core/textos.h"

#include <algorithm>
#include <string_view>
#include <unistd.h>

namespace tildora::cli {

namespace {

bool EsOpcion(std::string_view a) {
    return a.size() > 1 && a[0] == '-';
}

// --help and --version answer wherever they stand.
std::optional<int> Informacion(std::string_view a) {
    if (a == "--help" || a == "-h") {
        Poner(STDOUT_FILENO, textos::Ayuda);
        return kBien;
    }
    if (a == "--version") {
        Poner(STDOUT_FILENO, textos::Version);
        return kBien;
    }
    return std::nullopt;
}

} // namespace

std::optional<int> AnalizarArgumentos(const std::vector<std::string>& args, Llamada& llamada) {
    std::size_t i = 0;

    // Options before the command.
    for (; i < args.size() && EsOpcion(args[i]); ++i) {
        const std::string& a = args[i];
        if (const auto estado = Informacion(a)) {
            return estado;
        }
        const bool separado = a == "--store";
        if (!separado && a.rfind("--store=", 0) != 0) {
            return Uso(textos::OpcionDesconocida, a);
        }
        if (llamada.rutaAlmacen) {
            return Uso(textos::OpcionRepetida, "--store");
        }
        if (separado && i + 1 == args.size()) {
            return Uso(textos::FaltaValor, a);
        }
        std::string valor = separado ? args[++i] : a.substr(8);
        if (valor.empty()) {
            return Uso(textos::FaltaValor, "--store");
        }
        llamada.rutaAlmacen = std::move(valor);
    }
    if (i == args.size()) {
        return Uso(textos::FaltaOrden);
    }
    const std::string orden = args[i++];
    const bool conocida = orden == "check" || orden == "fix" || orden == "remember";
    const bool fix = orden == "fix";

    // The command's own options may stand anywhere among its arguments;
    // "--" ends them.
    bool finOpciones = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (finOpciones || !EsOpcion(a)) {
            llamada.resto.push_back(a);
        } else if (a == "--") {
            finOpciones = true;
        } else if (const auto estado = Informacion(a)) {
            return estado;
        } else if (fix && a == "--out-dir" && i + 1 == args.size()) {
            return Uso(textos::FaltaValor, a);
        } else if (fix && a == "--force") {
            llamada.forzar = true;
        } else if (fix && llamada.carpeta && (a == "--out-dir" || a.rfind("--out-dir=", 0) == 0)) {
            return Uso(textos::OpcionRepetida, "--out-dir");
        } else if (fix && a == "--out-dir") {
            llamada.carpeta = args[++i];
        } else if (fix && a.rfind("--out-dir=", 0) == 0) {
            llamada.carpeta = a.substr(10);
        } else if (conocida) {
            return Uso(textos::OpcionDesconocida, a);
        }
    }

    if (!conocida) {
        return Uso(textos::OrdenDesconocida, orden);
    }
    const std::size_t n = llamada.resto.size();
    const bool cuentaBien = orden == "check" ? n > 0
                            : fix            ? (llamada.carpeta ? n > 0 : n == 2)
                                             : n == 2;
    if (!cuentaBien) {
        return Uso(textos::CuentaArgumentos, orden);
    }
    // Standard input can be read once: "-" names it once among the inputs.
    if (orden == "check" && std::count(llamada.resto.begin(), llamada.resto.end(), "-") > 1) {
        return Uso(textos::EntradaEstandarRepetida);
    }
    llamada.orden = orden == "check" ? Llamada::Orden::Check
                    : fix            ? Llamada::Orden::Fix
                                     : Llamada::Orden::Remember;
    return std::nullopt;
}

} // namespace tildora::cli
