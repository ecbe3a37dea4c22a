#include "modelos/dialogos.h"

namespace tildora::modelo {

std::string Motivo(const Error& error) {
    return error.ruta.empty() ? Razon(error) : error.ruta + ": " + Razon(error);
}

} // namespace tildora::modelo
