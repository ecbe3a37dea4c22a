#pragma once

// The text as the accept would write it, seen before accepting: worked out a
// piece at a time (the lines coming into sight) from the document's working
// copy, with the composition of the grid's rows and the walk over the text
// that the accept itself uses, so that what is seen is what is written.
// Positions in the working copy are byte offsets into Documento::texto, as
// for Ocurrencias; a piece's text is in the working copy's form
// (Windows-1252 bytes, or UTF-8 for a UTF-8 or UTF-16 text).

#include "core/correccion.h"
#include "core/documento.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tildora {

// One occurrence of a row's character in a piece: where its replacement
// stands in the piece's text, [inicio, fin) (empty for the delete answer;
// CR LF for a lone LF of a Windows-1252 text), and where the character stood
// in the working copy, [origen, origen + largoOrigen).
struct Cambio {
    std::size_t inicio = 0;
    std::size_t fin = 0;
    std::size_t origen = 0;
    std::size_t largoOrigen = 0;
    // The row, as an index into the rows the preview was made with.
    std::size_t fila = 0;
    // The row has no answer: the character stands there unchanged.
    bool sinRespuesta = false;
    // The replacement is cut short: the piece's replacements reached
    // kLimitePieza there, and the piece ends with it.
    bool recortado = false;
    bool operator==(const Cambio&) const = default;
};

// The replacements of one piece stop at this many bytes (the bytes it keeps
// as they are do not count, however long its lines): only stored
// replacements that feed each other come near it.
inline constexpr std::size_t kLimitePieza = std::size_t{16} << 20;

// The corrected text of the working copy's bytes [desde, hasta).
struct PiezaPrevia {
    std::size_t desde = 0;
    std::size_t hasta = 0;
    // The text they become: the piece's bytes as they are but for the
    // changes; a byte-order mark, at the start of the first piece, as it is.
    std::string texto;
    // Every occurrence of a row's character in the piece, in order.
    std::vector<Cambio> cambios;

    // Where the working copy's byte `origen` (from desde to hasta) stands in
    // `texto`: inside a changed character, where its change begins.
    std::size_t EnPrevia(std::size_t origen) const;
    // Where the byte `previa` of `texto` (up to its end) comes from in the
    // working copy: inside a change, its character's first byte.
    std::size_t EnOrigen(std::size_t previa) const;
};

// The grid's rows, composed once for one document: cheap to make, and made
// again whenever a row's answer changes. A row without an answer (see
// FilasSinSolucion) leaves its character as it is, marked; a row whose answer
// would leave wrong characters, or rows that the accept refuses for the size
// they would make the text, show what they do all the same (the accept then
// says why it refuses them). Keeps a pointer to the document, which must
// outlive it and stay unchanged. Not to be used from two threads at once.
class VistaPrevia {
public:
    VistaPrevia(const Documento& documento, const std::vector<Fila>& filas);
    ~VistaPrevia();
    VistaPrevia(VistaPrevia&&) noexcept;
    VistaPrevia& operator=(VistaPrevia&&) noexcept;

    // The piece of the working copy's bytes [desde, hasta) into `pieza`,
    // whose storage is reused. A character belongs to the piece that holds
    // its first byte: an edge inside a UTF-8 character, or inside the
    // byte-order mark, moves on to the next character, and
    // `pieza.desde`/`pieza.hasta` say where the edges ended. So pieces that
    // meet make the text that the accept writes (in the working copy's form),
    // CR LF and characters cut by an edge included. Needs the working copy:
    // a document read without it has empty pieces.
    void Pieza(std::size_t desde, std::size_t hasta, PiezaPrevia& pieza) const;
    PiezaPrevia Pieza(std::size_t desde, std::size_t hasta) const {
        PiezaPrevia p;
        Pieza(desde, hasta, p);
        return p;
    }

private:
    struct Motor;
    std::unique_ptr<Motor> m_motor;
};

} // namespace tildora
