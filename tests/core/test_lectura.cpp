#include "core/lectura.h"
#include "core/textos.h"
#include "tests/core/ayudas.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tildora;

TEST(Lectura, FailuresComeBackWithTheirReason) {
    prueba::CarpetaTemporal carpeta;
    const std::string sub = carpeta / "sub";
    const std::string tubo = carpeta / "tubo";
    const std::string grande = carpeta / "grande.txt";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(tubo.c_str(), 0644), 0);
    prueba::Escribir(grande, "12345");
    struct Caso {
        std::string ruta;
        bool soloOrdinario;
        FalloLectura fallo;
        std::string razon;
    };
    const Caso casos[] = {
        {carpeta / "no-existe.txt", true, FalloLectura::NoExiste, "No such file or directory"},
        {"", true, FalloLectura::NoExiste, "No such file or directory"},
        {sub, true, FalloLectura::Carpeta, "Is a directory"},
        {sub, false, FalloLectura::Carpeta, "Is a directory"},
        // A pipe with no writer neither hangs nor is read.
        {tubo, true, FalloLectura::NoRegular, "Invalid argument"},
        {grande, true, FalloLectura::Grande, std::string(textos::RazonDemasiadoGrande)},
    };
    for (const Caso& c : casos) {
        std::string destino;
        Lector lector;
        ResultadoLectura r = lector.Abrir(c.ruta, c.soloOrdinario, 4);
        if (r) {
            r = lector.LeerTodo(destino);
        }
        EXPECT_EQ(r.fallo, c.fallo) << c.ruta;
        EXPECT_EQ(RazonLectura(r), c.razon) << c.ruta;
    }
    // A read error after a good open.
    std::string destino;
    const ResultadoLectura r = LeerFichero("/proc/self/mem", destino);
    EXPECT_EQ(r.fallo, FalloLectura::Lectura);
    if (!prueba::EsRoot()) {
        ASSERT_EQ(::chmod(grande.c_str(), 0), 0);
        EXPECT_EQ(LeerFichero(grande, destino).fallo, FalloLectura::SinPermiso);
    }
}

TEST(Lectura, ReadsWholeInPiecesAndAgainFromTheStart) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "texto.txt";
    std::string bytes(700000, 'a');
    for (std::size_t i = 0; i < bytes.size(); i += 997) {
        bytes[i] = static_cast<char>(i);
    }
    prueba::Escribir(ruta, bytes);

    Lector lector;
    ASSERT_TRUE(lector.Abrir(ruta, false));
    EXPECT_TRUE(lector.Ordinario());
    std::string todo = "storage of an earlier read";
    std::string visto;
    ASSERT_TRUE(lector.LeerTodo(todo, [&visto](const char* d, std::size_t n) {
        visto.append(d, n);
        return true;
    }));
    EXPECT_EQ(todo, bytes);
    EXPECT_EQ(visto, bytes);

    // Read again through a small buffer, twice: the same bytes each time.
    for (int vez = 0; vez < 2; ++vez) {
        char buffer[4096];
        std::string otra;
        ASSERT_TRUE(lector.Recorrer(buffer, sizeof buffer, [&otra](const char* d, std::size_t n) {
            otra.append(d, n);
            return true;
        }));
        EXPECT_EQ(otra, bytes) << vez;
    }
    EXPECT_TRUE(lector.SinCambios());
    prueba::Escribir(ruta, bytes + "x");
    EXPECT_FALSE(lector.SinCambios());

    // A file that grew after it was opened is read to its new end; the
    // piece beyond the first size is handed over before it joins the rest.
    const std::string mas(100000, 'b');
    Lector creciente;
    ASSERT_TRUE(creciente.Abrir(ruta, true));
    prueba::Escribir(ruta, bytes + mas);
    visto.clear();
    ASSERT_TRUE(creciente.LeerTodo(todo, [&visto](const char* d, std::size_t n) {
        visto.append(d, n);
        return true;
    }));
    EXPECT_EQ(todo, bytes + mas);
    EXPECT_EQ(visto, bytes + mas);
}
