#pragma once

#include <string>
#include <string_view>

namespace tildora {

// How the conversion window shows and finds a wrong character given by the
// key it is remembered under (see ClaveDeCaracter). `unicode` says that the
// text is UTF-8 or UTF-16, its working copy then UTF-8; a Windows-1252 text
// is shown byte for byte, as it always was.

// What the grid and the messages show: for a Windows-1252 text the bytes,
// controls as pictures (Utf8Visible); for a Unicode text the character as
// CaracterVisible shows it.
std::string ClaveVisible(std::string_view clave, bool unicode);

// The grid cell's tip: the code of the byte (DescripcionCodigo) or of the
// character (DescripcionCaracter); empty for a key that is no one character.
std::string DescripcionClave(std::string_view clave, bool unicode);

// The bytes that stand for the character in the working copy: the byte
// itself in a Windows-1252 text, its UTF-8 form in a Unicode one; empty for
// a key that is no one character.
std::string BytesDeClave(std::string_view clave, bool unicode);

} // namespace tildora
