#pragma once

// Correcting a scanned text with the grid's rows, and the accept sequence
// that both front ends call.

#include "core/documento.h"
#include "core/progreso.h"
#include "core/resultado.h"
#include "core/unicode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

class AlmacenSoluciones;

// One grid row: a wrong character, by the key it is remembered under, and
// its answer: a replacement (Windows-1252 bytes), the delete answer
// (`borrar`: the character goes, each occurrence counted as one correction;
// `sustituto` is then not used), or none (an empty `sustituto`).
struct Fila {
    std::string clave;
    std::string sustituto;
    bool borrar = false;
};

// The row for `clave` with an answer as Respuestas::Recordada and
// PropuestaDeClave give one: nothing for none, an empty text for the delete
// answer, otherwise the replacement.
Fila FilaCon(std::string clave, std::optional<std::string_view> respuesta);

// A lone LF of a Windows-1252 text is listed as a wrong character, but it is
// a line break: its row's answer is always CR LF, the line end of the texts
// this program reads and writes. That row needs no answer (whatever it holds
// is not used), is never stored, and each lone LF counts as one correction,
// so the result is clean. (CR is never listed.)
inline constexpr std::string_view kSaltoDeLinea = "\r\n";
inline bool EsSaltoDeLinea(std::string_view clave) {
    return clave == "\n";
}

// The rows, in grid order, that have no answer (neither a replacement nor
// the delete answer; the line break's needs none).
std::vector<std::size_t> FilasSinSolucion(const std::vector<Fila>& filas);

// The rows whose replacement would still hold a wrong character once the
// rows below it have had their turn: a character no row further down
// replaces (one listed further up, or the row's own), or one whose row
// further down is itself not clean. CR and LF are the text's line breaks,
// never wrong here, and the line break's row is always clean. Empty: the rows
// leave a clean text.
std::vector<std::size_t> FilasNoLimpias(const std::vector<Fila>& filas);

// Outputs that would grow this much are refused: only stored replacements
// that feed each other can grow a text this far.
inline constexpr std::uint64_t kTamanoMaximoSalida = std::uint64_t{2} << 30;

struct OpcionesCorreccion {
    // Where the corrected text goes: the file `salida` ("-": standard
    // output), or `memoria` when given.
    std::string salida;
    std::string* memoria = nullptr;
    // Its encoding; the input's when not given. The output has a byte-order
    // mark when the input had one, and when it is turned into UTF-16 from
    // another encoding (UTF-16 is recognised by it); never in Windows-1252.
    std::optional<Codificacion> codificacion;
    // Whether a file there may be replaced; otherwise one that is there when
    // the output is written, or comes meanwhile, is kept (Fallo::Ocupado).
    bool reemplazar = true;
    // Where every row is remembered first (the window); fix never stores.
    const AlmacenSoluciones* almacen = nullptr;
    // A corrected text larger than this is refused before anything is
    // written.
    std::uint64_t limite = kSinLimite;
    // The bytes corrected are counted there; a stop asked for there before
    // the output has its name ends with nothing written (Fallo::Cancelado).
    Progreso* progreso = nullptr;
};

struct Aceptacion {
    // The corrections made (every occurrence replaced, and every one that a
    // replacement brought and a row below replaced, counts once), or why
    // nothing was written.
    Resultado<std::uint64_t> correcciones = Falla(Fallo::Cancelado);
    // Why the first row that could not be remembered was not; the accept
    // goes on without it.
    std::optional<Error> almacen;
};

// Accepting the grid: rows without an answer, or that would leave wrong
// characters (Fallo::FaltanSoluciones, Fallo::NoLimpias, naming them), stop
// it before anything is stored or written. Then every row is remembered (so
// it stays remembered whatever the writing does; the delete answer as
// AlmacenSoluciones::GuardarBorrado stores it; the line break's is not),
// the text the scan saw is corrected, written the safe way, and the
// corrections counted. The text is read again from its file, or taken from
// the document's working copy; it must still be the one scanned
// (Fallo::Cambiado). A text written in Windows-1252 from UTF-8 or UTF-16 gets
// CR LF for every lone LF, for the same reason; it adds no correction.
// Memory that runs out is Fallo::Grande, with nothing written.
Aceptacion Aceptar(const Documento& documento, const std::vector<Fila>& filas,
                   const OpcionesCorreccion& opciones);

} // namespace tildora
