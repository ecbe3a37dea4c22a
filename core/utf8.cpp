#include "core/utf8.h"

#include "core/ansi.h"
#include "core/codificacion.h"

#include <algorithm>
#include <cstring>

namespace tildora {

namespace {

// Pieces are taken at most this large, as the Windows-1252 scan does.
constexpr std::size_t kTrozoUtf8 = std::size_t{1} << 20;

bool EsContinuacion(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

bool PermitidoUnicode(const TablaValidez& tabla, char32_t cp) {
    if (cp == '\r' || cp == '\n') {
        return true;
    }
    if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) {
        return tabla[cp];
    }
    const auto b = AnsiDeUnicode(cp);
    return b && tabla[*b];
}

PermisosUnicode::PermisosUnicode(const TablaValidez& tabla) {
    for (char32_t cp = 0; cp < 0x100; ++cp) {
        m_bajos[cp] = PermitidoUnicode(tabla, cp);
    }
    for (unsigned b = 0x80; b < 0xA0; ++b) {
        const char32_t cp = UnicodeDeAnsi(static_cast<unsigned char>(b));
        if (cp >= 0x100 && tabla[b]) {
            m_altos.push_back(cp);
        }
    }
}

bool PermisosUnicode::Alto(char32_t cp) const {
    return std::find(m_altos.begin(), m_altos.end(), cp) != m_altos.end();
}

EscanerUtf8::EscanerUtf8(const TablaValidez& tabla, bool vectorial)
    : m_permitido(tabla), m_buscador(tabla, vectorial, true) {}

std::size_t EscanerUtf8::Indice(char32_t cp) {
    if (cp < 0x10000) {
        if (!m_bmp) {
            m_bmp.reset(new std::uint32_t[0x10000]());
        }
        std::uint32_t& i = m_bmp[cp];
        if (i == 0) {
            m_orden.push_back(cp);
            i = static_cast<std::uint32_t>(m_orden.size());
        }
        return i - 1;
    }
    const auto [it, nuevo] = m_resto.try_emplace(cp, static_cast<std::uint32_t>(m_orden.size()));
    if (nuevo) {
        m_orden.push_back(cp);
    }
    return it->second;
}

// Counts line ends and characters from where the piece was counted up to
// `hasta`.
void EscanerUtf8::Avanzar(const unsigned char* p, std::size_t hasta) {
    for (std::size_t i = m_contado; i < hasta; ++i) {
        const unsigned char b = p[i];
        if (b == '\r') {
            ++m_lineasTrozo;
            m_columna = 0;
            m_trasCr = true;
            continue;
        }
        if (b == '\n') {
            if (!m_trasCr) {
                ++m_lineasTrozo;
            }
            m_columna = 0;
        } else if (!EsContinuacion(b)) {
            ++m_columna;
        }
        m_trasCr = false;
    }
    m_contado = std::max(m_contado, hasta);
}

void EscanerUtf8::Anotar(char32_t cp, const unsigned char* p, std::size_t pos) {
    const std::size_t i = Indice(cp);
    if (i == m_cuentas.size()) {
        // A first appearance: counted up to here, once per character.
        Avanzar(p, pos);
        m_cuentas.push_back(0);
        m_primeras.push_back(
            Posicion{1 + m_lineas + m_lineasTrozo, static_cast<std::uint64_t>(m_columna + 1)});
    }
    ++m_cuentas[i];
}

void EscanerUtf8::Procesar(const char* datos, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(datos);
    while (n > 0 && !m_invalido) {
        const std::size_t trozo = std::min(n, kTrozoUtf8);
        ProcesarTrozo(p, trozo);
        p += trozo;
        n -= trozo;
    }
}

void EscanerUtf8::ProcesarTrozo(const unsigned char* p, std::size_t n) {
    m_contado = 0;
    m_lineasTrozo = 0;
    m_columna = m_columnaBase;
    m_trasCr = m_crAntes;
    // Where the next character starts, in this piece.
    std::size_t siguiente = 0;
    if (m_cortada.Pendiente()) {
        // The end of a sequence that the last piece cut: the character
        // stands at that piece's end, and is counted as if it were here.
        char32_t cp = 0;
        const int r = m_cortada.Completar(p, n, siguiente, cp);
        m_esperadas += siguiente; // the bytes that went on it here
        if (r == 0) {
            m_invalido = true;
            return;
        }
        if (r > 0 && !m_permitido(cp)) {
            // Its first byte was counted as a column already.
            --m_columna;
            Anotar(cp, p, 0);
            ++m_columna;
        }
        if (r < 0) {
            // A piece shorter than the sequence, all of it going on it.
            m_contadas += n;
            m_crAntes = false;
            m_base += n;
            return;
        }
    }
    if (m_base < m_saltar) {
        siguiente = std::max<std::size_t>(
            siguiente, static_cast<std::size_t>(std::min<std::uint64_t>(m_saltar - m_base, n)));
        m_esperadas += static_cast<std::uint64_t>(
            std::count_if(p, p + siguiente, [](unsigned char b) { return EsContinuacion(b); }));
        if (m_base == 0) {
            m_columna = -1; // the mark is no column
        }
    }
    std::uint64_t lineas = 0;
    for (std::size_t desde = 0; desde < n; desde += kTrozoParadas) {
        const std::size_t k = m_buscador.Buscar(p + desde, n - desde);
        const std::uint32_t* paradas = m_buscador.Paradas();
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = desde + paradas[j];
            if (pos < siguiente) {
                continue; // inside the character just read, or the mark
            }
            const unsigned char b = p[pos];
            char32_t cp = b;
            int largo = 1;
            if (b >= 0x80) {
                largo = DecodificarUtf8Rapido(p + pos, n - pos, cp);
                if (largo == 0) {
                    m_invalido = true;
                    return;
                }
                if (largo < 0) {
                    // Its bytes here are counted by the piece; the rest,
                    // by the next.
                    m_cortada.Guardar(p + pos, n - pos);
                    m_esperadas += n - pos - 1;
                    siguiente = n;
                    continue;
                }
            }
            siguiente = pos + static_cast<std::size_t>(largo);
            m_esperadas += static_cast<std::uint64_t>(largo - 1);
            if (!m_permitido(cp)) {
                Anotar(cp, p, pos);
            }
        }
        lineas += m_buscador.CrsDelTrozo();
        m_contadas += m_buscador.ContinuacionesDelTrozo();
        m_esperadas += m_buscador.SaltadasDelTrozo();
    }
    // What the next piece needs: the line ends, and the characters of the
    // line that goes on into it.
    std::size_t fin = n;
    while (fin > m_contado && p[fin - 1] != '\r' && p[fin - 1] != '\n') {
        --fin;
    }
    if (fin > m_contado) {
        m_columna = 0;
        m_contado = fin;
    }
    for (std::size_t i = m_contado; i < n; ++i) {
        if (!EsContinuacion(p[i])) {
            ++m_columna;
        }
    }
    m_columnaBase = m_columna;
    m_crAntes = p[n - 1] == '\r';
    m_lineas += lineas;
    m_base += n;
}

} // namespace tildora
