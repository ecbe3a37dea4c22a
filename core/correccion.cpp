#include "core/correccion.h"

#include <limits>

namespace tildora {

namespace {

// Final forms up to this long are built whole and copied as they are; longer
// ones are written out from their pieces. At most one is held per row, so
// what is held stays small whatever the rows do.
constexpr std::uint64_t kFormaGuardada = std::uint64_t{16} << 10;

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
// replacement with every byte of it in its own final form (the form given by
// the rows below), and its count is one plus the counts of those bytes.
Correccion::Correccion(const std::vector<ParSolucion>& pares)
    : m_pares(pares), m_nodos(m_pares.size()) {
    for (unsigned c = 0; c < 256; ++c) {
        m_longitud[c] = 1;
        m_raiz[c] = -1;
    }
    for (std::size_t i = m_pares.size(); i-- > 0;) {
        const ParSolucion& par = m_pares[i];
        if (!FilaActiva(par)) {
            continue;
        }
        Nodo& nodo = m_nodos[i];
        std::uint64_t correcciones = 1;
        nodo.piezas.reserve(par.second.size());
        for (char x : par.second) {
            const unsigned char b = Byte(x);
            nodo.longitud = Sumar(nodo.longitud, m_longitud[b]);
            correcciones = Sumar(correcciones, m_correcciones[b]);
            nodo.piezas.push_back(m_raiz[b] >= 0 ? m_raiz[b] : -static_cast<std::int32_t>(b) - 1);
        }
        const unsigned char c = Byte(par.first[0]);
        m_longitud[c] = nodo.longitud;
        m_correcciones[c] = correcciones;
        m_cambia[c] = true;
        m_raiz[c] = static_cast<std::int32_t>(i);
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
    // Which rows' forms are needed: those of the bytes present in the text,
    // and those their pieces lead to (always rows further down).
    for (Nodo& nodo : m_nodos) {
        nodo.necesario = false;
        nodo.guardado = false;
        nodo.forma.clear();
    }
    for (unsigned c = 0; c < 256; ++c) {
        if (m_presente[c] && m_raiz[c] >= 0) {
            m_nodos[static_cast<std::size_t>(m_raiz[c])].necesario = true;
        }
    }
    for (Nodo& nodo : m_nodos) {
        if (!nodo.necesario) {
            continue;
        }
        for (std::int32_t pieza : nodo.piezas) {
            if (pieza >= 0) {
                m_nodos[static_cast<std::size_t>(pieza)].necesario = true;
            }
        }
    }
    // Then the short forms, from the last row to the first: the pieces of a
    // short form are short themselves, and already built.
    for (std::size_t i = m_nodos.size(); i-- > 0;) {
        Nodo& nodo = m_nodos[i];
        if (!nodo.necesario || nodo.longitud > kFormaGuardada) {
            continue;
        }
        nodo.forma.reserve(static_cast<std::size_t>(nodo.longitud));
        for (std::int32_t pieza : nodo.piezas) {
            if (pieza < 0) {
                nodo.forma += static_cast<char>(-(pieza + 1));
            } else {
                nodo.forma += m_nodos[static_cast<std::size_t>(pieza)].forma;
            }
        }
        nodo.guardado = true;
    }
}

const std::string* Correccion::Forma(unsigned char c) const {
    if (m_raiz[c] < 0) {
        return nullptr;
    }
    const Nodo& nodo = m_nodos[static_cast<std::size_t>(m_raiz[c])];
    return nodo.guardado ? &nodo.forma : nullptr;
}

std::vector<std::size_t> FilasNoLimpias(const std::vector<ParSolucion>& pares,
                                        const TablaValidez& tabla) {
    // From the last row up: whether each byte is replaced by a row below the
    // one at hand, and whether that row is clean.
    enum class Abajo : unsigned char { Nada, Limpia, Sucia };
    std::array<Abajo, 256> abajo{};
    std::vector<std::size_t> sucias;
    for (std::size_t i = pares.size(); i-- > 0;) {
        // A character outside Windows-1252 ("U+0101") is a row of its own
        // that no replacement can hold: its replacement is checked all the
        // same.
        const bool unicode = pares[i].first.size() > 1;
        if (!FilaActiva(pares[i]) && !unicode) {
            continue;
        }
        bool limpia = true;
        for (const char x : pares[i].second) {
            const unsigned char b = Byte(x);
            if (!tabla[b] && b != '\r' && b != '\n' && abajo[b] != Abajo::Limpia) {
                limpia = false;
                break;
            }
        }
        if (!unicode) {
            abajo[Byte(pares[i].first[0])] = limpia ? Abajo::Limpia : Abajo::Sucia;
        }
        if (!limpia) {
            sucias.push_back(i);
        }
    }
    return {sucias.rbegin(), sucias.rend()};
}

} // namespace tildora
