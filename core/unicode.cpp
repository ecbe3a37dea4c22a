#include "core/unicode.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tildora {

namespace {

// 0x80 to 0x9F in Windows-1252; the five unassigned codes keep their own
// number (the C1 control).
constexpr std::array<char32_t, 32> kAltos = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

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
    static const std::pair<std::string_view, Codificacion> kNombres[] = {
        {"windows1252", Codificacion::Windows1252},
        {"cp1252", Codificacion::Windows1252},
        {"utf8", Codificacion::Utf8},
        {"utf16le", Codificacion::Utf16LE},
        {"utf16be", Codificacion::Utf16BE}};
    for (const auto& [nombre_, c] : kNombres) {
        if (n == nombre_) {
            return c;
        }
    }
    return std::nullopt;
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

char32_t UnicodeDeAnsi(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kAltos[c - 0x80u] : c;
}

std::optional<unsigned char> AnsiDeUnicode(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<unsigned char>(u);
    }
    for (unsigned i = 0; i < kAltos.size(); ++i) {
        if (kAltos[i] == u) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void AnadirUtf8(std::string& d, char32_t u) {
    if (u < 0x80) {
        d += static_cast<char>(u);
    } else if (u < 0x800) {
        d += static_cast<char>(0xC0 | (u >> 6));
        d += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        d += static_cast<char>(0xE0 | (u >> 12));
        d += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        d += static_cast<char>(0xF0 | (u >> 18));
        d += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        d += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (u & 0x3F));
    }
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
            if (i >= 2) {
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

std::size_t ColaIncompleta(const unsigned char* p, std::size_t n) {
    for (std::size_t k = 1; k <= 3 && k <= n; ++k) {
        const unsigned char b = p[n - k];
        if ((b & 0xC0) == 0x80) {
            continue; // a continuation byte: its lead is further back
        }
        char32_t cp = 0;
        return b >= 0xC0 && DecodificarUtf8(p + n - k, k, cp) < 0 ? k : 0;
    }
    return 0;
}

bool EsUtf8Valido(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp = 0;
        const int n = p[i] < 0x80 ? 1 : DecodificarUtf8Rapido(p + i, s.size() - i, cp);
        if (n <= 0) {
            return false;
        }
        i += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Utf8DeAnsi(std::string_view bytes) {
    std::string r;
    r.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) {
        AnadirUtf8(r, UnicodeDeAnsi(static_cast<unsigned char>(b)));
    }
    return r;
}

std::optional<std::string> AnsiDeUtf8(std::string_view utf8) {
    std::string r;
    HaciaCodificacion hacia(Codificacion::Windows1252);
    if (!hacia.Procesar(utf8.data(), utf8.size(), r)) {
        return std::nullopt;
    }
    return r;
}

std::string CodigoUnicode(char32_t cp) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "U+%04X", static_cast<unsigned>(cp));
    return texto;
}

bool DesdeUtf16::Unidad(char16_t u, std::string& salida) {
    if (m_alto != 0) {
        if (u >= 0xDC00 && u <= 0xDFFF) {
            AnadirUtf8(salida, 0x10000 + ((char32_t{m_alto} - 0xD800) << 10) + (u - 0xDC00u));
            m_alto = 0;
            return true;
        }
        if (!m_tolerante) {
            return false;
        }
        m_alto = 0;
        salida += '\xFF'; // the high half alone; `u` is looked at afresh
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
        m_alto = u;
        return true;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) {
        salida += '\xFF';
        return m_tolerante;
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
    salida.reserve(salida.size() + n / 2 + 8);
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

bool DesdeUtf16::Terminar(std::string& salida) {
    const bool entero = !m_byte && m_alto == 0;
    if (m_tolerante) {
        salida.append((m_alto != 0 ? 1 : 0) + (m_byte ? 1 : 0), '\xFF');
    }
    m_byte = false;
    m_alto = 0;
    return entero;
}

std::optional<std::string> Utf8DeUtf16(std::string_view bytes, bool bigEndian) {
    DesdeUtf16 d(bigEndian);
    std::string r;
    if (!d.Procesar(bytes.data(), bytes.size(), r) || !d.Terminar(r)) {
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
    const bool utf16 = EsUtf16(m_destino);
    const bool be = m_destino == Codificacion::Utf16BE;
    salida.reserve(salida.size() + (utf16 ? 2 * n : n));
    std::size_t i = 0;
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
        char32_t cp = UnicodeDeAnsi(p[i]);
        int largo = 1;
        if (!m_desdeAnsi) {
            largo = DecodificarUtf8Rapido(p + i, n - i, cp);
            if (largo <= 0) {
                return false;
            }
        }
        if (!Caracter(cp, salida)) {
            return false;
        }
        i += static_cast<std::size_t>(largo);
    }
    return true;
}

std::string Codificado(std::string_view ansi, Codificacion destino) {
    if (destino == Codificacion::Windows1252) {
        return std::string(ansi);
    }
    std::string r;
    HaciaCodificacion(destino, true).Procesar(ansi.data(), ansi.size(), r);
    return r;
}

} // namespace tildora
