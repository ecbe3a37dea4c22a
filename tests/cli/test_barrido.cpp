// The listing pass of the command line against the scan of the windows and
// a plain reading of the rules, on random texts cut at random places.

#include "barrido.h"
#include "escaneo.h"
#include "tabla.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

struct Esperado {
    std::vector<unsigned char> orden;
    std::uint64_t cuentas[256] = {};
    tildora::cli::Posicion primera[256];
};

// Line by line, as the scan reads: a line ends at CR LF or a lone CR.
Esperado Referencia(const std::string& texto) {
    const tildora::TablaValidez& tabla = tildora::TablaFija();
    Esperado e;
    std::uint64_t linea = 1;
    std::uint64_t columna = 1;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const auto c = static_cast<unsigned char>(texto[i]);
        if (c == '\r') {
            if (i + 1 < texto.size() && texto[i + 1] == '\n') {
                ++i;
            }
            ++linea;
            columna = 1;
            continue;
        }
        if (!tabla[c] && e.cuentas[c]++ == 0) {
            e.orden.push_back(c);
            e.primera[c] = {linea, columna};
        }
        ++columna;
    }
    return e;
}

std::string Aleatorio(std::mt19937& azar, std::size_t n) {
    // Mostly allowed letters, with line ends and wrong characters thick
    // enough that every 64-byte block holds several of each.
    static const std::string alfabeto = "abc \xe1\xf1\r\r\n\n\n\t\x93\xe7\x80|`^";
    std::uniform_int_distribution<int> dado(0, 255);
    std::uniform_int_distribution<std::size_t> letra(0, alfabeto.size() - 1);
    std::string s(n, 'a');
    for (char& c : s) {
        const int d = dado(azar);
        c = d < 8 ? static_cast<char>(dado(azar)) : d < 128 ? 'a' : alfabeto[letra(azar)];
    }
    return s;
}

TEST(Barrido, MatchesTheScanOnRandomTextsAndCuts) {
    std::mt19937 azar(12345);
    for (int ronda = 0; ronda < 300; ++ronda) {
        std::uniform_int_distribution<std::size_t> largo(0, ronda < 250 ? 400 : 20000);
        const std::string texto = Aleatorio(azar, largo(azar));
        const Esperado e = Referencia(texto);

        tildora::Escaner escaner(tildora::TablaFija());
        tildora::cli::Inventario vectorial(tildora::TablaFija(), true);
        tildora::cli::Inventario sencillo(tildora::TablaFija(), false);
        // Cut into pieces of random sizes, empty ones and single bytes included.
        std::size_t i = 0;
        while (i < texto.size()) {
            std::uniform_int_distribution<std::size_t> trozo(0, ronda % 3 == 0 ? 3 : 200);
            const std::size_t n = std::min(trozo(azar), texto.size() - i);
            escaner.Procesar(texto.data() + i, n);
            vectorial.Procesar(texto.data() + i, n);
            sencillo.Procesar(texto.data() + i, n);
            i += n;
        }

        for (const tildora::cli::Inventario* inv : {&vectorial, &sencillo}) {
            ASSERT_EQ(inv->Orden(), escaner.Encontrados()) << "ronda " << ronda;
            ASSERT_EQ(inv->Orden(), e.orden) << "ronda " << ronda;
            ASSERT_EQ(inv->Total(), texto.size());
            for (unsigned c = 0; c < 256; ++c) {
                ASSERT_EQ(inv->Cuentas()[c], e.cuentas[c]) << "ronda " << ronda << " byte " << c;
            }
            for (unsigned char c : e.orden) {
                ASSERT_EQ(inv->Primera(c).linea, e.primera[c].linea) << "ronda " << ronda;
                ASSERT_EQ(inv->Primera(c).columna, e.primera[c].columna) << "ronda " << ronda;
            }
        }
    }
}

TEST(Barrido, CountsLinesRightThroughLargeTextsAndPieces) {
    // Megabytes with long runs of line ends, read in large pieces: the
    // vector path counts line ends in bulk, and its counters are emptied
    // only now and then. A new wrong character appears every so often, so
    // its line number checks all the counting before it.
    std::mt19937 azar(777);
    const std::string nuevos = "\x80\x93\xe7|`^\x01\x7f\xa4\xb0\xff\x9c";
    for (int ronda = 0; ronda < 4; ++ronda) {
        std::string texto;
        std::uniform_int_distribution<int> clase(0, 5);
        std::uniform_int_distribution<std::size_t> largo(1, 60000);
        std::size_t siguiente = 0;
        while (texto.size() < (std::size_t{3} << 20)) {
            const std::size_t n = largo(azar);
            switch (clase(azar)) {
            case 0:
                texto.append(n, '\r');
                break;
            case 1:
                for (std::size_t k = 0; k < n / 2; ++k) {
                    texto.append("\r\n");
                }
                break;
            case 2:
                texto.append(n, '\n');
                break;
            case 3:
                texto += Aleatorio(azar, n % 3000);
                break;
            default:
                texto.append(n, 'a');
                break;
            }
            if (siguiente < nuevos.size() &&
                texto.size() > (siguiente + 1) * (std::size_t{1} << 18)) {
                texto += nuevos[siguiente++];
            }
        }
        const Esperado e = Referencia(texto);
        for (bool vectorial : {true, false}) {
            tildora::cli::Inventario inv(tildora::TablaFija(), vectorial);
            std::uniform_int_distribution<std::size_t> trozo(0, std::size_t{1} << 20);
            for (std::size_t i = 0; i < texto.size();) {
                const std::size_t n = std::min(trozo(azar), texto.size() - i);
                inv.Procesar(texto.data() + i, n);
                i += n;
            }
            ASSERT_EQ(inv.Orden(), e.orden) << "ronda " << ronda;
            for (unsigned char c : e.orden) {
                ASSERT_EQ(inv.Cuentas()[c], e.cuentas[c]) << "ronda " << ronda;
                ASSERT_EQ(inv.Primera(c).linea, e.primera[c].linea) << "ronda " << ronda;
                ASSERT_EQ(inv.Primera(c).columna, e.primera[c].columna) << "ronda " << ronda;
            }
        }
    }
}

TEST(Barrido, TheVectorPathIsTakenWhereTheProcessorHasIt) {
#if defined(__x86_64__)
    __builtin_cpu_init();
    EXPECT_EQ(tildora::cli::Buscador(tildora::TablaFija()).Vectorial(),
              __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi"));
#else
    EXPECT_FALSE(tildora::cli::Buscador(tildora::TablaFija()).Vectorial());
#endif
    EXPECT_FALSE(tildora::cli::Buscador(tildora::TablaFija(), false).Vectorial());
}

TEST(Barrido, EveryByteValueIsJudgedByTheTable) {
    // Each byte alone, after a CR, and between letters, in both paths.
    const tildora::TablaValidez& tabla = tildora::TablaFija();
    for (bool vectorial : {true, false}) {
        for (unsigned c = 0; c < 256; ++c) {
            std::string texto(130, 'x');
            texto[70] = static_cast<char>(c);
            tildora::cli::Inventario inv(tabla, vectorial);
            inv.Procesar(texto.data(), texto.size());
            const bool mal = !tabla[c] && c != '\r';
            ASSERT_EQ(inv.Orden().size(), mal ? 1u : 0u) << c << " " << vectorial;
            if (mal) {
                EXPECT_EQ(inv.Primera(static_cast<unsigned char>(c)).columna, 71u);
            }
        }
    }
}

} // namespace
