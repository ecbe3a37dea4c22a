// The preview against what the accept writes, and the occurrences of a
// character against a literal walk over the text.
#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/interno/busqueda.h"
#include "core/interno/reescritura.h"
#include "core/ocurrencias.h"
#include "core/unicode.h"
#include "core/vistaprevia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <set>

using namespace tildora;

namespace {

const Codificacion kCodificaciones[] = {Codificacion::Windows1252, Codificacion::Utf8,
                                        Codificacion::Utf16LE, Codificacion::Utf16BE};

// A text made of these, in `c`: line ends of every kind, allowed letters,
// wrong characters of one and of several bytes (in Windows-1252 only those it
// has), a zero byte and a tab; `relleno` allowed letters in its middle.
std::string Texto(std::mt19937& azar, Codificacion c, std::size_t piezas, bool marca,
                  std::size_t relleno = 0) {
    static const std::u32string kUnicode = U"ab \r\n\r\n\r\n\u00e9\u20ac\u2013\u201c\u0101"
                                           U"\u0142\U0001F600\u200B\u0080^|\t";
    static const std::u32string kAnsi = U"ab \r\n\r\n\r\n\u00e9\u20ac\u2013\u201c\u00e7"
                                        U"\u00c7^|\t";
    const std::u32string& juego = c == Codificacion::Windows1252 ? kAnsi : kUnicode;
    std::u32string t;
    for (std::size_t n = piezas; n > 0; --n) {
        t += juego[azar() % juego.size()];
    }
    if (azar() % 4 == 0) {
        t += U'\0';
    }
    t.insert(t.size() / 2, relleno, U'a');
    if (c == Codificacion::Windows1252) {
        std::string r;
        for (const char32_t x : t) {
            r += static_cast<char>(*AnsiDeUnicode(x));
        }
        return r;
    }
    std::string u = marca ? std::string("\xEF\xBB\xBF") : std::string();
    for (const char32_t x : t) {
        AnadirUtf8(u, x);
    }
    if (!EsUtf16(c)) {
        return u;
    }
    std::string r;
    HaciaCodificacion(c).Procesar(u.data(), u.size(), r);
    return r;
}

// The accept's output in the working copy's form: a UTF-16 text in UTF-8.
std::string EnCopia(const std::string& salida, Codificacion c) {
    return EsUtf16(c) ? *Utf8DeUtf16(salida, c == Codificacion::Utf16BE) : salida;
}

// What the accept writes with the rows that have an answer. Rows that leave
// wrong characters are refused by the accept: the engine's own rewrite
// (in the working copy's form) writes those.
std::string Escrito(const Documento& d, const std::vector<Fila>& filas) {
    std::vector<Fila> conRespuesta;
    const std::vector<std::size_t> faltan = FilasSinSolucion(filas);
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (std::find(faltan.begin(), faltan.end(), i) == faltan.end()) {
            conRespuesta.push_back(filas[i]);
        }
    }
    std::string salida;
    if (FilasNoLimpias(conRespuesta).empty()) {
        OpcionesCorreccion opciones;
        opciones.memoria = &salida;
        EXPECT_TRUE(Aceptar(d, conRespuesta, opciones).correcciones);
        return EnCopia(salida, d.codificacion);
    }
    DestinoMemoria destino(salida);
    EXPECT_TRUE(Reescribir(d, conRespuesta, destino, true, kSinLimite, nullptr));
    return salida;
}

// Where the text may be cut: anywhere, and between each CR and its LF and
// inside each character of several bytes (the byte-order mark too) more
// often than chance would.
std::vector<std::size_t> Cortes(std::mt19937& azar, const std::string& t) {
    std::set<std::size_t> cortes{0, t.size()};
    for (std::size_t i = 1; i < t.size(); ++i) {
        const bool dentro = (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80;
        const bool crLf = t[i - 1] == '\r' && t[i] == '\n';
        if (azar() % ((dentro || crLf) ? 3 : 9) == 0) {
            cortes.insert(i);
        }
    }
    return {cortes.begin(), cortes.end()};
}

} // namespace

TEST(VistaPrevia, PiezasQueSeJuntanSonLoQueElAceptarEscribe) {
    // Answers in Windows-1252: some feed rows further down ("\x93\"",
    // "|x"), some leave wrong characters; the empty one is no answer, and
    // any may be the delete answer instead.
    const std::string respuestas[] = {"e", "--", "a\xE9", "\x93\"", "|x", "E\x80", "", ""};
    std::mt19937 azar(25);
    for (int ronda = 0; ronda < 400; ++ronda) {
        const Codificacion cod = kCodificaciones[ronda % 4];
        const std::size_t largo = ronda < 4 ? 0 : ronda % 50 == 7 ? 40000 : azar() % 120;
        const std::string bytes = Texto(azar, cod, largo, ronda % 3 == 0);
        const Resultado<Documento> d = DocumentoDeTexto(bytes, cod);
        ASSERT_TRUE(d);
        std::vector<Fila> filas;
        for (const Hallazgo& h : d->hallazgos) {
            filas.push_back(
                Fila{h.clave, respuestas[azar() % std::size(respuestas)], azar() % 6 == 0});
        }
        const std::string esperado = Escrito(*d, filas);
        const std::string& t = d->texto;

        const VistaPrevia previa(*d, filas);
        const std::vector<std::size_t> cortes = Cortes(azar, t);
        std::string junto;
        std::map<std::size_t, std::vector<std::size_t>> origenes; // by row
        std::size_t hasta = 0;
        PiezaPrevia pieza;
        for (std::size_t k = 0; k + 1 < cortes.size(); ++k) {
            previa.Pieza(cortes[k], cortes[k + 1], pieza);
            // The pieces meet: an edge inside a character moves on, the
            // same way for the piece before and the piece after.
            ASSERT_EQ(pieza.desde, hasta) << "ronda " << ronda;
            ASSERT_GE(pieza.hasta, pieza.desde);
            hasta = pieza.hasta;
            junto += pieza.texto;
            // Each change is one occurrence of its row's character, and what
            // it left alone is the working copy as it was.
            for (const Cambio& c : pieza.cambios) {
                ASSERT_LT(c.fila, filas.size());
                EXPECT_EQ(t.substr(c.origen, c.largoOrigen),
                          BytesDeClave(filas[c.fila].clave, d->Unicode()));
                EXPECT_EQ(c.sinRespuesta, filas[c.fila].sustituto.empty() &&
                                              !filas[c.fila].borrar &&
                                              !EsSaltoDeLinea(filas[c.fila].clave));
                if (c.sinRespuesta) {
                    EXPECT_EQ(pieza.texto.substr(c.inicio, c.fin - c.inicio),
                              t.substr(c.origen, c.largoOrigen));
                }
                EXPECT_EQ(pieza.EnPrevia(c.origen), c.inicio);
                if (c.fin > c.inicio) {
                    EXPECT_EQ(pieza.EnOrigen(c.inicio), c.origen);
                }
                origenes[c.fila].push_back(c.origen);
            }
            for (std::size_t o = pieza.desde; o < pieza.hasta; ++o) {
                const std::size_t p = pieza.EnPrevia(o);
                const bool cambiado =
                    std::any_of(pieza.cambios.begin(), pieza.cambios.end(), [o](const Cambio& c) {
                        return o >= c.origen && o < c.origen + c.largoOrigen;
                    });
                if (!cambiado) {
                    ASSERT_LT(p, pieza.texto.size());
                    EXPECT_EQ(pieza.texto[p], t[o]) << "ronda " << ronda << " byte " << o;
                    EXPECT_EQ(pieza.EnOrigen(p), o);
                }
            }
        }
        EXPECT_EQ(hasta, t.size());
        EXPECT_EQ(junto, esperado) << "ronda " << ronda;
        // The changes of each row are the occurrences of its character.
        for (std::size_t f = 0; f < filas.size(); ++f) {
            const Ocurrencias oc(*d, filas[f].clave);
            std::vector<Ocurrencia> todas;
            oc.EnRango(0, t.size(), todas);
            std::vector<std::size_t> posiciones;
            for (const Ocurrencia& o : todas) {
                posiciones.push_back(o.posicion);
            }
            EXPECT_EQ(origenes[f], posiciones) << "ronda " << ronda << " fila " << f;
            EXPECT_EQ(posiciones.size(), d->hallazgos[f].cuenta);
        }
    }

    // Replacements that feed each other make a form far too long to show:
    // the piece stops growing there, and says so.
    std::vector<Fila> cadena;
    std::string erroneos;
    for (int c = 0x80; erroneos.size() < 26; ++c) {
        if (!kCaracteresValidos[static_cast<unsigned char>(c)]) {
            erroneos += static_cast<char>(c);
        }
    }
    for (std::size_t i = 0; i + 1 < erroneos.size(); ++i) {
        cadena.push_back(Fila{std::string(1, erroneos[i]), std::string(2, erroneos[i + 1])});
    }
    cadena.push_back(Fila{std::string(1, erroneos.back()), "zz"});
    const std::string texto = std::string("a") + erroneos[0] + "b" + erroneos[0];
    const Resultado<Documento> d = DocumentoDeTexto(texto, Codificacion::Windows1252);
    ASSERT_TRUE(d);
    const PiezaPrevia p = VistaPrevia(*d, cadena).Pieza(0, texto.size());
    EXPECT_EQ(p.texto.size(), 1 + kLimitePieza);
    EXPECT_EQ(p.hasta, 2u);
    ASSERT_EQ(p.cambios.size(), 1u);
    EXPECT_TRUE(p.cambios[0].recortado);
    EXPECT_EQ(p.texto.substr(0, 3), "azz");

    // Lines longer than that, kept as they are, are no growth: the piece
    // holds all of them and every change after them.
    std::string largo(kLimitePieza + 100, 'a');
    largo += "\x93" "b" "\x93";
    const Resultado<Documento> l = DocumentoDeTexto(largo, Codificacion::Windows1252);
    ASSERT_TRUE(l);
    const std::vector<Fila> comillas = {Fila{"\x93", "\""}};
    const PiezaPrevia q = VistaPrevia(*l, comillas).Pieza(0, largo.size());
    EXPECT_EQ(q.hasta, largo.size());
    ASSERT_EQ(q.cambios.size(), 2u);
    EXPECT_FALSE(q.cambios[1].recortado);
    EXPECT_EQ(q.texto.substr(kLimitePieza + 100), "\"b\"");
}

TEST(Ocurrencias, ComoUnRecorridoLiteral) {
    std::mt19937 azar(2025);
    for (int ronda = 0; ronda < 200; ++ronda) {
        const Codificacion cod = kCodificaciones[ronda % 4];
        // Now and then long enough for the search's stretches, and with a
        // long stretch without any for the backward search's growing steps.
        const std::size_t largo = ronda < 4 ? 0 : ronda % 10 == 5 ? 70000 : azar() % 300;
        const std::size_t relleno = ronda % 10 == 6 ? 300000 : 0;
        const std::string bytes = Texto(azar, cod, largo, ronda % 3 == 0, relleno);
        const Resultado<Documento> d = DocumentoDeTexto(bytes, cod);
        ASSERT_TRUE(d);
        const std::string& t = d->texto;
        // A key that is none of the text's wrong characters has none.
        EXPECT_EQ(Ocurrencias(*d, "a").Contar(0, t.size()), 0u);
        EXPECT_EQ(Ocurrencias(*d, "a").Siguiente(0), Ocurrencias::npos);
        for (const Hallazgo& h : d->hallazgos) {
            // Literally: every character of the text from its first byte,
            // and in Windows-1252 an LF that ends a CR LF is none.
            const std::string b = BytesDeClave(h.clave, d->Unicode());
            std::vector<std::size_t> ref;
            for (std::size_t i = d->marca; i < t.size();) {
                char32_t cp = 0;
                const auto* p = reinterpret_cast<const unsigned char*>(t.data()) + i;
                const int n = d->Unicode() ? DecodificarUtf8(p, t.size() - i, cp) : 1;
                ASSERT_GT(n, 0);
                const bool finCrLf = !d->Unicode() && t[i] == '\n' && i > 0 && t[i - 1] == '\r';
                if (t.compare(i, b.size(), b) == 0 && !finCrLf) {
                    ref.push_back(i);
                }
                i += static_cast<std::size_t>(n);
            }
            // Every way the search can go finds them in a stretch that
            // begins anywhere, after a CR too.
            const std::size_t inicio = d->marca + azar() % (t.size() - d->marca);
            const std::size_t fin = std::min(t.size(), inicio + kTrozoParadas);
            std::vector<std::size_t> enTramo;
            std::copy_if(ref.begin(), ref.end(), std::back_inserter(enTramo),
                         [&](std::size_t r) { return r >= inicio && r + b.size() <= fin; });
            for (const Via via : {Via::Sencilla, Via::Avx2, Via::Avx512}) {
                if (via > MejorVia()) {
                    continue;
                }
                Buscador buscador(d->Unicode() ? Unidades::Utf8 : Unidades::Ansi, b, via);
                const auto* p = reinterpret_cast<const unsigned char*>(t.data());
                const std::size_t k =
                    buscador.Buscar(p + inicio, fin - inicio, inicio > 0 ? p[inicio - 1] : 0);
                std::vector<std::size_t> halladas;
                for (std::size_t j = 0; j < k; ++j) {
                    halladas.push_back(inicio + buscador.Paradas()[j]);
                }
                EXPECT_EQ(halladas, enTramo) << "ronda " << ronda;
            }
            const Ocurrencias oc(*d, h.clave);
            EXPECT_EQ(oc.Total(), ref.size());
            EXPECT_EQ(oc.Largo(), b.size());
            for (int vez = 0; vez < 20; ++vez) {
                std::size_t desde = azar() % (t.size() + 2);
                std::size_t hasta = azar() % (t.size() + 2);
                if (desde > hasta) {
                    std::swap(desde, hasta);
                }
                std::vector<Ocurrencia> esperadas;
                for (const std::size_t r : ref) {
                    if (r >= desde && r < hasta) {
                        esperadas.push_back(Ocurrencia{r, b.size()});
                    }
                }
                std::vector<Ocurrencia> halladas;
                oc.EnRango(desde, hasta, halladas);
                EXPECT_EQ(halladas, esperadas) << "ronda " << ronda;
                EXPECT_EQ(oc.Contar(desde, hasta), esperadas.size());
                const auto tras = std::lower_bound(ref.begin(), ref.end(), desde);
                EXPECT_EQ(oc.Siguiente(desde), tras == ref.end() ? Ocurrencias::npos : *tras);
                EXPECT_EQ(oc.Anterior(desde),
                          tras == ref.begin() ? Ocurrencias::npos : *(tras - 1));
                EXPECT_EQ(oc.Ordinal(desde), static_cast<std::uint64_t>(tras - ref.begin()) + 1);
            }
        }
    }
}
