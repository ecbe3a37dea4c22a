#pragma once

#include "core/correccion.h"
#include "core/interno/escaneo.h"
#include "core/unicode.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tildora {

// The rows of the grid composed into one rewrite. Each row is a pass that
// turns every occurrence of its character in the whole current text into its
// replacement, so a replacement holding a character listed further down is
// corrected again in that character's turn. A lone LF (listed only in a
// Windows-1252 text) becomes CR LF, whatever its row holds; CR is never
// replaced, and neither is a line break inside a replacement; a replacement
// holding its own character is not searched again. Reading the rows from the last to the first, the
// final form of a character is its replacement with every byte of it in its own final form, and its
// count one plus the counts of those bytes. The rewrite then replaces each character by its final
// form in one pass.
class Composicion {
public:
    explicit Composicion(const std::vector<Fila>& filas);

    // The row whose final form replaces `unidad` (see Recuento), or -1.
    std::int32_t Nodo(char32_t unidad, Unidades unidades) const;
    // The final form's length (saturating), in Windows-1252 bytes or, for a
    // UTF-8 output, in UTF-8 bytes; and the corrections it counts.
    std::uint64_t Longitud(std::int32_t nodo, bool utf8) const {
        return utf8 ? m_nodos[Indice(nodo)].longitudUtf8 : m_nodos[Indice(nodo)].longitud;
    }
    std::uint64_t Correcciones(std::int32_t nodo) const {
        return m_nodos[Indice(nodo)].correcciones;
    }

    // Gets the final forms of the rows `presentes` (and of those they lead
    // to) ready. Short forms are built whole; a long one (stored
    // replacements that feed each other can make one gigabytes long) is
    // never held, only written out a piece at a time by Recorrer.
    void Preparar(const std::vector<std::int32_t>& presentes);
    // The form held whole (in UTF-8 when `utf8`), or nullptr.
    const std::string* Forma(std::int32_t nodo, bool utf8) const;
    // Hands the final form (Windows-1252 bytes) to `trozo` a piece at a
    // time, in order; stops at the first false.
    template <typename Trozo> bool Recorrer(std::int32_t nodo, Trozo&& trozo) const;
    // The final form in the output's form (UTF-8 when `utf8`) to `trozo`:
    // the held form at once, a long one a piece at a time. What the rewrite
    // and the preview both write.
    template <typename Trozo> bool Escribir(std::int32_t nodo, bool utf8, Trozo&& trozo) const {
        if (const std::string* forma = Forma(nodo, utf8)) {
            return trozo(forma->data(), forma->size());
        }
        return Recorrer(nodo, [&](const char* d, std::size_t n) {
            if (!utf8) {
                return trozo(d, n);
            }
            const std::string u = Utf8DeAnsi(std::string_view(d, n));
            return trozo(u.data(), u.size());
        });
    }

private:
    struct Nodo_ {
        std::vector<std::int32_t> piezas; // >= 0: a later row; < 0: byte -(b + 1)
        std::uint64_t longitud = 0;       // saturating
        std::uint64_t longitudUtf8 = 0;   // saturating
        std::uint64_t correcciones = 0;   // saturating
        bool necesario = false;
        bool guardado = false; // `forma` holds the whole final form
        std::string forma;
        std::string formaUtf8;
    };
    static std::size_t Indice(std::int32_t nodo) { return static_cast<std::size_t>(nodo); }

    std::vector<Nodo_> m_nodos;           // one per row; inactive rows stay empty
    std::array<std::int32_t, 256> m_raiz; // the first row that changes each byte, or -1
    std::unordered_map<char32_t, std::int32_t> m_raizUnicode; // rows of U+XXXX keys
};

template <typename Trozo> bool Composicion::Recorrer(std::int32_t nodo, Trozo&& trozo) const {
    // Depth first through the rows, held forms written whole. The stack is
    // at most one entry per row deep.
    std::vector<std::pair<std::int32_t, std::size_t>> pila{{nodo, 0}};
    while (!pila.empty()) {
        auto& [actual, siguiente] = pila.back();
        const Nodo_& n = m_nodos[Indice(actual)];
        if (n.guardado && siguiente == 0) {
            pila.pop_back();
            if (!trozo(n.forma.data(), n.forma.size())) {
                return false;
            }
            continue;
        }
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
        } else {
            pila.emplace_back(pieza, 0);
        }
    }
    return true;
}

} // namespace tildora
