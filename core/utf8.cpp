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

RecorridoUtf8::RecorridoUtf8(const TablaValidez& tabla, bool vectorial)
    : m_permitido(tabla), m_buscador(tabla, vectorial, true) {}

EscanerUtf8::EscanerUtf8(const TablaValidez& tabla, bool vectorial)
    : m_recorrido(tabla, vectorial) {}

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
    while (n > 0 && !m_recorrido.Invalido()) {
        const std::size_t trozo = std::min(n, kTrozoUtf8);
        ProcesarTrozo(p, trozo);
        p += trozo;
        n -= trozo;
    }
}

// What the walk tells the scan.
struct EscanerUtf8::Visita {
    EscanerUtf8& e;
    const unsigned char* p;

    bool Malo(char32_t cp, std::size_t pos, std::size_t) {
        e.Anotar(cp, p, pos);
        return true;
    }
    bool Cortado(std::size_t) { return true; }
    // A character cut by the piece before stands at that piece's end, and
    // is counted as if it were here; its first byte was counted as a column
    // already.
    bool Completado(char32_t cp, const unsigned char*, std::size_t, std::size_t) {
        if (!e.m_recorrido.Permitido(cp)) {
            --e.m_columna;
            e.Anotar(cp, p, 0);
            ++e.m_columna;
        }
        return true;
    }
};

void EscanerUtf8::ProcesarTrozo(const unsigned char* p, std::size_t n) {
    m_contado = 0;
    m_lineasTrozo = 0;
    m_columna = m_columnaBase;
    m_trasCr = m_crAntes;
    if (m_base == 0 && m_saltar > 0) {
        m_columna = -1; // the mark is no column
    }
    Visita visita{*this, p};
    if (!m_recorrido.Procesar(p, n, visita)) {
        return; // not UTF-8: nothing more is looked at
    }
    const std::uint64_t lineas = m_recorrido.FinesLinea();
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
