// Text in UTF-8 and UTF-16: recognition, the scan and the correction,
// against slow literal references.
#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/interno/escaneo.h"
#include "core/interno/lector.h"
#include "core/interno/origen.h"
#include "core/interno/reescritura.h"
#include "core/unicode.h"

#include "ayudas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>

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

const Recuento& RecuentoDe(const Documento& d) {
    return d.origen->recuento;
}

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
        // Plain ASCII with a lone LF is a Unix text; without one it reads
        // the same either way.
        {"uno\ndos\n", Codificacion::Utf8},
        {"uno\r\ndos\n", Codificacion::Utf8},
        {mucho + "\r\n\n", Codificacion::Utf8},
        {"a\n" + mucho + "\xE9", Codificacion::Windows1252}, // a Unix start, then not UTF-8
        // Valid UTF-8 that is a Windows-1252 text of allowed characters
        // (lone LFs but): é and two no-break spaces, Ñº, Ó and a soft
        // hyphen. Real UTF-8 in these languages holds C2, C3 or E2.
        {"\xE9\xA0\xA0\r\n", Codificacion::Windows1252},
        {"\xD1\xBA", Codificacion::Windows1252},
        {"NACI\xD3\xADN\n", Codificacion::Windows1252},
        {"\xD1\xBA" + mucho, Codificacion::Windows1252},
        {mucho + "\xD1\xBA", Codificacion::Windows1252},
        {std::string(std::size_t{9} << 20, 'a') + "\xD3\xAD\n", Codificacion::Windows1252},
        {std::string(std::size_t{9} << 20, 'a') + "\n", Codificacion::Utf8},
        {"\xD1\xBA \xE2\x80\x9C", Codificacion::Utf8},
        {"\xD1\xBA" + mucho + "\xC3\xB1", Codificacion::Utf8},
        {"ca\xC3\xB1\xC3\xB3n\n", Codificacion::Utf8},
        {"\xEF\xBB\xBF\xD1\xBA", Codificacion::Utf8}, // the mark says so
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
        // Read as it arrives from a pipe, in pieces of a few bytes (of a
        // long text, where its start and its end are).
        for (std::size_t trozo :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, caso.bytes.size()}) {
            const bool largo = caso.bytes.size() > 4096;
            if (trozo == 0 || (trozo < 3 && largo)) {
                continue;
            }
            std::vector<std::size_t> cortes;
            for (std::size_t i = trozo; i < caso.bytes.size(); i += trozo) {
                if (!largo || i < 64 || i + 64 > caso.bytes.size()) {
                    cortes.push_back(i);
                }
            }
            const Resultado<Documento> d = prueba::DocumentoPorTuberia(caso.bytes, cortes);
            ASSERT_EQ(bool(d), caso.valido) << nombre << " en trozos de " << trozo;
            if (!caso.valido) {
                // Only a UTF-16 text is refused so: it was recognised as one.
                EXPECT_EQ(d.fallo(), Fallo::Codificacion);
                continue;
            }
            EXPECT_EQ(d->codificacion, caso.esperada) << nombre << " en trozos de " << trozo;
        }
        // The scan agrees, from memory and from a file read once or twice.
        const Resultado<Documento> enMemoria = DocumentoDeTexto(caso.bytes);
        EXPECT_EQ(bool(enMemoria), caso.valido) << nombre;
        const std::string ruta = carpeta / "t";
        prueba::Escribir(ruta, caso.bytes);
        for (bool guardar : {false, true}) {
            OpcionesLectura opciones;
            opciones.conservarTexto = guardar;
            opciones.soloOrdinario = true;
            const Resultado<Documento> a = AbrirDocumento(ruta, opciones);
            EXPECT_EQ(bool(a), caso.valido) << nombre;
            if (!caso.valido) {
                EXPECT_EQ(a.fallo(), Fallo::Codificacion);
                continue;
            }
            ASSERT_TRUE(enMemoria);
            EXPECT_EQ(a->codificacion, caso.esperada) << nombre;
            EXPECT_EQ(a->codificacion, enMemoria->codificacion) << nombre;
            if (!EsUtf16(a->codificacion)) {
                EXPECT_EQ(RecuentoDe(*a).bytes + a->marca, caso.bytes.size()) << nombre;
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
    for (const Caso& caso : casos) {
        for (std::size_t primeros : {1, 2}) {
            // The rest is written once the first bytes have been read.
            OpcionesLectura opciones;
            opciones.codificacion = caso.forzada;
            opciones.conservarTexto = true;
            const Resultado<Documento> a =
                prueba::DocumentoPorTuberia(caso.bytes, {primeros}, opciones);
            ASSERT_TRUE(a) << primeros;
            EXPECT_EQ(a->codificacion, caso.esperada) << primeros;
            EXPECT_EQ(a->marca, 3u) << primeros;
            ASSERT_EQ(a->hallazgos.size(), 1u) << primeros;
            EXPECT_EQ(a->hallazgos[0].clave, "U+0101");
            EXPECT_EQ(a->hallazgos[0].primera.columna, 2u);
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
    // Some rows leave wrong characters, or have no replacement: only the
    // engine corrects with them; the accept refuses them, and gets clean
    // rows only. Rows of either kind may hold the delete answer instead.
    const std::string sustitutos[] = {"e", "", "E\x80", "--", "\x93\"", "a\xE9"};
    const std::string limpios[] = {"e", "--", "a\xE9"};
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
        const bool aceptable = ronda % 4 >= 2;
        // A character Windows-1252 lacks makes a UTF-8 text UTF-8.
        texto += U'\u0142';
        // Now and then behind allowed text, so that the pieces the text is
        // scanned and rewritten in (in the program's form) cut it.
        const std::size_t relleno = ronda % 10 == 1 ? kTrozoLectura - 1 - azar() % 300 : 0;
        const std::u32string completo = std::u32string(relleno, U'a') + texto;
        const std::string bytes =
            (marca ? std::string(MarcaOrden(cod)) : std::string()) + Codificar(completo, cod);

        const Resultado<Documento> a = DocumentoDeTexto(bytes);
        ASSERT_TRUE(a);
        ASSERT_EQ(a->codificacion, cod);
        // Where each character first stands, counted in characters.
        std::vector<std::pair<char32_t, Posicion>> primeras;
        Posicion aqui{1, 1};
        for (std::size_t i = 0; i < completo.size(); ++i) {
            const char32_t x = completo[i];
            if (x == '\r' || (x == '\n' && (i == 0 || completo[i - 1] != '\r'))) {
                aqui = Posicion{aqui.linea + 1, 1};
            } else if (x != '\n') {
                if (!PermitidoUnicode(x) &&
                    std::none_of(primeras.begin(), primeras.end(),
                                 [x](const auto& p) { return p.first == x; })) {
                    primeras.emplace_back(x, aqui);
                }
                ++aqui.columna;
            }
        }
        std::vector<Fila> pares;
        ASSERT_EQ(a->hallazgos.size(), primeras.size());
        for (const Hallazgo& h : a->hallazgos) {
            const auto& [caracter, donde] = primeras[pares.size()];
            EXPECT_EQ(h.caracter, caracter);
            EXPECT_EQ(h.primera.linea, donde.linea) << "ronda " << ronda;
            EXPECT_EQ(h.primera.columna, donde.columna) << "ronda " << ronda;
            EXPECT_EQ(h.cuenta, std::u32string::size_type(
                                    std::count(texto.begin(), texto.end(), h.caracter)));
            pares.push_back({h.clave,
                             aceptable ? limpios[azar() % std::size(limpios)]
                                       : sustitutos[azar() % std::size(sustitutos)],
                             azar() % 5 == 0});
        }
        if (cod == Codificacion::Utf8) {
            // The same scan with pieces cut anywhere, by every search loop.
            const std::string sinMarca = bytes.substr(a->marca);
            for (const Via via : Vias()) {
                Escaneo e(Unidades::Utf8, via);
                Costura costura(true);
                const auto entregar = [&](const unsigned char* p, std::size_t n,
                                          unsigned char ant) {
                    e.Procesar(p, n, ant);
                    return true;
                };
                std::mt19937 cortes(static_cast<unsigned>(ronda));
                std::size_t i = relleno > 64 ? relleno - 64 : 0;
                costura.Coser(sinMarca.data(), i, entregar);
                while (i < sinMarca.size()) {
                    const std::size_t n =
                        std::min<std::size_t>(1 + cortes() % 7, sinMarca.size() - i);
                    costura.Coser(sinMarca.data() + i, n, entregar);
                    i += n;
                }
                ASSERT_EQ(costura.Pendientes(), 0u);
                const Recuento& r = e.Resultado();
                ASSERT_TRUE(r.Utf8Valido());
                ASSERT_EQ(r.primeras.size(), RecuentoDe(*a).primeras.size());
                EXPECT_EQ(r.cuentas, RecuentoDe(*a).cuentas);
                for (std::size_t k = 0; k < primeras.size(); ++k) {
                    EXPECT_EQ(r.primeras[k].unidad, RecuentoDe(*a).primeras[k].unidad);
                    EXPECT_EQ(r.primeras[k].linea + 1, primeras[k].second.linea)
                        << "ronda " << ronda;
                    EXPECT_EQ(r.primeras[k].columna, primeras[k].second.columna)
                        << "ronda " << ronda;
                }
            }
        }
        std::u32string esperado = texto;
        for (const Fila& par : pares) {
            const char32_t c = *CaracterDeClave(par.clave);
            std::u32string nuevo;
            for (char32_t x : esperado) {
                if (x != c) {
                    nuevo += x;
                    continue;
                }
                for (char b : par.borrar ? std::string() : par.sustituto) {
                    nuevo += UnicodeDeAnsi(static_cast<unsigned char>(b));
                }
            }
            esperado = nuevo;
        }
        esperado = std::u32string(relleno, U'a') + esperado;
        // The engine, whatever the rows, in the program's form of the text:
        // UTF-8, the mark kept.
        {
            std::string obtenido;
            DestinoMemoria destino(obtenido);
            const Resultado<std::uint64_t> r =
                Reescribir(*a, pares, destino, true, kSinLimite, nullptr);
            ASSERT_TRUE(r) << "ronda " << ronda;
            EXPECT_EQ(obtenido,
                      (marca ? std::string(MarcaOrden(Codificacion::Utf8)) : std::string()) +
                          Utf8(esperado))
                << "ronda " << ronda;
        }
        if (!aceptable) {
            continue;
        }
        // Clean rows leave only allowed characters, which Windows-1252 has
        // too; there a lone LF is no line end, and becomes CR LF.
        std::u32string enAnsi;
        for (std::size_t i = 0; i < esperado.size(); ++i) {
            if (esperado[i] == U'\n' && (i == 0 || esperado[i - 1] != U'\r')) {
                enAnsi += U'\r';
            }
            enAnsi += esperado[i];
        }
        for (Codificacion salida : {Codificacion::Utf8, Codificacion::Utf16LE,
                                    Codificacion::Utf16BE, Codificacion::Windows1252}) {
            std::string obtenido;
            OpcionesCorreccion opciones;
            opciones.memoria = &obtenido;
            opciones.codificacion = salida;
            const Aceptacion r = Aceptar(*a, pares, opciones);
            ASSERT_TRUE(r.correcciones) << "ronda " << ronda;
            const bool conMarca = marca || EsUtf16(salida);
            const bool ansi = salida == Codificacion::Windows1252;
            EXPECT_EQ(obtenido, (conMarca ? std::string(MarcaOrden(salida)) : std::string()) +
                                    Codificar(ansi ? enAnsi : esperado, salida))
                << "ronda " << ronda;
        }
    }
}

// A remembered answer for a Windows-1252 character never reaches the bytes
// of another character: "\x80" is the euro sign, not the middle byte of
// the dash.
TEST(Codificacion, LaRespuestaNoTocaOtrosCaracteres) {
    const std::string texto = "a \xE2\x80\x93 b \xE2\x82\xAC c";
    const Resultado<Documento> a = DocumentoDeTexto(texto);
    ASSERT_TRUE(a);
    ASSERT_EQ(a->hallazgos.size(), 2u);
    EXPECT_EQ(a->hallazgos[0].clave, "\x96");
    std::string salida;
    OpcionesCorreccion opciones;
    opciones.memoria = &salida;
    opciones.codificacion = Codificacion::Utf8;
    const Aceptacion r = Aceptar(*a, {{"\x80", "E"}}, opciones);
    ASSERT_TRUE(r.correcciones);
    EXPECT_EQ(salida, "a \xE2\x80\x93 b E c");
    EXPECT_EQ(*r.correcciones, 1u);
}

// A UTF-8 text written in Windows-1252: every lone LF becomes CR LF, a CR LF
// stays one, also where the output's pieces cut it; the LFs add no
// correction.
TEST(Codificacion, HaciaWindows1252CadaLfSueltoEsCrLf) {
    std::string texto = "\n\xC5\x82\n" + std::string(std::size_t{9} << 20, 'a') + "\n";
    std::string esperado;
    for (std::size_t p = kTrozoLectura; p + 8 < texto.size(); p += kTrozoLectura) {
        texto[p - 1] = '\r';
        texto[p] = '\n';
        texto[p + 7] = '\n';
    }
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '\n' && (i == 0 || texto[i - 1] != '\r')) {
            esperado += '\r';
        }
        esperado += texto[i] == '\xC5' ? 'l' : texto[i];
        i += texto[i] == '\xC5' ? 1 : 0;
    }
    const Resultado<Documento> a = DocumentoDeTexto(texto);
    ASSERT_TRUE(a);
    ASSERT_EQ(a->codificacion, Codificacion::Utf8);
    std::string salida;
    OpcionesCorreccion opciones;
    opciones.memoria = &salida;
    opciones.codificacion = Codificacion::Windows1252;
    const Aceptacion r = Aceptar(*a, {{"U+0142", "l"}}, opciones);
    ASSERT_TRUE(r.correcciones);
    EXPECT_EQ(*r.correcciones, 1u);
    EXPECT_TRUE(salida == esperado);
    // Kept as they are in UTF-8.
    opciones.codificacion = Codificacion::Utf8;
    ASSERT_TRUE(Aceptar(*a, {{"U+0142", "l"}}, opciones).correcciones);
    EXPECT_EQ(std::count(salida.begin(), salida.end(), '\r'),
              std::count(texto.begin(), texto.end(), '\r'));
}

// A write that fails halfway (a full disk) is said as such, not as a text
// changed meanwhile: the walk it stopped tells nothing about the text.
TEST(Codificacion, UnaSalidaLlenaNoEsUnTextoCambiado) {
    class DestinoLleno : public Destino {
    public:
        Resultado<void> Escribir(const char*, std::size_t) override {
            return Falla(Fallo::Escritura, ENOSPC);
        }
    };
    std::string texto;
    while (texto.size() < (5u << 20)) { // past the output's buffer
        texto += "abcdefgh\xC4\x81 ";
    }
    const Resultado<Documento> a = DocumentoDeTexto(texto);
    ASSERT_TRUE(a);
    DestinoLleno destino;
    const Resultado<std::uint64_t> r =
        Reescribir(*a, {{"U+0101", "a"}}, destino, true, kSinLimite, nullptr);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.fallo(), Fallo::Escritura);
}

// Whatever a text and its answers, what the accept writes reads back clean:
// random texts in the three encodings, and bytes that more than one
// encoding can read, with answers made of allowed characters (also those
// whose bytes make UTF-8 sequences) or the delete answer, written in every
// encoding.
TEST(Codificacion, LoQueSeEscribeSeLeeLimpio) {
    const std::u32string caracteres =
        U"aZ ?\r\n\n\t|\u00e1\u00e9\u00d1\u00ba\u00a0\u00ad\u00d3\u00ff"
        U"\u00e7\u0142\u201c\u20ac\u047a\u9820\U0001F600";
    const std::string bytes = "a \r\n\n\t\xE9\xA0\xD1\xBA\xD3\xAD\xC3\xA1\xC5\x82\xE2\x80\x9C\xEF";
    const std::vector<std::string> respuestas = {"x",    "\xE9", "\xA0\xA0", "\xD1",
                                                 "\xBA", "\xAD", "\xD3",     "\xFF"};
    std::mt19937 azar(31);
    auto dado = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(azar);
    };
    for (int ronda = 0; ronda < 3000; ++ronda) {
        std::string texto;
        const std::size_t largo = dado(ronda < 2900 ? 24 : 3000);
        if (ronda % 2 == 0) {
            for (std::size_t i = 0; i < largo; ++i) {
                texto += bytes[dado(bytes.size())];
            }
        } else {
            std::u32string u;
            for (std::size_t i = 0; i < largo; ++i) {
                u += caracteres[dado(caracteres.size())];
            }
            const Codificacion c = std::array{Codificacion::Utf8, Codificacion::Utf16LE,
                                              Codificacion::Utf16BE}[dado(3)];
            const bool marca = EsUtf16(c) || dado(2) == 0;
            texto = (marca ? std::string(MarcaOrden(c)) : std::string()) + Codificar(u, c);
        }
        const Resultado<Documento> doc = DocumentoDeTexto(texto);
        ASSERT_TRUE(doc) << "ronda " << ronda;
        std::vector<Fila> filas;
        for (const Hallazgo& h : doc->hallazgos) {
            const std::size_t r = dado(respuestas.size() + 1);
            filas.push_back(r == respuestas.size() ? Fila{h.clave, "", true}
                                                   : Fila{h.clave, respuestas[r]});
        }
        for (const std::optional<Codificacion> salida :
             {std::optional<Codificacion>(), std::optional(Codificacion::Windows1252),
              std::optional(Codificacion::Utf8), std::optional(Codificacion::Utf16LE)}) {
            std::string escrito;
            OpcionesCorreccion opciones;
            opciones.memoria = &escrito;
            opciones.codificacion = salida;
            ASSERT_TRUE(Aceptar(*doc, filas, opciones).correcciones) << "ronda " << ronda;
            const Resultado<Documento> leido = DocumentoDeTexto(escrito);
            ASSERT_TRUE(leido) << "ronda " << ronda;
            EXPECT_TRUE(leido->hallazgos.empty())
                << "ronda " << ronda << ": " << CodigoUnicode(leido->hallazgos[0].caracter)
                << " in " << NombreCodificacion(leido->codificacion);
        }
    }
}
