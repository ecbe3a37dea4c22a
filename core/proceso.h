#pragma once

// What a front end asks of the system for the program as a whole.

#include <string>
#include <string_view>

namespace tildora {

// Writes all of `texto` on standard output, or on standard error; 0, or the
// system's error number.
int EscribirEstandar(std::string_view texto, bool error = false);

// Signals that end the program first remove its temporary files; a file-size
// limit makes a write fail with its reason instead of ending the program.
// Call it once, early in main.
void PrepararSenales();

// The folder of the running program; empty when unknown.
std::string CarpetaPrograma();

} // namespace tildora
