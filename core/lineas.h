#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tildora {

// Appends the starts of the lines of d[desde, hasta) but the text's first:
// just after an LF, or after a CR that no LF follows (d[hasta] is looked at
// when hasta < n). Offsets are 32-bit: texts are at most 4 GiB. On x86
// sixty-four bytes are looked at a time; lines are a few dozen bytes, so
// this goes at the speed of memory where a byte-by-byte loop would stumble
// at every line end.
void BuscarInicios(const char* d, std::size_t desde, std::size_t hasta, std::size_t n,
                   std::vector<std::uint32_t>& inicios);

// The start of every line of a text that arrives in pieces laid one after
// the other in memory, found while the text is read.
class IndiceLineas {
public:
    void Procesar(const char* datos, std::size_t n);
    // The starts (0 first), once every piece is in; empty when the pieces
    // did not lie one after the other.
    std::vector<std::uint32_t> Terminar();

private:
    const char* m_texto = nullptr; // the first piece's first byte
    std::size_t m_disponible = 0;  // bytes handed over so far
    std::size_t m_hecho = 0;       // bytes looked at: the last one waits for the next
    bool m_valido = true;
    std::vector<std::uint32_t> m_inicios{0};
};

} // namespace tildora
