#include "cli/terminal.h"

#include "core/caracteres.h"
#include "core/proceso.h"
#include "core/textos.h"
#include "core/unicode.h"

namespace tildora::cli {

int Poner(std::string_view texto, bool error) {
    return EscribirEstandar(texto, error);
}

void Error(std::string_view linea) {
    std::string texto(textos::PrefijoMensaje);
    texto.reserve(texto.size() + linea.size() + 1);
    for (const char c : linea) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && c != '\t') || b == 0x7F) {
            texto += EscapeHex(b);
        } else {
            texto += c;
        }
    }
    texto += '\n';
    Poner(texto, true);
}

void Detalle(std::string_view nombre, std::string_view razon) {
    std::string linea(nombre);
    linea.append(": ").append(razon);
    Error(linea);
}

std::string Motivo(const tildora::Error& error) {
    return error.ruta.empty() ? Razon(error) : error.ruta + ": " + Razon(error);
}

int Uso(std::string_view problema, std::string_view que) {
    std::string linea(problema);
    linea.append(que);
    Error(linea);
    Poner(textos::Uso, true);
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
    const char32_t u = UnicodeDeAnsi(c);
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0 && u == c)) {
        return EscapeHex(c);
    }
    if (c == '\\') {
        return "\\\\";
    }
    std::string g;
    AnadirUtf8(g, u);
    return g;
}

std::string Visible(std::string_view bytes) {
    std::string r;
    r.reserve(bytes.size());
    for (const char c : bytes) {
        r += Glifo(static_cast<unsigned char>(c));
    }
    return r;
}

std::string GlifoClave(const std::string& clave) {
    if (clave.size() == 1) {
        return Glifo(static_cast<unsigned char>(clave[0]));
    }
    return CaracterDeClave(clave) ? ClaveVisible(clave, true) : NombreVisible(clave);
}

} // namespace tildora::cli
