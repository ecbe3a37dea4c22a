#pragma once

#include "core/codificacion.h"
#include "core/escaneo.h"
#include "core/lectura.h"
#include "core/progreso.h"
#include "core/utf8.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tildora {

// One distinct wrong character of a text, whatever its encoding.
struct Hallazgo {
    // The key it is remembered under (see ClaveDeCaracter); for a
    // Windows-1252 text, the byte itself.
    std::string clave;
    char32_t caracter = 0;
    std::uint64_t cuenta = 0;
    Posicion primera;
};

// A text read and scanned in its encoding. A Windows-1252 text is scanned
// byte for byte as ever; a UTF-8 or UTF-16 text as Unicode characters, in
// UTF-8 (a UTF-16 text is turned into UTF-8 as it is read).
struct Analisis {
    Codificacion codificacion = Codificacion::Windows1252;
    // Bytes of the byte-order mark at the start of the text in UTF-8 (a
    // UTF-16 mark becomes the UTF-8 one), which is no character of it.
    std::size_t marca = 0;
    std::optional<Escaner> ansi;     // a Windows-1252 text
    std::optional<EscanerUtf8> utf8; // a UTF-8 or UTF-16 text

    bool Unicode() const { return codificacion != Codificacion::Windows1252; }
    // The wrong characters in order of first appearance.
    std::vector<Hallazgo> Hallazgos() const;
    // Bytes of the text as scanned (in UTF-8 for UTF-16).
    std::uint64_t Total() const;
};

// Reads an open file and scans it in the encoding it is recognised to have
// (see Reconocedor), or in `forzada` when given. The first piece read
// suggests the encoding and the scan follows it; if the whole text then says
// otherwise, it is scanned again, from `destino` when the text was kept there,
// else read again (an input that cannot be read twice is kept in `destino`
// by the caller). With `destino`, the text is kept there as read (UTF-16 as
// it was: see TextoUtf8). A UTF-16 text that is not valid UTF-16, or a text
// forced to UTF-8 that is not valid UTF-8, fails with FalloLectura::
// Codificacion.
// With `indice`, the line starts of the text kept in `destino` are found on
// the same pass (as read: for UTF-16 they must be found again in UTF-8).
ResultadoLectura Analizar(Lector& lector, std::optional<Codificacion> forzada, std::string* destino,
                          Analisis& analisis, Progreso* progreso = nullptr,
                          IndiceLineas* indice = nullptr, const TablaValidez& tabla = TablaFija());

// The same for a text in memory.
ResultadoLectura AnalizarTexto(std::string_view texto, std::optional<Codificacion> forzada,
                               Analisis& analisis, const TablaValidez& tabla = TablaFija());

// The text kept by Analizar as the program handles it: UTF-16 becomes
// UTF-8 (in place); other texts stay as they are. False when it is not valid
// UTF-16.
bool TextoUtf8(Codificacion codificacion, std::string& texto);

} // namespace tildora
