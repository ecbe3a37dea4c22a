#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// How a text's characters are written as bytes. Windows-1252 texts are
// handled byte for byte; UTF-8 and UTF-16 texts are handled as Unicode
// characters, in UTF-8 inside the program.
enum class Codificacion { Windows1252, Utf8, Utf16LE, Utf16BE };

// Its usual name: "Windows-1252", "UTF-8", "UTF-16LE", "UTF-16BE".
std::string_view NombreCodificacion(Codificacion c);

// The encoding a name stands for, as iconv users write them (case and the
// dash aside): windows-1252, cp1252, utf-8, utf8, utf-16le, utf-16be.
std::optional<Codificacion> CodificacionDeNombre(std::string_view nombre);

bool EsUtf16(Codificacion c);

// The byte-order mark a text of this encoding starts with (empty for
// Windows-1252).
std::string_view MarcaOrden(Codificacion c);

// The length of the byte-order mark of `c` at the start of `inicio`, or 0.
std::size_t LongitudMarca(Codificacion c, std::string_view inicio);

// A UTF-8 sequence cut by the end of a piece, completed by the next.
class SecuenciaCortada {
public:
    bool Pendiente() const { return m_n > 0; }
    // Keeps the last `n` bytes of a piece: a sequence DecodificarUtf8 found
    // cut short.
    void Guardar(const unsigned char* p, std::size_t n);
    // Takes bytes from the start of the next piece until the sequence is
    // whole: its length, with `cp`, once it is; 0 when it is not valid; -1
    // when the piece ran out first. `tomados` says how many bytes it took.
    int Completar(const unsigned char* p, std::size_t n, std::size_t& tomados, char32_t& cp);
    // The whole sequence, once Completar gave its length.
    const unsigned char* Bytes() const { return m_bytes; }

private:
    unsigned char m_bytes[4]{};
    std::size_t m_n = 0;
};

// Recognises the encoding of a text given in pieces, by one rule: a UTF-16
// byte-order mark (FF FE, FE FF) gives UTF-16; a UTF-8 byte-order mark, or
// valid UTF-8 holding at least one multi-byte sequence, gives UTF-8; anything
// else, plain ASCII included, is Windows-1252. A text that is not valid UTF-8
// to its last byte is Windows-1252 whatever its start looked like.
class Reconocedor {
public:
    void Procesar(const char* datos, std::size_t n);
    // What the pieces so far say: final once Decidido().
    Codificacion Resultado() const;
    // Whether more pieces can no longer change the result (a UTF-16 mark,
    // or bytes that are not UTF-8).
    bool Decidido() const { return m_utf16 || m_invalido; }
    // Whether a multi-byte UTF-8 sequence has been seen, all valid so far.
    bool Multibyte() const { return m_multibyte && !m_invalido; }

private:
    void Validar(const unsigned char* p, std::size_t n);

    std::string m_inicio; // the first bytes, up to three, for the mark
    bool m_utf16 = false; // decided by its mark
    bool m_utf16be = false;
    bool m_marcaUtf8 = false;
    bool m_invalido = false;
    bool m_multibyte = false;
    SecuenciaCortada m_cortada;
};

// The length of the valid UTF-8 sequence at the start of `p` (n bytes
// available) and its code point; 0 when it is not valid; -1 when it may be
// valid but is cut short by the end of the bytes.
int DecodificarUtf8(const unsigned char* p, std::size_t n, char32_t& cp);

// The same, the two- and three-byte sequences that need no range check
// decoded here, where the scans call it for every such character.
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

// UTF-16 to UTF-8, a piece at a time. A piece may end anywhere, inside a
// unit or between the two halves of a pair. A lone surrogate or an odd
// number of bytes is an error: Procesar or Terminar return false.
class DesdeUtf16 {
public:
    explicit DesdeUtf16(bool bigEndian) : m_be(bigEndian) {}
    bool Procesar(const char* datos, std::size_t n, std::string& salida);
    bool Terminar() const { return !m_byte && m_alto == 0; }

private:
    bool Unidad(char16_t u, std::string& salida);

    bool m_be;
    bool m_byte = false; // half a unit is pending
    unsigned char m_primero = 0;
    char16_t m_alto = 0; // a high surrogate waiting for its low half
};

// UTF-8 (valid, as the program's own texts are) to `destino`, a piece at a
// time; a piece may end inside a sequence. To Windows-1252, a character it
// has no byte for makes Procesar return false.
class HaciaCodificacion {
public:
    explicit HaciaCodificacion(Codificacion destino) : m_destino(destino) {}
    bool Procesar(const char* datos, std::size_t n, std::string& salida);
    bool Terminar() const { return !m_cortada.Pendiente(); }
    Codificacion Destino() const { return m_destino; }

private:
    bool Caracter(char32_t cp, std::string& salida);

    Codificacion m_destino;
    SecuenciaCortada m_cortada;
};

// Appends the UTF-16 form of a code point.
void AnadirUtf16(std::string& destino, char32_t u, bool bigEndian);

// A whole UTF-16 text in UTF-8; nothing when it is not valid UTF-16.
std::optional<std::string> Utf8DeUtf16(std::string_view bytes, bool bigEndian);

// The key a wrong character is remembered under: its Windows-1252 byte when
// Windows-1252 has it, otherwise "U+" and its code in upper-case hex, at
// least four digits ("U+0101"). The same character has the same key in every
// encoding.
std::string ClaveDeCaracter(char32_t cp);

// The character a key stands for, read as a Windows-1252 byte or as
// "U+XXXX" (four to six hex digits, a code point that is not a surrogate);
// nothing for any other text.
std::optional<char32_t> CaracterDeClave(std::string_view clave);

// "U+0101": the code point in upper-case hex, at least four digits.
std::string CodigoUnicode(char32_t cp);

} // namespace tildora
