#pragma once

#include "core/caracteres.h"
#include "core/documento.h"
#include "core/progreso.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

// The program's shared state. main creates one and hands it to every window
// it creates; tests build their own.
struct Estado {
    // Input and output names as trimmed by the file-selection window.
    std::string FicheroEntrada;
    std::string FicheroSalida;
    // The user agreed to replace the output file that was there.
    bool ReemplazarSalida = false;
    // The file picked last in a file dialog in this run, input or output:
    // the next dialog starts in its folder when the boxes name nothing.
    std::string UltimoElegido;

    // Set only by the scan when the input cannot be read; the caller clears it.
    bool ErrorLectura = false;

    // Rebuilt by every scan; TablaConstruida says whether a scan has run yet.
    TablaValidez CaracteresValidos{};
    bool TablaConstruida = false;

    // The distinct wrong characters in order of first appearance, each by
    // the key it is remembered under (see ClaveDeCaracter); after a scan that
    // found n of them it has n + 1 slots and the last one is empty.
    std::vector<std::string> CaracteresErroneos;

    // What the last scan read: the working copy of the text, which the
    // conversion window shows and the accept corrects, so the grid and the
    // text always come from one read of the file.
    Documento documento;

    // Full path of the replacement store (caracteres.ini).
    std::string RutaAlmacen;
};

// How the core tells the user something. The core never shows anything
// itself: the windows hand it a message box, the command line a stream.
class Avisador {
public:
    virtual ~Avisador() = default;
    // Shows one message (UTF-8) with an OK button and waits for it.
    virtual void Mensaje(const std::string& texto) = 0;
};

// The working copy lives in memory: a larger file, or one larger than the
// memory free for it, is refused rather than exhausting the machine.
inline constexpr std::uint64_t kTamanoMaximoEntrada = std::uint64_t{4} << 30;

// Scans the file at `ruta`: rebuilds the validity table, fills
// CaracteresErroneos (n + 1 slots) and the document with the text read.
// Returns true when at least one wrong character was found. When the file
// cannot be read (missing, a folder, no permission, a read error) it sets
// ErrorLectura, tells the user once through `avisador` (the read-failure
// message, then the file and the reason) and returns false; a file too
// large for the window (larger than the memory this process may still take,
// sistema::MemoriaDisponible, or than memory turns out to hold), or not
// valid UTF-16, is told apart. With
// `progreso`, the bytes read are counted there; a stop asked for there
// returns false with nothing listed, no text kept and nothing said.
bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador,
                   Progreso* progreso = nullptr);

// True when one of the slots of CaracteresErroneos holds exactly `caracter`.
bool EstaEnLista(const Estado& estado, std::string_view caracter);

} // namespace tildora
