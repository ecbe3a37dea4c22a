#include "modelos/leyendas.h"

#include <algorithm>

namespace tildora::modelo {

std::string PalabrasApiladas(std::string_view leyenda) {
    std::string apiladas;
    std::size_t i = 0;
    while ((i = leyenda.find_first_not_of(' ', i)) != std::string_view::npos) {
        const std::size_t fin = std::min(leyenda.find(' ', i), leyenda.size());
        if (!apiladas.empty()) {
            apiladas += '\n';
        }
        apiladas.append(leyenda.substr(i, fin - i));
        i = fin;
    }
    return apiladas;
}

} // namespace tildora::modelo
