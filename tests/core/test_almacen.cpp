#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/interno/plataforma.h"
#include "core/unicode.h"
#include "tests/core/ayudas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using prueba::CarpetaTemporal;
using prueba::Entradas;
using prueba::Escribir;
using prueba::Leer;
using tildora::AlmacenSoluciones;

namespace {

constexpr std::string_view kLista = "lista";

// The mark a build folder holds.
constexpr std::string_view kMarcaCompilacion = TILDORA_MARCA_COMPILACION;

std::string Byte(unsigned b) {
    return std::string(1, static_cast<char>(b));
}

// Writes `inicial` as the store, stores one pair, and returns the file's bytes.
std::string TrasGuardar(const std::string& inicial, std::string_view clave, std::string_view valor,
                        std::string_view seccion = kLista) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    Escribir(ruta, inicial);
    EXPECT_TRUE(AlmacenSoluciones(ruta).GuardarSolucion(seccion, clave, valor));
    return Leer(ruta);
}

std::string LeerDe(const std::string& contenido, std::string_view clave,
                   std::string_view seccion = kLista) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    Escribir(ruta, contenido);
    return AlmacenSoluciones(ruta).LeerSolucion(seccion, clave);
}

// Sets an environment variable for one scope and puts the old value back.
class VariableEntorno {
public:
    VariableEntorno(const char* nombre, const char* valor) : m_nombre(nombre) {
        if (const char* v = std::getenv(nombre)) {
            m_anterior = v;
        }
        Poner(nombre, valor);
    }
    ~VariableEntorno() { Poner(m_nombre, m_anterior ? m_anterior->c_str() : nullptr); }
    VariableEntorno(const VariableEntorno&) = delete;
    VariableEntorno& operator=(const VariableEntorno&) = delete;

private:
    static void Poner(const char* nombre, const char* valor) {
#ifdef _WIN32
        _putenv_s(nombre, valor != nullptr ? valor : ""); // "" removes it
#else
        if (valor != nullptr) {
            setenv(nombre, valor, 1);
        } else {
            unsetenv(nombre);
        }
#endif
    }

    const char* m_nombre;
    std::optional<std::string> m_anterior;
};

// The separator the program puts between a folder and a name.
const std::string kSep = prueba::kWindows ? "\\" : "/";

} // namespace

// Files written the way the Windows service writes them: CR LF, the section
// "lista", raw Windows-1252 keys.
TEST(AlmacenFormato, LeeFicherosDeWindows) {
    const std::string golden = "[lista]\r\n"
                               "\xE7=c\r\n"
                               "\xC7=C\r\n"
                               "\x80=EUR\r\n"
                               "\x85=...\r\n"
                               "\\x09=tab\r\n"
                               "\\x0a=lf\r\n"
                               "\xAB=\"  x  \"\r\n";
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    Escribir(ruta, golden);
    const AlmacenSoluciones almacen(ruta);
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xC7"), "C");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\x80"), "EUR");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\x85"), "...");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\t"), "tab");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\n"), "lf");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xAB"), "  x  ");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE0"), "");
    EXPECT_EQ(almacen.LeerSolucion("otra", "\xE7"), "");
    // Reading never changes the file.
    EXPECT_EQ(Leer(ruta), golden);
}

TEST(AlmacenFormato, EscribeComoWindows) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const AlmacenSoluciones almacen(ruta);
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=c\r\n");
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xC7", "C"));
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\t", " "));
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, std::string(1, '\0'), ""));
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\x1A", "\""));
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\x5E", "a=b;c"));
    EXPECT_EQ(Leer(ruta), "[lista]\r\n"
                          "\xE7=c\r\n"
                          "\xC7=C\r\n"
                          "\\x09=\" \"\r\n"
                          "\\x00=\r\n"
                          "\\x1A=\"\"\"\r\n"
                          "^=a=b;c\r\n");
    // Ç and ç are separate entries.
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xC7"), "C");
}

// Every wrong character, used as a key, with values that only survive if
// quoting, escaping and line placement are all right.
TEST(AlmacenFormato, IdaYVueltaDeTodosLosCaracteresErroneos) {
    std::vector<std::string> claves;
    for (unsigned c = 0; c < 256; ++c) {
        if (!tildora::kCaracteresValidos[c]) {
            claves.push_back(Byte(c));
        }
    }
    ASSERT_EQ(claves.size(), 141u);

    const std::vector<std::string> valores = {
        " ",
        "\"",
        "'",
        "a=b;c",
        "",
        "\t x \t",
        "\xA0",
        "'dentro'",
        "=",
        ";",
        "[x]",
        "\\x41",
        std::string("a\0b", 3),
        "\xE7\xC7",
    };
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const AlmacenSoluciones almacen(ruta);
    for (std::size_t vuelta = 0; vuelta < 2; ++vuelta) {
        for (std::size_t i = 0; i < claves.size(); ++i) {
            ASSERT_TRUE(almacen.GuardarSolucion(kLista, claves[i],
                                                valores[(i + vuelta * 5) % valores.size()]))
                << "code " << i;
        }
        for (std::size_t i = 0; i < claves.size(); ++i) {
            EXPECT_EQ(almacen.LeerSolucion(kLista, claves[i]),
                      valores[(i + vuelta * 5) % valores.size()])
                << "code " << static_cast<unsigned>(static_cast<unsigned char>(claves[i][0]))
                << " round " << vuelta;
        }
    }

    // One header and one line per key, each ended by CR LF, and no stray CR or
    // LF from a key: the file stays readable line by line by any INI reader.
    const std::string bytes = Leer(ruta);
    std::size_t lineas = 0;
    for (std::size_t p = 0; p < bytes.size();) {
        const std::size_t fin = bytes.find("\r\n", p);
        ASSERT_NE(fin, std::string::npos);
        const std::string linea = bytes.substr(p, fin - p);
        EXPECT_EQ(linea.find_first_of("\r\n"), std::string::npos) << linea;
        ++lineas;
        p = fin + 2;
    }
    EXPECT_EQ(lineas, claves.size() + 1);
    EXPECT_NE(bytes.find("\r\n\\x0A="), std::string::npos);
    EXPECT_NE(bytes.find("\r\n\\x0D="), std::string::npos);
}

// A store saved by an editor in UTF-8 or UTF-16 (with its byte-order mark)
// gives the answers of the Windows-1252 store it came from, and what is
// written into it goes in its own encoding, every other line as it was.
TEST(AlmacenFormato, CadaCodificacionSeLeeYSeEscribeEnLaSuya) {
    using tildora::Codificacion;
    struct Caso {
        Codificacion codificacion;
        std::string ele;         // the key of 'ł' as written
        std::string soloUnicode; // lines only a Unicode store can hold
        std::vector<std::size_t> sinValor;
    };
    // A comment with a character outside the first 65536, and an answer,
    // 'ą', whose value 'ā' Windows-1252 lacks: line 8.
    const std::string unicode = "; \xF0\x9F\x98\x80\r\n\xC4\x85=\xC4\x81\r\n";
    const std::vector<Caso> casos = {
        {Codificacion::Windows1252, "U+0142", "", {}},
        {Codificacion::Utf8, "\xC5\x82", unicode, {8}},
        {Codificacion::Utf16LE, "\xC5\x82", unicode, {8}},
        {Codificacion::Utf16BE, "\xC5\x82", unicode, {8}},
    };
    for (const Caso& c : casos) {
        const auto enSuCodificacion = [&](const std::string& utf8) {
            std::string r(tildora::MarcaOrden(c.codificacion));
            EXPECT_TRUE(
                tildora::HaciaCodificacion(c.codificacion).Procesar(utf8.data(), utf8.size(), r));
            return r;
        };
        // Written here in UTF-8: ç, €, “, «, Ç as the characters they are.
        const std::string antes = "; \xC3\xB1 notas\r\n[lista]\n\xC3\xA7=c\r\n\xE2\x82\xAC=E\r\n" +
                                  c.ele + "=l\r\n\xE2\x80\x9C=\xC2\xAB\r\n" + c.soloUnicode +
                                  "U+0101=a\r\n[otra]\r\nx=1";
        const std::string despues = "; \xC3\xB1 notas\r\n[lista]\n\xC3\xA7=c\xC2\xB8\r\n"
                                    "\xE2\x82\xAC=E\r\nU+0142=L\r\n" +
                                    c.soloUnicode +
                                    "U+0101=a\r\n\xC3\x87=\xC3\x87\xE2\x82\xAC\r\n[otra]\r\nx=1";
        CarpetaTemporal dir;
        const std::string ruta = dir / "caracteres.ini";
        Escribir(ruta, enSuCodificacion(antes));
        const AlmacenSoluciones almacen(ruta);
        const std::string nombre(tildora::NombreCodificacion(c.codificacion));
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\x80"), "E") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\x93"), "\xAB") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "U+0142"), "l") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "U+0101"), "a") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "U+0105"), "") << nombre;
        const tildora::Resultado<tildora::Respuestas> leidas = almacen.Leer();
        ASSERT_TRUE(leidas) << nombre;
        EXPECT_EQ(leidas->LineasSinValor(), c.sinValor) << nombre;

        EXPECT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", "c\xB8"));
        EXPECT_TRUE(almacen.GuardarSolucion(kLista, "U+0142", "L"));
        EXPECT_TRUE(almacen.GuardarSolucion(kLista, "\xC7", "\xC7\x80"));
        const tildora::Resultado<bool> olvidada = almacen.OlvidarSolucion(kLista, "\x93");
        ASSERT_TRUE(olvidada) << nombre;
        EXPECT_TRUE(*olvidada) << nombre;
        EXPECT_EQ(Leer(ruta), enSuCodificacion(despues)) << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c\xB8") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "U+0142"), "L") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xC7"), "\xC7\x80") << nombre;
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\x93"), "") << nombre;
    }
}

// The delete answer is the quoted empty value: an answer of its own for the
// program, and an empty value, which is no answer, for the Windows service
// and so for an older copy of the program. It is told apart from no answer
// in every encoding of the store.
TEST(AlmacenFormato, LaRespuestaDeBorrarNoEsLaFaltaDeRespuesta) {
    using tildora::Codificacion;
    struct Caso {
        std::string linea;
        std::optional<std::string> respuesta;
    };
    const std::vector<Caso> casos = {
        {"\xE7=\"\"", ""},         {"\xE7=''", ""},
        {"\t\xE7 = \"\" \t", ""},  {"\xE7=", std::nullopt},
        {"\xE7=  ", std::nullopt}, {"\xE0=\"\"", std::nullopt}, // another key's
        {"\xE7=\" \"", " "},       {"\xE7=\"\"\"\"", "\"\""},
        {"\xE7=\"", "\""},         {"\xE7=\"'", "\"'"},
        {"\xE7=c", "c"},
    };
    for (const Codificacion cod : {Codificacion::Windows1252, Codificacion::Utf8,
                                   Codificacion::Utf16LE, Codificacion::Utf16BE}) {
        for (const Caso& c : casos) {
            const std::string bytes = std::string(tildora::MarcaOrden(cod)) +
                                      tildora::Codificado("[lista]\r\n" + c.linea + "\r\n", cod);
            const tildora::Respuestas r(bytes);
            const std::string donde = std::string(tildora::NombreCodificacion(cod)) + " " + c.linea;
            EXPECT_EQ(r.Recordada("\xE7"), c.respuesta) << donde;
            EXPECT_EQ(r.Solucion("\xE7"), c.respuesta.value_or("")) << donde;
            const auto todas = r.Todas();
            ASSERT_EQ(todas.size(), 1u) << donde;
            if (todas[0].first == "\xE7") {
                EXPECT_EQ(todas[0].second, c.respuesta) << donde;
            }
        }
    }
}

TEST(AlmacenEscritura, LaRespuestaDeBorrarSeGuardaComoValorVacioEntreComillas) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const AlmacenSoluciones almacen(ruta);
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
    ASSERT_TRUE(almacen.GuardarBorrado(kLista, "\x93"));
    ASSERT_TRUE(almacen.GuardarBorrado(kLista, "\xE7"));
    ASSERT_TRUE(almacen.GuardarBorrado(kLista, "U+200B"));
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=\"\"\r\n\x93=\"\"\r\nU+200B=\"\"\r\n");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=c\r\n\x93=\"\"\r\nU+200B=\"\"\r\n");
    const tildora::Resultado<bool> olvidada = almacen.OlvidarSolucion(kLista, "\x93");
    ASSERT_TRUE(olvidada);
    EXPECT_TRUE(*olvidada);
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=c\r\nU+200B=\"\"\r\n");
    EXPECT_FALSE(almacen.GuardarBorrado(kLista, ""));
    EXPECT_FALSE(almacen.GuardarBorrado(kLista, "a=b"));

    // Accepting a grid stores a row's delete answer in the same way.
    const tildora::Resultado<tildora::Documento> doc =
        tildora::DocumentoDeTexto("a\x85"
                                  "b\x85",
                                  tildora::Codificacion::Windows1252);
    ASSERT_TRUE(doc);
    std::string salida;
    tildora::OpcionesCorreccion opciones;
    opciones.memoria = &salida;
    opciones.almacen = &almacen;
    const tildora::Aceptacion a = tildora::Aceptar(*doc, {{"\x85", "...", true}}, opciones);
    ASSERT_TRUE(a.correcciones);
    EXPECT_FALSE(a.almacen);
    EXPECT_EQ(*a.correcciones, 2u);
    EXPECT_EQ(salida, "ab");
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=c\r\nU+200B=\"\"\r\n\x85=\"\"\r\n");
}

TEST(AlmacenFormato, LecturaTolerante) {
    // Blanks around lines, keys and values; the no-break space is not one.
    EXPECT_EQ(LeerDe("[lista]\r\n\t \xE7 \v=\f c \x1A\r\n", "\xE7"), "c");
    EXPECT_EQ(LeerDe("  [lista]  \r\n\xE7=\xA0"
                     "c\xA0\r\n",
                     "\xE7"),
              "\xA0"
              "c\xA0");
    EXPECT_EQ(LeerDe("[lista]\r\n\xA0=x\r\n", "\xA0"), "x");
    // Quotes: one outer pair of equal quotes goes, nothing else.
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7='x'\r\n", "\xE7"), "x");
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7=\"x'\r\n", "\xE7"), "\"x'");
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7=\"\"\r\n", "\xE7"), "");
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7=\"\r\n", "\xE7"), "\"");
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7=\"\"x\"\"\r\n", "\xE7"), "\"x\"");
    // Section names without regard to ASCII case; keys byte for byte.
    EXPECT_EQ(LeerDe("[LISTA]\r\n\xE7=c\r\n", "\xE7"), "c");
    EXPECT_EQ(LeerDe("[LiStA]\r\n\xE7=c\r\n", "\xE7", "lista"), "c");
    EXPECT_EQ(LeerDe("[lista]\r\n\xC7=C\r\n", "\xE7"), "");
    // Lone CR, lone LF and runs of both all end lines.
    EXPECT_EQ(LeerDe("[lista]\r\xE7=c\n\n\xC7=C\r\r\n", "\xC7"), "C");
    // A UTF-8 byte-order mark is not part of the first line.
    EXPECT_EQ(LeerDe("\xEF\xBB\xBF[lista]\r\n\xE7=c\r\n", "\xE7"), "c");
    // Comments, junk and entries outside the section.
    EXPECT_EQ(LeerDe("\xE7=fuera\r\n[lista]\r\n;\xE7=nota\r\n  ; \xE7=nota\r\n\xE7=c\r\n", "\xE7"),
              "c");
    EXPECT_EQ(LeerDe("[lista]\r\nsin igual\r\n=vacia\r\n[lista\r\n\xE7=c\r\n", "\xE7"), "c");
    EXPECT_EQ(LeerDe("[lista]\r\n=vacia\r\n", ""), "");
    // The first of duplicate keys wins, and only the first [lista] counts.
    EXPECT_EQ(LeerDe("[lista]\r\n\xE7=uno\r\n\xE7=dos\r\n", "\xE7"), "uno");
    EXPECT_EQ(LeerDe("[lista]\r\na=1\r\n[otra]\r\n\xE7=no\r\n[Lista]\r\n\xE7=tampoco\r\n", "\xE7"),
              "");
    // An escape in the file may use either case of hex digit.
    EXPECT_EQ(LeerDe("[lista]\r\n\\x1a=sub\r\n\\x1A=otro\r\n", "\x1A"), "sub");
}

TEST(AlmacenFormato, ValorLargoSeLeeCortado) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const AlmacenSoluciones almacen(ruta);
    std::string largo;
    for (int i = 0; i < 200; ++i) {
        largo += static_cast<char>('a' + i % 26);
    }
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", largo));
    EXPECT_NE(Leer(ruta).find(largo), std::string::npos);
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), largo.substr(0, 127));

    // The cut comes after the quotes are gone.
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xC7", " " + largo));
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xC7"), (" " + largo).substr(0, 127));
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\x80", largo.substr(0, 127)));
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\x80"), largo.substr(0, 127));
}

TEST(AlmacenEscritura, ReemplazaEnSitioSinTocarNadaMas) {
    const std::string antes = "; notas a mano\r\n"
                              "[otra]\n"
                              "\xE7=de otra\n"
                              "\r\n\r\n"
                              "  [Lista]   \r\n"
                              "  \xE7   =   vieja  \r\n"
                              "\xC7=C\r\r"
                              "; fin\r\n"
                              "[mas]\r\n"
                              "x=1";
    const std::string despues = "; notas a mano\r\n"
                                "[otra]\n"
                                "\xE7=de otra\n"
                                "\r\n\r\n"
                                "  [Lista]   \r\n"
                                "\xE7=nueva\r\n"
                                "\xC7=C\r\r"
                                "; fin\r\n"
                                "[mas]\r\n"
                                "x=1";
    EXPECT_EQ(TrasGuardar(antes, "\xE7", "nueva"), despues);

    // The last line of the file, without a line break, is replaced as it is.
    EXPECT_EQ(TrasGuardar("[lista]\r\n\xE7=c", "\xE7", "k"), "[lista]\r\n\xE7=k");
    // Of duplicate keys only the first one is replaced.
    EXPECT_EQ(TrasGuardar("[lista]\r\n\xE7=uno\r\n\xE7=dos\r\n", "\xE7", "tres"),
              "[lista]\r\n\xE7=tres\r\n\xE7=dos\r\n");
    // A UTF-8 byte-order mark stays, like every other byte; a line written
    // there by hand in Windows-1252 is found, and replaced in UTF-8.
    EXPECT_EQ(TrasGuardar("\xEF\xBB\xBF[lista]\r\n\xE7=c\r\n", "\xE7", "s"),
              "\xEF\xBB\xBF[lista]\r\n\xC3\xA7=s\r\n");
    // An escaped key in the file is the same key.
    EXPECT_EQ(TrasGuardar("[lista]\n\\x09 = viejo\n", "\t", "nuevo"), "[lista]\n\\x09=nuevo\n");
}

TEST(AlmacenEscritura, ClaveNuevaTrasLaUltimaEntradaDeLaSeccion) {
    EXPECT_EQ(TrasGuardar("[lista]\r\na=1\r\n; nota\r\n\r\n[otra]\r\nx=1", "\xE7", "c"),
              "[lista]\r\na=1\r\n\xE7=c\r\n; nota\r\n\r\n[otra]\r\nx=1");
    // A section that holds no entry yet gets it right under its header.
    EXPECT_EQ(TrasGuardar("[lista]\r\n; vacia\r\n[otra]\r\n", "\xE7", "c"),
              "[lista]\r\n\xE7=c\r\n; vacia\r\n[otra]\r\n");
    EXPECT_EQ(TrasGuardar("[lista]", "\xE7", "c"), "[lista]\r\n\xE7=c\r\n");
    EXPECT_EQ(TrasGuardar("[lista]\r\na=1", "\xE7", "c"), "[lista]\r\na=1\r\n\xE7=c\r\n");
    // Existing line breaks stay as they are; only the new line has CR LF.
    EXPECT_EQ(TrasGuardar("[lista]\na=1\n\n[otra]\n", "\xE7", "c"),
              "[lista]\na=1\n\xE7=c\r\n\n[otra]\n");
    // Only the first [lista] counts, whatever its case.
    EXPECT_EQ(TrasGuardar("[LISTA]\r\na=1\r\n[lista]\r\nb=2\r\n", "\xE7", "c"),
              "[LISTA]\r\na=1\r\n\xE7=c\r\n[lista]\r\nb=2\r\n");
}

TEST(AlmacenEscritura, SeccionQueFaltaVaAlFinal) {
    EXPECT_EQ(TrasGuardar("[otra]\r\nx=1", "\xE7", "c"), "[otra]\r\nx=1\r\n[lista]\r\n\xE7=c\r\n");
    EXPECT_EQ(TrasGuardar("[otra]\r\nx=1\r\n", "\xE7", "c"),
              "[otra]\r\nx=1\r\n[lista]\r\n\xE7=c\r\n");
    EXPECT_EQ(TrasGuardar("[otra]\nx=1\n", "\xE7", "c"), "[otra]\nx=1\n[lista]\r\n\xE7=c\r\n");
    EXPECT_EQ(TrasGuardar("", "\xE7", "c"), "[lista]\r\n\xE7=c\r\n");
    EXPECT_EQ(TrasGuardar("\xEF\xBB\xBF", "\xE7", "c"), "\xEF\xBB\xBF[lista]\r\n\xC3\xA7=c\r\n");
    // A header cut short is junk, not the section.
    EXPECT_EQ(TrasGuardar("[lista\r\n", "\xE7", "c"), "[lista\r\n[lista]\r\n\xE7=c\r\n");
}

TEST(AlmacenEscritura, FicheroQueNoExiste) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const AlmacenSoluciones almacen(ruta);
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
    EXPECT_EQ(Entradas(dir.ruta()), "");
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", ""));
    EXPECT_EQ(Leer(ruta), "[lista]\r\n\xE7=\r\n");
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
    EXPECT_EQ(Entradas(dir.ruta()), "caracteres.ini;caracteres.ini.lock;");
}

// What cannot be stored as given is refused, and the file stays as it was.
TEST(AlmacenEscritura, RechazaLoQueNoSePuedeGuardar) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const std::string antes = "[lista]\r\n\xE7=c\r\n";
    Escribir(ruta, antes);
    const AlmacenSoluciones almacen(ruta);
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "a\r\nb"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "a\n"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "\r"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "a=b", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "[", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, ";", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\\x41", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion("li]sta", "\xE7", "x"));
    EXPECT_FALSE(almacen.GuardarSolucion("li\nsta", "\xE7", "x"));
    EXPECT_EQ(Leer(ruta), antes);
    EXPECT_EQ(Entradas(dir.ruta()), "caracteres.ini;");
}

TEST(AlmacenEscritura, FalloNoDejaNada) {
    CarpetaTemporal dir;
    {
        // A folder that does not exist.
        const AlmacenSoluciones almacen(dir / "falta/caracteres.ini");
        EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
        EXPECT_EQ(Entradas(dir.ruta()), "");
    }
    {
        // A "folder" that is a regular file.
        Escribir(dir / "fichero", "dato");
        const AlmacenSoluciones almacen(dir / "fichero/caracteres.ini");
        EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
        EXPECT_EQ(Leer(dir / "fichero"), "dato");
        EXPECT_EQ(Entradas(dir.ruta()), "fichero;");
    }
}

TEST(AlmacenEscritura, CarpetaSinPermisoDeEscritura) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root can write any folder";
    }
    if (prueba::kWindows) {
        GTEST_SKIP() << prueba::kSinPermisosPosix;
    }
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const std::string antes = "[lista]\r\n\xE7=c\r\n";
    Escribir(ruta, antes);
    ASSERT_EQ(chmod(prueba::Utf8(dir.ruta()).c_str(), 0555), 0);
    const AlmacenSoluciones almacen(ruta);
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "otra"));
    EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xC7", "C"));
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c");
    EXPECT_EQ(Leer(ruta), antes);
    EXPECT_EQ(Entradas(dir.ruta()), "caracteres.ini;");
}

// Something at the store's path that is not a store of ours: never read,
// never replaced.
TEST(AlmacenEscritura, AlmacenQueNoEsUnFicheroNormal) {
    CarpetaTemporal dir;
    {
        const std::string ruta = dir / "carpeta.ini";
        std::filesystem::create_directory(ruta);
        const AlmacenSoluciones almacen(ruta);
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
        EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_TRUE(std::filesystem::is_directory(ruta));
    }
    {
        // A pipe would block a plain read forever.
        const prueba::TuberiaSinEscritor tubo(dir);
        const AlmacenSoluciones almacen(tubo.ruta());
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
        EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_TRUE(prueba::kWindows || std::filesystem::is_fifo(tubo.ruta()));
    }
    {
        std::string enorme = "[lista]\r\n\xE7=c\r\n";
        enorme.resize(4 * 1024 * 1024 + 1, 'x');
        const std::string ruta = dir / "enorme.ini";
        Escribir(ruta, enorme);
        const AlmacenSoluciones almacen(ruta);
        EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
        EXPECT_FALSE(almacen.GuardarSolucion(kLista, "\xC7", "C"));
        EXPECT_EQ(Leer(ruta), enorme);
    }
    if (prueba::kWindows) {
        return; // a link takes a privilege to make there
    }
    {
        // A link that points nowhere stays a link.
        const std::string ruta = dir / "roto.ini";
        std::filesystem::create_symlink(dir / "nada", ruta);
        EXPECT_FALSE(AlmacenSoluciones(ruta).GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_TRUE(std::filesystem::is_symlink(ruta));
        EXPECT_FALSE(std::filesystem::exists(dir / "nada"));
    }
    {
        // A link to a real store updates the store and keeps the link.
        const std::string real = dir / "real.ini";
        const std::string enlace = dir / "enlace.ini";
        Escribir(real, "[lista]\r\n");
        std::filesystem::create_symlink(real, enlace);
        ASSERT_TRUE(AlmacenSoluciones(enlace).GuardarSolucion(kLista, "\xE7", "c"));
        EXPECT_TRUE(std::filesystem::is_symlink(enlace));
        EXPECT_EQ(Leer(real), "[lista]\r\n\xE7=c\r\n");
    }
}

// A store that cannot be used says what it is: a pipe or a device, one
// that would pass the store's limit, a UTF-16 text cut in the middle.
TEST(AlmacenEscritura, CadaAlmacenInservibleDiceQueEs) {
    CarpetaTemporal dir;
    const std::string noRegular = "ez da fitxategi arrunta (hodi bat edo gailu bat da) / no es un "
                                  "fichero ordinario (es una tuber\xc3\xad"
                                  "a o un dispositivo)";
    const std::string grande = "ordezkoen fitxategiak ezin ditu 4 MiB gainditu / el fichero de "
                               "sustitutos no puede pasar de 4 MiB";
    const std::string cortado = "ez da baliozkoa bere kodeketan (UTF-16 edo UTF-8) / no es "
                                "v\xc3\xa1lido en su codificaci\xc3\xb3n (UTF-16 o UTF-8)";
    std::string casiLleno = "[lista]\r\n";
    casiLleno.resize(4 * 1024 * 1024 - 2, ';');
    Escribir(dir / "casi.ini", casiLleno);
    Escribir(dir / "impar.ini", std::string("\xFF\xFE[\0l\0i\0s\0t\0a\0]\0x", 17));
    struct Caso {
        std::string ruta;
        std::string razonLeer; // empty: it reads
        std::string razonGuardar;
    };
    std::vector<Caso> casos = {
        {dir / "casi.ini", "", grande},
        {dir / "impar.ini", "", cortado},
    };
    std::optional<prueba::TuberiaSinEscritor> tubo;
    if (!prueba::kWindows) {
        tubo.emplace(dir);
        casos.push_back({tubo->ruta(), noRegular, noRegular});
        casos.push_back({"/dev/null", noRegular, noRegular});
    }
    for (const Caso& c : casos) {
        const AlmacenSoluciones almacen(c.ruta);
        const tildora::Resultado<tildora::Respuestas> leido = almacen.Leer();
        if (c.razonLeer.empty()) {
            EXPECT_TRUE(leido) << c.ruta;
        } else {
            ASSERT_FALSE(leido) << c.ruta;
            EXPECT_EQ(tildora::Razon(leido.error()), c.razonLeer) << c.ruta;
        }
        const tildora::Resultado<void> r = almacen.GuardarSolucion(kLista, "\xE7", "c");
        ASSERT_FALSE(r) << c.ruta;
        EXPECT_EQ(tildora::Razon(r.error()), c.razonGuardar) << c.ruta;
        EXPECT_EQ(r.error().ruta, c.ruta);
    }
}

// A key written by hand as U+XXXX for a character Windows-1252 has is that
// character's: read, listed and replaced under its byte.
TEST(AlmacenFormato, ClaveUMasDeUnCaracterDeWindows) {
    const std::string bytes = "[lista]\r\nU+00E7=c\r\nu+201c=q\r\nU+0142=l\r\n";
    const tildora::Respuestas respuestas(bytes);
    EXPECT_EQ(respuestas.Recordada("\xE7"), "c");
    EXPECT_EQ(respuestas.Recordada("\x93"), "q");
    EXPECT_EQ(respuestas.Recordada("U+0142"), "l");
    const auto todas = respuestas.Todas();
    ASSERT_EQ(todas.size(), 3u);
    EXPECT_EQ(todas[0].first, "\xE7");
    EXPECT_EQ(todas[1].first, "\x93");
    EXPECT_EQ(TrasGuardar(bytes, "\xE7", "C"), "[lista]\r\n\xE7=C\r\nu+201c=q\r\nU+0142=l\r\n");
}

TEST(AlmacenEscritura, BasuraNoRompeNada) {
    CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    // Every byte value many times over, in a fixed pseudo-random order, with a
    // very long line in the middle.
    std::string basura;
    unsigned x = 12345;
    for (int i = 0; i < 20000; ++i) {
        x = x * 1103515245u + 12345u;
        basura += static_cast<char>((x >> 16) & 0xFF);
    }
    basura += std::string(300000, '=');
    basura += "\r\n[\r\n]\r\n=\r\n[lista\r\n\"\r\n";
    Escribir(ruta, basura);
    const AlmacenSoluciones almacen(ruta);
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "");
    ASSERT_TRUE(almacen.GuardarSolucion(kLista, "\xE7", "c"));
    EXPECT_EQ(almacen.LeerSolucion(kLista, "\xE7"), "c");
    const std::string despues = Leer(ruta);
    EXPECT_EQ(despues.substr(0, basura.size()), basura);
    EXPECT_EQ(despues.substr(basura.size()), "[lista]\r\n\xE7=c\r\n");
}

TEST(AlmacenRuta, ElegirRutaAlmacen) {
    CarpetaTemporal dir;
    const std::string programa = dir / "programa";
    const std::string usuario = dir / "config/tildora";
    std::filesystem::create_directory(programa);
    Escribir(programa + "/" + std::string(kMarcaCompilacion), "");

    // A writable build folder holds the store; one separator between the
    // parts.
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), programa + kSep + "caracteres.ini");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa + kSep, usuario),
              programa + kSep + "caracteres.ini");
    EXPECT_FALSE(std::filesystem::exists(prueba::Camino(usuario)));

    // The root folder as the program's folder: no doubled separator. On
    // Windows any folder that can be written holds the store.
    const std::string raiz = prueba::kWindows ? "C:\\" : "/";
    const std::string enRaiz = tildora::ElegirRutaAlmacen(raiz, usuario);
    if (std::filesystem::exists(raiz + "caracteres.ini") ||
        (prueba::kWindows && tildora::sistema::SePuedeEscribir(raiz))) {
        EXPECT_EQ(enRaiz, raiz + "caracteres.ini");
    } else {
        EXPECT_EQ(enRaiz, usuario + kSep + "caracteres.ini");
    }

    // A program folder that cannot take a store: the user's folder, created.
    EXPECT_EQ(tildora::ElegirRutaAlmacen(dir / "falta", usuario),
              usuario + kSep + "caracteres.ini");
    EXPECT_TRUE(std::filesystem::is_directory(prueba::Camino(usuario)));
    // An executable file passes a write-and-search access check but is no folder.
    Escribir(dir / "fichero", "");
    ASSERT_EQ(chmod((dir / "fichero").c_str(), 0755), 0);
    EXPECT_EQ(tildora::ElegirRutaAlmacen(dir / "fichero", usuario),
              usuario + kSep + "caracteres.ini");
}

TEST(AlmacenRuta, EnWindowsCadaCopiaGuardaJuntoASiDondePuede) {
    if (!prueba::kWindows) {
        GTEST_SKIP() << "Linux: only a build folder's copy keeps its store beside itself";
    }
    // A folder without the build mark, as an unpacked copy's: the store
    // goes beside the program, and the user's folder is not made.
    CarpetaTemporal dir;
    const std::string programa = dir / "tildora-1.0.0";
    const std::string usuario = dir / "AppData/tildora";
    std::filesystem::create_directory(prueba::Camino(programa));
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), programa + kSep + "caracteres.ini");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, ""), programa + kSep + "caracteres.ini");
    EXPECT_FALSE(std::filesystem::exists(prueba::Camino(usuario)));
}

TEST(AlmacenRuta, EnWindowsLaCopiaInstaladaGuardaEnAppData) {
    if (!prueba::kWindows) {
        GTEST_SKIP() << "Linux: every copy but a build folder's keeps its store per user";
    }
    // The installer's mark in a folder that can be written, as a copy
    // installed for one user has: the store is the user's, its folder made.
    CarpetaTemporal dir;
    const std::string programa = dir / "Programs/Tildora";
    const std::string usuario = dir / "AppData/tildora";
    std::filesystem::create_directories(prueba::Camino(programa));
    Escribir(programa + "/.tildora-instalada", "");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), usuario + kSep + "caracteres.ini");
    EXPECT_TRUE(std::filesystem::is_directory(prueba::Camino(usuario)));

    // A store already beside the program is still the one.
    Escribir(programa + "/caracteres.ini", "[lista]\r\n");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), programa + kSep + "caracteres.ini");
}

TEST(AlmacenRuta, CopiaInstaladaNoEscribeEnSuCarpeta) {
    if (prueba::kWindows) {
        GTEST_SKIP() << "Windows: every copy keeps its store beside itself where it can";
    }
    // Any folder without the build mark is an installed copy's, writable or
    // not, root or not.
    CarpetaTemporal dir;
    const std::string programa = dir / "usr/bin";
    const std::string usuario = dir / "config/tildora";
    std::filesystem::create_directories(programa);

    struct Caso {
        const char* que;
        std::string usuario;
        std::string esperada;
    };
    const std::vector<Caso> casos = {
        {"the user's folder, made", usuario, usuario + "/caracteres.ini"},
        {"a user folder that cannot be made", dir / "fichero/tildora",
         dir / "fichero/tildora/caracteres.ini"},
        {"no user folder known", "", ""},
    };
    Escribir(dir / "fichero", "");
    for (const Caso& c : casos) {
        EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, c.usuario), c.esperada) << c.que;
        EXPECT_EQ(Entradas(programa), "") << c.que;
    }
    EXPECT_TRUE(std::filesystem::is_directory(usuario));

    // A store brought along beside the program is used.
    Escribir(programa + "/caracteres.ini", "[lista]\r\n");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), programa + "/caracteres.ini");
}

TEST(AlmacenRuta, AlmacenExistenteEnCarpetaSinPermiso) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root can write any folder";
    }
    if (prueba::kWindows) {
        GTEST_SKIP() << prueba::kSinPermisosPosix;
    }
    CarpetaTemporal dir;
    const std::string programa = dir / "programa";
    const std::string usuario = dir / "config/tildora";
    std::filesystem::create_directory(programa);
    Escribir(programa + "/" + std::string(kMarcaCompilacion), "");
    ASSERT_EQ(chmod(programa.c_str(), 0555), 0);
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), usuario + "/caracteres.ini");

    // A build folder whose user folder cannot be made either: back to the
    // program's folder.
    Escribir(dir / "fichero", "");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, dir / "fichero/tildora"),
              programa + "/caracteres.ini");
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, ""), programa + "/caracteres.ini");

    ASSERT_EQ(chmod(programa.c_str(), 0755), 0);
    Escribir(programa + "/caracteres.ini", "[lista]\r\n");
    ASSERT_EQ(chmod(programa.c_str(), 0555), 0);
    EXPECT_EQ(tildora::ElegirRutaAlmacen(programa, usuario), programa + "/caracteres.ini");
}

TEST(AlmacenRuta, CarpetaConfiguracionUsuario) {
    if (prueba::kWindows) {
        {
            VariableEntorno appdata("APPDATA", "D:\\Perfiles\\ana");
            EXPECT_EQ(tildora::sistema::CarpetaConfiguracion(), "D:\\Perfiles\\ana\\tildora");
        }
        // A relative %APPDATA% is not to be used: where Windows keeps it is.
        VariableEntorno appdata("APPDATA", "perfil");
        const std::string carpeta = tildora::sistema::CarpetaConfiguracion();
        EXPECT_NE(carpeta, "perfil\\tildora");
        EXPECT_EQ(carpeta.substr(1, 2), ":\\") << carpeta;
        EXPECT_EQ(carpeta.substr(carpeta.size() - 8), "\\tildora") << carpeta;
        return;
    }
    {
        VariableEntorno xdg("XDG_CONFIG_HOME", "/xdg/conf");
        VariableEntorno home("HOME", "/casa/ana");
        EXPECT_EQ(tildora::sistema::CarpetaConfiguracion(), "/xdg/conf/tildora");
    }
    {
        // A relative XDG_CONFIG_HOME is not to be used.
        VariableEntorno xdg("XDG_CONFIG_HOME", "conf");
        VariableEntorno home("HOME", "/casa/ana/");
        EXPECT_EQ(tildora::sistema::CarpetaConfiguracion(), "/casa/ana/.config/tildora");
    }
    {
        VariableEntorno xdg("XDG_CONFIG_HOME", nullptr);
        VariableEntorno home("HOME", "/casa/ana");
        EXPECT_EQ(tildora::sistema::CarpetaConfiguracion(), "/casa/ana/.config/tildora");
    }
}

TEST(AlmacenRuta, RutaPorDefectoSegunLaCarpetaDelPrograma) {
    // The test program's own folder holds no build mark and no store, as an
    // installed copy's: the store is the user's, whatever the folder allows
    // (on Windows it is beside the program, a folder that can be written).
    const std::string carpeta = tildora::sistema::CarpetaPrograma();
    const std::string junto = tildora::sistema::Unir(carpeta, "caracteres.ini");
    if (std::filesystem::exists(prueba::Camino(junto)) ||
        std::filesystem::exists(
            prueba::Camino(tildora::sistema::Unir(carpeta, kMarcaCompilacion)))) {
        GTEST_SKIP() << "the test program's folder holds a store or a build mark";
    }
    CarpetaTemporal dir;
    VariableEntorno xdg(prueba::kWindows ? "APPDATA" : "XDG_CONFIG_HOME",
                        prueba::Utf8(dir.ruta()).c_str());
    EXPECT_EQ(tildora::RutaAlmacenPorDefecto(),
              prueba::kWindows ? junto : dir / "tildora/caracteres.ini");
    EXPECT_FALSE(std::filesystem::exists(prueba::Camino(junto)));
}
