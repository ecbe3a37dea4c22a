#include "core/lineas.h"

#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tildora {

void BuscarInicios(const char* d, std::size_t desde, std::size_t hasta, std::size_t n,
                   std::vector<std::uint32_t>& inicios) {
    std::size_t i = desde;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 65 <= hasta + (hasta < n ? 1 : 0); i += 64) {
        std::uint64_t crs = 0;
        std::uint64_t lfs = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 16 * k));
            crs |=
                std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, cr)))}
                << (16 * k);
            lfs |=
                std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lf)))}
                << (16 * k);
        }
        const std::uint64_t lfDetras = (lfs >> 1) | (std::uint64_t{d[i + 64] == '\n'} << 63);
        for (std::uint64_t fin = lfs | (crs & ~lfDetras); fin != 0; fin &= fin - 1) {
            inicios.push_back(
                static_cast<std::uint32_t>(i + std::size_t(__builtin_ctzll(fin)) + 1));
        }
    }
#endif
    for (; i < hasta; ++i) {
        if (d[i] == '\n' || (d[i] == '\r' && !(i + 1 < n && d[i + 1] == '\n'))) {
            inicios.push_back(static_cast<std::uint32_t>(i + 1));
        }
    }
}

void IndiceLineas::Procesar(const char* datos, std::size_t n) {
    if (!m_valido || n == 0) {
        return;
    }
    if (m_texto == nullptr) {
        m_texto = datos;
    }
    if (datos != m_texto + m_disponible) {
        m_valido = false;
        m_inicios = {};
        return;
    }
    m_disponible += n;
    // A CR at the end may yet be followed by an LF in the next piece.
    try {
        BuscarInicios(m_texto, m_hecho, m_disponible - 1, m_disponible, m_inicios);
    } catch (const std::bad_alloc&) {
        // Without the memory for them the view finds the starts itself.
        m_valido = false;
        m_inicios = {};
        return;
    }
    m_hecho = m_disponible - 1;
}

std::vector<std::uint32_t> IndiceLineas::Terminar() {
    if (m_valido && m_hecho < m_disponible) {
        try {
            BuscarInicios(m_texto, m_hecho, m_disponible, m_disponible, m_inicios);
        } catch (const std::bad_alloc&) {
            m_inicios = {};
        }
        m_hecho = m_disponible;
    }
    return std::move(m_inicios);
}

} // namespace tildora
