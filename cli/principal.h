#pragma once

// The command line as a program starts it: cli/main.cpp's `tildora`, and on
// Windows tildora.exe when tildora.com hands it a command (cli/lanzador.h).

#include <string>
#include <vector>

namespace tildora::cli {

// Keeps some memory from the start, given back the first time memory runs
// out, so that what follows (the exception that says so, the message) has
// some; false, having said so, when there is not even that.
bool ReservarMemoria();

// Runs the command on `argumentos` (UTF-8, the program's name first) once
// ReservarMemoria and PrepararSenales (core/proceso.h) were called; the exit
// status.
int LineaDeOrdenes(std::vector<std::string> argumentos);

#ifdef _WIN32
// Whether tildora.com started this program (its mark in the environment,
// removed here, so that nothing started from here inherits it).
bool LanzadoDesdeConsola();

// In tildora.exe started by tildora.com: the console's Ctrl+C and the
// standard handles tildora.com handed down, then the command.
int LineaDeOrdenesDesdeConsola(std::vector<std::string> argumentos);
#endif

} // namespace tildora::cli
