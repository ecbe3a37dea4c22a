#include "core/nombres.h"

#include "core/nombres_tabla.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tildora {

namespace {

namespace t = tabla_nombres;

constexpr char32_t kUltimo = 0x10FFFF;

// The first byte or two of an item of kNombres or kPalabras (nombres_tabla.h):
// how much it takes from the item before, and how many bytes follow.
const unsigned char* Cabecera(const unsigned char* p, unsigned& comun, unsigned& resto) {
    comun = *p >> 4;
    resto = *p & 0xF;
    ++p;
    if (resto == 0) {
        resto = *p++;
    }
    return p;
}

// Word n of the table, appended to `nombre`: read from the first word of its
// block on.
void AnadirPalabra(std::string& nombre, unsigned n) {
    const unsigned char* p = t::kPalabras + t::kIndice[n / t::kPalabrasPorIndice];
    std::string palabra;
    for (unsigned i = 0; i <= n % t::kPalabrasPorIndice; ++i) {
        unsigned comun = 0;
        unsigned resto = 0;
        p = Cabecera(p, comun, resto);
        palabra.resize(comun);
        palabra.append(reinterpret_cast<const char*>(p), resto);
        p += resto;
    }
    nombre += palabra;
}

// Name i of the run whose names begin at `p` in kNombres: read from the
// run's first name on.
std::string NombreDeTramo(const unsigned char* p, char32_t i) {
    std::vector<unsigned> numeros;
    for (char32_t j = 0; j <= i; ++j) {
        unsigned comun = 0;
        unsigned resto = 0;
        p = Cabecera(p, comun, resto);
        numeros.resize(comun);
        for (const unsigned char* fin = p + resto; p < fin;) {
            unsigned n = *p++;
            if (n >= t::kUnByte) {
                n = t::kUnByte + (n - t::kUnByte) * 256 + *p++;
            }
            numeros.push_back(n);
        }
    }
    std::string nombre;
    for (const unsigned n : numeros) {
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
    return NombreDeTramo(t::kNombres + v, cp - *tramo);
}

} // namespace tildora
