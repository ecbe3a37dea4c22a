#pragma once

#include "core/conjunto.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora {

// One grid row: a wrong character (one byte) and its replacement.
using ParSolucion = std::pair<std::string, std::string>;

// Outputs larger than this are refused: only stored replacements that feed
// each other can grow a text this far.
inline constexpr std::uint64_t kTamanoMaximoSalida = std::uint64_t{2} << 30;

enum class ResultadoCorreccion { Correcto, Demasiado };

// Applies the rows in order, each to the whole current text: every
// occurrence of the row's character becomes the row's replacement, so a
// replacement holding a character listed further down is corrected again in
// that character's turn. CR and LF are line breaks and never replaced; a
// replacement holding its own character is not searched again. The rows are
// composed first and the text rewritten in one pass into `salida` (its
// storage is reused). Returns Demasiado, leaving `salida` empty, when the
// result would exceed `limite` bytes.
ResultadoCorreccion CorregirTexto(std::string_view texto, const std::vector<ParSolucion>& pares,
                                  std::string& salida, std::uint64_t& cuenta,
                                  std::uint64_t limite = kTamanoMaximoSalida);

// The same composition, for callers that rewrite a text in pieces (the
// command line streams large files).
class Correccion {
public:
    explicit Correccion(const std::vector<ParSolucion>& pares);

    // Size of the result and number of corrections for a text whose byte
    // histogram is `cuentas`; false when either overflows 64 bits. Remembers
    // which bytes occur, for Preparar.
    bool Medir(const std::uint64_t (&cuentas)[256], std::uint64_t& tamano,
               std::uint64_t& correcciones);

    // Builds the expansions of the bytes that occur; call only after Medir
    // accepted the size (stored replacements that feed each other can make the
    // expansion of an absent byte astronomically long: it is never built).
    void Preparar();

    // Appends the corrected form of `n` bytes to `salida`.
    void Reescribir(const char* datos, std::size_t n, std::string& salida) const;

    // Writes the corrected form of `n` bytes at `destino`, which has room for
    // it, and returns the end of what it wrote.
    char* ReescribirEn(const char* datos, std::size_t n, char* destino) const;

    // Size of the corrected form of `n` bytes.
    std::uint64_t TamanoDe(const char* datos, std::size_t n) const;

    // The first byte of [p, fin) that the rows change, or fin.
    const unsigned char* Buscar(const unsigned char* p, const unsigned char* fin) const {
        return m_cambia.Buscar(p, fin);
    }

    // True for the bytes that the rows change.
    bool Cambia(unsigned char c) const { return m_cambia.Contiene(c); }

private:
    std::vector<ParSolucion> m_pares;
    ConjuntoBytes m_cambia;
    bool m_presente[256]{};
    std::uint64_t m_longitud[256]{};     // saturating
    std::uint64_t m_correcciones[256]{}; // saturating
    std::string m_expansion[256];
};

} // namespace tildora
