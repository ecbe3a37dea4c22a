#include "core/interno/composicion.h"

#include "core/caracteres.h"
#include "core/unicode.h"

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

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// The rows that take part: a character by its byte or as U+XXXX; never a
// CR, which is no character. A lone LF takes part with its fixed answer.
bool FilaActiva(const Fila& fila) {
    if (fila.clave.size() == 1) {
        return fila.clave[0] != '\r';
    }
    return CaracterDeClave(fila.clave).has_value();
}

// What a row puts in its character's place: CR LF for a lone LF, whatever
// the row holds; nothing for the delete answer.
std::string_view Sustituto(const Fila& fila) {
    if (EsSaltoDeLinea(fila.clave)) {
        return kSaltoDeLinea;
    }
    return fila.borrar ? std::string_view() : std::string_view(fila.sustituto);
}

std::uint64_t LargoUtf8(unsigned char b) {
    std::string u;
    AnadirUtf8(u, UnicodeDeAnsi(b));
    return u.size();
}

} // namespace

Composicion::Composicion(const std::vector<Fila>& filas) : m_nodos(filas.size()) {
    m_raiz.fill(-1);
    for (std::size_t i = filas.size(); i-- > 0;) {
        const Fila& fila = filas[i];
        if (!FilaActiva(fila)) {
            continue;
        }
        Nodo_& nodo = m_nodos[i];
        nodo.correcciones = 1;
        const std::string_view sustituto = Sustituto(fila);
        nodo.piezas.reserve(sustituto.size());
        for (const char x : sustituto) {
            const unsigned char b = Byte(x);
            // A line break in a replacement is one already: no row's.
            const std::int32_t abajo = EsRuptura(b) ? -1 : m_raiz[b];
            nodo.piezas.push_back(abajo >= 0 ? abajo : -static_cast<std::int32_t>(b) - 1);
            nodo.longitud = Sumar(nodo.longitud, abajo >= 0 ? m_nodos[Indice(abajo)].longitud : 1);
            nodo.longitudUtf8 = Sumar(
                nodo.longitudUtf8, abajo >= 0 ? m_nodos[Indice(abajo)].longitudUtf8 : LargoUtf8(b));
            nodo.correcciones =
                Sumar(nodo.correcciones, abajo >= 0 ? m_nodos[Indice(abajo)].correcciones : 0);
        }
        const auto propio = static_cast<std::int32_t>(i);
        if (fila.clave.size() == 1) {
            m_raiz[Byte(fila.clave[0])] = propio;
        } else {
            m_raizUnicode[*CaracterDeClave(fila.clave)] = propio;
        }
    }
}

std::int32_t Composicion::Nodo(char32_t unidad, Unidades unidades) const {
    if (unidades == Unidades::Ansi) {
        return m_raiz[unidad & 0xFF];
    }
    if (const auto b = AnsiDeUnicode(unidad)) {
        return m_raiz[*b];
    }
    const auto it = m_raizUnicode.find(unidad);
    return it == m_raizUnicode.end() ? -1 : it->second;
}

void Composicion::Preparar(const std::vector<std::int32_t>& presentes) {
    // Which rows' forms are needed: those of the characters present, and
    // those their pieces lead to (always rows further down).
    for (Nodo_& nodo : m_nodos) {
        nodo.necesario = false;
        nodo.guardado = false;
        nodo.forma.clear();
        nodo.formaUtf8.clear();
    }
    for (const std::int32_t nodo : presentes) {
        if (nodo >= 0) {
            m_nodos[Indice(nodo)].necesario = true;
        }
    }
    for (const Nodo_& nodo : m_nodos) {
        for (const std::int32_t pieza : nodo.piezas) {
            if (nodo.necesario && pieza >= 0) {
                m_nodos[Indice(pieza)].necesario = true;
            }
        }
    }
    // Then the short forms, from the last row to the first: the pieces of a
    // short form are short themselves, and already built.
    for (std::size_t i = m_nodos.size(); i-- > 0;) {
        Nodo_& nodo = m_nodos[i];
        if (!nodo.necesario || nodo.longitud > kFormaGuardada) {
            continue;
        }
        nodo.forma.reserve(static_cast<std::size_t>(nodo.longitud));
        for (const std::int32_t pieza : nodo.piezas) {
            if (pieza < 0) {
                nodo.forma += static_cast<char>(-(pieza + 1));
            } else {
                nodo.forma += m_nodos[Indice(pieza)].forma;
            }
        }
        nodo.formaUtf8 = Utf8DeAnsi(nodo.forma);
        nodo.guardado = true;
    }
}

const std::string* Composicion::Forma(std::int32_t nodo, bool utf8) const {
    const Nodo_& n = m_nodos[Indice(nodo)];
    return n.guardado ? (utf8 ? &n.formaUtf8 : &n.forma) : nullptr;
}

std::vector<std::size_t> FilasNoLimpias(const std::vector<Fila>& filas) {
    // From the last row up: whether each byte is replaced by a row below the
    // one at hand, and whether that row is clean.
    enum class Abajo : unsigned char { Nada, Limpia, Sucia };
    std::array<Abajo, 256> abajo{};
    std::vector<std::size_t> sucias;
    for (std::size_t i = filas.size(); i-- > 0;) {
        if (!FilaActiva(filas[i]) || EsSaltoDeLinea(filas[i].clave)) {
            continue;
        }
        bool limpia = true;
        for (const char x : Sustituto(filas[i])) {
            const unsigned char b = Byte(x);
            if (!kCaracteresValidos[b] && !EsRuptura(b) && abajo[b] != Abajo::Limpia) {
                limpia = false;
                break;
            }
        }
        // A character outside Windows-1252 ("U+0101") is a row of its own
        // that no replacement can hold.
        if (filas[i].clave.size() == 1) {
            abajo[Byte(filas[i].clave[0])] = limpia ? Abajo::Limpia : Abajo::Sucia;
        }
        if (!limpia) {
            sucias.push_back(i);
        }
    }
    return {sucias.rbegin(), sucias.rend()};
}

} // namespace tildora
