// The characters' names from the table made while building: a few of every
// kind, written out here as Unicode names them.
#include "core/nombres.h"

#include <gtest/gtest.h>

#include <string>

using tildora::NombreCaracter;

TEST(Nombres, CharactersOfEveryKind) {
    const struct {
        char32_t cp;
        const char* nombre;
    } casos[] = {
        {U'é', "LATIN SMALL LETTER E WITH ACUTE"},
        {U'Ε', "GREEK CAPITAL LETTER EPSILON"},
        // Rare words, held in two bytes each.
        {U'\uFDFA', "ARABIC LIGATURE SALLALLAHOU ALAYHE WASALLAM"},
        {U'😀', "GRINNING FACE"},
        {U'一', "CJK UNIFIED IDEOGRAPH-4E00"},
        {U'가', "HANGUL SYLLABLE GA"},
        {U'\uD7A3', "HANGUL SYLLABLE HIH"},
        {U'\t', "<control-0009>"},
        {U'\uE000', "<private use area-E000>"},
        {0x378, "<unassigned-0378>"},
        {0x10FFFF, "<noncharacter-10FFFF>"},
        {0x110000, ""},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(NombreCaracter(c.cp), c.nombre) << std::hex << static_cast<unsigned>(c.cp);
    }
}
