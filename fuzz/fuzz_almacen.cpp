// The store's reader and writer on any bytes: a read never fails, and a
// read-write-read round trip gives back the stored value (or the delete
// answer, told apart from a value and from no answer), keeps the store's
// encoding (Windows-1252, or UTF-8 or UTF-16 after a byte-order mark), keeps
// a store that was valid in it valid, and keeps every other line, and every
// other key's value, as it was.
//
// Input: key length (1 to 4; with the high bit, the delete answer is stored
// instead of the value), key, value length, value, then the store.

#include "core/interno/ini.h"
#include "core/unicode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The store's byte-order mark, and the bytes in one of its code units.
struct Marca {
    std::string_view bytes;
    std::size_t ancho = 1;
    bool bigEndian = false;
};

Marca MarcaDe(std::string_view s) {
    if (s.substr(0, 3) == "\xEF\xBB\xBF") {
        return {s.substr(0, 3), 1, false};
    }
    if (s.substr(0, 2) == "\xFF\xFE") {
        return {s.substr(0, 2), 2, false};
    }
    if (s.substr(0, 2) == "\xFE\xFF") {
        return {s.substr(0, 2), 2, true};
    }
    return {};
}

// ASCII text as a store with that mark writes it.
std::string Ascii(std::string_view texto, const Marca& m) {
    std::string r;
    for (const char c : texto) {
        if (m.ancho == 2 && m.bigEndian) {
            r += '\0';
        }
        r += c;
        if (m.ancho == 2 && !m.bigEndian) {
            r += '\0';
        }
    }
    return r;
}

// The lines of a store: the code units between runs of CR and LF units.
std::vector<std::string_view> Lineas(std::string_view s) {
    const Marca m = MarcaDe(s);
    s.remove_prefix(m.bytes.size());
    const std::string cr = Ascii("\r", m);
    const std::string lf = Ascii("\n", m);
    const auto salto = [&](std::size_t p) {
        const std::string_view u = s.substr(p, m.ancho);
        return u == cr || u == lf;
    };
    std::vector<std::string_view> r;
    std::size_t p = 0;
    while (p < s.size()) {
        std::size_t hasta = p;
        while (hasta < s.size() && !salto(hasta)) {
            hasta += m.ancho;
        }
        hasta = std::min(hasta, s.size());
        if (hasta > p) {
            r.push_back(s.substr(p, hasta - p));
        }
        p = hasta + m.ancho;
    }
    return r;
}

// Whether the text after the mark is valid in the mark's encoding.
bool Valido(std::string_view s) {
    const Marca m = MarcaDe(s);
    s.remove_prefix(m.bytes.size());
    if (m.ancho == 2) {
        return tildora::Utf8DeUtf16(s, m.bigEndian).has_value();
    }
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const int n = tildora::DecodificarUtf8(p + i, s.size() - i, cp);
        if (n <= 0) {
            return false;
        }
        i += static_cast<std::size_t>(n);
    }
    return true;
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
    const bool borrar = (static_cast<unsigned char>(entrada[0]) & 0x80) != 0;
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

    const std::string antes = tildora::ini::Solucion(viejo, seccion, clave);
    if (antes.size() > 127) {
        Fallar("a read gives at most 127 bytes");
    }
    const std::optional<std::string> nuevo =
        borrar ? tildora::ini::ConBorrado(viejo, seccion, clave)
               : tildora::ini::ConSolucion(viejo, seccion, clave, valor);
    if (!nuevo) {
        return 0;
    }
    // An empty value is stored as no answer.
    const std::optional<std::string> esperada =
        borrar          ? std::optional<std::string>("")
        : valor.empty() ? std::nullopt
                        : std::optional<std::string>(valor.substr(0, 127));
    if (tildora::ini::Respuesta(*nuevo, seccion, clave) != esperada) {
        Fallar("the stored answer reads back");
    }
    if (tildora::ini::Solucion(*nuevo, seccion, clave) != (borrar ? "" : valor.substr(0, 127))) {
        Fallar("the stored value reads back as the Windows service reads it");
    }
    const Marca marca = MarcaDe(viejo);
    if (MarcaDe(*nuevo).bytes != marca.bytes) {
        Fallar("a byte-order mark stays, and none is added");
    }
    if (!marca.bytes.empty() && Valido(viejo) && !Valido(*nuevo)) {
        Fallar("a store valid in its encoding stays valid");
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
    const bool seccionNueva =
        quitadas == 0 && puestas == 2 && b == 0 && m[a] == Ascii("[lista]", marca);
    if (!una && !seccionNueva && !(quitadas == 0 && puestas == 0 && *nuevo == viejo)) {
        Fallar("every other line is kept");
    }
    // Every other one-byte key reads as before, a delete answer as one.
    for (int c = 0; c < 256; ++c) {
        const std::string otra(1, static_cast<char>(c));
        if (otra != clave && tildora::ini::Respuesta(*nuevo, seccion, otra) !=
                                 tildora::ini::Respuesta(viejo, seccion, otra)) {
            Fallar("another key keeps its answer");
        }
    }
    return 0;
}
