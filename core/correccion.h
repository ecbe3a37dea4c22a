#pragma once

#include <array>
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
class Correccion {
public:
    explicit Correccion(const std::vector<ParSolucion>& pares);

    // Size of the result and number of corrections for a text whose byte
    // histogram is `cuentas`; false when either overflows 64 bits. Remembers
    // which bytes occur, for Preparar.
    bool Medir(const std::uint64_t (&cuentas)[256], std::uint64_t& tamano,
               std::uint64_t& correcciones);

    // Builds the final forms of the bytes that occur; call only after Medir
    // accepted the size (stored replacements that feed each other can make the
    // form of an absent byte astronomically long: it is never built).
    void Preparar();

    // True for the bytes that the rows change.
    bool Cambia(unsigned char c) const { return m_cambia[c]; }

    // The final form of a byte that the rows change and that occurs.
    const std::string& Forma(unsigned char c) const { return m_expansion[c]; }

private:
    std::vector<ParSolucion> m_pares;
    std::array<bool, 256> m_cambia{};
    bool m_presente[256]{};
    std::uint64_t m_longitud[256]{};     // saturating
    std::uint64_t m_correcciones[256]{}; // saturating
    std::string m_expansion[256];
};

} // namespace tildora
