#include "core/caracteres.h"

#include <gtest/gtest.h>

using tildora::ConstruirCaracteresValidos;

TEST(Tabla, ExactAllowedSet) {
    // Written out code by code, independently of the ranges in the code.
    const int permitidos[] = {
        32,  33,  34,  35,  36,  37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  48,
        49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,  63,  64,  65,
        66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,  80,  81,  82,
        83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  95,  97,  98,  99,  100, 101,
        102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118,
        119, 120, 121, 122, 123, 125, 126, 160, 161, 170, 173, 176, 186, 191, 193, 201, 205,
        209, 211, 215, 218, 220, 225, 233, 237, 241, 243, 250, 252, 255};
    bool esperado[256] = {};
    for (int c : permitidos) {
        esperado[c] = true;
    }
    const auto tabla = ConstruirCaracteresValidos();
    int cuenta = 0;
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(tabla[static_cast<unsigned>(c)], esperado[c]) << "code " << c;
        cuenta += tabla[static_cast<unsigned>(c)] ? 1 : 0;
    }
    EXPECT_EQ(cuenta, 115);
    EXPECT_EQ(256 - cuenta, 141);
}

TEST(Tabla, NotableCodes) {
    const auto t = ConstruirCaracteresValidos();
    for (int c : {9,   10,  13,  0,   94,  96,  124, 127, 128, 133, 145,
                  148, 150, 151, 171, 183, 187, 192, 199, 200, 228, 231}) {
        EXPECT_FALSE(t[static_cast<unsigned>(c)]) << c;
    }
    for (int c : {32, 91, 92, 93, 95, 123, 125, 126, 160, 173, 209, 241, 252, 255}) {
        EXPECT_TRUE(t[static_cast<unsigned>(c)]) << c;
    }
}

TEST(Tabla, BuildsAreIdentical) {
    EXPECT_EQ(ConstruirCaracteresValidos(), ConstruirCaracteresValidos());
    EXPECT_EQ(ConstruirCaracteresValidos(), tildora::kCaracteresValidos);
}
