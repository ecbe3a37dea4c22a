#pragma once

#include "core/avisos.h"
#include "core/estado.h"
#include "core/lectura.h"
#include "core/lineas.h"
#include "core/progreso.h"
#include "core/tabla.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

// Buscador::Buscar looks at most this much at a time: its list of stops
// then stays in the fastest cache.
inline constexpr std::size_t kTrozoParadas = std::size_t{16} << 10;

// Finds, in a text given in pieces, the bytes that the scan stops on: the
// wrong characters. A CR is never one (it ends a line, alone or before an LF)
// and neither is the LF of a CR LF; a lone LF is. A piece may end anywhere, a
// CR LF split between two pieces included.
//
// Texts can be large, so this looks at 64 bytes at a time where the
// processor can (AVX2), with a plain loop of the same meaning elsewhere.
class Buscador {
public:
    // `vectorial` false forces the plain loop (for tests). With `unicode`,
    // the text is UTF-8: the first byte of every multi-byte sequence (0xC0
    // up) stops, and the caller decodes the character there; the bytes that
    // go on a sequence (0x80 to 0xBF) never stop but are counted; a lone LF
    // ends a line and never stops.
    explicit Buscador(const TablaValidez& tabla, bool vectorial = true, bool unicode = false);

    // Finds the stops in the first kTrozoParadas bytes (at most) of a piece
    // and returns how many there are; Paradas() holds their offsets.
    std::size_t Buscar(const unsigned char* datos, std::size_t n);
    const std::uint32_t* Paradas() const { return m_paradas.get(); }

    // Number of CRs in the last piece (with `unicode`, of line ends).
    std::uint64_t CrsDelTrozo() const { return m_crs; }

    // With `unicode`: the continuation bytes (0x80 to 0xBF) in the last
    // piece.
    std::uint64_t ContinuacionesDelTrozo() const { return m_continuaciones; }
    // With `unicode`: the C2 and C3 bytes in the last piece that did not
    // stop because they and the next byte make an allowed character (each
    // holds one continuation byte).
    std::uint64_t SaltadasDelTrozo() const { return m_saltadas; }

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
        // With `unicode`: for the byte after a C2 or C3, whether the two make
        // an allowed character (see the constructor).
        alignas(16) std::uint8_t siguienteBajo[16]{};
        alignas(16) std::uint8_t siguienteAlto[16]{};
    };

private:
    std::array<bool, 256> m_parar{};
    std::array<bool, 128> m_saltable{};
    bool m_unicode = false;
    Nibbles m_nibbles;
    bool m_vectorial = false;
    bool m_crPendiente = false;
    std::uint64_t m_crs = 0;
    std::uint64_t m_continuaciones = 0;
    std::uint64_t m_saltadas = 0;
    std::unique_ptr<std::uint32_t[]> m_paradas;
};

// Where a character first stands: line and column both from 1, the column
// counted in bytes; lines end at CR LF or at a lone CR.
struct Posicion {
    std::uint64_t linea = 0;
    std::uint64_t columna = 0;
};

// The scan of a text given in pieces: the distinct wrong characters in order
// of first appearance, how often each occurs (a lone LF only when alone), and
// where each first stands. Lines end at CR LF or at a lone CR and the ending
// is never checked; a lone LF is an ordinary character.
class Escaner {
public:
    explicit Escaner(const TablaValidez& tabla, bool vectorial = true);

    void Procesar(const char* datos, std::size_t n);

    // Wrong characters found so far, in order of first appearance.
    const std::vector<unsigned char>& Encontrados() const { return m_orden; }
    const std::uint64_t (&Cuentas() const)[256] { return m_cuentas; }
    const Posicion& Primera(unsigned char c) const { return m_primera[c]; }
    // Bytes seen so far.
    std::uint64_t Total() const { return m_base; }
    bool Vectorial() const { return m_buscador.Vectorial(); }

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

// Reads an open file to its end and scans it, each piece on a second thread
// while the next one is read. With `destino` the whole text is kept there
// (its storage reused); without, the file is read through two buffers. With
// `progreso`, the bytes read are counted there, and a stop asked for there
// ends the read with FalloLectura::Cancelada. With `indice`, the line starts
// of the text kept in `destino` are found on the same pass.
ResultadoLectura LeerYEscanear(Lector& lector, Escaner& escaner, std::string* destino,
                               Progreso* progreso = nullptr, IndiceLineas* indice = nullptr);

// What LeerYEscanear does with any work on the pieces: `procesar` gets
// each piece, in order, on a second thread while the next one is read.
using ProcesarTrozo = std::function<void(const char* datos, std::size_t n)>;
ResultadoLectura LeerYProcesar(Lector& lector, std::string* destino, Progreso* progreso,
                               const ProcesarTrozo& procesar);

// The working copy lives in memory: a larger file, or one larger than the
// memory free for it, is refused rather than exhausting the machine.
inline constexpr std::uint64_t kTamanoMaximoEntrada = std::uint64_t{4} << 30;

// Scans the file at `ruta`: rebuilds the validity table, fills
// CaracteresErroneos (n + 1 slots) and keeps the bytes read in estado.Texto,
// and their line starts in estado.InicioLineas.
// Returns true when at least one wrong character was found. When the file
// cannot be read (missing, a folder, no permission, a read error) it sets
// ErrorLectura, tells the user once through `avisador` and returns false; a
// file too large for the window is told apart, with the way to correct it
// on the command line. With `progreso`, the bytes read are counted there; a
// stop asked for there returns false with nothing listed, no text kept and
// nothing said.
bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador,
                   Progreso* progreso = nullptr);

// The memory the system could give now, in bytes (as much as anyone could
// want where it does not say).
std::uint64_t MemoriaDisponible();

// True when one of the slots of CaracteresErroneos holds exactly `caracter`.
bool EstaEnLista(const Estado& estado, std::string_view caracter);

} // namespace tildora
