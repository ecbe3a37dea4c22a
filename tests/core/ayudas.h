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
    // Full path (UTF-8) of a name (UTF-8) inside the folder.
    std::string operator/(const std::string& nombre) const;

private:
    std::filesystem::path m_ruta;
};

// A pipe with no writer, under a name: in the folder on POSIX; on Windows a
// named pipe of this process's (\\.\pipe\...), as pipes are named there.
class TuberiaSinEscritor {
public:
    explicit TuberiaSinEscritor(const CarpetaTemporal& carpeta);
    ~TuberiaSinEscritor();
    TuberiaSinEscritor(const TuberiaSinEscritor&) = delete;
    TuberiaSinEscritor& operator=(const TuberiaSinEscritor&) = delete;
    const std::string& ruta() const { return m_ruta; }

private:
    std::string m_ruta;
    void* m_servidor = nullptr; // Windows's end of it
};

// A name in UTF-8, as the program takes names, for std::filesystem and the
// streams, which read a narrow name in the code page on Windows; and back.
std::filesystem::path Camino(const std::string& utf8);
std::string Utf8(const std::filesystem::path& ruta);

void Escribir(const std::string& ruta, const std::string& bytes);
std::string Leer(const std::string& ruta);
// Names of the entries of a folder, sorted.
std::string Entradas(const std::filesystem::path& carpeta);
// True when running as root, where permission tests cannot deny anything.
bool EsRoot();

// Built for Windows: the tests of what only POSIX systems have (permission
// bits that deny, signals, users, control groups) skip there, saying so.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif
// Whether this runs under Wine rather than Windows itself (which the tests
// of what Wine does not do need to know).
bool BajoWine();
// Why Windows cannot deny what a permission test needs denied: who may do
// what is said by access lists there, which the tests do not set.
inline constexpr const char* kSinPermisosPosix =
    "Windows: access lists, not permission bits, deny here";

// The document of `bytes` read from a pipe, as a text that cannot be read
// twice is: another thread writes them there in pieces ending at `cortes`
// (in order; the last piece ends at the end), each once the one before has
// been read, so that every read gets one piece as it was cut.
tildora::Resultado<tildora::Documento>
DocumentoPorTuberia(const std::string& bytes, const std::vector<std::size_t>& cortes,
                    const tildora::OpcionesLectura& opciones = {});

} // namespace prueba
