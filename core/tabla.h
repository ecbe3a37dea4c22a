#pragma once

#include <array>

namespace tildora {

// One entry per ANSI code (0 to 255): true when the character may stay in a
// file, false when it must be replaced.
using TablaValidez = std::array<bool, 256>;

// Builds the fixed table of allowed codes: 115 allowed, 141 wrong.
TablaValidez ConstruirCaracteresValidos();

// The same table, built once, for readers that have no scan of their own
// (the command line, the editor's check before any scan has run).
const TablaValidez& TablaFija();

} // namespace tildora
