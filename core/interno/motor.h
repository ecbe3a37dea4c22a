#pragma once

// The engine: one search for the places where a text must stop (its wrong
// characters), one scan that counts them and finds where each first stands,
// and one rewrite that replaces them. A text's characters are its units: a
// Windows-1252 text's are its bytes, a UTF-8 text's its sequences (a UTF-16
// text is turned into UTF-8 before it gets here). Every piece handed in is
// made of whole characters, with the byte before it (see Costura).

#include "core/documento.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

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
// on the way the line ends (a CR, and in UTF-8 a lone LF too) and, in UTF-8,
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

private:
    Unidades m_unidades;
    std::array<bool, 256> m_parar{};
    std::array<bool, 128> m_pasa{}; // UTF-8: C2/C3 (upper half) and this low six bits pass
    Nibbles m_nibbles;
    Via m_via = Via::Sencilla;
    Cuenta m_cuenta;
    std::unique_ptr<std::uint32_t[]> m_paradas;
};

// Where each character of the scan stands in its list.
class IndiceCaracteres {
public:
    // The place of `cp` in the list, `nuevo` when it was not there.
    std::uint32_t Lugar(char32_t cp, bool& nuevo) {
        std::uint32_t* celda = cp < 0x100 ? &m_bajos[cp] : cp < 0x10000 ? &Bmp()[cp] : &m_resto[cp];
        nuevo = *celda == 0;
        if (nuevo) {
            *celda = ++m_cuantos;
        }
        return *celda - 1;
    }
    // The place of `cp`, or -1.
    std::int64_t Buscar(char32_t cp) const;

private:
    std::uint32_t* Bmp() {
        if (!m_bmp) {
            m_bmp = std::make_unique<std::uint32_t[]>(0x10000);
        }
        return m_bmp.get();
    }
    // Place + 1 of each code: below U+0100 (a Windows-1252 text needs no
    // more), below U+10000, and above.
    std::array<std::uint32_t, 0x100> m_bajos{};
    std::unique_ptr<std::uint32_t[]> m_bmp;
    std::unordered_map<char32_t, std::uint32_t> m_resto;
    std::uint32_t m_cuantos = 0;
};

// What a scan of a stretch of text found. A character's unit is its code
// (for a Windows-1252 text, the byte's own value), in order of first
// appearance.
struct Recuento {
    struct Primera {
        char32_t unidad = 0;
        std::uint64_t linea = 0;   // line ends before it in the stretch
        std::uint64_t columna = 0; // from 1: in its line, or from the stretch's start
    };
    std::vector<Primera> primeras;
    std::vector<std::uint64_t> cuentas; // by place in `primeras`
    std::uint64_t bytes = 0;
    std::uint64_t fines = 0;        // line ends
    std::uint64_t columnaFinal = 0; // units after the last line end (or the start)
    // UTF-8: whether the text stopped being UTF-8, and the continuation
    // bytes that no sequence held (any is one standing alone).
    bool invalido = false;
    std::int64_t sueltas = 0;

    bool Utf8Valido() const { return !invalido && sueltas == 0; }

    // Joins the stretch that follows this one.
    void Unir(const Recuento& siguiente);
};

// The scan of one stretch of a text handed in pieces of whole characters.
class Escaneo {
public:
    explicit Escaneo(Unidades unidades, Via via = MejorVia());

    // What a walk over the text does at each wrong character, besides
    // counting it: the rewrite replaces it. `pos` is its offset in the piece
    // handed to Procesar, `lugar` its place in the list. False stops the walk.
    class Paradas {
    public:
        virtual bool Parada(std::size_t pos, std::size_t largo, std::uint32_t lugar) = 0;

    protected:
        ~Paradas() = default;
    };

    // False when `paradas` stopped it, or the text is not UTF-8.
    bool Procesar(const unsigned char* p, std::size_t n, unsigned char anterior,
                  Paradas* paradas = nullptr);
    Recuento& Resultado() { return m_recuento; }
    Via Camino() const { return m_buscador.Camino(); }

private:
    // Where a character first stands: its line and column from where the
    // search's stretch `p` begins.
    void Situar(Recuento::Primera& primera, const unsigned char* p, std::size_t pos,
                std::uint64_t finesAntes, unsigned char anterior) const;
    // A stretch of at most kTrozoParadas at `desde` in the piece p; false
    // when the text is not UTF-8 (Recuento::invalido) or `paradas` stopped.
    bool Buscar(const unsigned char* p, std::size_t desde, std::size_t m, std::size_t n,
                unsigned char antes, Paradas* paradas);

    // The place in the list of the character at a stop, found by its bytes;
    // -1 for an allowed one; -2 when the text is not UTF-8 there. A stop's
    // bytes seen before are not decoded again: most of a text's stops are a
    // few characters over and over.
    std::int64_t Lugar(const unsigned char* p, std::size_t pos, std::size_t resto, int& largo,
                       std::uint64_t finesAntes, unsigned char anterior);

    Unidades m_unidades;
    Buscador m_buscador;
    IndiceCaracteres m_indice;
    Recuento m_recuento;
    // The bytes of a character (up to four, read as one word), by a hash of
    // them, and its place (or -1).
    struct Visto {
        std::uint32_t bytes = 0;
        std::int32_t lugar = -3; // none yet
    };
    std::array<Visto, 256> m_vistos{};
    std::array<std::int32_t, 256> m_porByte = Ninguno(); // Windows-1252: the place of each byte

    static std::array<std::int32_t, 256> Ninguno() {
        std::array<std::int32_t, 256> a;
        a.fill(-3);
        return a;
    }
};

// Whether a text (handed as Escaneo takes it) is UTF-8, checked on the way
// while it is scanned as Windows-1252. It stops looking once it is not.
class ValidadorUtf8 {
public:
    void Procesar(const unsigned char* p, std::size_t n);
    bool Invalido() const { return m_invalido; }
    bool Multibyte() const { return m_multibyte; }
    // Joins the validator of the stretch that follows.
    void Unir(const ValidadorUtf8& v) {
        m_invalido = m_invalido || v.m_invalido;
        m_multibyte = m_multibyte || v.m_multibyte;
    }

private:
    bool m_invalido = false;
    bool m_multibyte = false;
};

// The wrong characters of a scan in the form the program hands on.
std::vector<Hallazgo> HallazgosDe(const Recuento& r, Unidades unidades);

} // namespace tildora
