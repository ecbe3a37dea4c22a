#pragma once

#include "core/documento.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace prueba {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;

    const std::filesystem::path& ruta() const { return m_ruta; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& nombre) const { return (m_ruta / nombre).string(); }

private:
    std::filesystem::path m_ruta;
};

void Escribir(const std::string& ruta, const std::string& bytes);
std::string Leer(const std::string& ruta);
// Names of the entries of a folder, sorted.
std::string Entradas(const std::filesystem::path& carpeta);
// True when running as root, where permission tests cannot deny anything.
bool EsRoot();

// The document of `bytes` read from a pipe, as a text that cannot be read
// twice is: another thread writes them there in pieces ending at `cortes`
// (in order; the last piece ends at the end), each once the one before has
// been read, so that every read gets one piece as it was cut.
tildora::Resultado<tildora::Documento>
DocumentoPorTuberia(const std::string& bytes, const std::vector<std::size_t>& cortes,
                    const tildora::OpcionesLectura& opciones = {});

} // namespace prueba
