#include "modelos/buscador.h"

#include "core/textos.h"

namespace tildora::modelo {

void Buscador::FilaActual(const std::string& clave) {
    m_ocurrencias.reset();
    if (!clave.empty()) {
        m_ocurrencias.emplace(m_documento, clave);
    }
    m_actual = npos;
    m_ordinal = 0;
}

bool Buscador::Primera() {
    if (!m_ocurrencias) {
        return false;
    }
    Elegir(m_ocurrencias->Siguiente(0), 1);
    return true;
}

bool Buscador::Siguiente(std::size_t inicio, std::size_t fin) {
    if (!m_ocurrencias) {
        return false;
    }
    const Ocurrencias& o = *m_ocurrencias;
    std::size_t pos = npos;
    std::uint64_t n = 0;
    if (m_actual != npos) {
        pos = o.Siguiente(m_actual + 1);
        n = m_ordinal + 1;
    } else {
        pos = o.Siguiente(fin > inicio ? inicio + 1 : inicio);
        n = pos == npos ? 0 : o.Ordinal(pos);
    }
    if (pos == npos) {
        pos = o.Siguiente(0);
        n = 1;
    }
    Elegir(pos, n);
    return true;
}

bool Buscador::Anterior(std::size_t inicio) {
    if (!m_ocurrencias) {
        return false;
    }
    const Ocurrencias& o = *m_ocurrencias;
    std::size_t pos = npos;
    std::uint64_t n = 0;
    if (m_actual != npos) {
        pos = o.Anterior(m_actual);
        n = m_ordinal - 1;
    } else {
        pos = o.Anterior(inicio);
        n = pos == npos ? 0 : o.Ordinal(pos);
    }
    if (pos == npos) {
        pos = o.Anterior(m_documento.texto.size());
        n = o.Total();
    }
    Elegir(pos, n);
    return true;
}

void Buscador::Elegir(std::size_t posicion, std::uint64_t ordinal) {
    m_actual = posicion;
    m_ordinal = posicion == npos ? 0 : ordinal;
}

std::pair<std::size_t, std::size_t> Buscador::Seleccion() const {
    const bool salto = !m_documento.Unicode() && m_ocurrencias && m_ocurrencias->Bytes() == "\n";
    if (m_actual == npos || salto) {
        return {0, 0};
    }
    return {m_actual, m_actual + Largo()};
}

std::string Buscador::Cuenta() const {
    if (!m_ocurrencias) {
        return {};
    }
    const std::string n =
        m_actual == npos ? std::string(textos::OcurrenciaSinElegir) : std::to_string(m_ordinal);
    return n + " / " + std::to_string(m_ocurrencias->Total());
}

} // namespace tildora::modelo
