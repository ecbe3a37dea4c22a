#pragma once

#include "core/codificacion.h"
#include "core/tabla.h"

#include <array>
#include <cstdint>
#include <string>
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

    // Set only by the scan when the input cannot be read; the caller clears it.
    bool ErrorLectura = false;

    // Rebuilt by every scan; TablaConstruida says whether a scan has run yet.
    TablaValidez CaracteresValidos{};
    bool TablaConstruida = false;

    // The distinct wrong characters in order of first appearance, each by
    // the key it is remembered under: its Windows-1252 byte, or "U+XXXX" for a
    // character outside Windows-1252 (see ClaveDeCaracter); after a scan that
    // found n of them it has n + 1 slots and the last one is empty.
    std::vector<std::string> CaracteresErroneos;

    // (grid row, 0) = wrong character, (grid row, 1) = replacement; row 0 is
    // the header's and stays empty. Sized anew on every acceptance.
    std::vector<std::array<std::string, 2>> Soluciones;

    // The bytes the last scan read: the working copy of the text. The
    // conversion window shows them and the engine corrects them, so the grid
    // and the text always come from one read of the file. A UTF-16 text is
    // held in UTF-8.
    std::string Texto;
    // The encoding the file was recognised to have, which the corrected copy
    // is written in.
    Codificacion CodificacionTexto = Codificacion::Windows1252;

    // Where each line of Texto starts (CR LF, a lone CR or a lone LF ends a
    // line), found by the same read; the text view takes them over. Empty
    // when the read could not find them.
    std::vector<std::uint32_t> InicioLineas;

    // Full path of the replacement store (caracteres.ini).
    std::string RutaAlmacen;
};

} // namespace tildora
