#pragma once

#include "core/codificacion.h"
#include "core/escaneo.h"
#include "core/tabla.h"

#include <algorithm>
#include <array>
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

// PermitidoUnicode worked out once for a table, for the scans: a look-up
// below U+0100, and the few characters above that a table might allow.
class PermisosUnicode {
public:
    explicit PermisosUnicode(const TablaValidez& tabla);
    bool operator()(char32_t cp) const {
        return cp < 0x100 ? m_bajos[cp] : !m_altos.empty() && Alto(cp);
    }

private:
    bool Alto(char32_t cp) const;

    std::array<bool, 0x100> m_bajos{};
    std::vector<char32_t> m_altos;
};

// Walks a UTF-8 text given in pieces (of any size up to 4 GiB) and hands
// every character the table does not allow to the caller, checking on the
// way that the text is UTF-8: past the first invalid byte nothing more is
// looked at. A character may be cut between two pieces. `visita` has:
//   bool Malo(char32_t cp, std::size_t pos, std::size_t largo): a wrong
//       character at p[pos, pos + largo);
//   bool Cortado(std::size_t pos): the piece ends, from pos on, with part of
//       a character that the next piece completes;
//   bool Completado(char32_t cp, const unsigned char* bytes, std::size_t
//       largo, std::size_t tomados): the character cut before ends with the
//       first `tomados` bytes of this piece; `bytes` holds all of it (allowed
//       or not).
// Each returns false to stop the walk.
class RecorridoUtf8 {
public:
    RecorridoUtf8(const TablaValidez& tabla, bool vectorial);

    // The first `n` bytes of the text (its byte-order mark) are not
    // characters of it.
    void Saltar(std::size_t n) { m_saltar = n; }

    // One piece; false when `visita` stopped it or the text is not UTF-8.
    template <typename Visita> bool Procesar(const unsigned char* p, std::size_t n, Visita& visita);

    // Whether the text was valid UTF-8 to its end; once every piece is in.
    bool Valido() const {
        return !m_invalido && !m_cortada.Pendiente() && m_esperadas == m_contadas;
    }
    bool Invalido() const { return m_invalido; }
    bool Permitido(char32_t cp) const { return m_permitido(cp); }
    // Line ends (CR LF, a lone CR, a lone LF) in the last piece.
    std::uint64_t FinesLinea() const { return m_finesLinea; }
    // Bytes seen so far.
    std::uint64_t Total() const { return m_base; }

private:
    PermisosUnicode m_permitido;
    Buscador m_buscador;
    SecuenciaCortada m_cortada;
    std::size_t m_saltar = 0;
    bool m_invalido = false;
    // Continuation bytes: those the decoded sequences (and the mark) hold,
    // and all there are. They differ when one stands alone.
    std::uint64_t m_esperadas = 0;
    std::uint64_t m_contadas = 0;
    std::uint64_t m_finesLinea = 0;
    std::uint64_t m_base = 0;
};

template <typename Visita>
bool RecorridoUtf8::Procesar(const unsigned char* p, std::size_t n, Visita& visita) {
    const auto continuacion = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    m_finesLinea = 0;
    const std::uint64_t base = m_base;
    m_base += n;
    if (m_invalido) {
        return false;
    }
    // Where the next character starts, in this piece.
    std::size_t siguiente = 0;
    if (m_cortada.Pendiente()) {
        char32_t cp = 0;
        const int r = m_cortada.Completar(p, n, siguiente, cp);
        m_esperadas += siguiente; // the bytes that went on it here
        m_invalido = r == 0;
        if (r == 0) {
            return false;
        }
        if (r < 0) {
            // A piece shorter than the character, all of it going on it.
            m_contadas += n;
            return visita.Cortado(0);
        }
        if (!visita.Completado(cp, m_cortada.Bytes(), static_cast<std::size_t>(r), siguiente)) {
            return false;
        }
    }
    if (base < m_saltar) {
        siguiente = static_cast<std::size_t>(std::min<std::uint64_t>(m_saltar - base, n));
        m_esperadas += static_cast<std::uint64_t>(std::count_if(p, p + siguiente, continuacion));
    }
    for (std::size_t desde = 0; desde < n; desde += kTrozoParadas) {
        const std::size_t k = m_buscador.Buscar(p + desde, n - desde);
        const std::uint32_t* paradas = m_buscador.Paradas();
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = desde + paradas[j];
            if (pos < siguiente) {
                continue; // inside the character just read, or the mark
            }
            char32_t cp = p[pos];
            int largo = 1;
            if (cp >= 0x80) {
                largo = DecodificarUtf8Rapido(p + pos, n - pos, cp);
                if (largo == 0) {
                    m_invalido = true;
                    return false;
                }
                if (largo < 0) {
                    // Its bytes here are counted with this piece; the
                    // rest, with the next.
                    m_cortada.Guardar(p + pos, n - pos);
                    m_esperadas += n - pos - 1;
                    siguiente = n;
                    if (!visita.Cortado(pos)) {
                        return false;
                    }
                    continue;
                }
            }
            siguiente = pos + static_cast<std::size_t>(largo);
            m_esperadas += static_cast<std::uint64_t>(largo - 1);
            if (!m_permitido(cp) && !visita.Malo(cp, pos, static_cast<std::size_t>(largo))) {
                return false;
            }
        }
        m_finesLinea += m_buscador.CrsDelTrozo();
        m_contadas += m_buscador.ContinuacionesDelTrozo();
        m_esperadas += m_buscador.SaltadasDelTrozo();
    }
    return true;
}

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
    void Saltar(std::size_t n) {
        m_saltar = n;
        m_recorrido.Saltar(n);
    }

    void Procesar(const char* datos, std::size_t n);

    // Whether the text was valid UTF-8 to its end; call once every piece is
    // in.
    bool Valido() const { return m_recorrido.Valido(); }

    const std::vector<char32_t>& Encontrados() const { return m_orden; }
    // How often each of Encontrados() occurs, and where it first stands.
    const std::vector<std::uint64_t>& Cuentas() const { return m_cuentas; }
    const std::vector<Posicion>& Primeras() const { return m_primeras; }
    // Bytes seen so far.
    std::uint64_t Total() const { return m_base; }

private:
    struct Visita;
    void ProcesarTrozo(const unsigned char* p, std::size_t n);
    void Anotar(char32_t cp, const unsigned char* p, std::size_t pos);
    void Avanzar(const unsigned char* p, std::size_t hasta);
    std::size_t Indice(char32_t cp);

    RecorridoUtf8 m_recorrido;
    std::vector<char32_t> m_orden;
    std::vector<std::uint64_t> m_cuentas;   // by place in m_orden
    std::vector<Posicion> m_primeras;       // by place in m_orden
    std::unique_ptr<std::uint32_t[]> m_bmp; // place + 1 of each character below U+10000
    std::unordered_map<char32_t, std::uint32_t> m_resto;
    std::size_t m_saltar = 0;
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
