#include "cli/terminal.h"

#include "core/ansi.h"
#include "core/escritura.h"
#include "core/reglas.h"
#include "core/textos.h"

#include <unistd.h>

namespace tildora::cli {

void Poner(int fd, std::string_view texto) {
    EscribirTodo(fd, texto.data(), texto.size());
}

void Aviso(int fd, std::string_view mensaje) {
    std::string linea(mensaje);
    linea += '\n';
    Poner(fd, linea);
}

void Error(std::string_view mensaje) {
    Aviso(STDERR_FILENO, mensaje);
}

void Detalle(std::string_view nombre, std::string_view razon) {
    std::string linea(nombre);
    linea.append(": ").append(razon);
    Error(linea);
}

int Uso(std::string_view problema, std::string_view que) {
    std::string texto(problema);
    texto.append(que).append("\n");
    texto.append(textos::Uso);
    Poner(STDERR_FILENO, texto);
    return kFallo;
}

std::string NombreVisible(std::string_view nombre) {
    std::string r;
    r.reserve(nombre.size());
    for (const char c : nombre) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            r += EscapeHex(b);
        } else if (c == '\\') {
            r += "\\\\";
        } else {
            r += c;
        }
    }
    return r;
}

std::string Glifo(unsigned char c) {
    std::string g;
    AnadirUtf8(g, GlifoDeAnsi(c, true));
    return g;
}

} // namespace tildora::cli
