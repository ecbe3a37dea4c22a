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

    // The wrong characters not yet listed, but CR and LF: a CR is never a
    // character, and an LF is one only when no CR comes right before it.
    ConjuntoBytes m_parar;
    bool m_buscarLf = false; // a lone LF is wrong and not yet listed
    std::array<bool, 256> m_listado{};
    std::vector<unsigned char> m_encontrados;
    unsigned char m_anterior = 0; // last byte of the previous piece
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
