#pragma once

// The text encodings the program reads and writes, and the conversions
// between them: the one codec of the program, used by the scan, the rewrite,
// the conversions of the output, the store and the windows.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// How a text's characters are written as bytes. Windows-1252 texts are
// handled byte for byte; UTF-8 and UTF-16 texts as Unicode characters, in
// UTF-8 inside the program.
enum class Codificacion { Windows1252, Utf8, Utf16LE, Utf16BE };

// Its usual name: "Windows-1252", "UTF-8", "UTF-16LE", "UTF-16BE".
std::string_view NombreCodificacion(Codificacion c);

// The encoding a name stands for, as iconv users write them (case, '-' and
// '_' aside): windows-1252, cp1252, utf-8, utf8, utf-16le, utf-16be.
std::optional<Codificacion> CodificacionDeNombre(std::string_view nombre);

inline bool EsUtf16(Codificacion c) {
    return c == Codificacion::Utf16LE || c == Codificacion::Utf16BE;
}

// The byte-order mark a text of this encoding starts with (none for
// Windows-1252), and its length at the start of `inicio` (0 when absent).
std::string_view MarcaOrden(Codificacion c);
std::size_t LongitudMarca(Codificacion c, std::string_view inicio);

// The Unicode code point of a Windows-1252 byte; the five unassigned codes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the same number.
char32_t UnicodeDeAnsi(unsigned char c);
// The Windows-1252 byte of a code point, if it has one.
std::optional<unsigned char> AnsiDeUnicode(char32_t u);

void AnadirUtf8(std::string& destino, char32_t u);
void AnadirUtf16(std::string& destino, char32_t u, bool bigEndian);

// The length of the valid UTF-8 sequence at the start of `p` (n bytes
// available) and its code point; 0 when it is not valid; -1 when it may be
// valid but is cut short by the end of the bytes.
int DecodificarUtf8(const unsigned char* p, std::size_t n, char32_t& cp);

// The same, with the two- and three-byte sequences that need no range check
// decoded inline: the scans call it for every character outside ASCII.
inline int DecodificarUtf8Rapido(const unsigned char* p, std::size_t n, char32_t& cp) {
    const unsigned char b = p[0];
    if (b >= 0xC2 && b <= 0xDF && n >= 2 && (p[1] & 0xC0) == 0x80) {
        cp = (char32_t{b & 0x1Fu} << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (b >= 0xE1 && b <= 0xEF && b != 0xED && n >= 3 && (p[1] & 0xC0) == 0x80 &&
        (p[2] & 0xC0) == 0x80) {
        cp = (char32_t{b & 0x0Fu} << 12) | (char32_t{p[1] & 0x3Fu} << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    return DecodificarUtf8(p, n, cp);
}

// How many bytes at the end of `p` begin a UTF-8 sequence that the bytes
// after them would complete (0 to 3): where a piece of a text may be cut
// without cutting a character.
std::size_t ColaIncompleta(const unsigned char* p, std::size_t n);

// Whether `s` is valid UTF-8 to its end.
bool EsUtf8Valido(std::string_view s);

// Windows-1252 bytes to UTF-8, as they are (controls unchanged).
std::string Utf8DeAnsi(std::string_view bytes);
// UTF-8 to Windows-1252; nothing when the text is not valid UTF-8 or holds a
// character Windows-1252 has no byte for.
std::optional<std::string> AnsiDeUtf8(std::string_view utf8);

// "U+0101": the code point in upper-case hex, at least four digits.
std::string CodigoUnicode(char32_t cp);

// UTF-16 to UTF-8, a piece at a time: a piece may end anywhere, inside a
// unit or between the halves of a pair. A lone surrogate or an odd number of
// bytes makes Procesar or Terminar false, or, `tolerante`, gives the byte
// 0xFF in its place, which no UTF-8 text holds (the store reads its lines
// so: a broken character is never taken for text, the rest still reads).
class DesdeUtf16 {
public:
    explicit DesdeUtf16(bool bigEndian, bool tolerante = false)
        : m_be(bigEndian), m_tolerante(tolerante) {}
    bool Procesar(const char* datos, std::size_t n, std::string& salida);
    // Whether the text ended with every unit whole, or (tolerante) gives the
    // mark for what was left.
    bool Terminar(std::string& salida);

private:
    bool Unidad(char16_t u, std::string& salida);

    bool m_be;
    bool m_tolerante;
    bool m_byte = false; // half a unit is pending
    unsigned char m_primero = 0;
    char16_t m_alto = 0; // a high surrogate waiting for its low half
};

// A whole UTF-16 text in UTF-8; nothing when it is not valid UTF-16.
std::optional<std::string> Utf8DeUtf16(std::string_view bytes, bool bigEndian);

// Hands on a text that arrives in pieces cut anywhere as pieces of whole
// characters, each with the byte before it (a CR there makes an LF at the
// piece's start the end of a CR LF): the one place where a UTF-8 sequence
// cut by a piece's end waits for the rest, and where the last byte of a
// piece is remembered. `entregar(const unsigned char* p, std::size_t n,
// unsigned char anterior)` returns false to stop. In a Windows-1252 text
// (`utf8` false) every byte is a character.
class Costura {
public:
    explicit Costura(bool utf8, unsigned char anterior = 0) : m_utf8(utf8), m_anterior(anterior) {}

    template <typename Entregar> bool Coser(const char* datos, std::size_t n, Entregar&& entregar);
    // Once the text is all in: hands on the bytes still held, which no
    // character completes (a text cut short).
    template <typename Entregar> bool Vaciar(Entregar&& entregar) {
        const std::size_t n = m_retenidos;
        m_retenidos = 0;
        return n == 0 || entregar(m_buffer + 1, n, m_buffer[0]);
    }
    // Bytes of a character still waiting for its end: once the text is all
    // in, a sequence the text cut short.
    std::size_t Pendientes() const { return m_retenidos; }

private:
    bool m_utf8;
    unsigned char m_anterior;
    // The byte before the held ones, then the held ones and those that end them.
    unsigned char m_buffer[8]{};
    std::size_t m_retenidos = 0;
};

template <typename Entregar>
bool Costura::Coser(const char* datos, std::size_t n, Entregar&& entregar) {
    auto p = reinterpret_cast<const unsigned char*>(datos);
    if (m_retenidos > 0) {
        // The held bytes and those that end their character, as a piece of
        // their own.
        std::size_t tomados = 0;
        char32_t cp = 0;
        int largo = -1;
        while (largo < 0 && tomados < n && m_retenidos < 4) {
            m_buffer[1 + m_retenidos++] = p[tomados++];
            largo = DecodificarUtf8(m_buffer + 1, m_retenidos, cp);
        }
        if (largo < 0 && tomados == n && m_retenidos < 4) {
            return true; // a piece shorter than the character: all of it waits
        }
        // Not valid: handed on as it is, for the reader to refuse.
        const std::size_t juntos = m_retenidos;
        m_retenidos = 0;
        if (!entregar(m_buffer + 1, juntos, m_buffer[0])) {
            return false;
        }
        m_anterior = m_buffer[juntos];
        p += tomados;
        n -= tomados;
    }
    if (n == 0) {
        return true;
    }
    const std::size_t cola = m_utf8 ? ColaIncompleta(p, n) : 0;
    if (n > cola && !entregar(p, n - cola, m_anterior)) {
        return false;
    }
    if (n > cola) {
        m_anterior = p[n - cola - 1];
    }
    m_buffer[0] = m_anterior;
    for (std::size_t i = 0; i < cola; ++i) {
        m_buffer[1 + i] = p[n - cola + i];
    }
    m_retenidos = cola;
    return true;
}

// UTF-8 of whole characters (or Windows-1252 bytes, `desdeAnsi`) into
// `destino`. False for a character the destination cannot hold (Windows-1252
// lacks most) or for bytes that are not UTF-8.
class HaciaCodificacion {
public:
    HaciaCodificacion(Codificacion destino, bool desdeAnsi = false)
        : m_destino(destino), m_desdeAnsi(desdeAnsi) {}
    bool Procesar(const char* datos, std::size_t n, std::string& salida);
    Codificacion Destino() const { return m_destino; }

private:
    bool Caracter(char32_t cp, std::string& salida);

    Codificacion m_destino;
    bool m_desdeAnsi;
};

// A text in Windows-1252 as `destino` writes it (the store's own lines).
std::string Codificado(std::string_view ansi, Codificacion destino);

} // namespace tildora
