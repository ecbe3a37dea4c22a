#include "modelos/editor.h"

#include "core/caracteres.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "modelos/conversion.h"

namespace tildora::modelo {

namespace {

// Whether an edit from `antes` leaves `despues`: at most one character, or
// a deletion of one stretch (what is left is a beginning and an end of the
// text before), so that no unchecked character slips in behind the first.
bool EdicionAdmitida(const std::u32string& antes, const std::u32string& despues) {
    if (despues.size() <= 1) {
        return true;
    }
    if (despues.size() >= antes.size()) {
        return false;
    }
    std::size_t comun = 0;
    while (comun < despues.size() && antes[comun] == despues[comun]) {
        ++comun;
    }
    std::size_t final = 0;
    while (final < despues.size() - comun &&
           antes[antes.size() - 1 - final] == despues[despues.size() - 1 - final]) {
        ++final;
    }
    return comun + final == despues.size();
}

// What the editor holds, as Windows-1252 bytes: only what has a byte can be
// in it once checked.
std::string Bytes(const std::u32string& texto) {
    std::string r;
    for (const char32_t u : texto) {
        if (const auto c = AnsiDeUnicode(u)) {
            r += static_cast<char>(*c);
        }
    }
    return r;
}

// A row's answer as the editor shows it.
std::u32string TextoDeBytes(const std::string& bytes) {
    std::u32string r;
    for (const char c : bytes) {
        r += UnicodeDeAnsi(static_cast<unsigned char>(c));
    }
    return r;
}

} // namespace

void Editor::Tomar(std::size_t fila) {
    m_texto = TextoDeBytes(m_conversion.Texto(fila));
    m_cursor = m_texto.size();
}

void Editor::Abrir(std::size_t fila) {
    if (fila >= m_conversion.NumFilas()) {
        return;
    }
    m_fila = fila;
    Tomar(fila);
    m_propuesta = m_conversion.EsPropuesta(fila);
    m_marcaBorrado = m_conversion.EsBorrado(fila);
}

bool Editor::Editado(const std::u32string& texto, std::size_t cursor) {
    if (!EdicionAdmitida(m_texto, texto)) {
        return false;
    }
    m_texto = texto;
    m_cursor = cursor;
    // Changed, the proposal is the user's answer.
    m_propuesta = false;
    return true;
}

void Editor::CursorMovido(const std::u32string& texto, std::size_t cursor) {
    if (texto == m_texto) {
        m_cursor = cursor;
    }
}

std::optional<char32_t> Editor::Rechazado() const {
    // Text left as it was put in is not looked at again: the row keeps
    // what it held, even a stored answer the accept will refuse. Only the
    // first character is looked up: a longer text can only come from the
    // store.
    if (!m_fila || m_texto.empty() || m_texto == TextoDeBytes(m_conversion.Texto(*m_fila))) {
        return std::nullopt;
    }
    const auto byte = AnsiDeUnicode(m_texto.front());
    if (byte && kCaracteresValidos[*byte]) {
        return std::nullopt;
    }
    return m_texto.front();
}

Editor::Salida Editor::Salir() {
    Salida salida;
    if (!m_fila) {
        return salida;
    }
    if (const std::optional<char32_t> rechazado = Rechazado()) {
        // Nothing reaches the row before the editor is left: the row still
        // holds what it held when the editor opened (a proposal, a stored
        // answer, the delete answer), and the editor gets that back.
        Abrir(*m_fila);
        salida.rechazo = std::string(textos::CaracterIncorrecto) + "\n" +
                         Nombrado(ClaveDeCaracter(*rechazado), !AnsiDeUnicode(*rechazado));
        return salida;
    }
    const std::string bytes = Bytes(m_texto);
    if (bytes != m_conversion.Texto(*m_fila)) {
        salida.cambiada = m_conversion.Escribir(*m_fila, bytes);
    }
    return salida;
}

void Editor::Deshacer() {
    if (m_fila) {
        Tomar(*m_fila);
    }
}

} // namespace tildora::modelo
