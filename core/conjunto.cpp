#include "core/conjunto.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TILDORA_X86 1
#endif

namespace tildora {

void ConjuntoBytes::Poner(unsigned char c, bool dentro) {
    m_tabla[c] = dentro;
    const unsigned bajo = c & 0x0Fu;
    const unsigned alto = c >> 4;
    std::uint8_t& fila = alto < 8 ? m_bajos07[bajo] : m_bajos815[bajo];
    const auto bit = static_cast<std::uint8_t>(1u << (alto & 7u));
    fila = static_cast<std::uint8_t>(dentro ? (fila | bit) : (fila & ~bit));
}

namespace {

const unsigned char* BuscarEscalar(const std::array<bool, 256>& t, const unsigned char* p,
                                   const unsigned char* fin) {
    while (fin - p >= 8 &&
           !(t[p[0]] | t[p[1]] | t[p[2]] | t[p[3]] | t[p[4]] | t[p[5]] | t[p[6]] | t[p[7]])) {
        p += 8;
    }
    while (p < fin && !t[*p]) {
        ++p;
    }
    return p;
}

#ifdef TILDORA_X86
// Membership of sixteen bytes at once: the low nibble picks a row of bits
// from one of two tables (high nibble below or above 8), the high nibble
// picks the bit.
__attribute__((target("ssse3"))) inline int Miembros(__m128i x, __m128i bajos07, __m128i bajos815,
                                                     __m128i bits) {
    const __m128i ochoF = _mm_set1_epi8(static_cast<char>(0x8F));
    const __m128i idx07 = _mm_and_si128(x, ochoF); // bit 7 set: the lane reads 0
    const __m128i idx815 = _mm_xor_si128(idx07, _mm_set1_epi8(static_cast<char>(0x80)));
    const __m128i fila =
        _mm_or_si128(_mm_shuffle_epi8(bajos07, idx07), _mm_shuffle_epi8(bajos815, idx815));
    const __m128i alto = _mm_and_si128(_mm_srli_epi16(x, 4), _mm_set1_epi8(0x0F));
    const __m128i bit = _mm_shuffle_epi8(bits, alto);
    const __m128i ninguno = _mm_cmpeq_epi8(_mm_and_si128(fila, bit), _mm_setzero_si128());
    return ~_mm_movemask_epi8(ninguno) & 0xFFFF;
}

__attribute__((target("ssse3"))) const unsigned char* BuscarSsse3(const std::uint8_t* tabla07,
                                                                  const std::uint8_t* tabla815,
                                                                  const unsigned char* p,
                                                                  const unsigned char* fin) {
    const __m128i bajos07 = _mm_load_si128(reinterpret_cast<const __m128i*>(tabla07));
    const __m128i bajos815 = _mm_load_si128(reinterpret_cast<const __m128i*>(tabla815));
    const __m128i bits = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    while (fin - p >= 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const int ma = Miembros(a, bajos07, bajos815, bits);
        const int mb = Miembros(b, bajos07, bajos815, bits);
        if ((ma | mb) != 0) {
            return ma != 0 ? p + __builtin_ctz(static_cast<unsigned>(ma))
                           : p + 16 + __builtin_ctz(static_cast<unsigned>(mb));
        }
        p += 32;
    }
    return p;
}

bool TieneSsse3() {
    static const bool tiene = __builtin_cpu_supports("ssse3");
    return tiene;
}
#endif

} // namespace

const unsigned char* ConjuntoBytes::Buscar(const unsigned char* p, const unsigned char* fin) const {
#ifdef TILDORA_X86
    if (TieneSsse3()) {
        p = BuscarSsse3(m_bajos07, m_bajos815, p, fin);
    }
#endif
    return BuscarEscalar(m_tabla, p, fin);
}

} // namespace tildora
