#pragma once

// The search of the engine: where a piece of text must stop, its wrong
// characters. A text's characters are its units: a Windows-1252 text's are
// its bytes, a UTF-8 text's its sequences (a UTF-16 text is turned into UTF-8
// before it gets here). Every piece handed in is made of whole characters,
// with the byte before it (see Costura).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace tildora {

enum class Unidades { Ansi, Utf8 };

// Buscador::Buscar looks at most this much at a time: its list of stops then
// stays in the fastest cache.
inline constexpr std::size_t kTrozoParadas = std::size_t{16} << 10;

// How the search looks at a text: a byte at a time, or 64 at a time where the
// processor can (AVX2, or AVX-512 with VBMI). Every way finds the same.
enum class Via { Sencilla, Avx2, Avx512 };
// The fastest way this processor has.
Via MejorVia();

// Finds the stops in a piece: in a Windows-1252 text, every byte the table
// does not allow but CR (which ends a line, alone or before an LF) and the LF
// of a CR LF (a lone LF is a wrong character); in a UTF-8 text, wrong ASCII
// and the first byte of every sequence but those that make an allowed
// character (C2 or C3 and the next byte), which the caller decodes. It counts
// on the way the line ends (a CR, and a lone LF, in every encoding) and, in UTF-8,
// the bytes that go on a sequence but were not passed through with an
// allowed one: every one of them must belong to a sequence the caller
// decodes, or the text is not UTF-8.
//
// Texts can be large, so this looks at 64 bytes at a time where the
// processor can (AVX2), with a plain loop of the same meaning elsewhere.
class Buscador {
public:
    // A way the processor does not have falls back to the plain loop.
    explicit Buscador(Unidades unidades, Via via = MejorVia());
    // A search for one character instead (how the windows find, mark and
    // count its occurrences): its stops are the places where its bytes, one
    // to four, begin, whole inside the piece; for the LF of a Windows-1252
    // text, only the lone LFs. In a UTF-8 text such a place always begins a
    // character. Cuentas() then says nothing.
    Buscador(Unidades unidades, std::string_view caracter, Via via = MejorVia());

    // The stops among p[0, n), n at most kTrozoParadas; `anterior` is the
    // byte before p (0 at the text's start).
    std::size_t Buscar(const unsigned char* p, std::size_t n, unsigned char anterior);
    const std::uint32_t* Paradas() const { return m_paradas.get(); }
    // What the last call counted.
    struct Cuenta {
        static constexpr std::size_t kNinguno = static_cast<std::size_t>(-1);
        std::uint64_t fines = 0;          // line ends
        std::uint64_t continuaciones = 0; // bytes 0x80 to 0xBF (UTF-8)
        std::uint64_t pasadas = 0;        // of them, held by an allowed C2 or C3 pair
        std::size_t ultimoFin = kNinguno; // just after the last byte of a line end
    };
    const Cuenta& Cuentas() const { return m_cuenta; }
    Via Camino() const { return m_via; }

    // For the SIMD look-up: a byte stops when, for its low nibble l and high
    // nibble h, bajos1[l] & altos1[h] or bajos2[l] & altos2[h] is not zero.
    // Rows of sixteen codes with the same stopping low nibbles share one
    // bit, so any table fits in two sets of eight bits. In UTF-8, for the
    // byte after a C2 or C3, siguiente* say whether the two make an allowed
    // character.
    struct Nibbles {
        alignas(16) std::uint8_t bajos1[16]{};
        alignas(16) std::uint8_t altos1[16]{};
        alignas(16) std::uint8_t bajos2[16]{};
        alignas(16) std::uint8_t altos2[16]{};
        alignas(16) std::uint8_t siguienteBajo[16]{};
        alignas(16) std::uint8_t siguienteAlto[16]{};
        // For AVX-512: each byte's stop as its top bit, and, by the low six
        // bits of the byte after a C2 (bit 0) or a C3 (bit 1), whether the
        // two make an allowed character.
        alignas(64) std::uint8_t parar[256]{};
        alignas(64) std::uint8_t pares[64]{};
    };
    // The character searched for, when there is one.
    struct Aguja {
        std::array<unsigned char, 4> bytes{};
        std::size_t largo = 0; // 0: the table's search
        bool suelto = false;   // only where no CR comes before it (a lone LF)
    };

private:
    Unidades m_unidades;
    std::array<bool, 256> m_parar{};
    std::array<bool, 128> m_pasa{}; // UTF-8: C2/C3 (upper half) and this low six bits pass
    Nibbles m_nibbles;
    Via m_via = Via::Sencilla;
    Cuenta m_cuenta;
    std::unique_ptr<std::uint32_t[]> m_paradas;
    Aguja m_aguja;
};

} // namespace tildora
