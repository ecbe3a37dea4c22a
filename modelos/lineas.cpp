#include "modelos/lineas.h"

#include "core/documento.h"
#include "core/unicode.h"

#include <algorithm>
#include <limits>

namespace tildora::modelo {

void Lineas::Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8) {
    if (texto.size() > std::numeric_limits<std::uint32_t>::max()) {
        texto = texto.substr(0, std::numeric_limits<std::uint32_t>::max());
        inicios.clear();
    }
    m_texto = texto;
    m_utf8 = utf8;
    m_marcaOrden = utf8 && m_texto.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (inicios.empty()) {
        m_inicios.clear();
        m_inicios.push_back(0);
        BuscarInicios(m_texto.data(), m_texto.size(), m_inicios);
    } else {
        m_inicios = std::move(inicios);
    }
}

std::size_t Lineas::FinContenido(std::size_t linea) const {
    if (linea + 1 >= m_inicios.size()) {
        return m_texto.size();
    }
    const std::size_t siguiente = m_inicios[linea + 1];
    // The break before the next line is CR LF, a lone CR or a lone LF.
    if (siguiente >= 2 && m_texto[siguiente - 1] == '\n' && m_texto[siguiente - 2] == '\r' &&
        siguiente - 2 >= m_inicios[linea]) {
        return siguiente - 2;
    }
    return siguiente - 1;
}

std::size_t Lineas::LineaDe(std::size_t posicion) const {
    const auto it = std::upper_bound(m_inicios.begin(), m_inicios.end(), posicion);
    return static_cast<std::size_t>(it - m_inicios.begin()) - 1;
}

std::size_t Lineas::Descifrar(const Tira& t, std::size_t i, char32_t& cp) {
    if (i < t.marcaOrden) {
        cp = 0xFEFF;
        return t.marcaOrden - i;
    }
    const int n = DecodificarUtf8(reinterpret_cast<const unsigned char*>(t.datos.data()) + i,
                                  t.datos.size() - i, cp);
    if (n <= 0) {
        // Not UTF-8 here (the scan lets no such text through): the byte
        // alone, shown as the replacement character.
        cp = 0xFFFD;
        return 1;
    }
    return static_cast<std::size_t>(n);
}

std::size_t Lineas::InicioCaracter(const Tira& t, std::size_t pos) const {
    if (!m_utf8 || pos >= t.datos.size() || pos == 0) {
        return pos;
    }
    if (pos < t.marcaOrden) {
        return 0;
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(t.datos[i]); };
    if ((byte(pos) & 0xC0) != 0x80) {
        return pos; // not a continuation byte
    }
    // Back to the lead byte, if the sequence it starts reaches `pos`.
    for (std::size_t k = 1; k <= 3 && k <= pos; ++k) {
        const unsigned char b = byte(pos - k);
        if ((b & 0xC0) != 0x80) {
            char32_t cp = 0;
            return Descifrar(t, pos - k, cp) > k ? pos - k : pos;
        }
    }
    return pos;
}

std::size_t Lineas::FinCaracter(const Tira& t, std::size_t pos) const {
    const std::size_t inicio = InicioCaracter(t, pos);
    if (inicio == pos) {
        return pos;
    }
    char32_t cp = 0;
    return inicio + Descifrar(t, inicio, cp);
}

std::pair<std::size_t, std::size_t> Lineas::Caracteres(std::size_t inicio, std::size_t fin) const {
    fin = std::min(fin, m_texto.size());
    inicio = std::min(inicio, fin);
    if (m_utf8) {
        inicio = std::max(InicioCaracter(Copia(), inicio), m_marcaOrden);
        fin = std::max(FinCaracter(Copia(), fin), inicio);
    }
    return {inicio, fin};
}

std::size_t Lineas::Buscar(std::string_view bytes, std::size_t desde) const {
    if (bytes.empty() || bytes.find_first_of("\r\n") != std::string_view::npos) {
        return npos;
    }
    // The byte-order mark is no character: a U+FEFF is looked for after it.
    desde = std::max(desde, m_marcaOrden);
    const Tira t = Copia();
    while (desde < m_texto.size()) {
        const std::size_t pos = m_texto.find(bytes, desde);
        if (pos == std::string_view::npos) {
            return npos;
        }
        if (!m_utf8 || (InicioCaracter(t, pos) == pos &&
                        FinCaracter(t, pos + bytes.size()) == pos + bytes.size())) {
            return pos;
        }
        desde = pos + 1;
    }
    return npos;
}

} // namespace tildora::modelo
