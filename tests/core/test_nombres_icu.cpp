// The table of the characters' names against the ICU that made it, for
// every code point: built only where that ICU is at hand.
#include "core/nombres.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include <string>

TEST(Nombres, EveryCodePointAsIcuNamesIt) {
    int distintos = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        char nombre[256];
        UErrorCode e = U_ZERO_ERROR;
        const int32_t n = u_charName(static_cast<UChar32>(cp), U_EXTENDED_CHAR_NAME, nombre,
                                     static_cast<int32_t>(sizeof nombre), &e);
        ASSERT_TRUE(U_SUCCESS(e) && n > 0 && n < static_cast<int32_t>(sizeof nombre));
        const std::string icu(nombre, static_cast<std::size_t>(n));
        const std::string tabla = tildora::NombreCaracter(cp);
        if (tabla != icu && ++distintos <= 10) {
            ADD_FAILURE() << std::hex << static_cast<unsigned>(cp) << ": \"" << tabla
                          << "\", ICU \"" << icu << "\"";
        }
    }
    EXPECT_EQ(distintos, 0);
}
