#include "core/interno/escaneo.h"

#include "core/caracteres.h"
#include "core/unicode.h"

#include <algorithm>
#include <cstring>

namespace tildora {

namespace {

bool EsContinuacion(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

std::int64_t IndiceCaracteres::Buscar(char32_t cp) const {
    if (cp < 0x100) {
        return std::int64_t{m_bajos[cp]} - 1;
    }
    if (cp < 0x10000) {
        return m_bmp && m_bmp[cp] != 0 ? std::int64_t{m_bmp[cp]} - 1 : -1;
    }
    const auto it = m_resto.find(cp);
    return it == m_resto.end() ? -1 : std::int64_t{it->second} - 1;
}

void Recuento::Unir(const Recuento& s) {
    IndiceCaracteres indice;
    bool nuevo = false;
    for (const Primera& p : primeras) {
        indice.Lugar(p.unidad, nuevo);
    }
    for (std::size_t i = 0; i < s.primeras.size(); ++i) {
        Primera p = s.primeras[i];
        const std::uint32_t lugar = indice.Lugar(p.unidad, nuevo);
        if (nuevo) {
            if (p.linea == 0) {
                p.columna += columnaFinal;
            }
            p.linea += fines;
            primeras.push_back(p);
            cuentas.push_back(0);
        }
        cuentas[lugar] += s.cuentas[i];
    }
    columnaFinal = s.fines > 0 ? s.columnaFinal : columnaFinal + s.columnaFinal;
    bytes += s.bytes;
    fines += s.fines;
    invalido = invalido || s.invalido;
    sueltas += s.sueltas;
}

Escaneo::Escaneo(Unidades unidades, Via via) : m_unidades(unidades), m_buscador(unidades, via) {}

void Escaneo::Reservar() {
    if (m_unidades == Unidades::Utf8) {
        m_indice.Reservar();
    }
    m_recuento.primeras.reserve(256);
    m_recuento.cuentas.reserve(256);
}

namespace {

// Where the line that holds p[hasta] begins, when a line end before it in
// p[0, hasta) says so (a CR, an LF, alone or after a CR, in every encoding);
// hasta + 1 when none does.
std::size_t InicioDeLinea(const unsigned char* p, std::size_t hasta) {
    for (std::size_t i = hasta; i-- > 0;) {
        if (p[i] == '\r' || p[i] == '\n') {
            return i + 1;
        }
    }
    return hasta + 1;
}

// Characters in p[desde, hasta): every byte in Windows-1252, every byte that
// starts a sequence in UTF-8.
std::uint64_t Caracteres(const unsigned char* p, std::size_t desde, std::size_t hasta, bool utf8) {
    if (!utf8) {
        return hasta - desde;
    }
    return static_cast<std::uint64_t>(
        std::count_if(p + desde, p + hasta, [](unsigned char b) { return !EsContinuacion(b); }));
}

} // namespace

void Escaneo::Situar(Recuento::Primera& primera, const unsigned char* p, std::size_t pos,
                     std::uint64_t finesAntes, unsigned char anterior) const {
    // A first appearance: at most one per character, so the look-back is
    // rare. The lines are counted from the start of the search's stretch.
    const bool utf8 = m_unidades == Unidades::Utf8;
    std::uint64_t dentro = 0;
    bool trasCr = anterior == '\r';
    for (std::size_t i = 0; i < pos; ++i) {
        dentro += p[i] == '\r' || (p[i] == '\n' && !trasCr) ? 1 : 0;
        trasCr = p[i] == '\r';
    }
    primera.linea = finesAntes + dentro;
    const std::size_t inicio = InicioDeLinea(p, pos);
    if (inicio <= pos) {
        primera.columna = Caracteres(p, inicio, pos, utf8) + 1;
    } else {
        primera.columna = m_recuento.columnaFinal + Caracteres(p, 0, pos, utf8) + 1;
    }
}

namespace {

// How long a UTF-8 sequence is by its first byte (0: no sequence starts so).
constexpr std::array<std::uint8_t, 256> kLargos = [] {
    std::array<std::uint8_t, 256> l{};
    for (unsigned b = 0; b < 256; ++b) {
        l[b] = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 0;
    }
    return l;
}();

} // namespace

std::int64_t Escaneo::Lugar(const unsigned char* p, std::size_t pos, std::size_t resto, int& largo,
                            std::uint64_t finesAntes, unsigned char anterior) {
    const bool utf8 = m_unidades == Unidades::Utf8;
    largo = utf8 ? kLargos[p[pos]] : 1;
    if (largo == 0) {
        return -2;
    }
    std::uint32_t bytes = 0;
    if (resto - pos >= 4) {
        std::memcpy(&bytes, p + pos, 4);
    } else {
        std::memcpy(&bytes, p + pos, resto - pos);
    }
    bytes &= largo == 4 ? ~std::uint32_t{0} : (std::uint32_t{1} << (8 * largo)) - 1;
    Visto& visto = m_vistos[(bytes * 0x9E3779B1u) >> 24];
    if (visto.bytes == bytes && visto.lugar != -3) {
        return visto.lugar;
    }
    char32_t unidad = p[pos];
    if (utf8 && unidad >= 0x80 && DecodificarUtf8Rapido(p + pos, resto - pos, unidad) != largo) {
        return -2;
    }
    std::int64_t lugar = -1;
    if (!utf8 || largo == 1 || !PermitidoUnicode(unidad)) {
        bool nuevo = false;
        lugar = m_indice.Lugar(unidad, nuevo);
        if (nuevo) {
            m_recuento.primeras.push_back(Recuento::Primera{unidad, 0, 0});
            Situar(m_recuento.primeras.back(), p, pos, finesAntes, anterior);
            m_recuento.cuentas.push_back(0);
        }
    }
    visto = Visto{bytes, static_cast<std::int32_t>(lugar)};
    if (!utf8) {
        m_porByte[p[pos]] = static_cast<std::int32_t>(lugar);
    }
    return lugar;
}

bool Escaneo::Buscar(const unsigned char* p, std::size_t desde, std::size_t m, std::size_t n,
                     unsigned char antes, Paradas* paradas) {
    Recuento& r = m_recuento;
    const unsigned char* q = p + desde;
    const std::size_t k = m_buscador.Buscar(q, m, antes);
    const std::uint32_t* lista = m_buscador.Paradas();
    const Buscador::Cuenta& cuenta = m_buscador.Cuentas();
    std::int64_t sueltas = static_cast<std::int64_t>(cuenta.continuaciones - cuenta.pasadas);
    for (std::size_t j = 0; j < k; ++j) {
        const std::size_t pos = lista[j];
        int largo = 1;
        // Every stop of a Windows-1252 text is a wrong byte, whose place is
        // known once it has one. A UTF-8 character may go on past the
        // search's stretch.
        std::int64_t lugar = m_unidades == Unidades::Ansi ? m_porByte[q[pos]] : -3;
        if (lugar == -3) {
            lugar = Lugar(q, pos, n - desde, largo, r.fines, antes);
        }
        if (lugar == -2) {
            r.invalido = true;
            return false;
        }
        sueltas -= largo - 1;
        if (lugar < 0) {
            continue;
        }
        ++r.cuentas[static_cast<std::size_t>(lugar)];
        if (paradas != nullptr && !paradas->Parada(desde + pos, static_cast<std::size_t>(largo),
                                                   static_cast<std::uint32_t>(lugar))) {
            return false;
        }
    }
    r.sueltas += sueltas;
    return true;
}

bool Escaneo::Procesar(const unsigned char* p, std::size_t n, unsigned char anterior,
                       Paradas* paradas) {
    const bool utf8 = m_unidades == Unidades::Utf8;
    Recuento& r = m_recuento;
    if (r.invalido) {
        return false; // not UTF-8: nothing more is looked at
    }
    for (std::size_t desde = 0; desde < n; desde += kTrozoParadas) {
        const unsigned char* q = p + desde;
        const std::size_t m = std::min(kTrozoParadas, n - desde);
        const unsigned char antes = desde == 0 ? anterior : p[desde - 1];
        if (!Buscar(p, desde, m, n, antes, paradas)) {
            return false;
        }
        // What the next stretch needs: the line ends, and the characters of
        // the line that goes on into it.
        const Buscador::Cuenta& c = m_buscador.Cuentas();
        if (c.ultimoFin != Buscador::Cuenta::kNinguno) {
            r.columnaFinal = Caracteres(q, c.ultimoFin, m, utf8);
        } else {
            r.columnaFinal += m - c.continuaciones;
        }
        r.fines += c.fines;
        r.bytes += m;
    }
    return true;
}

void ValidadorUtf8::Procesar(const unsigned char* p, std::size_t n) {
    std::size_t i = 0;
    while (!m_invalido && i < n) {
        // ASCII, most of a text, goes eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t ocho;
            std::memcpy(&ocho, p + i, 8);
            if ((ocho & 0x8080808080808080ull) != 0) {
                break;
            }
            i += 8;
        }
        if (i < n && p[i] < 0x80) {
            ++i;
            continue;
        }
        if (i >= n) {
            break;
        }
        char32_t cp = 0;
        const int r = DecodificarUtf8Rapido(p + i, n - i, cp);
        m_invalido = r <= 0;
        m_multibyte = true;
        i += r > 0 ? static_cast<std::size_t>(r) : 0;
    }
}

std::vector<Hallazgo> HallazgosDe(const Recuento& r, Unidades unidades) {
    std::vector<Hallazgo> hallazgos;
    hallazgos.reserve(r.primeras.size());
    for (std::size_t i = 0; i < r.primeras.size(); ++i) {
        const Recuento::Primera& p = r.primeras[i];
        const char32_t cp = unidades == Unidades::Ansi
                                ? UnicodeDeAnsi(static_cast<unsigned char>(p.unidad))
                                : p.unidad;
        hallazgos.push_back(
            Hallazgo{ClaveDeCaracter(cp), cp, r.cuentas[i], Posicion{p.linea + 1, p.columna}});
    }
    return hallazgos;
}

} // namespace tildora
