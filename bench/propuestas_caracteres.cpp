// Lists the distinct wrong characters of a UTF-8 text on standard input, for
// bench/propuestas_corpus.sh: one line each, in code point order,
//   U+XXXX <TAB> cjk|- <TAB> texto|borrar|ninguna <TAB> the proposal in UTF-8
// ("texto": a replacement; "borrar": the delete answer; "ninguna": none).
// Bytes that are not UTF-8 are passed over.
#include "core/caracteres.h"
#include "core/propuestas.h"
#include "core/unicode.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <set>
#include <string>

namespace {

// The character at s[i], and its length; a length of 0 for a byte that does
// not begin a valid UTF-8 sequence.
std::size_t Decodificar(const std::string& s, std::size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t n = b0 < 0x80             ? 1
                    : (b0 & 0xE0) == 0xC0 ? 2
                    : (b0 & 0xF0) == 0xE0 ? 3
                    : (b0 & 0xF8) == 0xF0 ? 4
                                          : 0;
    if (n == 0 || i + n > s.size()) {
        return 0;
    }
    static constexpr unsigned char kPrimeros[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    static constexpr char32_t kMinimo[] = {0, 0, 0x80, 0x800, 0x10000};
    cp = b0 & kPrimeros[n];
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < kMinimo[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

} // namespace

int main() {
    std::ios::sync_with_stdio(false);
    const std::string texto((std::istreambuf_iterator<char>(std::cin)),
                            std::istreambuf_iterator<char>());
    std::set<char32_t> erroneos;
    for (std::size_t i = 0; i < texto.size();) {
        char32_t cp = 0;
        const std::size_t n = Decodificar(texto, i, cp);
        if (n == 0) {
            ++i;
            continue;
        }
        if (!tildora::PermitidoUnicode(cp)) {
            erroneos.insert(cp);
        }
        i += n;
    }
    std::string salida;
    for (const char32_t cp : erroneos) {
        const auto p = tildora::PropuestaPara(cp);
        salida += tildora::CodigoUnicode(cp);
        salida += tildora::EsCjk(cp) ? "\tcjk\t" : "\t-\t";
        salida += !p ? "ninguna\t" : p->empty() ? "borrar\t" : "texto\t";
        if (p) {
            salida += tildora::Utf8DeAnsi(*p);
        }
        salida += '\n';
    }
    std::fwrite(salida.data(), 1, salida.size(), stdout);
    return std::ferror(stdout) ? 1 : 0;
}
