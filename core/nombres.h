#pragma once

#include <string>

namespace tildora {

// A character's name as Unicode gives it ("LATIN SMALL LETTER E WITH
// ACUTE", "CJK UNIFIED IDEOGRAPH-4E00", "HANGUL SYLLABLE GA"), or, for a
// code point with none, what it is and its number in hex ("<control-0009>",
// "<unassigned-0378>", "<private use area-E000>", "<noncharacter-FFFF>");
// empty past U+10FFFF. The names are those of the ICU the program was built
// with, read from a table made while building; the program never loads ICU.
std::string NombreCaracter(char32_t cp);

} // namespace tildora
