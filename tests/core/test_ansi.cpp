#include "core/caracteres.h"
#include "core/unicode.h"

#include <gtest/gtest.h>

using namespace tildora;

TEST(Ansi, DecodesWindows1252) {
    EXPECT_EQ(UnicodeDeAnsi('A'), U'A');
    EXPECT_EQ(UnicodeDeAnsi(0x80), U'\u20AC');
    EXPECT_EQ(UnicodeDeAnsi(0x85), U'\u2026');
    EXPECT_EQ(UnicodeDeAnsi(0x93), U'\u201C');
    EXPECT_EQ(UnicodeDeAnsi(0x9F), U'\u0178');
    EXPECT_EQ(UnicodeDeAnsi(0xE7), U'ç');
    for (unsigned char c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(UnicodeDeAnsi(c), static_cast<char32_t>(c));
    }
    EXPECT_EQ(Utf8DeAnsi("\xC7"
                         "a\x80"),
              "Ça€");
}

TEST(Ansi, EveryByteRoundTrips) {
    for (unsigned c = 0; c < 256; ++c) {
        const auto u = UnicodeDeAnsi(static_cast<unsigned char>(c));
        ASSERT_EQ(AnsiDeUnicode(u), static_cast<unsigned char>(c)) << c;
        const std::string uno(1, static_cast<char>(c));
        ASSERT_EQ(AnsiDeUtf8(Utf8DeAnsi(uno)), uno) << c;
    }
}

TEST(Ansi, EncodingRefusesWhatItCannotHold) {
    EXPECT_EQ(AnsiDeUtf8("ça"), std::string("\xE7"
                                            "a"));
    EXPECT_EQ(AnsiDeUtf8("€"), std::string("\x80"));
    EXPECT_FALSE(AnsiDeUtf8("ł"));            // no Windows-1252 byte
    EXPECT_FALSE(AnsiDeUtf8("\xE7"));         // not UTF-8
    EXPECT_FALSE(AnsiDeUtf8("\xC0\x80"));     // overlong
    EXPECT_FALSE(AnsiDeUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(AnsiDeUtf8("\xE2\x82"));     // cut short
    EXPECT_EQ(AnsiDeUtf8(""), std::string());
}

TEST(Ansi, ControlPictures) {
    EXPECT_EQ(GlifoDeAnsi(0, false), U'\u2400');
    EXPECT_EQ(GlifoDeAnsi('\t', false), U'\u2409');
    EXPECT_EQ(GlifoDeAnsi(27, false), U'\u241B');
    EXPECT_EQ(GlifoDeAnsi(127, false), U'\u2421');
    EXPECT_EQ(GlifoDeAnsi('\n', true), U'\u240A');
    EXPECT_EQ(GlifoDeAnsi('\n', false), U'\n');
    EXPECT_EQ(GlifoDeAnsi('\r', false), U'\r');
    EXPECT_EQ(GlifoDeAnsi(0x80, false), U'\u20AC');
    EXPECT_EQ(Utf8Visible(std::string("a\tb\0", 4), false), "a\u2409b\u2400");
    EXPECT_EQ(DescripcionClave("\t", false), "9 · 0x09 · TAB");
    EXPECT_EQ(DescripcionClave("\xE7", false), "231 · 0xE7");
    EXPECT_EQ(DescripcionClave("\x7F", false), "127 · 0x7F · DEL");
}
