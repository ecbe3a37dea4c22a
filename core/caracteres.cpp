#include "core/caracteres.h"

#include "core/unicode.h"

#include <cstdio>

namespace tildora {

namespace {

struct Rango {
    char32_t desde;
    char32_t hasta;
};

// The allowed codes, as ranges. Everything else (141 codes) is wrong.
constexpr Rango kPermitidos[] = {
    {32, 93},   {95, 95},   {97, 123},  {125, 126}, {160, 161}, {170, 170}, {173, 173},
    {176, 176}, {186, 186}, {191, 191}, {193, 193}, {201, 201}, {205, 205}, {209, 209},
    {211, 211}, {215, 215}, {218, 218}, {220, 220}, {225, 225}, {233, 233}, {237, 237},
    {241, 241}, {243, 243}, {250, 250}, {252, 252}, {255, 255},
};

constexpr const char* kNombresControl[32] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

constexpr Rango kInvisibles[] = {
    {0x0080, 0x009F}, {0x00AD, 0x00AD}, {0x0300, 0x036F},   {0x0483, 0x0489},   {0x0591, 0x05BD},
    {0x0600, 0x0605}, {0x061C, 0x061C}, {0x064B, 0x065F},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x115F, 0x1160}, {0x180B, 0x180F}, {0x1AB0, 0x1AFF},   {0x1DC0, 0x1DFF},   {0x2000, 0x200F},
    {0x2028, 0x202F}, {0x205F, 0x206F}, {0x20D0, 0x20FF},   {0x3000, 0x3000},   {0x3164, 0x3164},
    {0xE000, 0xF8FF}, {0xFDD0, 0xFDEF}, {0xFE00, 0xFE0F},   {0xFE20, 0xFE2F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFFB}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF}, {0xF0000, 0x10FFFF},
};

// The code in decimal and hex, and what kind of control it is.
std::string DescripcionCodigo(unsigned char c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%u · 0x%02X", static_cast<unsigned>(c),
                  static_cast<unsigned>(c));
    std::string r = buf;
    if (c < 32) {
        r.append(" · ").append(kNombresControl[c]);
    } else if (c == 127) {
        r += " · DEL";
    } else if (c >= 0x80 && c < 0xA0 && UnicodeDeAnsi(c) == c) {
        r += " · C1";
    }
    return r;
}

} // namespace

namespace {

constexpr TablaValidez Construir() {
    TablaValidez tabla{};
    for (const Rango& r : kPermitidos) {
        for (char32_t c = r.desde; c <= r.hasta; ++c) {
            tabla[c] = true;
        }
    }
    return tabla;
}

} // namespace

// Built while the program is compiled: no reader ever finds it empty.
constexpr TablaValidez kCaracteresValidos = Construir();

TablaValidez ConstruirCaracteresValidos() {
    return Construir();
}

std::string ClaveDeCaracter(char32_t cp) {
    if (const auto b = AnsiDeUnicode(cp)) {
        return std::string(1, static_cast<char>(*b));
    }
    return CodigoUnicode(cp);
}

std::string CodigoClave(std::string_view clave) {
    return clave.size() == 1 ? std::to_string(static_cast<unsigned char>(clave[0]))
                             : std::string(clave);
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
        const int v = ValorHex(c);
        if (v < 0 || (c >= 'a' && c <= 'f')) {
            return std::nullopt;
        }
        cp = cp * 16 + static_cast<char32_t>(v);
    }
    // One spelling per character: a key for a character Windows-1252 has is
    // its byte.
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || ClaveDeCaracter(cp) != clave) {
        return std::nullopt;
    }
    return cp;
}

int ValorHex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<unsigned char> ByteHex(char alto, char bajo) {
    const int a = ValorHex(alto);
    const int b = ValorHex(bajo);
    if (a < 0 || b < 0) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(a * 16 + b);
}

std::string EscapeHex(unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    return {'\\', 'x', kHex[c >> 4], kHex[c & 0x0F]};
}

bool EsInvisible(char32_t u) {
    if ((u & 0xFFFE) == 0xFFFE) {
        return true; // the last two codes of every plane
    }
    for (const Rango& r : kInvisibles) {
        if (u >= r.desde && u <= r.hasta) {
            return true;
        }
    }
    return false;
}

bool EsControlVisible(unsigned char c) {
    return (c < 32 && c != '\r' && c != '\n') || c == 127;
}

char32_t GlifoDeAnsi(unsigned char c, bool lfVisible) {
    if (c == 127) {
        return 0x2421;
    }
    if (EsControlVisible(c) || (c == '\n' && lfVisible)) {
        return 0x2400 + c;
    }
    return UnicodeDeAnsi(c);
}

std::string Utf8Visible(std::string_view bytes, bool lfVisible) {
    std::string r;
    r.reserve(bytes.size());
    for (char b : bytes) {
        AnadirUtf8(r, GlifoDeAnsi(static_cast<unsigned char>(b), lfVisible));
    }
    return r;
}

std::string ClaveVisible(std::string_view clave, bool unicode) {
    const auto cp = unicode ? CaracterDeClave(clave) : std::nullopt;
    if (!cp) {
        return Utf8Visible(clave, true);
    }
    std::string r;
    if (*cp < 0x80) {
        AnadirUtf8(r, GlifoDeAnsi(static_cast<unsigned char>(*cp), true));
    } else if (EsInvisible(*cp)) {
        r = CodigoUnicode(*cp);
    } else {
        AnadirUtf8(r, *cp);
    }
    return r;
}

std::string DescripcionClave(std::string_view clave, bool unicode) {
    const auto cp = CaracterDeClave(clave);
    if (!cp || (!unicode && clave.size() != 1)) {
        return {};
    }
    if (!unicode) {
        return DescripcionCodigo(static_cast<unsigned char>(clave[0]));
    }
    // Its code, and the Windows-1252 code it is remembered under.
    std::string r = CodigoUnicode(*cp);
    if (const auto b = AnsiDeUnicode(*cp)) {
        r += " · " + DescripcionCodigo(*b);
    }
    return r;
}

std::string BytesDeClave(std::string_view clave, bool unicode) {
    if (!unicode) {
        return clave.size() == 1 ? std::string(clave) : std::string();
    }
    std::string r;
    if (const auto cp = CaracterDeClave(clave)) {
        AnadirUtf8(r, *cp);
    }
    return r;
}

} // namespace tildora
