#pragma once

// The text the conversion window's view shows, as lines and characters: the
// line index (found once), where a line's content ends, and the steps from
// one character to the next. Bytes are Windows-1252, or UTF-8 where each
// character takes one to four bytes; CR LF, a lone CR and a lone LF all
// break the line and are not characters of it; a byte-order mark at the
// start of a UTF-8 text is no character either.

#include "core/caracteres.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora::modelo {

// Whether a byte breaks the line: the core's one rule.
using tildora::EsRuptura;

// Bytes to be shown: the working copy, or a piece of the corrected text;
// the `marcaOrden` bytes of a byte-order mark at their start are no
// character.
struct Tira {
    std::string_view datos;
    std::size_t marcaOrden = 0;
};

class Lineas {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    Lineas() : m_inicios{0} {}

    // Takes `texto` (not copied: it must stay alive and unchanged while it is
    // shown). `inicios`, when given, are its line starts as BuscarInicios
    // finds them; otherwise they are found here. With `utf8` the bytes are
    // UTF-8, else Windows-1252. Offsets are held in 32 bits: a longer text
    // is shown up to that point rather than wrapped around.
    void Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8);

    std::string_view Texto() const { return m_texto; }
    bool Utf8() const { return m_utf8; }
    // How many bytes of a byte-order mark the text starts with.
    std::size_t MarcaOrden() const { return m_marcaOrden; }
    Tira Copia() const { return Tira{m_texto, m_marcaOrden}; }

    // A text of n line breaks has n + 1 lines.
    std::size_t NumeroLineas() const { return m_inicios.size(); }
    std::size_t InicioLinea(std::size_t linea) const { return m_inicios[linea]; }
    // Where the line after `linea` starts (the text's end after the last).
    std::size_t FinLinea(std::size_t linea) const {
        return linea + 1 < m_inicios.size() ? std::size_t{m_inicios[linea + 1]} : m_texto.size();
    }
    // Where the line's content ends: its line break, if any.
    std::size_t FinContenido(std::size_t linea) const;
    // The line that holds `posicion`.
    std::size_t LineaDe(std::size_t posicion) const;

    // The character at byte `i` of `t`: its code point (U+FFFD for a byte
    // that starts no UTF-8 character, U+FEFF for the byte-order mark) and
    // its length in bytes. Only for a UTF-8 text.
    static std::size_t Descifrar(const Tira& t, std::size_t i, char32_t& cp);
    // The start of the character that holds byte `pos`, and the end of the
    // one that `pos` falls inside (`pos` itself at a boundary).
    std::size_t InicioCaracter(const Tira& t, std::size_t pos) const;
    std::size_t FinCaracter(const Tira& t, std::size_t pos) const;
    // The range [inicio, fin) of the text widened to whole characters, and
    // never inside the byte-order mark.
    std::pair<std::size_t, std::size_t> Caracteres(std::size_t inicio, std::size_t fin) const;

    // The first occurrence of `bytes` from `desde` on that the text holds as
    // whole characters (CR and LF are line breaks, never characters).
    std::size_t Buscar(std::string_view bytes, std::size_t desde = 0) const;

private:
    std::string_view m_texto;
    bool m_utf8 = false;
    std::size_t m_marcaOrden = 0;
    // Start of every line; 32 bits are enough: the scan reads no file above
    // 1 GiB.
    std::vector<std::uint32_t> m_inicios;
};

} // namespace tildora::modelo
