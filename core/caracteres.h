#pragma once

// Which characters may stay in a text, the key each wrong character is
// remembered under, and how a character is shown to the user.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// One entry per ANSI code (0 to 255): true when the character may stay in a
// file, false when it must be replaced.
using TablaValidez = std::array<bool, 256>;

// The fixed table of allowed codes: 115 allowed, 141 wrong.
TablaValidez ConstruirCaracteresValidos();
extern const TablaValidez kCaracteresValidos;

// Whether a byte breaks a line (CR, LF, or the two together): a line break is
// the text's structure, never a character to check, answer or store.
constexpr bool EsRuptura(unsigned char b) {
    return b == '\r' || b == '\n';
}

// Whether a character of a UTF-8 or UTF-16 text may stay: the allowed codes
// read as the characters they are, all of them below U+0100. (CR and LF are
// line ends there, never characters.)
inline bool PermitidoUnicode(char32_t cp) {
    return cp < 0x100 && kCaracteresValidos[cp];
}

// The key a wrong character is remembered under: its Windows-1252 byte when
// Windows-1252 has it, otherwise "U+" and its code in upper-case hex, at
// least four digits ("U+0101"). The same character has the same key in every
// encoding.
std::string ClaveDeCaracter(char32_t cp);
// The character a key stands for, read as a Windows-1252 byte or as "U+XXXX"
// (four to six hex digits, no surrogate, one spelling per character);
// nothing for any other text.
std::optional<char32_t> CaracterDeClave(std::string_view clave);
// A wrong character's code as the command line's `check` writes it, by its
// key: the decimal Windows-1252 code ("231"), or the key itself ("U+0395")
// for a character Windows-1252 lacks.
std::string CodigoClave(std::string_view clave);

// The value of one hexadecimal digit, or -1; the byte two digits write; a
// byte written as \xHH (upper-case digits).
int ValorHex(char c);
std::optional<unsigned char> ByteHex(char alto, char bajo);
std::string EscapeHex(unsigned char c);

// Characters that show nothing, or nothing telling, on their own: C1
// controls, format characters (zero-width ones, direction marks, the
// byte-order mark), combining marks, blanks other than the space and the
// no-break space, line and paragraph separators, variation selectors,
// private-use characters and non-characters.
bool EsInvisible(char32_t cp);

// True for the controls shown as pictures: 0 to 31 but CR and LF, and 127.
bool EsControlVisible(unsigned char c);

// What the user sees for one Windows-1252 byte: a control's picture (U+2400
// + code, U+2421 for 127), a lone LF as U+240A when `lfVisible`, otherwise
// the character itself.
char32_t GlifoDeAnsi(unsigned char c, bool lfVisible);
// Windows-1252 bytes in UTF-8 with their controls as pictures.
std::string Utf8Visible(std::string_view bytes, bool lfVisible);

// How the windows show a wrong character given by its key. `unicode`: the
// text is UTF-8 or UTF-16, where a character Windows-1252 lacks stands as
// itself, or as "U+XXXX" when it is invisible; a Windows-1252 text is shown
// byte for byte, controls as pictures.
std::string ClaveVisible(std::string_view clave, bool unicode);
// A grid cell's tip: the code in decimal and hex and, for a control, its
// name ("9 · 0x09 · TAB"); for a character of a Unicode text its code
// ("U+0101") first. Empty for a key that is no one character.
std::string DescripcionClave(std::string_view clave, bool unicode);
// The bytes that stand for the character in the working copy: the byte in a
// Windows-1252 text, its UTF-8 form in a Unicode one.
std::string BytesDeClave(std::string_view clave, bool unicode);

} // namespace tildora
