#include "core/interno/motor.h"

#include "core/caracteres.h"
#include "core/unicode.h"

#include <algorithm>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TILDORA_AVX2 1
#include <immintrin.h>
#endif

namespace tildora {

namespace {

bool EsContinuacion(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

Buscador::Nibbles ConstruirNibbles(const std::array<bool, 256>& parar) {
    // Rows (high nibbles) with the same set of stopping low nibbles form a
    // class; each class gets one bit. Sixteen rows give at most sixteen
    // classes, two bytes' worth.
    Buscador::Nibbles t;
    std::uint16_t patrones[16] = {};
    int clases = 0;
    for (unsigned alto = 0; alto < 16; ++alto) {
        std::uint16_t patron = 0;
        for (unsigned bajo = 0; bajo < 16; ++bajo) {
            if (parar[alto * 16 + bajo]) {
                patron = static_cast<std::uint16_t>(patron | (1u << bajo));
            }
        }
        if (patron == 0) {
            continue;
        }
        int clase = 0;
        while (clase < clases && patrones[clase] != patron) {
            ++clase;
        }
        if (clase == clases) {
            patrones[clases++] = patron;
        }
        const auto bit = static_cast<std::uint8_t>(1u << (clase % 8));
        std::uint8_t* altos = clase < 8 ? t.altos1 : t.altos2;
        std::uint8_t* bajos = clase < 8 ? t.bajos1 : t.bajos2;
        altos[alto] = static_cast<std::uint8_t>(altos[alto] | bit);
        for (unsigned bajo = 0; bajo < 16; ++bajo) {
            if (patron & (1u << bajo)) {
                bajos[bajo] = static_cast<std::uint8_t>(bajos[bajo] | bit);
            }
        }
    }
    return t;
}

// The search in a plain loop, for processors without AVX2 and as the
// reference the vector ones are tested against.
std::size_t BuscarSencillo(const std::array<bool, 256>& parar, const std::array<bool, 128>& pasa,
                           bool utf8, const unsigned char* p, std::size_t n, unsigned char anterior,
                           Buscador::Cuenta& c, std::uint32_t* salida) {
    std::size_t k = 0;
    bool trasCr = anterior == '\r';
    c = Buscador::Cuenta{};
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        c.continuaciones += utf8 && EsContinuacion(b) ? 1 : 0;
        const bool fin = b == '\r' || (b == '\n' && (trasCr || utf8));
        c.ultimoFin = fin ? i + 1 : c.ultimoFin;
        if (utf8 && (b == 0xC2 || b == 0xC3) && i + 1 < n && EsContinuacion(p[i + 1]) &&
            pasa[(b == 0xC3 ? 64u : 0u) + (p[i + 1] & 0x3Fu)]) {
            ++c.pasadas; // its continuation byte is held by the allowed letter
        } else if (!fin && parar[b]) {
            salida[k++] = static_cast<std::uint32_t>(i);
        }
        c.fines += b == '\r' || (utf8 && b == '\n' && !trasCr) ? 1 : 0;
        trasCr = b == '\r';
    }
    return k;
}

// What 64 bytes hold, one bit a byte: the stops by the table (CR and LF left
// out), CRs, LFs and, in UTF-8, the bytes that go on a sequence and the C2 or
// C3 that make an allowed character with the byte after them.
struct Bloque {
    std::uint64_t malos;
    std::uint64_t crs;
    std::uint64_t lfs;
    std::uint64_t continuaciones;
    std::uint64_t pasan;
};

// The stops of a block from its bits, shared by the vector searches: a lone
// LF stops in Windows-1252 and ends a line in UTF-8; an allowed pair does
// not stop and holds its continuation byte. Writes the stops' places from
// salida[k] on (two without asking: the list has room past its end) and
// returns how many there are.
template <bool Utf8>
inline std::size_t Apuntar(const Bloque& b, std::uint64_t validos, std::uint32_t base,
                           std::uint64_t& crAntes, Buscador::Cuenta& c, std::uint32_t* salida) {
    const std::uint64_t trasCr = (b.crs << 1) | crAntes;
    const std::uint64_t lfSolo = b.lfs & ~trasCr & validos;
    crAntes = b.crs >> 63;
    std::uint64_t paradas = b.malos & validos;
    c.fines += static_cast<std::uint64_t>(__builtin_popcountll(b.crs & validos));
    if (const std::uint64_t fin = (b.crs | (Utf8 ? b.lfs : b.lfs & trasCr)) & validos) {
        c.ultimoFin = base + 64 - static_cast<std::size_t>(__builtin_clzll(fin));
    }
    if constexpr (Utf8) {
        c.fines += static_cast<std::uint64_t>(__builtin_popcountll(lfSolo));
        c.continuaciones +=
            static_cast<std::uint64_t>(__builtin_popcountll(b.continuaciones & validos));
        c.pasadas += static_cast<std::uint64_t>(__builtin_popcountll(b.pasan & validos));
        paradas &= ~b.pasan;
    } else {
        paradas |= lfSolo;
    }
    const auto cuantas = static_cast<std::size_t>(__builtin_popcountll(paradas));
    for (std::size_t x = 0; x < 2; ++x) {
        salida[x] = base + static_cast<std::uint32_t>(__builtin_ctzll(paradas | (1ull << 63)));
        paradas &= paradas - 1;
    }
    for (std::size_t j = 2; paradas != 0; paradas &= paradas - 1) {
        salida[j++] = base + static_cast<std::uint32_t>(__builtin_ctzll(paradas));
    }
    return cuantas;
}

#ifdef TILDORA_AVX2

#define TILDORA_OBJETIVO __attribute__((target("avx2,popcnt,bmi")))
#define TILDORA_OBJETIVO512 __attribute__((target("avx512f,avx512bw,avx512vbmi,popcnt,bmi")))

TILDORA_OBJETIVO inline std::uint64_t Bits(__m256i bajo, __m256i alto) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(bajo)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(alto))} << 32;
}

TILDORA_OBJETIVO inline __m256i Cargar(const std::uint8_t* x) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(x)));
}

TILDORA_OBJETIVO inline __m256i Byte32(unsigned c) {
    return _mm256_set1_epi8(static_cast<char>(c));
}

TILDORA_OBJETIVO512 inline __m512i Byte64(unsigned c) {
    return _mm512_set1_epi8(static_cast<char>(c));
}

// Each byte's entry in a table of two sets of eight bits by nibbles.
TILDORA_OBJETIVO inline __m256i Buscar32(__m256i v, __m256i bajos1, __m256i altos1, __m256i bajos2,
                                         __m256i altos2) {
    const __m256i nibble = Byte32(0x0f);
    const __m256i bajo = _mm256_and_si256(v, nibble);
    const __m256i alto = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
    return _mm256_or_si256(
        _mm256_and_si256(_mm256_shuffle_epi8(bajos1, bajo), _mm256_shuffle_epi8(altos1, alto)),
        _mm256_and_si256(_mm256_shuffle_epi8(bajos2, bajo), _mm256_shuffle_epi8(altos2, alto)));
}

// 32 bytes at a time, a byte's stop looked up by its two nibbles (see
// Buscador::Nibbles). The last block goes through a copy with zeros behind
// it, and in UTF-8 so does a last full one, whose byte after is read.
template <bool Utf8>
TILDORA_OBJETIVO std::size_t BuscarAvx2(const Buscador::Nibbles& nib, const unsigned char* p,
                                        std::size_t n, unsigned char anterior, Buscador::Cuenta& c,
                                        std::uint32_t* salida) {
    const __m256i b1 = Cargar(nib.bajos1), a1 = Cargar(nib.altos1);
    const __m256i b2 = Cargar(nib.bajos2), a2 = Cargar(nib.altos2);
    const __m256i sb = Cargar(nib.siguienteBajo), sa = Cargar(nib.siguienteAlto);
    const __m256i cero = _mm256_setzero_si256();
    std::uint64_t crAntes = anterior == '\r' ? 1 : 0;
    c = Buscador::Cuenta{};
    std::size_t k = 0;
    alignas(32) unsigned char copia[128];
    for (std::size_t i = 0; i < n; i += 64) {
        const unsigned char* q = p + i;
        std::uint64_t validos = ~std::uint64_t{0};
        if (n - i < 64 + (Utf8 ? 1 : 0)) {
            const std::size_t m = std::min<std::size_t>(64, n - i);
            std::memset(copia, 0, sizeof copia);
            std::memcpy(copia, q, m);
            q = copia;
            validos = m < 64 ? (std::uint64_t{1} << m) - 1 : validos;
        }
        __m256i v[2];
        __m256i sigue[2] = {cero, cero};
        __m256i pasa[2] = {cero, cero};
        __m256i bien[2];
        __m256i cr[2];
        __m256i lf[2];
        for (int h = 0; h < 2; ++h) {
            v[h] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32 * h));
            bien[h] = _mm256_cmpeq_epi8(Buscar32(v[h], b1, a1, b2, a2), cero);
            cr[h] = _mm256_cmpeq_epi8(v[h], Byte32('\r'));
            lf[h] = _mm256_cmpeq_epi8(v[h], Byte32('\n'));
            if constexpr (Utf8) {
                // 0x80 to 0xBF are the bytes below -64 as signed.
                sigue[h] = _mm256_cmpgt_epi8(Byte32(0xC0), v[h]);
                const __m256i sig =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32 * h + 1));
                const __m256i clase = Buscar32(sig, sb, sa, cero, cero);
                const __m256i trasC2 = _mm256_andnot_si256(
                    _mm256_cmpeq_epi8(_mm256_and_si256(clase, Byte32(0x55)), cero),
                    _mm256_cmpeq_epi8(v[h], Byte32(0xC2)));
                const __m256i trasC3 = _mm256_andnot_si256(
                    _mm256_cmpeq_epi8(_mm256_and_si256(clase, Byte32(0xAA)), cero),
                    _mm256_cmpeq_epi8(v[h], Byte32(0xC3)));
                pasa[h] = _mm256_or_si256(trasC2, trasC3);
            }
        }
        const Bloque b{~Bits(bien[0], bien[1]), Bits(cr[0], cr[1]), Bits(lf[0], lf[1]),
                       Bits(sigue[0], sigue[1]), Bits(pasa[0], pasa[1])};
        k += Apuntar<Utf8>(b, validos, static_cast<std::uint32_t>(i), crAntes, c, salida + k);
    }
    return k;
}

// 64 bytes at a time, each byte's stop looked up whole in a 256-byte table
// (two 128-byte permutations, picked by the byte's top bit). Masked loads
// read nothing past the end of the piece.
template <bool Utf8>
TILDORA_OBJETIVO512 std::size_t BuscarAvx512(const Buscador::Nibbles& nib, const unsigned char* p,
                                             std::size_t n, unsigned char anterior,
                                             Buscador::Cuenta& c, std::uint32_t* salida) {
    const __m512i t0 = _mm512_load_si512(nib.parar), t1 = _mm512_load_si512(nib.parar + 64);
    const __m512i t2 = _mm512_load_si512(nib.parar + 128), t3 = _mm512_load_si512(nib.parar + 192);
    const __m512i pares = _mm512_load_si512(nib.pares);
    std::uint64_t crAntes = anterior == '\r' ? 1 : 0;
    c = Buscador::Cuenta{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < n; i += 64) {
        // Only the last block is loaded under a mask: a masked load is slow.
        const bool entero = n - i >= 64 + (Utf8 ? 1 : 0);
        const std::uint64_t validos =
            n - i >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (n - i)) - 1;
        const __m512i v =
            entero ? _mm512_loadu_si512(p + i) : _mm512_maskz_loadu_epi8(validos, p + i);
        const __m512i x =
            _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), _mm512_permutex2var_epi8(t0, v, t1),
                                   _mm512_permutex2var_epi8(t2, v, t3));
        Bloque b{_mm512_movepi8_mask(x), _mm512_cmpeq_epi8_mask(v, Byte64('\r')),
                 _mm512_cmpeq_epi8_mask(v, Byte64('\n')), 0, 0};
        if constexpr (Utf8) {
            const __m512i sig =
                entero ? _mm512_loadu_si512(p + i + 1)
                       : _mm512_maskz_loadu_epi8(validos >> 1 | (n - i > 64 ? 1ull << 63 : 0),
                                                 p + i + 1);
            const __m512i par = _mm512_permutex2var_epi8(pares, sig, pares);
            const std::uint64_t sigue =
                _mm512_cmpeq_epi8_mask(_mm512_and_si512(sig, Byte64(0xC0)), Byte64(0x80));
            b.continuaciones =
                _mm512_cmpeq_epi8_mask(_mm512_and_si512(v, Byte64(0xC0)), Byte64(0x80));
            b.pasan =
                sigue &
                ((_mm512_cmpeq_epi8_mask(v, Byte64(0xC2)) & _mm512_test_epi8_mask(par, Byte64(1))) |
                 (_mm512_cmpeq_epi8_mask(v, Byte64(0xC3)) & _mm512_test_epi8_mask(par, Byte64(2))));
        }
        k += Apuntar<Utf8>(b, validos, static_cast<std::uint32_t>(i), crAntes, c, salida + k);
    }
    return k;
}

Via Detectar() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("popcnt") || !__builtin_cpu_supports("bmi")) {
        return Via::Sencilla;
    }
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi")) {
        return Via::Avx512;
    }
    return __builtin_cpu_supports("avx2") ? Via::Avx2 : Via::Sencilla;
}

#endif

} // namespace

Via MejorVia() {
#ifdef TILDORA_AVX2
    static const Via via = Detectar();
    return via;
#else
    return Via::Sencilla;
#endif
}

Buscador::Buscador(Unidades unidades, Via via)
    : m_unidades(unidades), m_paradas(new std::uint32_t[kTrozoParadas + 64]) {
    const bool utf8 = unidades == Unidades::Utf8;
    for (unsigned c = 0; c < 256; ++c) {
        // In UTF-8 the first byte of a sequence stops: the character is known
        // once it is decoded. The bytes that go on a sequence are only
        // counted, so that one standing alone shows.
        m_parar[c] =
            utf8 ? (c < 0x80 ? !kCaracteresValidos[c] : c >= 0xC0) : !kCaracteresValidos[c];
    }
    // The vector path tells CR and LF apart by itself.
    std::array<bool, 256> sinSaltos = m_parar;
    sinSaltos['\r'] = false;
    sinSaltos['\n'] = false;
    m_nibbles = ConstruirNibbles(sinSaltos);
    // Which bytes after C2 (U+0080 to U+00BF) and after C3 (U+00C0 to U+00FF)
    // make an allowed character. The byte's high nibble (8 to B) picks a pair
    // of bits, the lead the bit of the pair.
    for (unsigned c = 0x80; utf8 && c < 0xC0; ++c) {
        for (unsigned lead = 0; lead < 2; ++lead) {
            const unsigned cp = (lead == 0 ? 0x80u : 0xC0u) + (c & 0x3Fu);
            if (!PermitidoUnicode(cp)) {
                continue;
            }
            m_pasa[lead * 64 + (c & 0x3F)] = true;
            const unsigned par = (c >> 4) - 8;
            m_nibbles.siguienteBajo[c & 0x0F] = static_cast<std::uint8_t>(
                m_nibbles.siguienteBajo[c & 0x0F] | (1u << (2 * par + lead)));
        }
    }
    for (unsigned alto = 8; utf8 && alto < 12; ++alto) {
        m_nibbles.siguienteAlto[alto] = static_cast<std::uint8_t>(3u << (2 * (alto - 8)));
    }
    for (unsigned c = 0; c < 256; ++c) {
        m_nibbles.parar[c] = sinSaltos[c] ? 0x80 : 0;
    }
    for (unsigned b = 0; b < 64; ++b) {
        m_nibbles.pares[b] =
            static_cast<std::uint8_t>((m_pasa[b] ? 1 : 0) | (m_pasa[64 + b] ? 2 : 0));
    }
    // The fastest way there is, up to the one asked for.
    m_via = std::min(via, MejorVia());
}

std::size_t Buscador::Buscar(const unsigned char* p, std::size_t n, unsigned char anterior) {
    n = std::min(n, kTrozoParadas);
    const bool utf8 = m_unidades == Unidades::Utf8;
#ifdef TILDORA_AVX2
    if (m_via == Via::Avx512) {
        return utf8 ? BuscarAvx512<true>(m_nibbles, p, n, anterior, m_cuenta, m_paradas.get())
                    : BuscarAvx512<false>(m_nibbles, p, n, anterior, m_cuenta, m_paradas.get());
    }
    if (m_via == Via::Avx2) {
        return utf8 ? BuscarAvx2<true>(m_nibbles, p, n, anterior, m_cuenta, m_paradas.get())
                    : BuscarAvx2<false>(m_nibbles, p, n, anterior, m_cuenta, m_paradas.get());
    }
#endif
    return BuscarSencillo(m_parar, m_pasa, utf8, p, n, anterior, m_cuenta, m_paradas.get());
}

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

namespace {

// Where the line that holds p[hasta] begins, when a line end before it in
// p[0, hasta) says so (in Windows-1252 only a CR ends a line, its LF going
// with it); hasta + 1 when none does.
std::size_t InicioDeLinea(const unsigned char* p, std::size_t hasta, bool utf8) {
    for (std::size_t i = hasta; i-- > 0;) {
        if (p[i] == '\r' || (utf8 && p[i] == '\n')) {
            return i + 1;
        }
        if (p[i] == '\n' && i > 0 && p[i - 1] == '\r') {
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
        dentro += p[i] == '\r' || (utf8 && p[i] == '\n' && !trasCr) ? 1 : 0;
        trasCr = p[i] == '\r';
    }
    primera.linea = finesAntes + dentro;
    const std::size_t inicio = InicioDeLinea(p, pos, utf8);
    if (inicio <= pos) {
        primera.columna = Caracteres(p, inicio, pos, utf8) + 1;
    } else if (anterior == '\r' && !utf8 && p[0] == '\n') {
        primera.columna = Caracteres(p, 1, pos, utf8) + 1; // after the LF of a CR LF
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
