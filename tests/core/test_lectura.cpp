#include "core/interno/lector.h"
#include "core/textos.h"
#include "tests/core/ayudas.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tildora;

namespace {

// Everything from the start to the end, a piece at a time through a buffer
// of `n` bytes.
Resultado<void> LeerTodo(Lector& lector, std::string& destino, std::size_t n = kTrozoLectura) {
    BufferAlineado buffer(n);
    destino.clear();
    return lector.Recorrer(buffer, [&destino](const char* d, std::size_t m) {
        destino.append(d, m);
        return true;
    });
}

} // namespace

TEST(Lectura, FailuresComeBackWithTheirReason) {
    prueba::CarpetaTemporal carpeta;
    const std::string sub = carpeta / "sub";
    const prueba::TuberiaSinEscritor tuberia(carpeta);
    const std::string tubo = tuberia.ruta();
    const std::string grande = carpeta / "grande.txt";
    ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(sub)));
    prueba::Escribir(grande, "12345");
    struct Caso {
        std::string ruta;
        bool soloOrdinario;
        Fallo fallo;
        std::string razon;
    };
    const Caso casos[] = {
        {carpeta / "no-existe.txt", true, Fallo::NoExiste,
         "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"},
        {"", true, Fallo::NoExiste,
         "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"},
        {sub, true, Fallo::Carpeta,
         "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        {sub, false, Fallo::Carpeta,
         "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        // A pipe with no writer neither hangs nor is read.
        {tubo, true, Fallo::NoRegular,
         "ez da fitxategi arrunta (hodi bat edo gailu bat da) / no es un fichero ordinario (es una "
         "tubería o un dispositivo)"},
        {grande, true, Fallo::Grande, std::string(textos::RazonDemasiadoGrande)},
    };
    for (const Caso& c : casos) {
        std::string destino;
        Lector lector;
        Resultado<void> r = lector.Abrir(c.ruta, c.soloOrdinario, 4);
        if (r) {
            r = LeerTodo(lector, destino);
        }
        ASSERT_FALSE(r) << c.ruta;
        EXPECT_EQ(r.fallo(), c.fallo) << c.ruta;
        EXPECT_EQ(Razon(r.error()), c.razon) << c.ruta;
    }
    if (prueba::kWindows) {
        return; // no file there that opens and fails to read; no permission bits
    }
    // A read error after a good open.
    std::string destino;
    const Resultado<void> r = LeerFichero("/proc/self/mem", destino);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.fallo(), Fallo::Lectura);
    if (!prueba::EsRoot()) {
        ASSERT_EQ(::chmod(grande.c_str(), 0), 0);
        const Resultado<void> cerrado = LeerFichero(grande, destino);
        ASSERT_FALSE(cerrado);
        EXPECT_EQ(cerrado.fallo(), Fallo::SinPermiso);
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

    std::string todo = "storage of an earlier read";
    ASSERT_TRUE(LeerFichero(ruta, todo));
    EXPECT_EQ(todo, bytes);

    Lector lector;
    ASSERT_TRUE(lector.Abrir(ruta, false));
    EXPECT_TRUE(lector.Ordinario());
    // Read in pieces larger and smaller than the file, twice through a
    // small buffer: the same bytes each time.
    ASSERT_TRUE(LeerTodo(lector, todo));
    EXPECT_EQ(todo, bytes);
    for (int vez = 0; vez < 2; ++vez) {
        std::string otra;
        ASSERT_TRUE(LeerTodo(lector, otra, 4096));
        EXPECT_EQ(otra, bytes) << vez;
    }
    EXPECT_TRUE(lector.SinCambios());
    prueba::Escribir(ruta, bytes + "x");
    EXPECT_FALSE(lector.SinCambios());

    // A file that grew after it was opened is read to its new end.
    const std::string mas(100000, 'b');
    Lector creciente;
    ASSERT_TRUE(creciente.Abrir(ruta, true));
    prueba::Escribir(ruta, bytes + mas);
    ASSERT_TRUE(LeerTodo(creciente, todo));
    EXPECT_EQ(todo, bytes + mas);
}
