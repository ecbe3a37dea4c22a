// The conversion window's search and preview, driven as a user would on one
// text in each encoding: the marks of the current row's character on the
// lines in sight, "n / m" along the search, F3 and Shift+F3, and the text
// the preview shows against the file the accept writes.

#include "core/caracteres.h"
#include "core/estado.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "tests/ui/ayudas_ui.h"
#include "ui/conversion/frmconversioncaracteres.h"
#include "ui/conversion/vistatexto.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace tildora;
using tildora::pruebas::Entorno;

namespace {

enum class Forma { Windows1252, Utf8, Utf16LE };

// 300 lines ending in CR LF, but one in a lone LF. '|' (remembered as "/")
// stands on line 1, every 40 lines (twice on some) and on the last; – is
// remembered as "-", € has its proposal (EUR), ^ gets an answer typed in
// the window and ç the delete answer.
QString Texto() {
    QString t;
    for (int i = 0; i < 300; ++i) {
        t += QStringLiteral("linea %1 de texto").arg(i);
        if (i % 40 == 1) {
            t += i % 80 == 1 ? QStringLiteral(" a|b|c") : QStringLiteral(" |x");
        }
        if (i % 7 == 3) {
            t += QStringLiteral(" \u2013 guion \u20ac");
        }
        if (i % 11 == 5) {
            t += QStringLiteral(" ^ca\u00e7a");
        }
        if (i == 299) {
            t += QStringLiteral(" fin|");
        } else {
            t += i == 150 ? QStringLiteral("\n") : QStringLiteral("\r\n");
        }
    }
    return t;
}

QByteArray Codificar(const QString& texto, Forma forma) {
    switch (forma) {
    case Forma::Windows1252: {
        QByteArray r;
        for (const char32_t u : texto.toUcs4()) {
            r += static_cast<char>(*AnsiDeUnicode(u));
        }
        return r;
    }
    case Forma::Utf8:
        return texto.toUtf8();
    case Forma::Utf16LE:
        break;
    }
    QByteArray r("\xFF\xFE");
    for (const QChar c : texto) {
        r += static_cast<char>(c.unicode() & 0xFF);
        r += static_cast<char>(c.unicode() >> 8);
    }
    return r;
}

template <typename T> T* Hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QLatin1String(nombre));
}

// The grid's row of the wrong character `cp`.
int FilaDe(RejillaCaracteres* g, char32_t cp) {
    for (int fila = 1; fila < g->Rows(); ++fila) {
        if (g->TextMatrix(fila, 0) == ClaveDeCaracter(cp)) {
            return fila;
        }
    }
    return -1;
}

// Where `bytes` begins in the working copy's bytes [desde, hasta).
std::vector<std::size_t> Posiciones(std::string_view texto, std::string_view bytes,
                                    std::size_t desde, std::size_t hasta) {
    std::vector<std::size_t> r;
    for (std::size_t p = texto.find(bytes, desde); p != std::string_view::npos && p < hasta;
         p = texto.find(bytes, p + 1)) {
        r.push_back(p);
    }
    return r;
}

// The lines in sight, [first, second).
std::pair<std::size_t, std::size_t> LineasEnVista(const VistaTexto& vista) {
    const std::size_t primera = vista.PrimeraLineaVisible();
    return {primera,
            std::min(vista.Modelo().Texto().NumeroLineas(), primera + vista.LineasEnVista())};
}

// The occurrences the view marks on the lines in sight, and those that
// stand there.
std::vector<std::size_t> Marcadas(const VistaTexto& vista) {
    const auto [primera, ultima] = LineasEnVista(vista);
    std::vector<std::size_t> r;
    for (const Ocurrencia& o : vista.Modelo().MarcasEnVista(primera, ultima)) {
        r.push_back(o.posicion);
    }
    return r;
}
std::vector<std::size_t> EnVista(const VistaTexto& vista, std::string_view bytes) {
    const std::size_t primera = vista.PrimeraLineaVisible();
    const std::size_t ultima =
        std::min(vista.Modelo().Texto().NumeroLineas(), primera + vista.LineasEnVista());
    const std::size_t hasta = ultima < vista.Modelo().Texto().NumeroLineas()
                                  ? vista.Modelo().Texto().InicioLinea(ultima)
                                  : vista.Modelo().Texto().Texto().size();
    return Posiciones(vista.Modelo().Texto().Texto(), bytes,
                      vista.Modelo().Texto().InicioLinea(primera), hasta);
}

// What line `linea` shows, its line break included, in the working copy's
// form: in the preview, that line of the text the accept writes.
std::string BytesDeLinea(const VistaTexto& vista, std::size_t linea) {
    const modelo::Lineas& texto = vista.Modelo().Texto();
    const std::size_t inicio = texto.InicioLinea(linea);
    const std::size_t siguiente = texto.FinLinea(linea);
    const auto [primera, ultima] = LineasEnVista(vista);
    const modelo::Renglon r = vista.Modelo().RenglonDe(linea, primera, ultima);
    if (!r.pieza) {
        return std::string(texto.Texto().substr(inicio, siguiente - inicio));
    }
    const std::size_t a = r.pieza->EnPrevia(inicio);
    return r.pieza->texto.substr(a, r.pieza->EnPrevia(siguiente) - a);
}

// The whole text the view shows, line after line, each read while in sight.
std::string Mostrado(VistaTexto& vista) {
    std::string r;
    for (std::size_t linea = 0; linea < vista.Modelo().Texto().NumeroLineas(); ++linea) {
        if (linea >= vista.PrimeraLineaVisible() + vista.LineasEnVista()) {
            vista.verticalScrollBar()->setValue(static_cast<int>(linea));
        }
        r += BytesDeLinea(vista, linea);
    }
    return r;
}

// Scans the text in that form and opens the conversion window on it, the
// way the first window hands over.
FrmConversionCaracteres* Abrir(Entorno& e, Forma forma) {
    return pruebas::AbrirConversion(e, Codificar(Texto(), forma), "[lista]\r\n\x96=-\r\n|=/\r\n");
}

// The occurrence `cual` (from 0) of `todas` is the one chosen: selected, in
// sight, and counted "cual + 1 / m".
void ComprobarElegida(FrmConversionCaracteres* v, const std::vector<std::size_t>& todas,
                      std::size_t cual) {
    const VistaTexto& vista = *v->Vista();
    QCOMPARE(vista.InicioSeleccion(), todas[cual]);
    QCOMPARE(vista.FinSeleccion(), todas[cual] + 1);
    QVERIFY(vista.viewport()->rect().contains(vista.RectanguloDe(todas[cual])));
    QCOMPARE(Hijo<QLabel>(v, "LblOcurrencias")->text(),
             QStringLiteral("%1 / %2").arg(cual + 1).arg(todas.size()));
}

// From the search button, F3 and Shift+F3 one way and the other, round the
// ends; then from a click in the text, counted from the start.
void Recorrer(FrmConversionCaracteres* v, const std::vector<std::size_t>& todas) {
    struct Paso {
        Qt::Key tecla;
        Qt::KeyboardModifiers mods;
        std::size_t cual;
    };
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    const std::size_t ultima = todas.size() - 1;
    const Paso pasos[] = {{Qt::Key_unknown, {}, 0},
                          {Qt::Key_F3, {}, 1},
                          {Qt::Key_F3, {}, 2},
                          {Qt::Key_F3, Qt::ShiftModifier, 1},
                          {Qt::Key_F3, Qt::ShiftModifier, 0},
                          {Qt::Key_F3, Qt::ShiftModifier, ultima},
                          {Qt::Key_F3, {}, 0}};
    for (const Paso& p : pasos) {
        if (p.tecla != Qt::Key_unknown) {
            QTest::keyClick(v->Rejilla(), p.tecla, p.mods);
        }
        ComprobarElegida(v, todas, p.cual);
    }
    VistaTexto& vista = *v->Vista();
    const std::size_t medio = todas.size() / 2;
    vista.MostrarPosicion(todas[medio] - 3);
    const QRect sitio = vista.RectanguloDe(todas[medio] - 3);
    QTest::mouseClick(vista.viewport(), Qt::LeftButton, {},
                      QPoint(sitio.left() + 1, sitio.center().y()));
    QCOMPARE(vista.InicioSeleccion(), todas[medio] - 3);
    QTest::keyClick(v->Rejilla(), Qt::Key_F3);
    ComprobarElegida(v, todas, medio);
}

} // namespace

class PruebaBusqueda : public QObject {
    Q_OBJECT

private slots:
    void marcasCuentaYPrevia_data();
    void marcasCuentaYPrevia();
    void clicTrasElegir();
};

void PruebaBusqueda::marcasCuentaYPrevia_data() {
    QTest::addColumn<int>("forma");
    QTest::newRow("windows-1252") << static_cast<int>(Forma::Windows1252);
    QTest::newRow("utf-8") << static_cast<int>(Forma::Utf8);
    QTest::newRow("utf-16") << static_cast<int>(Forma::Utf16LE);
}

void PruebaBusqueda::marcasCuentaYPrevia() {
    QFETCH(int, forma);
    Entorno e;
    FrmConversionCaracteres* v = Abrir(e, static_cast<Forma>(forma));
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    VistaTexto& vista = *v->Vista();
    QLabel* cuenta = Hijo<QLabel>(v, "LblOcurrencias");
    QVERIFY(cuenta);
    const std::string_view texto = vista.Modelo().Texto().Texto();
    const int barra = FilaDe(g, U'|');
    const int circunflejo = FilaDe(g, U'^');
    QVERIFY(barra > 0 && circunflejo > 0);

    // The row's character marked on the lines in sight, and only there;
    // "? / m" until the search chooses one.
    const std::vector<std::size_t> todas = Posiciones(texto, "|", 0, texto.size());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RectanguloEnVista(barra, 0).center());
    QCOMPARE(cuenta->text(), QStringLiteral("? / %1").arg(todas.size()));
    // At the top, with line 41 the last in sight and the first past it, in
    // the middle, at the end.
    const int n = static_cast<int>(vista.LineasEnVista());
    int conMarcas = 0;
    for (const int arriba : {0, 41 - n + 1, 41 - n, 150, vista.verticalScrollBar()->maximum()}) {
        vista.verticalScrollBar()->setValue(arriba);
        QCOMPARE(Marcadas(vista), EnVista(vista, "|"));
        conMarcas += EnVista(vista, "|").empty() ? 0 : 1;
    }
    QCOMPARE(conMarcas, 3);
    QVERIFY(Marcadas(vista).size() < todas.size());

    Recorrer(v, todas);
    if (QTest::currentTestFailed()) {
        return;
    }

    // Another row: its marks, none of the row before.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->RectanguloEnVista(circunflejo, 0).center());
    QCOMPARE(cuenta->text().left(2), QStringLiteral("? "));
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    QVERIFY(!EnVista(vista, "^").empty());
    QCOMPARE(Marcadas(vista), EnVista(vista, "^"));

    // F4: the corrected text, said under the view, ^ as its proposal. Its
    // answer taken away, it stands unchanged; typed, the preview shows it
    // at once.
    QLabel* mostrado = Hijo<QLabel>(v, "LblTextoMostrado");
    QTest::keyClick(g, Qt::Key_F4);
    QVERIFY(vista.Modelo().Previa());
    QCOMPARE(mostrado->accessibleName(), TextoQt(textos::TextoCorregido));
    const std::size_t linea = vista.Modelo().Texto().LineaDe(vista.InicioSeleccion());
    QVERIFY(g->Propuesta(circunflejo));
    const std::string conPropuesta = BytesDeLinea(vista, linea);
    QVERIFY(conPropuesta.find('^') == std::string::npos);
    QVERIFY(conPropuesta.find(g->TextMatrix(circunflejo, 1)) != std::string::npos);
    g->SetCeldaActual(circunflejo, 1);
    QTest::keyClick(g, Qt::Key_Backspace);
    QVERIFY(BytesDeLinea(vista, linea).find('^') != std::string::npos);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->RectanguloEnVista(circunflejo, 1).center());
    // F4 in the editor keeps what it holds first, and shows the text as it
    // is; F4 again, the corrected text with the answer typed.
    QTest::keyClicks(v->Editor(), QStringLiteral("+"));
    QTest::keyClick(v->Editor(), Qt::Key_F4);
    QVERIFY(!v->Editor()->isVisible() && !vista.Modelo().Previa());
    QCOMPARE(g->TextMatrix(circunflejo, 1), std::string("+"));
    QTest::keyClick(g, Qt::Key_F4);
    QVERIFY(BytesDeLinea(vista, linea).find('^') == std::string::npos);
    QVERIFY(BytesDeLinea(vista, linea).find('+') != std::string::npos);
    // ç deleted, from the keyboard.
    g->SetCeldaActual(FilaDe(g, U'\u00e7'), 1);
    QTest::keyClick(g, Qt::Key_Delete);
    QVERIFY(g->EsBorrado(FilaDe(g, U'\u00e7')));

    // The search works in the corrected text too, on the same occurrences.
    g->SetCeldaActual(barra, 0);
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    QTest::keyClick(g, Qt::Key_F3);
    ComprobarElegida(v, todas, 1);
    QCOMPARE(Marcadas(vista), EnVista(vista, "|"));

    // What the preview shows is what the accept writes; copied, it is that
    // text (all ASCII by now), line breaks as '\n'.
    const std::string previa = Mostrado(vista);
    vista.Seleccionar(0, texto.size());
    QString copiado = QString::fromLatin1(previa.data(), static_cast<qsizetype>(previa.size()));
    copiado.remove(QStringLiteral("\u00EF\u00BB\u00BF"))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(vista.TextoSeleccionado(), copiado.replace(QLatin1Char('\r'), QLatin1Char('\n')));
    QTest::keyClick(g, Qt::Key_F4);
    QVERIFY(!vista.Modelo().Previa());
    QCOMPARE(mostrado->accessibleName(), TextoQt(textos::TextoOriginal));
    QCOMPARE(Mostrado(vista), std::string(texto));
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdAceptar"), Qt::LeftButton);
    QCOMPARE(pruebas::Textos(e.dialogos).size(), 1);
    QVERIFY(pruebas::Textos(e.dialogos).front().startsWith(TextoQt(textos::CorregidoParte1)));
    const QByteArray salida = pruebas::LeerBytes(e.Ruta(QStringLiteral("salida.txt")));
    const std::string escrito = static_cast<Forma>(forma) == Forma::Utf16LE
                                    ? Utf8DeUtf16(salida.toStdString(), false).value_or("?")
                                    : salida.toStdString();
    QCOMPARE(QByteArray::fromStdString(previa), QByteArray::fromStdString(escrito));
}

void PruebaBusqueda::clicTrasElegir() {
    Entorno e;
    FrmConversionCaracteres* v = Abrir(e, Forma::Windows1252);
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    VistaTexto& vista = *v->Vista();
    QLabel* cuenta = Hijo<QLabel>(v, "LblOcurrencias");
    const int barra = FilaDe(g, U'|');
    const QString total = QString::number(
        Posiciones(vista.Modelo().Texto().Texto(), "|", 0, vista.Modelo().Texto().Texto().size())
            .size());
    g->SetCeldaActual(barra, 0);
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    QTest::keyClick(g, Qt::Key_F3);
    QCOMPARE(cuenta->text(), QStringLiteral("2 / ") + total);
    // A click in the text lets go of the occurrence chosen, and the count
    // says so.
    QTest::mouseClick(vista.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(cuenta->text(), QStringLiteral("? / ") + total);

    // In the preview, an answer given to the current row makes it again
    // where the user is looking: the click that ends the editor lands there.
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    QTest::keyClick(g, Qt::Key_F4);
    QVERIFY(vista.Modelo().Previa());
    const int abajo = vista.verticalScrollBar()->maximum();
    vista.verticalScrollBar()->setValue(abajo);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RectanguloEnVista(barra, 1).center());
    QVERIFY(v->Editor()->isVisible());
    v->Editor()->selectAll();
    QTest::keyClicks(v->Editor(), QStringLiteral("+"));
    const QRect sitio =
        vista.RectanguloDe(vista.Modelo().Texto().InicioLinea(static_cast<std::size_t>(abajo)));
    QTest::mouseClick(vista.viewport(), Qt::LeftButton, {},
                      QPoint(sitio.left() + 1, sitio.center().y()));
    QCOMPARE(g->TextMatrix(barra, 1), std::string("+"));
    QCOMPARE(vista.verticalScrollBar()->value(), abajo);
    QCOMPARE(vista.Modelo().Texto().LineaDe(vista.InicioSeleccion()),
             static_cast<std::size_t>(abajo));
}

QTEST_MAIN(PruebaBusqueda)
#include "test_busqueda.moc"
