// Makes the table of proposed replacements that core/propuestas.cpp reads,
// at build time, with ICU; the program itself never loads ICU.
//
//   tildora_generar_propuestas REGLAS SALIDA
//
// REGLAS is the file of the program's own rules (reglas_propuestas.txt, ICU
// transliteration syntax); SALIDA the C++ file to write. For every code point
// up to U+10FFFF the proposal is, in this order:
//   - none for an allowed character, CR, LF and the surrogates;
//   - what the program's own rules make of it, when one of them speaks;
//   - the delete answer for an invisible character (EsInvisible);
//   - none for a Chinese, Japanese or Korean character (a romanisation is
//     not a replacement a reader of Spanish or Basque can check) and for an
//     unassigned code point;
//   - otherwise what ICU's CLDR transforms make of it: Any-Latin, then the
//     letters whose marks can partly stay (ǘ → ü), then Latin-ASCII, then the
//     own rules again for what those leave; failing that, the same for its
//     compatibility decomposition (² → 2, ﬀ → ff).
// CLDR's transforms only ever see the characters that are not allowed; the
// own rules are checked, before anything else, to leave every allowed one
// as it is. A result that still holds a wrong character is no proposal.
#include "core/caracteres.h"
#include "core/unicode.h"

#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uclean.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using icu::Normalizer2;
using icu::Transliterator;
using icu::UnicodeSet;
using icu::UnicodeString;

// The values of the table, as core/propuestas_tabla.h reads them.
constexpr std::uint32_t kNinguna = 0xFFFFFFFF;
constexpr std::uint32_t kCjk = 0xFFFFFFFE;
constexpr std::size_t kLargoMaximo = 255;

constexpr char32_t kUltimo = 0x10FFFF;

bool Fallo(UErrorCode e, const char* que) {
    if (U_FAILURE(e)) {
        std::cerr << "tildora_generar_propuestas: " << que << ": " << u_errorName(e) << "\n";
        return true;
    }
    return false;
}

std::string Utf8(const UnicodeString& s) {
    std::string r;
    s.toUTF8String(r);
    return r;
}

class Generador {
public:
    // False, with the reason said, when ICU cannot make a transform.
    bool Preparar(const UnicodeString& reglas);

    // The table's value for one code point: kNinguna, kCjk, or 0 with the
    // proposal's Windows-1252 bytes in `bytes` (none: the delete answer).
    std::uint32_t Valor(UChar32 cp, std::string& bytes) const;

private:
    enum class Resultado { Ninguna, Borrar, Texto };

    Resultado Transliterar(UnicodeString s, std::string& bytes) const;
    UnicodeString ConservarPermitidas(const UnicodeString& s) const;
    UnicodeString MejorForma(UChar32 base, const std::vector<UChar32>& marcas) const;
    bool UnaPermitida(const UnicodeString& s) const;
    bool EsCjk(UChar32 cp) const;

    UnicodeSet m_permitidas;
    std::unique_ptr<Transliterator> m_propias;
    std::unique_ptr<Transliterator> m_latino;
    std::unique_ptr<Transliterator> m_ascii;
    const Normalizer2* m_nfd = nullptr;
    const Normalizer2* m_nfc = nullptr;
    const Normalizer2* m_nfkd = nullptr;
};

bool Generador::Preparar(const UnicodeString& reglas) {
    const tildora::TablaValidez& tabla = tildora::kCaracteresValidos;
    for (unsigned b = 0; b < 256; ++b) {
        if (tabla[b]) {
            m_permitidas.add(
                static_cast<UChar32>(tildora::UnicodeDeAnsi(static_cast<unsigned char>(b))));
        }
    }
    // What the transforms may touch: every character that is not allowed,
    // but the line ends.
    UnicodeSet erroneas(m_permitidas);
    erroneas.add(0x0A).add(0x0D).complement().freeze();
    m_permitidas.freeze();

    UErrorCode e = U_ZERO_ERROR;
    UParseError donde{};
    m_propias.reset(Transliterator::createFromRules(UNICODE_STRING_SIMPLE("Tildora-Propias"),
                                                    reglas, UTRANS_FORWARD, donde, e));
    if (U_FAILURE(e)) {
        // ICU gives where in the text, not which line.
        int linea = 1;
        for (int32_t i = 0; i < donde.offset && i < reglas.length(); ++i) {
            linea += reglas[i] == u'\n' ? 1 : 0;
        }
        std::cerr << "tildora_generar_propuestas: rules, line " << linea << ": " << u_errorName(e)
                  << " (" << Utf8(UnicodeString(donde.preContext)) << " | "
                  << Utf8(UnicodeString(donde.postContext)) << ")\n";
        return false;
    }
    m_latino.reset(Transliterator::createInstance("Any-Latin", UTRANS_FORWARD, e));
    if (Fallo(e, "Any-Latin")) {
        return false;
    }
    m_ascii.reset(Transliterator::createInstance("Latin-ASCII", UTRANS_FORWARD, e));
    if (Fallo(e, "Latin-ASCII")) {
        return false;
    }
    // CLDR's transforms see only the wrong characters. The own rules see the
    // whole text, so that a rule may look at the letter after a sign (μA);
    // that they never change an allowed character is checked here instead.
    for (Transliterator* t : {m_latino.get(), m_ascii.get()}) {
        t->adoptFilter(erroneas.clone());
    }
    for (int32_t i = 0; i < m_permitidas.size(); ++i) {
        const UnicodeString uno(m_permitidas.charAt(i));
        UnicodeString tras(uno);
        m_propias->transliterate(tras);
        if (tras != uno) {
            std::cerr << "tildora_generar_propuestas: the rules change the allowed character "
                      << Utf8(uno) << "\n";
            return false;
        }
    }
    m_nfd = Normalizer2::getNFDInstance(e);
    m_nfc = Normalizer2::getNFCInstance(e);
    m_nfkd = Normalizer2::getNFKDInstance(e);
    return !Fallo(e, "Normalizer2");
}

bool Generador::UnaPermitida(const UnicodeString& s) const {
    return s.countChar32() == 1 && m_permitidas.contains(s.char32At(0));
}

// A letter and its marks as the nearest allowed letter: the most marks kept,
// the first ones first (ǘ, u with diaeresis and acute, gives ü; ế gives é).
// Otherwise the letter as it came, for Latin-ASCII.
UnicodeString Generador::MejorForma(UChar32 base, const std::vector<UChar32>& marcas) const {
    UErrorCode e = U_ZERO_ERROR;
    UnicodeString entera(base);
    for (UChar32 m : marcas) {
        entera.append(m);
    }
    entera = m_nfc->normalize(entera, e);
    const std::size_t n = marcas.size();
    if (n == 0 || n > 4 || UnaPermitida(entera)) {
        return entera;
    }
    for (std::size_t k = n - 1; k >= 1; --k) {
        // The subsets of k marks, in order, as bit masks read from the first.
        std::vector<bool> elegida(n, false);
        std::fill(elegida.begin(), elegida.begin() + static_cast<std::ptrdiff_t>(k), true);
        do {
            UnicodeString c(base);
            for (std::size_t i = 0; i < n; ++i) {
                if (elegida[i]) {
                    c.append(marcas[i]);
                }
            }
            c = m_nfc->normalize(c, e);
            if (U_SUCCESS(e) && UnaPermitida(c)) {
                return c;
            }
        } while (std::prev_permutation(elegida.begin(), elegida.end()));
    }
    return entera;
}

UnicodeString Generador::ConservarPermitidas(const UnicodeString& s) const {
    UErrorCode e = U_ZERO_ERROR;
    const UnicodeString d = m_nfd->normalize(s, e);
    UnicodeString r;
    int32_t i = 0;
    while (i < d.length()) {
        const UChar32 base = d.char32At(i);
        i += U16_LENGTH(base);
        std::vector<UChar32> marcas;
        while (i < d.length() && u_getCombiningClass(d.char32At(i)) != 0) {
            marcas.push_back(d.char32At(i));
            i += U16_LENGTH(marcas.back());
        }
        r.append(MejorForma(base, marcas));
    }
    return r;
}

Generador::Resultado Generador::Transliterar(UnicodeString s, std::string& bytes) const {
    m_propias->transliterate(s);
    m_latino->transliterate(s);
    s = ConservarPermitidas(s);
    m_ascii->transliterate(s);
    m_propias->transliterate(s);
    bytes.clear();
    for (int32_t i = 0; i < s.length(); i += U16_LENGTH(s.char32At(i))) {
        const UChar32 c = s.char32At(i);
        if (!m_permitidas.contains(c)) {
            return Resultado::Ninguna;
        }
        bytes += static_cast<char>(*tildora::AnsiDeUnicode(static_cast<char32_t>(c)));
    }
    if (bytes.size() > kLargoMaximo) {
        return Resultado::Ninguna;
    }
    return bytes.empty() ? Resultado::Borrar : Resultado::Texto;
}

// Han, Hiragana, Katakana, Hangul and Bopomofo; the signs used with those
// scripts alone (、。「」ー); and what decomposes into them (㍿, ㋀, ｶ).
bool Generador::EsCjk(UChar32 cp) const {
    const auto cjk = [](UScriptCode s) {
        return s == USCRIPT_HAN || s == USCRIPT_HIRAGANA || s == USCRIPT_KATAKANA ||
               s == USCRIPT_HANGUL || s == USCRIPT_BOPOMOFO || s == USCRIPT_KATAKANA_OR_HIRAGANA;
    };
    UErrorCode e = U_ZERO_ERROR;
    const UScriptCode sc = uscript_getScript(cp, &e);
    if (cjk(sc)) {
        return true;
    }
    if (sc == USCRIPT_COMMON || sc == USCRIPT_INHERITED) {
        UScriptCode scx[64];
        const int32_t n = uscript_getScriptExtensions(cp, scx, 64, &e);
        bool alguna = false;
        bool solo = n > 0;
        for (int32_t i = 0; i < n; ++i) {
            alguna = alguna || cjk(scx[i]);
            solo = solo && (cjk(scx[i]) || scx[i] == USCRIPT_YI);
        }
        if (U_SUCCESS(e) && alguna && solo) {
            return true;
        }
    }
    const UnicodeString k = m_nfkd->normalize(UnicodeString(cp), e);
    for (int32_t i = 0; i < k.length(); i += U16_LENGTH(k.char32At(i))) {
        if (cjk(uscript_getScript(k.char32At(i), &e))) {
            return true;
        }
    }
    return false;
}

std::uint32_t Generador::Valor(UChar32 cp, std::string& bytes) const {
    if (U_IS_SURROGATE(cp) || cp == 0x0A || cp == 0x0D || m_permitidas.contains(cp)) {
        return kNinguna;
    }
    const UnicodeString uno(cp);
    UnicodeString propia(uno);
    m_propias->transliterate(propia);
    Resultado r = Resultado::Ninguna;
    if (propia != uno) {
        r = Transliterar(uno, bytes);
    } else if (tildora::EsInvisible(static_cast<char32_t>(cp))) {
        r = Resultado::Borrar;
        bytes.clear();
    } else if (EsCjk(cp)) {
        return kCjk;
    } else if (u_charType(cp) == U_UNASSIGNED) {
        return kNinguna;
    } else {
        r = Transliterar(uno, bytes);
        UErrorCode e = U_ZERO_ERROR;
        const UnicodeString k = m_nfkd->normalize(uno, e);
        if (r == Resultado::Ninguna && U_SUCCESS(e) && k != uno) {
            r = Transliterar(k, bytes);
            // A spacing accent decomposes into a blank and its mark (˘ into
            // " " and U+0306): a blank alone is not what it meant.
            if (r == Resultado::Texto && bytes.find_first_not_of(' ') == std::string::npos) {
                r = Resultado::Ninguna;
            }
        }
        // CLDR makes some marks and format characters nothing: those go, as
        // invisible ones do; any other character that would vanish is left to
        // the user.
        if (r == Resultado::Borrar) {
            const int8_t tipo = u_charType(cp);
            if (tipo != U_NON_SPACING_MARK && tipo != U_ENCLOSING_MARK && tipo != U_FORMAT_CHAR &&
                tipo != U_CONTROL_CHAR) {
                r = Resultado::Ninguna;
            }
        }
    }
    return r == Resultado::Ninguna ? kNinguna : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tildora_generar_propuestas RULES OUTPUT\n";
        return 2;
    }
    const auto inicio = std::chrono::steady_clock::now();
    std::ifstream fichero(argv[1], std::ios::binary);
    std::stringstream leido;
    leido << fichero.rdbuf();
    if (!fichero) {
        std::cerr << "tildora_generar_propuestas: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string reglas = leido.str();

    std::vector<char32_t> desde;
    std::vector<std::uint32_t> valores;
    std::string pozo;
    std::size_t propuestas = 0;
    std::size_t borrados = 0;
    {
        Generador g;
        if (!g.Preparar(UnicodeString::fromUTF8(reglas))) {
            return 1;
        }
        std::unordered_map<std::string, std::uint32_t> enPozo;
        std::string bytes;
        for (char32_t cp = 0; cp <= kUltimo; ++cp) {
            std::uint32_t v = g.Valor(static_cast<UChar32>(cp), bytes);
            if (v == 0) {
                ++propuestas;
                if (bytes.empty()) {
                    ++borrados;
                } else {
                    const auto [it, nuevo] =
                        enPozo.try_emplace(bytes, static_cast<std::uint32_t>(pozo.size()));
                    if (nuevo) {
                        pozo += bytes;
                    }
                    v = static_cast<std::uint32_t>(bytes.size() << 24) | it->second;
                }
            }
            if (valores.empty() || valores.back() != v) {
                desde.push_back(cp);
                valores.push_back(v);
            }
        }
    }
    u_cleanup();
    if (pozo.size() >= (1u << 24)) {
        std::cerr << "tildora_generar_propuestas: the proposals do not fit the table\n";
        return 1;
    }

    std::ostringstream o;
    o << "// Made by tildora_generar_propuestas from "
         "herramientas/propuestas/reglas_propuestas.txt\n"
         "// and ICU " U_ICU_VERSION " (Unicode " U_UNICODE_VERSION "). Do not edit.\n"
         "// clang-format off\n"
         "#include \"core/propuestas_tabla.h\"\n\n"
         "namespace tildora::tabla_propuestas {\n\n";
    o << "// " << propuestas << " proposals, " << borrados << " of them the delete answer.\n";
    o << "const std::size_t kTramos = " << desde.size() << ";\n";
    o << "const char32_t kDesde[] = {";
    char buf[32];
    for (std::size_t i = 0; i < desde.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s0x%X,", i % 10 == 0 ? "\n    " : " ",
                      static_cast<unsigned>(desde[i]));
        o << buf;
    }
    o << "\n};\nconst std::uint32_t kValor[] = {";
    for (std::size_t i = 0; i < valores.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%s0x%X,", i % 8 == 0 ? "\n    " : " ",
                      static_cast<unsigned>(valores[i]));
        o << buf;
    }
    o << "\n};\nconst std::size_t kLargoPozo = " << pozo.size() << ";\n";
    o << "const char kPozo[] =";
    for (std::size_t i = 0; i < pozo.size(); ++i) {
        if (i % 64 == 0) {
            o << (i == 0 ? "\n    \"" : "\"\n    \"");
        }
        const auto c = static_cast<unsigned char>(pozo[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            o << static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "\\%03o", static_cast<unsigned>(c));
            o << buf;
        }
    }
    o << (pozo.empty() ? " \"\";\n" : "\";\n");
    o << "\n} // namespace tildora::tabla_propuestas\n";

    // Written whole under another name, then renamed: an interrupted run
    // leaves no half table that the build would take as made.
    const std::string salida = argv[2];
    const std::string temporal = salida + ".tmp";
    {
        std::ofstream f(temporal, std::ios::binary | std::ios::trunc);
        f << o.str();
        f.close();
        if (!f) {
            std::cerr << "tildora_generar_propuestas: cannot write " << temporal << "\n";
            return 1;
        }
    }
    if (std::rename(temporal.c_str(), salida.c_str()) != 0) {
        std::perror(("tildora_generar_propuestas: " + salida).c_str());
        std::remove(temporal.c_str());
        return 1;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - inicio)
                        .count();
    std::cout << "tildora_generar_propuestas: " << propuestas << " proposals (" << borrados
              << " delete), " << desde.size() << " runs, " << pozo.size() << " bytes of text, "
              << ms << " ms\n";
    return 0;
}
