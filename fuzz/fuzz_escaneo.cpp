// The scan, given its text in pieces cut anywhere, with the fast search and
// with the plain one, against a byte-by-byte reference.
//
// Input: the number of cuts (first byte, 0 to 7), each cut as two bytes,
// then the text.

#include "core/escaneo.h"
#include "core/tabla.h"
#include "fuzz/cortes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

struct Referencia {
    std::vector<unsigned char> orden;
    std::uint64_t cuentas[256] = {};
    tildora::Posicion primera[256];
};

// Lines end at CR LF or a lone CR, whose bytes are never checked; a lone
// LF is an ordinary character.
Referencia Escanear(std::string_view t, const tildora::TablaValidez& tabla) {
    Referencia r;
    std::uint64_t linea = 1;
    std::size_t inicio = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c == '\r') {
            if (i + 1 < t.size() && t[i + 1] == '\n') {
                ++i;
            }
            ++linea;
            inicio = i + 1;
            continue;
        }
        if (tabla[c]) {
            continue;
        }
        if (r.cuentas[c]++ == 0) {
            r.orden.push_back(c);
            r.primera[c] = {linea, i - inicio + 1};
        }
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::string_view texto;
    std::vector<std::size_t> donde;
    if (!LeerCortes(datos, n, texto, donde)) {
        return 0;
    }

    const tildora::TablaValidez& tabla = tildora::TablaFija();
    const Referencia ref = Escanear(texto, tabla);
    for (const bool vectorial : {true, false}) {
        tildora::Escaner e(tabla, vectorial);
        for (std::size_t i = 0; i + 1 < donde.size(); ++i) {
            e.Procesar(texto.data() + donde[i], donde[i + 1] - donde[i]);
        }
        bool igual =
            e.Encontrados() == ref.orden && e.Total() == texto.size() &&
            std::equal(std::begin(ref.cuentas), std::end(ref.cuentas), std::begin(e.Cuentas()));
        for (unsigned char c : ref.orden) {
            igual = igual && e.Primera(c).linea == ref.primera[c].linea &&
                    e.Primera(c).columna == ref.primera[c].columna;
        }
        if (!igual) {
            __builtin_trap();
        }
    }
    return 0;
}
