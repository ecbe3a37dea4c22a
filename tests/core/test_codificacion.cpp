// Text in UTF-8 and UTF-16: recognition, the scan and the correction,
// against slow literal references.
#include "core/analisis.h"
#include "core/ansi.h"
#include "core/codificacion.h"
#include "core/reescritura.h"
#include "core/tabla.h"
#include "core/utf8.h"

#include "ayudas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tildora;

namespace {

std::string Utf8(const std::u32string& s) {
    std::string r;
    for (char32_t c : s) {
        AnadirUtf8(r, c);
    }
    return r;
}

std::string Codificar(const std::u32string& s, Codificacion c) {
    std::string r;
    HaciaCodificacion hacia(c);
    const std::string u = Utf8(s);
    EXPECT_TRUE(hacia.Procesar(u.data(), u.size(), r));
    return r;
}

// Hands a text over in pieces of random sizes.
class FuenteTrozos : public Fuente {
public:
    FuenteTrozos(std::string_view texto, unsigned semilla) : m_texto(texto), m_azar(semilla) {}
    ResultadoLectura Recorrer(const ManejarTrozo& trozo) override {
        for (std::size_t i = 0; i < m_texto.size();) {
            const std::size_t n = std::min<std::size_t>(1 + m_azar() % 7, m_texto.size() - i);
            if (!trozo(m_texto.data() + i, n)) {
                break;
            }
            i += n;
        }
        return {};
    }

private:
    std::string_view m_texto;
    std::mt19937 m_azar;
};

} // namespace

TEST(Codificacion, ReconoceUnaRegla) {
    const std::string mucho(3 << 20, 'a'); // past the first piece read
    struct Caso {
        std::string bytes;
        Codificacion esperada;
        bool valido = true;
    };
    const std::vector<Caso> casos = {
        {"", Codificacion::Windows1252},
        {"plain ASCII\r\n", Codificacion::Windows1252},
        {"caf\xE9", Codificacion::Windows1252},
        {"\xEF\xBB\xBFplain", Codificacion::Utf8},
        {"caf\xC3\xA9", Codificacion::Utf8},
        {"\xC3\xA9 then \xE9", Codificacion::Windows1252}, // UTF-8-like pair, then not
        {"cut \xE2\x80", Codificacion::Windows1252},       // truncated at the end
        {"\xC0\xAF overlong", Codificacion::Windows1252},
        {"\xED\xA0\x80 surrogate", Codificacion::Windows1252},
        {"\xF4\x90\x80\x80 too high", Codificacion::Windows1252},
        {mucho + "\xE2\x80\x93", Codificacion::Utf8},                 // ASCII first, UTF-8 later
        {"\xE2\x80\x93" + mucho + "\x96", Codificacion::Windows1252}, // and the other way
        {std::string("\xFF\xFE"
                     "a\0",
                     4),
         Codificacion::Utf16LE},
        {std::string("\xFE\xFF\0a", 4), Codificacion::Utf16BE},
        {std::string("\xFF\xFE"
                     "a",
                     3),
         Codificacion::Utf16LE, false}, // odd length
        {std::string("\xFF\xFE\x00\xD8"
                     "a\0",
                     6),
         Codificacion::Utf16LE, false}, // lone half
    };
    prueba::CarpetaTemporal carpeta;
    for (const Caso& caso : casos) {
        const std::string nombre = caso.bytes.substr(0, 12);
        for (std::size_t trozo :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, caso.bytes.size()}) {
            if (trozo == 0 || (trozo < 3 && caso.bytes.size() > 4096)) {
                continue;
            }
            Reconocedor r;
            for (std::size_t i = 0; i < caso.bytes.size(); i += trozo) {
                r.Procesar(caso.bytes.data() + i, std::min(trozo, caso.bytes.size() - i));
            }
            EXPECT_EQ(r.Resultado(), caso.esperada) << nombre << " en trozos de " << trozo;
        }
        // The scan agrees, from memory and from a file read once or twice.
        Analisis enMemoria;
        EXPECT_EQ(bool(AnalizarTexto(caso.bytes, std::nullopt, enMemoria)), caso.valido) << nombre;
        const std::string ruta = carpeta / "t";
        prueba::Escribir(ruta, caso.bytes);
        for (bool guardar : {false, true}) {
            Lector lector;
            ASSERT_TRUE(lector.Abrir(ruta, true));
            Analisis a;
            std::string texto;
            const ResultadoLectura r =
                Analizar(lector, std::nullopt, guardar ? &texto : nullptr, a);
            EXPECT_EQ(bool(r), caso.valido) << nombre;
            if (!caso.valido) {
                EXPECT_EQ(r.fallo, FalloLectura::Codificacion);
                continue;
            }
            EXPECT_EQ(a.codificacion, caso.esperada) << nombre;
            EXPECT_EQ(a.codificacion, enMemoria.codificacion) << nombre;
            if (!EsUtf16(a.codificacion)) {
                EXPECT_EQ(a.Total(), caso.bytes.size()) << nombre;
            }
        }
    }
}

// A pipe may hand over its first byte alone: the byte-order mark is still
// recognised, and is no character of the text, recognised or given.
TEST(Codificacion, LaMarcaLlegaEnTrozos) {
    struct Caso {
        std::string bytes;
        std::optional<Codificacion> forzada;
        Codificacion esperada;
    };
    const std::string utf16("\xFF\xFE"
                            "a\0\x01\x01",
                            6);
    const Caso casos[] = {
        {utf16, std::nullopt, Codificacion::Utf16LE},
        {utf16, Codificacion::Utf16LE, Codificacion::Utf16LE},
        {"\xEF\xBB\xBF"
         "a\xC4\x81",
         Codificacion::Utf8, Codificacion::Utf8},
    };
    prueba::CarpetaTemporal carpeta;
    const std::string tubo = carpeta / "tubo";
    ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
    for (const Caso& caso : casos) {
        for (std::size_t primeros : {1, 2}) {
            // The rest is written once the first bytes have been read.
            std::thread escritor([&] {
                const int fd = ::open(tubo.c_str(), O_WRONLY);
                EXPECT_EQ(::write(fd, caso.bytes.data(), primeros), ssize_t(primeros));
                int pendientes = 1;
                while (::ioctl(fd, FIONREAD, &pendientes) == 0 && pendientes > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                const std::size_t resto = caso.bytes.size() - primeros;
                EXPECT_EQ(::write(fd, caso.bytes.data() + primeros, resto), ssize_t(resto));
                ::close(fd);
            });
            Lector lector;
            std::string memoria;
            Analisis a;
            EXPECT_TRUE(lector.Abrir(tubo, false));
            EXPECT_TRUE(Analizar(lector, caso.forzada, &memoria, a));
            escritor.join();
            EXPECT_EQ(a.codificacion, caso.esperada) << primeros;
            EXPECT_EQ(a.marca, 3u) << primeros;
            ASSERT_EQ(a.Hallazgos().size(), 1u) << primeros;
            EXPECT_EQ(a.Hallazgos()[0].clave, "U+0101");
            EXPECT_EQ(a.Hallazgos()[0].primera.columna, 2u);
        }
    }
}

TEST(Codificacion, ClavesDelAlmacen) {
    struct Caso {
        char32_t cp;
        std::string clave;
    };
    for (const Caso& c : std::vector<Caso>{{0x20AC, "\x80"},
                                           {0xE9, "\xE9"},
                                           {0x81, "\x81"},
                                           {0x80, "U+0080"},
                                           {0x101, "U+0101"},
                                           {0x1F600, "U+1F600"}}) {
        EXPECT_EQ(ClaveDeCaracter(c.cp), c.clave);
        EXPECT_EQ(CaracterDeClave(c.clave), c.cp) << c.clave;
    }
    for (const char* mala : {"U+00E9", "U+D800", "u+0101", "U+101", "U+110000", "U+01G1", "ab"}) {
        EXPECT_FALSE(CaracterDeClave(mala)) << mala;
    }
}

// Every encoding against the literal meaning of the rows: each is a pass
// that turns every occurrence of its character in the whole current text
// into its replacement (Windows-1252 text, read as the characters it
// stands for).
TEST(Codificacion, CorrigeComoLaReferencia) {
    const std::u32string piezas = U"ab \r\n\n\r\u00e9\u00f1\u20ac\u2013\u201c\u0101\u0142\U0001F600"
                                  U"\uFFFD\u200B\u0301\u0080\u0081\u00A0";
    const std::string sustitutos[] = {"e", "", "E\x80", "--", "\x93\"", "a\xE9"};
    std::mt19937 azar(11);
    const Codificacion codificaciones[] = {Codificacion::Utf8, Codificacion::Utf16LE,
                                           Codificacion::Utf16BE};
    for (int ronda = 0; ronda < 300; ++ronda) {
        std::u32string texto;
        for (std::size_t n = azar() % 400; n > 0; --n) {
            texto += piezas[azar() % piezas.size()];
        }
        const Codificacion cod = codificaciones[ronda % 3];
        const bool marca = EsUtf16(cod) || ronda % 2 == 0;
        // A character Windows-1252 lacks makes a UTF-8 text UTF-8.
        texto += U'\u0142';
        const std::string bytes =
            (marca ? std::string(MarcaOrden(cod)) : std::string()) + Codificar(texto, cod);

        Analisis a;
        ASSERT_TRUE(AnalizarTexto(bytes, std::nullopt, a));
        ASSERT_EQ(a.codificacion, cod);
        // Where each character first stands, counted in characters.
        std::vector<std::pair<char32_t, Posicion>> primeras;
        Posicion aqui{1, 1};
        for (std::size_t i = 0; i < texto.size(); ++i) {
            const char32_t x = texto[i];
            if (x == '\r' || (x == '\n' && (i == 0 || texto[i - 1] != '\r'))) {
                aqui = Posicion{aqui.linea + 1, 1};
            } else if (x != '\n') {
                if (!PermitidoUnicode(TablaFija(), x) &&
                    std::none_of(primeras.begin(), primeras.end(),
                                 [x](const auto& p) { return p.first == x; })) {
                    primeras.emplace_back(x, aqui);
                }
                ++aqui.columna;
            }
        }
        std::vector<ParSolucion> pares;
        ASSERT_EQ(a.Hallazgos().size(), primeras.size());
        for (const Hallazgo& h : a.Hallazgos()) {
            const auto& [caracter, donde] = primeras[pares.size()];
            EXPECT_EQ(h.caracter, caracter);
            EXPECT_EQ(h.primera.linea, donde.linea) << "ronda " << ronda;
            EXPECT_EQ(h.primera.columna, donde.columna) << "ronda " << ronda;
            EXPECT_EQ(h.cuenta, std::u32string::size_type(
                                    std::count(texto.begin(), texto.end(), h.caracter)));
            pares.emplace_back(h.clave, sustitutos[azar() % std::size(sustitutos)]);
        }
        if (cod == Codificacion::Utf8) {
            // The same scan with pieces cut anywhere, by both search loops.
            EscanerUtf8 e(TablaFija(), ronda % 2 == 0);
            e.Saltar(a.marca);
            FuenteTrozos(bytes, static_cast<unsigned>(ronda))
                .Recorrer([&](const char* d, std::size_t n) {
                    e.Procesar(d, n);
                    return true;
                });
            ASSERT_TRUE(e.Valido());
            ASSERT_EQ(e.Encontrados(), a.utf8->Encontrados());
            EXPECT_EQ(e.Cuentas(), a.utf8->Cuentas());
            for (std::size_t i = 0; i < primeras.size(); ++i) {
                EXPECT_EQ(e.Primeras()[i].linea, primeras[i].second.linea) << "ronda " << ronda;
                EXPECT_EQ(e.Primeras()[i].columna, primeras[i].second.columna) << "ronda " << ronda;
            }
        }
        std::u32string esperado = texto;
        for (const ParSolucion& par : pares) {
            const char32_t c = *CaracterDeClave(par.first);
            std::u32string nuevo;
            for (char32_t x : esperado) {
                if (x != c) {
                    nuevo += x;
                    continue;
                }
                for (char b : par.second) {
                    nuevo += UnicodeDeAnsi(static_cast<unsigned char>(b));
                }
            }
            esperado = nuevo;
        }
        for (Codificacion salida : codificaciones) {
            FuenteTrozos fuente(bytes, static_cast<unsigned>(ronda));
            std::string obtenido;
            DestinoTexto destino(obtenido);
            const ResultadoReescritura r = Corregir(a, pares, fuente, destino, salida);
            ASSERT_TRUE(r) << "ronda " << ronda;
            const bool conMarca = marca || EsUtf16(salida);
            EXPECT_EQ(obtenido, (conMarca ? std::string(MarcaOrden(salida)) : std::string()) +
                                    Codificar(esperado, salida))
                << "ronda " << ronda;
        }
    }
}

// A remembered answer for a Windows-1252 character never reaches the bytes
// of another character: "\x80" is the euro sign, not the middle byte of
// the dash.
TEST(Codificacion, LaRespuestaNoTocaOtrosCaracteres) {
    const std::string texto = "a \xE2\x80\x93 b \xE2\x82\xAC c";
    Analisis a;
    ASSERT_TRUE(AnalizarTexto(texto, std::nullopt, a));
    ASSERT_EQ(a.Hallazgos().size(), 2u);
    EXPECT_EQ(a.Hallazgos()[0].clave, "\x96");
    std::string salida;
    FuenteMemoria fuente(texto);
    DestinoTexto destino(salida);
    const ResultadoReescritura r =
        Corregir(a, {{"\x80", "E"}}, fuente, destino, Codificacion::Utf8);
    ASSERT_TRUE(r);
    EXPECT_EQ(salida, "a \xE2\x80\x93 b E c");
    EXPECT_EQ(r.correcciones, 1u);
}

// A write that fails halfway (a full disk) is said as such, not as a text
// changed meanwhile: the walk it stopped tells nothing about the text.
TEST(Codificacion, UnaSalidaLlenaNoEsUnTextoCambiado) {
    class DestinoLleno : public Destino {
    public:
        bool Escribir(const char*, std::size_t) override { return false; }
        bool Confirmar() override { return true; }
    };
    std::string texto;
    while (texto.size() < (5u << 20)) { // past the output's buffer
        texto += "abcdefgh\xC4\x81 ";
    }
    Analisis a;
    ASSERT_TRUE(AnalizarTexto(texto, std::nullopt, a));
    FuenteMemoria fuente(texto);
    DestinoLleno destino;
    const ResultadoReescritura r =
        Corregir(a, {{"U+0101", "a"}}, fuente, destino, Codificacion::Utf8);
    EXPECT_EQ(r.fallo, ResultadoReescritura::Fallo::Escritura);
}
