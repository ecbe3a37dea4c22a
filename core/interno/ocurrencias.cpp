#include "core/ocurrencias.h"

#include "core/caracteres.h"
#include "core/interno/busqueda.h"

#include <algorithm>
#include <array>

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
    // The scan's own search, with only this character's first byte
    // stopping: in UTF-8 that byte begins a character wherever it stands,
    // and the bytes after it tell this character from the others it
    // begins. In Windows-1252 a lone LF always stops, which is what the
    // lone LF's row looks for.
    const bool unicode = m_documento->Unicode();
    const auto primero = static_cast<unsigned char>(m_bytes[0]);
    std::array<bool, 256> parar{};
    parar[primero] = true;
    Buscador buscador(unicode ? Unidades::Utf8 : Unidades::Ansi, parar);
    const auto* p = reinterpret_cast<const unsigned char*>(t.data());
    const std::string_view texto(t);
    for (std::size_t i = desde; i < hasta; i += kTrozoParadas) {
        const std::size_t m = std::min(kTrozoParadas, hasta - i);
        const std::size_t k = buscador.Buscar(p + i, m, i > 0 ? p[i - 1] : 0);
        const std::uint32_t* lista = buscador.Paradas();
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = i + lista[j];
            if (p[pos] == primero && texto.substr(pos, m_bytes.size()) == m_bytes &&
                !hallada(pos)) {
                return;
            }
        }
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
