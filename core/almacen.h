#pragma once

#include "core/lectura.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora {

enum class ResultadoOlvido {
    Olvidada, // the answer was there and is gone
    NoEstaba, // no answer to remove: nothing written
    Fallo     // the store could not be read or written: left as it was
};

// The replacement store, caracteres.ini: an INI file that the Windows
// private-profile service can read and write as well. Its text is
// Windows-1252 bytes, or, after a byte-order mark (an editor saved it so),
// UTF-8 or UTF-16; the program always sees Windows-1252 keys and values (a
// character Windows-1252 lacks is the key "U+XXXX"), and what it writes goes
// into the file in the file's own encoding, every other line kept byte for
// byte.
// Every call reads or writes the file at once; nothing is cached. A write
// holds an exclusive lock (on caracteres.ini.lock beside the store, there
// only while it is held) from reading the file to renaming its new copy over
// it, so answers stored at once by several programs are all kept; a read
// takes the file as one of those renames left it, whole.
class AlmacenSoluciones {
public:
    explicit AlmacenSoluciones(std::string ruta) : m_ruta(std::move(ruta)) {}

    const std::string& Ruta() const { return m_ruta; }

    // The value stored under `clave` in `seccion`, cut to 127 bytes; empty
    // when the file, the section or the key is missing.
    std::string LeerSolucion(std::string_view seccion, std::string_view clave) const;

    // Stores `valor` under `clave`, replacing an earlier value in place and
    // keeping every other byte of the file. Nonzero on success; on failure the
    // file is left as it was and `error` (if given) says why, naming the file.
    std::int16_t GuardarSolucion(std::string_view seccion, std::string_view clave,
                                 std::string_view valor, std::string* error = nullptr) const;

    // Removes the answer stored under `clave` (every entry of it in the
    // section, so that no older one comes back), keeping every other byte of
    // the file; written as GuardarSolucion writes, under the same lock. On
    // failure `error` (if given) says why, naming the file.
    ResultadoOlvido OlvidarSolucion(std::string_view seccion, std::string_view clave,
                                    std::string* error = nullptr) const;

    // The whole store, read once, for many look-ups that must agree (see
    // SolucionEn). A missing store is an empty one and no failure; any other
    // failure (a folder, no permission, too large, a read error) leaves
    // `bytes` empty.
    ResultadoLectura Leer(std::string& bytes) const;

private:
    enum class Cambio { Hecho, Ninguno, Fallo };
    // The one way the store is changed: under the lock, the file is read
    // (a missing one is empty), `cambiar` gives its new bytes, or nothing to
    // leave it as it is (Ninguno), and the new copy replaces it in one rename.
    Cambio Cambiar(const std::function<std::optional<std::string>(std::string_view)>& cambiar,
                   std::string& error) const;

    std::string m_ruta;
};

// The value stored under `clave` in `seccion` of a store's bytes, as
// LeerSolucion gives it. A value that Windows-1252 cannot hold (in a UTF-8
// or UTF-16 store) is no answer: empty.
std::string SolucionEn(std::string_view bytes, std::string_view seccion, std::string_view clave);

// A store's bytes with `valor` stored under `clave`, as GuardarSolucion
// writes them; nothing when that cannot be stored as given.
std::optional<std::string> ConSolucion(std::string_view bytes, std::string_view seccion,
                                       std::string_view clave, std::string_view valor);

// A store's bytes without any entry of `clave` in `seccion`, as
// OlvidarSolucion writes them: each such line goes with its line break, and
// every other byte stays; nothing when there is no such entry.
std::optional<std::string> SinSolucion(std::string_view bytes, std::string_view seccion,
                                       std::string_view clave);

// Every key of `seccion` in a store's bytes, in the file's order, each once,
// with the value SolucionEn gives for it.
std::vector<std::pair<std::string, std::string>> SolucionesEn(std::string_view bytes,
                                                              std::string_view seccion);

// The lines, numbered from 1 as an editor numbers them, of the entries of
// `seccion` that SolucionesEn reads as no answer because Windows-1252 cannot
// hold their value (only a UTF-8 or UTF-16 store can hold such a value).
std::vector<std::size_t> LineasSinValor(std::string_view bytes, std::string_view seccion);

// Marks a build folder: the build writes it beside the executables and
// installing never copies it.
#ifndef TILDORA_MARCA_COMPILACION
#define TILDORA_MARCA_COMPILACION ".tildora-compilacion"
#endif
inline constexpr std::string_view kMarcaCompilacion = TILDORA_MARCA_COMPILACION;

// Where the store lives. A caracteres.ini in the program's folder is always
// the store. Otherwise, in a build folder (one holding kMarcaCompilacion) the
// store goes beside the program when that folder can be written, else into
// the user's configuration folder for the program; an installed copy (any
// other folder) always keeps it in the user's folder and never writes into
// its own: for root that folder would be /usr/bin. Empty when an installed
// copy knows no user folder.
std::string ElegirRutaAlmacen(const std::string& carpetaPrograma,
                              const std::string& carpetaUsuario);

// The store path for this run: ElegirRutaAlmacen with the folder of the
// running executable and the user's configuration folder for the program
// ($XDG_CONFIG_HOME/tildora, else ~/.config/tildora). The windows and the
// command line use the same one.
std::string RutaAlmacenPorDefecto();

// The user's configuration folder for the program: $XDG_CONFIG_HOME/tildora
// when that is an absolute path, else ~/.config/tildora; empty when no home
// folder is known.
std::string CarpetaConfiguracionUsuario();

} // namespace tildora
