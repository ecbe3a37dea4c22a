#pragma once

#include "core/interno/plataforma.h"
#include "core/resultado.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tildora {

// A file written the safe way, in pieces: a temporary file in the target's
// folder (sistema::Temporal), flushed to disk and given the target's name by
// Confirmar. Until then the target is untouched, and a temporary file that
// is never confirmed leaves nothing behind. A target that is a symbolic link
// keeps the link and has its file replaced, as writing through the link
// would. A target that exists but may not be written (a read-only file) is
// refused, as opening it would be, and so is one that is not a file
// (Fallo::Tuberia, Fallo::Dispositivo; a folder). Failures name the target
// (the link's end once it is known). Each new temporary file first removes
// those of writers that are gone from its folder (sistema::Temporal).
class EscrituraSegura {
public:
    // `reemplazar` false: the target may not exist, now or when the file is
    // confirmed; one that appears meanwhile is kept (Fallo::Ocupado).
    Resultado<void> Abrir(const std::string& ruta, bool reemplazar = true);
    Resultado<void> Escribir(const char* datos, std::size_t n);
    Resultado<void> Confirmar();

    // Writes through a named temporary file even where an unnamed one could
    // be had, as on file systems without them. Call before Abrir.
    void UsarNombreTemporal() { m_conNombre = true; }

private:
    Error Fallar(Fallo fallo, int codigo, const std::string& ruta);

    sistema::Temporal m_temporal;
    std::string m_destino;
    bool m_abierto = false;
    bool m_reemplazar = true;
    bool m_conNombre = false;
    bool m_existia = false;
    sistema::Ficha m_ficha;
};

// Removes from the folder that `ruta` is written into (for a link, its end's
// folder) the temporary files of this user's writers that are gone, as
// every EscrituraSegura does first there: for a write that finds nothing to
// change, which makes no file.
void LimpiarCarpetaDe(const std::string& ruta);

// Writes `datos` under `ruta` with an EscrituraSegura.
Resultado<void> EscribirFicheroSeguro(const std::string& ruta, std::string_view datos);

} // namespace tildora
