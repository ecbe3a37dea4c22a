#pragma once

// The table of the characters' names, made at build time by
// tildora_generar_nombres (herramientas/nombres/) from ICU and compiled into
// the library. Only core/nombres.cpp reads it; the generator takes its
// constants from here.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tildora::tabla_nombres {

// The code points from U+0000 to U+10FFFF in runs: run i holds the code
// points from kDesde[i] (kDesde[0] is 0, the rest ascending) to the next
// run's first, all named the same way, as kValor[i] says:
//   - kHangul: Hangul syllables, each named from its letters;
//   - kFormula | f: the code point in hex (4 digits at least) between
//     kAntes[f] and kDespues[f] ("CJK UNIFIED IDEOGRAPH-4E00",
//     "<control-0009>", "<unassigned-0378>");
//   - otherwise where in kNombres the run's names begin, one for each of its
//     code points in order.
extern const std::size_t kTramos;
extern const char32_t kDesde[];
extern const std::uint32_t kValor[];
constexpr std::uint32_t kHangul = 0xFFFFFFFF;
constexpr std::uint32_t kFormula = 0x80000000;
extern const std::size_t kFormulas;
extern const char* const kAntes[];
extern const char* const kDespues[];

// A run holds at most this many names, so that finding one reads few.
constexpr std::size_t kNombresPorTramo = 64;

// kNombres and kPalabras hold items each written after the one before: an
// item begins with one byte, its high four bits how much it takes from the
// start of the item before (none for a run's or a block's first), its low
// four bits how many bytes follow (0: that count is the next byte), then
// those bytes.

// The names of the runs, one after another, each item a name's words'
// numbers after those it takes from the name before; the words are joined
// by spaces. A word numbered below kUnByte is one byte; a word n from kUnByte
// on is two: kUnByte + (n - kUnByte) / 256, then (n - kUnByte) % 256.
extern const unsigned char kNombres[];
extern const unsigned kUnByte;

// The words in blocks of kPalabrasPorIndice, word i * kPalabrasPorIndice
// beginning at kPalabras[kIndice[i]], each item a word's letters after those
// it takes from the word before: the kUnByte most used words, then the
// rest, each part in alphabetical order.
extern const unsigned char kPalabras[];
extern const std::uint32_t kIndice[];
constexpr std::size_t kPalabrasPorIndice = 32;

// A Hangul syllable's name, made from its letters as Unicode makes it
// ("HANGUL SYLLABLE GA" for U+AC00); empty for any other code point.
inline std::string NombreHangul(char32_t cp) {
    static constexpr const char* kIniciales[19] = {"G", "GG", "N", "D",  "DD", "R", "M",
                                                   "B", "BB", "S", "SS", "",   "J", "JJ",
                                                   "C", "K",  "T", "P",  "H"};
    static constexpr const char* kMedias[21] = {"A",   "AE", "YA", "YAE", "EO", "E",  "YEO",
                                                "YE",  "O",  "WA", "WAE", "OE", "YO", "U",
                                                "WEO", "WE", "WI", "YU",  "EU", "YI", "I"};
    static constexpr const char* kFinales[28] = {
        "",   "G",  "GG", "GS", "N",  "NJ", "NH", "D",  "L", "LG", "LM", "LB", "LS", "LT",
        "LP", "LH", "M",  "B",  "BS", "S",  "SS", "NG", "J", "C",  "K",  "T",  "P",  "H"};
    constexpr char32_t kPrimera = 0xAC00;
    constexpr char32_t kSilabas = 19 * 21 * 28;
    if (cp < kPrimera || cp >= kPrimera + kSilabas) {
        return {};
    }
    const char32_t s = cp - kPrimera;
    return std::string("HANGUL SYLLABLE ") + kIniciales[s / (21 * 28)] + kMedias[s / 28 % 21] +
           kFinales[s % 28];
}

} // namespace tildora::tabla_nombres
