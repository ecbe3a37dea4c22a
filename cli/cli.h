#pragma once

namespace tildora {

// Runs the program without windows: `tildora check|fix|remember|list|forget ...`.
// Returns the exit status.
int EjecutarLineaDeOrdenes(int argc, char** argv);

} // namespace tildora
