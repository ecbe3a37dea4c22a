// A picture button's caption, its words stacked.

#include "modelos/leyendas.h"

#include "core/textos.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using tildora::modelo::PalabrasApiladas;
namespace textos = tildora::textos;

TEST(Leyendas, WordsStackOneALine) {
    struct Caso {
        std::string_view leyenda;
        std::string apiladas;
    };
    const Caso casos[] = {
        {textos::CmdSalir, "Irten\nSalir"},
        {textos::CmdActualizar, "Zuzendu\nCorregir"},
        {"uno", "uno"},
        {"", ""},
        {"     ", ""},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(PalabrasApiladas(c.leyenda), c.apiladas) << c.leyenda;
    }
}
