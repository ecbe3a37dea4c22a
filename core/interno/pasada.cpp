#include "core/interno/pasada.h"

namespace tildora::detalle {

Modo Reconocer(std::string_view inicio, std::optional<Codificacion> forzada) {
    if (forzada) {
        return Modo{*forzada, false, true};
    }
    for (const Codificacion c : {Codificacion::Utf16LE, Codificacion::Utf16BE}) {
        if (LongitudMarca(c, inicio) > 0) {
            return Modo{c};
        }
    }
    ValidadorUtf8 validador;
    Costura costura(true);
    costura.Coser(inicio.data(), inicio.size(),
                  [&](const unsigned char* p, std::size_t n, unsigned char) {
                      validador.Procesar(p, n);
                      return true;
                  });
    if (validador.Invalido()) {
        return Modo{};
    }
    if (validador.Multibyte() || inicio.substr(0, 3) == kMarcaUtf8) {
        return Modo{Codificacion::Utf8};
    }
    return Modo{Codificacion::Windows1252, true};
}

} // namespace tildora::detalle
