#include "core/ocurrencias.h"

#include "core/caracteres.h"
#include "core/interno/busqueda.h"

#include <algorithm>

namespace tildora {

Ocurrencias::Ocurrencias(const Documento& documento, std::string_view clave)
    : m_documento(&documento) {
    for (const Hallazgo& h : documento.hallazgos) {
        if (h.clave == clave) {
            m_bytes = BytesDeClave(clave, documento.Unicode());
            m_total = h.cuenta;
            break;
        }
    }
}

template <typename Hallada>
void Ocurrencias::Recorrer(std::size_t desde, std::size_t hasta, Hallada&& hallada) const {
    const std::string& t = m_documento->texto;
    hasta = std::min(hasta, t.size());
    desde = std::max(desde, m_documento->marca);
    if (m_bytes.empty() || desde >= hasta) {
        return;
    }
    // The scan's search, for this character alone. A stretch ends where a
    // character begins, so that one that begins inside it is looked at whole.
    const bool unicode = m_documento->Unicode();
    Buscador buscador(unicode ? Unidades::Utf8 : Unidades::Ansi, m_bytes);
    const auto* p = reinterpret_cast<const unsigned char*>(t.data());
    for (std::size_t i = desde; i < hasta;) {
        std::size_t fin = std::min(i + kTrozoParadas - 3, hasta);
        while (unicode && fin < t.size() && (p[fin] & 0xC0) == 0x80 && fin - i < kTrozoParadas) {
            ++fin;
        }
        const std::size_t k = buscador.Buscar(p + i, fin - i, i > 0 ? p[i - 1] : 0);
        const std::uint32_t* lista = buscador.Paradas();
        for (std::size_t j = 0; j < k; ++j) {
            if (!hallada(i + lista[j])) {
                return;
            }
        }
        i = fin;
    }
}

void Ocurrencias::EnRango(std::size_t desde, std::size_t hasta,
                          std::vector<Ocurrencia>& salida) const {
    Recorrer(desde, hasta, [&](std::size_t pos) {
        salida.push_back(Ocurrencia{pos, m_bytes.size()});
        return true;
    });
}

std::uint64_t Ocurrencias::Contar(std::size_t desde, std::size_t hasta) const {
    std::uint64_t n = 0;
    Recorrer(desde, hasta, [&](std::size_t) {
        ++n;
        return true;
    });
    return n;
}

std::size_t Ocurrencias::Siguiente(std::size_t desde) const {
    std::size_t hallada = npos;
    Recorrer(desde, m_documento->texto.size(), [&](std::size_t pos) {
        hallada = pos;
        return false;
    });
    return hallada;
}

std::size_t Ocurrencias::Anterior(std::size_t antes) const {
    // Back a stretch at a time, each twice the one before: a near one costs
    // little, a far one no more than twice the way to it.
    std::size_t fin = std::min(antes, m_documento->texto.size());
    const std::size_t inicio = m_documento->marca;
    std::size_t tramo = kTrozoParadas;
    while (fin > inicio) {
        const std::size_t desde = fin - inicio > tramo ? fin - tramo : inicio;
        std::size_t ultima = npos;
        Recorrer(desde, fin, [&](std::size_t pos) {
            ultima = pos;
            return true;
        });
        if (ultima != npos) {
            return ultima;
        }
        fin = desde;
        tramo *= 2;
    }
    return npos;
}

} // namespace tildora
