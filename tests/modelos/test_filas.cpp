// What the conversion window's cells show of a row, piece by piece, for
// every kind of character: nothing may be an empty box, two characters never
// look alike, a blank answer shows. The fonts are stood in for by what they
// can draw.

#include "modelos/filas.h"

#include "core/textos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using tildora::modelo::ColorPropuesta;
using tildora::modelo::Contraste;
using tildora::modelo::PiezaCelda;
using tildora::modelo::PiezasBorrado;
using tildora::modelo::PiezasCaracter;
using tildora::modelo::PiezasRespuesta;
using tildora::modelo::Rgb;

namespace {

using Glifos = std::function<bool(char32_t)>;

// Everything but the emoji, with or without the control pictures and ␣.
const Glifos kTodo = [](char32_t u) { return u != 0x1F44D; };
const Glifos kSinDibujos = [](char32_t u) {
    return u != 0x1F44D && !(u >= 0x2400 && u <= 0x2421) && u != 0x2423;
};
const Glifos kEmoji = [](char32_t) { return true; };

struct Caso {
    const char* que;
    std::string clave;
    bool unicode;
    Glifos glifos;
    std::vector<PiezaCelda> esperado;
};

TEST(ModeloFilas, ElCaracterErroneo) {
    const Caso casos[] = {
        {"left quote", "\x93", false, kTodo, {{"\u201c", false}}},
        {"right quote", "\x94", false, kTodo, {{"\u201d", false}}},
        {"en dash", "\x96", false, kTodo, {{"\u2013", false}}},
        {"C1 byte", "\x81", false, kTodo, {{"U+0081", true}}},
        {"C1 in UTF-8", "\x8d", true, kTodo, {{"U+008D", true}}},
        {"tab, pictures", "\t", false, kTodo, {{"\u2409", false}}},
        {"tab, no pictures", "\t", false, kSinDibujos, {{"TAB", true}}},
        {"DEL, no pictures", "\x7f", false, kSinDibujos, {{"DEL", true}}},
        {"lone LF, no pictures", "\n", false, kSinDibujos, {{"LF", true}}},
        {"NUL", std::string(1, '\0'), false, kTodo, {{"\u2400", false}}},
        {"emoji, no glyph", "U+1F44D", true, kTodo, {{"U+1F44D", true}}},
        {"emoji with a glyph", "U+1F44D", true, kEmoji, {{"\U0001F44D", false}}},
        {"zero-width space", "U+200B", true, kEmoji, {{"U+200B", true}}},
        {"letter outside Windows-1252", "U+0142", true, kTodo, {{"\u0142", false}}},
        {"quote in UTF-8", "\x93", true, kTodo, {{"\u201c", false}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        const auto piezas = PiezasCaracter(c.clave, c.unicode, c.glifos);
        ASSERT_EQ(piezas.size(), c.esperado.size());
        for (std::size_t i = 0; i < piezas.size(); ++i) {
            EXPECT_EQ(piezas[i].texto, c.esperado[i].texto);
            EXPECT_EQ(piezas[i].enmarcado, c.esperado[i].enmarcado);
        }
    }
}

TEST(ModeloFilas, LaRespuesta) {
    const Caso casos[] = {
        {"one blank", " ", false, kTodo, {{"\u2423", false}}},
        {"one blank, no mark", " ", false, kSinDibujos, {{"SP", true}}},
        {"blank inside", "a b", false, kTodo, {{"a\u2423b", false}}},
        {"no-break space", "\xa0", false, kTodo, {{"\u237d", false}}},
        {"plain", "...", false, kTodo, {{"...", false}}},
        {"none", "", false, kTodo, {}},
        {"stored tab", "\t", false, kSinDibujos, {{"TAB", true}}},
        {"text then a C1 byte",
         "x\x81y",
         false,
         kTodo,
         {{"x", false}, {"U+0081", true}, {"y", false}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        EXPECT_EQ(PiezasRespuesta(c.clave, c.glifos), c.esperado);
    }
}

TEST(ModeloFilas, LaRespuestaDeBorrarSuSignoFueraSiNoSeDibuja) {
    EXPECT_EQ(PiezasBorrado(kTodo), (std::vector<PiezaCelda>{{"\u2326 ezabatu / borrar", false}}));
    EXPECT_EQ(PiezasBorrado([](char32_t u) { return u != 0x2326; }),
              (std::vector<PiezaCelda>{{"ezabatu / borrar", false}}));
}

TEST(ModeloFilas, ElColorDeUnaPropuestaSeLeeSobreElFondo) {
    struct CasoColor {
        const char* que;
        Rgb fondo;
        Rgb enlace;
        Rgb esperado;
    };
    const CasoColor casos[] = {
        {"the link colour reads on white", {255, 255, 255}, {0, 0, 255}, {0, 0, 255}},
        {"blue on a dark background: a light blue",
         {0x2b, 0x2b, 0x2b},
         {0, 0, 255},
         {0x8a, 0xb4, 0xf8}},
        {"a pale link on white: a dark blue",
         {255, 255, 255},
         {0xaa, 0xcc, 0xff},
         {0x1a, 0x4f, 0xbf}},
    };
    for (const CasoColor& c : casos) {
        SCOPED_TRACE(c.que);
        EXPECT_EQ(ColorPropuesta(c.fondo, c.enlace), c.esperado);
        EXPECT_GE(Contraste(c.esperado, c.fondo), 4.5);
    }
    EXPECT_DOUBLE_EQ(Contraste({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_DOUBLE_EQ(Contraste({9, 9, 9}, {9, 9, 9}), 1.0);
}

} // namespace

TEST(AspectoCelda, LoQueLeeUnaVozEsElCodigoDeLoQueNoSeLee) {
    using tildora::modelo::TextoAccesible;
    EXPECT_EQ(TextoAccesible("\t"), "9 \u00b7 0x09 \u00b7 TAB");
    EXPECT_EQ(TextoAccesible(" "), "32 \u00b7 0x20");
    EXPECT_EQ(TextoAccesible("\xA0"), "160 \u00b7 0xA0");
    EXPECT_EQ(TextoAccesible("\xAD"), "173 \u00b7 0xAD");
    EXPECT_EQ(TextoAccesible("\x81"), "129 \u00b7 0x81 \u00b7 C1");
    EXPECT_EQ(TextoAccesible("\x93"), "\u201C");
    EXPECT_EQ(TextoAccesible("e"), "e");
    EXPECT_EQ(TextoAccesible("a\tb"), "a\u2409b");
    EXPECT_EQ(TextoAccesible("  "), "  ");
    // Of the 256 bytes, these alone are read as their code.
    const std::vector<int> callados = {0x20, 0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0, 0xAD};
    for (int b = 0; b < 256; ++b) {
        const bool esperado =
            b < 0x20 || std::find(callados.begin(), callados.end(), b) != callados.end();
        const std::string texto = TextoAccesible(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(texto.find(" \u00b7 0x") != std::string::npos, esperado) << b;
    }
}

TEST(AspectoCelda, ClaveYRespuesta) {
    using tildora::modelo::AspectoCelda;
    using tildora::modelo::AspectoClave;
    using tildora::modelo::AspectoRespuesta;
    using tildora::modelo::ColorCelda;
    namespace textos = tildora::textos;
    // A control shows its picture and is read as its code, which the
    // description would only repeat; a character read as itself has its
    // code as the description.
    EXPECT_EQ(AspectoClave("\t", false),
              (AspectoCelda{"\u2409", "9 \u00b7 0x09 \u00b7 TAB", "9 \u00b7 0x09 \u00b7 TAB", "",
                            false, ColorCelda::Texto}));
    EXPECT_EQ(AspectoClave("\x93", false),
              (AspectoCelda{"\u201C", "147 \u00b7 0x93", "\u201C", "147 \u00b7 0x93", false,
                            ColorCelda::Texto}));
    // The line break's fixed answer, in words and greyed.
    const std::string salto(textos::SaltoDeLineaTip);
    EXPECT_EQ(AspectoRespuesta("\r\n", true, false, false),
              (AspectoCelda{"\u21B5 CR LF", salto, salto, "", false, ColorCelda::Apagado}));
    // A blank typed, read as its code, no tip.
    EXPECT_EQ(AspectoRespuesta(" ", false, false, false),
              (AspectoCelda{" ", "", "32 \u00b7 0x20", "", false, ColorCelda::Texto}));
    // A proposal: italic, its own colour, said in the tip and description.
    const std::string propuesta(textos::PropuestaTip);
    EXPECT_EQ(AspectoRespuesta("\"", false, true, false),
              (AspectoCelda{"\"", propuesta, "\"", propuesta, true, ColorCelda::Propuesta}));
    // The delete answer shows and reads as its mark; proposed, both tips.
    const std::string borrar(textos::BorrarTip);
    EXPECT_EQ(AspectoRespuesta("", false, false, true),
              (AspectoCelda{"\u2326 ezabatu / borrar", borrar, "\u2326 ezabatu / borrar", borrar,
                            false, ColorCelda::Texto}));
    EXPECT_EQ(AspectoRespuesta("", false, true, true),
              (AspectoCelda{"\u2326 ezabatu / borrar", propuesta + "\n" + borrar,
                            "\u2326 ezabatu / borrar", propuesta + "\n" + borrar, true,
                            ColorCelda::Propuesta}));
}

TEST(AspectoCelda, ConsejoDeUnHallazgo) {
    using tildora::modelo::ConsejoHallazgo;
    namespace textos = tildora::textos;
    tildora::Hallazgo h;
    h.clave = "\x93";
    h.caracter = 0x201C;
    h.cuenta = 3;
    h.primera = {2, 5};
    const std::string veces(textos::TipVeces);
    const std::string primera(textos::TipPrimera);
    EXPECT_EQ(ConsejoHallazgo(h, false, "LEFT DOUBLE QUOTATION MARK"),
              "LEFT DOUBLE QUOTATION MARK\n147 \u00b7 0x93\n" + veces + "3\n" + primera + "2:5");
    EXPECT_EQ(ConsejoHallazgo(h, false, ""), "147 \u00b7 0x93\n" + veces + "3\n" + primera + "2:5");
}

TEST(PiezasCelda, BytesConNombreEnmarcado) {
    using tildora::modelo::NombreEnmarcado;
    const auto ninguno = [](char32_t) { return false; };
    const auto todos = [](char32_t) { return true; };
    // A control whose picture no font has: its name; a lone LF too.
    EXPECT_EQ(NombreEnmarcado('\t', ninguno), std::optional<std::string>("TAB"));
    EXPECT_EQ(NombreEnmarcado('\n', ninguno), std::optional<std::string>("LF"));
    EXPECT_EQ(NombreEnmarcado(0x7F, ninguno), std::optional<std::string>("DEL"));
    EXPECT_EQ(NombreEnmarcado(0x1B, ninguno), std::optional<std::string>("ESC"));
    // A byte from 0x80 up that no font shows, or that shows nothing: its code.
    EXPECT_EQ(NombreEnmarcado(0x81, ninguno), std::optional<std::string>("U+0081"));
    EXPECT_EQ(NombreEnmarcado(0xE9, ninguno), std::optional<std::string>("U+00E9"));
    EXPECT_EQ(NombreEnmarcado(0x81, todos), std::optional<std::string>("U+0081"));
    EXPECT_EQ(NombreEnmarcado(0xAD, todos), std::optional<std::string>("U+00AD"));
    // Any other byte, or one the font draws, has none.
    EXPECT_EQ(NombreEnmarcado('\t', todos), std::nullopt);
    EXPECT_EQ(NombreEnmarcado('\n', todos), std::nullopt);
    EXPECT_EQ(NombreEnmarcado(0xE9, todos), std::nullopt);
    EXPECT_EQ(NombreEnmarcado('a', ninguno), std::nullopt);
    EXPECT_EQ(NombreEnmarcado('\r', ninguno), std::nullopt);
}

TEST(PiezasCelda, CentradasPiezaTrasPieza) {
    using tildora::modelo::IzquierdasCentradas;
    EXPECT_EQ(IzquierdasCentradas({10.0, 20.0, 6.0}, 50.0),
              (std::vector<double>{32.0, 42.0, 62.0}));
    EXPECT_EQ(IzquierdasCentradas({7.0}, 10.0), (std::vector<double>{6.5}));
    EXPECT_TRUE(IzquierdasCentradas({}, 10.0).empty());
}

// Look-alikes of allowed letters say what they are beside them: their code
// as `check` writes it and how often they occur; a Windows-1252 byte by its
// decimal code.
TEST(PiezasCelda, CodigoYCuentaDeCadaFila) {
    using tildora::Hallazgo;
    using tildora::modelo::DetalleFila;
    Hallazgo griega;
    griega.clave = "U+0395"; // Ε
    griega.cuenta = 3;
    Hallazgo cirilica;
    cirilica.clave = "U+0410"; // А
    cirilica.cuenta = 1;
    Hallazgo ancha;
    ancha.clave = "U+FF25"; // Ｅ
    ancha.cuenta = 12345;
    Hallazgo cedilla;
    cedilla.clave = "\xe7"; // ç
    cedilla.cuenta = 40;
    EXPECT_EQ(DetalleFila(griega), "U+0395 \u00d73");
    EXPECT_EQ(DetalleFila(cirilica), "U+0410 \u00d71");
    EXPECT_EQ(DetalleFila(ancha), "U+FF25 \u00d712345");
    EXPECT_EQ(DetalleFila(cedilla), "231 \u00d740");

    // Beside the character in its cell: the detail against the right edge,
    // the character centred in what is left; no room, no detail.
    using tildora::modelo::LugaresCeldaClave;
    EXPECT_EQ(LugaresCeldaClave({10}, 40, 100, 127, 3), (std::vector<double>{137, 184}));
    EXPECT_EQ(LugaresCeldaClave({10}, 0, 100, 127, 3), (std::vector<double>{158.5, 227}));
    EXPECT_EQ(LugaresCeldaClave({80}, 40, 100, 127, 3), (std::vector<double>{123.5, 227}));
}
