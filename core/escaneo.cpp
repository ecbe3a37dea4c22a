#include "core/escaneo.h"

#include "core/analisis.h"

#include "core/lectura.h"
#include "core/lineas.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <fstream>
#include <functional>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define TILDORA_AVX2 1
#include <immintrin.h>
#endif

namespace tildora {

namespace {

// The scan takes pieces of at most this size: a character's line is counted
// from the start of its piece.
constexpr std::size_t kTrozoEscaner = std::size_t{1} << 20;

Buscador::Nibbles ConstruirNibbles(const std::array<bool, 256>& parar) {
    // Rows (high nibbles) with the same set of wrong low nibbles form a
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

// The same in a plain loop, for processors without AVX2. Calls `parada`
// with the offset of each stop.
// With `unicode`, a lone LF ends a line too: it never stops and counts
// with the CRs.
// In UTF-8, a C2 or C3 that makes an allowed character with the next byte
// (`saltable`, indexed by that byte's low six bits, C3 in the upper half)
// does not stop either, and is counted in `saltadas`.
template <typename Parada>
void RecorrerSencillo(const std::array<bool, 256>& parar, const std::array<bool, 128>& saltable,
                      bool unicode, const unsigned char* p, std::size_t n, bool& crPendiente,
                      std::uint64_t& crs, std::uint64_t& continuaciones, std::uint64_t& saltadas,
                      Parada&& parada) {
    bool trasCr = crPendiente;
    std::uint64_t cuenta = 0;
    std::uint64_t seguidos = 0;
    std::uint64_t saltados = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        seguidos += unicode && (c & 0xC0) == 0x80 ? 1 : 0;
        if (unicode && (c == 0xC2 || c == 0xC3) && i + 1 < n && (p[i + 1] & 0xC0) == 0x80 &&
            saltable[(c == 0xC3 ? 64u : 0u) + (p[i + 1] & 0x3Fu)]) {
            ++saltados;
            trasCr = false;
            continue;
        }
        if (c == '\r') {
            ++cuenta;
            trasCr = true;
            continue;
        }
        const bool finDeLinea = c == '\n' && (trasCr || unicode);
        if (unicode && finDeLinea && !trasCr) {
            ++cuenta;
        }
        trasCr = false;
        if (!finDeLinea && parar[c]) {
            parada(i);
        }
    }
    crPendiente = trasCr;
    crs = cuenta;
    continuaciones = seguidos;
    saltadas = saltados;
}

#ifdef TILDORA_AVX2

#define TILDORA_OBJETIVO __attribute__((target("avx2,popcnt,bmi")))

// The look-up tables of Buscador::Nibbles, in registers.
struct Tablas {
    __m256i b1;
    __m256i a1;
    __m256i b2;
    __m256i a2;
    __m256i sb; // Nibbles::siguienteBajo
    __m256i sa; // Nibbles::siguienteAlto
};

// The stops among the 32 bytes at `q`; the byte before them, q[-1], must be
// readable. The tables leave CR and LF out: a CR never stops, an LF stops
// unless a CR stands right before it. Adds the CRs among q[-1] to q[30] to
// the byte counters of `crs`. With `Unicode`, a lone LF ends a line as well:
// it never stops and is counted with the CRs; and the UTF-8 continuation
// bytes (0x80 to 0xBF) are counted in `seguidos`; a C2 or C3 whose next
// byte, q[i + 1] (readable too), makes an allowed character with it does
// not stop, and is counted in `saltados`.
template <bool Unicode>
TILDORA_OBJETIVO inline std::uint32_t Paradas32(const unsigned char* q, const Tablas& t,
                                                __m256i& crs, __m256i& seguidos,
                                                __m256i& saltados) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i antes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q - 1));
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    const __m256i bajo = _mm256_and_si256(v, nibble);
    const __m256i alto = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
    const __m256i uno =
        _mm256_and_si256(_mm256_shuffle_epi8(t.b1, bajo), _mm256_shuffle_epi8(t.a1, alto));
    const __m256i dos =
        _mm256_and_si256(_mm256_shuffle_epi8(t.b2, bajo), _mm256_shuffle_epi8(t.a2, alto));
    const __m256i permitido = _mm256_cmpeq_epi8(_mm256_or_si256(uno, dos), _mm256_setzero_si256());
    const __m256i crAntes = _mm256_cmpeq_epi8(antes, _mm256_set1_epi8('\r'));
    const __m256i lf = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'));
    const __m256i lfSolo = _mm256_andnot_si256(crAntes, lf);
    // A CR compares as 0xFF, minus one: subtracting counts it.
    crs = _mm256_sub_epi8(crs, crAntes);
    if constexpr (Unicode) {
        crs = _mm256_sub_epi8(crs, lfSolo);
        // 0x80 to 0xBF are the bytes below -64 as signed.
        seguidos = _mm256_sub_epi8(seguidos, _mm256_cmpgt_epi8(_mm256_set1_epi8(-64), v));
        const __m256i sig = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
        const __m256i clase = _mm256_and_si256(
            _mm256_shuffle_epi8(t.sb, _mm256_and_si256(sig, nibble)),
            _mm256_shuffle_epi8(t.sa, _mm256_and_si256(_mm256_srli_epi16(sig, 4), nibble)));
        const __m256i cero = _mm256_setzero_si256();
        const __m256i trasC2 = _mm256_andnot_si256(
            _mm256_cmpeq_epi8(_mm256_and_si256(clase, _mm256_set1_epi8(0x55)), cero),
            _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xC2))));
        const __m256i trasC3 = _mm256_andnot_si256(
            _mm256_cmpeq_epi8(_mm256_and_si256(clase, _mm256_set1_epi8(static_cast<char>(0xAA))),
                              cero),
            _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(0xC3))));
        const __m256i salta = _mm256_or_si256(trasC2, trasC3);
        saltados = _mm256_sub_epi8(saltados, salta);
        return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(permitido, salta)));
    }
    return ~static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_andnot_si256(lfSolo, permitido)));
}

TILDORA_OBJETIVO inline __m256i Cargar(const std::uint8_t* x) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(x)));
}

// Adds up the CR counters kept in the bytes of `acumulado`.
TILDORA_OBJETIVO inline std::uint64_t Sumar(__m256i acumulado) {
    const __m256i sumas = _mm256_sad_epu8(acumulado, _mm256_setzero_si256());
    return static_cast<std::uint64_t>(_mm256_extract_epi64(sumas, 0)) +
           static_cast<std::uint64_t>(_mm256_extract_epi64(sumas, 1)) +
           static_cast<std::uint64_t>(_mm256_extract_epi64(sumas, 2)) +
           static_cast<std::uint64_t>(_mm256_extract_epi64(sumas, 3));
}

template <bool Unicode>
TILDORA_OBJETIVO std::size_t BuscarAvx2(const Buscador::Nibbles& nib, const unsigned char* p,
                                        std::size_t n, bool& crPendiente, std::uint64_t& crs,
                                        std::uint64_t& continuaciones, std::uint64_t& saltadas,
                                        std::uint32_t* salida) {
    const Tablas t{Cargar(nib.bajos1), Cargar(nib.altos1),        Cargar(nib.bajos2),
                   Cargar(nib.altos2), Cargar(nib.siguienteBajo), Cargar(nib.siguienteAlto)};

    __m256i acumulado = _mm256_setzero_si256(); // CRs, one counter per byte lane
    __m256i seguidos = _mm256_setzero_si256();  // continuation bytes, the same way
    __m256i saltados = _mm256_setzero_si256();  // leads that did not stop, too
    std::uint64_t cuenta = 0;
    std::uint64_t cuentaSeguidos = 0;
    std::uint64_t cuentaSaltados = 0;
    std::size_t vueltas = 0;
    std::size_t k = 0;
    // The first block, whose byte before lies in the piece before, and the
    // last, partial one go through a copy with that byte in front and zeros
    // behind; the bits past the end are masked off. In UTF-8 the byte after
    // a block is read too: there the last block goes through the copy even
    // when it is full.
    alignas(32) unsigned char copia[128];
    for (std::size_t i = 0; i < n; i += 64) {
        const unsigned char* q = p + i;
        std::uint64_t validos = ~std::uint64_t{0};
        if (i == 0 || n - i < 64 || (Unicode && n - i == 64)) {
            const std::size_t m = std::min<std::size_t>(64, n - i);
            std::memset(copia, 0, sizeof copia);
            copia[31] = i == 0 ? (crPendiente ? '\r' : 0) : p[i - 1];
            std::memcpy(copia + 32, q, m);
            q = copia + 32;
            if (m < 64) {
                validos = (std::uint64_t{1} << m) - 1;
            }
        }
        const std::uint32_t bajo = Paradas32<Unicode>(q, t, acumulado, seguidos, saltados);
        const std::uint32_t alto = Paradas32<Unicode>(q + 32, t, acumulado, seguidos, saltados);
        if (++vueltas == 127) {
            cuenta += Sumar(acumulado);
            acumulado = _mm256_setzero_si256();
            if constexpr (Unicode) {
                cuentaSeguidos += Sumar(seguidos);
                seguidos = _mm256_setzero_si256();
                cuentaSaltados += Sumar(saltados);
                saltados = _mm256_setzero_si256();
            }
            vueltas = 0;
        }
        std::uint64_t paradas =
            (static_cast<std::uint64_t>(bajo) | (static_cast<std::uint64_t>(alto) << 32)) & validos;
        // Most blocks hold no stop or one (a few in UTF-8): write that many
        // positions without asking (the buffer has room past the end) and
        // loop only beyond.
        const auto base = static_cast<std::uint32_t>(i);
        const auto cuantas = static_cast<std::size_t>(_mm_popcnt_u64(paradas));
        constexpr std::size_t kSinPreguntar = Unicode ? 4 : 2;
        for (std::size_t x = 0; x < kSinPreguntar; ++x) {
            salida[k + x] = base + static_cast<std::uint32_t>(_tzcnt_u64(paradas));
            paradas = _blsr_u64(paradas);
        }
        std::size_t j = k + kSinPreguntar;
        while (paradas != 0) {
            salida[j++] = base + static_cast<std::uint32_t>(_tzcnt_u64(paradas));
            paradas = _blsr_u64(paradas);
        }
        k += cuantas;
    }
    cuenta += Sumar(acumulado);
    continuaciones = Unicode ? cuentaSeguidos + Sumar(seguidos) : 0;
    saltadas = Unicode ? cuentaSaltados + Sumar(saltados) : 0;
    if (n > 0) {
        // The counters saw each byte's left neighbour: the CR carried in
        // from the piece before instead of the last byte, when the last
        // block was full (a partial one saw it in the copy).
        cuenta -= crPendiente ? 1 : 0;
        if (n % 64 == 0 && p[n - 1] == '\r') {
            ++cuenta;
        }
        crPendiente = p[n - 1] == '\r';
    }
    crs = cuenta;
    return k;
}

bool HayAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
           __builtin_cpu_supports("bmi");
}

#endif

} // namespace

Buscador::Buscador(const TablaValidez& tabla, bool vectorial, bool unicode)
    : m_unicode(unicode), m_paradas(new std::uint32_t[kTrozoParadas + 64]) {
    for (unsigned c = 0; c < 256; ++c) {
        // In UTF-8, the first byte of a multi-byte sequence stops: the
        // character is known only once it is decoded. The bytes that go on
        // a sequence are only counted, so that one standing alone shows.
        m_parar[c] = unicode ? (c < 0x80 ? !tabla[c] : c >= 0xC0) : !tabla[c];
    }
    // The vector path tells CR and LF apart by itself.
    std::array<bool, 256> sinSaltos = m_parar;
    sinSaltos['\r'] = false;
    sinSaltos['\n'] = false;
    m_nibbles = ConstruirNibbles(sinSaltos);
    // In UTF-8: which bytes after C2 (U+0080 to U+00BF) and after C3
    // (U+00C0 to U+00FF) make an allowed character. The byte's high nibble
    // (8 to B) picks a pair of bits, the lead the bit of the pair.
    if (unicode) {
        for (unsigned c = 0x80; c < 0xC0; ++c) {
            for (unsigned lead = 0; lead < 2; ++lead) {
                const unsigned cp = (lead == 0 ? 0x80u : 0xC0u) + (c & 0x3Fu);
                // 0x80 to 0x9F are other characters in Windows-1252.
                if (!tabla[cp] || cp < 0xA0) {
                    continue;
                }
                m_saltable[lead * 64 + (c & 0x3F)] = true;
                const unsigned par = (c >> 4) - 8;
                m_nibbles.siguienteBajo[c & 0x0F] = static_cast<std::uint8_t>(
                    m_nibbles.siguienteBajo[c & 0x0F] | (1u << (2 * par + lead)));
            }
        }
        for (unsigned alto = 8; alto < 12; ++alto) {
            m_nibbles.siguienteAlto[alto] = static_cast<std::uint8_t>(3u << (2 * (alto - 8)));
        }
    }
#ifdef TILDORA_AVX2
    m_vectorial = vectorial && HayAvx2();
#else
    (void)vectorial;
#endif
}

std::size_t Buscador::Buscar(const unsigned char* datos, std::size_t n) {
    n = std::min(n, kTrozoParadas);
#ifdef TILDORA_AVX2
    if (m_vectorial) {
        return m_unicode ? BuscarAvx2<true>(m_nibbles, datos, n, m_crPendiente, m_crs,
                                            m_continuaciones, m_saltadas, m_paradas.get())
                         : BuscarAvx2<false>(m_nibbles, datos, n, m_crPendiente, m_crs,
                                             m_continuaciones, m_saltadas, m_paradas.get());
    }
#endif
    std::uint32_t* salida = m_paradas.get();
    std::size_t k = 0;
    RecorrerSencillo(m_parar, m_saltable, m_unicode, datos, n, m_crPendiente, m_crs,
                     m_continuaciones, m_saltadas,
                     [&](std::size_t i) { salida[k++] = static_cast<std::uint32_t>(i); });
    return k;
}

Escaner::Escaner(const TablaValidez& tabla, bool vectorial) : m_buscador(tabla, vectorial) {}

void Escaner::Procesar(const char* datos, std::size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(datos);
    while (n > 0) {
        const std::size_t trozo = std::min(n, kTrozoEscaner);
        ProcesarTrozo(p, trozo);
        p += trozo;
        n -= trozo;
    }
}

namespace {

// Where the line holding offset `hasta` of the piece begins, if a CR before
// it in the piece says so: after the CR, or after its LF.
bool InicioEnTrozo(const unsigned char* p, std::size_t hasta, std::size_t& inicio) {
    const void* q = hasta == 0 ? nullptr : ::memrchr(p, '\r', hasta);
    if (q == nullptr) {
        return false;
    }
    const auto j = static_cast<std::size_t>(static_cast<const unsigned char*>(q) - p);
    inicio = j + 1;
    if (inicio < hasta && p[inicio] == '\n') {
        ++inicio;
    }
    return true;
}

} // namespace

void Escaner::ProcesarTrozo(const unsigned char* p, std::size_t n) {
    if (m_buscador.CrPendiente() && p[0] == '\n') {
        m_inicioLinea = m_base + 1; // the LF of a CR LF split between pieces
    }
    std::uint64_t crs = 0;
    for (std::size_t desde = 0; desde < n; desde += kTrozoParadas) {
        const std::size_t k = m_buscador.Buscar(p + desde, n - desde);
        const std::uint32_t* paradas = m_buscador.Paradas();
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = desde + paradas[j];
            const unsigned char c = p[pos];
            if (m_cuentas[c]++ != 0) {
                continue;
            }
            // A first appearance: at most one per code, so the look-back
            // is rare.
            m_orden.push_back(c);
            Posicion& donde = m_primera[c];
            donde.linea = 1 + m_crs + static_cast<std::uint64_t>(std::count(p, p + pos, '\r'));
            std::size_t inicio = 0;
            const std::uint64_t inicioLinea =
                InicioEnTrozo(p, pos, inicio) ? m_base + inicio : m_inicioLinea;
            donde.columna = m_base + pos - inicioLinea + 1;
        }
        crs += m_buscador.CrsDelTrozo();
    }
    if (crs > 0) {
        std::size_t inicio = 0;
        if (InicioEnTrozo(p, n, inicio)) {
            m_inicioLinea = m_base + inicio;
        }
    }
    m_crs += crs;
    m_base += n;
}

namespace {

// Scans the pieces of a file on a second thread while the next
// ones are read, so that reading and scanning overlap. One piece is in hand
// at a time; without a second thread every piece is scanned where it is
// handed over.
class EscaneoParalelo {
public:
    explicit EscaneoParalelo(const ProcesarTrozo& procesar) : m_procesar(procesar) {
        try {
            m_hilo = std::thread([this] { Bucle(); });
        } catch (const std::system_error&) {
            // No thread to be had: scanning goes on in this one.
        }
    }
    ~EscaneoParalelo() { Parar(); }
    EscaneoParalelo(const EscaneoParalelo&) = delete;
    EscaneoParalelo& operator=(const EscaneoParalelo&) = delete;

    // Hands over a piece that stays in place until the next one is handed
    // over, or until Terminar.
    void Entregar(const char* datos, std::size_t n) {
        if (!m_hilo.joinable()) {
            Escanear(datos, n);
            return;
        }
        std::unique_lock<std::mutex> cerrojo(m_mutex);
        m_cambio.wait(cerrojo, [this] { return m_pieza == nullptr; });
        m_pieza = datos;
        m_n = n;
        m_cambio.notify_all();
    }

    // Scans a piece here, after every piece handed over before it.
    void Procesar(const char* datos, std::size_t n) {
        Esperar();
        Escanear(datos, n);
    }

    // Waits for the last piece; what the scan threw (no memory left) is
    // thrown here, on the caller's thread.
    void Terminar() {
        Parar();
        if (m_fallo) {
            std::rethrow_exception(std::exchange(m_fallo, nullptr));
        }
    }

private:
    void Parar() {
        if (!m_hilo.joinable()) {
            return;
        }
        {
            std::unique_lock<std::mutex> cerrojo(m_mutex);
            m_cambio.wait(cerrojo, [this] { return m_pieza == nullptr; });
            m_fin = true;
            m_cambio.notify_all();
        }
        m_hilo.join();
    }

    void Escanear(const char* datos, std::size_t n) { m_procesar(datos, n); }

    void Esperar() {
        std::unique_lock<std::mutex> cerrojo(m_mutex);
        m_cambio.wait(cerrojo, [this] { return m_pieza == nullptr; });
    }

    void Bucle() {
        std::unique_lock<std::mutex> cerrojo(m_mutex);
        for (;;) {
            m_cambio.wait(cerrojo, [this] { return m_pieza != nullptr || m_fin; });
            if (m_pieza == nullptr) {
                return;
            }
            cerrojo.unlock();
            try {
                if (!m_fallo) {
                    Escanear(m_pieza, m_n);
                }
            } catch (...) {
                m_fallo = std::current_exception();
            }
            cerrojo.lock();
            m_pieza = nullptr;
            m_cambio.notify_all();
        }
    }

    const ProcesarTrozo& m_procesar;
    std::mutex m_mutex;
    std::condition_variable m_cambio;
    const char* m_pieza = nullptr;
    std::size_t m_n = 0;
    bool m_fin = false;
    std::exception_ptr m_fallo; // written by the thread, read after it ends
    std::thread m_hilo;
};

} // namespace

ResultadoLectura LeerYEscanear(Lector& lector, Escaner& escaner, std::string* destino,
                               Progreso* progreso, IndiceLineas* indice) {
    return LeerYProcesar(lector, destino, progreso, [&](const char* d, std::size_t n) {
        escaner.Procesar(d, n);
        if (indice != nullptr) {
            indice->Procesar(d, n);
        }
    });
}

ResultadoLectura LeerYProcesar(Lector& lector, std::string* destino, Progreso* progreso,
                               const ProcesarTrozo& procesar) {
    if (progreso != nullptr) {
        progreso->total = lector.Tamano();
    }
    bool cancelada = false;
    // Counts a piece and says whether to go on.
    const auto seguir = [&](std::size_t n) {
        if (progreso == nullptr) {
            return true;
        }
        progreso->Avanzar(n);
        cancelada = cancelada || progreso->Cancelado();
        return !cancelada;
    };
    const auto resultado = [&](ResultadoLectura r) {
        return cancelada ? ResultadoLectura{FalloLectura::Cancelada, ECANCELED} : r;
    };

    EscaneoParalelo paralelo(procesar);
    if (destino != nullptr) {
        const ResultadoLectura r = lector.LeerTodo(*destino, [&](const char* d, std::size_t n) {
            // Pieces read into the text stay in place; one beyond its first
            // size (a pipe, a file that grew) is valid only now.
            const std::less<const char*> antes;
            const char* inicio = destino->data();
            if (!antes(d, inicio) && !antes(inicio + destino->size(), d + n)) {
                paralelo.Entregar(d, n);
            } else {
                paralelo.Procesar(d, n);
            }
            return seguir(n);
        });
        paralelo.Terminar();
        return resultado(r);
    }
    // Two buffers: one is scanned while the other is read into.
    BufferAlineado buffers[2] = {BufferAlineado(kTrozoLectura), BufferAlineado(kTrozoLectura)};
    ResultadoLectura r = lector.Rebobinar();
    for (int i = 0; r; i ^= 1) {
        std::size_t n = 0;
        r = lector.Leer(buffers[i].data(), buffers[i].size(), n);
        if (!r || n == 0) {
            break;
        }
        paralelo.Entregar(buffers[i].data(), n);
        if (!seguir(n)) {
            break;
        }
    }
    paralelo.Terminar();
    return resultado(r);
}

std::uint64_t MemoriaDisponible() {
    std::ifstream info("/proc/meminfo");
    std::string nombre;
    std::uint64_t kib = 0;
    std::string unidad;
    while (info >> nombre >> kib >> unidad) {
        if (nombre == "MemAvailable:") {
            return kib * 1024;
        }
    }
    return kSinLimite;
}

bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador,
                   Progreso* progreso) {
    estado.CaracteresValidos = ConstruirCaracteresValidos();
    estado.TablaConstruida = true;
    estado.CaracteresErroneos.assign(1, std::string());
    estado.CodificacionTexto = Codificacion::Windows1252;

    Analisis analisis;
    Lector lector;
    IndiceLineas indice;
    estado.InicioLineas = {};
    ResultadoLectura leido =
        lector.Abrir(ruta, true, std::min(kTamanoMaximoEntrada, MemoriaDisponible()));
    if (leido) {
        try {
            leido = Analizar(lector, std::nullopt, &estado.Texto, analisis, progreso, &indice,
                             estado.CaracteresValidos);
            if (leido && EsUtf16(analisis.codificacion)) {
                // The working copy is UTF-8; its lines are found again.
                TextoUtf8(analisis.codificacion, estado.Texto);
                estado.InicioLineas = {0};
                BuscarInicios(estado.Texto.data(), 0, estado.Texto.size(), estado.Texto.size(),
                              estado.InicioLineas);
            } else if (leido) {
                estado.InicioLineas = indice.Terminar();
            }
        } catch (const std::bad_alloc&) {
            leido = ResultadoLectura{FalloLectura::Grande, ENOMEM};
        }
    }
    if (leido.fallo == FalloLectura::Cancelada) {
        estado.Texto.clear();
        return false;
    }

    // The list keeps one empty slot at its end, after the characters found.
    const std::vector<Hallazgo> hallados = leido ? analisis.Hallazgos() : std::vector<Hallazgo>{};
    for (const Hallazgo& h : hallados) {
        estado.CaracteresErroneos.insert(estado.CaracteresErroneos.end() - 1, h.clave);
    }

    if (!leido) {
        estado.ErrorLectura = true;
        estado.Texto.clear();
        estado.Texto.shrink_to_fit();
        const std::string_view mensaje =
            leido.fallo == FalloLectura::Grande         ? textos::DemasiadoGrandeVentana
            : leido.fallo == FalloLectura::Codificacion ? textos::CodificacionIncorrecta
                                                        : textos::M1NombreIncorrecto;
        avisador.Mensaje(std::string(mensaje));
        return false;
    }
    estado.CodificacionTexto = analisis.codificacion;
    return !hallados.empty();
}

// Part of the module's interface, for callers that hold only the list; the
// scan itself keeps a table of what it has listed.
bool EstaEnLista(const Estado& estado, std::string_view caracter) {
    return std::any_of(estado.CaracteresErroneos.begin(), estado.CaracteresErroneos.end(),
                       [caracter](const std::string& s) { return s == caracter; });
}

} // namespace tildora
