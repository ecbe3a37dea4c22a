#include "core/interno/ini.h"

#include "core/caracteres.h"
#include "core/reglas.h"
#include "core/unicode.h"

#include <algorithm>
#include <set>

namespace tildora::ini {

namespace {

// The bytes the Windows service trims around lines, keys and values. The
// no-break space (0xA0) is a character of the text, not a blank.
constexpr std::string_view kBlancos = "\t\v\f\x1A ";

bool EsBlanco(char c) {
    return kBlancos.find(c) != std::string_view::npos;
}

bool EsComilla(char c) {
    return c == '"' || c == '\'';
}

std::string_view Recortar(std::string_view s) {
    const std::size_t desde = s.find_first_not_of(kBlancos);
    if (desde == std::string_view::npos) {
        return {};
    }
    return s.substr(desde, s.find_last_not_of(kBlancos) - desde + 1);
}

bool IgualesSinMayusculas(std::string_view a, std::string_view b) {
    const auto minuscula = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return minuscula(x) == minuscula(y); });
}

// Key bytes that the Windows service would trim, split a line at or end a
// string at are written as \xHH, so that the line stays one line and the key
// keeps its byte. Backslash is never a wrong character, so a real key cannot
// be mistaken for an escape.
std::string CodificarClave(std::string_view clave) {
    std::string r;
    for (const char c : clave) {
        const auto b = static_cast<unsigned char>(c);
        const bool escape = b == 0x00 || (b >= 0x09 && b <= 0x0D) || b == 0x1A || b == 0x20;
        r += escape ? EscapeHex(b) : std::string(1, c);
    }
    return r;
}

std::string DecodificarClave(std::string_view clave) {
    std::string r;
    for (std::size_t i = 0; i < clave.size(); ++i) {
        if (clave[i] == '\\' && i + 3 < clave.size() && clave[i + 1] == 'x') {
            if (const auto byte = ByteHex(clave[i + 2], clave[i + 3])) {
                r += static_cast<char>(*byte);
                i += 3;
                continue;
            }
        }
        r += clave[i];
    }
    return r;
}

// The value as it stands in the file: inside double quotes when its first or
// last byte would otherwise be trimmed or taken for a quote on read.
std::string CodificarValor(std::string_view valor) {
    const auto suelto = [](char c) { return EsBlanco(c) || EsComilla(c); };
    if (!valor.empty() && (suelto(valor.front()) || suelto(valor.back()))) {
        return '"' + std::string(valor) + '"';
    }
    return std::string(valor);
}

// The delete answer as it stands in the file: the quoted empty value, which
// the Windows service (and so an older copy of this program) reads as empty,
// no answer at all.
constexpr std::string_view kBorradoEscrito = "\"\"";

// Whether a value as written is the delete answer: a quoted empty value,
// with either quote, blanks around it allowed.
bool EsBorrado(std::string_view valor) {
    valor = Recortar(valor);
    return valor.size() == 2 && EsComilla(valor.front()) && valor.front() == valor.back();
}

std::string_view DecodificarValor(std::string_view valor) {
    valor = Recortar(valor);
    if (valor.size() >= 2 && EsComilla(valor.front()) && valor.front() == valor.back()) {
        valor.remove_prefix(1);
        valor.remove_suffix(1);
    }
    return valor;
}

// How the store's text is written. A byte-order mark makes it UTF-8 or UTF-16
// (little- or big-endian), as the Windows service then reads it; without one
// it is Windows-1252 bytes.
struct Formato {
    Codificacion codificacion = Codificacion::Windows1252;
    std::size_t inicio = 0; // first byte after the byte-order mark

    bool Utf16() const { return EsUtf16(codificacion); }
    std::size_t Ancho() const { return Utf16() ? 2 : 1; } // bytes in a code unit
};

Formato FormatoDe(std::string_view bytes) {
    for (const Codificacion c :
         {Codificacion::Utf8, Codificacion::Utf16LE, Codificacion::Utf16BE}) {
        if (const std::size_t n = LongitudMarca(c, bytes)) {
            return {c, n};
        }
    }
    return {};
}

// The code unit at `p`: a byte, or a UTF-16 unit. Half a unit at the end of
// a UTF-16 text is none (0xFFFF), and so no line break.
char16_t UnidadEn(std::string_view bytes, std::size_t p, const Formato& f) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (!f.Utf16()) {
        return b(p);
    }
    if (p + 1 >= bytes.size()) {
        return 0xFFFF;
    }
    return static_cast<char16_t>(f.codificacion == Codificacion::Utf16BE ? (b(p) << 8) | b(p + 1)
                                                                         : (b(p + 1) << 8) | b(p));
}

bool EsSaltoUnidad(char16_t u) {
    return u == '\r' || u == '\n';
}

// Windows-1252 bytes of a store's text: a Windows-1252 line as it is, a
// Unicode one when Windows-1252 has all its characters.
std::optional<std::string> Ansi(std::string_view texto, bool unicode) {
    return unicode ? AnsiDeUtf8(texto) : std::string(texto);
}

// A key "U+XXXX" (as `remember` takes a character, in either case, 4 to 6
// digits) is the character's own key: its byte when Windows-1252 has it
// ("U+00E7" is 0xE7), else "U+XXXX" as the program writes it. Any other key
// stays as it is.
std::string ClaveUnica(std::string clave) {
    if (clave.size() < 6 || clave.size() > 8 || (clave[0] != 'U' && clave[0] != 'u') ||
        clave[1] != '+') {
        return clave;
    }
    char32_t cp = 0;
    for (const char c : std::string_view(clave).substr(2)) {
        const int v = ValorHex(c);
        if (v < 0) {
            return clave;
        }
        cp = cp * 16 + static_cast<char32_t>(v);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return clave;
    }
    return ClaveDeCaracter(cp);
}

// A key as written in the file, as the program looks it up: Windows-1252
// bytes, or "U+XXXX" for a character Windows-1252 lacks. In a UTF-8 line
// (`unicode`) a character Windows-1252 has is its byte (`ç` is 0xE7), and one
// it lacks, written alone, is its U+XXXX key; a key that is neither is no
// character's, and nothing. A character Windows-1252 has, written by hand
// as U+XXXX, is its byte too.
std::optional<std::string> ClaveLeida(std::string_view escrita, bool unicode) {
    if (const std::optional<std::string> ansi = Ansi(escrita, unicode)) {
        return ClaveUnica(DecodificarClave(*ansi));
    }
    char32_t cp = 0;
    if (!escrita.empty() &&
        DecodificarUtf8(reinterpret_cast<const unsigned char*>(escrita.data()), escrita.size(),
                        cp) == static_cast<int>(escrita.size())) {
        return CodigoUnicode(cp);
    }
    return std::nullopt;
}

// A value as the program reads it, Windows-1252 bytes cut to 127 as the
// 128-byte buffer did; nothing when a UTF-8 line's value holds a character
// Windows-1252 lacks: no answer, rather than a wrong one.
std::optional<std::string> ValorLeido(std::string_view escrito, bool unicode) {
    std::optional<std::string> r = Ansi(DecodificarValor(escrito), unicode);
    if (r && r->size() > kLargoMaximoSustituto) {
        r->resize(kLargoMaximoSustituto);
    }
    return r;
}

// The answer a value as written gives: nothing for none (an empty value, or
// one Windows-1252 cannot hold), an empty text for the delete answer,
// otherwise the replacement as ValorLeido gives it.
std::optional<std::string> RespuestaLeida(std::string_view escrito, bool unicode) {
    if (EsBorrado(escrito)) {
        return std::string();
    }
    std::optional<std::string> r = ValorLeido(escrito, unicode);
    if (r && r->empty()) {
        return std::nullopt;
    }
    return r;
}

bool MismaSeccion(std::string_view nombre, std::string_view seccion, bool unicode) {
    const std::optional<std::string> ansi = Ansi(nombre, unicode);
    return ansi && IgualesSinMayusculas(*ansi, seccion);
}

struct Linea {
    std::size_t inicio;   // first byte of the line
    std::size_t fin;      // one past its last byte, before the line break
    std::size_t finSalto; // one past the line break that ends it (== fin at the
                          // end of a file without a final line break)
    std::size_t numero;   // as an editor counts lines: from 1, CR LF, a lone CR
                          // and a lone LF each ending one
};

// Splits at every run of CR and LF units, so empty lines do not exist. The
// line break kept with a line is only the first one of the run (CR LF, CR or
// LF): a new line inserted after it lands before any empty lines that follow.
std::vector<Linea> PartirLineas(std::string_view bytes, const Formato& f) {
    std::vector<Linea> lineas;
    const std::size_t w = f.Ancho();
    const std::size_t n = bytes.size();
    // The bytes of the line break at `p` (`p` < `n`): none, CR LF, CR or LF.
    const auto salto = [&](std::size_t p) -> std::size_t {
        const char16_t u = UnidadEn(bytes, p, f);
        if (!EsSaltoUnidad(u)) {
            return 0;
        }
        return u == '\r' && p + w < n && UnidadEn(bytes, p + w, f) == '\n' ? 2 * w : w;
    };
    std::size_t numero = 1;
    std::size_t p = f.inicio;
    while (p < n) {
        if (const std::size_t s = salto(p)) {
            p += s;
            ++numero;
            continue;
        }
        Linea l{p, p, p, numero};
        while (p < n && salto(p) == 0) {
            p += w;
        }
        p = std::min(p, n); // past half a unit at the end
        l.fin = p;
        l.finSalto = p < n ? p + salto(p) : p;
        lineas.push_back(l);
    }
    return lineas;
}

// The store's lines as the program reads them: a Windows-1252 store's lines
// are their bytes; a UTF-8 or UTF-16 store's lines are UTF-8 text (Unicode).
// In a UTF-8 store a line that is not UTF-8 at all is read as Windows-1252
// bytes: earlier versions of this program appended such lines to stores that
// an editor had saved as UTF-8, and their answers stay found.
class Vista {
public:
    explicit Vista(std::string_view bytes)
        : m_bytes(bytes), m_formato(FormatoDe(bytes)), m_lineas(PartirLineas(bytes, m_formato)) {
        const bool utf8 = m_formato.codificacion == Codificacion::Utf8;
        for (std::size_t i = 0; i < m_lineas.size(); ++i) {
            if (m_formato.Utf16()) {
                // A unit that is no character (half a pair, a last odd byte)
                // gives the byte 0xFF: a key or value holding it is never
                // taken for text, while the line's '[', ']' and '=' still read
                // as the Windows service reads them.
                DesdeUtf16 desde(m_formato.codificacion == Codificacion::Utf16BE, true);
                std::string& texto = m_utf8.emplace_back();
                desde.Procesar(bytes.data() + m_lineas[i].inicio,
                               m_lineas[i].fin - m_lineas[i].inicio, texto);
                desde.Terminar(texto);
            }
            m_unicode.push_back(m_formato.Utf16() || (utf8 && EsUtf8Valido(Texto(i))));
        }
    }

    const Formato& Forma() const { return m_formato; }
    const std::vector<Linea>& Lineas() const { return m_lineas; }
    std::string_view Texto(std::size_t i) const {
        if (m_formato.Utf16()) {
            return m_utf8[i];
        }
        return m_bytes.substr(m_lineas[i].inicio, m_lineas[i].fin - m_lineas[i].inicio);
    }
    bool Unicode(std::size_t i) const { return m_unicode[i]; }

private:
    std::string_view m_bytes;
    Formato m_formato;
    std::vector<Linea> m_lineas;
    std::vector<std::string> m_utf8; // each line of a UTF-16 store
    std::vector<bool> m_unicode;     // each line: read as UTF-8
};

enum class TipoLinea { Cabecera, Entrada, Otra };

struct LineaAnalizada {
    TipoLinea tipo = TipoLinea::Otra;
    std::string_view nombre; // section name of a header
    std::string_view clave;  // raw key of an entry, as written
    std::string_view valor;  // raw value of an entry, untrimmed
};

LineaAnalizada LeerLinea(std::string_view linea) {
    LineaAnalizada a;
    linea = Recortar(linea);
    if (linea.empty() || linea.front() == ';') {
        return a;
    }
    if (linea.front() == '[') {
        const std::size_t cierre = linea.find(']');
        // A '[' line without ']' is junk: it neither opens a section nor holds
        // an entry.
        if (cierre != std::string_view::npos) {
            a.tipo = TipoLinea::Cabecera;
            a.nombre = linea.substr(1, cierre - 1);
        }
        return a;
    }
    const std::size_t igual = linea.find('=');
    if (igual != std::string_view::npos) {
        a.tipo = TipoLinea::Entrada;
        a.clave = Recortar(linea.substr(0, igual));
        a.valor = linea.substr(igual + 1);
    }
    return a;
}

struct Busqueda {
    bool seccionHallada = false;
    std::size_t ultimaEntrada = 0;     // last entry of the section, or its header
    std::vector<std::size_t> conClave; // every entry with the key, the first one first
    std::vector<std::size_t> entradas; // every entry of the section
};

// Looks for `clave` in the first section named `seccion`. Later sections of
// the same name are ignored, as the Windows service ignores them.
Busqueda Buscar(const Vista& v, std::string_view seccion, std::string_view clave) {
    Busqueda b;
    for (std::size_t i = 0; i < v.Lineas().size(); ++i) {
        const LineaAnalizada a = LeerLinea(v.Texto(i));
        if (a.tipo == TipoLinea::Cabecera) {
            if (b.seccionHallada) {
                break;
            }
            b.seccionHallada = MismaSeccion(a.nombre, seccion, v.Unicode(i));
            b.ultimaEntrada = i;
        } else if (b.seccionHallada && a.tipo == TipoLinea::Entrada) {
            b.ultimaEntrada = i;
            b.entradas.push_back(i);
            if (ClaveLeida(a.clave, v.Unicode(i)) == clave) {
                b.conClave.push_back(i);
            }
        }
    }
    return b;
}

// The entries read from `seccion`: the first of each key, with its value
// (nothing when it is no Windows-1252 text) and the answer it gives.
struct Leida {
    std::size_t linea;
    std::string clave;
    std::optional<std::string> valor;
    std::optional<std::string> respuesta;
};

std::vector<Leida> Leidas(const Vista& v, std::string_view seccion) {
    std::vector<Leida> r;
    std::set<std::string> vistas;
    for (const std::size_t i : Buscar(v, seccion, {}).entradas) {
        const LineaAnalizada a = LeerLinea(v.Texto(i));
        std::optional<std::string> clave = ClaveLeida(a.clave, v.Unicode(i));
        if (clave && !clave->empty() && vistas.insert(*clave).second) {
            r.push_back({i, std::move(*clave), ValorLeido(a.valor, v.Unicode(i)),
                         RespuestaLeida(a.valor, v.Unicode(i))});
        }
    }
    return r;
}

// Whether the entry reads back as given once written. A line break in any
// part would split it over several lines. A section name becomes "[name]"
// and is read back up to the first ']'. A key may not hold '=' (the key ends
// at the first one), may not turn its line into a header or a comment, and
// may not contain text that reads as an escape.
bool Guardable(std::string_view seccion, std::string_view clave, const std::string& escrita,
               std::string_view valor) {
    const auto salto = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos;
    };
    return !salto(seccion) && seccion.find(']') == std::string_view::npos && !salto(valor) &&
           !clave.empty() && clave.find('=') == std::string_view::npos && escrita.front() != '[' &&
           escrita.front() != ';' && DecodificarClave(escrita) == clave;
}

} // namespace

std::optional<std::string> Respuesta(std::string_view bytes, std::string_view seccion,
                                     std::string_view clave) {
    if (clave.empty()) {
        return std::nullopt;
    }
    const Vista v(bytes);
    const Busqueda b = Buscar(v, seccion, clave);
    if (b.conClave.empty()) {
        return std::nullopt;
    }
    const std::size_t i = b.conClave.front();
    return RespuestaLeida(LeerLinea(v.Texto(i)).valor, v.Unicode(i));
}

std::string Solucion(std::string_view bytes, std::string_view seccion, std::string_view clave) {
    return Respuesta(bytes, seccion, clave).value_or("");
}

namespace {

// The bytes with the entry `clave`=`escrito` (the value as it stands in the
// file), as ConSolucion places it.
std::optional<std::string> ConEntrada(std::string_view viejo, std::string_view seccion,
                                      std::string_view clave, std::string_view escrito) {
    const std::string claveEscrita = CodificarClave(clave);
    if (!Guardable(seccion, clave, claveEscrita, escrito)) {
        return std::nullopt;
    }
    const Vista v(viejo);
    const Formato& f = v.Forma();
    // After half a UTF-16 unit at the end, nothing written could be read.
    if (f.Utf16() && (viejo.size() - f.inicio) % 2 != 0) {
        return std::nullopt;
    }
    // What is written is Windows-1252 text in the store's encoding; a U+XXXX
    // key stays those six letters, as the Windows service would write it.
    const std::string entrada =
        Codificado(claveEscrita + '=' + std::string(escrito), f.codificacion);
    const std::string finLinea = Codificado("\r\n", f.codificacion);
    const Busqueda b = Buscar(v, seccion, clave);

    std::string nuevo;
    if (!b.conClave.empty()) {
        // The old line gives way to the new one; its line break, and every
        // other byte of the file, stay as they were.
        const Linea& l = v.Lineas()[b.conClave.front()];
        nuevo.append(viejo.substr(0, l.inicio)).append(entrada).append(viejo.substr(l.fin));
    } else if (b.seccionHallada) {
        const Linea& l = v.Lineas()[b.ultimaEntrada];
        nuevo.append(viejo.substr(0, l.finSalto));
        if (l.finSalto == l.fin) {
            nuevo.append(finLinea);
        }
        nuevo.append(entrada).append(finLinea).append(viejo.substr(l.finSalto));
    } else {
        nuevo.append(viejo);
        if (viejo.size() > f.inicio &&
            !EsSaltoUnidad(UnidadEn(viejo, viejo.size() - f.Ancho(), f))) {
            nuevo.append(finLinea);
        }
        nuevo.append(Codificado(std::string("[").append(seccion).append("]"), f.codificacion));
        nuevo.append(finLinea);
        nuevo.append(entrada).append(finLinea);
    }
    return nuevo;
}

} // namespace

std::optional<std::string> ConSolucion(std::string_view viejo, std::string_view seccion,
                                       std::string_view clave, std::string_view valor) {
    return ConEntrada(viejo, seccion, clave, CodificarValor(valor));
}

std::optional<std::string> ConBorrado(std::string_view viejo, std::string_view seccion,
                                      std::string_view clave) {
    return ConEntrada(viejo, seccion, clave, kBorradoEscrito);
}

std::optional<std::string> SinSolucion(std::string_view viejo, std::string_view seccion,
                                       std::string_view clave) {
    if (clave.empty()) {
        return std::nullopt;
    }
    const Vista v(viejo);
    const Busqueda b = Buscar(v, seccion, clave);
    if (b.conClave.empty()) {
        return std::nullopt;
    }
    std::string nuevo;
    std::size_t desde = 0;
    for (const std::size_t i : b.conClave) {
        nuevo.append(viejo.substr(desde, v.Lineas()[i].inicio - desde));
        desde = v.Lineas()[i].finSalto;
    }
    nuevo.append(viejo.substr(desde));
    return nuevo;
}

std::vector<std::pair<std::string, std::optional<std::string>>>
Soluciones(std::string_view bytes, std::string_view seccion) {
    std::vector<std::pair<std::string, std::optional<std::string>>> r;
    for (Leida& l : Leidas(Vista(bytes), seccion)) {
        r.emplace_back(std::move(l.clave), std::move(l.respuesta));
    }
    return r;
}

std::vector<std::size_t> LineasSinValor(std::string_view bytes, std::string_view seccion) {
    const Vista v(bytes);
    std::vector<std::size_t> r;
    for (const Leida& l : Leidas(v, seccion)) {
        if (!l.valor) {
            r.push_back(v.Lineas()[l.linea].numero);
        }
    }
    return r;
}

} // namespace tildora::ini
