#include "modelos/previa.h"

#include "core/textos.h"

namespace tildora::modelo {

void Previa::Componer(const std::vector<Fila>& filas) {
    // The composition the accept makes, from the answers shown now.
    m_composicion.emplace(m_documento, filas);
    m_vieja = false;
}

std::string_view Previa::Titulo() const {
    return m_mostrada ? textos::TextoCorregido : textos::TextoOriginal;
}

} // namespace tildora::modelo
