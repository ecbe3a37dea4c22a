#pragma once

#include "core/documento.h"
#include "core/ocurrencias.h"
#include "core/vistaprevia.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The preview of the whole text made of pieces ending at `donde` (in order),
// or nothing when the pieces do not meet, or their changes are not the
// occurrences of each row's character, as many as the scan counted.
inline std::optional<std::string> PreviaJunta(const tildora::Documento& d,
                                              const std::vector<tildora::Fila>& filas,
                                              const std::vector<std::size_t>& donde) {
    const tildora::VistaPrevia previa(d, filas);
    std::string junto;
    std::vector<std::vector<std::size_t>> origenes(filas.size());
    tildora::PiezaPrevia pieza;
    std::size_t hasta = 0;
    for (const std::size_t corte : donde) {
        if (corte < hasta) {
            continue;
        }
        previa.Pieza(hasta, corte, pieza);
        if (pieza.desde != hasta) {
            return std::nullopt;
        }
        hasta = pieza.hasta;
        junto += pieza.texto;
        for (const tildora::Cambio& c : pieza.cambios) {
            origenes[c.fila].push_back(c.origen);
        }
    }
    previa.Pieza(hasta, d.texto.size(), pieza);
    junto += pieza.texto;
    for (const tildora::Cambio& c : pieza.cambios) {
        origenes[c.fila].push_back(c.origen);
    }
    if (pieza.desde != hasta || pieza.hasta != d.texto.size()) {
        return std::nullopt;
    }
    for (std::size_t f = 0; f < filas.size(); ++f) {
        // Of two rows for one character, the first replaces it.
        bool antes = false;
        for (std::size_t g = 0; g < f; ++g) {
            antes = antes || filas[g].clave == filas[f].clave;
        }
        if (antes) {
            continue;
        }
        const tildora::Ocurrencias oc(d, filas[f].clave);
        std::vector<tildora::Ocurrencia> todas;
        oc.EnRango(0, d.texto.size(), todas);
        bool iguales = todas.size() == origenes[f].size() && todas.size() == oc.Total();
        for (std::size_t k = 0; iguales && k < todas.size(); ++k) {
            iguales = todas[k].posicion == origenes[f][k];
        }
        if (!iguales) {
            return std::nullopt;
        }
    }
    return junto;
}
