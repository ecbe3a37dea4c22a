#pragma once

#include "core/correccion.h"

#include <optional>
#include <string>
#include <string_view>

namespace tildora {

class Respuestas;

// The proposed replacement for a wrong character of a Windows-1252, UTF-8 or
// UTF-16 text (a Windows-1252 byte is asked for as UnicodeDeAnsi gives it):
//   - nothing when there is none: an allowed character, CR and LF, a Chinese,
//     Japanese or Korean character, a code point no character has, and the
//     characters for which nothing made of allowed characters would do;
//   - an empty text for the delete answer (an invisible character, a control,
//     a combining mark standing alone);
//   - otherwise the replacement's Windows-1252 bytes, every one of them an
//     allowed code: "..." for …, "EUR" for €, "ü" for ǘ, " " for a thin space.
// The proposals are worked out when the program is built, from ICU's CLDR
// transforms and the rules in herramientas/propuestas/reglas_propuestas.txt; the
// answer here is a look-up in a table of the program.
std::optional<std::string_view> PropuestaPara(char32_t cp);

// The same for a wrong character given by the key it is remembered under (a
// Windows-1252 byte, or "U+XXXX"): the proposal for the character the key
// stands for, whatever the text's encoding; nothing for a key that is no one
// character's. A lone LF of a Windows-1252 text, like CR, gets none.
std::optional<std::string_view> PropuestaDeClave(std::string_view clave);

// Whether a character is Chinese, Japanese or Korean (Han, Hiragana,
// Katakana, Hangul, Bopomofo, the signs used with them alone, and what
// decomposes into them): those never get a proposal, as a romanisation is not
// a replacement a reader of Spanish or Basque can check.
bool EsCjk(char32_t cp);

// The row a wrong character starts with, in the grid and in fix: a lone LF's
// fixed answer (CR LF); else the answer remembered for it; else, when
// `proponer`, its proposal (`propuesta` is then true: nothing of it is
// remembered yet); else no answer. What is remembered always comes first.
struct FilaInicial {
    Fila fila;
    bool propuesta = false;
};
FilaInicial FilaDeInicio(std::string clave, const Respuestas& respuestas, bool proponer);

} // namespace tildora
