#include "core/nombres.h"

#include "core/nombres_tabla.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace tildora {

namespace {

namespace t = tabla_nombres;

constexpr char32_t kUltimo = 0x10FFFF;

// Word n of the table, appended to `nombre`: read from the first word of its
// block, each word taking the first letters of the one before.
void AnadirPalabra(std::string& nombre, unsigned n) {
    const unsigned char* p = t::kPalabras + t::kIndice[n / t::kPalabrasPorIndice];
    std::string palabra;
    for (unsigned i = 0; i <= n % t::kPalabrasPorIndice; ++i) {
        const unsigned comun = *p >> 4;
        unsigned resto = *p & 0xF;
        ++p;
        if (resto == 0) {
            resto = *p++;
        }
        palabra.resize(comun);
        palabra.append(reinterpret_cast<const char*>(p), resto);
        p += resto;
    }
    nombre += palabra;
}

// The name that begins at `p` in kNombres.
std::string Palabras(const unsigned char* p) {
    const unsigned char* fin = p + 1 + *p;
    std::string nombre;
    for (++p; p < fin;) {
        unsigned n = *p++;
        if (n >= t::kUnByte) {
            n = t::kUnByte + (n - t::kUnByte) * 256 + *p++;
        }
        if (!nombre.empty()) {
            nombre += ' ';
        }
        AnadirPalabra(nombre, n);
    }
    return nombre;
}

} // namespace

std::string NombreCaracter(char32_t cp) {
    if (cp > kUltimo) {
        return {};
    }
    const char32_t* tramo = std::upper_bound(t::kDesde, t::kDesde + t::kTramos, cp) - 1;
    const std::uint32_t v = t::kValor[tramo - t::kDesde];
    if (v == t::kHangul) {
        return t::NombreHangul(cp);
    }
    if (v & t::kFormula) {
        const std::uint32_t f = v & ~t::kFormula;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(cp));
        return std::string(t::kAntes[f]) + hex + t::kDespues[f];
    }
    // The run's names one after another: skip those before this one.
    const unsigned char* p = t::kNombres + v;
    for (char32_t i = *tramo; i < cp; ++i) {
        p += 1 + *p;
    }
    return Palabras(p);
}

} // namespace tildora
