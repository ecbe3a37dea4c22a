#pragma once

// What a front end asks of the system for the program as a whole.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// The program's arguments in UTF-8, its own name first, from main's: on
// Windows they are read again from the wide command line, which holds every
// character of them (main's are in the code page).
std::vector<std::string> ArgumentosDelPrograma(int argc, char** argv);

// Runs `programa` in this one's place with `argv` (its name first, a null
// last); returns only when it cannot be started, with the error number. On
// Windows this one waits for it and ends with its exit status.
int SustituirPrograma(const std::string& programa, char** argv);

// Where the file's own name begins in `ruta`: after its last folder
// separator ('/', and on Windows '\' and a drive's "C:"); 0 for a bare name.
std::size_t InicioDelNombre(std::string_view ruta);

} // namespace tildora
