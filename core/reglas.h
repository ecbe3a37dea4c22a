#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// The rules both the windows and the command line apply to what the user
// gives: file names, characters written as escapes, replacements.

// A name as the user means it: only spaces around it are dropped; a tab or
// any other character is part of it.
std::string RecortarEspacios(std::string_view nombre);

enum class FalloNombres {
    Ninguno,
    Vacio,   // a name is missing
    Iguales, // equal names, or two spellings of one existing file
    Almacen  // the output is the store in use
};

// Checks an input and an output name, already trimmed. Equal names, and two
// names of one existing file ("./a.txt" and "a.txt", a link), are refused:
// writing the output would destroy the input. So is an output that is the
// store `almacen` (the one in use; empty: none), whether it is there yet or
// not (MismoLugar): the corrected text would replace every remembered answer.
FalloNombres ComprobarNombres(const std::string& entrada, const std::string& salida,
                              const std::string& almacen);

// The value of one hexadecimal digit, or -1.
int ValorHex(char c);

// The byte written as two hexadecimal digits, if both are.
std::optional<unsigned char> ByteHex(char alto, char bajo);

// Writes a byte as \xHH (upper-case digits).
std::string EscapeHex(unsigned char c);

enum class FalloSustituto {
    Ninguno,
    Vacio, // no replacement at all
    Salto, // holds a line break, which no store line can
    Largo  // longer than the store gives back
};

// The longest replacement the store gives back.
inline constexpr std::size_t kLargoMaximoSustituto = 127;

// Whether a replacement (Windows-1252 bytes) can be remembered as it is.
FalloSustituto ComprobarSustituto(std::string_view sustituto);

} // namespace tildora
