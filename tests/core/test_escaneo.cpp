#include "ayudas.h"
#include "escaneo.h"
#include "textos.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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

class Escaneo : public ::testing::Test {
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

TEST_F(Escaneo, ListsInOrderOfFirstAppearanceOncePerCharacter) {
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

TEST_F(Escaneo, LineBreaks) {
    // CR LF and lone CR end lines and are never listed.
    EXPECT_FALSE(Escanear("uno\r\ndos\rtres\r\n\r\n\r"));
    EXPECT_EQ(Lista(estado), "");
    // A lone LF is a character of its line, listed once at its first place.
    EXPECT_TRUE(Escanear("a\r\nb\nc\r\n\xE7\n"));
    EXPECT_EQ(Lista(estado), "\n\xE7");
    // An LF file: one line, the LF listed once.
    EXPECT_TRUE(Escanear("uno\ndos\ntres\n"));
    EXPECT_EQ(Lista(estado), "\n");
    // An LF right after a CR ends the line even after a lone LF was seen.
    EXPECT_TRUE(Escanear("\n\r\n\xE7\r\n"));
    EXPECT_EQ(Lista(estado), "\n\xE7");
}

TEST_F(Escaneo, ControlCharactersAndZeroBytes) {
    EXPECT_TRUE(Escanear(std::string("a\0b\tc\x7F", 6)));
    EXPECT_EQ(Lista(estado), std::string("\0\t\x7F", 3));
}

TEST_F(Escaneo, EmptyAndCleanFilesAndNoFinalLineEnd) {
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

TEST_F(Escaneo, KeepsTheBytesReadAsTheWorkingCopy) {
    std::string bytes(3u << 20, 'a'); // spans several read pieces
    bytes[(1u << 20) - 1] = '\r';     // a CR LF split between two pieces
    bytes[1u << 20] = '\n';
    bytes[(2u << 20) + 5] = '\n'; // a lone LF later on
    bytes += std::string("\0\xFF", 2);
    EXPECT_TRUE(Escanear(bytes));
    EXPECT_EQ(estado.Texto, bytes);
    EXPECT_EQ(Lista(estado), std::string("\n\0", 2));
}

TEST_F(Escaneo, SecondScanStartsFromAnEmptyList) {
    EXPECT_TRUE(Escanear("\xE7|^"));
    EXPECT_TRUE(Escanear("x^y"));
    EXPECT_EQ(Lista(estado), "^");
    EXPECT_EQ(estado.Texto, "x^y");
    EXPECT_TRUE(EstaEnLista(estado, "^"));
    EXPECT_FALSE(EstaEnLista(estado, "|"));
    EXPECT_TRUE(EstaEnLista(estado, "")); // the empty last slot
}

TEST_F(Escaneo, UnreadableInputsGiveOneMessage) {
    const std::string sub = carpeta / "sub";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::vector<std::string> rutas = {carpeta / "no-existe.txt", sub, "",
                                            "/proc/self/mem"}; // a read error
    for (const auto& ruta : rutas) {
        Estado e;
        AvisadorRegistro a;
        EXPECT_FALSE(BuscarErrores(e, ruta, a)) << ruta;
        EXPECT_TRUE(e.ErrorLectura) << ruta;
        ASSERT_EQ(a.mensajes.size(), 1u) << ruta;
        EXPECT_EQ(a.mensajes[0], textos::M1NombreIncorrecto);
        // The table is built even when the read fails.
        EXPECT_EQ(e.CaracteresValidos, ConstruirCaracteresValidos());
    }
}

TEST_F(Escaneo, FileWithoutReadPermission) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root reads every file";
    }
    const std::string ruta = carpeta / "cerrado.txt";
    prueba::Escribir(ruta, "\xE7");
    ASSERT_EQ(::chmod(ruta.c_str(), 0), 0);
    EXPECT_FALSE(BuscarErrores(estado, ruta, avisador));
    EXPECT_TRUE(estado.ErrorLectura);
    EXPECT_EQ(avisador.mensajes.size(), 1u);
}

TEST(Escaner, PiecesGiveTheSameResultAsOneRead) {
    const std::string texto = "ab\r\n\xE7\r|\n\r\n^\r\r\n\n\xE7\t";
    Escaner entero(TablaFija());
    entero.Procesar(texto.data(), texto.size());
    for (std::size_t corte = 0; corte <= texto.size(); ++corte) {
        Escaner partido(TablaFija());
        partido.Procesar(texto.data(), corte);
        partido.Procesar(texto.data() + corte, texto.size() - corte);
        EXPECT_EQ(partido.Encontrados(), entero.Encontrados()) << corte;
    }
    EXPECT_EQ(entero.Encontrados(), (std::vector<unsigned char>{0xE7, '|', '\n', '^', '\t'}));
}
