// Recognition, the UTF-8 scan and the Unicode rewrite, against a plain
// decoder of their own: any bytes, the scan's cut anywhere; and the preview
// cut there too.
//
// Input: the number of cuts (first byte, 0 to 7), each cut as two bytes,
// then the text. Every wrong character found gets the replacement "x".

#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/interno/escaneo.h"
#include "core/unicode.h"
#include "fuzz/cortes.h"
#include "fuzz/previa.h"

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

// The UTF-8 scan of texto[desde, end) handed over in pieces ending at
// `donde` (past `desde`), in every way the search can go here; false when
// they do not agree.
template <typename Comprobar>
bool EscanearUtf8(std::string_view texto, std::size_t desde, const std::vector<std::size_t>& donde,
                  Comprobar&& comprobar) {
    using namespace tildora;
    for (const Via via : {Via::Sencilla, Via::Avx2, Via::Avx512}) {
        if (via > MejorVia()) {
            continue;
        }
        Escaneo e(Unidades::Utf8, via);
        Costura costura(true);
        const auto entregar = [&](const unsigned char* p, std::size_t m, unsigned char anterior) {
            e.Procesar(p, m, anterior);
            return true;
        };
        std::size_t i = desde;
        for (const std::size_t hasta : donde) {
            if (hasta > i) {
                costura.Coser(texto.data() + i, hasta - i, entregar);
                i = hasta;
            }
        }
        const bool entero = costura.Pendientes() == 0;
        costura.Vaciar(entregar);
        if (!comprobar(e.Resultado(), entero)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    using namespace tildora;
    std::string_view texto;
    std::vector<std::size_t> donde;
    if (!LeerCortes(datos, n, texto, donde)) {
        return 0;
    }

    // Recognition against the rule read plainly: a mark says it; valid
    // UTF-8 with multi-byte sequences is UTF-8 unless every byte is allowed
    // in Windows-1252 (an LF too); plain ASCII is UTF-8 when an LF stands
    // alone.
    const std::optional<std::u32string> decodificado = Decodificar(texto);
    const bool ansiLimpio = std::all_of(texto.begin(), texto.end(), [](char c) {
        return c == '\n' || c == '\r' || kCaracteresValidos[static_cast<unsigned char>(c)];
    });
    bool lfSuelto = false;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        lfSuelto = lfSuelto || (texto[i] == '\n' && (i == 0 || texto[i - 1] != '\r'));
    }
    Codificacion esperada = Codificacion::Windows1252;
    if (texto.substr(0, 2) == "\xFF\xFE" || texto.substr(0, 2) == "\xFE\xFF") {
        esperada = texto[0] == '\xFF' ? Codificacion::Utf16LE : Codificacion::Utf16BE;
    } else if (decodificado && (texto.substr(0, 3) == "\xEF\xBB\xBF" ||
                                (decodificado->size() != texto.size() ? !ansiLimpio : lfSuelto))) {
        esperada = Codificacion::Utf8;
    }
    // The document recognises its text so.
    const tildora::Resultado<tildora::Documento> documento = DocumentoDeTexto(std::string(texto));
    const bool utf16Valido =
        !EsUtf16(esperada) || Utf8DeUtf16(texto.substr(2), esperada == Codificacion::Utf16BE);
    if (bool(documento) != utf16Valido ||
        (!documento && documento.fallo() != Fallo::Codificacion) ||
        (documento && documento->codificacion != esperada)) {
        __builtin_trap();
    }
    // The scan checks UTF-8 as it goes: it says the same.
    if (!EscanearUtf8(texto, 0, donde, [&](const Recuento& r, bool entero) {
            return (r.Utf8Valido() && entero) == decodificado.has_value();
        })) {
        __builtin_trap();
    }
    // Whatever the encoding, what the accept writes reads back clean, with
    // answers whose bytes may make UTF-8 sequences.
    if (documento) {
        static const std::string_view respuestas[] = {"x", "\xE9", "\xA0", "\xD1", "\xBA", "\xAD"};
        std::vector<Fila> filas;
        for (std::size_t i = 0; i < documento->hallazgos.size(); ++i) {
            const std::size_t r = (i + static_cast<std::size_t>(datos[0])) % 7;
            filas.push_back(r == 6
                                ? Fila{documento->hallazgos[i].clave, "", true}
                                : Fila{documento->hallazgos[i].clave, std::string(respuestas[r])});
        }
        std::string escrito;
        OpcionesCorreccion opciones;
        opciones.memoria = &escrito;
        const Aceptacion a = Aceptar(*documento, filas, opciones);
        const tildora::Resultado<tildora::Documento> leido = DocumentoDeTexto(escrito);
        if (!a.correcciones || !leido || !leido->hallazgos.empty()) {
            __builtin_trap();
        }
    }
    if (esperada != Codificacion::Utf8) {
        return 0;
    }

    // The scan of a UTF-8 text (its byte-order mark is none of its
    // characters): the wrong characters in order, how often.
    const std::size_t marca = LongitudMarca(Codificacion::Utf8, texto);
    const std::u32string caracteres = decodificado->substr(marca > 0 ? 1 : 0);
    std::vector<char32_t> orden;
    std::vector<std::uint64_t> cuentas;
    std::u32string corregido;
    for (char32_t c : caracteres) {
        // CR and LF end lines: they are no characters to check.
        if (c == '\r' || c == '\n' || PermitidoUnicode(c)) {
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
    if (!EscanearUtf8(texto, marca, donde, [&](const Recuento& r, bool entero) {
            std::vector<char32_t> encontrados;
            for (const Recuento::Primera& p : r.primeras) {
                encontrados.push_back(p.unidad);
            }
            return entero && r.Utf8Valido() && encontrados == orden && r.cuentas == cuentas;
        })) {
        __builtin_trap();
    }

    // The accept, every wrong character to "x", the mark kept.
    std::vector<Fila> filas;
    for (const Hallazgo& h : documento->hallazgos) {
        filas.push_back({h.clave, "x"});
    }
    std::string salida;
    OpcionesCorreccion opciones;
    opciones.memoria = &salida;
    opciones.codificacion = Codificacion::Utf8;
    const Aceptacion r = Aceptar(*documento, filas, opciones);
    std::string esperado(texto.substr(0, marca));
    for (char32_t c : corregido) {
        AnadirUtf8(esperado, c);
    }
    if (!r.correcciones || salida != esperado) {
        __builtin_trap();
    }
    // The preview, in pieces cut where the scan's were, is what the accept
    // wrote.
    if (PreviaJunta(*documento, filas, donde) != salida) {
        __builtin_trap();
    }
    return 0;
}
