#include "core/estado.h"
#include "core/interno/escaneo.h"
#include "core/textos.h"
#include "tests/core/ayudas.h"

#include <random>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace tildora;

namespace {

struct AvisadorRegistro : Avisador {
    std::vector<std::string> mensajes;
    void Mensaje(const std::string& texto) override { mensajes.push_back(texto); }
};

// The listed characters as one string, without the empty last slot.
std::string Lista(const Estado& e) {
    std::string r;
    for (std::size_t i = 0; i + 1 < e.CaracteresErroneos.size(); ++i) {
        r += e.CaracteresErroneos[i];
    }
    return r;
}

class EscaneoVentana : public ::testing::Test {
protected:
    prueba::CarpetaTemporal carpeta;
    Estado estado;
    AvisadorRegistro avisador;

    bool Escanear(const std::string& bytes) {
        const std::string ruta = carpeta / "entrada.txt";
        prueba::Escribir(ruta, bytes);
        return BuscarErrores(estado, ruta, avisador);
    }
};

} // namespace

TEST_F(EscaneoVentana, ListsInOrderOfFirstAppearanceOncePerCharacter) {
    ASSERT_TRUE(Escanear("ab\xE7x\xC7|\r\n^\xE7|\xC7\t\x80\r\n"));
    EXPECT_EQ(Lista(estado), "\xE7\xC7|^\t\x80"); // ç and Ç apart
    ASSERT_EQ(estado.CaracteresErroneos.size(), 7u);
    EXPECT_EQ(estado.CaracteresErroneos.back(), ""); // n + 1 slots, the last empty
    for (std::size_t i = 0; i + 1 < estado.CaracteresErroneos.size(); ++i) {
        EXPECT_EQ(estado.CaracteresErroneos[i].size(), 1u);
    }
    EXPECT_TRUE(avisador.mensajes.empty());
    EXPECT_FALSE(estado.ErrorLectura);
    EXPECT_TRUE(estado.TablaConstruida);
    EXPECT_EQ(estado.CaracteresValidos, ConstruirCaracteresValidos());
}

TEST_F(EscaneoVentana, LineBreaks) {
    // CR LF and lone CR end lines and are never listed.
    EXPECT_FALSE(Escanear("uno\r\ndos\rtres\r\n\r\n\r"));
    EXPECT_EQ(Lista(estado), "");
    // In a Windows-1252 text a lone LF ends its line and is listed once, at
    // its first place.
    EXPECT_TRUE(Escanear("a\r\nb\nc\r\n\xE7\n"));
    EXPECT_EQ(Lista(estado), "\n\xE7");
    // Plain ASCII with LF line ends is a Unix text: clean, nothing listed.
    EXPECT_FALSE(Escanear("uno\ndos\ntres\n"));
    EXPECT_EQ(Lista(estado), "");
    // An LF right after a CR ends the line even after a lone LF was seen.
    EXPECT_TRUE(Escanear("\n\r\n\xE7\r\n"));
    EXPECT_EQ(Lista(estado), "\n\xE7");
}

// Where a character first stands: a lone LF ends a line in every encoding,
// also in a Windows-1252 text that lists it.
TEST(Posiciones, ALoneLfEndsItsLine) {
    struct Caso {
        std::string texto;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> donde;
    };
    const Caso casos[] = {
        {"caf\xE9\nb\r\nc\rdd|\n", {{1, 5}, {4, 3}}},         // Windows-1252: LF, |
        {"caf\xC3\xA9\nb\r\nc\rdd|\n", {{4, 3}}},             // UTF-8: |
        {"\n\n\xE7\t\r\n\xE7\n\t", {{1, 1}, {3, 1}, {3, 2}}}, // LF, ç, TAB
    };
    for (const Caso& c : casos) {
        const Resultado<Documento> d = DocumentoDeTexto(c.texto);
        ASSERT_TRUE(d);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> donde;
        for (const Hallazgo& h : d->hallazgos) {
            donde.emplace_back(h.primera.linea, h.primera.columna);
        }
        EXPECT_EQ(donde, c.donde) << c.texto;
    }
}

TEST_F(EscaneoVentana, ControlCharactersAndZeroBytes) {
    EXPECT_TRUE(Escanear(std::string("a\0b\tc\x7F", 6)));
    EXPECT_EQ(Lista(estado), std::string("\0\t\x7F", 3));
}

TEST_F(EscaneoVentana, EmptyAndCleanFilesAndNoFinalLineEnd) {
    estado.ErrorLectura = false;
    EXPECT_FALSE(Escanear(""));
    EXPECT_EQ(estado.CaracteresErroneos, std::vector<std::string>{""});
    EXPECT_FALSE(estado.ErrorLectura);
    EXPECT_TRUE(avisador.mensajes.empty());

    EXPECT_FALSE(Escanear("Kaixo, \xBFqu\xE9 tal? \xD1"
                          "and\xFA: 100 \xBA"
                          "C\r\nFin sin final"));
    EXPECT_EQ(estado.CaracteresErroneos, std::vector<std::string>{""});

    EXPECT_TRUE(Escanear("Fin sin final \xE7"));
    EXPECT_EQ(Lista(estado), "\xE7");
}

TEST_F(EscaneoVentana, KeepsTheBytesReadAsTheWorkingCopy) {
    std::string bytes(3u << 20, 'a'); // spans several read pieces
    bytes[(1u << 20) - 1] = '\r';     // a CR LF split between two pieces
    bytes[1u << 20] = '\n';
    bytes[(2u << 20) + 5] = '\n'; // a lone LF later on
    bytes += std::string("\0\xFF", 2);
    EXPECT_TRUE(Escanear(bytes));
    EXPECT_EQ(estado.documento.texto, bytes);
    // The line starts come with it: after the CR LF and after the lone LF.
    EXPECT_EQ(estado.documento.inicioLineas,
              (std::vector<std::uint32_t>{0, (1u << 20) + 1, (2u << 20) + 6}));
    EXPECT_EQ(Lista(estado), std::string("\n\0", 2));
}

TEST_F(EscaneoVentana, SecondScanStartsFromAnEmptyList) {
    EXPECT_TRUE(Escanear("\xE7|^"));
    EXPECT_TRUE(Escanear("x^y"));
    EXPECT_EQ(Lista(estado), "^");
    EXPECT_EQ(estado.documento.texto, "x^y");
    EXPECT_TRUE(EstaEnLista(estado, "^"));
    EXPECT_FALSE(EstaEnLista(estado, "|"));
    EXPECT_TRUE(EstaEnLista(estado, "")); // the empty last slot
}

TEST_F(EscaneoVentana, UnreadableInputsGiveOneMessage) {
    const std::string sub = carpeta / "sub";
    ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(sub)));
    // A file over the window's limit, made without taking the space.
    const std::string grande = carpeta / "grande.txt";
    prueba::Escribir(grande, "");
    std::filesystem::resize_file(prueba::Camino(grande), kTamanoMaximoEntrada + 1);
    const std::vector<std::pair<std::string, std::string_view>> rutas = {
        {carpeta / "no-existe.txt", textos::M1NombreIncorrecto},
        {sub, textos::M1NombreIncorrecto},
        {"", textos::M1NombreIncorrecto},
        {"/proc/self/mem", textos::M1NombreIncorrecto}, // a read error
        {grande, textos::DemasiadoGrandeVentana},
    };
    for (const auto& [ruta, mensaje] : rutas) {
        Estado e;
        AvisadorRegistro a;
        EXPECT_FALSE(BuscarErrores(e, ruta, a)) << ruta;
        EXPECT_TRUE(e.ErrorLectura) << ruta;
        ASSERT_EQ(a.mensajes.size(), 1u) << ruta;
        // A file that cannot be read is named after the message, with why.
        if (mensaje == textos::M1NombreIncorrecto) {
            const std::string nombrado = std::string(mensaje) + "\n" + ruta + ": ";
            EXPECT_EQ(a.mensajes[0].substr(0, nombrado.size()), nombrado) << ruta;
            EXPECT_GT(a.mensajes[0].size(), nombrado.size()) << ruta;
        } else {
            EXPECT_EQ(a.mensajes[0], mensaje) << ruta;
        }
        // The table is built even when the read fails.
        EXPECT_EQ(e.CaracteresValidos, ConstruirCaracteresValidos());
    }
}

TEST_F(EscaneoVentana, FileWithoutReadPermission) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root reads every file";
    }
    if (prueba::kWindows) {
        GTEST_SKIP() << prueba::kSinPermisosPosix;
    }
    const std::string ruta = carpeta / "cerrado.txt";
    prueba::Escribir(ruta, "\xE7");
    ASSERT_EQ(::chmod(ruta.c_str(), 0), 0);
    EXPECT_FALSE(BuscarErrores(estado, ruta, avisador));
    EXPECT_TRUE(estado.ErrorLectura);
    EXPECT_EQ(avisador.mensajes.size(), 1u);
}

namespace {

// Every way the search can go on this processor.
std::vector<Via> Vias() {
    std::vector<Via> vias;
    for (const Via v : {Via::Sencilla, Via::Avx2, Via::Avx512}) {
        if (v <= MejorVia()) {
            vias.push_back(v);
        }
    }
    return vias;
}

// The scan of a text handed over in pieces ending at `cortes` (the last
// piece ends at the end), cut anywhere: Costura hands on whole characters.
Recuento Escanear(Unidades unidades, Via via, std::string_view texto,
                  const std::vector<std::size_t>& cortes = {}) {
    Escaneo escaneo(unidades, via);
    Costura costura(unidades == Unidades::Utf8);
    const auto entregar = [&](const unsigned char* p, std::size_t n, unsigned char anterior) {
        escaneo.Procesar(p, n, anterior);
        return true;
    };
    std::size_t desde = 0;
    for (const std::size_t hasta : cortes) {
        costura.Coser(texto.data() + desde, hasta - desde, entregar);
        desde = hasta;
    }
    costura.Coser(texto.data() + desde, texto.size() - desde, entregar);
    costura.Vaciar(entregar);
    return escaneo.Resultado();
}

std::vector<char32_t> Encontrados(const Recuento& r) {
    std::vector<char32_t> u;
    for (const Recuento::Primera& p : r.primeras) {
        u.push_back(p.unidad);
    }
    return u;
}

} // namespace

TEST(Escaner, PiecesGiveTheSameResultAsOneRead) {
    const std::string texto = "ab\r\n\xE7\r|\n\r\n^\r\r\n\n\xE7\t";
    const Recuento entero = Escanear(Unidades::Ansi, MejorVia(), texto);
    for (std::size_t corte = 0; corte <= texto.size(); ++corte) {
        const Recuento partido = Escanear(Unidades::Ansi, MejorVia(), texto, {corte});
        EXPECT_EQ(Encontrados(partido), Encontrados(entero)) << corte;
    }
    EXPECT_EQ(Encontrados(entero), (std::vector<char32_t>{0xE7, '|', '\n', '^', '\t'}));
}

// The scan against a plain reading of the rules, on random texts cut at
// random places, in every one of its paths.
namespace {

struct Esperado {
    std::vector<char32_t> orden;
    std::uint64_t cuentas[256] = {};
    Posicion primera[256];
};

// Line by line, as the scan reads: a line ends at CR LF, a lone CR or a lone
// LF, which is also listed.
Esperado Referencia(const std::string& texto) {
    const TablaValidez& tabla = kCaracteresValidos;
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
        if (c == '\n') {
            ++linea;
            columna = 1;
        }
    }
    return e;
}

// Whether a scan found what the reference did: the same characters in the
// same order, as often, first where the reference has them.
::testing::AssertionResult ComoLaReferencia(const Recuento& r, const Esperado& e,
                                            std::size_t bytes) {
    if (Encontrados(r) != e.orden) {
        return ::testing::AssertionFailure() << "other characters";
    }
    if (r.bytes != bytes) {
        return ::testing::AssertionFailure() << r.bytes << " bytes";
    }
    for (std::size_t i = 0; i < r.primeras.size(); ++i) {
        const Recuento::Primera& p = r.primeras[i];
        if (r.cuentas[i] != e.cuentas[p.unidad]) {
            return ::testing::AssertionFailure()
                   << "byte " << std::uint32_t{p.unidad} << " counted " << r.cuentas[i];
        }
        if (p.linea + 1 != e.primera[p.unidad].linea || p.columna != e.primera[p.unidad].columna) {
            return ::testing::AssertionFailure() << "byte " << std::uint32_t{p.unidad}
                                                 << " first at " << p.linea + 1 << ":" << p.columna;
        }
    }
    return ::testing::AssertionSuccess();
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

TEST(Escaner, VectorAndPlainPathsMatchAReferenceOnRandomTextsAndCuts) {
    std::mt19937 azar(12345);
    for (int ronda = 0; ronda < 2000; ++ronda) {
        std::uniform_int_distribution<std::size_t> largo(0, ronda < 1800 ? 400 : 20000);
        const std::string texto = Aleatorio(azar, largo(azar));
        const Esperado e = Referencia(texto);

        // Cut into pieces of random sizes, empty ones and single bytes included.
        std::vector<std::size_t> cortes;
        std::size_t i = 0;
        while (i < texto.size()) {
            std::uniform_int_distribution<std::size_t> trozo(0, ronda % 3 == 0 ? 3 : 200);
            i += std::min(trozo(azar), texto.size() - i);
            cortes.push_back(i);
        }
        for (const Via via : Vias()) {
            ASSERT_TRUE(
                ComoLaReferencia(Escanear(Unidades::Ansi, via, texto, cortes), e, texto.size()))
                << "ronda " << ronda << " via " << static_cast<int>(via);
        }
    }
}

TEST(Escaner, CountsLinesRightThroughLargeTextsAndPieces) {
    // Megabytes with long runs of line ends, read in large pieces: the
    // vector paths count line ends in bulk, and their counters are emptied
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
        for (const Via via : Vias()) {
            std::uniform_int_distribution<std::size_t> trozo(0, std::size_t{1} << 20);
            std::vector<std::size_t> cortes;
            for (std::size_t i = 0; i < texto.size();) {
                i += std::min(trozo(azar), texto.size() - i);
                cortes.push_back(i);
            }
            ASSERT_TRUE(
                ComoLaReferencia(Escanear(Unidades::Ansi, via, texto, cortes), e, texto.size()))
                << "ronda " << ronda << " via " << static_cast<int>(via);
        }
    }
}

TEST(Escaner, TheVectorPathIsTakenWhereTheProcessorHasIt) {
    Via esperada = Via::Sencilla;
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi")) {
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vbmi")) {
            esperada = Via::Avx512;
        } else if (__builtin_cpu_supports("avx2")) {
            esperada = Via::Avx2;
        }
    }
#endif
    EXPECT_EQ(MejorVia(), esperada);
    for (const Unidades u : {Unidades::Ansi, Unidades::Utf8}) {
        EXPECT_EQ(Buscador(u).Camino(), esperada);
        // A way asked for is taken where the processor has it; the plain
        // loop always is.
        for (const Via v : {Via::Sencilla, Via::Avx2, Via::Avx512}) {
            EXPECT_EQ(Buscador(u, v).Camino(), std::min(v, esperada));
        }
    }
}

TEST(Escaner, EveryByteValueIsJudgedByTheTable) {
    // Each byte alone, after a CR, and between letters, in every path.
    const TablaValidez& tabla = kCaracteresValidos;
    for (const Via via : Vias()) {
        for (unsigned c = 0; c < 256; ++c) {
            std::string texto(130, 'x');
            texto[70] = static_cast<char>(c);
            const Recuento r = Escanear(Unidades::Ansi, via, texto);
            const bool mal = !tabla[c] && c != '\r';
            ASSERT_EQ(r.primeras.size(), mal ? 1u : 0u) << c << " " << static_cast<int>(via);
            if (mal) {
                EXPECT_EQ(r.primeras[0].columna, 71u);
            }
        }
    }
}

} // namespace
