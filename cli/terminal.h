#pragma once

#include "core/resultado.h"

#include <optional>
#include <string>
#include <string_view>

namespace tildora::cli {

// Exit statuses.
inline constexpr int kBien = 0;
inline constexpr int kHayErroneos = 1;
inline constexpr int kNoEstaba = 1; // forget: no answer to remove
inline constexpr int kFallo = 2;
inline constexpr int kSinSolucion = 3;
inline constexpr int kSalidaExiste = 4;

// Writes the text as it is on standard output (or error); 0 or the system's
// error number.
int Poner(std::string_view texto, bool error = false);

// One line on standard error, the only way the command line writes there but
// for the usage text: it begins with the program's name ("tildora: ") and any
// control character in it but a tab (a line break, an escape sequence in a
// file's name, a C1 control) is written as \xHH, as NombreVisible writes it,
// so each call is one whole line.
void Error(std::string_view linea);

// The "too large" line, written without taking any memory: memory ran out.
void SinMemoria();

// The line after a message: a name and why, for scripts and logs.
void Detalle(std::string_view nombre, std::string_view razon);

// What went wrong in the command line's words: the file it concerns and
// why, on the line after a message ("falta.txt: No such file or
// directory"), or only why when it concerns no file.
std::string Motivo(const tildora::Error& error);

// The line that says first what stopped the work when the name is not what
// is wrong: memory (Fallo::Grande), a full disk, a file-size limit, a
// read-only file system, any other failure to write, an output too large, a
// pipe's copy that could not be made, an input that changed while it was
// read. Nothing when the name is at fault.
std::optional<std::string_view> RazonPrimero(const tildora::Error& error);

// Says a failure about the file `nombre`: `mensaje` (a message about the
// name) then "nombre: reason" (the reason alone without a name); or, when RazonPrimero has a line,
// that line then "nombre: the system's reason" (just the name when the system gave none; for a
// pipe's copy, the temporary folder).
void DecirFallo(const tildora::Error& error, std::string_view mensaje, std::string_view nombre);

// The line that says what was wrong, then the usage text; returns kFallo.
int Uso(std::string_view problema, std::string_view que = {});

// A file name in a tab-separated line: control characters (C1 ones too) as
// \xHH and a backslash as \\, so that the line stays one line of its fields
// and the name can be read back exactly.
std::string NombreVisible(std::string_view nombre);

// A wrong character (a Windows-1252 byte) as the terminal gets it, in the
// character and replacement columns of every command: in UTF-8, but the bytes
// a terminal would act on (0 to 31, 127, and the five codes Windows-1252
// leaves undefined, which would be C1 controls) as \xHH, which `remember` and
// `forget` take back, and a backslash as \\, so that \xHH is never ambiguous.
std::string Glifo(unsigned char c);

// A replacement (Windows-1252 bytes), each byte as Glifo writes it.
std::string Visible(std::string_view bytes);

// The character a key stands for, as the terminal gets it.
std::string GlifoClave(const std::string& clave);

} // namespace tildora::cli
