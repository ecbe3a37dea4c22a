#include "core/codificacion.h"

#include "core/ansi.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace tildora {

std::string_view NombreCodificacion(Codificacion c) {
    switch (c) {
    case Codificacion::Windows1252:
        return "Windows-1252";
    case Codificacion::Utf8:
        return "UTF-8";
    case Codificacion::Utf16LE:
        return "UTF-16LE";
    case Codificacion::Utf16BE:
        return "UTF-16BE";
    }
    return {};
}

std::optional<Codificacion> CodificacionDeNombre(std::string_view nombre) {
    std::string n;
    for (char c : nombre) {
        if (c != '-' && c != '_') {
            n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (n == "windows1252" || n == "cp1252") {
        return Codificacion::Windows1252;
    }
    if (n == "utf8") {
        return Codificacion::Utf8;
    }
    if (n == "utf16le") {
        return Codificacion::Utf16LE;
    }
    if (n == "utf16be") {
        return Codificacion::Utf16BE;
    }
    return std::nullopt;
}

bool EsUtf16(Codificacion c) {
    return c == Codificacion::Utf16LE || c == Codificacion::Utf16BE;
}

std::string_view MarcaOrden(Codificacion c) {
    switch (c) {
    case Codificacion::Windows1252:
        return {};
    case Codificacion::Utf8:
        return "\xEF\xBB\xBF";
    case Codificacion::Utf16LE:
        return "\xFF\xFE";
    case Codificacion::Utf16BE:
        return "\xFE\xFF";
    }
    return {};
}

std::size_t LongitudMarca(Codificacion c, std::string_view inicio) {
    const std::string_view marca = MarcaOrden(c);
    return !marca.empty() && inicio.substr(0, marca.size()) == marca ? marca.size() : 0;
}

int DecodificarUtf8(const unsigned char* p, std::size_t n, char32_t& cp) {
    const unsigned char b = p[0];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    int largo = 0;
    char32_t minimo = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        largo = 2;
        cp = b & 0x1Fu;
        minimo = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        largo = 3;
        cp = b & 0x0Fu;
        minimo = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        largo = 4;
        cp = b & 0x07u;
        minimo = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < largo; ++i) {
        if (static_cast<std::size_t>(i) >= n) {
            // Cut short: valid so far only if what came cannot be refused
            // already (an overlong or surrogate start shows in the second
            // byte).
            if (i == 2 || i == 3) {
                const char32_t parcial = cp << (6 * (largo - i));
                const char32_t tope = parcial | ((char32_t{1} << (6 * (largo - i))) - 1);
                if (tope < minimo || (parcial >= 0xD800 && tope <= 0xDFFF) || parcial > 0x10FFFF) {
                    return 0;
                }
            }
            return -1;
        }
        if ((p[i] & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return largo;
}

void SecuenciaCortada::Guardar(const unsigned char* p, std::size_t n) {
    std::memcpy(m_bytes, p, n);
    m_n = n;
}

int SecuenciaCortada::Completar(const unsigned char* p, std::size_t n, std::size_t& tomados,
                                char32_t& cp) {
    tomados = 0;
    while (m_n < 4 && tomados < n) {
        m_bytes[m_n++] = p[tomados++];
        const int r = DecodificarUtf8(m_bytes, m_n, cp);
        if (r >= 0) {
            m_n = 0;
            return r;
        }
    }
    return -1;
}

void Reconocedor::Procesar(const char* datos, std::size_t n) {
    auto p = reinterpret_cast<const unsigned char*>(datos);
    if (m_inicio.size() < 3) {
        // The mark is looked for in the first three bytes, however the
        // pieces fall.
        const std::size_t antes = m_inicio.size();
        m_inicio.append(datos, std::min<std::size_t>(n, 3 - antes));
        if (m_inicio.size() >= 2 &&
            (m_inicio.compare(0, 2, "\xFF\xFE") == 0 || m_inicio.compare(0, 2, "\xFE\xFF") == 0)) {
            m_utf16 = true;
            m_utf16be = m_inicio[0] == '\xFE';
        }
        m_marcaUtf8 = m_inicio.size() == 3 && m_inicio == "\xEF\xBB\xBF";
    }
    if (!Decidido()) {
        Validar(p, n);
    }
}

void Reconocedor::Validar(const unsigned char* p, std::size_t n) {
    std::size_t i = 0;
    if (m_cortada.Pendiente()) {
        // Complete the sequence the last piece cut.
        char32_t cp = 0;
        const int r = m_cortada.Completar(p, n, i, cp);
        m_invalido = r == 0;
        m_multibyte = m_multibyte || r > 0;
        if (r <= 0) {
            return; // not valid, or still cut (the piece was that short)
        }
    }
    while (i < n) {
        // ASCII goes eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t ocho;
            std::memcpy(&ocho, p + i, 8);
            if ((ocho & 0x8080808080808080ull) != 0) {
                break;
            }
            i += 8;
        }
        if (i >= n) {
            break;
        }
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int r = DecodificarUtf8(p + i, n - i, cp);
        if (r == 0) {
            m_invalido = true;
            return;
        }
        if (r < 0) {
            m_cortada.Guardar(p + i, n - i);
            return;
        }
        m_multibyte = true;
        i += static_cast<std::size_t>(r);
    }
}

Codificacion Reconocedor::Resultado() const {
    if (m_utf16) {
        return m_utf16be ? Codificacion::Utf16BE : Codificacion::Utf16LE;
    }
    // A sequence still cut at the end is not valid.
    if (m_invalido || m_cortada.Pendiente()) {
        return Codificacion::Windows1252;
    }
    return m_marcaUtf8 || m_multibyte ? Codificacion::Utf8 : Codificacion::Windows1252;
}

void AnadirUtf16(std::string& d, char32_t u, bool be) {
    const auto unidad = [&](char16_t x) {
        const auto alto = static_cast<char>(x >> 8);
        const auto bajo = static_cast<char>(x & 0xFF);
        d += be ? alto : bajo;
        d += be ? bajo : alto;
    };
    if (u < 0x10000) {
        unidad(static_cast<char16_t>(u));
    } else {
        u -= 0x10000;
        unidad(static_cast<char16_t>(0xD800 + (u >> 10)));
        unidad(static_cast<char16_t>(0xDC00 + (u & 0x3FF)));
    }
}

bool DesdeUtf16::Unidad(char16_t u, std::string& salida) {
    if (m_alto != 0) {
        if (u < 0xDC00 || u > 0xDFFF) {
            return false;
        }
        AnadirUtf8(salida, 0x10000 + ((char32_t{m_alto} - 0xD800) << 10) + (u - 0xDC00u));
        m_alto = 0;
        return true;
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
        m_alto = u;
        return true;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) {
        return false;
    }
    AnadirUtf8(salida, u);
    return true;
}

bool DesdeUtf16::Procesar(const char* datos, std::size_t n, std::string& salida) {
    auto p = reinterpret_cast<const unsigned char*>(datos);
    const auto unir = [this](unsigned char a, unsigned char b) {
        return static_cast<char16_t>(m_be ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t i = 0;
    if (m_byte && n > 0) {
        m_byte = false;
        if (!Unidad(unir(m_primero, p[0]), salida)) {
            return false;
        }
        i = 1;
    }
    for (; i + 1 < n; i += 2) {
        const char16_t u = unir(p[i], p[i + 1]);
        if (u < 0x80 && m_alto == 0) {
            salida += static_cast<char>(u);
        } else if (!Unidad(u, salida)) {
            return false;
        }
    }
    if (i < n) {
        m_byte = true;
        m_primero = p[i];
    }
    return true;
}

std::optional<std::string> Utf8DeUtf16(std::string_view bytes, bool bigEndian) {
    DesdeUtf16 d(bigEndian);
    std::string r;
    r.reserve(bytes.size() / 2 + bytes.size() / 8);
    if (!d.Procesar(bytes.data(), bytes.size(), r) || !d.Terminar()) {
        return std::nullopt;
    }
    return r;
}

bool HaciaCodificacion::Caracter(char32_t cp, std::string& salida) {
    switch (m_destino) {
    case Codificacion::Utf8:
        AnadirUtf8(salida, cp);
        return true;
    case Codificacion::Utf16LE:
    case Codificacion::Utf16BE:
        AnadirUtf16(salida, cp, m_destino == Codificacion::Utf16BE);
        return true;
    case Codificacion::Windows1252:
        if (const auto b = AnsiDeUnicode(cp)) {
            salida += static_cast<char>(*b);
            return true;
        }
        return false;
    }
    return false;
}

bool HaciaCodificacion::Procesar(const char* datos, std::size_t n, std::string& salida) {
    auto p = reinterpret_cast<const unsigned char*>(datos);
    std::size_t i = 0;
    if (m_cortada.Pendiente()) {
        char32_t cp = 0;
        const int r = m_cortada.Completar(p, n, i, cp);
        if (r == 0 || (r > 0 && !Caracter(cp, salida))) {
            return false;
        }
    }
    const bool utf16 = EsUtf16(m_destino);
    const bool be = m_destino == Codificacion::Utf16BE;
    salida.reserve(salida.size() + (utf16 ? 2 * n : n));
    while (i < n) {
        // Runs of ASCII, most of a text, go without decoding.
        const std::size_t desde = i;
        while (i < n && p[i] < 0x80) {
            ++i;
        }
        if (!utf16) {
            salida.append(reinterpret_cast<const char*>(p + desde), i - desde);
        } else {
            const std::size_t base = salida.size();
            salida.resize(base + 2 * (i - desde));
            for (std::size_t j = desde; j < i; ++j) {
                salida[base + 2 * (j - desde) + (be ? 1 : 0)] = static_cast<char>(p[j]);
            }
        }
        if (i == n) {
            break;
        }
        char32_t cp = 0;
        const int r = DecodificarUtf8Rapido(p + i, n - i, cp);
        if (r == 0) {
            return false;
        }
        if (r < 0) {
            m_cortada.Guardar(p + i, n - i);
            return true;
        }
        if (!Caracter(cp, salida)) {
            return false;
        }
        i += static_cast<std::size_t>(r);
    }
    return true;
}

std::string CodigoUnicode(char32_t cp) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "U+%04X", static_cast<unsigned>(cp));
    return texto;
}

std::string ClaveDeCaracter(char32_t cp) {
    if (const auto b = AnsiDeUnicode(cp)) {
        return std::string(1, static_cast<char>(*b));
    }
    return CodigoUnicode(cp);
}

std::optional<char32_t> CaracterDeClave(std::string_view clave) {
    if (clave.size() == 1) {
        return UnicodeDeAnsi(static_cast<unsigned char>(clave[0]));
    }
    if (clave.size() < 6 || clave.size() > 8 || clave.substr(0, 2) != "U+") {
        return std::nullopt;
    }
    char32_t cp = 0;
    for (char c : clave.substr(2)) {
        int v = 0;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        cp = cp * 16 + static_cast<char32_t>(v);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    // One spelling per character: a key for a character Windows-1252 has
    // is its byte.
    if (ClaveDeCaracter(cp) != clave) {
        return std::nullopt;
    }
    return cp;
}

} // namespace tildora
