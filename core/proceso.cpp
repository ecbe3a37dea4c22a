#include "core/proceso.h"

#include "core/interno/plataforma.h"

#include <cerrno>

namespace tildora {

int EscribirEstandar(std::string_view texto, bool error) {
    sistema::Archivo salida =
        error ? sistema::Archivo::SalidaError() : sistema::Archivo::SalidaEstandar();
    return salida.EscribirTodo(texto.data(), texto.size()) ? 0 : errno;
}

void PrepararSenales() {
    sistema::PrepararSenales();
}

std::string CarpetaPrograma() {
    return sistema::CarpetaPrograma();
}

} // namespace tildora
