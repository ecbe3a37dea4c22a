// Recognition, the UTF-8 scan and the Unicode rewrite, against a plain
// decoder of their own: any bytes, cut anywhere.
//
// Input: the number of cuts (first byte, 0 to 7), each cut as two bytes,
// then the text. Every wrong character found gets the replacement "x".

#include "core/analisis.h"
#include "core/ansi.h"
#include "core/codificacion.h"
#include "core/reescritura.h"
#include "core/tabla.h"
#include "core/utf8.h"
#include "fuzz/cortes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Strict UTF-8, the way the standard writes it: shortest forms, no
// surrogates, nothing above U+10FFFF.
std::optional<std::u32string> Decodificar(std::string_view t) {
    std::u32string r;
    for (std::size_t i = 0; i < t.size();) {
        const auto b = static_cast<unsigned char>(t[i]);
        std::size_t largo = b < 0x80    ? 1
                            : b >= 0xF8 ? 0
                            : b >= 0xF0 ? 4
                            : b >= 0xE0 ? 3
                            : b >= 0xC0 ? 2
                                        : 0;
        if (largo == 0 || i + largo > t.size()) {
            return std::nullopt;
        }
        char32_t cp = largo == 1 ? b : b & (0x7Fu >> largo);
        for (std::size_t k = 1; k < largo; ++k) {
            const auto c = static_cast<unsigned char>(t[i + k]);
            if ((c & 0xC0) != 0x80) {
                return std::nullopt;
            }
            cp = (cp << 6) | (c & 0x3Fu);
        }
        const char32_t minimo[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimo[largo] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return std::nullopt;
        }
        r += cp;
        i += largo;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    using namespace tildora;
    std::string_view texto;
    std::vector<std::size_t> donde;
    if (!LeerCortes(datos, n, texto, donde)) {
        return 0;
    }

    // Recognition, in pieces, against the rule read plainly.
    const std::optional<std::u32string> decodificado = Decodificar(texto);
    Codificacion esperada = Codificacion::Windows1252;
    if (texto.substr(0, 2) == "\xFF\xFE" || texto.substr(0, 2) == "\xFE\xFF") {
        esperada = texto[0] == '\xFF' ? Codificacion::Utf16LE : Codificacion::Utf16BE;
    } else if (decodificado &&
               (texto.substr(0, 3) == "\xEF\xBB\xBF" || decodificado->size() != texto.size())) {
        esperada = Codificacion::Utf8;
    }
    Reconocedor reconocedor;
    for (std::size_t i = 0; i + 1 < donde.size(); ++i) {
        reconocedor.Procesar(texto.data() + donde[i], donde[i + 1] - donde[i]);
    }
    if (reconocedor.Resultado() != esperada) {
        __builtin_trap();
    }
    // The scan checks UTF-8 as it goes: it says the same.
    for (const bool vectorial : {true, false}) {
        EscanerUtf8 e(TablaFija(), vectorial);
        for (std::size_t i = 0; i + 1 < donde.size(); ++i) {
            e.Procesar(texto.data() + donde[i], donde[i + 1] - donde[i]);
        }
        if (e.Valido() != decodificado.has_value()) {
            __builtin_trap();
        }
    }
    if (esperada != Codificacion::Utf8) {
        return 0;
    }

    // The scan of a UTF-8 text: the wrong characters in order, how often.
    const std::size_t marca = LongitudMarca(Codificacion::Utf8, texto);
    const std::u32string caracteres = decodificado->substr(marca > 0 ? 1 : 0);
    std::vector<char32_t> orden;
    std::vector<std::uint64_t> cuentas;
    std::u32string corregido;
    for (char32_t c : caracteres) {
        if (PermitidoUnicode(TablaFija(), c)) {
            corregido += c;
            continue;
        }
        corregido += U'x';
        const auto it = std::find(orden.begin(), orden.end(), c);
        if (it == orden.end()) {
            orden.push_back(c);
            cuentas.push_back(1);
        } else {
            ++cuentas[static_cast<std::size_t>(it - orden.begin())];
        }
    }
    for (const bool vectorial : {true, false}) {
        EscanerUtf8 e(TablaFija(), vectorial);
        e.Saltar(marca);
        for (std::size_t i = 0; i + 1 < donde.size(); ++i) {
            e.Procesar(texto.data() + donde[i], donde[i + 1] - donde[i]);
        }
        if (!e.Valido() || e.Encontrados() != orden || e.Cuentas() != cuentas) {
            __builtin_trap();
        }
    }

    // The rewrite, every wrong character to "x", the mark kept.
    Analisis analisis;
    if (!AnalizarTexto(texto, std::nullopt, analisis)) {
        __builtin_trap();
    }
    std::vector<ParSolucion> pares;
    for (const Hallazgo& h : analisis.Hallazgos()) {
        pares.emplace_back(h.clave, "x");
    }
    std::string salida;
    FuenteMemoria fuente(texto);
    DestinoTexto destino(salida);
    const ResultadoReescritura r = Corregir(analisis, pares, fuente, destino, Codificacion::Utf8);
    std::string esperado(texto.substr(0, marca));
    for (char32_t c : corregido) {
        AnadirUtf8(esperado, c);
    }
    if (!r || salida != esperado) {
        __builtin_trap();
    }
    return 0;
}
