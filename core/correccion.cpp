#include "core/correccion.h"

#include <array>
#include <cstring>
#include <limits>

namespace tildora {

namespace {

constexpr std::uint64_t kSaturado = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Sumar(std::uint64_t a, std::uint64_t b) {
    return a > kSaturado - b ? kSaturado : a + b;
}

std::uint64_t Multiplicar(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kSaturado / a) {
        return kSaturado;
    }
    return a * b;
}

// The rows that take part: a one-byte character that is not a line break.
bool FilaActiva(const ParSolucion& par) {
    return par.first.size() == 1 && par.first[0] != '\r' && par.first[0] != '\n';
}

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

} // namespace

// Each row is a pass that turns every occurrence of its character in the
// whole current text into its replacement. Passes compose: reading the rows
// from the last to the first, the final form of a character is its
// replacement with every byte of it in its own final form, and its count is
// one plus the counts of those bytes.
Correccion::Correccion(const std::vector<ParSolucion>& pares) : m_pares(pares) {
    for (unsigned c = 0; c < 256; ++c) {
        m_longitud[c] = 1;
    }
    for (auto it = m_pares.rbegin(); it != m_pares.rend(); ++it) {
        if (!FilaActiva(*it)) {
            continue;
        }
        std::uint64_t longitud = 0;
        std::uint64_t correcciones = 1;
        for (char x : it->second) {
            longitud = Sumar(longitud, m_longitud[Byte(x)]);
            correcciones = Sumar(correcciones, m_correcciones[Byte(x)]);
        }
        const unsigned char c = Byte(it->first[0]);
        m_longitud[c] = longitud;
        m_correcciones[c] = correcciones;
        m_cambia[c] = true;
    }
}

bool Correccion::Medir(const std::uint64_t (&cuentas)[256], std::uint64_t& tamano,
                       std::uint64_t& correcciones) {
    tamano = 0;
    correcciones = 0;
    for (unsigned c = 0; c < 256; ++c) {
        m_presente[c] = cuentas[c] != 0;
        tamano = Sumar(tamano, Multiplicar(cuentas[c], m_longitud[c]));
        correcciones = Sumar(correcciones, Multiplicar(cuentas[c], m_correcciones[c]));
    }
    return tamano != kSaturado && correcciones != kSaturado;
}

void Correccion::Preparar() {
    // Which final forms are needed, row by row from the first: the bytes
    // present in the text, and the bytes of every needed replacement.
    std::vector<std::array<bool, 256>> necesario(m_pares.size() + 1);
    std::memcpy(necesario[0].data(), m_presente, sizeof m_presente);
    for (std::size_t i = 0; i < m_pares.size(); ++i) {
        necesario[i + 1] = necesario[i];
        if (!FilaActiva(m_pares[i])) {
            continue;
        }
        const unsigned char c = Byte(m_pares[i].first[0]);
        if (necesario[i][c]) {
            necesario[i + 1][c] = false;
            for (char x : m_pares[i].second) {
                necesario[i + 1][Byte(x)] = true;
            }
        }
    }

    // Then the forms themselves, from the last row to the first; a byte that
    // no row changes stands for itself.
    for (unsigned c = 0; c < 256; ++c) {
        m_expansion[c].assign(1, static_cast<char>(c));
    }
    for (std::size_t i = m_pares.size(); i-- > 0;) {
        if (!FilaActiva(m_pares[i])) {
            continue;
        }
        const unsigned char c = Byte(m_pares[i].first[0]);
        if (!necesario[i][c]) {
            m_expansion[c].clear();
            continue;
        }
        std::string forma;
        for (char x : m_pares[i].second) {
            forma += m_expansion[Byte(x)];
        }
        m_expansion[c] = std::move(forma);
    }
}

} // namespace tildora
