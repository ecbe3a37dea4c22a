// The store's reader and writer on any bytes: a read never fails, and a
// read-write-read round trip gives back the stored value and keeps every
// other line, and every other key's value, as it was.
//
// Input: key length (1 to 4), key, value length, value, then the store.

#include "core/almacen.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The lines of a store: the text between runs of CR and LF.
std::vector<std::string_view> Lineas(std::string_view s) {
    if (s.substr(0, kBom.size()) == kBom) {
        s.remove_prefix(kBom.size());
    }
    std::vector<std::string_view> r;
    std::size_t p = 0;
    while (p < s.size()) {
        const std::size_t fin = s.find_first_of("\r\n", p);
        const std::size_t hasta = fin == std::string_view::npos ? s.size() : fin;
        if (hasta > p) {
            r.push_back(s.substr(p, hasta - p));
        }
        p = hasta + 1;
    }
    return r;
}

void Fallar(const char* que) {
    __builtin_trap();
    (void)que;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    std::string_view entrada(reinterpret_cast<const char*>(datos), n);
    if (entrada.size() < 2) {
        return 0;
    }
    const std::size_t largoClave = 1 + static_cast<unsigned char>(entrada[0]) % 4;
    entrada.remove_prefix(1);
    if (entrada.size() < largoClave + 1) {
        return 0;
    }
    const std::string clave(entrada.substr(0, largoClave));
    entrada.remove_prefix(largoClave);
    const std::size_t largoValor = static_cast<unsigned char>(entrada[0]) % 160;
    entrada.remove_prefix(1);
    if (entrada.size() < largoValor) {
        return 0;
    }
    const std::string valor(entrada.substr(0, largoValor));
    entrada.remove_prefix(largoValor);
    const std::string_view viejo = entrada;
    constexpr std::string_view seccion = "lista";

    const std::string antes = tildora::SolucionEn(viejo, seccion, clave);
    if (antes.size() > 127) {
        Fallar("a read gives at most 127 bytes");
    }
    const std::optional<std::string> nuevo = tildora::ConSolucion(viejo, seccion, clave, valor);
    if (!nuevo) {
        return 0;
    }
    if (tildora::SolucionEn(*nuevo, seccion, clave) != valor.substr(0, 127)) {
        Fallar("the stored value reads back");
    }
    if ((viejo.substr(0, kBom.size()) == kBom) != (nuevo->substr(0, kBom.size()) == kBom)) {
        Fallar("a byte-order mark stays, and none is added");
    }
    // One line replaced or added, or the section and its line added at the
    // end; every other line as it was, in its place.
    const std::vector<std::string_view> l = Lineas(viejo);
    const std::vector<std::string_view> m = Lineas(*nuevo);
    std::size_t a = 0;
    while (a < l.size() && a < m.size() && l[a] == m[a]) {
        ++a;
    }
    std::size_t b = 0;
    while (b < l.size() - a && b < m.size() - a && l[l.size() - 1 - b] == m[m.size() - 1 - b]) {
        ++b;
    }
    const std::size_t quitadas = l.size() - a - b;
    const std::size_t puestas = m.size() - a - b;
    const bool una = quitadas <= 1 && puestas == 1;
    const bool seccionNueva = quitadas == 0 && puestas == 2 && b == 0 && m[a] == "[lista]";
    if (!una && !seccionNueva && !(quitadas == 0 && puestas == 0 && *nuevo == viejo)) {
        Fallar("every other line is kept");
    }
    // Every other one-byte key reads as before.
    for (int c = 0; c < 256; ++c) {
        const std::string otra(1, static_cast<char>(c));
        if (otra != clave && tildora::SolucionEn(*nuevo, seccion, otra) !=
                                 tildora::SolucionEn(viejo, seccion, otra)) {
            Fallar("another key keeps its value");
        }
    }
    return 0;
}
