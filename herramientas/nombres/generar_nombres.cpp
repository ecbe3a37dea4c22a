// Makes the table of the characters' names that core/nombres.cpp reads, at
// build time, with ICU; the programs themselves never load ICU.
//
//   tildora_generar_nombres SALIDA
//
// SALIDA is the C++ file to write. Every code point up to U+10FFFF gets the
// name ICU gives it (U_EXTENDED_CHAR_NAME: the Unicode name, else one such
// as "<control-0009>"), held in the form core/nombres_tabla.h describes:
//   - a Hangul syllable whose name is the one its letters make is not held;
//   - a name that is the code point in hex between two texts that runs of
//     code points share ("CJK UNIFIED IDEOGRAPH-4E00", "<unassigned-0378>")
//     is held as those two texts, once for the run;
//   - any other name is held as its words' numbers, the words once each,
//     after the words it shares with the name before it.
// Each form is chosen only when it gives back the very name ICU gave.
#include "core/nombres_tabla.h"

#include <unicode/uchar.h>
#include <unicode/uclean.h>
#include <unicode/uversion.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

namespace t = tildora::tabla_nombres;

constexpr char32_t kUltimo = 0x10FFFF;
constexpr const char* kPrograma = "tildora_generar_nombres";

std::string NombreIcu(char32_t cp) {
    char nombre[256];
    UErrorCode e = U_ZERO_ERROR;
    const int32_t n = u_charName(static_cast<UChar32>(cp), U_EXTENDED_CHAR_NAME, nombre,
                                 static_cast<int32_t>(sizeof nombre), &e);
    if (U_FAILURE(e) || n <= 0 || n >= static_cast<int32_t>(sizeof nombre)) {
        return {};
    }
    return std::string(nombre, static_cast<std::size_t>(n));
}

std::string Hex(char32_t cp) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(cp));
    return buf;
}

std::vector<std::string> Palabras(std::string_view nombre) {
    std::vector<std::string> r;
    std::size_t i = 0;
    while (true) {
        const std::size_t espacio = nombre.find(' ', i);
        r.emplace_back(nombre.substr(i, espacio - i));
        if (espacio == std::string_view::npos) {
            return r;
        }
        i = espacio + 1;
    }
}

// How a code point is named: Hangul, a formula (its number), or words.
struct Forma {
    std::uint32_t valor = 0; // t::kHangul, t::kFormula | f, or 0 for words
    bool operator==(const Forma&) const = default;
};

class Generador {
public:
    // Reads every name from ICU and decides each one's form; false when a
    // name cannot be held.
    bool Leer();
    // The table as C++.
    std::string Escribir() const;
    std::string Resumen() const;

private:
    bool Codificar();
    void Tramos();
    bool Nombres(const std::unordered_map<std::string, unsigned>& numero);
    void Diccionario();

    std::vector<std::string> m_nombres; // by code point
    std::vector<Forma> m_formas;        // by code point
    std::vector<std::pair<std::string, std::string>> m_formulas;
    std::vector<std::string> m_palabras; // by number
    std::vector<unsigned char> m_bloque; // kPalabras
    std::vector<std::uint32_t> m_indice; // kIndice
    unsigned m_unByte = 256;
    std::vector<unsigned char> m_codigos; // kNombres
    std::vector<char32_t> m_desde;
    std::vector<std::uint32_t> m_valor;
    std::size_t m_conPalabras = 0;
};

bool Generador::Leer() {
    std::map<std::pair<std::string, std::string>, std::uint32_t> formulas;
    m_nombres.resize(kUltimo + 1);
    m_formas.resize(kUltimo + 1);
    for (char32_t cp = 0; cp <= kUltimo; ++cp) {
        std::string nombre = NombreIcu(cp);
        if (nombre.empty()) {
            std::cerr << kPrograma << ": ICU gives U+" << Hex(cp) << " no name\n";
            return false;
        }
        const std::string hex = Hex(cp);
        const std::size_t p = nombre.rfind("-" + hex);
        if (nombre == t::NombreHangul(cp)) {
            m_formas[cp].valor = t::kHangul;
        } else if (p != std::string::npos) {
            const auto clave =
                std::make_pair(nombre.substr(0, p + 1), nombre.substr(p + 1 + hex.size()));
            const auto [it, nueva] =
                formulas.try_emplace(clave, static_cast<std::uint32_t>(m_formulas.size()));
            if (nueva) {
                m_formulas.push_back(clave);
            }
            m_formas[cp].valor = t::kFormula | it->second;
        } else {
            ++m_conPalabras;
        }
        m_nombres[cp] = std::move(nombre);
    }
    return Codificar();
}

// What comes before an item of kNombres or kPalabras: how much it shares with
// the item before (15 at most) and how many bytes follow; a count of 0, or
// of 16 or more, goes in a byte of its own.
void Cabecera(std::vector<unsigned char>& destino, std::size_t comun, std::size_t resto) {
    const bool corto = resto > 0 && resto < 16;
    destino.push_back(static_cast<unsigned char>(comun << 4 | (corto ? resto : 0)));
    if (!corto) {
        destino.push_back(static_cast<unsigned char>(resto));
    }
}

// Numbers the words by use, then writes every name held as words.
bool Generador::Codificar() {
    std::unordered_map<std::string, std::size_t> usos;
    for (char32_t cp = 0; cp <= kUltimo; ++cp) {
        if (m_formas[cp].valor == 0) {
            for (std::string& p : Palabras(m_nombres[cp])) {
                if (p.empty() || p.size() > 255) {
                    std::cerr << kPrograma << ": U+" << Hex(cp) << ": a word that cannot be held\n";
                    return false;
                }
                ++usos[std::move(p)];
            }
        }
    }
    for (const auto& [p, n] : usos) {
        m_palabras.push_back(p);
    }
    std::sort(m_palabras.begin(), m_palabras.end(),
              [&](const std::string& a, const std::string& b) {
                  return usos[a] != usos[b] ? usos[a] > usos[b] : a < b;
              });
    // As many one-byte numbers as leave room for every other word in two;
    // the words of each size in alphabetical order, so that a word shares
    // its first letters with the one before.
    while (m_unByte + (256 - m_unByte) * 256 < m_palabras.size()) {
        if (--m_unByte == 0) {
            std::cerr << kPrograma << ": too many words\n";
            return false;
        }
    }
    const auto unByte = m_palabras.begin() + std::min<std::size_t>(m_unByte, m_palabras.size());
    std::sort(m_palabras.begin(), unByte);
    std::sort(unByte, m_palabras.end());
    std::unordered_map<std::string, unsigned> numero;
    for (unsigned i = 0; i < m_palabras.size(); ++i) {
        numero[m_palabras[i]] = i;
    }
    Tramos();
    if (!Nombres(numero)) {
        return false;
    }
    Diccionario();
    return true;
}

// Writes every name held as words into kNombres, each after the one before
// in its run.
bool Generador::Nombres(const std::unordered_map<std::string, unsigned>& numero) {
    std::size_t tramo = 0;
    std::vector<unsigned> antes;
    for (char32_t cp = 0; cp <= kUltimo; ++cp) {
        while (tramo + 1 < m_desde.size() && m_desde[tramo + 1] <= cp) {
            ++tramo;
        }
        if (m_formas[cp].valor != 0) {
            continue;
        }
        if (m_desde[tramo] == cp) {
            m_valor[tramo] = static_cast<std::uint32_t>(m_codigos.size());
            antes.clear();
        }
        std::vector<unsigned> numeros;
        for (const std::string& p : Palabras(m_nombres[cp])) {
            numeros.push_back(numero.at(p));
        }
        std::size_t comun = 0;
        while (comun < 15 && comun < numeros.size() && comun < antes.size() &&
               numeros[comun] == antes[comun]) {
            ++comun;
        }
        std::vector<unsigned char> bytes;
        for (std::size_t i = comun; i < numeros.size(); ++i) {
            const unsigned n = numeros[i];
            if (n < m_unByte) {
                bytes.push_back(static_cast<unsigned char>(n));
            } else {
                bytes.push_back(static_cast<unsigned char>(m_unByte + (n - m_unByte) / 256));
                bytes.push_back(static_cast<unsigned char>((n - m_unByte) % 256));
            }
        }
        if (bytes.size() > 255) {
            std::cerr << kPrograma << ": U+" << Hex(cp) << ": a name too long to hold\n";
            return false;
        }
        Cabecera(m_codigos, comun, bytes.size());
        m_codigos.insert(m_codigos.end(), bytes.begin(), bytes.end());
        antes = std::move(numeros);
    }
    if (m_codigos.size() >= t::kFormula) {
        std::cerr << kPrograma << ": the names do not fit the table\n";
        return false;
    }
    return true;
}

// The runs: a code point begins one when its form is not the one before's,
// or when the run of names it would join is full.
void Generador::Tramos() {
    std::size_t enTramo = 0;
    for (char32_t cp = 0; cp <= kUltimo; ++cp) {
        const std::uint32_t v = m_formas[cp].valor;
        if (cp == 0 || v != m_formas[cp - 1].valor || (v == 0 && enTramo == t::kNombresPorTramo)) {
            m_desde.push_back(cp);
            m_valor.push_back(v); // a run of names: where they begin, once written
            enTramo = 0;
        }
        ++enTramo;
    }
}

// Numbers as a C++ initialiser, in lines of at most 100 columns.
void Numeros(std::ostream& o, const char* formato, const auto& valores) {
    std::string linea = "   ";
    char buf[32];
    for (const auto v : valores) {
        std::snprintf(buf, sizeof buf, formato, static_cast<unsigned>(v));
        if (linea.size() + 1 + std::char_traits<char>::length(buf) > 100) {
            o << linea << "\n";
            linea = "   ";
        }
        linea.append(" ").append(buf);
    }
    o << linea << "\n";
}

// The words as kPalabras and kIndice hold them.
void Generador::Diccionario() {
    for (std::size_t i = 0; i < m_palabras.size(); ++i) {
        const std::string& p = m_palabras[i];
        std::size_t comun = 0;
        if (i % t::kPalabrasPorIndice == 0) {
            m_indice.push_back(static_cast<std::uint32_t>(m_bloque.size()));
        } else {
            const std::string& antes = m_palabras[i - 1];
            while (comun < 15 && comun < p.size() && comun < antes.size() &&
                   p[comun] == antes[comun]) {
                ++comun;
            }
        }
        Cabecera(m_bloque, comun, p.size() - comun);
        m_bloque.insert(m_bloque.end(), p.begin() + static_cast<std::ptrdiff_t>(comun), p.end());
    }
}

std::string Generador::Escribir() const {
    std::ostringstream o;
    o << "// Made by " << kPrograma
      << " from ICU " U_ICU_VERSION " (Unicode " U_UNICODE_VERSION "). Do not edit.\n"
         "// clang-format off\n"
         "#include \"core/nombres_tabla.h\"\n\n"
         "namespace tildora::tabla_nombres {\n\n";
    o << "// " << m_conPalabras << " names held as words, in " << m_palabras.size() << " words.\n";
    o << "const std::size_t kTramos = " << m_desde.size() << ";\n";
    o << "const char32_t kDesde[] = {\n";
    Numeros(o, "0x%X,", m_desde);
    o << "};\nconst std::uint32_t kValor[] = {\n";
    Numeros(o, "0x%X,", m_valor);
    o << "};\nconst std::size_t kFormulas = " << m_formulas.size() << ";\n";
    o << "const char* const kAntes[] = {\n";
    for (const auto& [antes, despues] : m_formulas) {
        o << "    \"" << antes << "\",\n";
    }
    o << "};\nconst char* const kDespues[] = {\n";
    for (const auto& [antes, despues] : m_formulas) {
        o << "    \"" << despues << "\",\n";
    }
    o << "};\nconst unsigned kUnByte = " << m_unByte << ";\n";
    o << "const unsigned char kNombres[] = {\n";
    Numeros(o, "%u,", m_codigos);
    o << "};\nconst unsigned char kPalabras[] = {\n";
    Numeros(o, "%u,", m_bloque);
    o << "};\nconst std::uint32_t kIndice[] = {\n";
    Numeros(o, "%u,", m_indice);
    o << "};\n\n} // namespace tildora::tabla_nombres\n";
    return o.str();
}

std::string Generador::Resumen() const {
    std::size_t formulas = 0;
    for (const auto& [antes, despues] : m_formulas) {
        formulas += antes.size() + despues.size() + 2 + 2 * sizeof(char*);
    }
    const std::size_t palabras = m_bloque.size() + 4 * m_indice.size();
    const std::size_t tramos = 8 * m_desde.size() + formulas;
    std::ostringstream o;
    o << m_conPalabras << " names in " << m_palabras.size() << " words (" << m_unByte
      << " of one byte), " << m_formulas.size() << " formulas, " << m_desde.size()
      << " runs; bytes: " << m_codigos.size() << " names, " << palabras << " words, " << tramos
      << " runs, " << m_codigos.size() + palabras + tramos << " in all";
    return o.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << kPrograma << " SALIDA\n";
        return 2;
    }
    const auto inicio = std::chrono::steady_clock::now();
    std::string tabla;
    std::string resumen;
    {
        Generador g;
        if (!g.Leer()) {
            return 1;
        }
        tabla = g.Escribir();
        resumen = g.Resumen();
    }
    u_cleanup();

    // Written whole under another name, then renamed: an interrupted run
    // leaves no half table that the build would take as made.
    const std::string salida = argv[1];
    const std::string temporal = salida + ".tmp";
    {
        std::ofstream f(temporal, std::ios::binary | std::ios::trunc);
        f << tabla;
        f.close();
        if (!f) {
            std::cerr << kPrograma << ": cannot write " << temporal << "\n";
            return 1;
        }
    }
    if (std::rename(temporal.c_str(), salida.c_str()) != 0) {
        std::perror((std::string(kPrograma) + ": " + salida).c_str());
        std::remove(temporal.c_str());
        return 1;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - inicio)
                        .count();
    std::cout << kPrograma << ": " << resumen << ", " << ms << " ms\n";
    return 0;
}
