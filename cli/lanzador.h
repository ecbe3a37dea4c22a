#pragma once

// On Windows the command line runs inside tildora.exe, a program of the
// windows' subsystem, so that the two programs carry one C++ run-time
// between them. tildora.com, the console program a console runs for
// `tildora` (cli/lanzador_windows.cpp), starts tildora.exe beside it with
// its own arguments, its standard handles and this variable in its
// environment, waits for it and ends with its exit status. tildora.exe,
// finding the variable, removes it and runs the command line when the
// arguments ask for a command (the windows otherwise, as from Explorer).

namespace tildora::cli {

inline constexpr wchar_t kMarcaLanzador[] = L"TILDORA_DESDE_CONSOLA";

} // namespace tildora::cli
