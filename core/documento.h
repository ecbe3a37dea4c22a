#pragma once

// A text opened and scanned: its encoding, its distinct wrong characters
// with how often each occurs and where each first stands, and, when it is
// kept, its working copy. The correction (core/correccion.h) corrects what
// the scan saw.

#include "core/progreso.h"
#include "core/resultado.h"
#include "core/unicode.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

inline constexpr std::uint64_t kSinLimite = std::numeric_limits<std::uint64_t>::max();

// Where a character first stands: line and column both from 1. Lines end at
// CR LF, a lone CR and a lone LF in every encoding (a Windows-1252 text still
// lists its lone LFs, which end their line all the same); the column counts
// bytes in a Windows-1252 text and characters in a UTF-8 or UTF-16 one.
struct Posicion {
    std::uint64_t linea = 0;
    std::uint64_t columna = 0;
};

// One distinct wrong character of a text, whatever its encoding.
struct Hallazgo {
    // The key it is remembered under (see ClaveDeCaracter); for a
    // Windows-1252 text, the byte itself.
    std::string clave;
    char32_t caracter = 0;
    std::uint64_t cuenta = 0;
    Posicion primera;
};

namespace detalle {
struct Origen;
}

// An ordinary file as it stood: its size, and when its contents last
// changed (seconds, and what the system keeps below them).
struct SelloFichero {
    std::uint64_t tamano = 0;
    std::int64_t modificado = 0;
    std::int64_t fraccion = 0;
    bool operator==(const SelloFichero&) const = default;
};

struct Documento {
    Codificacion codificacion = Codificacion::Windows1252;
    // The wrong characters in order of first appearance.
    std::vector<Hallazgo> hallazgos;
    // The working copy, when it was kept: the bytes read, a UTF-16 text in
    // UTF-8; `marca` bytes of a byte-order mark at its start are no
    // character of it. `inicioLineas` are its line starts (CR LF, a lone CR
    // and a lone LF each end one), found on the same read.
    std::string texto;
    std::size_t marca = 0;
    std::vector<std::uint32_t> inicioLineas;

    bool Unicode() const { return codificacion != Codificacion::Windows1252; }

    // The file it was read from, as it stood when opened; none for what is
    // not an ordinary file (standard input, a pipe, a text in memory).
    std::optional<SelloFichero> leido;

    // How it was read and what the scan counted, for the correction.
    std::shared_ptr<detalle::Origen> origen;
};

struct OpcionesLectura {
    // Read standard input; the name is then only what messages call it.
    bool entradaEstandar = false;
    // The encoding to read it in, instead of the one it is recognised to
    // have. Recognition picks, of the readings the bytes allow, the one a
    // person means: a UTF-16 byte-order mark gives UTF-16, a UTF-8 mark
    // UTF-8; valid UTF-8 holding a multi-byte sequence is UTF-8 unless it
    // reads as Windows-1252 with no wrong character but lone LFs; plain
    // ASCII is UTF-8 when a lone LF ends a line (a Unix text), and reads the
    // same either way otherwise; anything else, a text that is not valid
    // UTF-8 to its last byte, is Windows-1252.
    std::optional<Codificacion> codificacion;
    // Keep the working copy (the windows show and correct it).
    bool conservarTexto = false;
    // Only an ordinary file will do (the windows); otherwise a pipe or a
    // device is read as it comes. As it cannot be read twice, it is held in
    // memory when the working copy is kept, and otherwise copied as it is
    // read to a file without a name in the temporary folder ($TMPDIR, else
    // /tmp), from which the correction reads it again: memory stays the
    // same whatever its size. A copy that cannot be written fails with
    // Fallo::Copia.
    bool soloOrdinario = false;
    // Only the wrong characters are wanted, never a correction (check): a
    // pipe is then read once and copied nowhere.
    bool soloHallazgos = false;
    // A larger text is refused (Fallo::Grande) before it is read, or as soon
    // as it is known to be larger.
    std::uint64_t limite = kSinLimite;
    // The bytes read are counted there; a stop asked for there ends the read
    // with Fallo::Cancelado.
    Progreso* progreso = nullptr;
};

// Opens and scans the file `nombre`. A UTF-16 text that is
// not valid UTF-16, or a text read as UTF-8 that is not UTF-8, fails with
// Fallo::Codificacion.
Resultado<Documento> AbrirDocumento(const std::string& nombre, const OpcionesLectura& opciones);

// The file `nombre` as it stands now, opened for reading as a scan opens it;
// why not when it cannot be (gone, no permission, a folder, no longer an
// ordinary file). Against Documento::leido it tells a file changed since it
// was read.
Resultado<SelloFichero> SelloDeFichero(const std::string& nombre);

// The same for a text in memory (the document keeps it as its working copy).
Resultado<Documento> DocumentoDeTexto(std::string texto,
                                      std::optional<Codificacion> codificacion = std::nullopt);

// The line starts of a text but its first, just after an LF or after a CR
// that no LF follows, appended to `inicios`. Offsets are 32-bit: the windows
// take texts of at most 4 GiB.
void BuscarInicios(const char* texto, std::size_t n, std::vector<std::uint32_t>& inicios);

} // namespace tildora
