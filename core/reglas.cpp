#include "core/reglas.h"

#include "core/ficheros.h"

namespace tildora {

std::string RecortarEspacios(std::string_view nombre) {
    const std::size_t a = nombre.find_first_not_of(' ');
    if (a == std::string_view::npos) {
        return {};
    }
    const std::size_t b = nombre.find_last_not_of(' ');
    return std::string(nombre.substr(a, b - a + 1));
}

FalloNombres ComprobarNombres(const std::string& entrada, const std::string& salida,
                              const std::string& almacen) {
    if (entrada.empty() || salida.empty()) {
        return FalloNombres::Vacio;
    }
    if (entrada == salida || MismoFichero(entrada, salida)) {
        return FalloNombres::Iguales;
    }
    if (!almacen.empty() && MismoLugar(salida, almacen)) {
        return FalloNombres::Almacen;
    }
    return FalloNombres::Ninguno;
}

int ValorHex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<unsigned char> ByteHex(char alto, char bajo) {
    const int a = ValorHex(alto);
    const int b = ValorHex(bajo);
    if (a < 0 || b < 0) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(a * 16 + b);
}

std::string EscapeHex(unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'\\', 'x', kHex[c >> 4], kHex[c & 0x0F]};
}

FalloSustituto ComprobarSustituto(std::string_view sustituto) {
    if (sustituto.empty()) {
        return FalloSustituto::Vacio;
    }
    if (sustituto.find_first_of("\r\n") != std::string_view::npos) {
        return FalloSustituto::Salto;
    }
    if (sustituto.size() > kLargoMaximoSustituto) {
        return FalloSustituto::Largo;
    }
    return FalloSustituto::Ninguno;
}

} // namespace tildora
