// The two windows' layouts in twips, twips to pixels, and the centring.

#include "modelos/disposicion.h"

#include "core/textos.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

using namespace tildora::modelo;

namespace {

struct Lugar {
    std::string_view nombre;
    Rectangulo donde;
};

void Comparar(const Disposicion& d, const std::vector<Lugar>& esperado) {
    ASSERT_EQ(d.controles.size(), esperado.size());
    for (const Lugar& l : esperado) {
        EXPECT_EQ(d.Buscar(l.nombre), l.donde) << l.nombre;
    }
    EXPECT_EQ(d.Buscar("noExiste"), std::nullopt);
    EXPECT_EQ(d.Buscar(""), std::nullopt);
}

} // namespace

TEST(Disposicion, Eleccion) {
    const Disposicion& d = DisposicionEleccion();
    EXPECT_EQ(d.ancho, 5160);
    EXPECT_EQ(d.alto, 4515);
    Comparar(d, {
                    {"lblFitxategiakAukeratu", {150, 240, 4845, 465}},
                    {"LblSeleccionFicheros", {150, 780, 4845, 465}},
                    {"cmdEntrada", {4170, 1860, 405, 345}},
                    {"txtEntrada", {480, 1860, 3645, 345}},
                    {"txtSalida", {480, 2730, 3645, 345}},
                    {"cmdSalida", {4170, 2730, 405, 345}},
                    {"CmdActualizar", {1110, 3450, 1300, 800}},
                    {"CmdSalir", {2790, 3450, 1300, 800}},
                    {"LblAct", {510, 1530, 3615, 300}},
                    {"Label1", {510, 2400, 3615, 300}},
                });
}

TEST(Disposicion, Conversion) {
    const Disposicion& d = DisposicionConversion();
    EXPECT_EQ(d.ancho, 6555);
    EXPECT_EQ(d.alto, 6705);
    Comparar(d, {
                    {"Label1", {330, 120, 5895, 405}},
                    {"Label2", {330, 570, 5895, 405}},
                    {"caracteresFG", {330, 1110, 4155, 3015}},
                    {"textoFicheroRTB", {300, 4320, 5715, 1245}},
                    {"CmdBuscar", {4740, 2010, 1300, 800}},
                    {"CmdAceptar", {1980, 5730, 1300, 800}},
                    {"CmdCancelar", {3450, 5730, 1300, 800}},
                    {"LblOcurrencias", {4740, 2880, 1300, 270}},
                    {"CmdPrevia", {4740, 3240, 1300, 800}},
                    {"LblTextoMostrado", {300, 5730, 1590, 510}},
                    {"txtEditor", {1470, 2610, 1545, 225}},
                });
    EXPECT_EQ(kAltoFilaRejilla, 300);
    EXPECT_EQ(kAnchoColumnaRejilla, 1900);
}

TEST(Disposicion, Pixeles) {
    const std::pair<int, int> casos[] = {{15, 1},     {1300, 87}, {800, 53}, {-15, -1}, {5160, 344},
                                         {4515, 301}, {0, 0},     {7, 0},    {8, 1}};
    for (const auto& [twips, pixeles] : casos) {
        EXPECT_EQ(Px(twips), pixeles) << twips;
    }
}

TEST(Disposicion, Centrado) {
    struct Caso {
        double pantalla;
        double ventana;
        std::int16_t esperado;
    };
    const Caso casos[] = {
        // Rounded with halves to even, then halved toward zero.
        {25, 20, 2},
        {10.5, 0, 5}, // 10.5 -> 10
        {11.5, 0, 6}, // 11.5 -> 12
        {2.5, 0, 1},  // 2.5 -> 2
        {3.5, 0, 2},  // 3.5 -> 4
        {7.4, 0, 3},  // 7.4 -> 7 -> 3
        {7.6, 0, 4},  // 7.6 -> 8
        // A window larger than the screen: negative, still halved toward zero.
        {0, 5, -2},
        {0, 3, -1},
        {0, 10.5, -5},
        {0, 11.5, -6},
        {100, 100, 0},
        // The 16-bit ends: reached exactly, and held there beyond.
        {65535, 0, 32767},
        {65536, 0, 32767},
        {10'000'000, 0, 32767},
        {0, 65537, -32768},
        {0, 65539, -32768},
        {0, 10'000'000, -32768},
    };
    for (const Caso& c : casos) {
        EXPECT_EQ(CoordenadaCentrada(c.pantalla, c.ventana), c.esperado)
            << c.pantalla << " " << c.ventana;
    }
}

TEST(Disposicion, LoQueSeLeeDeCadaControl) {
    using tildora::modelo::Lectura;
    namespace textos = tildora::textos;
    // Labels are named by their caption: only a description.
    const auto eleccion = tildora::modelo::LecturasEleccion();
    ASSERT_EQ(eleccion.size(), 10u);
    EXPECT_EQ(eleccion[0].control, "lblFitxategiakAukeratu");
    EXPECT_EQ(eleccion[0].nombre, "");
    EXPECT_EQ(eleccion[0].descripcion, textos::AccArgibideak);
    EXPECT_EQ(eleccion[3].control, "Label1");
    EXPECT_EQ(eleccion[3].descripcion, textos::AccIzenburua);
    EXPECT_EQ(eleccion[5].control, "txtEntrada");
    EXPECT_EQ(eleccion[5].nombre, "Sarrera fitxategia / Fichero de entrada");
    EXPECT_EQ(eleccion[9].control, "CmdSalir");
    EXPECT_EQ(eleccion[9].nombre, "Irten / Salir");
    EXPECT_EQ(eleccion[9].descripcion, "Programa amaitzen du / Termina el programa");
    const auto conversion = tildora::modelo::LecturasConversion();
    ASSERT_EQ(conversion.size(), 11u);
    EXPECT_EQ(conversion[1].control, "Label2");
    EXPECT_EQ(conversion[1].nombre, "");
    EXPECT_EQ(conversion[7].control, "txtEditor");
    EXPECT_EQ(conversion[7].nombre, "Ordezkoa / Sustituto");
    EXPECT_EQ(conversion[10].control, "LblTextoMostrado");
    EXPECT_EQ(conversion[10].nombre, "");
    // Every control read is one of its window's.
    for (const Lectura& l : eleccion) {
        EXPECT_TRUE(tildora::modelo::DisposicionEleccion().Buscar(l.control)) << l.control;
    }
    for (const Lectura& l : conversion) {
        EXPECT_TRUE(tildora::modelo::DisposicionConversion().Buscar(l.control)) << l.control;
    }
}

TEST(Disposicion, BotonesYEtiquetas) {
    const Disposicion& e = DisposicionEleccion();
    ASSERT_EQ(e.botones.size(), 4u);
    ASSERT_EQ(e.etiquetas.size(), 4u);
    const Boton* entrada = e.BuscarBoton("cmdEntrada");
    ASSERT_NE(entrada, nullptr);
    EXPECT_EQ(entrada->imagen, "carpeta");
    EXPECT_EQ(entrada->anchoImagen, 16);
    EXPECT_EQ(entrada->altoImagen, 16);
    EXPECT_TRUE(entrada->leyenda.empty());
    EXPECT_TRUE(entrada->consejo.empty());
    EXPECT_EQ(e.BuscarBoton("cmdSalida")->imagen, "carpeta");
    EXPECT_EQ(e.BuscarBoton("CmdActualizar")->imagen, "corregir");
    EXPECT_EQ(e.BuscarBoton("CmdActualizar")->leyenda, tildora::textos::CmdActualizar);
    EXPECT_EQ(e.BuscarBoton("CmdSalir")->imagen, "salir");
    EXPECT_EQ(e.BuscarBoton("CmdSalir")->leyenda, tildora::textos::CmdSalir);
    EXPECT_EQ(e.BuscarBoton("txtEntrada"), nullptr);
    const Etiqueta* act = e.BuscarEtiqueta("LblAct");
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->texto, "Sarrera Fitxategia / Fichero de Entrada");
    EXPECT_EQ(act->color, (Rgb{128, 0, 0}));
    EXPECT_TRUE(act->negrita);
    EXPECT_EQ(e.BuscarEtiqueta("Label1")->texto, "Irteera Fitxategia / Fichero de Salida");
    EXPECT_EQ(e.BuscarEtiqueta("Label1")->color, (Rgb{0, 128, 0}));
    EXPECT_TRUE(e.BuscarEtiqueta("Label1")->negrita);
    EXPECT_EQ(e.BuscarEtiqueta("lblFitxategiakAukeratu")->color, (Rgb{0, 0, 128}));
    EXPECT_FALSE(e.BuscarEtiqueta("lblFitxategiakAukeratu")->negrita);
    EXPECT_EQ(e.BuscarEtiqueta("LblSeleccionFicheros")->color, (Rgb{0, 0, 128}));
    EXPECT_EQ(e.BuscarEtiqueta("cmdEntrada"), nullptr);

    const Disposicion& c = DisposicionConversion();
    ASSERT_EQ(c.botones.size(), 4u);
    ASSERT_EQ(c.etiquetas.size(), 2u);
    const Boton* buscar = c.BuscarBoton("CmdBuscar");
    ASSERT_NE(buscar, nullptr);
    EXPECT_EQ(buscar->imagen, "buscar");
    EXPECT_EQ(buscar->anchoImagen, 15);
    EXPECT_EQ(buscar->altoImagen, 18);
    EXPECT_EQ(buscar->consejo, tildora::textos::CmdBuscarTip);
    EXPECT_EQ(c.BuscarBoton("CmdPrevia")->imagen, "previa");
    EXPECT_EQ(c.BuscarBoton("CmdPrevia")->consejo, tildora::textos::CmdPreviaTip);
    EXPECT_EQ(c.BuscarBoton("CmdAceptar")->imagen, "aceptar");
    EXPECT_TRUE(c.BuscarBoton("CmdAceptar")->consejo.empty());
    EXPECT_EQ(c.BuscarBoton("CmdCancelar")->imagen, "cancelar");
    EXPECT_EQ(c.BuscarBoton("CmdCancelar")->leyenda, tildora::textos::CmdCancelar);
    EXPECT_EQ(c.BuscarEtiqueta("Label1")->texto, tildora::textos::Label1Conversion);
    EXPECT_EQ(c.BuscarEtiqueta("Label2")->color, (Rgb{0, 0, 128}));
    EXPECT_FALSE(c.BuscarEtiqueta("Label2")->negrita);
    // Every button and label is a control of its window's layout.
    for (const Disposicion* d : {&e, &c}) {
        for (const Boton& b : d->botones) {
            EXPECT_TRUE(d->Buscar(b.control)) << b.control;
        }
        for (const Etiqueta& l : d->etiquetas) {
            EXPECT_TRUE(d->Buscar(l.control)) << l.control;
        }
    }
}

// The conversion window grown: every control's box at the starting size (a
// smaller size counts as that), at a larger size with a grid whose columns
// need more width, and maximised on a 1366x768 screen (a client area of
// 1366x700 pixels under a panel and a title bar). Worked out by hand from
// the layout's boxes: the grid takes 2/7 of the added height in whole rows
// (45 twips to finish the cut row, then rows of 300), the text view the
// rest and all the added width.
TEST(Disposicion, ConversionCrecida) {
    struct Caso {
        int ancho, alto, anchoRejilla;
        std::vector<Lugar> esperado;
    };
    const Caso casos[] = {
        {5000,
         4000,
         0,
         {{"Label1", {330, 120, 5895, 405}},
          {"Label2", {330, 570, 5895, 405}},
          {"caracteresFG", {330, 1110, 4155, 3015}},
          {"textoFicheroRTB", {300, 4320, 5715, 1245}},
          {"CmdBuscar", {4740, 2010, 1300, 800}},
          {"CmdAceptar", {1980, 5730, 1300, 800}},
          {"CmdCancelar", {3450, 5730, 1300, 800}},
          {"LblOcurrencias", {4740, 2880, 1300, 270}},
          {"CmdPrevia", {4740, 3240, 1300, 800}},
          {"LblTextoMostrado", {300, 5730, 1590, 510}},
          {"txtEditor", {1470, 2610, 1545, 225}}}},
        // 3000 wider, 2100 higher: the grid 600 → 345 higher; 845 wider, as
        // its columns need.
        {9555,
         8805,
         5000,
         {{"Label1", {330, 120, 8895, 405}},
          {"Label2", {330, 570, 8895, 405}},
          {"caracteresFG", {330, 1110, 5000, 3360}},
          {"textoFicheroRTB", {300, 4665, 8715, 3000}},
          {"CmdBuscar", {5585, 2010, 1300, 800}},
          {"CmdAceptar", {3480, 7830, 1300, 800}},
          {"CmdCancelar", {4950, 7830, 1300, 800}},
          {"LblOcurrencias", {5585, 2880, 1300, 270}},
          {"CmdPrevia", {5585, 3240, 1300, 800}},
          {"LblTextoMostrado", {300, 7830, 1590, 510}},
          {"txtEditor", {1470, 2610, 1545, 225}}}},
        // 13935 wider, 3795 higher: the grid 1084 → 945 higher, 12 rows
        // under its header ((3960 − 300 − 60 of frame) / 300); the text view
        // 4095 high, 273 pixels: 18 lines of 13 pixels are 234, with room for
        // its frame, margin and scroll bar.
        {20490,
         10500,
         0,
         {{"Label1", {330, 120, 19830, 405}},
          {"Label2", {330, 570, 19830, 405}},
          {"caracteresFG", {330, 1110, 4155, 3960}},
          {"textoFicheroRTB", {300, 5265, 19650, 4095}},
          {"CmdBuscar", {4740, 2010, 1300, 800}},
          {"CmdAceptar", {8947, 9525, 1300, 800}},
          {"CmdCancelar", {10417, 9525, 1300, 800}},
          {"LblOcurrencias", {4740, 2880, 1300, 270}},
          {"CmdPrevia", {4740, 3240, 1300, 800}},
          {"LblTextoMostrado", {300, 9525, 1590, 510}},
          {"txtEditor", {1470, 2610, 1545, 225}}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.ancho);
        const DisposicionPropia d = DisposicionConversionEn(c.ancho, c.alto, c.anchoRejilla);
        EXPECT_EQ(d.ancho, std::max(c.ancho, 6555));
        EXPECT_EQ(d.alto, std::max(c.alto, 6705));
        Comparar(d.Vista(), c.esperado);
        EXPECT_NE(d.Vista().BuscarBoton("CmdAceptar"), nullptr);
    }
}
