// The correction engine against the passes done the slow literal way: same
// bytes, same count, and a result over the size limit refused; and the
// preview, put together from pieces, the same bytes.
//
// Input: the number of rows (first byte, 0 to 7), each row as its character
// (a byte that picks one of the wrong characters: a grid lists no others),
// its replacement's length (1 to 32; a replacement is never empty) and the
// replacement, then the text.

#include "core/caracteres.h"
#include "core/documento.h"
#include "core/interno/reescritura.h"
#include "fuzz/previa.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A limit small enough for the literal passes to reach it quickly, large
// enough for forms that are written a piece at a time.
constexpr std::uint64_t kLimite = std::uint64_t{256} << 10;

// For each row, every occurrence of its character in the whole current
// text, left to right, replaced (by nothing for the delete answer); the
// search goes on after the replacement. With a row for LF, every LF of the
// text as read that no CR comes before becomes CR LF first, whatever the row
// holds; no other row acts on line breaks, those its replacement brings
// included. False when the text grows past any use.
bool Referencia(std::string& t, const std::vector<tildora::Fila>& pares, std::uint64_t& cuenta) {
    cuenta = 0;
    for (const tildora::Fila& fila : pares) {
        if (fila.clave == "\n") {
            std::string nuevo;
            for (std::size_t i = 0; i < t.size(); ++i) {
                if (t[i] == '\n' && (i == 0 || t[i - 1] != '\r')) {
                    nuevo += '\r';
                    ++cuenta;
                }
                nuevo += t[i];
            }
            t = std::move(nuevo);
            break;
        }
    }
    for (const tildora::Fila& fila : pares) {
        const std::string& c = fila.clave;
        const std::string sustituto = fila.borrar ? std::string() : fila.sustituto;
        if (c.size() != 1 || c == "\r" || c == "\n") {
            continue;
        }
        std::string nuevo;
        for (char x : t) {
            if (x == c[0]) {
                nuevo += sustituto;
                ++cuenta;
            } else {
                nuevo += x;
            }
            if (nuevo.size() > 16 * kLimite) {
                return false;
            }
        }
        t = std::move(nuevo);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::size_t p = 0;
    if (n == 0) {
        return 0;
    }
    std::vector<char> erroneos;
    for (int c = 0; c < 256; ++c) {
        if (!tildora::kCaracteresValidos[static_cast<unsigned char>(c)] && c != '\r') {
            erroneos.push_back(static_cast<char>(c));
        }
    }
    const std::size_t filas = datos[p++] % 8;
    std::vector<tildora::Fila> pares;
    for (std::size_t i = 0; i < filas; ++i) {
        if (p + 2 > n) {
            return 0;
        }
        const char c = erroneos[datos[p++] % erroneos.size()];
        // The high bit makes the row's answer the delete answer, which
        // outweighs the replacement the row holds all the same.
        const bool borrar = (datos[p] & 0x80) != 0;
        const std::size_t largo = 1 + datos[p++] % 32;
        if (p + largo > n) {
            return 0;
        }
        pares.push_back({std::string(1, c),
                         std::string(reinterpret_cast<const char*>(datos) + p, largo), borrar});
        p += largo;
    }
    const std::string texto(reinterpret_cast<const char*>(datos) + p, n - p);

    std::string esperado = texto;
    std::uint64_t cuentaEsperada = 0;
    if (!Referencia(esperado, pares, cuentaEsperada)) {
        return 0;
    }
    // The engine itself: the accept would refuse rows that leave wrong
    // characters, which the engine must still correct as the passes do.
    const tildora::Resultado<tildora::Documento> documento =
        tildora::DocumentoDeTexto(texto, tildora::Codificacion::Windows1252);
    if (!documento) {
        __builtin_trap();
    }
    std::string salida;
    tildora::DestinoMemoria destino(salida);
    const tildora::Resultado<std::uint64_t> r =
        tildora::Reescribir(*documento, pares, destino, false, kLimite, nullptr);
    if (esperado.size() > kLimite) {
        if (r || r.fallo() != tildora::Fallo::Crecimiento || !salida.empty()) {
            __builtin_trap();
        }
    } else if (!r || salida != esperado || *r != cuentaEsperada) {
        __builtin_trap();
    } else {
        // The preview, in pieces that cut the text every few bytes, is the
        // same text.
        std::vector<std::size_t> donde;
        for (std::size_t i = 1 + n % 17; i < texto.size(); i += 1 + n % 17) {
            donde.push_back(i);
        }
        if (PreviaJunta(*documento, pares, donde) != salida) {
            __builtin_trap();
        }
    }
    return 0;
}
