// The conversion window's model without any window: the rows and their
// answers, the acts on them, the row's menu, what is unsaved, the accept and
// the cancel, with a scan of a real file and dialogs that answer from a
// queue.

#include "core/estado.h"
#include "core/textos.h"
#include "modelos/conversion.h"
#include "modelos/conversion_teclas.h"
#include "modelos/dialogos.h"
#include "modelos/editor.h"
#include "tests/core/ayudas.h"
#include "tests/modelos/dialogos_guionados.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace tildora;
using modelo::Origen;

namespace {

using Guion = pruebas::DialogosGuionadosEstandar;

// The texts of the messages shown, in order.
std::vector<std::string> Textos(const Guion& dialogos) {
    std::vector<std::string> r;
    for (const Guion::Registro& m : dialogos.mensajes) {
        r.push_back(m.texto);
    }
    return r;
}

// The long steps run: their texts, and whether they could be stopped.
std::vector<std::pair<std::string, bool>> Pasos(const Guion& dialogos) {
    std::vector<std::pair<std::string, bool>> r;
    for (const Guion::Paso& p : dialogos.pasos) {
        r.emplace_back(p.texto, p.conCancelar);
    }
    return r;
}

class Callado : public Avisador {
public:
    void Mensaje(const std::string& texto) override { ADD_FAILURE() << texto; }
};

std::string Texto(std::string_view t) {
    return std::string(t);
}

// A text scanned as the first window scans it, with a store, and the model
// of its conversion window loaded.
struct Ventana {
    prueba::CarpetaTemporal carpeta;
    Estado estado;
    Guion dialogos;
    modelo::Conversion modelo{estado, dialogos};

    Ventana(const std::string& texto, const std::string& almacen = {}) {
        estado.FicheroEntrada = carpeta / "entrada.txt";
        estado.FicheroSalida = carpeta / "salida.txt";
        estado.RutaAlmacen = carpeta / "caracteres.ini";
        prueba::Escribir(estado.FicheroEntrada, texto);
        if (!almacen.empty()) {
            prueba::Escribir(estado.RutaAlmacen, almacen);
        }
        Callado callado;
        BuscarErrores(estado, estado.FicheroEntrada, callado);
        modelo.Cargar();
    }
    std::string Salida() const { return prueba::Leer(estado.FicheroSalida); }
    std::string Almacen() const { return prueba::Leer(estado.RutaAlmacen); }
    // Accepts; gives whether it was written, and the row made current.
    std::pair<bool, int> Aceptar() {
        int actual = -1;
        const bool escrita =
            modelo.Aceptar([&actual](std::size_t f) { actual = static_cast<int>(f); }, [] {});
        return {escrita, actual};
    }
};

struct FilaVista {
    std::string clave;
    std::string texto;
    bool borrar;
    Origen origen;
};

void Comprobar(const modelo::Conversion& m, const std::vector<FilaVista>& filas) {
    ASSERT_EQ(m.NumFilas(), filas.size());
    for (std::size_t i = 0; i < filas.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m.Clave(i), filas[i].clave);
        EXPECT_EQ(m.Texto(i), filas[i].texto);
        EXPECT_EQ(m.EsBorrado(i), filas[i].borrar);
        EXPECT_EQ(m.OrigenDe(i), filas[i].origen);
        EXPECT_EQ(m.EsPropuesta(i), filas[i].origen == Origen::Propuesta);
        EXPECT_EQ(m.EsFija(i), filas[i].origen == Origen::Salto);
        // The rows the core takes are the same ones.
        EXPECT_EQ(m.Filas()[i].sustituto, filas[i].texto);
        EXPECT_EQ(m.Filas()[i].borrar, filas[i].borrar);
    }
}

// ç remembered, € remembered as the delete answer, ^ and | proposed, a lone
// LF with its fixed CR LF (the accented letter makes it a Windows-1252
// text).
const char kTexto[] = "\xe7^\x80|\n\xe1";
const char kAlmacen[] = "[lista]\r\n\xe7=c\r\n\x80=\"\"\r\n\\x0A=x\r\n";

TEST(ModeloConversion, LasFilasEmpiezanConLoRecordadoSuPropuestaOElSalto) {
    Ventana v(kTexto, kAlmacen);
    Comprobar(v.modelo, {{"\xe7", "c", false, Origen::Recordada},
                         {"^", "**", false, Origen::Propuesta},
                         {"\x80", "", true, Origen::Recordada},
                         {"|", "/", false, Origen::Propuesta},
                         {"\n", "\r\n", false, Origen::Salto}});
    EXPECT_FALSE(v.modelo.Unicode());
    EXPECT_EQ(v.modelo.Titulo(), Texto(textos::TituloConversion));
    EXPECT_FALSE(v.modelo.HaySinGuardar());
    EXPECT_TRUE(v.dialogos.mensajes.empty());
}

TEST(ModeloConversion, UnAlmacenIlegibleSeDiceYLasFilasTraenSusPropuestas) {
    Ventana v("a^b", "");
    std::filesystem::create_directory(prueba::Camino(v.estado.RutaAlmacen));
    v.modelo.Cargar();
    ASSERT_EQ(v.dialogos.mensajes.size(), 1u);
    EXPECT_EQ(v.dialogos.mensajes[0].texto.rfind(Texto(textos::AlmacenIlegible), 0), 0u);
    Comprobar(v.modelo, {{"^", "**", false, Origen::Propuesta}});
    // With nothing listed there is nothing to say.
    Ventana limpio("abc", "");
    std::filesystem::create_directory(prueba::Camino(limpio.estado.RutaAlmacen));
    limpio.modelo.Cargar();
    EXPECT_TRUE(limpio.dialogos.mensajes.empty());
    EXPECT_EQ(limpio.modelo.NumFilas(), 0u);
}

TEST(ModeloConversion, CadaActoDejaSuRespuestaYLaFijaNoCambia) {
    struct Caso {
        const char* que;
        std::size_t fila;
        std::function<bool(modelo::Conversion&, std::size_t)> acto;
        bool cambia;
        FilaVista queda;
    };
    using C = modelo::Conversion;
    const auto borrar = [](C& m, std::size_t f) { return m.DarBorrado(f); };
    const auto quitar = [](C& m, std::size_t f) { return m.QuitarRespuesta(f); };
    const auto proponer = [](C& m, std::size_t f) { return m.TomarPropuesta(f); };
    const auto escribir = [](const char* b) {
        return [b](C& m, std::size_t f) { return m.Escribir(f, b); };
    };
    const Caso casos[] = {
        {"delete over a proposal", 1, borrar, true, {"^", "", true, Origen::Dada}},
        {"delete over a remembered delete", 2, borrar, true, {"\x80", "", true, Origen::Dada}},
        {"none", 0, quitar, true, {"\xe7", "", false, Origen::Ninguna}},
        {"typed", 1, escribir("v"), true, {"^", "v", false, Origen::Dada}},
        {"typed empty", 3, escribir(""), true, {"|", "", false, Origen::Ninguna}},
        {"the proposal again", 1, proponer, false, {"^", "**", false, Origen::Propuesta}},
        {"ç's proposal", 0, proponer, true, {"\xe7", "c", false, Origen::Propuesta}},
        {"the line break's delete", 4, borrar, false, {"\n", "\r\n", false, Origen::Salto}},
        {"the line break typed", 4, escribir("x"), false, {"\n", "\r\n", false, Origen::Salto}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Ventana v(kTexto, kAlmacen);
        EXPECT_EQ(c.acto(v.modelo, c.fila), c.cambia);
        EXPECT_EQ(v.modelo.Clave(c.fila), c.queda.clave);
        EXPECT_EQ(v.modelo.Texto(c.fila), c.queda.texto);
        EXPECT_EQ(v.modelo.EsBorrado(c.fila), c.queda.borrar);
        EXPECT_EQ(v.modelo.OrigenDe(c.fila), c.queda.origen);
    }
}

TEST(ModeloConversion, ElMenuDeUnaFila) {
    Ventana v(kTexto, kAlmacen);
    modelo::Conversion& m = v.modelo;
    // The line break has none.
    EXPECT_FALSE(m.Menu(4));
    // ç: remembered, and its proposal can be taken instead.
    auto menu = *m.Menu(0);
    EXPECT_TRUE(menu.borrar && menu.sinSustituto && menu.hayPropuesta && menu.propuesta);
    EXPECT_EQ(menu.textoPropuesta, "c");
    // ^: its proposal, which is already the answer.
    menu = *m.Menu(1);
    EXPECT_TRUE(menu.borrar && menu.sinSustituto && menu.hayPropuesta && !menu.propuesta);
    EXPECT_EQ(menu.textoPropuesta, "**");
    // €: the delete answer cannot be given again; with no answer, nothing
    // can be taken away.
    menu = *m.Menu(2);
    EXPECT_TRUE(!menu.borrar && menu.sinSustituto);
    m.QuitarRespuesta(2);
    menu = *m.Menu(2);
    EXPECT_TRUE(menu.borrar && !menu.sinSustituto);
    // Another answer: the proposal can be taken back.
    m.Escribir(1, "v");
    menu = *m.Menu(1);
    EXPECT_TRUE(menu.hayPropuesta && menu.propuesta);
}

TEST(ModeloConversion, UnaPropuestaDeBorrarSeLeeComoSuMarcaYSePuedeHacerDelUsuario) {
    // The zero-width space's proposal is the delete answer; 中 has none.
    Ventana v("a\xe2\x80\x8b"
              "b\xe4\xb8\xad");
    EXPECT_TRUE(v.modelo.Unicode());
    EXPECT_EQ(v.modelo.Titulo(),
              Texto(textos::TituloConversion) + Texto(textos::SeparadorCodificacion) + "UTF-8");
    Comprobar(v.modelo,
              {{"U+200B", "", true, Origen::Propuesta}, {"U+4E2D", "", false, Origen::Ninguna}});
    auto menu = *v.modelo.Menu(0);
    EXPECT_TRUE(menu.borrar && menu.sinSustituto && menu.hayPropuesta && !menu.propuesta);
    EXPECT_EQ(menu.textoPropuesta, "\u2326 ezabatu / borrar");
    EXPECT_FALSE(v.modelo.Menu(1)->hayPropuesta);
    EXPECT_FALSE(v.modelo.TomarPropuesta(1));
    EXPECT_EQ(modelo::Nombrado("U+4E2D", true), "\u4e2d (U+4E2D)");
    EXPECT_EQ(modelo::Nombrado("|", false), "| (124 \u00b7 0x7C)");
}

TEST(ModeloConversion, SinGuardarEsUnaRespuestaDadaQueElAlmacenNoTiene) {
    Ventana v(kTexto, kAlmacen);
    modelo::Conversion& m = v.modelo;
    // Taken away, an answer loses nothing; given back as it was, neither.
    m.QuitarRespuesta(0);
    EXPECT_FALSE(m.HaySinGuardar());
    m.Escribir(0, "c");
    EXPECT_FALSE(m.HaySinGuardar());
    m.Escribir(3, "!");
    EXPECT_TRUE(m.HaySinGuardar());
    // Cancel asks; the user stays.
    v.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
    EXPECT_FALSE(m.Cancelar());
    EXPECT_EQ(Textos(v.dialogos), std::vector<std::string>{Texto(textos::SalirSinGuardar)});
    // Or leaves, with empty names.
    const auto vuelta = m.Cancelar();
    ASSERT_TRUE(vuelta);
    EXPECT_EQ(vuelta->entrada, "");
    EXPECT_EQ(vuelta->salida, "");
    EXPECT_EQ(v.dialogos.mensajes.size(), 2u);
}

TEST(ModeloConversion, AceptarNombraLasFilasSinRespuestaYLuegoEscribe) {
    Ventana v(kTexto, kAlmacen);
    modelo::Conversion& m = v.modelo;
    m.QuitarRespuesta(3);
    m.QuitarRespuesta(0);
    EXPECT_EQ(v.Aceptar(), std::make_pair(false, 0));
    EXPECT_EQ(Textos(v.dialogos),
              std::vector<std::string>{Texto(textos::FaltanSoluciones) +
                                       "\n\xc3\xa7 (231 \u00b7 0xE7)" + "\n| (124 \u00b7 0x7C)"});
    EXPECT_EQ(v.Almacen(), kAlmacen);
    EXPECT_FALSE(std::filesystem::exists(prueba::Camino(v.estado.FicheroSalida)));

    // Completed: every row remembered (the line break's not), the proposal
    // a remembered answer now, the text written, the count said.
    v.dialogos.mensajes.clear();
    m.Escribir(0, "c");
    m.Escribir(3, " ");
    // The rows the accept hands over: the blank as typed.
    ASSERT_EQ(m.Filas().size(), 5u);
    EXPECT_EQ(m.Filas()[3].sustituto, " ");
    bool recordadas = false;
    EXPECT_TRUE(m.Aceptar([](std::size_t) { ADD_FAILURE(); }, [&] { recordadas = true; }));
    EXPECT_TRUE(recordadas);
    EXPECT_EQ(v.Salida(), "c** \r\n\xe1");
    EXPECT_EQ(v.Almacen(), "[lista]\r\n\xe7=c\r\n\x80=\"\"\r\n\\x0A=x\r\n^=**\r\n|=\" \"\r\n");
    EXPECT_EQ(Textos(v.dialogos), std::vector<std::string>{textos::MensajeCorregido(5)});
    EXPECT_EQ(m.OrigenDe(1), Origen::Recordada);
    EXPECT_FALSE(m.HaySinGuardar());
    // Both accepts ran as a long step (the first one stopped at once).
    const std::pair<std::string, bool> paso(textos::ProgresoCorreccion, true);
    EXPECT_EQ(Pasos(v.dialogos), (std::vector<std::pair<std::string, bool>>{paso, paso}));
}

TEST(ModeloConversion, UnSustitutoQueNoLimpiaSeNombraYNadaSeGuarda) {
    Ventana v("^|", "[lista]\r\n|=^^\r\n");
    v.modelo.Escribir(0, "-");
    EXPECT_EQ(v.Aceptar(), std::make_pair(false, -1));
    EXPECT_EQ(Textos(v.dialogos),
              std::vector<std::string>{Texto(textos::SustitutosNoLimpios) + "\n| \u2192 ^^"});
    EXPECT_EQ(v.Almacen(), "[lista]\r\n|=^^\r\n");
}

TEST(ModeloConversion, UnaSalidaAparecidaSePreguntaYUnaQueFallaDejaLaVentana) {
    Ventana v("a^b");
    prueba::Escribir(v.estado.FicheroSalida, "vieja");
    // Not to be replaced: the row is remembered all the same.
    v.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
    EXPECT_EQ(v.Aceptar(), std::make_pair(false, -1));
    EXPECT_EQ(Textos(v.dialogos), std::vector<std::string>{Texto(textos::M3SobreEscribir)});
    EXPECT_EQ(v.dialogos.mensajes[0].porDefecto, modelo::Dialogos::Respuesta::Cancelar);
    EXPECT_EQ(v.Salida(), "vieja");
    EXPECT_EQ(v.Almacen(), "[lista]\r\n^=**\r\n");
    // Replaced.
    v.dialogos.mensajes.clear();
    EXPECT_EQ(v.Aceptar(), std::make_pair(true, -1));
    EXPECT_EQ(v.Salida(), "a**b");
    EXPECT_EQ(Textos(v.dialogos), (std::vector<std::string>{Texto(textos::M3SobreEscribir),
                                                            textos::MensajeCorregido(1)}));

    // An output that cannot be written: said, the window stays, and a
    // cancel goes back with both names.
    Ventana w("a^b");
    w.estado.FicheroSalida = w.carpeta / "no/hay/salida.txt";
    EXPECT_EQ(w.Aceptar(), std::make_pair(false, -1));
    ASSERT_EQ(w.dialogos.mensajes.size(), 1u);
    EXPECT_EQ(w.dialogos.mensajes[0].texto.rfind(Texto(textos::SalidaIncorrecta) + "\n", 0), 0u);
    const auto vuelta = w.modelo.Cancelar();
    ASSERT_TRUE(vuelta);
    EXPECT_EQ(vuelta->entrada, w.estado.FicheroEntrada);
    EXPECT_EQ(vuelta->salida, w.estado.FicheroSalida);
}

TEST(ModeloConversion, UnaEntradaCambiadaDesdeQueSeLeyoSeDiceYSePregunta) {
    namespace fs = std::filesystem;
    struct Caso {
        const char* que;
        std::function<void(const std::string&)> tocar;
        std::string_view mensaje;
    };
    const Caso casos[] = {
        {"grown", [](const std::string& r) { prueba::Escribir(r, "a^bc"); },
         textos::EntradaModificada},
        {"the same bytes at another time",
         [](const std::string& r) {
             const fs::path p = prueba::Camino(r);
             fs::last_write_time(p, fs::last_write_time(p) - std::chrono::hours(1));
         },
         textos::EntradaModificada},
        {"gone", [](const std::string& r) { fs::remove(prueba::Camino(r)); },
         textos::EntradaIlegible},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Ventana v("a^b");
        c.tocar(v.estado.FicheroEntrada);
        // Cancel: said and asked, Enter alone not writing; nothing stored or
        // written, the window as it was.
        v.dialogos.respuestas.push_back(modelo::Dialogos::Respuesta::Cancelar);
        EXPECT_EQ(v.Aceptar(), std::make_pair(false, -1));
        ASSERT_EQ(v.dialogos.mensajes.size(), 1u);
        const Guion::Registro pregunta = v.dialogos.mensajes[0];
        EXPECT_EQ(pregunta.texto.rfind(Texto(c.mensaje) + "\n" + v.estado.FicheroEntrada, 0), 0u);
        EXPECT_EQ(pregunta.porDefecto, modelo::Dialogos::Respuesta::Cancelar);
        EXPECT_FALSE(fs::exists(prueba::Camino(v.estado.FicheroSalida)));
        EXPECT_FALSE(fs::exists(prueba::Camino(v.estado.RutaAlmacen)));
        EXPECT_EQ(v.modelo.OrigenDe(0), Origen::Propuesta);
        // OK: the output from the text as it was read.
        v.dialogos.mensajes.clear();
        EXPECT_EQ(v.Aceptar(), std::make_pair(true, -1));
        EXPECT_EQ(v.Salida(), "a**b");
        EXPECT_EQ(Textos(v.dialogos),
                  (std::vector<std::string>{pregunta.texto, textos::MensajeCorregido(1)}));
    }
}

TEST(ModeloConversion, LoQueHaceUnaTeclaEnLaRejilla) {
    using modelo::AccionRejilla;
    using modelo::TeclaRejilla;
    Ventana v(kTexto, kAlmacen);
    struct Caso {
        const char* que;
        std::optional<std::size_t> fila;
        bool enRespuesta;
        modelo::Pulsacion pulsacion;
        AccionRejilla esperada;
    };
    const modelo::Pulsacion letra{TeclaRejilla::Otra, false, false, true};
    const Caso casos[] = {
        {"menu key", 0, false, {TeclaRejilla::Menu}, AccionRejilla::Menu},
        {"Shift+F10", 4, true, {TeclaRejilla::F10, true}, AccionRejilla::Menu},
        {"F10 alone", 0, true, {TeclaRejilla::F10}, AccionRejilla::Dejar},
        {"menu key, no row", std::nullopt, true, {TeclaRejilla::Menu}, AccionRejilla::Dejar},
        {"Delete", 1, true, {TeclaRejilla::Suprimir}, AccionRejilla::Borrado},
        {"Backspace", 1, true, {TeclaRejilla::Retroceso}, AccionRejilla::SinRespuesta},
        {"Delete on the key's cell", 1, false, {TeclaRejilla::Suprimir}, AccionRejilla::Dejar},
        {"Delete with Control",
         1,
         true,
         {TeclaRejilla::Suprimir, false, true},
         AccionRejilla::Dejar},
        {"Delete on the line break", 4, true, {TeclaRejilla::Suprimir}, AccionRejilla::Nada},
        {"F2", 1, true, {TeclaRejilla::F2}, AccionRejilla::Abrir},
        {"Space", 1, true, {TeclaRejilla::Espacio, false, false, true}, AccionRejilla::Abrir},
        {"a letter over a proposal", 1, true, letra, AccionRejilla::AbrirYSustituir},
        {"a letter over a stored answer", 0, true, letra, AccionRejilla::AbrirYSustituir},
        {"a letter on the line break", 4, true, letra, AccionRejilla::Nada},
        {"an arrow", 1, true, {}, AccionRejilla::Dejar},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        EXPECT_EQ(modelo::TeclaEnRejilla(v.modelo, c.fila, c.enRespuesta, c.pulsacion), c.esperada);
    }
}

TEST(ModeloConversion, LoQueHaceUnaTeclaEnLaVentana) {
    using modelo::AccionVentana;
    using modelo::TeclaVentana;
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::Intro, false), AccionVentana::Pulsar);
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::Escape, false), AccionVentana::Cancelar);
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::F3, false), AccionVentana::Siguiente);
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::F3, true), AccionVentana::Anterior);
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::F4, false), AccionVentana::Previa);
    EXPECT_EQ(modelo::TeclaEnVentana(TeclaVentana::Otra, false), AccionVentana::Dejar);
    // Enter presses the button that has the focus, else Accept.
    EXPECT_EQ(modelo::BotonDeIntro("CmdBuscar"), "CmdBuscar");
    EXPECT_EQ(modelo::BotonDeIntro("CmdPrevia"), "CmdPrevia");
    EXPECT_EQ(modelo::BotonDeIntro("CmdCancelar"), "CmdCancelar");
    EXPECT_EQ(modelo::BotonDeIntro("caracteresFG"), "CmdAceptar");
    EXPECT_EQ(modelo::BotonDeIntro(""), "CmdAceptar");
}

TEST(ModeloEditor, LoQueHaceUnaTeclaEnElEditor) {
    using modelo::AccionEditor;
    using modelo::TeclaEditor;
    Ventana v("x^");
    modelo::Editor editor(v.modelo);
    // No row open: Delete is the editor's own.
    EXPECT_EQ(modelo::TeclaEnEditor(editor, TeclaEditor::Suprimir, false), AccionEditor::Dejar);
    editor.Abrir(0);
    ASSERT_TRUE(editor.Propuesta());
    const std::pair<TeclaEditor, AccionEditor> teclas[] = {
        {TeclaEditor::Intro, AccionEditor::Aceptar},  {TeclaEditor::Escape, AccionEditor::Deshacer},
        {TeclaEditor::Arriba, AccionEditor::Subir},   {TeclaEditor::Abajo, AccionEditor::Bajar},
        {TeclaEditor::Suprimir, AccionEditor::Dejar}, {TeclaEditor::Otra, AccionEditor::Dejar}};
    for (const auto& [tecla, esperada] : teclas) {
        EXPECT_EQ(modelo::TeclaEnEditor(editor, tecla, false), esperada);
    }
    // A character typed over the proposal takes the place of all of it.
    EXPECT_EQ(modelo::TeclaEnEditor(editor, TeclaEditor::Otra, true), AccionEditor::Sustituir);
    // Emptied: no proposal any more, and Delete gives the delete answer.
    ASSERT_TRUE(editor.Editado(U"", 0));
    EXPECT_EQ(modelo::TeclaEnEditor(editor, TeclaEditor::Otra, true), AccionEditor::Dejar);
    EXPECT_EQ(modelo::TeclaEnEditor(editor, TeclaEditor::Suprimir, false), AccionEditor::Borrado);
    // A character that leaving would refuse: Enter only closes the editor,
    // the refusal said, and accepts nothing.
    ASSERT_TRUE(editor.Editado(U"^", 1));
    EXPECT_EQ(modelo::TeclaEnEditor(editor, TeclaEditor::Intro, false), AccionEditor::Cerrar);
}

TEST(ModeloEditor, UnaTeclaDejaUnCaracterOSoloQuitaUnTramo) {
    struct Caso {
        const char* antes; // the row's answer, as the editor opens with it
        std::u32string despues;
        bool queda;
    };
    const Caso casos[] = {
        {"ss", U"sst", false}, {"ss", U"st", false},  {"ss", U"s", true},     {"s", U"st", false},
        {"", U"t", true},      {"s", U"t", true},     {"abc", U"a|c", false}, {"abc", U"ac", true},
        {"abc", U"x|", false}, {"abcd", U"ad", true}, {"abcd", U"ac", false}, {"abc", U"", true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.antes);
        Ventana v("x^");
        v.modelo.Escribir(0, c.antes);
        modelo::Editor editor(v.modelo);
        editor.Abrir(0);
        EXPECT_EQ(editor.Cursor(), std::string(c.antes).size());
        EXPECT_EQ(editor.Editado(c.despues, 1), c.queda);
        const std::string antes(c.antes);
        EXPECT_EQ(editor.Texto(), c.queda ? c.despues : std::u32string(antes.begin(), antes.end()));
        EXPECT_EQ(editor.Cursor(), c.queda ? 1u : antes.size());
    }
}

TEST(ModeloEditor, SalirCompruebaYLuegoDejaLaRespuestaEnSuFila) {
    Ventana v("\x80^|", "[lista]\r\n\x80=\"\"\r\n");
    modelo::Conversion& m = v.modelo;
    modelo::Editor editor(m);
    // No row past the last.
    editor.Abrir(3);
    EXPECT_FALSE(editor.Fila());
    EXPECT_FALSE(editor.Salir().cambiada);
    // A proposal opened and left untouched stays one; the delete answer
    // opens empty, with its mark, and stays.
    editor.Abrir(1);
    EXPECT_TRUE(editor.Propuesta());
    EXPECT_EQ(editor.Texto(), U"**");
    EXPECT_FALSE(editor.Salir().cambiada);
    EXPECT_EQ(m.OrigenDe(1), Origen::Propuesta);
    editor.Abrir(0);
    EXPECT_TRUE(editor.MarcaBorrado());
    EXPECT_EQ(editor.Texto(), U"");
    EXPECT_FALSE(editor.Salir().cambiada);
    EXPECT_TRUE(m.EsBorrado(0));
    // Typed over, the proposal is the user's answer; Esc gives the row's
    // answer back.
    editor.Abrir(1);
    EXPECT_TRUE(editor.Editado(U"E", 1));
    EXPECT_FALSE(editor.Propuesta());
    editor.Deshacer();
    EXPECT_EQ(editor.Texto(), U"**");
    EXPECT_FALSE(editor.Salir().cambiada);
    EXPECT_TRUE(editor.Editado(U"\u00f1", 1));
    const auto dada = editor.Salir();
    EXPECT_TRUE(dada.cambiada);
    EXPECT_FALSE(dada.rechazo);
    EXPECT_EQ(m.Texto(1), "\xf1");
    EXPECT_EQ(m.OrigenDe(1), Origen::Dada);
    // A wrong character, and one Windows-1252 cannot hold: refused, named,
    // and the row keeps what it held when the editor opened, where it came
    // from too (a proposal, the stored delete answer); the editor gets it
    // back.
    struct Caso {
        std::size_t fila;
        std::u32string texto;
        std::string nombre;
        FilaVista queda;
        std::u32string editor;
    };
    for (const Caso& c :
         {Caso{2, U"|", "| (124 \u00b7 0x7C)", {"|", "/", false, Origen::Propuesta}, U"/"},
          Caso{0, U"\u03a9", "\u03a9 (U+03A9)", {"\x80", "", true, Origen::Recordada}, U""}}) {
        editor.Abrir(c.fila);
        ASSERT_TRUE(editor.Editado(U"", 0));
        ASSERT_TRUE(editor.Editado(c.texto, 1));
        const auto salida = editor.Salir();
        EXPECT_FALSE(salida.cambiada);
        EXPECT_EQ(salida.rechazo, Texto(textos::CaracterIncorrecto) + "\n" + c.nombre);
        EXPECT_EQ(editor.Texto(), c.editor);
        EXPECT_EQ(editor.Cursor(), c.editor.size());
        EXPECT_EQ(editor.Propuesta(), c.queda.origen == Origen::Propuesta);
        EXPECT_EQ(m.Texto(c.fila), c.queda.texto);
        EXPECT_EQ(m.EsBorrado(c.fila), c.queda.borrar);
        EXPECT_EQ(m.OrigenDe(c.fila), c.queda.origen);
        // Left again as it now is, it passes without a word.
        EXPECT_FALSE(editor.Salir().rechazo);
    }
    // A stored answer that the accept will refuse, left as it was, stays.
    Ventana w("a^", "[lista]\r\n^=|\r\n");
    modelo::Editor otro(w.modelo);
    otro.Abrir(0);
    const auto intacta = otro.Salir();
    EXPECT_FALSE(intacta.cambiada || intacta.rechazo);
    EXPECT_EQ(w.modelo.Texto(0), "|");
    // Once the row's answer is set another way, nothing the editor held
    // comes back over it.
    editor.Abrir(2);
    editor.Editado(U"-", 1);
    editor.Olvidar();
    m.DarBorrado(2);
    EXPECT_FALSE(editor.Salir().cambiada);
    EXPECT_TRUE(m.EsBorrado(2));
}

} // namespace
