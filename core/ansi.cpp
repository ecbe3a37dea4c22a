#include "core/ansi.h"

#include "core/codificacion.h"

#include <array>
#include <cstdio>

namespace tildora {

namespace {

// 0x80 to 0x9F in Windows-1252; the five unassigned codes keep their own
// number (the C1 control).
constexpr std::array<char32_t, 32> kAltos = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<const char*, 32> kNombresControl = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",
};

} // namespace

char32_t UnicodeDeAnsi(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) {
        return kAltos[c - 0x80u];
    }
    return c;
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

std::string Utf8DeAnsi(std::string_view bytes) {
    std::string r;
    r.reserve(bytes.size() + bytes.size() / 8);
    for (char b : bytes) {
        AnadirUtf8(r, UnicodeDeAnsi(static_cast<unsigned char>(b)));
    }
    return r;
}

std::optional<std::string> AnsiDeUtf8(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        char32_t u = 0;
        std::size_t n = 0;
        if (b0 < 0x80) {
            u = b0;
            n = 1;
        } else if ((b0 & 0xE0) == 0xC0) {
            u = b0 & 0x1Fu;
            n = 2;
        } else if ((b0 & 0xF0) == 0xE0) {
            u = b0 & 0x0Fu;
            n = 3;
        } else if ((b0 & 0xF8) == 0xF0) {
            u = b0 & 0x07u;
            n = 4;
        } else {
            return std::nullopt;
        }
        if (i + n > s.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) {
                return std::nullopt;
            }
            u = (u << 6) | (b & 0x3Fu);
        }
        // Overlong forms and surrogates are not valid UTF-8.
        static constexpr char32_t kMinimo[] = {0, 0, 0x80, 0x800, 0x10000};
        if (u < kMinimo[n] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
            return std::nullopt;
        }
        const auto c = AnsiDeUnicode(u);
        if (!c) {
            return std::nullopt;
        }
        r += static_cast<char>(*c);
        i += n;
    }
    return r;
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

std::string DescripcionCodigo(unsigned char c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%u · 0x%02X", static_cast<unsigned>(c),
                  static_cast<unsigned>(c));
    std::string r = buf;
    if (c < 32) {
        r += " · ";
        r += kNombresControl[c];
    } else if (c == 127) {
        r += " · DEL";
    } else if (c >= 0x80 && c < 0xA0 && UnicodeDeAnsi(c) == c) {
        r += " · C1";
    }
    return r;
}

bool EsInvisible(char32_t u) {
    struct Rango {
        char32_t desde, hasta;
    };
    static constexpr Rango kInvisibles[] = {
        {0x0080, 0x009F},   {0x00AD, 0x00AD},    {0x0300, 0x036F}, {0x0483, 0x0489},
        {0x0591, 0x05BD},   {0x0600, 0x0605},    {0x061C, 0x061C}, {0x064B, 0x065F},
        {0x06DD, 0x06DD},   {0x070F, 0x070F},    {0x115F, 0x1160}, {0x180B, 0x180F},
        {0x1AB0, 0x1AFF},   {0x1DC0, 0x1DFF},    {0x2000, 0x200F}, {0x2028, 0x202F},
        {0x205F, 0x206F},   {0x20D0, 0x20FF},    {0x3000, 0x3000}, {0x3164, 0x3164},
        {0xE000, 0xF8FF},   {0xFDD0, 0xFDEF},    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
        {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},    {0xFFF0, 0xFFFB}, {0x1D173, 0x1D17A},
        {0xE0000, 0xE0FFF}, {0xF0000, 0x10FFFF},
    };
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

std::string CaracterVisible(char32_t u) {
    std::string r;
    if (u < 0x80) {
        AnadirUtf8(r, GlifoDeAnsi(static_cast<unsigned char>(u), true));
    } else if (EsInvisible(u)) {
        r = CodigoUnicode(u);
    } else {
        AnadirUtf8(r, u);
    }
    return r;
}

std::string DescripcionCaracter(char32_t u) {
    // Its code, and the Windows-1252 code it is remembered under.
    std::string r = CodigoUnicode(u);
    if (const auto b = AnsiDeUnicode(u)) {
        r += " · " + DescripcionCodigo(*b);
    }
    return r;
}

} // namespace tildora
