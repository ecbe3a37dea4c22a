#pragma once

// Where one wrong character of a document stands in its working copy: what
// the windows mark, count ("3 / 17") and jump to. The occurrences are those
// the scan counted, found by the scan's own search; positions are byte
// offsets into Documento::texto (Windows-1252 bytes, or UTF-8 for a UTF-8 or
// UTF-16 text), a byte-order mark's bytes holding none.

#include "core/documento.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

// One occurrence: its first byte and its length in bytes.
struct Ocurrencia {
    std::size_t posicion = 0;
    std::size_t largo = 0;
    bool operator==(const Ocurrencia&) const = default;
};

// The occurrences of the wrong character with the key `clave` (as the grid
// holds it, see Hallazgo::clave). A key that is none of the document's wrong
// characters has none. In a Windows-1252 text the lone LF's are its lone
// LFs (never the LF of a CR LF), where the view breaks the line. Cheap to
// make; it keeps a pointer to the document, which must outlive it and stay
// unchanged.
class Ocurrencias {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    Ocurrencias(const Documento& documento, std::string_view clave);

    // How many the whole text holds: the scan's count (Hallazgo::cuenta).
    std::uint64_t Total() const { return m_total; }
    // The bytes of one occurrence (its UTF-8 form in a Unicode text), and
    // their length.
    const std::string& Bytes() const { return m_bytes; }
    std::size_t Largo() const { return m_bytes.size(); }

    // Those that begin in [desde, hasta), in order, appended to `salida`:
    // the lines in sight. Only that range is looked at.
    void EnRango(std::size_t desde, std::size_t hasta, std::vector<Ocurrencia>& salida) const;
    // How many begin in [desde, hasta).
    std::uint64_t Contar(std::size_t desde, std::size_t hasta) const;
    // The first that begins at or after `desde`, and the last that begins
    // before `antes`; npos when there is none.
    std::size_t Siguiente(std::size_t desde) const;
    std::size_t Anterior(std::size_t antes) const;
    // Which one, counting from 1, begins at `posicion` or is the first
    // after it: Contar from the start to `posicion`, plus one (Total() + 1
    // when none is left).
    std::uint64_t Ordinal(std::size_t posicion) const { return Contar(0, posicion) + 1; }

private:
    // Those in [desde, hasta) to `hallada(posicion)`, in order, until it
    // returns false.
    template <typename Hallada>
    void Recorrer(std::size_t desde, std::size_t hasta, Hallada&& hallada) const;

    const Documento* m_documento;
    std::string m_bytes;
    std::uint64_t m_total = 0;
};

} // namespace tildora
