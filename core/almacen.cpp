#include "core/almacen.h"

#include "core/caracteres.h"
#include "core/interno/escritura.h"
#include "core/interno/ini.h"
#include "core/interno/lector.h"
#include "core/interno/plataforma.h"
#include "core/textos.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#ifndef TILDORA_MARCA_COMPILACION
#define TILDORA_MARCA_COMPILACION ".tildora-compilacion"
#endif

namespace tildora {

namespace {

// A store holds a few hundred short lines at most. Anything bigger is not
// ours: it is neither read nor rewritten.
constexpr std::size_t kTamanoMaximoAlmacen = 4 * 1024 * 1024;

// Marks a build folder: the build writes it beside the executables and
// installing never copies it.
constexpr std::string_view kMarcaCompilacion = TILDORA_MARCA_COMPILACION;
// Marks a copy installed on Windows: the installer puts it beside the
// programs (packaging/windows/tildora.wxs), so that an installed copy keeps
// its store per user even in a folder it could write.
constexpr std::string_view kMarcaInstalacion = ".tildora-instalada";

// A reading's failure, as the store's: over the store's size limit is that
// limit, not memory running out.
Error FalloDeLectura(const Error& leido, const std::string& ruta) {
    const bool limite = leido.fallo == Fallo::Grande && leido.codigo != ENOMEM;
    return Error{limite ? Fallo::AlmacenGrande : leido.fallo, limite ? 0 : leido.codigo, ruta, {}};
}

bool Existe(const std::string& ruta, bool seguirEnlaces = true) {
    sistema::Ficha f;
    return sistema::Consultar(ruta, f, seguirEnlaces) == 0;
}

// The one way the store is changed: under the lock, the file is read (a
// missing one is empty), `cambiar` gives its new bytes, or nothing to leave it
// as it is (false), and the new copy replaces it in one rename.
template <typename Cambio> Resultado<bool> Cambiar(const std::string& ruta, const Cambio& cambiar) {
    // No store known (no home folder for an installed copy): nothing is
    // locked or written, least of all a lock file in the current folder.
    if (ruta.empty()) {
        return Falla(Fallo::Escritura);
    }
    // One lock for the store, whichever link it is written through.
    std::string real;
    if (sistema::DestinoDeEnlace(ruta, real) != 0) {
        real = ruta;
    }
    std::string viejo;
    // A store that cannot be read is said before any lock file is made for
    // it; under the lock it is read again, as it is then.
    Resultado<void> leido = LeerFichero(ruta, viejo, kTamanoMaximoAlmacen);
    if (!leido && leido.fallo() != Fallo::NoExiste) {
        return FalloDeLectura(leido.error(), ruta);
    }
    // Nothing to change as the store is now: nothing is locked or made, but
    // what writers that are gone left there goes as with any write.
    if (const std::optional<std::string> nuevo = cambiar(viejo); !nuevo) {
        return false;
    } else if (leido && *nuevo == viejo) {
        LimpiarCarpetaDe(ruta);
        return true;
    }
    // Whoever may change the store may lock it: the lock file gets the
    // store's permission bits and group (a new store's are the user's).
    sistema::Ficha ficha;
    const bool hay = sistema::Consultar(real, ficha) == 0;
    const std::string rutaCerrojo = real + ".lock";
    const sistema::Cerrojo cerrojo(rutaCerrojo, hay ? ficha.modo : sistema::PermisosNuevos(),
                                   hay ? static_cast<int>(ficha.grupo) : -1);
    if (!cerrojo) {
        // A lock file that is there is what is at fault; else the store's
        // folder is.
        return Falla(Fallo::Escritura, cerrojo.Codigo(),
                     Existe(rutaCerrojo, false) ? rutaCerrojo : ruta);
    }
    leido = LeerFichero(ruta, viejo, kTamanoMaximoAlmacen);
    const bool falta = !leido && leido.fallo() == Fallo::NoExiste;
    if (!leido && !falta) {
        return FalloDeLectura(leido.error(), ruta);
    }
    const std::optional<std::string> nuevo = cambiar(viejo);
    if (!nuevo) {
        return false;
    }
    // A link that points nowhere is left alone rather than replaced by a file.
    if (falta && Existe(ruta, false)) {
        return Falla(Fallo::Escritura, ENOENT, ruta);
    }
    if (!falta && *nuevo == viejo) {
        LimpiarCarpetaDe(ruta);
        return true;
    }
    // A store that reads would refuse is not written either.
    if (nuevo->size() > kTamanoMaximoAlmacen) {
        return Falla(Fallo::AlmacenGrande, 0, ruta);
    }
    if (Resultado<void> r = EscribirFicheroSeguro(ruta, *nuevo); !r) {
        return r.error();
    }
    return true;
}

} // namespace

namespace {

// A line break is no character: an answer stored under one (a \x0A line
// written by an older copy) is never used.
bool EsClaveDeRuptura(std::string_view clave) {
    return clave.size() == 1 && EsRuptura(static_cast<unsigned char>(clave[0]));
}

} // namespace

std::optional<std::string> Respuestas::Recordada(std::string_view clave) const {
    if (EsClaveDeRuptura(clave)) {
        return std::nullopt;
    }
    return ini::Respuesta(m_bytes, textos::SeccionLista, clave);
}

std::string Respuestas::Solucion(std::string_view clave) const {
    return EsClaveDeRuptura(clave) ? std::string()
                                   : ini::Solucion(m_bytes, textos::SeccionLista, clave);
}

std::vector<std::pair<std::string, std::optional<std::string>>> Respuestas::Todas() const {
    auto todas = ini::Soluciones(m_bytes, textos::SeccionLista);
    std::erase_if(todas, [](const auto& par) { return EsClaveDeRuptura(par.first); });
    return todas;
}

std::vector<std::size_t> Respuestas::LineasSinValor() const {
    return ini::LineasSinValor(m_bytes, textos::SeccionLista);
}

std::string AlmacenSoluciones::LeerSolucion(std::string_view seccion,
                                            std::string_view clave) const {
    std::string bytes;
    if (clave.empty() || !LeerFichero(m_ruta, bytes, kTamanoMaximoAlmacen)) {
        return {};
    }
    return ini::Solucion(bytes, seccion, clave);
}

Resultado<Respuestas> AlmacenSoluciones::Leer() const {
    std::string bytes;
    const Resultado<void> r = LeerFichero(m_ruta, bytes, kTamanoMaximoAlmacen);
    if (!r && r.fallo() != Fallo::NoExiste) {
        return FalloDeLectura(r.error(), m_ruta);
    }
    return Respuestas(r ? std::move(bytes) : std::string());
}

namespace {

// Stores one entry: `con` gives the store's new bytes from the old ones, or
// nothing when the entry cannot be stored as given.
template <typename Con> Resultado<void> Guardar(const std::string& ruta, const Con& con) {
    // What cannot be stored is refused before the file is even looked at.
    if (!con(std::string_view())) {
        return Falla(Fallo::Escritura, 0, ruta);
    }
    const Resultado<bool> r = Cambiar(ruta, con);
    if (!r) {
        return r.error();
    }
    // What could be stored in an empty store and not in this one is the
    // store's text at fault: a UTF-16 text cut in the middle of a unit.
    if (!*r) {
        return Falla(Fallo::Codificacion, 0, ruta);
    }
    return {};
}

} // namespace

Resultado<void> AlmacenSoluciones::GuardarSolucion(std::string_view seccion, std::string_view clave,
                                                   std::string_view valor) const {
    return Guardar(m_ruta, [&](std::string_view viejo) {
        return ini::ConSolucion(viejo, seccion, clave, valor);
    });
}

Resultado<void> AlmacenSoluciones::GuardarBorrado(std::string_view seccion,
                                                  std::string_view clave) const {
    return Guardar(m_ruta,
                   [&](std::string_view viejo) { return ini::ConBorrado(viejo, seccion, clave); });
}

Resultado<bool> AlmacenSoluciones::OlvidarSolucion(std::string_view seccion,
                                                   std::string_view clave) const {
    return Cambiar(m_ruta,
                   [&](std::string_view viejo) { return ini::SinSolucion(viejo, seccion, clave); });
}

std::string ElegirRutaAlmacen(const std::string& carpetaPrograma,
                              const std::string& carpetaUsuario) {
    const std::string enPrograma = sistema::Unir(carpetaPrograma, textos::NombreAlmacen);
    if (Existe(enPrograma)) {
        return enPrograma;
    }
    const std::string carpeta = carpetaPrograma.empty() ? "." : carpetaPrograma;
    sistema::Ficha ficha;
    const bool esCarpeta =
        sistema::Consultar(carpeta, ficha) == 0 && ficha.tipo == sistema::Ficha::Tipo::Carpeta;
    const bool junto = (sistema::AlmacenJuntoAlPrograma() && esCarpeta &&
                        !Existe(sistema::Unir(carpeta, kMarcaInstalacion))) ||
                       Existe(sistema::Unir(carpeta, kMarcaCompilacion));
    if (junto && sistema::SePuedeEscribir(carpeta)) {
        return enPrograma;
    }
    if (carpetaUsuario.empty()) {
        return junto ? enPrograma : std::string();
    }
    std::error_code ec;
    std::filesystem::create_directories(sistema::Camino(carpetaUsuario), ec);
    if (junto && !std::filesystem::is_directory(sistema::Camino(carpetaUsuario), ec)) {
        return enPrograma;
    }
    // Installed, a folder that cannot be made still names the store: writing
    // it fails with the usual message instead of landing in the program's
    // folder.
    return sistema::Unir(carpetaUsuario, textos::NombreAlmacen);
}

std::string RutaAlmacenPorDefecto() {
    return ElegirRutaAlmacen(sistema::CarpetaPrograma(), sistema::CarpetaConfiguracion());
}

std::string RutaAjusteUsuario(std::string_view nombre) {
    const std::string carpeta = sistema::CarpetaConfiguracion();
    return carpeta.empty() ? std::string() : sistema::Unir(carpeta, nombre);
}

std::optional<std::string> LeerAjuste(const std::string& ruta, std::size_t maximo) {
    std::error_code ec;
    const std::filesystem::path camino = sistema::Camino(ruta);
    if (!std::filesystem::is_regular_file(camino, ec) ||
        std::filesystem::file_size(camino, ec) > maximo || ec) {
        return std::nullopt;
    }
    std::ifstream f(camino, std::ios::binary);
    std::string datos((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad() || datos.size() > maximo) {
        return std::nullopt;
    }
    return datos;
}

Resultado<void> GuardarAjuste(const std::string& ruta, std::string_view datos) {
    std::error_code ec;
    if (const std::string carpeta = sistema::CarpetaDe(ruta); !carpeta.empty()) {
        std::filesystem::create_directories(sistema::Camino(carpeta), ec);
    }
    return EscribirFicheroSeguro(ruta, datos);
}

} // namespace tildora
