#pragma once

#include <string>
#include <string_view>

namespace tildora::cli {

// Exit statuses.
inline constexpr int kBien = 0;
inline constexpr int kHayErroneos = 1;
inline constexpr int kFallo = 2;
inline constexpr int kSinSolucion = 3;
inline constexpr int kSalidaExiste = 4;

// Writes the text as it is.
void Poner(int fd, std::string_view texto);

// One message on a line of its own.
void Aviso(int fd, std::string_view mensaje);

// One message on standard error.
void Error(std::string_view mensaje);

// The line after a message: a name and why, for scripts and logs.
void Detalle(std::string_view nombre, std::string_view razon);

// The usage text after a line that says what was wrong; returns kFallo.
int Uso(std::string_view problema, std::string_view que = {});

// A file name in a tab-separated line: control characters as \xHH and a
// backslash as \\, so that the line stays one line of its fields and the
// name can be read back exactly.
std::string NombreVisible(std::string_view nombre);

// A wrong character as the terminal shows it: controls as their pictures.
std::string Glifo(unsigned char c);

} // namespace tildora::cli
