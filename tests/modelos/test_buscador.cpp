// The conversion window's context search along the occurrences of one
// character, and which text its view shows.
#include "core/documento.h"
#include "core/textos.h"
#include "modelos/buscador.h"
#include "modelos/previa.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tildora;
using modelo::Buscador;

namespace {

constexpr std::size_t npos = Buscador::npos;

// '|' at bytes 1, 6, 10 and 13; a lone LF at 8.
const std::string kTexto = "a|b\r\nc|d\ne|\r\n|";

Documento Abrir(const std::string& texto, Codificacion c) {
    Resultado<Documento> d = DocumentoDeTexto(texto, c);
    EXPECT_TRUE(d);
    return std::move(*d);
}

} // namespace

TEST(Buscador, RecorreLasOcurrenciasYLasCuenta) {
    const Documento d = Abrir(kTexto, Codificacion::Windows1252);
    Buscador b(d);
    b.FilaActual("|");
    EXPECT_EQ(b.Cuenta(), "? / 4");
    EXPECT_EQ(b.Actual(), npos);

    // Each act, from where the one before left the cursor: the walk round
    // both ends, then from the caret or a selection the user made.
    enum class Acto { Primera, Siguiente, Anterior };
    struct Paso {
        Acto acto;
        bool olvidar;
        std::size_t inicio, fin;
        std::size_t actual;
        const char* cuenta;
    };
    const Paso pasos[] = {
        {Acto::Primera, false, 0, 0, 1, "1 / 4"},
        {Acto::Siguiente, false, 0, 0, 6, "2 / 4"},
        {Acto::Siguiente, false, 0, 0, 10, "3 / 4"},
        {Acto::Anterior, false, 0, 0, 6, "2 / 4"},
        {Acto::Anterior, false, 0, 0, 1, "1 / 4"},
        {Acto::Anterior, false, 0, 0, 13, "4 / 4"},
        {Acto::Siguiente, false, 0, 0, 1, "1 / 4"},
        {Acto::Primera, false, 0, 0, 1, "1 / 4"},
        // The caret between two, on one, past the last; a selection that
        // starts on one goes on after it.
        {Acto::Siguiente, true, 7, 7, 10, "3 / 4"},
        {Acto::Siguiente, true, 6, 6, 6, "2 / 4"},
        {Acto::Siguiente, true, 6, 7, 10, "3 / 4"},
        {Acto::Siguiente, true, 14, 14, 1, "1 / 4"},
        {Acto::Anterior, true, 6, 6, 1, "1 / 4"},
        {Acto::Anterior, true, 0, 0, 13, "4 / 4"},
        {Acto::Anterior, true, 11, 12, 10, "3 / 4"},
    };
    for (const Paso& p : pasos) {
        if (p.olvidar) {
            b.Olvidar();
            EXPECT_EQ(b.Cuenta(), "? / 4");
        }
        switch (p.acto) {
        case Acto::Primera:
            EXPECT_TRUE(b.Primera());
            break;
        case Acto::Siguiente:
            EXPECT_TRUE(b.Siguiente(p.inicio, p.fin));
            break;
        case Acto::Anterior:
            EXPECT_TRUE(b.Anterior(p.inicio));
            break;
        }
        EXPECT_EQ(b.Actual(), p.actual) << p.cuenta;
        EXPECT_EQ(b.Cuenta(), p.cuenta);
        EXPECT_EQ(b.Seleccion(), std::make_pair(p.actual, p.actual + 1));
    }

    // Another row: none chosen of its own.
    b.FilaActual("a");
    EXPECT_EQ(b.Actual(), npos);
    EXPECT_EQ(b.Cuenta(), "? / 0");
    EXPECT_TRUE(b.Primera());
    EXPECT_EQ(b.Actual(), npos);
    EXPECT_EQ(b.Seleccion(), std::make_pair(std::size_t{0}, std::size_t{0}));
    EXPECT_EQ(b.Cuenta(), "? / 0");
}

TEST(Buscador, SinFilaNoHaceNada) {
    const Documento d = Abrir(kTexto, Codificacion::Windows1252);
    Buscador b(d);
    b.FilaActual("|");
    ASSERT_TRUE(b.Primera());
    b.FilaActual("");
    EXPECT_EQ(b.Cuenta(), "");
    EXPECT_FALSE(b.Primera());
    EXPECT_FALSE(b.Siguiente(0, 0));
    EXPECT_FALSE(b.Anterior(0));
    EXPECT_EQ(b.Actual(), npos);
}

TEST(Buscador, LoQueSeSelecciona) {
    // A lone LF is a line break in the view: chosen, nothing is selected.
    const Documento ansi = Abrir(kTexto, Codificacion::Windows1252);
    Buscador b(ansi);
    b.FilaActual("\n");
    ASSERT_TRUE(b.Primera());
    EXPECT_EQ(b.Actual(), 8u);
    EXPECT_EQ(b.Largo(), 1u);
    EXPECT_EQ(b.Seleccion(), std::make_pair(std::size_t{0}, std::size_t{0}));
    EXPECT_EQ(b.Cuenta(), "1 / 1");

    // A character of several bytes is selected whole.
    const Documento utf8 = Abrir("a\xE2\x82\xAC\nb\xE2\x82\xAC", Codificacion::Utf8);
    Buscador u(utf8);
    u.FilaActual("\x80"); // the euro sign
    ASSERT_TRUE(u.Anterior(0));
    EXPECT_EQ(u.Actual(), 6u);
    EXPECT_EQ(u.Seleccion(), std::make_pair(std::size_t{6}, std::size_t{9}));
    EXPECT_EQ(u.Cuenta(), "2 / 2");
}

TEST(Previa, SeHaceDeNuevoSoloTrasUnCambio) {
    const Documento d = Abrir(kTexto, Codificacion::Windows1252);
    modelo::Previa previa(d);
    int pedidas = 0;
    std::string respuesta = "/";
    const auto filas = [&] {
        ++pedidas;
        return std::vector<Fila>{Fila{"|", respuesta}, Fila{"\n", ""}};
    };
    EXPECT_FALSE(previa.Mostrada());
    EXPECT_EQ(previa.Titulo(), textos::TextoOriginal);

    const VistaPrevia* v = previa.Mostrar(true, filas);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(previa.Mostrada());
    EXPECT_EQ(previa.Titulo(), textos::TextoCorregido);
    EXPECT_EQ(v->Pieza(0, kTexto.size()).texto, "a/b\r\nc/d\r\ne/\r\n/");
    EXPECT_EQ(previa.Mostrar(false, filas), nullptr);
    EXPECT_EQ(previa.Titulo(), textos::TextoOriginal);
    ASSERT_NE(previa.Mostrar(true, filas), nullptr);
    EXPECT_EQ(pedidas, 1);

    respuesta = "!";
    previa.RespuestasCambiadas();
    v = previa.Mostrar(true, filas);
    EXPECT_EQ(pedidas, 2);
    EXPECT_EQ(v->Pieza(0, kTexto.size()).texto, "a!b\r\nc!d\r\ne!\r\n!");
}
