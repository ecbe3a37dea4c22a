#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// The Unicode code point of a Windows-1252 byte; the five unassigned codes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the same number.
char32_t UnicodeDeAnsi(unsigned char c);

// The Windows-1252 byte of a code point, if it has one.
std::optional<unsigned char> AnsiDeUnicode(char32_t u);

// Appends the UTF-8 form of a code point.
void AnadirUtf8(std::string& destino, char32_t u);

// Windows-1252 bytes to UTF-8, as they are (controls unchanged).
std::string Utf8DeAnsi(std::string_view bytes);

// UTF-8 to Windows-1252; nothing when the text is not valid UTF-8 or holds a
// character that Windows-1252 has no byte for.
std::optional<std::string> AnsiDeUtf8(std::string_view utf8);

// True for the controls that are shown as pictures: 0 to 31 but CR and LF,
// and 127.
bool EsControlVisible(unsigned char c);

// What the user sees for one byte: a control's picture (U+2400 + code,
// U+2421 for 127), a lone LF as U+240A when `lfVisible`, otherwise the
// character itself.
char32_t GlifoDeAnsi(unsigned char c, bool lfVisible);

// A text of Windows-1252 bytes in UTF-8 with its controls as pictures.
std::string Utf8Visible(std::string_view bytes, bool lfVisible);

// A tip for a grid cell: the code in decimal and hex and, for a control
// character, its name (for example "9 · 0x09 · TAB").
std::string DescripcionCodigo(unsigned char c);

// Characters that show nothing, or nothing telling, on their own: C1
// controls, format characters (zero-width ones, direction marks, the
// byte-order mark), combining marks, blanks other than the space and the
// no-break space, line and paragraph separators, variation selectors,
// private-use characters and non-characters.
bool EsInvisible(char32_t cp);

// What the user sees for one character of a Unicode text, in UTF-8: a
// control's picture (as GlifoDeAnsi, a lone LF included), "U+XXXX" for an
// invisible character, otherwise the character itself.
std::string CaracterVisible(char32_t cp);

// A tip for a character of a Unicode text: its code ("U+0101"), followed by
// DescripcionCodigo of its Windows-1252 byte when it has one.
std::string DescripcionCaracter(char32_t cp);

} // namespace tildora
