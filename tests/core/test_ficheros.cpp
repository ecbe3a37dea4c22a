#include "core/reglas.h"
#include "tests/core/ayudas.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace tildora;

// Two names of one file are told by the file they name, which the names'
// check refuses as equal names.
namespace {

bool MismoFichero(const std::string& a, const std::string& b) {
    const Resultado<void> r = ComprobarNombres(a, b, "");
    return !r && r.fallo() == Fallo::NombresIguales;
}

} // namespace

TEST(Ficheros, SameFileUnderAnotherName) {
    prueba::CarpetaTemporal carpeta;
    const std::string a = carpeta / "a.txt";
    prueba::Escribir(a, "x");
    ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(carpeta / "dir")));
    std::filesystem::create_hard_link(prueba::Camino(a), prueba::Camino(carpeta / "otro"));
    EXPECT_TRUE(MismoFichero(a, carpeta / "dir/../a.txt"));
    EXPECT_TRUE(MismoFichero(a, carpeta / "./a.txt"));
    EXPECT_TRUE(MismoFichero(a, carpeta / "otro"));
#ifndef _WIN32 // a link takes a privilege to make on Windows
    ASSERT_EQ(::symlink(a.c_str(), (carpeta / "enlace").c_str()), 0);
    EXPECT_TRUE(MismoFichero(a, carpeta / "enlace"));
#endif
    // Letter case names another file here; on Windows the same one, as the
    // file it opens says.
    prueba::Escribir(carpeta / "A.txt", "x");
    EXPECT_EQ(MismoFichero(a, carpeta / "A.txt"), prueba::kWindows);
    EXPECT_FALSE(MismoFichero(a, carpeta / "no-existe.txt"));
    // A file that is not there is no file another name could also be.
    EXPECT_FALSE(MismoFichero(carpeta / "no-existe.txt", carpeta / "./no-existe.txt"));
}

TEST(Ficheros, ExistenceSearchFindsOrdinaryFilesOnly) {
    prueba::CarpetaTemporal carpeta;
    prueba::Escribir(carpeta / "salida.txt", "x");
    prueba::Escribir(carpeta / ".oculto", "x");
    for (const char* sub : {"carpeta", "vacia", "solo-ocultos"}) {
        ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(carpeta / sub)));
    }
    prueba::Escribir(carpeta / "carpeta/dentro.txt", "x");
    prueba::Escribir(carpeta / "solo-ocultos/.x", "x");

    EXPECT_TRUE(ExisteFicheroOrdinario(carpeta / "salida.txt"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "otra.txt"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / ".oculto")); // hidden
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "carpeta")); // a folder
    EXPECT_FALSE(ExisteFicheroOrdinario(""));
    // Wildcards act as wildcards.
    EXPECT_TRUE(ExisteFicheroOrdinario(carpeta / "*.txt"));
    EXPECT_TRUE(ExisteFicheroOrdinario(carpeta / "sal?da.*"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "*.doc"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "*culto")); // only hidden matches
    // A name ending in a separator finds the folder's first ordinary file.
    EXPECT_TRUE(ExisteFicheroOrdinario(carpeta / "carpeta/"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "vacia/"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "solo-ocultos/"));
    EXPECT_FALSE(ExisteFicheroOrdinario(carpeta / "no-existe/"));
}
