#include "core/lineas.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace tildora;

namespace {

// Byte by byte: a line starts after an LF, and after a CR that no LF follows.
std::vector<std::uint32_t> Referencia(const std::string& t) {
    std::vector<std::uint32_t> r{0};
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\n' || (t[i] == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n'))) {
            r.push_back(static_cast<std::uint32_t>(i + 1));
        }
    }
    return r;
}

} // namespace

TEST(IndiceLineas, PiecesCutAnywhereGiveTheStartsOfTheWhole) {
    std::mt19937 azar(11);
    const char piezas[] = {'a', '\r', '\n', '\r', '\n', '\xe7', ' ', 'b'};
    for (int ronda = 0; ronda < 300; ++ronda) {
        std::string t(std::uniform_int_distribution<int>(0, 2000)(azar), 'a');
        for (char& c : t) {
            c = piezas[azar() % sizeof piezas];
        }
        IndiceLineas indice;
        for (std::size_t i = 0; i < t.size();) {
            const std::size_t n =
                std::min(std::uniform_int_distribution<std::size_t>(0, 150)(azar), t.size() - i);
            indice.Procesar(t.data() + i, n);
            i += n;
        }
        ASSERT_EQ(indice.Terminar(), Referencia(t)) << "ronda " << ronda;
    }

    // Pieces that do not follow one another give no starts at all.
    const std::string a = "uno\r\n";
    const std::string b = "dos\n";
    IndiceLineas indice;
    indice.Procesar(a.data(), a.size());
    indice.Procesar(b.data(), b.size());
    EXPECT_TRUE(indice.Terminar().empty());
}
