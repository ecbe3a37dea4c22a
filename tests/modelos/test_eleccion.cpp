// The file-selection window's model: the names and their checks, the
// output's checks and the overwrite question, the scan and what is said
// after it, and where the file dialogs start.

#include "core/textos.h"
#include "modelos/eleccion.h"
#include "tests/core/ayudas.h"
#include "tests/modelos/dialogos_guionados.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tildora;
using modelo::Eleccion;
using Siguiente = Eleccion::Siguiente;

namespace {

// 'ç' (231) and '^' (94) are wrong characters; 'ó' (243) is allowed.
const std::string kConErrores("Fran\xe7"
                              "ais ^ texto\r\nm\xe1s\r\n");
const std::string kLimpio("Hola, mundo.\r\nAdi\xf3s.\r\n");

const std::string kNoExiste =
    "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta";
const std::string kCarpeta = "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero";
const std::string kParteFichero = "bideko zati bat fitxategi bat da, ez karpeta bat / una parte "
                                  "de la ruta es un fichero, no una carpeta";
const std::string kSinPermiso = "ez dago baimenik / no hay permiso";
// The first window's names here are spelt as on POSIX systems, and the
// reasons are the ones those systems give.
constexpr const char* kSoloPosix = "POSIX names and reasons";

std::string M(std::string_view texto) {
    return std::string(texto);
}

// One window's model over its own state, scripted dialogs and folder, with
// the store in that folder, and the user's documents and home folders there
// too (the home folder is there; the documents folder is not, until made).
struct Entorno {
    prueba::CarpetaTemporal carpeta;
    Estado estado;
    pruebas::DialogosGuionadosEstandar dialogos;
    Eleccion eleccion{estado, dialogos, Ruta("casa/Documentos"), Ruta("casa")};

    Entorno() { estado.RutaAlmacen = Ruta("caracteres.ini"); }
    std::string Ruta(const std::string& nombre) const { return carpeta / nombre; }
    std::string Escribir(const std::string& nombre, const std::string& bytes) const {
        prueba::Escribir(Ruta(nombre), bytes);
        return Ruta(nombre);
    }
    void Carpeta(const std::string& nombre) const {
        std::filesystem::create_directory(prueba::Camino(Ruta(nombre)));
    }
    // The correct button pressed on these boxes, the earlier messages gone.
    Siguiente Corregir(const std::string& entrada, const std::string& salida) {
        dialogos.mensajes.clear();
        return eleccion.Actualizar(entrada, salida);
    }
    std::vector<std::string> Textos() const {
        std::vector<std::string> textos;
        for (const auto& m : dialogos.mensajes) {
            textos.push_back(m.texto);
        }
        return textos;
    }
    bool Existe(const std::string& ruta) const {
        return std::filesystem::exists(prueba::Camino(ruta));
    }
};

using Textos = std::vector<std::string>;

} // namespace

TEST(Eleccion, TextoDeNombresRechazados) {
    EXPECT_EQ(modelo::TextoNombresRechazados(Fallo::NombreVacio), textos::M1NombreIncorrecto);
    EXPECT_EQ(modelo::TextoNombresRechazados(Fallo::NombresIguales), textos::M2NombresIguales);
    EXPECT_EQ(modelo::TextoNombresRechazados(Fallo::SalidaEsAlmacen), textos::SalidaIncorrecta);
}

TEST(Eleccion, NombresRechazados) {
    // A name missing, two names of one file, or the store as output: one
    // message, no question, no scan, nothing written.
    const std::string almacen("[lista]\r\n\xe7=c\r\n");
    for (const bool hayAlmacen : {true, false}) {
        Entorno e;
        const std::string entrada = e.Escribir("a.txt", kLimpio);
        e.Carpeta("sub");
        if (hayAlmacen) {
            e.Escribir("caracteres.ini", almacen);
        }
        struct Caso {
            std::string entrada;
            std::string salida;
            std::string_view texto;
        };
        std::vector<Caso> casos = {
            {"", "", textos::M1NombreIncorrecto},
            {entrada, "", textos::M1NombreIncorrecto},
            {"", e.Ruta("salida.txt"), textos::M1NombreIncorrecto},
            {"   ", e.Ruta("salida.txt"), textos::M1NombreIncorrecto},
            {entrada, "     ", textos::M1NombreIncorrecto},
            {entrada, entrada, textos::M2NombresIguales},
            {entrada, "  " + entrada + " ", textos::M2NombresIguales},   // equal once trimmed
            {entrada, e.Ruta("sub/../a.txt"), textos::M2NombresIguales}, // the same file
            {entrada, e.Ruta("./a.txt"), textos::M2NombresIguales},
            // The store in use, there or not yet, under any spelling.
            {entrada, e.Ruta("caracteres.ini"), textos::SalidaIncorrecta},
            {entrada, e.Ruta("sub/../caracteres.ini"), textos::SalidaIncorrecta},
            {entrada, " " + e.Ruta("./caracteres.ini"), textos::SalidaIncorrecta},
        };
        std::error_code error;
        std::filesystem::create_symlink(prueba::Camino(entrada), prueba::Camino(e.Ruta("enlace")),
                                        error);
        if (!error) {
            casos.push_back({entrada, e.Ruta("enlace"), textos::M2NombresIguales});
        }
        for (const Caso& c : casos) {
            EXPECT_EQ(e.Corregir(c.entrada, c.salida), Siguiente::Quedarse) << c.salida;
            EXPECT_EQ(e.Textos(), Textos{M(c.texto)}) << c.entrada << " / " << c.salida;
            EXPECT_FALSE(e.dialogos.mensajes.front().conCancelar);
            EXPECT_FALSE(e.estado.TablaConstruida);
        }
        EXPECT_TRUE(e.dialogos.pasos.empty());
        EXPECT_EQ(prueba::Leer(entrada), kLimpio);
        EXPECT_EQ(e.Existe(e.Ruta("caracteres.ini")), hayAlmacen);
        if (hayAlmacen) {
            EXPECT_EQ(prueba::Leer(e.Ruta("caracteres.ini")), almacen);
        }
    }
}

TEST(Eleccion, UnaCajaSeLlenaSoloConUnFicheroLocalSoltado) {
    EXPECT_TRUE(modelo::SoltarLlena(1, true));
    EXPECT_FALSE(modelo::SoltarLlena(1, false)); // a web address
    EXPECT_FALSE(modelo::SoltarLlena(2, true));  // several files
    EXPECT_FALSE(modelo::SoltarLlena(0, false));
}

TEST(Eleccion, SoloLosEspaciosSeRecortan) {
    if (prueba::kWindows) {
        GTEST_SKIP() << kSoloPosix;
    }
    Entorno e;
    // A tab is a name, and the scan is asked to read it.
    EXPECT_EQ(e.Corregir(" \t ", e.Ruta("salida.txt")), Siguiente::Quedarse);
    EXPECT_EQ(e.estado.FicheroEntrada, "\t");
    EXPECT_TRUE(e.estado.TablaConstruida);
    EXPECT_EQ(e.Textos(), Textos{M(textos::M1NombreIncorrecto) + "\n\t: " + kNoExiste});
    EXPECT_FALSE(e.estado.ErrorLectura);

    // A clean file: its message, the names trimmed in the state, nothing
    // written.
    const std::string entrada = e.Escribir("limpio.txt", kLimpio);
    EXPECT_EQ(e.Corregir("  " + entrada, e.Ruta("salida.txt") + "  "), Siguiente::Quedarse);
    EXPECT_EQ(e.Textos(), Textos{M(textos::M4SinErrores)});
    EXPECT_FALSE(e.dialogos.mensajes.front().conCancelar);
    EXPECT_EQ(e.estado.FicheroEntrada, entrada);
    EXPECT_EQ(e.estado.FicheroSalida, e.Ruta("salida.txt"));
    EXPECT_FALSE(e.estado.ErrorLectura);
    EXPECT_FALSE(e.Existe(e.Ruta("salida.txt")));

    // Names that differ only in case are different files here: no M2.
    EXPECT_EQ(e.Corregir(entrada, e.Ruta("LIMPIO.txt")), Siguiente::Quedarse);
    EXPECT_EQ(e.Textos(), Textos{M(textos::M4SinErrores)});
}

TEST(Eleccion, SalidaQueNoSePuedeEscribir) {
    if (prueba::kWindows) {
        GTEST_SKIP() << kSoloPosix;
    }
    // Said before the scan, with the reason: no question, no scan.
    Entorno e;
    const std::string entrada = e.Escribir("entrada.txt", kConErrores);
    e.Carpeta("llena");
    e.Escribir("llena/x.dat", "x");
    const prueba::TuberiaSinEscritor tubo(e.carpeta);
    std::vector<std::pair<std::string, std::string>> casos = {
        {e.Ruta("no-existe/salida.txt"), kNoExiste},
        {e.Ruta("entrada.txt/salida.txt"), kParteFichero},
        {e.Ruta("llena"), kCarpeta},
        {e.Ruta("llena/"), kCarpeta},
        // No file replaces a pipe or a device: said once, with no question
        // to replace it first (and no word of "-", which the windows do not
        // take for standard output).
        {tubo.ruta(), "hodi bat da (FIFO), ez fitxategi bat / es una tubería (FIFO), no un "
                      "fichero"},
        {"/dev/null", "gailu bat da, ez fitxategi bat / es un dispositivo, no un fichero"},
    };
    if (!prueba::EsRoot()) {
        e.Carpeta("cerrada");
        std::filesystem::permissions(prueba::Camino(e.Ruta("cerrada")),
                                     std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_exec);
        casos.emplace_back(e.Ruta("cerrada/salida.txt"), kSinPermiso);
    }
    for (const auto& [salida, razon] : casos) {
        EXPECT_EQ(e.Corregir(entrada, salida), Siguiente::Quedarse);
        EXPECT_EQ(e.Textos(), Textos{M(textos::SalidaIncorrecta) + "\n" + salida + ": " + razon});
        EXPECT_FALSE(e.estado.TablaConstruida);
    }
}

TEST(Eleccion, PreguntaAntesDeReemplazar) {
    const std::string viejo("contenido anterior\r\n");
    {
        // Cancel: no scan, no further message, nothing changes.
        Entorno e;
        const std::string entrada = e.Escribir("entrada.txt", kConErrores);
        const std::string salida = e.Escribir("salida.txt", viejo);
        e.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
        EXPECT_EQ(e.Corregir(entrada, " " + salida), Siguiente::Quedarse);
        EXPECT_EQ(e.Textos(), Textos{M(textos::M3SobreEscribir)});
        EXPECT_TRUE(e.dialogos.mensajes.front().conCancelar);
        // Enter alone does not replace the file.
        EXPECT_EQ(e.dialogos.mensajes.front().porDefecto, modelo::Dialogos::Respuesta::Cancelar);
        EXPECT_FALSE(e.estado.TablaConstruida);
        EXPECT_TRUE(e.estado.CaracteresErroneos.empty());
        EXPECT_EQ(prueba::Leer(salida), viejo);
    }
    {
        // OK: the scan runs; a clean file then says so, and nothing is written.
        Entorno e;
        const std::string entrada = e.Escribir("entrada.txt", kLimpio);
        const std::string salida = e.Escribir("salida.txt", viejo);
        e.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Aceptar);
        EXPECT_EQ(e.Corregir(entrada, salida), Siguiente::Quedarse);
        EXPECT_EQ(e.Textos(), (Textos{M(textos::M3SobreEscribir), M(textos::M4SinErrores)}));
        EXPECT_TRUE(e.estado.ReemplazarSalida);
        EXPECT_TRUE(e.estado.TablaConstruida);
        EXPECT_EQ(prueba::Leer(salida), viejo);
    }
    {
        // Wildcards act as wildcards (a name ending in a separator names a
        // folder, which no output can replace); a hidden file is there and
        // would be replaced. A new name gets no question.
        Entorno e;
        const std::string entrada = e.Escribir("entrada.txt", kLimpio);
        e.Carpeta("llena");
        e.Escribir("llena/x.dat", "x");
        e.Escribir(".oculta.txt", "x");
        std::vector<std::string> salidas = {e.Ruta(".oculta.txt")};
        if (!prueba::kWindows) {
            salidas.push_back(e.Ruta("llena/*.dat"));
            salidas.push_back(e.Ruta("llena/?.dat"));
        }
        for (const std::string& salida : salidas) {
            e.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
            EXPECT_EQ(e.Corregir(entrada, salida), Siguiente::Quedarse);
            EXPECT_EQ(e.Textos(), Textos{M(textos::M3SobreEscribir)}) << salida;
            EXPECT_FALSE(e.estado.TablaConstruida);
        }
        EXPECT_EQ(e.Corregir(entrada, e.Ruta("nueva.txt")), Siguiente::Quedarse);
        EXPECT_EQ(e.Textos(), Textos{M(textos::M4SinErrores)});
        EXPECT_FALSE(e.estado.ReemplazarSalida);
        EXPECT_EQ(prueba::Leer(e.Ruta(".oculta.txt")), "x");
        EXPECT_FALSE(e.Existe(e.Ruta("nueva.txt")));
    }
}

TEST(Eleccion, EntradaQueNoSePuedeLeer) {
    if (prueba::kWindows) {
        GTEST_SKIP() << kSoloPosix;
    }
    // Exactly one message, the scan's, naming the file and why; the flag is
    // cleared.
    Entorno e;
    e.Escribir("fichero", "x");
    e.Carpeta("carpeta");
    std::vector<std::pair<std::string, std::string>> casos = {
        {e.Ruta("no_existe.txt"), kNoExiste},
        {e.Ruta("carpeta"), kCarpeta},
        {e.Ruta("fichero/dentro.txt"), kParteFichero},
    };
    if (!prueba::EsRoot()) {
        const std::string cerrado = e.Escribir("cerrado.txt", kConErrores);
        std::filesystem::permissions(prueba::Camino(cerrado), std::filesystem::perms::none);
        casos.emplace_back(cerrado, kSinPermiso);
    }
    for (const auto& [entrada, razon] : casos) {
        EXPECT_EQ(e.Corregir(entrada, e.Ruta("salida.txt")), Siguiente::Quedarse);
        EXPECT_EQ(e.Textos(),
                  Textos{M(textos::M1NombreIncorrecto) + "\n" + entrada + ": " + razon});
        EXPECT_FALSE(e.estado.ErrorLectura);
    }
    EXPECT_FALSE(e.Existe(e.Ruta("salida.txt")));
}

TEST(Eleccion, ConErroresPasaALaConversion) {
    Entorno e;
    const std::string entrada = e.Escribir("con errores.txt", kConErrores);
    EXPECT_EQ(e.Corregir(entrada, e.Ruta("salida.txt")), Siguiente::Conversion);
    EXPECT_TRUE(e.Textos().empty());
    EXPECT_EQ(e.estado.FicheroEntrada, entrada);
    EXPECT_EQ(e.estado.CaracteresErroneos, (std::vector<std::string>{"\xe7", "^", ""}));
    EXPECT_EQ(e.estado.documento.texto, kConErrores);
    // The scan is a long step the user may stop, its window shown after
    // half a second.
    ASSERT_EQ(e.dialogos.pasos.size(), 1u);
    EXPECT_EQ(e.dialogos.pasos[0].texto, textos::ProgresoLectura);
    EXPECT_TRUE(e.dialogos.pasos[0].conCancelar);
    EXPECT_EQ(e.dialogos.pasos[0].umbralMs, 500);
}

TEST(Eleccion, LecturaCancelada) {
    // Back where the user was: nothing said, nothing kept, the names stay.
    Entorno e;
    const std::string entrada = e.Escribir("con errores.txt", kConErrores);
    e.dialogos.cancelarProgreso = true;
    EXPECT_EQ(e.Corregir(entrada, e.Ruta("salida.txt")), Siguiente::Quedarse);
    EXPECT_TRUE(e.Textos().empty());
    EXPECT_TRUE(e.estado.documento.texto.empty());
    EXPECT_TRUE(e.estado.documento.hallazgos.empty());
    EXPECT_FALSE(e.estado.ErrorLectura);
    EXPECT_EQ(e.estado.FicheroEntrada, entrada);
    EXPECT_EQ(e.estado.FicheroSalida, e.Ruta("salida.txt"));
}

TEST(Eleccion, NombresDeLosDialogos) {
    Entorno e;
    // A cancel changes nothing; a choice goes to the state and the box.
    e.estado.FicheroEntrada = "previo";
    EXPECT_EQ(e.eleccion.ElegirEntrada("tecleado.txt"), std::nullopt);
    EXPECT_EQ(e.dialogos.dialogosAbrir, 1);
    EXPECT_EQ(e.estado.FicheroEntrada, "previo");
    e.dialogos.nombresAbrir.push_back("/datos/entrada \xc3\xb1.txt");
    EXPECT_EQ(e.eleccion.ElegirEntrada(""), "/datos/entrada \xc3\xb1.txt");
    EXPECT_EQ(e.estado.FicheroEntrada, "/datos/entrada \xc3\xb1.txt");

    EXPECT_EQ(e.eleccion.ElegirSalida("", ""), std::nullopt);
    EXPECT_EQ(e.dialogos.dialogosGuardar, 1);
    EXPECT_TRUE(e.estado.FicheroSalida.empty());
    e.dialogos.nombresGuardar.push_back("/datos/salida.txt");
    EXPECT_EQ(e.eleccion.ElegirSalida("", ""), "/datos/salida.txt");
    EXPECT_EQ(e.estado.FicheroSalida, "/datos/salida.txt");
    EXPECT_TRUE(e.Textos().empty());
}

TEST(Eleccion, DondeEmpiezanLosDialogos) {
    if (prueba::kWindows) {
        GTEST_SKIP() << kSoloPosix;
    }
    // The open dialog at the input box's file, or in its folder where it is
    // there; the save dialog with the output box's name, else a name beside
    // the input, ".tildora" before its extension. Where the boxes name
    // nothing, both start in the folder of the file picked last in this run,
    // else in the documents folder where it is there, else in the home
    // folder.
    Entorno e;
    const std::string carpeta = prueba::Utf8(e.carpeta.ruta());
    const std::string carta = e.Escribir("carta.txt", "x");
    e.Carpeta("sub");
    e.Carpeta("casa");
    const std::string casa = e.Ruta("casa");
    const std::string documentos = e.Ruta("casa/Documentos");
    const std::string enSub = e.Ruta("sub/elegido.txt");
    enum Dialogo { Abrir, Guardar };
    struct Caso {
        Dialogo dialogo;
        std::string entrada;
        std::string salida;
        std::string ultimo; // the file picked last
        bool hayDocumentos;
        std::string inicio;
    };
    const Caso casos[] = {
        {Abrir, carta, "", "", false, carta},
        {Abrir, "\t" + carta + " \xc2\xa0", "", "", false, carta}, // blanks of every kind
        {Abrir, e.Ruta("sub/../carta.txt"), "", enSub, true, carta},
        // A name that leads nowhere (no folder "no" to go up from): the
        // folder its spelling names.
        {Abrir, e.Ruta("no/../carta.txt"), "", "", false, carpeta},
        {Abrir, e.Ruta("nueva.txt"), "", enSub, true, carpeta},
        {Abrir, "  ", "", enSub, true, e.Ruta("sub")},
        {Abrir, "", "", "/no/existe/a.txt", true, documentos},
        {Abrir, "/no/existe/a.txt", "", "", true, documentos},
        {Abrir, "", "", "", false, casa},
        {Abrir, "/no/existe/a.txt", "", "/no/existe/b.txt", false, casa},
        {Guardar, carta, "", enSub, true, e.Ruta("carta.tildora.txt")},
        {Guardar, e.Ruta("sin-extension"), "", "", false, e.Ruta("sin-extension.tildora")},
        {Guardar, e.Ruta("a.b.txt"), "", "", false, e.Ruta("a.b.tildora.txt")},
        {Guardar, e.Ruta(".oculto"), "", "", false, e.Ruta(".oculto.tildora")},
        {Guardar, e.Ruta("punto."), "", "", false, e.Ruta("punto..tildora")},
        {Guardar, carta, " " + e.Ruta("sub/../elegida.txt"), enSub, true, e.Ruta("elegida.txt")},
        {Guardar, "", "", enSub, true, e.Ruta("sub")},
        {Guardar, " \t", "", "", true, documentos},
        {Guardar, "", "", "/no/existe/a.txt", false, casa},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.entrada + " | " + c.salida + " | " + c.ultimo);
        e.estado.UltimoElegido = c.ultimo;
        std::error_code error;
        if (c.hayDocumentos) {
            std::filesystem::create_directory(prueba::Camino(documentos), error);
        } else {
            std::filesystem::remove(prueba::Camino(documentos), error);
        }
        if (c.dialogo == Abrir) {
            e.eleccion.ElegirEntrada(c.entrada);
            EXPECT_EQ(e.dialogos.inicios.back(), c.inicio);
        } else {
            e.eleccion.ElegirSalida(c.entrada, c.salida);
            EXPECT_EQ(e.dialogos.propuestas.back(), c.inicio);
        }
    }

    // A file picked in either dialog is the one picked last; a cancel
    // changes nothing.
    e.estado.UltimoElegido.clear();
    e.dialogos.nombresGuardar.push_back(enSub);
    EXPECT_EQ(e.eleccion.ElegirSalida("", ""), enSub);
    EXPECT_FALSE(e.eleccion.ElegirEntrada(""));
    EXPECT_EQ(e.dialogos.inicios.back(), e.Ruta("sub"));
    EXPECT_EQ(e.estado.UltimoElegido, enSub);
}

TEST(Eleccion, SinBlancos) {
    const std::pair<std::string, std::string> casos[] = {
        {"  a b  ", "a b"},
        {"\t\n a \r\v\f", "a"},
        {"\xc2\xa0x\xe3\x80\x80", "x"}, // no-break and ideographic spaces
        {"\xe2\x80\x83y\xc2\x85", "y"}, // em space, NEL
        {"\xff ", "\xff"},              // a byte that is not UTF-8 is no blank
        {" \xe2\x80", "\xe2\x80"},      // nor is a sequence cut short
        {"", ""},
        {" \t ", ""},
    };
    for (const auto& [nombre, esperado] : casos) {
        EXPECT_EQ(modelo::SinBlancos(nombre), esperado) << nombre;
    }
}
