// The proposed replacements: what a few characters of each kind get, and
// that no proposal anywhere holds a character that is not allowed.
#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/propuestas.h"
#include "core/unicode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

using namespace tildora;

namespace {

// What a proposal is expected to be, written in UTF-8 for the reader.
struct Esperada {
    enum Clase { Ninguna, Borrar, Texto } clase;
    std::string utf8;
};
const Esperada kNinguna{Esperada::Ninguna, ""};
const Esperada kBorrar{Esperada::Borrar, ""};
Esperada Texto(std::string utf8) {
    return {Esperada::Texto, std::move(utf8)};
}

std::string Codigo(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
    return buf;
}

} // namespace

TEST(Propuestas, CharactersOfEveryKind) {
    const struct {
        char32_t cp;
        Esperada esperada;
    } casos[] = {
        // Typographic signs of a text from the web or a word processor.
        {U'“', Texto("\"")},
        {U'”', Texto("\"")},
        {U'‘', Texto("'")},
        {U'’', Texto("'")},
        {U'„', Texto("\"")},
        {U'«', Texto("\"")},
        {U'»', Texto("\"")},
        {U'‹', Texto("'")},
        {U'–', Texto("-")},
        {U'—', Texto("-")},
        {U'…', Texto("...")},
        {U'•', Texto("-")},
        {U'●', Texto("-")},
        {U'■', Texto("-")},
        {U'€', Texto("EUR")},
        {U'£', Texto("GBP")},
        {U'¢', Texto("c")},
        {U'™', Texto("TM")},
        {U'©', Texto("(C)")},
        {U'‰', Texto("o/oo")},
        {U'†', Texto("+")},
        {U'§', Texto("par.")},
        {U'¶', Texto("par.")},
        {U'µ', Texto("u")},
        {U'·', Texto(".")},
        {U'´', Texto("'")},
        {U'`', Texto("'")},
        {U'¨', Texto("\"")},
        {U'¸', Texto(",")},
        {U'¯', Texto("-")},
        {U'¬', Texto("-")},
        {U'^', Texto("**")},
        {U'ˆ', Texto("**")}, // CLDR's ^, taken by the rule for ^
        {U'|', Texto("/")},
        {U'²', Texto("2")},
        {U'½', Texto(" 1/2")},
        {U'√', Texto("sqrt")},
        {U'≈', Texto("~")},
        {U'≤', Texto("<=")},
        {U'≥', Texto(">=")},
        {U'≠', Texto("<>")},
        {U'⋅', Texto("×")},
        {U'─', Texto("-")},
        {U'│', Texto("!")},
        {U'┼', Texto("+")},
        {U'╔', Texto("+")},
        {U'█', Texto("#")},
        // Blanks: one blank, or the no-break space for those that do not
        // break a line.
        {U'\t', Texto(" ")},
        {U'\u2009', Texto(" ")}, // thin space
        {U'\u2003', Texto(" ")}, // em space
        {U'\u3000', Texto(" ")}, // ideographic space
        {U'\u2028', Texto(" ")}, // line separator
        {U'\u202F', Texto("\u00A0")},
        // Latin letters with marks that are not allowed: an allowed letter
        // is kept where taking marks off gives one.
        {U'ç', Texto("c")},
        {U'Ç', Texto("C")},
        {U'à', Texto("a")},
        {U'è', Texto("e")},
        {U'ï', Texto("i")},
        {U'ô', Texto("o")},
        {U'ł', Texto("l")},
        {U'ő', Texto("o")},
        {U'Ÿ', Texto("Y")},
        {U'ǘ', Texto("ü")},
        {U'ế', Texto("é")},
        {U'ṍ', Texto("ó")},
        // Ligatures.
        {U'ﬁ', Texto("fi")},
        {U'œ', Texto("oe")},
        {U'Œ', Texto("OE")},
        {U'ß', Texto("ss")},
        {U'Æ', Texto("AE")},
        // Greek and Cyrillic letters, and a Greek accent kept.
        {U'α', Texto("a")},
        {U'Β', Texto("B")},
        {U'ψ', Texto("ps")},
        {U'ά', Texto("á")},
        {U'д', Texto("d")},
        {U'Б', Texto("B")},
        // Letters in a compatibility form.
        {U'Ａ', Texto("A")},
        {U'\U0001D400', Texto("A")}, // mathematical bold A
        {U'㎂', Texto("uA")},        // the mu of a unit is its micro prefix
        {U'ℌ', Texto("H")},
        // Invisible characters and controls go.
        {U'\u200B', kBorrar},  // zero-width space
        {U'\uFEFF', kBorrar},  // a byte-order mark inside a text
        {U'\u200D', kBorrar},  // zero-width joiner
        {U'\uFE0F', kBorrar},  // variation selector
        {U'\u0301', kBorrar},  // a combining mark standing alone
        {U'\u00AD', kNinguna}, // the soft hyphen is allowed
        {U'\u0007', kBorrar},
        {U'\u001B', kBorrar},
        {U'\u007F', kBorrar},
        {U'\u0081', kBorrar},
        // None: an emoji, Chinese, Japanese and Korean characters, a code
        // point no character has, a surrogate, past the last code point.
        {U'\U0001F600', kNinguna},
        {U'汉', kNinguna},
        {U'か', kNinguna},
        {U'ｶ', kNinguna},
        {U'한', kNinguna},
        {U'、', kNinguna},
        {U'\u0378', kNinguna},
        {0xD800, kNinguna},
        {0x110000, kNinguna},
        // Allowed characters and the line ends get none.
        {U'á', kNinguna},
        {U'ñ', kNinguna},
        {U'ü', kNinguna},
        {U'¿', kNinguna},
        {U'¡', kNinguna},
        {U'º', kNinguna},
        {U'ª', kNinguna},
        {U'\u00A0', kNinguna},
        {U'a', kNinguna},
        {U'\r', kNinguna},
        {U'\n', kNinguna},
    };
    for (const auto& c : casos) {
        const auto p = PropuestaPara(c.cp);
        switch (c.esperada.clase) {
        case Esperada::Ninguna:
            EXPECT_FALSE(p) << Codigo(c.cp) << " got \"" << Utf8DeAnsi(p.value_or("")) << "\"";
            break;
        case Esperada::Borrar:
            ASSERT_TRUE(p) << Codigo(c.cp);
            EXPECT_EQ(Utf8DeAnsi(*p), "") << Codigo(c.cp);
            break;
        case Esperada::Texto:
            ASSERT_TRUE(p) << Codigo(c.cp);
            EXPECT_EQ(Utf8DeAnsi(*p), c.esperada.utf8) << Codigo(c.cp);
            break;
        }
    }
}

TEST(Propuestas, ChineseJapaneseKoreanToldApart) {
    for (char32_t cp : {U'汉', U'か', U'カ', U'ｶ', U'한', U'ㄅ', U'、', U'㍿', U'\U00020000'}) {
        EXPECT_TRUE(EsCjk(cp)) << Codigo(cp);
    }
    for (char32_t cp : {U'a', U'α', U'ж', U'Ａ', U'\u3000', U'·', U'\U0001F600', U'€'}) {
        EXPECT_FALSE(EsCjk(cp)) << Codigo(cp);
    }
}

// Every proposal, for every code point of the first plane and a sample of
// the others, is made of allowed codes; allowed characters and Chinese,
// Japanese and Korean ones get none.
TEST(Propuestas, OnlyAllowedCharacters) {
    const TablaValidez& tabla = kCaracteresValidos;
    std::size_t propuestas = 0;
    const auto comprobar = [&](char32_t cp) {
        const auto p = PropuestaPara(cp);
        if (PermitidoUnicode(cp) || EsCjk(cp)) {
            EXPECT_FALSE(p) << Codigo(cp);
            return;
        }
        if (!p) {
            return;
        }
        ++propuestas;
        for (char b : *p) {
            ASSERT_TRUE(tabla[static_cast<unsigned char>(b)])
                << Codigo(cp) << " → \"" << Utf8DeAnsi(*p) << "\"";
        }
    };
    for (char32_t cp = 0; cp <= 0xFFFF; ++cp) {
        comprobar(cp);
    }
    for (char32_t cp = 0x10000; cp <= 0x10FFFF; cp += 97) {
        comprobar(cp);
    }
    // A table that lost its proposals would pass the loop above.
    EXPECT_GT(propuestas, 5000u);
}

// Every wrong Windows-1252 code but the line ends has a proposal, asked for
// by its key as the front ends ask: a Windows-1252 text never stops for the
// want of one.
TEST(Propuestas, EveryWindows1252Code) {
    const TablaValidez& tabla = kCaracteresValidos;
    for (unsigned b = 0; b < 256; ++b) {
        const std::string clave(1, static_cast<char>(b));
        EXPECT_EQ(PropuestaDeClave(clave),
                  PropuestaPara(UnicodeDeAnsi(static_cast<unsigned char>(b))))
            << "code " << b;
        if (!tabla[b] && b != '\r' && b != '\n') {
            EXPECT_TRUE(PropuestaDeClave(clave)) << "code " << b;
        }
    }
    EXPECT_FALSE(PropuestaDeClave("\n"));
}

// A key of a character Windows-1252 lacks is its U+XXXX; any other text is
// no key, and has no proposal.
TEST(Propuestas, ByTheKey) {
    EXPECT_EQ(PropuestaDeClave("U+0142"), "l");
    EXPECT_EQ(PropuestaDeClave("U+200B"), ""); // the delete answer
    EXPECT_EQ(PropuestaDeClave("U+1F600"), std::nullopt);
    EXPECT_EQ(PropuestaDeClave("U+4E00"), std::nullopt);
    for (const char* clave : {"", "ab", "u+0142", "U+142", "U+00E7", "U+D800", "U+110000"}) {
        EXPECT_EQ(PropuestaDeClave(clave), std::nullopt) << clave;
    }
}

// The row each wrong character starts with: what is remembered (the delete
// answer included) comes before any proposal, a lone LF's answer is fixed,
// and a proposal is taken only when asked for, and said to be one.
TEST(Propuestas, TheRowAWrongCharacterStartsWith) {
    const Respuestas almacen("[lista]\r\n^=x\r\n\x93=\r\nU+200B=\"\"\r\n\\x0A=y\r\n\x85=\"\"\r\n");
    struct Caso {
        const char* clave;
        bool proponer;
        Fila fila;
        bool propuesta;
    };
    const Caso casos[] = {
        {"^", true, {"^", "x"}, false},            // remembered, over its proposal **
        {"\x85", true, {"\x85", "", true}, false}, // remembered delete, over "..."
        {"U+200B", false, {"U+200B", "", true}, false},
        {"\x93", true, {"\x93", "\""}, true}, // an empty value is no answer
        {"\x93", false, {"\x93", ""}, false},
        {"\x81", true, {"\x81", "", true}, true}, // a proposed delete
        {"U+4E2D", true, {"U+4E2D", ""}, false},  // no proposal
        {"\n", true, {"\n", "\r\n"}, false},      // fixed, whatever is stored
        {"\n", false, {"\n", "\r\n"}, false},
    };
    for (const Caso& c : casos) {
        const FilaInicial f = FilaDeInicio(c.clave, almacen, c.proponer);
        EXPECT_EQ(f.fila.clave, c.fila.clave) << c.clave;
        EXPECT_EQ(f.fila.sustituto, c.fila.sustituto) << c.clave;
        EXPECT_EQ(f.fila.borrar, c.fila.borrar) << c.clave;
        EXPECT_EQ(f.propuesta, c.propuesta) << c.clave << " " << c.proponer;
    }
}
