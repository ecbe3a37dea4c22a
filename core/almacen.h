#pragma once

// The replacement store, caracteres.ini (see core/interno/ini.h for its
// text). Every call reads or writes the file at once; nothing is cached. A
// write holds an exclusive lock (on caracteres.ini.lock beside the store,
// which stays there: only the lock counts, and every user who may change the
// store may take it) from reading the file to renaming its new copy over it,
// so answers stored at once by several programs are all kept; a read takes
// the file as one of those renames left it, whole.

#include "core/resultado.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora {

// The store's answers as read once, for many look-ups that must agree.
class Respuestas {
public:
    Respuestas() = default;
    explicit Respuestas(std::string bytes) : m_bytes(std::move(bytes)) {}

    // The answer remembered for `clave` in section "lista": nothing when
    // there is none, an empty text for the delete answer (the character
    // goes), otherwise its replacement (Windows-1252 bytes, at most 127).
    // None for a line break (CR or LF), whatever the file holds: the
    // program never uses one.
    std::optional<std::string> Recordada(std::string_view clave) const;
    // The replacement for `clave`, as LeerSolucion gives it: empty for no
    // answer and for the delete answer alike.
    std::string Solucion(std::string_view clave) const;
    // Every key of "lista" in the file's order, each once, with its answer
    // as Recordada gives it; line breaks left out.
    std::vector<std::pair<std::string, std::optional<std::string>>> Todas() const;
    // The lines (from 1) of the answers that Windows-1252 cannot hold, which
    // are no answers (only a UTF-8 or UTF-16 store can hold such a value).
    std::vector<std::size_t> LineasSinValor() const;

private:
    std::string m_bytes;
};

class AlmacenSoluciones {
public:
    explicit AlmacenSoluciones(std::string ruta) : m_ruta(std::move(ruta)) {}

    const std::string& Ruta() const { return m_ruta; }

    // The value stored under `clave` in `seccion`, cut to 127 bytes; empty
    // when the file, the section or the key is missing, or cannot be read,
    // and for the delete answer.
    std::string LeerSolucion(std::string_view seccion, std::string_view clave) const;

    // Stores `valor` under `clave`, replacing an earlier value in place and
    // keeping every other byte of the file. On failure the file is left as
    // it was and the error names it: Fallo::AlmacenGrande when the store
    // would pass its limit of 4 MiB, Fallo::Codificacion when its text is
    // UTF-16 cut in the middle of a unit, where nothing written could be
    // read back.
    Resultado<void> GuardarSolucion(std::string_view seccion, std::string_view clave,
                                    std::string_view valor) const;
    // Stores the delete answer under `clave`, as GuardarSolucion stores a
    // value. It is written as the quoted empty value `""`, which the Windows
    // profile service, and so an older copy of the program, reads as no
    // answer.
    Resultado<void> GuardarBorrado(std::string_view seccion, std::string_view clave) const;

    // Removes the answer stored under `clave` (every entry of it in the
    // section, so that no older one comes back), keeping every other byte,
    // written as GuardarSolucion writes: true when there was one, false when
    // there was none (nothing written).
    Resultado<bool> OlvidarSolucion(std::string_view seccion, std::string_view clave) const;

    // The whole store, read once. A missing store is an empty one and no
    // failure; a folder, a pipe or a device (Fallo::NoRegular), no
    // permission, over 4 MiB (Fallo::AlmacenGrande) or a read error is.
    Resultado<Respuestas> Leer() const;

private:
    std::string m_ruta;
};

// Where the store lives. A caracteres.ini in the program's folder is always
// the store. Otherwise, in a build folder (one holding the build's mark) the
// store goes beside the program when that folder can be written, else into
// the user's configuration folder for the program; an installed copy (any
// other folder) always keeps it in the user's folder and never writes into
// its own: for root that folder would be /usr/bin. Empty when an installed
// copy knows no user folder. On Windows every copy keeps its store as a
// build folder's does: beside the program wherever that folder can be
// written (a copy unpacked anywhere), else in %APPDATA%\tildora (one in a
// folder only the administrator may change, such as C:\Program Files); but
// a copy the installer put there (its mark, .tildora-instalada, beside the
// program) keeps it in %APPDATA%\tildora as an installed copy does.
std::string ElegirRutaAlmacen(const std::string& carpetaPrograma,
                              const std::string& carpetaUsuario);

// The store path for this run: ElegirRutaAlmacen with the folder of the
// running executable and the user's configuration folder for the program
// ($XDG_CONFIG_HOME/tildora, else ~/.config/tildora; %APPDATA%\tildora on
// Windows). The windows and the command line use the same one.
std::string RutaAlmacenPorDefecto();

// A small file of the user's own settings apart from the store (the
// windows' sizes): `nombre` in the user's configuration folder for the
// program, as above; empty when no such folder is known.
std::string RutaAjusteUsuario(std::string_view nombre);
// A settings file read whole; nothing when it is missing, cannot be read, is
// no ordinary file or is over `maximo` bytes.
std::optional<std::string> LeerAjuste(const std::string& ruta, std::size_t maximo);
// A settings file written whole or not at all (a temporary file renamed over
// it), its folder made first when missing.
Resultado<void> GuardarAjuste(const std::string& ruta, std::string_view datos);

} // namespace tildora
