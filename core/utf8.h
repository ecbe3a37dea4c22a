#pragma once

#include "core/escaneo.h"
#include "core/tabla.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tildora {

// Whether a Unicode character may stay in a UTF-8 or UTF-16 text: the
// allowed codes read as the characters they are (all of them below U+0100).
// CR and LF are line ends, never wrong.
bool PermitidoUnicode(const TablaValidez& tabla, char32_t cp);

// The scan of a UTF-8 text given in pieces: the distinct wrong characters in
// order of first appearance, how often each occurs, and where each first
// stands (line and column from 1, the column counted in characters; CR LF, a
// lone CR and a lone LF all end a line). It checks that the text is UTF-8 as
// it goes: past the first invalid byte nothing more is looked at.
class EscanerUtf8 {
public:
    explicit EscanerUtf8(const TablaValidez& tabla, bool vectorial = true);

    // The first `n` bytes of the text (its byte-order mark) are not
    // characters of it: never listed and not counted in columns.
    void Saltar(std::size_t n) { m_saltar = n; }

    void Procesar(const char* datos, std::size_t n);

    // Whether the text was valid UTF-8 to its end; call once every piece is
    // in.
    bool Valido() const { return !m_invalido && m_nParcial == 0 && m_esperadas == m_contadas; }

    const std::vector<char32_t>& Encontrados() const { return m_orden; }
    // How often each of Encontrados() occurs, and where it first stands.
    const std::vector<std::uint64_t>& Cuentas() const { return m_cuentas; }
    const std::vector<Posicion>& Primeras() const { return m_primeras; }
    // Bytes seen so far.
    std::uint64_t Total() const { return m_base; }

private:
    void ProcesarTrozo(const unsigned char* p, std::size_t n);
    void Anotar(char32_t cp, const unsigned char* p, std::size_t pos);
    void Avanzar(const unsigned char* p, std::size_t hasta);
    std::size_t Indice(char32_t cp);

    const TablaValidez* m_tabla;
    Buscador m_buscador;
    std::vector<char32_t> m_orden;
    std::vector<std::uint64_t> m_cuentas;   // by place in m_orden
    std::vector<Posicion> m_primeras;       // by place in m_orden
    std::unique_ptr<std::uint32_t[]> m_bmp; // place + 1 of each character below U+10000
    std::unordered_map<char32_t, std::uint32_t> m_resto;
    std::size_t m_saltar = 0;
    bool m_invalido = false;
    unsigned char m_parcial[4]{}; // a sequence cut at the end of a piece
    std::size_t m_nParcial = 0;
    // Continuation bytes: those the decoded sequences (and the mark) hold,
    // and all there are. They differ when one stands alone.
    std::uint64_t m_esperadas = 0;
    std::uint64_t m_contadas = 0;
    std::uint64_t m_base = 0;       // offset of the current piece
    std::uint64_t m_lineas = 0;     // line ends before the current piece
    std::int64_t m_columnaBase = 0; // characters of the current line before the piece
    bool m_crAntes = false;         // the piece before ended in CR
    // Inside the current piece: how far line ends and columns are counted.
    std::size_t m_contado = 0;
    std::uint64_t m_lineasTrozo = 0;
    std::int64_t m_columna = 0;
    bool m_trasCr = false;
};

} // namespace tildora
