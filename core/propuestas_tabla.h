#pragma once

// The table of proposed replacements, made at build time by
// tildora_generar_propuestas (herramientas/propuestas/) and compiled into the library.
// Only core/propuestas.cpp reads it.

#include <cstddef>
#include <cstdint>

namespace tildora::tabla_propuestas {

// The code points from U+0000 to U+10FFFF in runs: run i holds the code
// points from kDesde[i] (kDesde[0] is 0, the rest ascending) to the next run's
// first, all with the value kValor[i].
extern const std::size_t kTramos;
extern const char32_t kDesde[];
extern const std::uint32_t kValor[];

// A value: no proposal, or no proposal for a Chinese, Japanese or Korean
// character, or the proposal's length (high 8 bits, 0 for the delete answer)
// and where its Windows-1252 bytes begin in kPozo (low 24 bits).
constexpr std::uint32_t kNinguna = 0xFFFFFFFF;
constexpr std::uint32_t kCjk = 0xFFFFFFFE;

// Every proposal's bytes, one after another (proposals that are equal are
// held once).
extern const std::size_t kLargoPozo;
extern const char kPozo[];

} // namespace tildora::tabla_propuestas
