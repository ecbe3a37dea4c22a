#include "core/interno/busqueda.h"

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
        // A lone LF ends a line in every encoding; in Windows-1252 it also
        // stops, as a wrong character.
        const bool fin = b == '\r' || (b == '\n' && (trasCr || utf8));
        c.ultimoFin = b == '\r' || b == '\n' ? i + 1 : c.ultimoFin;
        if (utf8 && (b == 0xC2 || b == 0xC3) && i + 1 < n && EsContinuacion(p[i + 1]) &&
            pasa[(b == 0xC3 ? 64u : 0u) + (p[i + 1] & 0x3Fu)]) {
            ++c.pasadas; // its continuation byte is held by the allowed letter
        } else if (!fin && parar[b]) {
            salida[k++] = static_cast<std::uint32_t>(i);
        }
        c.fines += b == '\r' || (b == '\n' && !trasCr) ? 1 : 0;
        trasCr = b == '\r';
    }
    return k;
}

// The search for one character in a plain loop (memchr to its first byte).
std::size_t BuscarAgujaSencillo(const Buscador::Aguja& a, const unsigned char* p, std::size_t n,
                                unsigned char anterior, std::uint32_t* salida) {
    std::size_t k = 0;
    for (std::size_t i = 0; i + a.largo <= n; ++i) {
        const void* x = std::memchr(p + i, a.bytes[0], n - i - a.largo + 1);
        if (x == nullptr) {
            break;
        }
        i = static_cast<std::size_t>(static_cast<const unsigned char*>(x) - p);
        if (std::memcmp(p + i, a.bytes.data(), a.largo) == 0 &&
            !(a.suelto && (i > 0 ? p[i - 1] : anterior) == '\r')) {
            salida[k++] = static_cast<std::uint32_t>(i);
        }
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
    c.fines += static_cast<std::uint64_t>(__builtin_popcountll((b.crs | lfSolo) & validos));
    if (const std::uint64_t fin = (b.crs | b.lfs) & validos) {
        c.ultimoFin = base + 64 - static_cast<std::size_t>(__builtin_clzll(fin));
    }
    if constexpr (Utf8) {
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

// One character, 64 bytes at a time: the places where each of its bytes
// stands one further on. The blocks whose character would be read past the
// end go through a copy with zeros behind it; a character's bytes after its
// first are never zero, and a zero byte alone stands in no valid place.
TILDORA_OBJETIVO std::size_t BuscarAgujaAvx2(const Buscador::Aguja& a, const unsigned char* p,
                                             std::size_t n, unsigned char anterior,
                                             std::uint32_t* salida) {
    __m256i bytes[4];
    for (std::size_t j = 0; j < 4; ++j) {
        bytes[j] = Byte32(a.bytes[j]);
    }
    std::uint64_t crAntes = anterior == '\r' ? 1 : 0;
    std::size_t k = 0;
    alignas(32) unsigned char copia[128];
    for (std::size_t i = 0; i < n; i += 64) {
        const unsigned char* q = p + i;
        const std::size_t resto = n - i;
        const std::uint64_t validos =
            resto >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << resto) - 1;
        if (resto < 64 + a.largo - 1) {
            std::memset(copia, 0, sizeof copia);
            std::memcpy(copia, q, std::min<std::size_t>(resto, 64 + 3));
            q = copia;
        }
        std::uint64_t en = validos;
        for (std::size_t j = 0; j < a.largo; ++j) {
            const auto* x = reinterpret_cast<const __m256i*>(q + j);
            en &= Bits(_mm256_cmpeq_epi8(_mm256_loadu_si256(x), bytes[j]),
                       _mm256_cmpeq_epi8(_mm256_loadu_si256(x + 1), bytes[j]));
        }
        if (a.suelto) {
            const auto* x = reinterpret_cast<const __m256i*>(q);
            const std::uint64_t crs =
                Bits(_mm256_cmpeq_epi8(_mm256_loadu_si256(x), Byte32('\r')),
                     _mm256_cmpeq_epi8(_mm256_loadu_si256(x + 1), Byte32('\r')));
            en &= ~((crs << 1) | crAntes);
            crAntes = crs >> 63;
        }
        for (; en != 0; en &= en - 1) {
            salida[k++] =
                static_cast<std::uint32_t>(i) + static_cast<std::uint32_t>(__builtin_ctzll(en));
        }
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

Buscador::Buscador(Unidades unidades, std::string_view caracter, Via via)
    : Buscador(unidades, via) {
    m_aguja.largo = std::min<std::size_t>(caracter.size(), m_aguja.bytes.size());
    for (std::size_t i = 0; i < m_aguja.largo; ++i) {
        m_aguja.bytes[i] = static_cast<unsigned char>(caracter[i]);
    }
    m_aguja.suelto = unidades == Unidades::Ansi && caracter == "\n";
}

std::size_t Buscador::Buscar(const unsigned char* p, std::size_t n, unsigned char anterior) {
    n = std::min(n, kTrozoParadas);
    const bool utf8 = m_unidades == Unidades::Utf8;
    if (m_aguja.largo > 0) {
#ifdef TILDORA_AVX2
        if (m_via >= Via::Avx2) {
            return BuscarAgujaAvx2(m_aguja, p, n, anterior, m_paradas.get());
        }
#endif
        return BuscarAgujaSencillo(m_aguja, p, n, anterior, m_paradas.get());
    }
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

} // namespace tildora
