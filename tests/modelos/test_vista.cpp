// The text view's half without a toolkit: its lines and characters, the
// selection, the marks on the lines in sight and the steps of drawing one,
// in the working copy and in the corrected text.
#include "core/correccion.h"
#include "core/documento.h"
#include "core/ocurrencias.h"
#include "core/vistaprevia.h"
#include "modelos/vista.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tildora;
using modelo::Tramo;
using modelo::Trazo;
using modelo::Vista;
using modelo::Zona;
using Clase = Trazo::Clase;
using modelo::TipoMarca;

namespace {

constexpr std::size_t npos = Vista::npos;

// The selection as the view copies it, in UTF-8, Windows-1252 bytes read
// as Latin-1.
std::string Copiado(const Vista& v) {
    std::u32string r;
    v.Seleccionado([](unsigned char b) { return char32_t{b}; }, [&r](char32_t c) { r += c; });
    std::string u;
    for (const char32_t c : r) {
        if (c < 0x80) {
            u += static_cast<char>(c);
        } else {
            u += '<';
            u += std::to_string(static_cast<unsigned long>(c));
            u += '>';
        }
    }
    return u;
}

Documento Abrir(const std::string& texto, Codificacion c) {
    Resultado<Documento> d = DocumentoDeTexto(texto, c);
    EXPECT_TRUE(d);
    return std::move(*d);
}

} // namespace

TEST(VistaLineas, CadaRupturaAcabaUnaLinea) {
    // CR LF, a lone CR and a lone LF each end a line; a final break leaves
    // an empty last line.
    Vista v;
    v.Cargar("uno\r\ndos\rtres\ncuatro\r\n", {}, false);
    const modelo::Lineas& l = v.Texto();
    ASSERT_EQ(l.NumeroLineas(), 5u);
    const std::size_t inicios[] = {0, 5, 9, 14, 22};
    const std::size_t fines[] = {3, 8, 13, 20, 22};
    for (std::size_t n = 0; n < 5; ++n) {
        EXPECT_EQ(l.InicioLinea(n), inicios[n]);
        EXPECT_EQ(l.FinContenido(n), fines[n]);
        EXPECT_EQ(l.LineaDe(inicios[n]), n);
        EXPECT_EQ(l.LineaDe(fines[n]), n);
    }
    EXPECT_EQ(l.FinLinea(0), 5u);
    EXPECT_EQ(l.FinLinea(4), 22u);

    // Copied, line breaks are '\n'.
    v.Seleccionar(2, 11);
    EXPECT_EQ(Copiado(v), "o\ndos\ntr");
}

TEST(VistaLineas, CaracteresEnteros) {
    // A byte-order mark, a, é, €, LF, an emoji.
    Vista v;
    v.Cargar("\xEF\xBB\xBF"
             "a\xC3\xA9\xE2\x82\xAC\n\xF0\x9F\x98\x80",
             {}, true);
    const modelo::Lineas& l = v.Texto();
    EXPECT_EQ(l.MarcaOrden(), 3u);
    // The caret starts after the mark.
    EXPECT_EQ(v.InicioSeleccion(), 3u);
    struct Caso {
        std::size_t inicio, fin, esperadoInicio, esperadoFin;
    };
    const Caso casos[] = {{0, 0, 3, 3}, {1, 2, 3, 3},     {5, 7, 4, 9},
                          {4, 6, 4, 6}, {11, 99, 10, 14}, {12, 3, 3, 3}};
    for (const Caso& c : casos) {
        v.Seleccionar(c.inicio, c.fin);
        EXPECT_EQ(v.InicioSeleccion(), c.esperadoInicio) << c.inicio << "-" << c.fin;
        EXPECT_EQ(v.FinSeleccion(), c.esperadoFin) << c.inicio << "-" << c.fin;
    }
    v.Seleccionar(0, 14);
    EXPECT_EQ(Copiado(v), "a<233><8364>\n<128512>");

    // Found only as whole characters, never in the mark nor a line break.
    EXPECT_EQ(l.Buscar("\xC3\xA9"), 4u);
    EXPECT_EQ(l.Buscar("\xA9"), npos);
    EXPECT_EQ(l.Buscar("\xEF\xBB\xBF"), npos);
    EXPECT_EQ(l.Buscar("\n"), npos);
    EXPECT_EQ(l.Buscar("a", 4), npos);
    Vista ansi;
    ansi.Cargar("ab\nxZ", {}, false);
    EXPECT_EQ(ansi.Texto().Buscar("Z"), 4u);
    EXPECT_EQ(ansi.Texto().Buscar("#"), npos);
    EXPECT_EQ(ansi.Texto().Buscar("\n"), npos);
    ansi.Seleccionar(1, 99);
    EXPECT_EQ(ansi.FinSeleccion(), 5u);
}

TEST(VistaLineas, LineaTraidaALaVista) {
    // Ten lines in sight from line 100: a line among them leaves them
    // there; another goes to the middle.
    struct Caso {
        std::size_t linea, primera;
    };
    const Caso casos[] = {{100, 100}, {109, 100}, {110, 105}, {99, 94}, {3, 0}, {5, 0}, {6, 1}};
    for (const Caso& c : casos) {
        EXPECT_EQ(modelo::PrimeraConLinea(c.linea, 100, 10), c.primera) << c.linea;
    }
}

TEST(VistaLineas, ClicYArrastre) {
    Vista v;
    v.Cargar("0123456789", {}, false);
    v.Pulsar(5, false);
    EXPECT_EQ(v.InicioSeleccion(), 5u);
    EXPECT_EQ(v.FinSeleccion(), 5u);
    v.Arrastrar(2);
    EXPECT_EQ(v.InicioSeleccion(), 2u);
    EXPECT_EQ(v.FinSeleccion(), 5u);
    v.Pulsar(8, true); // with Shift: from the anchor
    EXPECT_EQ(v.InicioSeleccion(), 5u);
    EXPECT_EQ(v.FinSeleccion(), 8u);
    // The chosen occurrence is forgotten once.
    v.MarcarActual(3, 1);
    EXPECT_TRUE(v.OlvidarActual());
    EXPECT_EQ(v.Actual(), npos);
    EXPECT_FALSE(v.OlvidarActual());
}

TEST(VistaLineas, MarcasYTrazosDeUnaLinea) {
    // '|' at 1, 6, 10 and 13; a lone LF at 8, line 1's break.
    const Documento d = Abrir("a|b\r\nc|d\ne|\r\n|", Codificacion::Windows1252);
    Vista v;
    v.Cargar(d.texto, {}, false);
    v.MarcarOcurrencias(Ocurrencias(d, "|"));
    std::vector<std::size_t> enVista;
    for (const Ocurrencia& o : v.MarcasEnVista(1, 3)) {
        enVista.push_back(o.posicion);
    }
    EXPECT_EQ(enVista, (std::vector<std::size_t>{6, 10}));

    v.MarcarActual(8, 1); // the line break chosen
    v.Seleccionar(6, 12);
    const modelo::Renglon r = v.RenglonDe(1, 1, 3);
    EXPECT_EQ(r.desde, 5u);
    EXPECT_EQ(r.hasta, 8u);
    const std::vector<Trazo> esperados = {
        {Clase::Fondo, TipoMarca::Ocurrencia, Zona{6, 7, false, false}},
        {Clase::Texto, TipoMarca::Ocurrencia, Zona{}},
        {Clase::Resaltado, TipoMarca::Ocurrencia, Zona{8, 8, false, true}},
        {Clase::Resaltado, TipoMarca::Ocurrencia, Zona{6, 8, false, true}},
    };
    EXPECT_EQ(v.Trazos(r, 1, 3), esperados);
    // The last line has no break to mark.
    v.Seleccionar(12, 14);
    const std::vector<Trazo> ultima = {
        {Clase::Fondo, TipoMarca::Ocurrencia, Zona{13, 14, false, false}},
        {Clase::Texto, TipoMarca::Ocurrencia, Zona{}},
        {Clase::Resaltado, TipoMarca::Ocurrencia, Zona{13, 14, false, false}},
    };
    EXPECT_EQ(v.Trazos(v.RenglonDe(3, 1, 4), 1, 4), ultima);
}

TEST(VistaLineas, MarcasEnElTextoCorregido) {
    const Documento d = Abrir("a|b\r\nc|d\ne|\r\n|", Codificacion::Windows1252);
    Vista v;
    v.Cargar(d.texto, {}, false);
    v.MarcarOcurrencias(Ocurrencias(d, "|"));
    struct Caso {
        Fila fila;
        std::string linea;
        Zona cambio;
        TipoMarca tipo;
        Zona ocurrencia;
    };
    // Replaced by two characters, without an answer, deleted.
    const Caso casos[] = {
        {Fila{"|", "//"}, "c//d", Zona{7, 9, false, false}, TipoMarca::Cambio, Zona{7, 9}},
        {Fila{"|", ""}, "c|d", Zona{6, 7, false, false}, TipoMarca::Falta, Zona{6, 7}},
        {Fila{"|", "", true}, "cd", Zona{5, 5, true, false}, TipoMarca::Cambio,
         Zona{5, 5, true, false}},
    };
    for (const Caso& c : casos) {
        const VistaPrevia previa(d, {c.fila, Fila{"\n", ""}});
        v.MostrarPrevia(&previa);
        const modelo::Renglon r = v.RenglonDe(1, 0, 4);
        EXPECT_EQ(std::string(r.tira.datos.substr(r.desde, r.hasta - r.desde)), c.linea);
        std::vector<Trazo> esperados = {
            {Clase::Fondo, c.tipo, c.cambio},
            // The lone LF, written CR LF: a change at the line's end.
            {Clase::Fondo, TipoMarca::Cambio, Zona{r.hasta, r.hasta, false, true}},
            {Clase::Fondo, TipoMarca::Ocurrencia, c.ocurrencia},
            {Clase::Texto, TipoMarca::Ocurrencia, Zona{}},
        };
        if (c.tipo == TipoMarca::Falta) {
            esperados.push_back({Clase::Subrayado, TipoMarca::Falta, c.cambio});
        }
        EXPECT_EQ(v.Trazos(r, 0, 4), esperados) << c.linea;
    }
    // Copied, the corrected text.
    const VistaPrevia previa(d, {Fila{"|", "//"}, Fila{"\n", ""}});
    v.MostrarPrevia(&previa);
    v.Seleccionar(0, d.texto.size());
    EXPECT_EQ(Copiado(v), "a//b\nc//d\ne//\n//");
    v.MostrarPrevia(nullptr);
    EXPECT_EQ(Copiado(v), "a|b\nc|d\ne|\n|");
}

TEST(VistaLineas, TramosDelTexto) {
    const auto enCaja = [](char32_t cp) { return cp == 0x200B; };
    const auto propia = [](unsigned char b) { return b == '\t'; };
    // A byte-order mark, "ab", a tab, é, a zero-width space, alef, "c".
    Vista u;
    u.Cargar("\xEF\xBB\xBF"
             "ab\t\xC3\xA9\xE2\x80\x8B\xD7\x90"
             "c",
             {}, true);
    const std::vector<Tramo> esperados = {
        {Tramo::Clase::Glifos, 3, 5, 0},        {Tramo::Clase::Control, 5, 6, 0},
        {Tramo::Clase::Glifos, 6, 8, 0},        {Tramo::Clase::Codigo, 8, 11, 0x200B},
        {Tramo::Clase::Suelto, 11, 13, 0x05D0}, {Tramo::Clase::Glifos, 13, 14, 0},
    };
    EXPECT_EQ(u.Tramos(u.Texto().Copia(), 0, 14, enCaja, propia), esperados);
    Vista ansi;
    ansi.Cargar("a\tb\xE9", {}, false);
    const std::vector<Tramo> bytes = {{Tramo::Clase::Glifos, 0, 1, 0},
                                      {Tramo::Clase::Control, 1, 2, 0},
                                      {Tramo::Clase::Glifos, 2, 4, 0}};
    EXPECT_EQ(ansi.Tramos(ansi.Texto().Copia(), 0, 4, enCaja, propia), bytes);
}

TEST(VistaLineas, MedidasYClics) {
    // Every character 10 wide but W, 20; the byte-order mark nothing.
    const auto paso = [](const modelo::Tira& t, std::size_t i, double& a) {
        char32_t cp = 0;
        const bool ascii = i >= t.marcaOrden && static_cast<unsigned char>(t.datos[i]) < 0x80;
        const std::size_t n = ascii ? 1 : modelo::Lineas::Descifrar(t, i, cp);
        a = i < t.marcaOrden ? 0.0 : t.datos[i] == 'W' ? 20.0 : 10.0;
        return i + n;
    };
    Vista v;
    v.Cargar("abWcd\nx", {}, false);
    const modelo::Renglon r = v.RenglonDe(0, 0, 2);
    EXPECT_EQ(modelo::Ancho(r.tira, 0, 5, paso), 60.0);
    // In a window 30 wide from 25: W (20 to 40) to the end.
    const modelo::Visible enVista = modelo::EnPantalla(r, 25, 30, paso);
    EXPECT_EQ(enVista.primero, 2u);
    EXPECT_EQ(enVista.ultimo, 5u);
    EXPECT_EQ(enVista.x0, 20.0);
    EXPECT_EQ(modelo::EnPantalla(r, 0, 15, paso).ultimo, 2u);
    // A click goes before the character whose middle is past it.
    const std::pair<double, std::size_t> clics[] = {{-3, 0}, {4, 0},  {5, 1},  {14, 1},
                                                    {15, 2}, {29, 2}, {30, 3}, {100, 5}};
    for (const auto& [x, posicion] : clics) {
        EXPECT_EQ(modelo::PosicionEn(r, x, paso), posicion) << x;
    }
    // Where a character stands, and the line's end.
    EXPECT_EQ(modelo::LugarDe(r, 2, paso).x, 20.0);
    EXPECT_EQ(modelo::LugarDe(r, 2, paso).ancho, 20.0);
    EXPECT_EQ(modelo::LugarDe(r, 5, paso).x, 60.0);
    EXPECT_EQ(modelo::LugarDe(r, 5, paso).ancho, 0.0);
    // Brought into sight across a window 30 wide: only when not all of it
    // is, then with a third of the window before it.
    EXPECT_FALSE(modelo::FueraDeVista({20, 20}, 10, 30));
    EXPECT_TRUE(modelo::FueraDeVista({20, 20}, 21, 30));
    EXPECT_TRUE(modelo::FueraDeVista({20, 20}, 0, 30));
    EXPECT_EQ(modelo::IzquierdaCon({20, 20}, 30), 10.0);

    // Never inside the byte-order mark, nor inside a character.
    Vista u;
    u.Cargar("\xEF\xBB\xBF\xC3\xA9W", {}, true);
    const modelo::Renglon ru = u.RenglonDe(0, 0, 1);
    EXPECT_EQ(modelo::PosicionEn(ru, 0, paso), 3u);
    EXPECT_EQ(modelo::PosicionEn(ru, 6, paso), 5u);
    EXPECT_EQ(modelo::Ancho(ru.tira, 0, 6, paso), 30.0);
}

TEST(VistaLineas, DondeSeDibujaUnaZona) {
    // Every character 10 wide but W, 20.
    const auto paso = [](const modelo::Tira& t, std::size_t i, double& a) {
        a = t.datos[i] == 'W' ? 20.0 : 10.0;
        return i + 1;
    };
    Vista v;
    v.Cargar("abWcd\nx", {}, false);
    const modelo::Renglon r = v.RenglonDe(0, 0, 2);
    // In a window 30 wide from 25: W (20 to 40) to the end in sight.
    const modelo::Visible enVista = modelo::EnPantalla(r, 25, 30, paso);
    const auto extension = [&](modelo::Zona zona) {
        const modelo::Extension e = modelo::ExtensionDe(r, enVista, zona, 25, 30, 7, paso);
        return std::pair{e.desde, e.hasta};
    };
    EXPECT_EQ(extension({2, 3}), (std::pair{20.0, 40.0}));
    // An end off the left edge stands just left of it, one off the right
    // edge just right of it.
    EXPECT_EQ(extension({0, 3}), (std::pair{24.0, 40.0}));
    EXPECT_EQ(extension({3, 6}), (std::pair{40.0, 56.0}));
    // A deleted character is a bar 2 wide; a line break a blank past the
    // line.
    EXPECT_EQ(extension({3, 3, true, false}), (std::pair{39.0, 41.0}));
    EXPECT_EQ(extension({4, 5, false, true}), (std::pair{50.0, 67.0}));
}

TEST(VistaLineas, ColoresDeLasMarcas) {
    // Tints of a white and of a black background, and the underline of a
    // black and of a white text.
    const modelo::Rgb blanco{255, 255, 255}, negro{0, 0, 0}, azul{0, 0, 200};
    EXPECT_EQ(modelo::ColorMarca(TipoMarca::Ocurrencia, blanco, azul),
              (modelo::Rgb{153, 153, 233}));
    EXPECT_EQ(modelo::ColorMarca(TipoMarca::Cambio, blanco, azul), (modelo::Rgb{192, 227, 199}));
    EXPECT_EQ(modelo::ColorMarca(TipoMarca::Falta, negro, azul), (modelo::Rgb{78, 17, 11}));
    EXPECT_EQ(modelo::ColorSubrayadoFalta(negro), (modelo::Rgb{134, 29, 19}));
    EXPECT_EQ(modelo::ColorSubrayadoFalta(blanco), (modelo::Rgb{236, 131, 121}));
}

TEST(VistaLineas, AnchosMedidosAlVerse) {
    const auto paso = [](const modelo::Tira&, std::size_t i, double& a) {
        a = 10;
        return i + 1;
    };
    Vista v;
    v.Cargar("ab\nabcd\nabc", {}, false);
    // The widest line measured so far, and whether it grew.
    const struct {
        std::size_t desde, hasta;
        bool crece;
        double maximo;
    } medidas[] = {
        {0, 0, false, 0}, {0, 1, true, 20}, {2, 9, true, 30}, {0, 1, false, 30}, {1, 2, true, 40}};
    for (const auto& m : medidas) {
        EXPECT_EQ(v.MedirLineas(m.desde, m.hasta, 0, 3, paso), m.crece) << m.desde;
        EXPECT_EQ(v.AnchoMaximo(), m.maximo) << m.desde;
    }
    v.OlvidarAnchos();
    EXPECT_EQ(v.AnchoMaximo(), 0.0);
    // Lines in sight are measured once, until the text shown changes.
    EXPECT_TRUE(v.PorMedir(0, 3));
    EXPECT_FALSE(v.PorMedir(0, 3));
    EXPECT_TRUE(v.PorMedir(1, 4));
    v.OlvidarEnVista();
    EXPECT_TRUE(v.PorMedir(1, 4));
}
