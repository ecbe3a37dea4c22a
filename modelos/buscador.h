#pragma once

// The conversion window's context search: a cursor over the occurrences of
// the current row's character in the working copy (see Ocurrencias). It
// knows which occurrence the search chose and which one that is ("3 / 17"),
// goes to the next and the previous one along the walk (from the last back
// to the first and the other way), or from the caret when the user put it
// somewhere else; the face selects, marks and scrolls as it says.

#include "core/documento.h"
#include "core/ocurrencias.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tildora::modelo {

class Buscador {
public:
    static constexpr std::size_t npos = Ocurrencias::npos;

    // Keeps a reference to the document, which must outlive it.
    explicit Buscador(const Documento& documento) : m_documento(documento) {}

    // The current row has the wrong character with the key `clave` (empty:
    // no data row is current): its occurrences, none chosen.
    void FilaActual(const std::string& clave);
    const std::optional<Ocurrencias>& Todas() const { return m_ocurrencias; }

    // The acts. Each is false when there is nothing to search (no row),
    // and then nothing changes; otherwise the occurrence chosen (or none,
    // when the text holds none) is what Actual and Seleccion say.
    // The search button: the first occurrence.
    bool Primera();
    // F3: the next one along the walk; otherwise the first from the caret,
    // or from just after the start of what is selected, [inicio, fin).
    bool Siguiente(std::size_t inicio, std::size_t fin);
    // Shift+F3: the previous one along the walk; otherwise the last before
    // the caret or the start of what is selected.
    bool Anterior(std::size_t inicio);
    // The user put the caret or the selection somewhere else: the walk is
    // left, and the next act starts from there.
    void Olvidar() { m_actual = npos; }

    // The occurrence chosen: its first byte (npos: none) and its length.
    std::size_t Actual() const { return m_actual; }
    std::size_t Largo() const { return m_ocurrencias ? m_ocurrencias->Largo() : 0; }
    // What the view selects for it, [first, second): nothing when none is
    // chosen, and nothing for a lone LF of a Windows-1252 text, a line break
    // there (its mark shows where it is).
    std::pair<std::size_t, std::size_t> Seleccion() const;
    // The count under the view: "3 / 17", "? / 17" while none is chosen,
    // empty while no row is current.
    std::string Cuenta() const;

private:
    void Elegir(std::size_t posicion, std::uint64_t ordinal);

    const Documento& m_documento;
    std::optional<Ocurrencias> m_ocurrencias;
    std::size_t m_actual = npos;
    std::uint64_t m_ordinal = 0;
};

} // namespace tildora::modelo
