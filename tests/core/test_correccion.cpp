#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/interno/lector.h"
#include "core/interno/reescritura.h"
#include "tests/core/ayudas.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace tildora;

namespace {

struct Corregido {
    std::string texto;
    std::uint64_t cuenta = 0;
    bool operator==(const Corregido&) const = default;
};

// The passes done the obvious slow way: for each row, find its character from
// the search start, replace the match, go on one position after the start of
// the replacement. A replacement that holds its own character after its
// first position would loop for ever there; the program goes on after the
// inserted text instead, and so does this. The delete answer inserts
// nothing: the search goes on where the character stood, so that one right
// after it goes too. The row of a lone LF, whatever it holds, makes every LF
// that no CR comes before in the text as read a CR LF: that is done first,
// before a deletion could bring a CR next to an LF (no other row acts on
// line breaks).
Corregido Referencia(std::string t, const std::vector<Fila>& pares) {
    Corregido r;
    if (std::any_of(pares.begin(), pares.end(), [](const Fila& f) { return f.clave == "\n"; })) {
        for (std::size_t k = t.find('\n'); k != std::string::npos; k = t.find('\n', k + 1)) {
            if (k == 0 || t[k - 1] != '\r') {
                t.insert(k++, 1, '\r');
                ++r.cuenta;
            }
        }
    }
    for (const Fila& fila : pares) {
        const std::string& c = fila.clave;
        const std::string sustituto = fila.borrar ? std::string() : fila.sustituto;
        if (c == "\r" || c == "\n") {
            continue; // never a character; the lone LF's done above
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
            inicio = sePersigue || fila.borrar ? k + sustituto.size() : k + 1;
        }
    }
    r.texto = t;
    return r;
}

// The rewrite of a Windows-1252 text in memory, by the engine itself: the
// accept would refuse many of the grids these tests need (rows that leave
// wrong characters).
Resultado<std::uint64_t> Reescrito(const Documento& documento, const std::vector<Fila>& pares,
                                   std::string& salida, std::uint64_t limite = kSinLimite) {
    DestinoMemoria destino(salida);
    return Reescribir(documento, pares, destino, false, limite, nullptr);
}

Resultado<std::uint64_t> CorregirTexto(const std::string& texto, const std::vector<Fila>& pares,
                                       std::string& salida, std::uint64_t limite = kSinLimite) {
    const Resultado<Documento> d = DocumentoDeTexto(texto, Codificacion::Windows1252);
    EXPECT_TRUE(d);
    return Reescrito(*d, pares, salida, limite);
}

Corregido Corregir(const std::string& texto, const std::vector<Fila>& pares) {
    Corregido r;
    const Resultado<std::uint64_t> cuenta = CorregirTexto(texto, pares, r.texto);
    EXPECT_TRUE(cuenta);
    r.cuenta = cuenta ? *cuenta : 0;
    return r;
}

} // namespace

TEST(Correccion, Examples) {
    // A replacement of several characters counts once per occurrence.
    EXPECT_EQ(Corregir("a\xE7"
                       "b\xE7",
                       {{"\xE7", "ss"}}),
              (Corregido{"assbss", 2}));
    // Upper and lower case are separate rows.
    EXPECT_EQ(Corregir("\xC7\xE7\xC7", {{"\xC7", "C"}, {"\xE7", "c"}}), (Corregido{"CcC", 3}));
    EXPECT_EQ(Corregir("\xC7\xE7", {{"\xE7", "c"}}), (Corregido{"\xC7"
                                                                "c",
                                                                1}));
    // A replacement holding a character listed further down is corrected in
    // that character's turn and counted again; one listed further up stays.
    EXPECT_EQ(Corregir("^|", {{"^", "|x"}, {"|", "I"}}), (Corregido{"IxI", 3}));
    EXPECT_EQ(Corregir("^|", {{"|", "I"}, {"^", "|x"}}), (Corregido{"|xI", 2}));
    // Nothing to correct: the text as it was, 0 corrections.
    EXPECT_EQ(Corregir("limpio\r\n", {{"\xE7", "c"}}), (Corregido{"limpio\r\n", 0}));
    EXPECT_EQ(Corregir("", {{"\xE7", "c"}}), (Corregido{"", 0}));
    // A replacement holding its own character ends.
    EXPECT_EQ(Corregir("\xE7\xE7", {{"\xE7", "a\xE7"}}), (Corregido{"a\xE7"
                                                                    "a\xE7",
                                                                    2}));
    // The delete answer takes each occurrence away and counts it once, those
    // a replacement above brings included; the text a row holds beside it
    // is not used.
    EXPECT_EQ(Corregir("a\x93"
                       "b\x93",
                       {{"\x93", "x", true}}),
              (Corregido{"ab", 2}));
    EXPECT_EQ(Corregir("^|", {{"^", "|x"}, {"|", "", true}}), (Corregido{"x", 3}));
}

TEST(Correccion, TheDeleteAnswerIsAnAnswer) {
    const std::vector<Fila> filas = {{"\x93", "", true}, {"\x94", ""}, {"^", "\x93"}};
    EXPECT_EQ(FilasSinSolucion(filas), (std::vector<std::size_t>{1}));
    EXPECT_EQ(FilasNoLimpias(filas), (std::vector<std::size_t>{2}));
    EXPECT_EQ(FilasNoLimpias({{"^", "\x93"}, {"\x93", "", true}}), (std::vector<std::size_t>{}));
    // The row an answer of the store or a proposal makes.
    const Fila ninguna = FilaCon("\x93", std::nullopt);
    const Fila borrar = FilaCon("\x93", "");
    const Fila texto = FilaCon("\x93", "\"");
    EXPECT_TRUE(ninguna.sustituto.empty() && !ninguna.borrar);
    EXPECT_TRUE(borrar.sustituto.empty() && borrar.borrar);
    EXPECT_TRUE(texto.sustituto == "\"" && !texto.borrar);
}

TEST(Correccion, ALoneLfBecomesCrLfAndEverythingElseIsKept) {
    // The LF row's own answer is not used; each lone LF counts once.
    const std::string texto("\na\r\nb\nc\rd\0e\tf\n", 14);
    const Corregido r = Corregir(texto, {{"\n", "X"}, {std::string("\0", 1), "0"}, {"\t", " "}});
    EXPECT_EQ(r.texto, std::string("\r\na\r\nb\r\nc\rd0e f\r\n"));
    EXPECT_EQ(r.cuenta, 5u);
    // Its row needs no answer and is always clean; a line break inside a
    // replacement stays as it is.
    EXPECT_TRUE(FilasSinSolucion({{"\n", ""}, {"^", "-"}}).empty());
    EXPECT_EQ(FilasSinSolucion({{"\n", ""}, {"^", ""}}), std::vector<std::size_t>{1});
    EXPECT_TRUE(FilasNoLimpias({{"^", "\x93"}, {"\n", "\x94"}, {"\x93", "\""}}).empty());
    EXPECT_EQ(Corregir("^\n", {{"^", "a\nb"}, {"\n", ""}}), (Corregido{"a\nb\r\n", 2}));
}

TEST(Correccion, TheAcceptStoresNoAnswerForALoneLf) {
    prueba::CarpetaTemporal carpeta;
    const AlmacenSoluciones almacen(carpeta / "caracteres.ini");
    const Resultado<Documento> d = DocumentoDeTexto("a\nb^\n", Codificacion::Windows1252);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->hallazgos.size(), 2u);
    std::string salida;
    OpcionesCorreccion opciones;
    opciones.memoria = &salida;
    opciones.almacen = &almacen;
    const Aceptacion a = Aceptar(*d, {{"\n", ""}, {"^", "-"}}, opciones);
    ASSERT_TRUE(a.correcciones);
    EXPECT_EQ(*a.correcciones, 3u);
    EXPECT_EQ(salida, "a\r\nb-\r\n");
    EXPECT_EQ(prueba::Leer(carpeta / "caracteres.ini"), "[lista]\r\n^=-\r\n");
    // An answer stored for it by an older copy is never given back.
    ASSERT_TRUE(almacen.GuardarSolucion("lista", "\n", "x"));
    const Resultado<Respuestas> r = almacen.Leer();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Solucion("\n"), "");
    EXPECT_EQ(r->Solucion("^"), "-");
    EXPECT_EQ(r->Todas().size(), 1u);
}

TEST(Correccion, MatchesTheReferenceOnRandomTexts) {
    std::mt19937 azar(20261207);
    prueba::CarpetaTemporal carpeta;
    const std::string alfabeto("ab \xE7\xC7^|\t\r\n\x00\x80", 12);
    const std::string sinSaltos("ab \xE7\xC7^|\t\x00\x80", 10);
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
        // A replacement never holds a line break (no answer given or stored
        // can).
        std::vector<Fila> pares;
        for (char c : orden) {
            std::string sustituto;
            const int n = std::uniform_int_distribution<int>(1, 4)(azar);
            for (int i = 0; i < n; ++i) {
                sustituto += letra(sinSaltos);
            }
            pares.push_back({std::string(1, c), sustituto, azar() % 5 == 0});
        }
        const Corregido esperado = Referencia(texto, pares);
        ASSERT_EQ(Corregir(texto, pares), esperado) << "case " << caso;

        // The same from a file, read again for the rewrite (one case in
        // ten); now and then behind allowed text, so that the pieces it is
        // read in cut it in the middle.
        if (caso % 10 != 0) {
            continue;
        }
        const std::size_t relleno = caso % 100 == 0 ? kTrozoLectura - texto.size() / 2 : 0;
        const std::string ruta = carpeta / "entrada.txt";
        prueba::Escribir(ruta, std::string(relleno, 'a') + texto);
        OpcionesLectura opciones;
        opciones.codificacion = Codificacion::Windows1252;
        const Resultado<Documento> d = AbrirDocumento(ruta, opciones);
        ASSERT_TRUE(d) << "case " << caso;
        std::string salida = "reused storage";
        const Resultado<std::uint64_t> r = Reescrito(*d, pares, salida);
        ASSERT_TRUE(r) << "case " << caso;
        EXPECT_EQ(*r, esperado.cuenta);
        ASSERT_EQ(salida, std::string(relleno, 'a') + esperado.texto) << "case " << caso;
    }
}

TEST(Correccion, RowsAreRefusedExactlyWhenTheyWouldLeaveAWrongCharacter) {
    // Random grids, each row's character once in the text: the rule must
    // accept a grid exactly when the slow passes give a clean text.
    std::mt19937 azar(4242);
    const TablaValidez& tabla = kCaracteresValidos;
    const std::string alfabeto("ab \xE7\xC7^|\t\x80", 9);
    const std::string erroneos("\xE7\xC7^|\t\n\x80", 7);
    for (int caso = 0; caso < 5000; ++caso) {
        std::string orden = erroneos;
        std::shuffle(orden.begin(), orden.end(), azar);
        orden.resize(std::uniform_int_distribution<std::size_t>(1, orden.size())(azar));
        std::vector<Fila> pares;
        for (char c : orden) {
            std::string sustituto;
            // Never empty: an empty cell is no replacement at all; the
            // delete answer is one.
            const int n = std::uniform_int_distribution<int>(1, 3)(azar);
            for (int i = 0; i < n; ++i) {
                sustituto += alfabeto[azar() % alfabeto.size()];
            }
            pares.push_back({std::string(1, c), sustituto, azar() % 5 == 0});
        }
        const std::string salida = Referencia("a" + orden + "b", pares).texto;
        const bool limpia = std::all_of(salida.begin(), salida.end(), [&](char x) {
            return tabla[static_cast<unsigned char>(x)] || x == '\r' || x == '\n';
        });
        const std::vector<std::size_t> sucias = FilasNoLimpias(pares);
        ASSERT_EQ(sucias.empty(), limpia) << "case " << caso;
        // The rows named are exactly those whose own replacement, corrected
        // by the rows below it alone, is not clean (a row for a line break
        // is never applied).
        for (std::size_t i = 0; i < pares.size(); ++i) {
            const std::vector<Fila> abajo(pares.begin() + static_cast<long>(i) + 1, pares.end());
            const std::string forma =
                Referencia(pares[i].borrar ? std::string() : pares[i].sustituto, abajo).texto;
            const bool sucia =
                pares[i].clave != "\n" && !std::all_of(forma.begin(), forma.end(), [&](char x) {
                    return tabla[static_cast<unsigned char>(x)] || x == '\n';
                });
            EXPECT_EQ(std::count(sucias.begin(), sucias.end(), i) == 1, sucia)
                << "case " << caso << " row " << i;
        }
    }
}

TEST(Correccion, RunawayGrowthIsRefused) {
    // Each row doubles the next one's character: 2^100 bytes for one 'A'.
    std::vector<Fila> pares;
    for (int i = 0; i < 100; ++i) {
        const char c = static_cast<char>(0x80 + i);
        const char siguiente = static_cast<char>(0x80 + i + 1);
        pares.push_back({std::string(1, c), std::string(2, siguiente)});
    }
    // Refused before anything is written.
    std::string salida = "old";
    const Resultado<std::uint64_t> r = CorregirTexto("x\x80y", pares, salida);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.fallo(), Fallo::Crecimiento);
    EXPECT_EQ(salida, "old");

    // Those rows are harmless for a text that holds none of the growing
    // characters but the last few.
    EXPECT_EQ(Corregir("x\xE2y", pares), (Corregido{"x\xE4\xE4\xE4\xE4y", 3}));

    // The bound is a parameter; the exact size still passes.
    EXPECT_TRUE(CorregirTexto("\xE7\xE7", {{"\xE7", "abc"}}, salida, 6));
    EXPECT_EQ(CorregirTexto("\xE7\xE7", {{"\xE7", "abc"}}, salida, 5).fallo(), Fallo::Crecimiento);
}

TEST(Correccion, LargeCountsDoNotOverflow) {
    const std::string texto(10, '\x80');
    std::vector<Fila> pares{{"\x80", "\x81\x81"}};
    for (int i = 1; i < 16; ++i) {
        pares.push_back({std::string(1, static_cast<char>(0x80 + i)),
                         std::string(2, static_cast<char>(0x80 + i + 1))});
    }
    // Every 0x80 becomes 2^16 bytes and counts 2^16 - 1 corrections.
    std::string salida;
    const Resultado<std::uint64_t> cuenta = CorregirTexto(texto, pares, salida);
    ASSERT_TRUE(cuenta);
    EXPECT_EQ(salida.size(), 10u * 65536u);
    EXPECT_EQ(*cuenta, 10u * 65535u);
    EXPECT_GT(*cuenta, 32767u);
}
