#include "core/documento.h"
#include "tests/core/ayudas.h"

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

// The line starts are found while the text is read, whatever pieces the
// reads give; they are those of the whole text.
TEST(IndiceLineas, PiecesCutAnywhereGiveTheStartsOfTheWhole) {
    std::mt19937 azar(11);
    const char piezas[] = {'a', '\r', '\n', '\r', '\n', '\xe7', ' ', 'b'};
    OpcionesLectura opciones;
    opciones.conservarTexto = true;
    opciones.codificacion = Codificacion::Windows1252;
    for (int ronda = 0; ronda < 300; ++ronda) {
        std::string t(std::uniform_int_distribution<int>(0, 2000)(azar), 'a');
        for (char& c : t) {
            c = piezas[azar() % sizeof piezas];
        }
        std::vector<std::size_t> cortes;
        for (std::size_t i = 0; i < t.size();) {
            i = std::min(i + std::uniform_int_distribution<std::size_t>(0, 150)(azar), t.size());
            cortes.push_back(i);
        }
        const Resultado<Documento> d = prueba::DocumentoPorTuberia(t, cortes, opciones);
        ASSERT_TRUE(d) << "ronda " << ronda;
        ASSERT_EQ(d->texto, t) << "ronda " << ronda;
        ASSERT_EQ(d->inicioLineas, Referencia(t)) << "ronda " << ronda;

        std::vector<std::uint32_t> inicios{0};
        BuscarInicios(t.data(), t.size(), inicios);
        ASSERT_EQ(inicios, Referencia(t)) << "ronda " << ronda;
    }
}
