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

std::vector<std::string> ArgumentosDelPrograma(int argc, char** argv) {
    return sistema::Argumentos(argc, argv);
}

int SustituirPrograma(const std::string& programa, char** argv) {
    return sistema::SustituirPrograma(programa, argv);
}

std::size_t InicioDelNombre(std::string_view ruta) {
    return sistema::CarpetaDe(std::string(ruta)).size();
}

} // namespace tildora
