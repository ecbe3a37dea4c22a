// The scan of a Windows-1252 text, given its text in pieces cut anywhere, in
// every way the search can go here (the vector ones and the plain one),
// against a byte-by-byte reference.
//
// Input: the number of cuts (first byte, 0 to 7), each cut as two bytes,
// then the text.

#include "core/caracteres.h"
#include "core/documento.h"
#include "core/interno/escaneo.h"
#include "core/unicode.h"
#include "fuzz/cortes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

struct Referencia {
    std::vector<char32_t> orden;
    std::uint64_t cuentas[256] = {};
    tildora::Posicion primera[256];
};

// Lines end at CR LF or a lone CR, whose bytes are never checked, and at a
// lone LF, which is also a wrong character.
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
        if (c == '\n') {
            ++linea;
            inicio = i + 1;
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

    using namespace tildora;
    const Referencia ref = Escanear(texto, kCaracteresValidos);
    for (const Via via : {Via::Sencilla, Via::Avx2, Via::Avx512}) {
        if (via > MejorVia()) {
            continue;
        }
        Escaneo e(Unidades::Ansi, via);
        Costura costura(false);
        for (std::size_t i = 0; i + 1 < donde.size(); ++i) {
            costura.Coser(texto.data() + donde[i], donde[i + 1] - donde[i],
                          [&](const unsigned char* p, std::size_t m, unsigned char anterior) {
                              e.Procesar(p, m, anterior);
                              return true;
                          });
        }
        const Recuento& r = e.Resultado();
        bool igual = r.bytes == texto.size() && r.primeras.size() == ref.orden.size();
        for (std::size_t i = 0; igual && i < r.primeras.size(); ++i) {
            const Recuento::Primera& p = r.primeras[i];
            igual = p.unidad == ref.orden[i] && r.cuentas[i] == ref.cuentas[p.unidad] &&
                    p.linea + 1 == ref.primera[p.unidad].linea &&
                    p.columna == ref.primera[p.unidad].columna;
        }
        if (!igual) {
            __builtin_trap();
        }
    }
    return 0;
}
