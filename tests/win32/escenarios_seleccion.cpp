// The file-selection window driven as a user would, through a face's driver
// (tests/win32/conductor.h): names typed or picked, buttons and keys
// pressed, the scripted dialogs answering. The sequence behind the buttons
// is the model's (tests/modelos/test_eleccion.cpp); these check that the
// face hands the boxes over as typed, shows what the model says and does
// what it answers.

#include "tests/win32/conductor.h"

#include "core/textos.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tildora;
using tildora::pruebas::Conductor;
using tildora::pruebas::Tecla;

namespace {

// 'ç' (231) and '^' (94) are wrong characters; 'ó' (243) is allowed.
const std::string kConErrores = "Fran\xe7"
                                "ais ^ texto\r\nm\xe1s\r\n";
const std::string kLimpio = "Hola, mundo.\r\nAdi\xf3s.\r\n";

std::string M(std::string_view texto) {
    return std::string(texto);
}

} // namespace

TEST(Seleccion, NamesTypedGoToTheModelAsTheyAre) {
    auto c = pruebas::NuevoConductor();
    const std::string entrada = c->Fichero("entrada.txt", kConErrores);
    const std::string limpio = c->Fichero("limpio.txt", kLimpio);
    const std::string existente = c->Fichero("salida.txt", "contenido anterior\r\n");
    c->MostrarSeleccion();
    c->Capturar("FrmElegirFicheros");
    struct Caso {
        std::string entrada;
        std::string salida;
        std::string mensaje; // the first line of the one message
        bool conCancelar;
    };
    const Caso casos[] = {
        {"", "", M(textos::M1NombreIncorrecto), false},
        {"   ", "     ", M(textos::M1NombreIncorrecto), false},
        {entrada, "  " + entrada + " ", M(textos::M2NombresIguales), false},
        // The overwrite question, cancelled: nothing more is said.
        {entrada, " " + existente, M(textos::M3SobreEscribir), true},
        {c->Ruta("no_existe.txt"), c->Ruta("nueva.txt"), M(textos::M1NombreIncorrecto), false},
        {"  " + limpio, c->Ruta("nueva.txt") + "  ", M(textos::M4SinErrores), false},
    };
    for (const Caso& caso : casos) {
        c->Teclear("txtEntrada", caso.entrada);
        c->Teclear("txtSalida", caso.salida);
        c->dialogos().respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
        c->Pulsar("CmdActualizar");
        c->dialogos().respuestas.clear();
        ASSERT_EQ(c->dialogos().mensajes.size(), 1u) << caso.entrada;
        EXPECT_EQ(c->dialogos().mensajes.front().conCancelar, caso.conCancelar);
        const std::vector<std::string> mensajes = c->Mensajes();
        EXPECT_EQ(mensajes.front().substr(0, mensajes.front().find('\n')), caso.mensaje);
        // The window stays, the boxes as typed.
        EXPECT_EQ(c->VentanaActual(), "FrmElegirFicheros");
        EXPECT_EQ(c->Texto("txtEntrada"), caso.entrada);
        EXPECT_EQ(c->Texto("txtSalida"), caso.salida);
    }
    // The names went trimmed to the state; nothing was written.
    EXPECT_EQ(c->estado().FicheroEntrada, limpio);
    EXPECT_EQ(c->estado().FicheroSalida, c->Ruta("nueva.txt"));
    EXPECT_EQ(prueba::Leer(existente), "contenido anterior\r\n");
    EXPECT_EQ(c->Salidas(), 0);
}

TEST(Seleccion, APickedFileWithErrorsHandsOverToTheConversionWindow) {
    auto c = pruebas::NuevoConductor();
    const std::string entrada = c->Fichero("con errores.txt", kConErrores);
    c->dialogos().nombresAbrir.push_back(entrada);
    c->MostrarSeleccion();
    c->Pulsar("cmdEntrada");
    EXPECT_EQ(c->Texto("txtEntrada"), entrada);
    c->Teclear("txtSalida", c->Ruta("salida.txt"));
    // With the keyboard: Enter on the focused button.
    c->Enfocar("CmdActualizar");
    c->PulsarTecla(Tecla::Intro);
    EXPECT_TRUE(c->Mensajes().empty());
    EXPECT_EQ(c->estado().CaracteresErroneos, (std::vector<std::string>{"\xe7", "^", ""}));
    EXPECT_EQ(c->VentanaActual(), "FrmConversionCaracteres");
    EXPECT_FALSE(c->SeVe("FrmElegirFicheros"));
}

TEST(Seleccion, FocusOrderAndTheDialogsNames) {
    auto c = pruebas::NuevoConductor();
    c->MostrarSeleccion();
    EXPECT_EQ(c->Foco(), "cmdEntrada");
    std::vector<std::string> recorrido;
    for (int i = 0; i < 6; ++i) {
        c->PulsarTecla(Tecla::Tab);
        recorrido.push_back(c->Foco());
    }
    EXPECT_EQ(recorrido, (std::vector<std::string>{"txtEntrada", "txtSalida", "cmdSalida",
                                                   "CmdActualizar", "CmdSalir", "cmdEntrada"}));
    c->PulsarTecla(Tecla::MayusTab);
    EXPECT_EQ(c->Foco(), "CmdSalir");

    // A cancelled dialog leaves the box as it was, typed text included; a
    // name chosen goes to the box. Space presses the focused button.
    c->Teclear("txtEntrada", "tecleado.txt");
    c->Pulsar("cmdEntrada");
    EXPECT_EQ(c->Texto("txtEntrada"), "tecleado.txt");
    c->dialogos().nombresGuardar.push_back(c->Ruta("salida ñ.txt"));
    c->Enfocar("cmdSalida");
    c->PulsarTecla(Tecla::Espacio);
    EXPECT_EQ(c->Texto("txtSalida"), c->Ruta("salida ñ.txt"));
    EXPECT_EQ(c->estado().FicheroSalida, c->Ruta("salida ñ.txt"));
    EXPECT_EQ(c->dialogos().dialogosAbrir, 1);
    EXPECT_EQ(c->dialogos().dialogosGuardar, 1);
    EXPECT_TRUE(c->Mensajes().empty());
}

TEST(Seleccion, StartedWithAFile) {
    auto c = pruebas::NuevoConductor();
    const std::string entrada = c->Fichero("carta.txt", kConErrores);
    c->MostrarSeleccion(entrada);
    EXPECT_EQ(c->Texto("txtEntrada"), entrada);
    EXPECT_EQ(c->Texto("txtSalida"), "");
    EXPECT_EQ(c->Foco(), "txtSalida");
}

TEST(Seleccion, ExitButtonEnterAndCloseBoxEndTheProgram) {
    {
        auto c = pruebas::NuevoConductor();
        c->MostrarSeleccion();
        c->Pulsar("CmdSalir");
        EXPECT_EQ(c->Salidas(), 1);
        EXPECT_EQ(c->VentanaActual(), "");
        EXPECT_FALSE(c->SeVe("FrmElegirFicheros"));
    }
    {
        // Enter in a name box presses nothing; on the focused exit button it
        // presses it.
        auto c = pruebas::NuevoConductor();
        c->MostrarSeleccion();
        c->Teclear("txtEntrada", "x.txt");
        c->PulsarTecla(Tecla::Intro);
        c->PulsarTecla(Tecla::Escape);
        EXPECT_EQ(c->Salidas(), 0);
        EXPECT_TRUE(c->Mensajes().empty());
        c->Enfocar("CmdSalir");
        c->PulsarTecla(Tecla::Intro);
        EXPECT_EQ(c->Salidas(), 1);
    }
    {
        auto c = pruebas::NuevoConductor();
        c->MostrarSeleccion();
        c->Cerrar();
        EXPECT_EQ(c->Salidas(), 1);
        EXPECT_EQ(c->VentanaActual(), "");
        EXPECT_TRUE(c->Mensajes().empty());
    }
}
