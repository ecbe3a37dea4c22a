#pragma once

#include "avisos.h"
#include "conjunto.h"
#include "estado.h"
#include "tabla.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

// Collects the distinct wrong characters of a text given in pieces, in order
// of first appearance. Lines end at CR LF or at a lone CR and the ending is
// never checked; a lone LF is an ordinary character. A piece may end anywhere,
// a CR LF split between two pieces included.
class Escaner {
public:
    explicit Escaner(const TablaValidez& tabla);

    void Procesar(const char* datos, std::size_t n);

    // Wrong characters found so far, in order of first appearance.
    const std::vector<unsigned char>& Encontrados() const { return m_encontrados; }

private:
    void Anotar(unsigned char c);
    void RecalcularCr();

    // For each byte: does the hot loop have to stop on it? True for a wrong
    // character not yet listed, and for CR while a following LF must be told
    // apart from a lone one.
    ConjuntoBytes m_parar;
    std::array<bool, 256> m_listado{};
    std::vector<unsigned char> m_encontrados;
    bool m_crPendiente = false;
};

// Scans the file at `ruta`: rebuilds the validity table, fills
// CaracteresErroneos (n + 1 slots) and keeps the bytes read in estado.Texto.
// Returns true when at least one wrong character was found. When the file
// cannot be read (missing, a folder, no permission, a read error) it sets
// ErrorLectura, tells the user once through `avisador` and returns false.
bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador);

// True when one of the slots of CaracteresErroneos holds exactly `caracter`.
bool EstaEnLista(const Estado& estado, std::string_view caracter);

// Reads a whole file into `destino`, reusing its storage. Returns false on any
// failure (missing, a folder, no permission, a read error, too large).
bool LeerFichero(const std::string& ruta, std::string& destino);

} // namespace tildora
