#pragma once

// The text of the replacement store, caracteres.ini: an INI file that the
// Windows private-profile service can read and write as well. Its text is
// Windows-1252 bytes, or, after a byte-order mark (an editor saved it so),
// UTF-8 or UTF-16; the program always sees Windows-1252 keys and values (a
// character Windows-1252 lacks is the key "U+XXXX"), and what it writes goes
// into the file in the file's own encoding, every other line kept byte for
// byte.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora::ini {

// The answer stored under `clave` in `seccion`: nothing when there is none
// (the section or the key is missing, the value is empty, or it is one
// Windows-1252 cannot hold, in a UTF-8 or UTF-16 store: no answer rather than
// a wrong one); an empty text for the delete answer, written as the quoted
// empty value `""` (or `''`), which the Windows service reads as empty, so
// that an older copy of the program sees no answer there; otherwise the
// replacement, cut to 127 bytes.
std::optional<std::string> Respuesta(std::string_view bytes, std::string_view seccion,
                                     std::string_view clave);

// The value stored under `clave` in `seccion` as the Windows service reads
// it: Respuesta's replacement, or empty (no answer, or the delete answer).
std::string Solucion(std::string_view bytes, std::string_view seccion, std::string_view clave);

// The bytes with `valor` stored under `clave`: an existing key's line is
// replaced in place, a new key goes after the section's last entry, a missing
// section is added at the end. Nothing when that cannot be stored as given.
std::optional<std::string> ConSolucion(std::string_view bytes, std::string_view seccion,
                                       std::string_view clave, std::string_view valor);
// The same with the delete answer stored under `clave`, as `""`.
std::optional<std::string> ConBorrado(std::string_view bytes, std::string_view seccion,
                                      std::string_view clave);

// The bytes without any entry of `clave` in `seccion`: each such line goes
// with its line break, and every other byte stays; nothing when there is no
// such entry.
std::optional<std::string> SinSolucion(std::string_view bytes, std::string_view seccion,
                                       std::string_view clave);

// Every key of `seccion`, in the file's order, each once, with the answer
// Respuesta gives for it.
std::vector<std::pair<std::string, std::optional<std::string>>>
Soluciones(std::string_view bytes, std::string_view seccion);

// The lines, numbered from 1 as an editor numbers them, of the entries of
// `seccion` that Soluciones reads as no answer because Windows-1252 cannot
// hold their value.
std::vector<std::size_t> LineasSinValor(std::string_view bytes, std::string_view seccion);

} // namespace tildora::ini
