#pragma once

#include "tabla.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tildora::cli {

// Buscador::Buscar looks at most this much at a time: its list of stops
// then stays in the fastest cache.
inline constexpr std::size_t kTrozoParadas = std::size_t{16} << 10;

// Finds, in a text given in pieces, the bytes that the scan stops on: the
// wrong characters. A CR is never one (it ends a line, alone or before an LF)
// and neither is the LF of a CR LF; a lone LF is. A piece may end anywhere, a
// CR LF split between two pieces included.
//
// The command line reads files of any size, so this looks at 64 bytes at a
// time where the processor can (AVX2), with a plain loop of the same meaning
// elsewhere.
class Buscador {
public:
    explicit Buscador(const TablaValidez& tabla, bool vectorial = true);

    // Finds the stops in the first kTrozoParadas bytes (at most) of a piece
    // and returns how many there are; Paradas() holds their offsets.
    std::size_t Buscar(const unsigned char* datos, std::size_t n);
    const std::uint32_t* Paradas() const { return m_paradas.get(); }

    // Number of CRs in the last piece.
    std::uint64_t CrsDelTrozo() const { return m_crs; }

    // Whether the pieces so far end in a CR (whose LF may begin the next).
    bool CrPendiente() const { return m_crPendiente; }

    bool Vectorial() const { return m_vectorial; }

    // For the SIMD look-up: a byte is wrong when, for its low nibble l and
    // high nibble h, bajos1[l] & altos1[h] or bajos2[l] & altos2[h] is not
    // zero. Rows of sixteen codes with the same wrong low nibbles share one
    // bit, so any table fits in two sets of eight bits.
    struct Nibbles {
        alignas(16) std::uint8_t bajos1[16]{};
        alignas(16) std::uint8_t altos1[16]{};
        alignas(16) std::uint8_t bajos2[16]{};
        alignas(16) std::uint8_t altos2[16]{};
    };

private:
    std::array<bool, 256> m_parar{};
    Nibbles m_nibbles;
    bool m_vectorial = false;
    bool m_crPendiente = false;
    std::uint64_t m_crs = 0;
    std::unique_ptr<std::uint32_t[]> m_paradas;
};

// Where a character first stands: line and column both from 1, the column
// counted in bytes; lines end at CR LF or at a lone CR.
struct Posicion {
    std::uint64_t linea = 0;
    std::uint64_t columna = 0;
};

// The listing pass over a text given in pieces: the distinct wrong
// characters in order of first appearance, how often each occurs (a lone LF
// only when alone), and where each first stands.
class Inventario {
public:
    explicit Inventario(const TablaValidez& tabla, bool vectorial = true);

    void Procesar(const char* datos, std::size_t n);

    const std::vector<unsigned char>& Orden() const { return m_orden; }
    const std::uint64_t (&Cuentas() const)[256] { return m_cuentas; }
    const Posicion& Primera(unsigned char c) const { return m_primera[c]; }
    // Bytes seen so far.
    std::uint64_t Total() const { return m_base; }

private:
    void ProcesarTrozo(const unsigned char* p, std::size_t n);

    Buscador m_buscador;
    std::vector<unsigned char> m_orden;
    std::uint64_t m_cuentas[256]{};
    Posicion m_primera[256];
    std::uint64_t m_base = 0;        // offset of the current piece
    std::uint64_t m_crs = 0;         // CRs before the current piece
    std::uint64_t m_inicioLinea = 0; // offset where the current line begins
};

} // namespace tildora::cli
