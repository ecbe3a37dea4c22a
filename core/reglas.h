#pragma once

// The rules both the windows and the command line apply to what the user
// gives: file names, characters written as escapes, replacements.

#include "core/correccion.h"
#include "core/resultado.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// A name as the user means it: only spaces around it are dropped; a tab or
// any other character is part of it.
std::string RecortarEspacios(std::string_view nombre);

// Checks an input and an output name, already trimmed. Equal names, and two
// names of one existing file ("./a.txt" and "a.txt", a link), are refused
// (Fallo::NombresIguales): writing the output would destroy the input. So is
// an output that is the store `almacen` (the one in use; empty: none),
// whether it is there yet or not (Fallo::SalidaEsAlmacen): the corrected
// text would replace every remembered answer. With `estandar`, "-" names
// standard input or output, which are refused when they are the other file
// or the store themselves (`< a.txt`, `>> caracteres.ini`).
Resultado<void> ComprobarNombres(const std::string& entrada, const std::string& salida,
                                 const std::string& almacen, bool estandar = false);

// Whether a file can be written under `salida`, as far as can be told
// before anything is written: it is no pipe (Fallo::Tuberia) or device
// (Fallo::Dispositivo), which no file may replace, no folder, and its folder
// is there and may have files made in it. Otherwise Fallo::Escritura with
// the system's reason (the one writing would meet: a read-only file system
// is that, not a lack of permission) and the name.
Resultado<void> SalidaEscribible(const std::string& salida);

// What is under a name: whether anything is (a link that leads nowhere
// too), whether it is a folder or leads to one, a pipe or a socket, or a
// device, and, when what it leads to cannot be looked at, why.
struct Hay {
    bool existe = false;
    bool carpeta = false;
    bool tuberia = false;
    bool dispositivo = false;
    int codigo = 0;
};
Hay QueHay(const std::string& ruta);

// The open descriptor an output name stands for: /dev/stdout (1),
// /dev/stderr (2), /dev/fd/N and /proc/self/fd/N (N), however spelt (a
// relative name, /dev/./stdout). Such an output is
// written to that descriptor, as "-" is written to standard output, never
// replaced by a new file: the file it leads to may be open for appending
// (`>> log.txt`), and a rename would replace all of it. Nothing for every
// other name, and on Windows, which has no such names.
std::optional<int> DescriptorNombrado(const std::string& salida);

// Makes standard output the open descriptor `descriptor`, so that what is
// written to "-" goes there. 0, or the error number (EBADF: it is not open).
int SalidaEstandarHacia(int descriptor);

// The existence test of the file-selection window: a directory search for
// ordinary files only. Folders and hidden files (names beginning with a dot)
// are not found; '*' and '?' in the last part of the name act as wildcards; a
// name ending in '/' finds the first ordinary file in that folder.
bool ExisteFicheroOrdinario(const std::string& nombre);

// The longest replacement the store gives back.
inline constexpr std::size_t kLargoMaximoSustituto = 127;

// A wrong character as the user writes it on the command line (one
// character in UTF-8, \xHH or U+XXXX): the key it is remembered under.
// Refused (Fallo::NoEsUnCaracter, with the text in Error::ruta) when it is
// not one, Fallo::NoUtf8 when it is not UTF-8 text at all; a U+XXXX that no
// character has (a UTF-16 half, past U+10FFFF) with Fallo::CodigoSinCaracter.
Resultado<std::string> ClaveDada(const std::string& texto);

// A character and its replacement as `remember` takes them: the key, and
// the replacement in Windows-1252. Refused, with the text at fault in
// Error::ruta: an allowed character, a CR or an LF (a line break, never a
// character; a lone LF is always written as CR LF), a replacement that is
// not UTF-8 (Fallo::NoUtf8) or that Windows-1252 cannot hold, one holding its own character (no row
// could ever correct it), empty, holding a line break, or longer than the store gives back.
// The answer comes as the grid's row for the character.
Resultado<Fila> RespuestaDada(const std::string& caracter, const std::string& sustituto);
// The delete answer for a character as `remember --delete` takes it, the
// character refused as RespuestaDada refuses it.
Resultado<Fila> BorradoDado(const std::string& caracter);

} // namespace tildora
