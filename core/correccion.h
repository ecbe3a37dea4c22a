#pragma once

#include "core/tabla.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora {

// One grid row: a wrong character (one byte) and its replacement.
using ParSolucion = std::pair<std::string, std::string>;

// Outputs that would grow this much are refused: only stored replacements
// that feed each other can grow a text this far.
inline constexpr std::uint64_t kTamanoMaximoSalida = std::uint64_t{2} << 30;

// The rows of the grid composed into one rewrite. Each row is a pass that
// turns every occurrence of its character in the whole current text into its
// replacement, so a replacement holding a character listed further down is
// corrected again in that character's turn. CR and LF are line breaks and
// never replaced; a replacement holding its own character is not searched
// again. The rewrite itself (core/reescritura.h) then replaces each byte by
// its final form in one pass.
// The rows (indexes into `pares`, in order) whose replacement would still
// hold a wrong character once the rows below it have had their turn: a
// character the table does not allow that no row further down replaces
// (one listed further up, or the row's own character), or one whose row
// further down is itself not clean. CR and LF are the text's line breaks,
// never wrong here, and rows for them are never applied. An empty list
// means the rows leave a clean text.
std::vector<std::size_t> FilasNoLimpias(const std::vector<ParSolucion>& pares,
                                        const TablaValidez& tabla);

class Correccion {
public:
    explicit Correccion(const std::vector<ParSolucion>& pares);

    // Size of the result and number of corrections for a text whose byte
    // histogram is `cuentas`; false when either overflows 64 bits. Remembers
    // which bytes occur, for Preparar.
    bool Medir(const std::uint64_t (&cuentas)[256], std::uint64_t& tamano,
               std::uint64_t& correcciones);

    // Gets the final forms of the bytes that occur ready; call only after
    // Medir accepted the size. Short forms are built whole; a long one (stored
    // replacements that feed each other can make one gigabytes long) is never
    // held, only written out a piece at a time by Recorrer.
    void Preparar();

    // True for the bytes that the rows change.
    bool Cambia(unsigned char c) const { return m_cambia[c]; }

    // The final form of a byte that the rows change and that occurs, when it
    // is short enough to be held whole; nullptr otherwise.
    const std::string* Forma(unsigned char c) const;

    // Hands the final form of a byte that the rows change and that occurs to
    // `trozo`, a piece at a time, in order; stops at the first false.
    template <typename Trozo> bool Recorrer(unsigned char c, Trozo&& trozo) const;

private:
    // Each active row's replacement as written out after the rows below it:
    // pieces that are either a byte left as it is or the replacement of a
    // later row.
    struct Nodo {
        std::vector<std::int32_t> piezas; // >= 0: a later row; < 0: byte -(b + 1)
        std::uint64_t longitud = 0;       // saturating
        bool necesario = false;
        bool guardado = false; // `forma` holds the whole final form
        std::string forma;
    };

    std::vector<ParSolucion> m_pares;
    std::array<bool, 256> m_cambia{};
    bool m_presente[256]{};
    std::uint64_t m_longitud[256]{};     // saturating
    std::uint64_t m_correcciones[256]{}; // saturating
    std::vector<Nodo> m_nodos;           // one per row; inactive rows stay empty
    std::int32_t m_raiz[256];            // the first row that changes each byte, or -1
};

template <typename Trozo> bool Correccion::Recorrer(unsigned char c, Trozo&& trozo) const {
    if (const std::string* forma = Forma(c)) {
        return trozo(forma->data(), forma->size());
    }
    // Depth first through the rows, held forms written whole. The stack is
    // at most one entry per row deep.
    std::vector<std::pair<std::int32_t, std::size_t>> pila{{m_raiz[c], 0}};
    while (!pila.empty()) {
        auto& [nodo, siguiente] = pila.back();
        const Nodo& n = m_nodos[static_cast<std::size_t>(nodo)];
        if (siguiente == n.piezas.size()) {
            pila.pop_back();
            continue;
        }
        const std::int32_t pieza = n.piezas[siguiente++];
        if (pieza < 0) {
            const char byte = static_cast<char>(-(pieza + 1));
            if (!trozo(&byte, std::size_t{1})) {
                return false;
            }
            continue;
        }
        const Nodo& hijo = m_nodos[static_cast<std::size_t>(pieza)];
        if (hijo.guardado) {
            if (!trozo(hijo.forma.data(), hijo.forma.size())) {
                return false;
            }
        } else {
            pila.emplace_back(pieza, 0);
        }
    }
    return true;
}

} // namespace tildora
