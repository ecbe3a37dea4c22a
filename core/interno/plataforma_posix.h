#pragma once

// Helpers shared by the POSIX platform files (plataforma_posix.cpp,
// temporal_posix.cpp, memoria_posix.cpp); nothing else includes this.

#include <cerrno>
#include <cstddef>
#include <string>

namespace tildora::sistema::posix {

// Repeats a call that a signal interrupted.
template <typename Llamada> auto SinInterrupciones(Llamada llamada) {
    for (;;) {
        const auto r = llamada();
        if (r >= 0 || errno != EINTR) {
            return r;
        }
    }
}

// The folder part of `ruta`, with its slash; empty for a bare name.
std::string Carpeta(const std::string& ruta);

// All of it, going on after interruptions and short writes.
bool EscribirTodo(int fd, const char* datos, std::size_t n);

// A new hidden file in `carpeta`, named and marked as a Temporal's (its name
// into `nombre`), open for reading and writing and locked exclusively before
// this returns, with the name still its own. The descriptor, or -1 with
// errno.
int CrearBloqueado(const std::string& carpeta, std::string& nombre);

} // namespace tildora::sistema::posix
