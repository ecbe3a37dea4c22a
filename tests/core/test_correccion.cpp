#include "core/reescritura.h"
#include "core/tabla.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace tildora;

namespace {

struct Resultado {
    std::string texto;
    std::uint64_t cuenta = 0;
    bool operator==(const Resultado&) const = default;
};

// The passes done the obvious slow way: for each row, find its character from
// the search start, replace the match, go on one position after the start of
// the replacement. A replacement that holds its own character after its
// first position would loop for ever there; the program goes on after the
// inserted text instead, and so does this.
Resultado Referencia(std::string t, const std::vector<ParSolucion>& pares) {
    Resultado r;
    for (const auto& [c, sustituto] : pares) {
        if (c == "\r" || c == "\n") {
            continue; // line breaks stay
        }
        const bool sePersigue = sustituto.find(c, 1) != std::string::npos;
        std::size_t inicio = 0;
        for (;;) {
            const std::size_t k = t.find(c, inicio);
            if (k == std::string::npos) {
                break;
            }
            t.replace(k, c.size(), sustituto);
            ++r.cuenta;
            inicio = sePersigue ? k + sustituto.size() : k + 1;
        }
    }
    r.texto = t;
    return r;
}

Resultado Corregir(const std::string& texto, const std::vector<ParSolucion>& pares) {
    Resultado r;
    EXPECT_EQ(CorregirTexto(texto, pares, r.texto, r.cuenta), ResultadoCorreccion::Correcto);
    return r;
}

// Hands a text over in two pieces, cut in the middle.
class EnDosTrozos : public Fuente {
public:
    explicit EnDosTrozos(std::string_view texto) : m_texto(texto) {}
    ResultadoLectura Recorrer(const ManejarTrozo& trozo) override {
        const std::size_t corte = m_texto.size() / 2;
        trozo(m_texto.data(), corte);
        trozo(m_texto.data() + corte, m_texto.size() - corte);
        return {};
    }

private:
    std::string_view m_texto;
};

} // namespace

TEST(Correccion, Examples) {
    // A replacement of several characters counts once per occurrence.
    EXPECT_EQ(Corregir("a\xE7"
                       "b\xE7",
                       {{"\xE7", "ss"}}),
              (Resultado{"assbss", 2}));
    // Upper and lower case are separate rows.
    EXPECT_EQ(Corregir("\xC7\xE7\xC7", {{"\xC7", "C"}, {"\xE7", "c"}}), (Resultado{"CcC", 3}));
    EXPECT_EQ(Corregir("\xC7\xE7", {{"\xE7", "c"}}), (Resultado{"\xC7"
                                                                "c",
                                                                1}));
    // A replacement holding a character listed further down is corrected in
    // that character's turn and counted again; one listed further up stays.
    EXPECT_EQ(Corregir("^|", {{"^", "|x"}, {"|", "I"}}), (Resultado{"IxI", 3}));
    EXPECT_EQ(Corregir("^|", {{"|", "I"}, {"^", "|x"}}), (Resultado{"|xI", 2}));
    // Nothing to correct: the text as it was, 0 corrections.
    EXPECT_EQ(Corregir("limpio\r\n", {{"\xE7", "c"}}), (Resultado{"limpio\r\n", 0}));
    EXPECT_EQ(Corregir("", {{"\xE7", "c"}}), (Resultado{"", 0}));
    // A replacement holding its own character ends.
    EXPECT_EQ(Corregir("\xE7\xE7", {{"\xE7", "a\xE7"}}), (Resultado{"a\xE7"
                                                                    "a\xE7",
                                                                    2}));
}

TEST(Correccion, LineBreaksStayAndEverythingElseIsKept) {
    const std::string texto("a\r\nb\nc\rd\0e\tf", 12);
    const Resultado r = Corregir(texto, {{"\n", "X"}, {std::string("\0", 1), "0"}, {"\t", " "}});
    EXPECT_EQ(r.texto, std::string("a\r\nb\nc\rd0e f"));
    EXPECT_EQ(r.cuenta, 2u); // the LF row adds nothing
}

TEST(Correccion, MatchesTheReferenceOnRandomTexts) {
    std::mt19937 azar(20261207);
    const std::string alfabeto("ab \xE7\xC7^|\t\r\n\x00\x80", 12);
    const std::string erroneos("\xE7\xC7^|\t\n\x00\x80", 8);
    auto letra = [&](const std::string& de) {
        return de[std::uniform_int_distribution<std::size_t>(0, de.size() - 1)(azar)];
    };
    for (int caso = 0; caso < 5000; ++caso) {
        std::string texto;
        const int largo = std::uniform_int_distribution<int>(0, 40)(azar);
        for (int i = 0; i < largo; ++i) {
            texto += letra(alfabeto);
        }
        std::string orden = erroneos;
        std::shuffle(orden.begin(), orden.end(), azar);
        orden.resize(std::uniform_int_distribution<std::size_t>(0, orden.size())(azar));
        std::vector<ParSolucion> pares;
        for (char c : orden) {
            std::string sustituto;
            const int n = std::uniform_int_distribution<int>(1, 4)(azar);
            for (int i = 0; i < n; ++i) {
                sustituto += letra(alfabeto);
            }
            pares.emplace_back(std::string(1, c), sustituto);
        }
        const Resultado esperado = Referencia(texto, pares);
        ASSERT_EQ(Corregir(texto, pares), esperado) << "case " << caso;

        // The same through the streaming rewrite, the text in two pieces.
        Escaner escaneo(TablaFija());
        escaneo.Procesar(texto.data(), texto.size());
        EnDosTrozos fuente(texto);
        std::string salida = "reused storage";
        DestinoTexto destino(salida);
        const ResultadoReescritura r = Reescribir(escaneo, pares, fuente, destino);
        ASSERT_TRUE(r) << "case " << caso;
        EXPECT_EQ(r.correcciones, esperado.cuenta);
        ASSERT_EQ(salida, esperado.texto) << "case " << caso;
    }
}

TEST(Correccion, RowsAreRefusedExactlyWhenTheyWouldLeaveAWrongCharacter) {
    // Random grids, each row's character once in the text: the rule must
    // accept a grid exactly when the slow passes give a clean text.
    std::mt19937 azar(4242);
    const TablaValidez& tabla = TablaFija();
    const std::string alfabeto("ab \xE7\xC7^|\t\x80", 9);
    const std::string erroneos("\xE7\xC7^|\t\n\x80", 7);
    for (int caso = 0; caso < 5000; ++caso) {
        std::string orden = erroneos;
        std::shuffle(orden.begin(), orden.end(), azar);
        orden.resize(std::uniform_int_distribution<std::size_t>(1, orden.size())(azar));
        std::vector<ParSolucion> pares;
        for (char c : orden) {
            std::string sustituto;
            // Never empty: an empty cell is no replacement at all.
            const int n = std::uniform_int_distribution<int>(1, 3)(azar);
            for (int i = 0; i < n; ++i) {
                sustituto += alfabeto[azar() % alfabeto.size()];
            }
            pares.emplace_back(std::string(1, c), sustituto);
        }
        const std::string salida = Referencia("a" + orden + "b", pares).texto;
        const bool limpia = std::all_of(salida.begin(), salida.end(), [&](char x) {
            return tabla[static_cast<unsigned char>(x)] || x == '\r' || x == '\n';
        });
        const std::vector<std::size_t> sucias = FilasNoLimpias(pares, tabla);
        ASSERT_EQ(sucias.empty(), limpia) << "case " << caso;
        // The rows named are exactly those whose own replacement, corrected
        // by the rows below it alone, is not clean (a row for a line break
        // is never applied).
        for (std::size_t i = 0; i < pares.size(); ++i) {
            const std::vector<ParSolucion> abajo(pares.begin() + static_cast<long>(i) + 1,
                                                 pares.end());
            const std::string forma = Referencia(pares[i].second, abajo).texto;
            const bool sucia =
                pares[i].first != "\n" && !std::all_of(forma.begin(), forma.end(), [&](char x) {
                    return tabla[static_cast<unsigned char>(x)] || x == '\n';
                });
            EXPECT_EQ(std::count(sucias.begin(), sucias.end(), i) == 1, sucia)
                << "case " << caso << " row " << i;
        }
    }
}

TEST(Correccion, RunawayGrowthIsRefused) {
    // Each row doubles the next one's character: 2^100 bytes for one 'A'.
    std::vector<ParSolucion> pares;
    for (int i = 0; i < 100; ++i) {
        const char c = static_cast<char>(0x80 + i);
        const char siguiente = static_cast<char>(0x80 + i + 1);
        pares.emplace_back(std::string(1, c), std::string(2, siguiente));
    }
    std::string salida = "old";
    std::uint64_t cuenta = 7;
    EXPECT_EQ(CorregirTexto("x\x80y", pares, salida, cuenta), ResultadoCorreccion::Demasiado);
    EXPECT_TRUE(salida.empty());
    EXPECT_EQ(cuenta, 0u);

    // Those rows are harmless for a text that holds none of the growing
    // characters but the last few.
    EXPECT_EQ(Corregir("x\xE2y", pares), (Resultado{"x\xE4\xE4\xE4\xE4y", 3}));

    // The bound is a parameter; the exact size still passes.
    EXPECT_EQ(CorregirTexto("\xE7\xE7", {{"\xE7", "abc"}}, salida, cuenta, 6),
              ResultadoCorreccion::Correcto);
    EXPECT_EQ(CorregirTexto("\xE7\xE7", {{"\xE7", "abc"}}, salida, cuenta, 5),
              ResultadoCorreccion::Demasiado);
}

TEST(Correccion, LargeCountsDoNotOverflow) {
    const std::string texto(10, '\x80');
    std::vector<ParSolucion> pares{{"\x80", "\x81\x81"}};
    for (int i = 1; i < 16; ++i) {
        pares.emplace_back(std::string(1, static_cast<char>(0x80 + i)),
                           std::string(2, static_cast<char>(0x80 + i + 1)));
    }
    // Every 0x80 becomes 2^16 bytes and counts 2^16 - 1 corrections.
    std::string salida;
    std::uint64_t cuenta = 0;
    ASSERT_EQ(CorregirTexto(texto, pares, salida, cuenta), ResultadoCorreccion::Correcto);
    EXPECT_EQ(salida.size(), 10u * 65536u);
    EXPECT_EQ(cuenta, 10u * 65535u);
    EXPECT_GT(cuenta, 32767u);
}
