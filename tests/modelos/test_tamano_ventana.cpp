// The conversion window's size remembered for the user: what is written is
// read back, a corrupt file is ignored, and a size never opens larger than
// the screen nor smaller than the layout (unless the screen is).

#include "modelos/tamano_ventana.h"

#include "tests/core/ayudas.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace tildora::modelo;

TEST(TamanoVentana, SeGuardaYSeLee) {
    prueba::CarpetaTemporal carpeta;
    // The folder is made when missing.
    const TamanoRecordado recordado(carpeta / "tildora/ventana.ini");
    EXPECT_EQ(recordado.Leer(), std::nullopt);
    ASSERT_TRUE(recordado.Guardar({{9000, 8000}, true}));
    EXPECT_EQ(recordado.Leer(), (TamanoVentana{{9000, 8000}, true}));
    ASSERT_TRUE(recordado.Guardar({{7000, 6800}, false}));
    EXPECT_EQ(recordado.Leer(), (TamanoVentana{{7000, 6800}, false}));
    EXPECT_EQ(prueba::Entradas(carpeta.ruta() / "tildora"), "ventana.ini;");
}

TEST(TamanoVentana, UnFicheroEstropeadoNoCuenta) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "ventana.ini";
    const TamanoRecordado recordado(ruta);
    const char* estropeados[] = {
        "",
        "[conversion]\nancho=9000\nalto=8000\n",                // no maximizada
        "[conversion]\nancho=9000\nalto=-5\nmaximizada=0\n",    // negative
        "[conversion]\nancho=9000x\nalto=8000\nmaximizada=0\n", // not a number
        "[conversion]\nancho=99999999999\nalto=8000\nmaximizada=0\n",
        "[otra]\nancho=9000\nalto=8000\nmaximizada=0\n", // another section
        "\xff\xfe\x00[\x00",
    };
    for (const char* texto : estropeados) {
        prueba::Escribir(ruta, texto);
        EXPECT_EQ(recordado.Leer(), std::nullopt) << texto;
    }
    // Written by hand, blanks and CR LF and all, it still reads.
    prueba::Escribir(ruta, "; a note\r\n[conversion]\r\n ancho = 9000 \r\nalto=8000\r\n"
                           "maximizada=1\r\n");
    EXPECT_EQ(recordado.Leer(), (TamanoVentana{{9000, 8000}, true}));
}

TEST(TamanoVentana, NuncaMayorQueLaPantalla) {
    const Medida disposicion{6555, 6705};
    const Medida pantalla{20490, 10500};
    // Nothing remembered: the layout's size.
    EXPECT_EQ(TamanoAlAbrir(std::nullopt, disposicion, pantalla),
              (TamanoVentana{{6555, 6705}, false}));
    // Larger than the screen: the screen's; smaller than the layout: the
    // layout's; maximised stays.
    EXPECT_EQ(TamanoAlAbrir(TamanoVentana{{30000, 9000}, true}, disposicion, pantalla),
              (TamanoVentana{{20490, 9000}, true}));
    EXPECT_EQ(TamanoAlAbrir(TamanoVentana{{3000, 40000}, false}, disposicion, pantalla),
              (TamanoVentana{{6555, 10500}, false}));
    // A screen smaller than the layout wins, even over the layout.
    const Medida pequena{6000, 5000};
    EXPECT_EQ(TamanoMinimo(disposicion, pequena), (Medida{6000, 5000}));
    EXPECT_EQ(TamanoAlAbrir(std::nullopt, disposicion, pequena),
              (TamanoVentana{{6000, 5000}, false}));
    EXPECT_EQ(TamanoMinimo(disposicion, pantalla), (Medida{6555, 6705}));
}
