// The conversion window, driven as a user would: the grid filled from a
// scan, cells clicked and typed into, the search button, accept and cancel,
// with the scripted dialogs answering and the output and store read back.

#include "core/almacen.h"
#include "core/estado.h"
#include "core/textos.h"
#include "modelos/filas.h"
#include "tests/ui/ayudas_ui.h"
#include "ui/conversion/celdas.h"
#include "ui/conversion/frmconversioncaracteres.h"
#include "ui/conversion/vistatexto.h"
#include "ui/geometria.h"
#include "ui/seleccion/frmelegirficheros.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <random>
#include <utility>

using namespace tildora;
using tildora::pruebas::AbrirConversion;
using tildora::pruebas::Conversion;
using tildora::pruebas::Entorno;

namespace {

QString M(std::string_view texto) {
    return TextoQt(texto);
}

template <typename T> T* Hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QLatin1String(nombre));
}

// The refusal of a typed character, which names it and its code.
QString Rechazo(const QString& caracter) {
    return M(textos::CaracterIncorrecto) + QStringLiteral("\n") + caracter;
}

// The missing-replacement message, which names each row without one.
QString Faltan(const QStringList& filas) {
    QString m = M(textos::FaltanSoluciones);
    for (const QString& f : filas) {
        m += QStringLiteral("\n") + f;
    }
    return m;
}

void Clic(FrmConversionCaracteres* v, int fila, int columna) {
    RejillaCaracteres* g = v->Rejilla();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->RectanguloEnVista(fila, columna).center());
}

// Types any character, as a keyboard layout that has it would.
void Teclear(QWidget* w, const QString& texto) {
    for (const QChar c : texto) {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Clicks a replacement cell and types into the editor.
void Escribir(FrmConversionCaracteres* v, int fila, const QString& texto) {
    Clic(v, fila, 1);
    Teclear(v->Editor(), texto);
}

void Pulsar(QWidget* ventana, const char* boton) {
    QTest::mouseClick(Hijo<QToolButton>(ventana, boton), Qt::LeftButton);
}

std::string B(const char* bytes) {
    return bytes;
}

// Opens the first window, types both names and presses "Zuzendu Corregir";
// gives the first window.
QWidget* Corregir(Entorno& e, const QString& entrada, const QString& salida) {
    e.app.MostrarSeleccion();
    QWidget* primera = e.app.VentanaActual();
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtEntrada"), entrada);
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtSalida"), salida);
    Pulsar(primera, "CmdActualizar");
    pruebas::BorrarPendientes();
    return primera;
}

QByteArray Salida(Entorno& e) {
    return pruebas::LeerBytes(e.Ruta(QStringLiteral("salida.txt")));
}
QByteArray Almacen(Entorno& e) {
    return pruebas::LeerBytes(e.Ruta(QStringLiteral("caracteres.ini")));
}

// Whether the output is clean: a scan of it finds nothing.
bool SalidaLimpia(Entorno& e) {
    const Resultado<Documento> d =
        AbrirDocumento(QFile::encodeName(e.Ruta(QStringLiteral("salida.txt"))).toStdString(), {});
    return d && d->hallazgos.empty();
}

// The row's menu that is open (a closed one may wait for its deletion).
QMenu* MenuAbierto(FrmConversionCaracteres* v) {
    for (QMenu* m : v->findChildren<QMenu*>(QStringLiteral("menuFila"))) {
        if (m->isVisible()) {
            return m;
        }
    }
    return nullptr;
}

// A row's menu as a right-click on the cell opens it: the press makes the
// cell current, then the menu comes; gives the menu, shown.
QMenu* MenuDe(FrmConversionCaracteres* v, int fila, int columna) {
    RejillaCaracteres* g = v->Rejilla();
    const QPoint p = g->RectanguloEnVista(fila, columna).center();
    QTest::mouseClick(g->viewport(), Qt::RightButton, {}, p);
    QContextMenuEvent evento(QContextMenuEvent::Mouse, p, g->viewport()->mapToGlobal(p));
    QApplication::sendEvent(g->viewport(), &evento);
    return MenuAbierto(v);
}

// Picks an entry of an open menu with the mouse, as a user would.
void Elegir(QMenu* menu, const char* accion) {
    QAction* a = menu->findChild<QAction*>(QLatin1String(accion));
    QVERIFY2(a && a->isEnabled(), accion);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    QTRY_VERIFY(!menu->isVisible());
}

// The real message boxes, each answered OK as soon as it shows; the texts
// record how many were shown. A real box takes the focus from the window
// and gives it back, which is what could set the editor's handlers off again.
class DialogosReales : public DialogosQt {
public:
    QStringList textos;
    // Run while the next box is up, before it is answered.
    std::function<void()> conLaCaja;
    Respuesta Mensaje(const std::string& texto, bool conCancelar) override {
        textos.append(TextoQt(texto));
        PulsarOkCuandoSalga(std::exchange(conLaCaja, nullptr));
        return DialogosQt::Mensaje(texto, conCancelar);
    }

private:
    static void PulsarOkCuandoSalga(std::function<void()> antes) {
        QTimer::singleShot(10, [antes] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* caja = qobject_cast<QMessageBox*>(w); caja && caja->isVisible()) {
                    if (antes) {
                        antes();
                    }
                    caja->button(QMessageBox::Ok)->click();
                    return;
                }
            }
            PulsarOkCuandoSalga(antes);
        });
    }
};

// The first data row shown at the top of the grid (row 0 is the header).
int FilaArriba(const tildora::RejillaCaracteres& g) {
    return g.rowAt(0) + 1;
}

} // namespace

class PruebaConversion : public QObject {
    Q_OBJECT

private slots:
    void recorridoCompleto();
    void disposicion();
    void filasYOrden();
    void controlesComoDibujos();
    void caracteresVisibles();
    void reemplazoLargo();
    void reemplazoLargoSoloMengua();
    void caracterRechazado();
    void rechazoUnaVezConFocoQueVuelve();
    void editorSobreLaCelda();
    void introYEscEditando();
    void rechazoAlSalirHaciaCancelar();
    void escEnElEditor();
    void teclasFueraDelEditor();
    void aceptarConFilaVacia();
    void reemplazoBlancoYSaltoDeLinea();
    void salidaNoEscribible();
    void salidaAparecidaMientras();
    void almacenIlegible();
    void busqueda();
    void vistaDelTexto();
    void cerrarDesdeElTitulo();
    void crecerYRecordarElTamano();
    void progresoYCancelar();
    void sustitutoQueNoLimpia();
    void soloConElTeclado();
    void nombresAccesibles();
    void textoUnicode_data();
    void textoUnicode();
    void almacenUtf8();
    void muestraConPropuestas();
    void borrarYSinPropuesta();
    void muchasFilas();
};

void PruebaConversion::recorridoCompleto() {
    Entorno e;
    // 'ç' is remembered from an earlier run; '^' and '|' are not, and show
    // their proposals.
    e.Escribir(QStringLiteral("caracteres.ini"), "[lista]\r\n\xe7=c\r\n");
    const QString entrada =
        e.Escribir(QStringLiteral("entrada.txt"), "Fran\xe7"
                                                  "ais ^ a|b\r\nle\xe7on ^\r\n");
    const QString salida = e.Ruta(QStringLiteral("salida.txt"));

    Corregir(e, entrada, salida);

    FrmConversionCaracteres* v = Conversion(e);
    QVERIFY(v);
    QVERIFY(v->isVisible());
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 4);
    QCOMPARE(g->TextMatrix(1, 0), B("\xe7"));
    QCOMPARE(g->TextMatrix(1, 1), B("c"));
    QCOMPARE(g->TextMatrix(2, 0), B("^"));
    QCOMPARE(g->TextMatrix(2, 1), B("**"));
    QCOMPARE(g->TextMatrix(3, 0), B("|"));
    QCOMPARE(g->TextMatrix(3, 1), B("/"));
    QVERIFY(!g->Propuesta(1) && g->Propuesta(2) && g->Propuesta(3));
    QCOMPARE(v->Vista()->Modelo().Texto().Texto(), std::string_view(e.estado.documento.texto));

    // Typed over, the proposals give way.
    Escribir(v, 2, QStringLiteral("v"));
    Escribir(v, 3, QStringLiteral("/"));
    QCOMPARE(g->TextMatrix(2, 1), B("v")); // committed when the editor moved on
    QTest::keyClick(v->Editor(), Qt::Key_Return);

    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{QString::fromStdString(textos::MensajeCorregido(5))});
    QCOMPARE(pruebas::LeerBytes(salida), QByteArray("Francais v a/b\r\nlecon v\r\n"));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\xe7=c\r\n^=v\r\n|=/\r\n"));
    pruebas::BorrarPendientes();
    auto* vuelta = qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual());
    QVERIFY(vuelta);
    QVERIFY(vuelta->isVisible());
    QCOMPARE(Hijo<QLineEdit>(vuelta, "txtEntrada")->text(), QString());
    QCOMPARE(Hijo<QLineEdit>(vuelta, "txtSalida")->text(), QString());
    QCOMPARE(e.salidas, 0);
    // Steps this short show no progress window.
    QVERIFY(e.dialogos.progresos.isEmpty());
}

void PruebaConversion::disposicion() {
    Entorno e;
    FrmConversionCaracteres* v =
        AbrirConversion(e, "a\tb^c\x01\r\nd\xe7\r\n", "[lista]\r\n\t=    \r\n^=+\r\n");
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), M(textos::TituloConversion));
    QVERIFY(!v->windowIcon().isNull());
    QCOMPARE(v->size(), QSize(437, 447));
    // It starts at the layout's size, the smallest it gets.
    QCOMPARE(v->minimumSize(), QSize(437, 447));

    struct Control {
        const char* nombre;
        QRect donde;
    };
    const Control controles[] = {
        {"Label1", QRect(22, 8, 393, 27)},         {"Label2", QRect(22, 38, 393, 27)},
        {"caracteresFG", QRect(22, 74, 277, 201)}, {"textoFicheroRTB", QRect(20, 288, 381, 83)},
        {"CmdBuscar", QRect(316, 134, 87, 53)},    {"CmdAceptar", QRect(132, 382, 87, 53)},
        {"CmdCancelar", QRect(230, 382, 87, 53)},
    };
    for (const Control& c : controles) {
        QWidget* w = Hijo<QWidget>(v, c.nombre);
        QVERIFY2(w && w->isVisible(), c.nombre);
        QCOMPARE(w->geometry(), c.donde);
    }
    // The search's count, the preview's button and the label of the text
    // shown stand where the layout leaves room: in the window, over no other
    // control and not over each other.
    const char* anadidos[] = {"LblOcurrencias", "CmdPrevia", "LblTextoMostrado"};
    for (const char* nombre : anadidos) {
        QWidget* w = Hijo<QWidget>(v, nombre);
        QVERIFY2(w && w->isVisible() && v->rect().contains(w->geometry()), nombre);
        for (const Control& c : controles) {
            QVERIFY2(!w->geometry().intersects(c.donde), nombre);
        }
        for (const char* otro : anadidos) {
            QVERIFY2(otro == nombre ||
                         !w->geometry().intersects(Hijo<QWidget>(v, otro)->geometry()),
                     nombre);
        }
    }
    QCOMPARE(Hijo<QLabel>(v, "Label1")->text(), M(textos::Label1Conversion));
    QCOMPARE(Hijo<QLabel>(v, "Label2")->text(), M(textos::Label2Conversion));
    // The two languages of the instructions at one size, each fitting its box.
    QCOMPARE(Hijo<QLabel>(v, "Label1")->font(), Hijo<QLabel>(v, "Label2")->font());
    for (const char* nombre : {"Label1", "Label2"}) {
        auto* l = Hijo<QLabel>(v, nombre);
        QVERIFY2(l->heightForWidth(l->width()) <= l->height(), nombre);
    }
    QCOMPARE(Hijo<QToolButton>(v, "CmdAceptar")->text(), QStringLiteral("Ados\nAceptar"));
    QCOMPARE(Hijo<QToolButton>(v, "CmdBuscar")->toolTip(), M(textos::CmdBuscarTip));
    QVERIFY(Hijo<QToolButton>(v, "CmdAceptar")->toolTip().isEmpty());
    QVERIFY(Hijo<QToolButton>(v, "CmdCancelar")->toolTip().isEmpty());

    // The editor exists, hidden, above the grid.
    QLineEdit* editor = v->Editor();
    QCOMPARE(editor->objectName(), QStringLiteral("txtEditor"));
    QVERIFY(!editor->isVisible());
    const QObjectList hijos = v->children();
    QVERIFY(hijos.indexOf(editor) > hijos.indexOf(v->Rejilla()));

    // Grid shape: header texts, row height, column widths.
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->horizontalHeaderItem(0)->text(), M(textos::CabeceraErroneo));
    QCOMPARE(g->horizontalHeaderItem(1)->text(), M(textos::CabeceraCorrecto));
    QCOMPARE(g->horizontalHeader()->height(), 20);
    QCOMPARE(g->rowHeight(0), 20);
    QCOMPARE(g->columnWidth(0), 127);
    QCOMPARE(g->columnWidth(1), 127);

    // Focus: the grid first, then the tab order of the layout.
    QCOMPARE(QApplication::focusWidget(), g);
    const char* orden[] = {"textoFicheroRTB", "CmdBuscar",   "CmdPrevia",
                           "CmdAceptar",      "CmdCancelar", "caracteresFG"};
    for (const char* nombre : orden) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(nombre));
    }

    // A look at it with the editor open over a cell.
    v->Vista()->Seleccionar(1, 2);
    Clic(v, 3, 1);
    QVERIFY(editor->isVisible());
    pruebas::Capturar(*v, QStringLiteral("FrmConversionCaracteres"));
}

void PruebaConversion::filasYOrden() {
    Entorno e;
    // Wrong characters in order of first appearance, each once; upper and
    // lower case apart. "ÿ" (255) is allowed.
    FrmConversionCaracteres* v =
        AbrirConversion(e, "\xc7x^\xe7^\xff|\xc7", "[lista]\r\n\xe7=c\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    const std::string esperados[] = {"\xc7", "^", "\xe7", "|"};
    QCOMPARE(g->Rows(), 5);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(g->TextMatrix(i + 1, 0), esperados[i]);
    }
    QCOMPARE(g->TextMatrix(3, 1), B("c"));
    QVERIFY(!g->Propuesta(3));
    QCOMPARE(g->TextMatrix(1, 1), B("C")); // the proposal
    QVERIFY(g->Propuesta(1));
    QCOMPARE(g->Row(), 1);
    QCOMPARE(g->Col(), 0);
    // Column 0 never opens the editor.
    Clic(v, 2, 0);
    QVERIFY(!v->Editor()->isVisible());
    Escribir(v, 1, QStringLiteral("C"));

    // Cancel: nothing stored or written, and the typed text is lost.
    Pulsar(v, "CmdCancelar");
    pruebas::BorrarPendientes();
    QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\xe7=c\r\n"));
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));

    // A second file in the same run: only its own rows, and its first click
    // commits nothing into a cell of the earlier grid.
    v = AbrirConversion(e, "a\xe7"
                           "b");
    QVERIFY(v);
    g = v->Rejilla();
    QCOMPARE(g->Rows(), 2);
    QCOMPARE(g->TextMatrix(1, 0), B("\xe7"));
    QCOMPARE(g->TextMatrix(1, 1), B("c"));
    Clic(v, 1, 1);
    QCOMPARE(v->Editor()->text(), QStringLiteral("c"));
    QCOMPARE(g->TextMatrix(1, 1), B("c"));
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    QCOMPARE(Salida(e), QByteArray("acb"));
    QCOMPARE(pruebas::Textos(e.dialogos).last(),
             QString::fromStdString(textos::MensajeCorregido(1)));
}

void PruebaConversion::controlesComoDibujos() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a\tb\x01"
                                                    "c\x7f");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 4);
    // The cell keeps its one byte; it shows the control's picture and tells
    // the code in its tip.
    QCOMPARE(g->TextMatrix(1, 0), B("\t"));
    QCOMPARE(g->item(0, 0)->text(), QString(QChar(0x2409)));
    // The tip: the character's name, its code, how often and where first.
    QCOMPARE(g->item(0, 0)->toolTip(), QStringLiteral("<control-0009>\n9 · 0x09 · TAB\n") +
                                           M(textos::TipVeces) + QStringLiteral("1\n") +
                                           M(textos::TipPrimera) + QStringLiteral("1:2"));
    QCOMPARE(g->item(1, 0)->text(), QString(QChar(0x2401)));
    QCOMPARE(g->item(2, 0)->text(), QString(QChar(0x2421)));
    QCOMPARE(g->item(2, 0)->toolTip().section(QLatin1Char('\n'), 1, 1),
             QStringLiteral("127 · 0x7F · DEL"));
    // The view shows them as pictures too.
    v->Vista()->Seleccionar(0, 6);
    QCOMPARE(v->Vista()->TextoSeleccionado(), QStringLiteral("a") + QChar(0x2409) +
                                                  QStringLiteral("b") + QChar(0x2401) +
                                                  QStringLiteral("c") + QChar(0x2421));
}

void PruebaConversion::caracteresVisibles() {
    // What a cell shows, piece by piece, is the model's (tests/modelos/
    // test_filas.cpp); here, how the window draws it.
    // A proposal's colour reads on a light palette and on a dark one, whose
    // link colour may not, and is never the text's.
    QPalette oscura;
    oscura.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2b));
    oscura.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    oscura.setColor(QPalette::Link, QColor(0, 0, 0xff));
    // The light palette's own link colour reads; on the dark one a light
    // blue takes the place of the link colour, which would not.
    const std::pair<QPalette, QColor> paletas[] = {
        {QApplication::style()->standardPalette(), QColor(0, 0, 0xff)},
        {oscura, QColor(0x8a, 0xb4, 0xf8)}};
    for (const auto& [paleta, esperado] : paletas) {
        const QColor color = ColorPropuesta(paleta);
        QCOMPARE(color, esperado);
        const QColor base = paleta.color(QPalette::Base);
        QVERIFY(modelo::Contraste({color.red(), color.green(), color.blue()},
                                  {base.red(), base.green(), base.blue()}) >= 4.5);
        QVERIFY(color != paleta.color(QPalette::Text));
    }

    // The wrong characters in a larger font; the rows as high as ever.
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "\x93uno\x94 \x96 - \x81 \t^\r\n",
                                                 "[lista]\r\n\x93=\"\r\n\x94=\"\r\n\x96=\" \"\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QVERIFY(g->item(0, 0)->font().pointSizeF() >= 12);
    QCOMPARE(g->rowHeight(0), 20);
    pruebas::Capturar(*v, QStringLiteral("Rejilla-1252"));
    // A C1 byte in the view takes room (its framed code), so its search
    // selects something that shows.
    Clic(v, 4, 0);
    Pulsar(v, "CmdBuscar");
    const QRect donde = v->Vista()->RectanguloDe(v->Vista()->InicioSeleccion());
    QVERIFY(donde.width() > QFontMetrics(v->Vista()->font()).horizontalAdvance(QLatin1Char(' ')));
    pruebas::BorrarPendientes();
    v = AbrirConversion(e, QByteArray("\xe2\x80\x9cuno\xe2\x80\x9d \xe2\x80\x93 - \xf0\x9f\x91\x8d "
                                      "\xe2\x80\x8b \xc2\x81 \xc5\x82\n"));
    QVERIFY(v);
    pruebas::Capturar(*v, QStringLiteral("Rejilla-utf8"));
}

void PruebaConversion::reemplazoLargo() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "x\xe7y\xe7", "[lista]\r\n\xe7=ss\r\n");
    QVERIFY(v);
    QLineEdit* editor = v->Editor();
    Clic(v, 1, 1);
    QVERIFY(editor->isVisible());
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->text(), QStringLiteral("ss"));
    QCOMPARE(editor->cursorPosition(), 2);
    QVERIFY(!editor->hasSelectedText());
    // It cannot grow by typing, nor by replacing a character with another.
    QTest::keyClicks(editor, QStringLiteral("t"));
    QCOMPARE(editor->text(), QStringLiteral("ss"));
    QTest::keyClick(editor, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClicks(editor, QStringLiteral("t"));
    QCOMPARE(editor->text(), QStringLiteral("ss"));
    // It can shrink, and then take no more than one character.
    editor->end(false);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QCOMPARE(editor->text(), QStringLiteral("s"));
    QTest::keyClicks(editor, QStringLiteral("t"));
    QCOMPARE(editor->text(), QStringLiteral("s"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QStringLiteral("tu"));
    QCOMPARE(editor->text(), QStringLiteral("t"));

    // Left whole, a remembered replacement replaces each occurrence by the
    // whole string, each counted once.
    QTest::keyClick(editor, Qt::Key_Escape);
    pruebas::BorrarPendientes();
    v = AbrirConversion(e, "x\xe7y\xe7");
    QVERIFY(v);
    Clic(v, 1, 1);
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    QCOMPARE(Salida(e), QByteArray("xssyss"));
    QCOMPARE(pruebas::Textos(e.dialogos).last(),
             QString::fromStdString(textos::MensajeCorregido(2)));
}

void PruebaConversion::reemplazoLargoSoloMengua() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "x\xe7y", "[lista]\r\n\xe7=abc\r\n");
    QVERIFY(v);
    QLineEdit* editor = v->Editor();
    Clic(v, 1, 1);
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    // Typing or pasting over part of it would put an unchecked character
    // behind the first one: refused, the text stays as it was.
    editor->setSelection(1, 2);
    QTest::keyClicks(editor, QStringLiteral("|"));
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    QApplication::clipboard()->setText(QStringLiteral("x|"));
    editor->selectAll();
    editor->paste();
    QCOMPARE(editor->text(), QStringLiteral("abc"));
    // Taking out a stretch from the middle is a deletion and stays.
    editor->setSelection(1, 1);
    QTest::keyClick(editor, Qt::Key_Delete);
    QCOMPARE(editor->text(), QStringLiteral("ac"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(Salida(e), QByteArray("xacy"));
    QVERIFY(Almacen(e).contains("\xe7=ac\r\n"));
}

void PruebaConversion::caracterRechazado() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b|c", "[lista]\r\n^=x\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QLineEdit* editor = v->Editor();
    const QString mensaje = Rechazo(QStringLiteral("| (124 \u00b7 0x7C)"));

    // '|' is itself wrong: the cell gets back the "x" it held.
    Clic(v, 1, 1);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QStringLiteral("|"));
    Clic(v, 2, 0);
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{mensaje});
    QVERIFY(!editor->isVisible());
    QCOMPARE(g->TextMatrix(1, 1), B("x"));
    Clic(v, 1, 1);
    QCOMPARE(editor->text(), QStringLiteral("x"));

    // A character with no Windows-1252 byte is refused the same way, here
    // when the focus goes to the search button.
    QTest::keyClick(editor, Qt::Key_Backspace);
    Teclear(editor, QString(QChar(0x03A9)));
    QCOMPARE(editor->text(), QString(QChar(0x03A9)));
    Pulsar(v, "CmdBuscar");
    QCOMPARE(pruebas::Textos(e.dialogos),
             (QStringList{mensaje, Rechazo(QStringLiteral("\u03a9 (U+03A9)"))}));
    QVERIFY(!editor->isVisible());
    QCOMPARE(g->TextMatrix(1, 1), B("x"));

    // Allowed characters, accented ones included, pass without a message;
    // typed on a cell whose editor is closed, one takes the place of its
    // answer.
    g->SetCeldaActual(1, 1);
    Teclear(g, QStringLiteral("\u00f1"));
    QCOMPARE(editor->text(), QStringLiteral("\u00f1"));
    Escribir(v, 2, QStringLiteral("-"));
    QCOMPARE(g->TextMatrix(1, 1), B("\xf1"));
    QCOMPARE(e.dialogos.mensajes.size(), 2);
}

void PruebaConversion::rechazoUnaVezConFocoQueVuelve() {
    Entorno e;
    DialogosReales dialogos;
    Aplicacion app(e.estado, dialogos, [] {});
    const QString entrada = e.Escribir(QStringLiteral("entrada.txt"), "a^b|c");
    e.estado.FicheroSalida = QFile::encodeName(e.Ruta(QStringLiteral("salida.txt"))).toStdString();
    modelo::AvisadorDialogos avisador(dialogos);
    QVERIFY(BuscarErrores(e.estado, QFile::encodeName(entrada).toStdString(), avisador));
    app.MostrarConversion();
    auto* v = qobject_cast<FrmConversionCaracteres*>(app.VentanaActual());
    QVERIFY(v);
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    const QString incorrecto = Rechazo(QStringLiteral("` (96 \u00b7 0x60)"));

    // The focus goes to the grid: one box, the cell's proposal back, the
    // editor gone.
    Escribir(v, 1, QStringLiteral("`"));
    Clic(v, 2, 0);
    QCOMPARE(dialogos.textos, QStringList{incorrecto});
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("**"));
    QVERIFY(!v->Editor()->isVisible());

    // Enter while typing: the refusal once, and no accept; the box's going
    // does not give the window back here, as it would on a desktop
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    Escribir(v, 2, QStringLiteral("`"));
    QVERIFY(v->Editor()->hasFocus());
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    QCOMPARE(dialogos.textos, (QStringList{incorrecto, incorrecto}));
    QCOMPARE(app.VentanaActual(), v);
    QVERIFY(!v->Editor()->isVisible());
    QCOMPARE(v->Rejilla()->TextMatrix(2, 1), B("/"));

    // A mouse press on a button moves the focus and brings the box up; the
    // release goes to the box. The click is lost, but the button must not
    // stay drawn pressed.
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    Escribir(v, 2, QStringLiteral("`"));
    auto* aceptar = Hijo<QToolButton>(v, "CmdAceptar");
    dialogos.conLaCaja = [aceptar] { QTest::mouseRelease(aceptar, Qt::LeftButton); };
    QTest::mousePress(aceptar, Qt::LeftButton);
    QTRY_VERIFY(!aceptar->isDown());
    QCOMPARE(dialogos.textos.size(), 3);
    QCOMPARE(app.VentanaActual(), v);
}

void PruebaConversion::editorSobreLaCelda() {
    Entorno e;
    // Twenty wrong characters: more rows than the grid shows.
    QByteArray texto;
    for (int c = 1; c <= 20; ++c) {
        texto += static_cast<char>(c == 10 || c == 13 ? 200 + c : c);
    }
    FrmConversionCaracteres* v = AbrirConversion(e, texto);
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QLineEdit* editor = v->Editor();
    QCOMPARE(g->Rows(), 21);
    QVERIFY(g->verticalScrollBar()->maximum() > 0);

    Clic(v, 2, 1);
    QCOMPARE(editor->geometry(), g->RectanguloCelda(2, 1, v));
    // The cell is its column's width and its row's height less the grid line.
    QCOMPARE(editor->geometry().size(), QSize(126, 19));
    QTest::keyClicks(editor, QStringLiteral("q"));

    // Scrolling hides the editor and keeps its text for its own cell.
    g->verticalScrollBar()->setValue(6);
    QVERIFY(!editor->isVisible());
    QCOMPARE(FilaArriba(*g), 7);
    QCOMPARE(g->TextMatrix(2, 1), B("q"));

    Clic(v, 9, 1);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->geometry(), g->RectanguloCelda(9, 1, v));
    QCOMPARE(editor->geometry().top(),
             g->geometry().top() + g->viewport()->geometry().top() + (9 - 7) * 20);
    QCOMPARE(editor->geometry().left(),
             g->geometry().left() + g->viewport()->geometry().left() + 127);
    QCOMPARE(g->TextMatrix(2, 1), B("q"));
    QCOMPARE(g->TextMatrix(9, 1), B(" ")); // the tab's proposal, untouched
    QVERIFY(g->Propuesta(9));

    // The last row in sight, its grid line cut off: the editor opens over it
    // where it stands and stays open (no late scroll into view that would
    // hide it).
    const int ultima = FilaArriba(*g) + g->viewport()->height() / 20;
    QVERIFY(g->RectanguloEnVista(ultima, 1).bottom() >= g->viewport()->rect().bottom());
    Clic(v, ultima, 1);
    QTest::qWait(QApplication::doubleClickInterval() + 300);
    QVERIFY(editor->isVisible());
    QCOMPARE(FilaArriba(*g), 7);
    QCOMPARE(editor->geometry(), g->RectanguloCelda(ultima, 1, v));
    QTest::keyClicks(editor, QStringLiteral("z"));
    QCOMPARE(editor->text(), QStringLiteral("z"));

    // F2 on a current cell scrolled out of sight brings it into sight first:
    // the editor opens over it, inside the grid.
    QTest::keyClick(editor, Qt::Key_Escape);
    g->SetCeldaActual(2, 1);
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    QVERIFY(FilaArriba(*g) > 2);
    QTest::keyClick(g, Qt::Key_F2);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->geometry(), g->RectanguloCelda(2, 1, v));
    QVERIFY(QRect(g->viewport()->mapTo(v, QPoint(0, 0)), g->viewport()->size())
                .contains(editor->geometry()));
}

void PruebaConversion::introYEscEditando() {
    {
        // Enter while typing: the typed character is in its cell before the
        // grid is read.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
        QVERIFY(v);
        Escribir(v, 1, QStringLiteral("-"));
        QTest::keyClick(v->Editor(), Qt::Key_Enter);
        QCOMPARE(Salida(e), QByteArray("a-b"));
        QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=-\r\n"));
        QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
    }
    {
        // Esc while typing undoes the cell, a refused character unchecked
        // (it never reaches the cell), and the proposal it held comes back
        // as one; Esc again leaves, nothing being typed.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
        QVERIFY(v);
        Escribir(v, 1, QStringLiteral("^"));
        QTest::keyClick(v->Editor(), Qt::Key_Escape);
        QCOMPARE(e.app.VentanaActual(), v);
        QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("**"));
        QVERIFY(v->Rejilla()->Propuesta(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("caracteres.ini"))));
        QVERIFY(e.dialogos.mensajes.isEmpty());
    }
    {
        // A click on Cancel leaves the editor, which is checked first; then
        // the window goes, with nothing stored or written.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
        QVERIFY(v);
        Escribir(v, 1, QStringLiteral("^"));
        Pulsar(v, "CmdCancelar");
        pruebas::BorrarPendientes();
        QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
        QCOMPARE(e.dialogos.mensajes.size(), 1);
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("caracteres.ini"))));
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    }
    {
        // Enter after a refused character: its message, no accept, and the
        // window stays with the cell as it was.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
        QVERIFY(v);
        Escribir(v, 1, QStringLiteral("^"));
        QTest::keyClick(v->Editor(), Qt::Key_Return);
        QCOMPARE(pruebas::Textos(e.dialogos),
                 QStringList{Rechazo(QStringLiteral("^ (94 \u00b7 0x5E)"))});
        QCOMPARE(e.app.VentanaActual(), v);
        QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("**"));
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    }
}

void PruebaConversion::rechazoAlSalirHaciaCancelar() {
    // Leaving the editor for Cancel, with Shift+Tab or with a press on it
    // released off the button, checks it like any other way out: a refused
    // character never reaches its cell or the store.
    for (const bool medioClic : {false, true}) {
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b|c");
        QVERIFY(v);
        auto* cancelar = Hijo<QToolButton>(v, "CmdCancelar");
        Escribir(v, 1, QStringLiteral("|"));
        if (medioClic) {
            QTest::mousePress(cancelar, Qt::LeftButton);
            QTest::mouseRelease(cancelar, Qt::LeftButton, {}, QPoint(-20, -20));
        } else {
            QTest::keyClick(v->Editor(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), cancelar);
        }
        QCOMPARE(e.app.VentanaActual(), v);
        Escribir(v, 2, QStringLiteral("/"));
        QCOMPARE(pruebas::Textos(e.dialogos).size(), 1);
        QVERIFY(pruebas::Textos(e.dialogos).front().startsWith(M(textos::CaracterIncorrecto)));
        QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("**"));
        Escribir(v, 1, QStringLiteral("-"));
        Pulsar(v, "CmdAceptar");
        QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=-\r\n|=/\r\n"));
        QCOMPARE(Salida(e), QByteArray("a-b/c"));
    }
}

void PruebaConversion::escEnElEditor() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b|c", "[lista]\r\n^=x\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QLineEdit* editor = v->Editor();
    // Esc in the open editor undoes that cell only: the window, and the
    // answer typed in the other row, stay.
    Escribir(v, 2, QStringLiteral("-"));
    Clic(v, 1, 1);
    QTest::keyClick(editor, Qt::Key_Backspace);
    Teclear(editor, QStringLiteral("y"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(!editor->isVisible());
    QCOMPARE(QApplication::focusWidget(), g);
    QCOMPARE(g->TextMatrix(1, 1), B("x"));
    QCOMPARE(g->TextMatrix(2, 1), B("-"));
    QVERIFY(e.dialogos.mensajes.isEmpty());
    // Esc elsewhere is Cancelar, which asks first: an answer typed here is
    // not stored yet. Cancel stays, OK leaves with nothing stored.
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
    QTest::keyClick(g, Qt::Key_Escape);
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::SalirSinGuardar)});
    QVERIFY(e.dialogos.mensajes.front().conCancelar);
    QCOMPARE(e.app.VentanaActual(), v);
    QCOMPARE(g->TextMatrix(2, 1), B("-"));
    Pulsar(v, "CmdCancelar");
    QCOMPARE(e.dialogos.mensajes.size(), 2);
    pruebas::BorrarPendientes();
    QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=x\r\n"));
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    // Nothing typed: no question.
    v = AbrirConversion(e, "a^b", "[lista]\r\n^=x\r\n");
    QVERIFY(v);
    Clic(v, 1, 1);
    QTest::keyClick(v->Editor(), Qt::Key_Escape);
    QTest::keyClick(v->Rejilla(), Qt::Key_Escape);
    QCOMPARE(e.dialogos.mensajes.size(), 2);
    QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
}

void PruebaConversion::teclasFueraDelEditor() {
    {
        // Enter on the grid or the text view presses the default button.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b", "[lista]\r\n^=.\r\n");
        QVERIFY(v);
        QTest::keyClick(v->Vista(), Qt::Key_Return);
        QCOMPARE(Salida(e), QByteArray("a.b"));
    }
    {
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b", "[lista]\r\n^=.\r\n");
        QVERIFY(v);
        QTest::keyClick(v->Rejilla(), Qt::Key_Return);
        QCOMPARE(Salida(e), QByteArray("a.b"));
    }
    {
        // Esc on the grid presses the cancel button; Enter on a focused
        // button presses that button.
        Entorno e;
        FrmConversionCaracteres* v = AbrirConversion(e, "a^b", "[lista]\r\n^=.\r\n");
        QVERIFY(v);
        QTest::keyClick(v->Rejilla(), Qt::Key_Escape);
        QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
        pruebas::BorrarPendientes();
        v = AbrirConversion(e, "a^b");
        QVERIFY(v);
        auto* cancelar = Hijo<QToolButton>(v, "CmdCancelar");
        cancelar->setFocus();
        QTest::keyClick(cancelar, Qt::Key_Return);
        QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));
        QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    }
}

void PruebaConversion::aceptarConFilaVacia() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b|c");
    QVERIFY(v);
    Escribir(v, 1, QStringLiteral("-"));
    // Backspace on the second row's cell takes its proposal away.
    v->Rejilla()->SetCeldaActual(2, 1);
    QTest::keyClick(v->Rejilla(), Qt::Key_Backspace);
    QCOMPARE(v->Rejilla()->TextMatrix(2, 1), B(""));
    QVERIFY(!v->Rejilla()->Propuesta(2));
    Pulsar(v, "CmdAceptar");
    // The row is named, and made current.
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{Faltan({QStringLiteral("| (124 \u00b7 0x7C)")})});
    QCOMPARE(v->Rejilla()->Row(), 2);
    QCOMPARE(v->Rejilla()->Col(), 1);
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(v->isVisible());
    QVERIFY(!v->Editor()->isVisible());
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("-"));
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("caracteres.ini"))));

    // Completed, it goes through.
    Escribir(v, 2, QStringLiteral("!"));
    Pulsar(v, "CmdAceptar");
    QCOMPARE(Salida(e), QByteArray("a-b!c"));
}

void PruebaConversion::reemplazoBlancoYSaltoDeLinea() {
    Entorno e;
    // A lone LF is listed, but it is a line break: its row carries the fixed
    // answer CR LF from the start, which cannot be edited, is never stored
    // (an older copy's answer for it is not used) and counts once for each.
    // (The accented letter makes it a Windows-1252 text: plain ASCII with
    // LF line ends would be a Unix text, whose LFs are line ends.)
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b\nc^\xE1\n", "[lista]\r\n\\x0A=x\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 3);
    QCOMPARE(g->TextMatrix(2, 0), B("\n"));
    QCOMPARE(g->item(1, 0)->text(), QString(QChar(0x240A)));
    QCOMPARE(g->item(1, 1)->text(), M(textos::SaltoDeLineaCelda));
    QCOMPARE(g->item(1, 1)->toolTip(), M(textos::SaltoDeLineaTip));
    pruebas::Capturar(*v, QStringLiteral("Rejilla-salto"));
    Clic(v, 2, 1);
    QVERIFY(!v->Editor()->isVisible());
    QTest::keyClick(g, Qt::Key_F2);
    QTest::keyClick(g, Qt::Key_X);
    QVERIFY(!v->Editor()->isVisible());
    QCOMPARE(g->item(1, 1)->text(), M(textos::SaltoDeLineaCelda));
    Escribir(v, 1, QStringLiteral(" "));
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{QString::fromStdString(textos::MensajeCorregido(4))});
    QCOMPARE(Salida(e), QByteArray("a b\r\nc \xE1\r\n"));
    // The blank is stored so that it reads back as a blank.
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\\x0A=x\r\n^=\" \"\r\n"));
    // The output is clean: a scan of it finds nothing.
    const Resultado<Documento> limpio =
        AbrirDocumento(QFile::encodeName(e.Ruta(QStringLiteral("salida.txt"))).toStdString(), {});
    QVERIFY(limpio);
    QVERIFY(limpio->hallazgos.empty());
}

void PruebaConversion::salidaNoEscribible() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    // The folder goes after the names were checked: no permission is
    // involved, so this holds for root too.
    const QString salida = e.Ruta(QStringLiteral("no-existe/salida.txt"));
    e.estado.FicheroSalida = QFile::encodeName(salida).toStdString();
    Escribir(v, 1, QStringLiteral("-"));
    Pulsar(v, "CmdAceptar");
    // The reason is said, and the window stays with its answers, which are
    // stored already.
    QCOMPARE(
        pruebas::Textos(e.dialogos),
        QStringList{M(textos::SalidaIncorrecta) + QStringLiteral("\n") + salida +
                    QStringLiteral(
                        ": ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta")});
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=-\r\n"));
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("no-existe"))));
    QCOMPARE(e.app.VentanaActual(), v);
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("-"));
    // Going back asks nothing (nothing is lost), and the first window has
    // both names, to pick another output.
    Pulsar(v, "CmdCancelar");
    pruebas::BorrarPendientes();
    QCOMPARE(e.dialogos.mensajes.size(), 1);
    QWidget* primera = e.app.VentanaActual();
    QVERIFY(qobject_cast<FrmElegirFicheros*>(primera));
    QCOMPARE(Hijo<QLineEdit>(primera, "txtEntrada")->text(), e.Ruta(QStringLiteral("entrada.txt")));
    QCOMPARE(Hijo<QLineEdit>(primera, "txtSalida")->text(), salida);

    // A parent that is a file, and an existing output left as it was.
    v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    e.estado.FicheroSalida =
        QFile::encodeName(e.Ruta(QStringLiteral("entrada.txt/salida.txt"))).toStdString();
    Pulsar(v, "CmdAceptar");
    QVERIFY(pruebas::Textos(e.dialogos).last().startsWith(M(textos::SalidaIncorrecta)));
    QVERIFY(pruebas::Textos(e.dialogos)
                .last()
                .endsWith(QStringLiteral(": bideko zati bat fitxategi bat da, ez karpeta bat / una "
                                         "parte de la ruta es un fichero, no una carpeta")));
    QCOMPARE(pruebas::LeerBytes(e.Ruta(QStringLiteral("entrada.txt"))), QByteArray("a^b"));
    QCOMPARE(e.app.VentanaActual(), v);
}

void PruebaConversion::salidaAparecidaMientras() {
    // No output when the names were chosen, so no question then; one that
    // appears before accepting is replaced only if the user agrees now.
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    e.Escribir(QStringLiteral("salida.txt"), "ajeno");
    Escribir(v, 1, QStringLiteral("-"));
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M3SobreEscribir)});
    QVERIFY(e.dialogos.mensajes.last().conCancelar);
    QCOMPARE(Salida(e), QByteArray("ajeno"));
    // Nothing written: the window stays, its answer already remembered, so
    // leaving asks nothing.
    QCOMPARE(e.app.VentanaActual(), v);
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=-\r\n"));
    Pulsar(v, "CmdCancelar");
    QCOMPARE(e.dialogos.mensajes.size(), 1);
    QVERIFY(qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual()));

    pruebas::BorrarPendientes();
    v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    e.Escribir(QStringLiteral("salida.txt"), "ajeno");
    Pulsar(v, "CmdAceptar"); // the remembered answer; the question answered OK
    QCOMPARE(pruebas::Textos(e.dialogos).mid(1),
             (QStringList{M(textos::M3SobreEscribir),
                          QString::fromStdString(textos::MensajeCorregido(1))}));
    QCOMPARE(Salida(e), QByteArray("a-b"));
    QCOMPARE(QDir(e.carpeta.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"caracteres.ini", "caracteres.ini.lock", "entrada.txt", "salida.txt"}));
}

void PruebaConversion::almacenIlegible() {
    // A store that is there but cannot be read is said once, before the
    // grid, which starts empty; one that cannot be written is said on
    // accepting, and the output is still written.
    Entorno e;
    QVERIFY(QDir(e.carpeta.path()).mkdir(QStringLiteral("caracteres.ini")));
    const QString ruta = e.Ruta(QStringLiteral("caracteres.ini"));
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    QCOMPARE(
        pruebas::Textos(e.dialogos),
        QStringList{
            M(textos::AlmacenIlegible) + ruta +
            QStringLiteral(": karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero")});
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("**")); // nothing remembered: the proposal
    Escribir(v, 1, QStringLiteral("-"));
    Pulsar(v, "CmdAceptar");
    QCOMPARE(
        pruebas::Textos(e.dialogos).mid(1),
        (QStringList{M(textos::AlmacenNoSeGuarda) + ruta +
                         QStringLiteral(
                             ": karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"),
                     QString::fromStdString(textos::MensajeCorregido(1))}));
    QCOMPARE(Salida(e), QByteArray("a-b"));

    // Said too when nothing is written in the end: the overwrite question
    // answered Cancel, or the accept stopped. The answer is not stored, so
    // leaving then asks.
    v = AbrirConversion(e, "a^b");
    QVERIFY(v);
    e.dialogos.mensajes.clear();
    Escribir(v, 1, QStringLiteral("-"));
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
    Pulsar(v, "CmdAceptar");
    const QString noSeGuarda =
        M(textos::AlmacenNoSeGuarda) + ruta +
        QStringLiteral(": karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero");
    QCOMPARE(pruebas::Textos(e.dialogos), (QStringList{M(textos::M3SobreEscribir), noSeGuarda}));
    e.app.SetUmbralProgresoMs(0);
    e.dialogos.cancelarProgreso = true;
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos).mid(2), QStringList{noSeGuarda});
    QCOMPARE(e.app.VentanaActual(), v);
    QCOMPARE(Salida(e), QByteArray("a-b"));
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
    Pulsar(v, "CmdCancelar");
    QCOMPARE(pruebas::Textos(e.dialogos).last(), M(textos::SalirSinGuardar));
    QCOMPARE(e.app.VentanaActual(), v);
}

void PruebaConversion::busqueda() {
    Entorno e;
    // '|' first appears far down and far right of a long text.
    QByteArray texto = "^ inicio\xE1\nsegunda\r\n"; // Windows-1252, a lone LF
    for (int i = 0; i < 2000; ++i) {
        texto += "linea de relleno " + QByteArray::number(i) + "\r\n";
    }
    texto += QByteArray(3000, 'x') + "|y|^\r\n";
    FrmConversionCaracteres* v = AbrirConversion(e, texto);
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    VistaTexto* vista = v->Vista();
    QCOMPARE(g->Rows(), 4); // ^, LF, |
    const std::size_t donde = static_cast<std::size_t>(texto.indexOf('|'));

    Escribir(v, 3, QStringLiteral("!")); // the editor is open over row 3
    Pulsar(v, "CmdBuscar");
    QVERIFY(!v->Editor()->isVisible());
    QCOMPARE(vista->InicioSeleccion(), donde);
    QCOMPARE(vista->FinSeleccion(), donde + 1);
    QVERIFY(vista->viewport()->rect().contains(vista->RectanguloDe(donde)));
    // Pressed again: the same, first, occurrence.
    Pulsar(v, "CmdBuscar");
    QCOMPARE(vista->InicioSeleccion(), donde);

    // The first row's character is at the very start.
    Clic(v, 1, 0);
    Pulsar(v, "CmdBuscar");
    QCOMPARE(vista->InicioSeleccion(), std::size_t{0});
    QCOMPARE(vista->PrimeraLineaVisible(), std::size_t{0});

    // A lone LF is a line break in the view: the earlier selection goes,
    // and nothing is said.
    Clic(v, 2, 0);
    Pulsar(v, "CmdBuscar");
    QCOMPARE(vista->InicioSeleccion(), vista->FinSeleccion());
    QVERIFY(e.dialogos.mensajes.isEmpty());

    // F3 goes on to the next occurrence, and from the last back to the
    // first; the button always finds the first.
    Clic(v, 3, 0);
    QTest::keyClick(g, Qt::Key_F3);
    QCOMPARE(vista->InicioSeleccion(), donde);
    QTest::keyClick(g, Qt::Key_F3);
    QCOMPARE(vista->InicioSeleccion(), donde + 2);
    QVERIFY(vista->viewport()->rect().contains(vista->RectanguloDe(donde + 2)));
    QTest::keyClick(g, Qt::Key_F3);
    QCOMPARE(vista->InicioSeleccion(), donde);
    QTest::keyClick(g, Qt::Key_F3);
    Pulsar(v, "CmdBuscar");
    QCOMPARE(vista->InicioSeleccion(), donde);

    // The header row searches nothing: the last selection stays.
    Clic(v, 3, 0);
    Pulsar(v, "CmdBuscar");
    QCOMPARE(vista->InicioSeleccion(), donde);
    Clic(v, 3, 1);
    g->SetCeldaActual(0, 0);
    Pulsar(v, "CmdBuscar");
    QVERIFY(!v->Editor()->isVisible());
    QCOMPARE(vista->InicioSeleccion(), donde);
    QCOMPARE(vista->FinSeleccion(), donde + 1);

    // The text was never changed: it is what gets corrected.
    QCOMPARE(QByteArray::fromStdString(e.estado.documento.texto), texto);
    Escribir(v, 1, QStringLiteral("-"));
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    QByteArray esperado = texto;
    esperado.replace('^', '-').replace('|', '!').replace("inicio\xE1\n", "inicio\xE1\r\n");
    QCOMPARE(Salida(e), esperado);
}

void PruebaConversion::vistaDelTexto() {
    VistaTexto vista;
    vista.resize(300, 80);
    vista.show();
    QVERIFY(QTest::qWaitForWindowExposed(&vista));
    // CR LF, a lone CR and a lone LF each end a line; a final break leaves
    // an empty last line.
    const std::string texto = "uno\r\ndos\rtres\ncuatro\r\n";
    vista.Cargar(texto);
    QCOMPARE(vista.Modelo().Texto().NumeroLineas(), std::size_t{5});
    QCOMPARE(vista.Modelo().Texto().LineaDe(4), std::size_t{0});
    QCOMPARE(vista.Modelo().Texto().LineaDe(5), std::size_t{1});
    QCOMPARE(vista.Modelo().Texto().LineaDe(9), std::size_t{2});
    {
        // Line ends thick enough to fall on every place of the blocks the
        // view looks at at once, a CR LF split between two of them included,
        // against a byte-by-byte reading.
        std::mt19937 azar(5);
        const char piezas[] = {'a', 'b', '\r', '\n', '\r', '\n', '\xe7', ' '};
        for (int ronda = 0; ronda < 50; ++ronda) {
            std::string t(std::uniform_int_distribution<int>(0, 3000)(azar), 'a');
            for (char& c : t) {
                c = piezas[azar() % sizeof piezas];
            }
            std::vector<std::size_t> esperados{0};
            for (std::size_t i = 0; i < t.size(); ++i) {
                if (t[i] == '\n' || (t[i] == '\r' && !(i + 1 < t.size() && t[i + 1] == '\n'))) {
                    esperados.push_back(i + 1);
                }
            }
            vista.Cargar(t);
            QCOMPARE(vista.Modelo().Texto().NumeroLineas(), esperados.size());
            for (std::size_t l = 0; l < esperados.size(); ++l) {
                QCOMPARE(vista.Modelo().Texto().InicioLinea(l), esperados[l]);
            }
        }
        vista.Cargar(texto);
    }
    QCOMPARE(vista.Modelo().Texto().LineaDe(14), std::size_t{3});
    QCOMPARE(vista.Modelo().Texto().InicioLinea(3), std::size_t{14});
    vista.Seleccionar(2, 11);
    QCOMPARE(vista.TextoSeleccionado(), QStringLiteral("o\ndos\ntr"));
    vista.setFocus();
    QTest::keyClick(&vista, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("o\ndos\ntr"));

    // A mouse drag selects from where it starts to where it ends.
    const QRect r0 = vista.RectanguloDe(5);
    const QRect r1 = vista.RectanguloDe(7);
    QTest::mousePress(vista.viewport(), Qt::LeftButton, {}, r0.topLeft() + QPoint(1, 2));
    QTest::mouseMove(vista.viewport(), r1.topRight() + QPoint(0, 2));
    QTest::mouseRelease(vista.viewport(), Qt::LeftButton, {}, r1.topRight() + QPoint(0, 2));
    QCOMPARE(vista.InicioSeleccion(), std::size_t{5});
    QCOMPARE(vista.FinSeleccion(), std::size_t{8});

    // Keys scroll both ways; a long line brought into sight.
    std::string largo;
    for (int i = 0; i < 100; ++i) {
        largo += "linea " + std::to_string(i) + "\n";
    }
    largo += std::string(5000, 'w') + "Z";
    vista.Cargar(largo);
    QTest::keyClick(&vista, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(vista.verticalScrollBar()->value(), vista.verticalScrollBar()->maximum());
    QVERIFY(vista.verticalScrollBar()->maximum() > 90);
    QTest::keyClick(&vista, Qt::Key_End);
    QVERIFY(vista.horizontalScrollBar()->value() > 0);
    QVERIFY(vista.viewport()->rect().contains(vista.RectanguloDe(largo.size() - 1)));
    QTest::keyClick(&vista, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&vista, Qt::Key_Home);
    QCOMPARE(vista.PrimeraLineaVisible(), std::size_t{0});
    vista.MostrarPosicion(largo.size() - 1);
    QVERIFY(vista.viewport()->rect().contains(vista.RectanguloDe(largo.size() - 1)));
}

void PruebaConversion::cerrarDesdeElTitulo() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b", "[lista]\r\n");
    QVERIFY(v);
    Escribir(v, 1, QStringLiteral("+"));
    // The close box asks as Cancel does: "Utzi" keeps the window and the
    // typed answer.
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
    QVERIFY(!v->close());
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::SalirSinGuardar)});
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(v->isVisible());
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("+"));
    QCOMPARE(e.salidas, 0);
    // "Ados" closes it and ends the program; nothing stored or written.
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Aceptar);
    QVERIFY(v->close());
    QCOMPARE(e.dialogos.mensajes.size(), 2);
    QCOMPARE(e.salidas, 1);
    QCOMPARE(e.app.VentanaActual(), nullptr);
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n"));
}

void PruebaConversion::crecerYRecordarElTamano() {
    Entorno e;
    // Thirty wrong characters and a hundred lines: more than the grid and
    // the text view show at any size here.
    QByteArray texto;
    for (int c = 1; c <= 30; ++c) {
        texto += static_cast<char>(c == 10 || c == 13 ? 200 + c : c);
    }
    for (int n = 0; n < 100; ++n) {
        texto += "lerro bat / una l\xednea\r\n";
    }
    FrmConversionCaracteres* v = AbrirConversion(e, texto);
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QLineEdit* editor = v->Editor();
    // The last row open in the editor, the grid scrolled to its end: a grid
    // that grows scrolls back, and the editor must follow its cell.
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    Clic(v, 30, 1);
    QTest::keyClicks(editor, QStringLiteral("q"));

    // Maximised on a 1366x768 screen: a client area of 1366x700 pixels, the
    // boxes the model gives for 20490x10500 twips.
    v->resize(1366, 700);
    QTRY_COMPARE(v->size(), QSize(1366, 700));
    QCOMPARE(g->geometry(), QRect(22, 74, 277, 264));
    QCOMPARE(v->Vista()->geometry(), QRect(20, 351, 1310, 273));
    QCOMPARE(Hijo<QWidget>(v, "Label1")->geometry(), QRect(22, 8, 1322, 27));
    QCOMPARE(Hijo<QWidget>(v, "CmdAceptar")->geometry(), QRect(596, 635, 87, 53));
    // At least 18 whole lines and 12 whole rows under the header.
    QVERIFY2(v->Vista()->LineasEnVista() - 1 >= 18,
             qPrintable(QString::number(v->Vista()->LineasEnVista())));
    QVERIFY(g->viewport()->height() / 20 >= 12);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->geometry(), g->RectanguloCelda(30, 1, v));
    QCOMPARE(editor->text(), QStringLiteral("q"));
    pruebas::Capturar(*v, QStringLiteral("ConversionCrecida"));

    // The size is remembered when the window goes, and the next window opens
    // at it, never larger than the screen.
    e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Aceptar);
    Pulsar(v, "CmdCancelar");
    QVERIFY(e.app.VentanaActual() != v);
    FrmConversionCaracteres* otra = AbrirConversion(e, texto);
    QVERIFY(otra);
    // The screen's room, less the frame round the window.
    const QSize sitio =
        otra->screen()->availableGeometry().size().shrunkBy(otra->windowHandle()->frameMargins());
    QCOMPARE(otra->size(), QSize(std::min(1366, sitio.width()), std::min(700, sitio.height())));
}

void PruebaConversion::progresoYCancelar() {
    {
        // The real progress window: titled like the message boxes, its bar
        // following the step, its cancel no longer offered at the end.
        DialogosQt reales;
        QWidget padre;
        reales.Sobre(&padre);
        auto indicador = reales.MostrarProgreso(std::string(textos::ProgresoLectura), true);
        indicador->Avanzar(400);
        auto* ventana = padre.findChild<QProgressDialog*>();
        QVERIFY(ventana && ventana->isVisible());
        QCOMPARE(ventana->windowTitle(), M(textos::Titulo));
        QCOMPARE(ventana->labelText(), M(textos::ProgresoLectura));
        QCOMPARE(ventana->value(), 400);
        auto* cancelar = ventana->findChild<QPushButton*>();
        QVERIFY(cancelar && cancelar->isEnabled());
        QCOMPARE(cancelar->text(), M(textos::ProgresoCancelar));
        pruebas::Capturar(*ventana, QStringLiteral("Progreso"));
        QVERIFY(!indicador->Cancelado());
        cancelar->click();
        QVERIFY(indicador->Cancelado());
        // Only asked: the window stays, modal, until the step has stopped.
        QVERIFY(ventana->isVisible());
        QVERIFY(!cancelar->isEnabled());
        indicador->Avanzar(1000);
        QVERIFY(!cancelar->isEnabled());
    }
    // The progress window shows at once, and its cancel is pressed; the
    // file is large enough that the scan is still reading when the stop is
    // asked for.
    Entorno e;
    e.app.SetUmbralProgresoMs(0);
    e.dialogos.cancelarProgreso = true;
    QByteArray texto(64 << 20, 'a');
    texto[100] = '^';
    const QString entrada = e.Escribir(QStringLiteral("entrada.txt"), texto);
    const QString salida = e.Ruta(QStringLiteral("salida.txt"));
    QWidget* primera = Corregir(e, entrada, salida);
    // Back in the first window with its names, nothing said, nothing kept.
    QCOMPARE(e.app.VentanaActual(), primera);
    QCOMPARE(Hijo<QLineEdit>(primera, "txtEntrada")->text(), entrada);
    QCOMPARE(Hijo<QLineEdit>(primera, "txtSalida")->text(), salida);
    QVERIFY(e.dialogos.mensajes.isEmpty());
    QCOMPARE(e.dialogos.progresos, QStringList{M(textos::ProgresoLectura)});
    QVERIFY(e.estado.documento.texto.empty());

    // Without the stop the scan goes through; then accepting is stopped:
    // the row is remembered (as when the writing fails), nothing written,
    // the window stays.
    e.dialogos.cancelarProgreso = false;
    Pulsar(primera, "CmdActualizar");
    pruebas::BorrarPendientes();
    FrmConversionCaracteres* v = Conversion(e);
    QVERIFY(v);
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    Escribir(v, 1, QStringLiteral("v"));
    e.dialogos.cancelarProgreso = true;
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    pruebas::BorrarPendientes();
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(e.dialogos.mensajes.isEmpty());
    QCOMPARE(pruebas::LeerBytes(salida), QByteArray());
    QCOMPARE(QDir(e.carpeta.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("caracteres.ini"), QStringLiteral("caracteres.ini.lock"),
                          QStringLiteral("entrada.txt")}));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=v\r\n"));
    QCOMPARE(e.dialogos.progresos,
             (QStringList{M(textos::ProgresoLectura), M(textos::ProgresoLectura),
                          M(textos::ProgresoCorreccion)}));

    // Accepting again, to the end.
    e.dialogos.cancelarProgreso = false;
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{QString::fromStdString(textos::MensajeCorregido(1))});
    texto[100] = 'v';
    QCOMPARE(pruebas::LeerBytes(salida), texto);
}

void PruebaConversion::sustitutoQueNoLimpia() {
    // The remembered replacement of '|' brings back '^', listed above it:
    // the accept is refused with the row named, nothing stored or written.
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "^|", "[lista]\r\n|=^^\r\n");
    QVERIFY(v);
    Escribir(v, 1, QStringLiteral("-"));
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{M(textos::SustitutosNoLimpios) + QStringLiteral("\n| \u2192 ^^")});
    pruebas::BorrarPendientes();
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(!QFile::exists(e.Ruta(QStringLiteral("salida.txt"))));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n|=^^\r\n"));
}

void PruebaConversion::soloConElTeclado() {
    // A whole file with the keyboard alone, every key going where the focus
    // is, as a user's would.
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, "a^b|c\xe7");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QLineEdit* editor = v->Editor();
    const auto tecla = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
    const auto escribir = [](char c) { QTest::keyClick(QApplication::focusWidget(), c); };
    QCOMPARE(QApplication::focusWidget(), g);

    // F2 on row 1's replacement opens the editor over it; Down commits and
    // moves to row 2.
    tecla(Qt::Key_Right);
    tecla(Qt::Key_F2);
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->geometry(), g->RectanguloCelda(1, 1, v));
    escribir('v');
    tecla(Qt::Key_Down);
    QVERIFY(!editor->isVisible());
    QCOMPARE(QApplication::focusWidget(), g);
    QCOMPARE(g->TextMatrix(1, 1), B("v"));
    QCOMPARE(g->Row(), 2);
    QCOMPARE(g->Col(), 1);

    // A typed character opens the editor and goes in; '|' is itself wrong,
    // refused when Down leaves, the proposal back in its cell, and the move
    // happens all the same.
    escribir('|');
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->text(), QStringLiteral("|"));
    tecla(Qt::Key_Down);
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{Rechazo(QStringLiteral("| (124 \u00b7 0x7C)"))});
    QCOMPARE(g->TextMatrix(2, 1), B("/"));
    QCOMPARE(g->Row(), 3);

    // Back up with the arrow, a good character this time, committed by Up.
    tecla(Qt::Key_Up);
    escribir('/');
    tecla(Qt::Key_Down);
    QCOMPARE(g->TextMatrix(2, 1), B("/"));

    // Space opens the last row's editor, its proposal selected, and Enter
    // accepts the window.
    tecla(Qt::Key_Space);
    QVERIFY(editor->hasFocus());
    QCOMPARE(editor->selectedText(), QStringLiteral("c"));
    escribir('c');
    tecla(Qt::Key_Return);
    QCOMPARE(pruebas::Textos(e.dialogos),
             (QStringList{Rechazo(QStringLiteral("| (124 \u00b7 0x7C)")),
                          QString::fromStdString(textos::MensajeCorregido(3))}));
    QCOMPARE(Salida(e), QByteArray("avb/cc"));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n^=v\r\n|=/\r\n\xe7=c\r\n"));
}

void PruebaConversion::nombresAccesibles() {
    // What assistive technology is told about every control of both
    // windows, and about the grid's cells.
    struct Control {
        const char* objeto;
        std::string_view nombre;
        std::string_view descripcion;
    };
    const auto comprobar = [](QWidget* ventana, std::initializer_list<Control> controles) {
        QStringList esperados;
        for (const Control& c : controles) {
            esperados.append(QLatin1String(c.objeto));
            QWidget* w = Hijo<QWidget>(ventana, c.objeto);
            QVERIFY2(w, c.objeto);
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(i, c.objeto);
            QCOMPARE(i->text(QAccessible::Name), M(c.nombre));
            QCOMPARE(i->text(QAccessible::Description), M(c.descripcion));
        }
        // Every control of the window is in the list.
        QStringList hijos;
        for (const QWidget* w : ventana->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            hijos.append(w->objectName());
        }
        hijos.sort();
        esperados.sort();
        QCOMPARE(hijos, esperados);
    };

    Entorno e;
    // A tab, an undefined byte and '^'; the tab's replacement is a
    // no-break space.
    FrmConversionCaracteres* v = AbrirConversion(e,
                                                 "a\tb\x81"
                                                 "c^d",
                                                 "[lista]\r\n\\x09=\xa0\r\n^=+\r\n");
    QVERIFY(v);
    comprobar(v, {
                     {"Label1", textos::Label1Conversion, textos::AccArgibideak},
                     {"Label2", textos::Label2Conversion, textos::AccArgibideak},
                     {"caracteresFG", textos::AccRejilla, textos::AccRejillaDesc},
                     {"textoFicheroRTB", textos::AccTexto, textos::AccTextoDesc},
                     {"CmdBuscar", textos::AccBuscar, textos::AccBuscarDesc},
                     {"CmdAceptar", textos::AccAceptar, textos::AccAceptarDesc},
                     {"CmdCancelar", textos::AccCancelar, textos::AccCancelarDesc},
                     {"txtEditor", textos::AccEditor, textos::AccEditorDesc},
                     // Read as they show: no occurrence chosen yet of the
                     // current row's one tab, and the text as it is.
                     {"LblOcurrencias", "? / 1", textos::AccOcurrenciasDesc},
                     {"CmdPrevia", textos::AccPrevia, textos::AccPreviaDesc},
                     {"LblTextoMostrado", textos::TextoOriginal, textos::AccTextoMostrado},
                 });

    // A character that shows nothing a voice reads is told by its code.
    struct Celda {
        int fila;
        int columna;
        QString nombre;
        QString descripcion;
    };
    const Celda celdas[] = {
        {1, 0, QStringLiteral("9 \u00b7 0x09 \u00b7 TAB"), {}},
        {1, 1, QStringLiteral("160 \u00b7 0xA0"), {}},
        {2, 0, QStringLiteral("129 \u00b7 0x81 \u00b7 C1"), {}},
        // A proposed delete answer, read as the cell shows it.
        {2, 1, M(textos::BorrarCelda),
         M(textos::PropuestaTip) + QStringLiteral("\n") + M(textos::BorrarTip)},
        {3, 0, QStringLiteral("^"), QStringLiteral("94 \u00b7 0x5E")},
        {3, 1, QStringLiteral("+"), {}},
    };
    QAccessibleTableInterface* tabla =
        QAccessible::queryAccessibleInterface(v->Rejilla())->tableInterface();
    QVERIFY(tabla);
    for (const Celda& c : celdas) {
        QAccessibleInterface* celda = tabla->cellAt(c.fila - 1, c.columna);
        QVERIFY(celda);
        QCOMPARE(celda->text(QAccessible::Name), c.nombre);
        QCOMPARE(celda->text(QAccessible::Description), c.descripcion);
    }

    QTest::keyClick(v->Rejilla(), Qt::Key_Escape);
    pruebas::BorrarPendientes();
    QWidget* seleccion = e.app.VentanaActual();
    QVERIFY(qobject_cast<FrmElegirFicheros*>(seleccion));
    comprobar(seleccion,
              {
                  {"lblFitxategiakAukeratu", textos::LblFitxategiakAukeratu, textos::AccArgibideak},
                  {"LblSeleccionFicheros", textos::LblSeleccionFicheros, textos::AccArgibideak},
                  {"LblAct", textos::LblAct, textos::AccIzenburua},
                  {"Label1", textos::Label1Salida, textos::AccIzenburua},
                  {"cmdEntrada", textos::AccEntradaBoton, textos::AccEntradaBotonDesc},
                  {"txtEntrada", textos::AccEntradaCaja, textos::AccEntradaCajaDesc},
                  {"txtSalida", textos::AccSalidaCaja, textos::AccSalidaCajaDesc},
                  {"cmdSalida", textos::AccSalidaBoton, textos::AccSalidaBotonDesc},
                  {"CmdActualizar", textos::AccActualizar, textos::AccActualizarDesc},
                  {"CmdSalir", textos::AccSalir, textos::AccSalirDesc},
              });
}

namespace {

enum class Forma { Utf8, Utf8ConMarca, Utf16LE };

// The text as a file in that form: UTF-16 little-endian written out unit by
// unit, so the bytes do not depend on the machine.
QByteArray Codificar(const QString& texto, Forma forma) {
    if (forma != Forma::Utf16LE) {
        return (forma == Forma::Utf8ConMarca ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
               texto.toUtf8();
    }
    QByteArray r("\xFF\xFE");
    for (const QChar c : texto) {
        r += static_cast<char>(c.unicode() & 0xFF);
        r += static_cast<char>(c.unicode() >> 8);
    }
    return r;
}

} // namespace

void PruebaConversion::textoUnicode_data() {
    QTest::addColumn<int>("forma");
    QTest::addColumn<QString>("nombre");
    QTest::newRow("utf8") << static_cast<int>(Forma::Utf8) << QStringLiteral("UTF-8");
    QTest::newRow("utf8-marca") << static_cast<int>(Forma::Utf8ConMarca) << QStringLiteral("UTF-8");
    QTest::newRow("utf16le") << static_cast<int>(Forma::Utf16LE) << QStringLiteral("UTF-16LE");
}

void PruebaConversion::textoUnicode() {
    // "–" has a Windows-1252 byte, and its answer is remembered under it, as
    // for a Windows-1252 file; "ł" has none. The accented letters are allowed.
    QFETCH(int, forma);
    QFETCH(QString, nombre);
    const auto f = static_cast<Forma>(forma);
    const QString texto = QStringLiteral("Canción – Ñandú ł\r\nAcción ł, pingüino – fin\r\n");
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, Codificar(texto, f), "[lista]\r\n\x96=-\r\n");
    QVERIFY(v);
    QCOMPARE(v->windowTitle(),
             M(textos::TituloConversion) + M(textos::SeparadorCodificacion) + nombre);

    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 3);
    QCOMPARE(g->TextMatrix(1, 0), B("\x96"));
    QCOMPARE(g->item(0, 0)->text(), QStringLiteral("–"));
    QCOMPARE(g->TextMatrix(1, 1), B("-"));
    QCOMPARE(g->TextMatrix(2, 0), B("U+0142"));
    QCOMPARE(g->item(1, 0)->text(), QStringLiteral("ł"));
    QCOMPARE(g->item(1, 0)->toolTip(),
             QStringLiteral("LATIN SMALL LETTER L WITH STROKE\nU+0142\n") + M(textos::TipVeces) +
                 QStringLiteral("2\n") + M(textos::TipPrimera) + QStringLiteral("1:17"));
    pruebas::Capturar(*v, QStringLiteral("FrmConversionCaracteres-") + QTest::currentDataTag());

    // The search selects the whole character in the decoded text.
    Clic(v, 2, 0);
    Pulsar(v, "CmdBuscar");
    const auto donde = static_cast<std::size_t>((f == Forma::Utf8 ? 0 : 3) +
                                                texto.left(texto.indexOf(u'ł')).toUtf8().size());
    QCOMPARE(v->Vista()->InicioSeleccion(), donde);
    QCOMPARE(v->Vista()->FinSeleccion(), donde + 2);
    QCOMPARE(v->Vista()->TextoSeleccionado(), QStringLiteral("ł"));

    Escribir(v, 2, QStringLiteral("l"));
    QTest::keyClick(v->Editor(), Qt::Key_Return);
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{QString::fromStdString(textos::MensajeCorregido(4))});
    QString esperado = texto;
    esperado.replace(u'–', u'-').replace(u'ł', u'l');
    QCOMPARE(Salida(e), Codificar(esperado, f));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\x96=-\r\nU+0142=l\r\n"));
}

// A store an editor saved as UTF-8 with its mark: its answer for 'ç' fills
// the grid, and the new answer for '€' goes into it in UTF-8.
void PruebaConversion::almacenUtf8() {
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e,
                                                 "Fran\xe7"
                                                 "ais \x80",
                                                 "\xef\xbb\xbf[lista]\r\n\xc3\xa7=c\r\n");
    QVERIFY(v);
    QCOMPARE(v->Rejilla()->TextMatrix(1, 1), B("c"));
    Escribir(v, 2, QStringLiteral("E"));
    Pulsar(v, "CmdAceptar");
    QCOMPARE(Salida(e), QByteArray("Francais E"));
    QCOMPARE(Almacen(e), QByteArray("\xef\xbb\xbf[lista]\r\n\xc3\xa7=c\r\n\xe2\x82\xac=E\r\n"));
}

// A first-time user's text (UTF-8, CR LF) with nothing remembered: every
// row shows its proposal, drawn apart, and "Zuzendu Corregir" then "Ados
// Aceptar" clean it and remember the proposals.
void PruebaConversion::muestraConPropuestas() {
    Entorno e;
    QFile muestra(QStringLiteral(TILDORA_MUESTRA));
    QVERIFY(muestra.open(QIODevice::ReadOnly));
    const QString entrada = e.Escribir(QStringLiteral("entrada.txt"), muestra.readAll());
    Corregir(e, entrada, e.Ruta(QStringLiteral("salida.txt")));
    FrmConversionCaracteres* v = Conversion(e);
    QVERIFY(v);
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 13);
    // The proposals, in the order the characters first appear, all in the
    // link colour of the palette.
    const std::pair<std::string, std::string> propuestas[] = {
        {"\x93", "\""},   {"\x94", "\""},  {"\xe0", "a"},   {"\xe8", "e"},
        {"\x96", "-"},    {"\x80", "EUR"}, {"\x85", "..."}, {"\x8c", "OE"},
        {"U+FB01", "fi"}, {"\xef", "i"},   {"\xdf", "ss"},  {"U+0142", "l"}};
    const QColor color(0, 0, 0xff);
    QVERIFY(color != QApplication::palette().color(QPalette::Text));
    int filaEuro = 0;
    int filaPuntos = 0;
    for (int f = 1; f < g->Rows(); ++f) {
        const std::string clave = g->TextMatrix(f, 0);
        QCOMPARE(clave, propuestas[f - 1].first);
        QCOMPARE(g->TextMatrix(f, 1), propuestas[f - 1].second);
        QVERIFY(g->Propuesta(f) && !g->EsBorrado(f));
        const QTableWidgetItem* celda = g->item(f - 1, 1);
        QVERIFY(celda->font().italic());
        QCOMPARE(celda->foreground().color(), color);
        QCOMPARE(celda->toolTip(), M(textos::PropuestaTip));
        filaEuro = clave == "\x80" ? f : filaEuro;
        filaPuntos = clave == "\x85" ? f : filaPuntos;
    }
    QVERIFY(filaEuro > 0 && filaPuntos > 0);
    pruebas::Capturar(*v, QStringLiteral("Rejilla-propuestas"));

    // The editor takes a proposal whole, selected, in the proposal's style;
    // a character typed over it takes its place, wherever the caret is;
    // Esc gives the proposal back.
    QLineEdit* editor = v->Editor();
    Clic(v, filaEuro, 1);
    QCOMPARE(editor->text(), QStringLiteral("EUR"));
    QCOMPARE(editor->selectedText(), QStringLiteral("EUR"));
    QVERIFY(editor->font().italic());
    pruebas::Capturar(*v, QStringLiteral("Editor-propuesta"));
    Teclear(editor, QStringLiteral("E"));
    QCOMPARE(editor->text(), QStringLiteral("E"));
    QVERIFY(!editor->font().italic());
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(g->TextMatrix(filaEuro, 1), B("EUR"));
    QVERIFY(g->Propuesta(filaEuro));
    Clic(v, filaPuntos, 1);
    editor->end(false);
    Teclear(editor, QStringLiteral("x"));
    QCOMPARE(editor->text(), QStringLiteral("x"));
    QTest::keyClick(editor, Qt::Key_Escape);
    // Opened and left untouched, a proposal stays one.
    Clic(v, filaEuro, 1);
    Clic(v, filaPuntos, 0);
    QVERIFY(!editor->isVisible());
    QCOMPARE(g->TextMatrix(filaEuro, 1), B("EUR"));
    QVERIFY(g->Propuesta(filaEuro));

    // Nothing was typed: leaving would lose nothing, and accepting takes the
    // proposals as answers and remembers them.
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{QString::fromStdString(textos::MensajeCorregido(12))});
    QCOMPARE(Salida(e), QByteArray("\"Caf\xc3\xa9\" a la creme - 5 EUR ... OEuvre, fin, naive\r\n"
                                   "Segunda l\xc3\xadnea: \xc2\xbfqu\xc3\xa9 tal? \xc3\xb1"
                                   "and\xc3\xba ss l\r\n"));
    QVERIFY(SalidaLimpia(e));
    const tildora::Respuestas guardadas(Almacen(e).toStdString());
    QCOMPARE(guardadas.Todas().size(), std::size_t{12});
    for (const auto& [clave, respuesta] : guardadas.Todas()) {
        const auto propuesta =
            std::find_if(std::begin(propuestas), std::end(propuestas),
                         [&clave = clave](const auto& p) { return p.first == clave; });
        QVERIFY(propuesta != std::end(propuestas));
        QCOMPARE(respuesta, std::optional<std::string>(propuesta->second));
    }
}

// The delete answer, remembered, proposed and given in the window, and a
// row with neither an answer nor a proposal, in a UTF-8 text.
void PruebaConversion::borrarYSinPropuesta() {
    Entorno e;
    // € is remembered as the delete answer; the zero-width space's proposal
    // is the delete answer; 中 has no proposal; … and ^ have theirs.
    FrmConversionCaracteres* v = AbrirConversion(e,
                                                 "a\xe2\x82\xac"
                                                 "b\xe2\x80\x8b"
                                                 "c\xe4\xb8\xad"
                                                 "d\xe2\x80\xa6"
                                                 "e^f\xe2\x82\xac",
                                                 "[lista]\r\n\x80=\"\"\r\n");
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QCOMPARE(g->Rows(), 6);
    const QString marca = M(textos::BorrarCelda);
    struct Fila {
        std::string clave;
        std::string texto;
        bool borrar;
        bool propuesta;
    };
    const auto comprobar = [g](std::initializer_list<Fila> filas) {
        int f = 1;
        for (const Fila& c : filas) {
            QCOMPARE(g->TextMatrix(f, 0), c.clave);
            QCOMPARE(g->TextMatrix(f, 1), c.texto);
            QCOMPARE(g->EsBorrado(f), c.borrar);
            QCOMPARE(g->Propuesta(f), c.propuesta);
            ++f;
        }
    };
    comprobar({{"\x80", "", true, false},
               {"U+200B", "", true, true},
               {"U+4E2D", "", false, false},
               {"\x85", "...", false, true},
               {"^", "**", false, true}});
    QCOMPARE(g->item(0, 1)->text(), marca);
    QCOMPARE(g->item(0, 1)->toolTip(), M(textos::BorrarTip));
    QVERIFY(!g->item(0, 1)->font().italic());
    QVERIFY(g->item(1, 1)->font().italic());
    pruebas::Capturar(*v, QStringLiteral("Rejilla-borrar"));

    // Only the row with neither stops the accept; nothing is stored.
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{Faltan({QStringLiteral("中 (U+4E2D)")})});
    QCOMPARE(g->Row(), 3);
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\x80=\"\"\r\n"));

    // The row's menu, from a right-click on its character: the character
    // goes.
    QMenu* menu = MenuDe(v, 3, 0);
    QVERIFY(menu);
    pruebas::Capturar(*menu, QStringLiteral("Menu-fila"));
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("accionPropuesta")));
    Elegir(menu, "accionBorrar");
    QVERIFY(g->EsBorrado(3) && !g->Propuesta(3));

    // The menu key as the platform sends it: the current row's menu. A
    // proposed delete can be made the user's, or taken away; the proposal it
    // already shows is not offered.
    g->SetCeldaActual(2, 1);
    QContextMenuEvent tecla(QContextMenuEvent::Keyboard, QPoint(1, 1),
                            g->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(g, &tecla);
    menu = MenuAbierto(v);
    QVERIFY(menu);
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("accionBorrar"))->isEnabled());
    QVERIFY(menu->findChild<QAction*>(QStringLiteral("accionSinSustituto"))->isEnabled());
    QVERIFY(!menu->findChild<QAction*>(QStringLiteral("accionPropuesta"))->isEnabled());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(g->EsBorrado(2) && g->Propuesta(2));

    // Delete on a replacement cell: the character goes.
    g->SetCeldaActual(4, 1);
    QTest::keyClick(g, Qt::Key_Delete);
    QVERIFY(g->EsBorrado(4) && !g->Propuesta(4));

    // A proposal deleted from the editor leaves no answer; Delete on the
    // empty editor then gives the delete answer, and the menu key's menu
    // the proposal back.
    QLineEdit* editor = v->Editor();
    g->SetCeldaActual(5, 1);
    QTest::keyClick(g, Qt::Key_F2);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Up);
    QCOMPARE(g->TextMatrix(5, 1), B(""));
    QVERIFY(!g->EsBorrado(5) && !g->Propuesta(5));
    g->SetCeldaActual(5, 1);
    QTest::keyClick(g, Qt::Key_F2);
    QVERIFY(editor->hasFocus());
    QTest::keyClick(editor, Qt::Key_Delete);
    QVERIFY(!editor->isVisible());
    QVERIFY(g->EsBorrado(5) && !g->Propuesta(5));
    QTest::keyClick(g, Qt::Key_Menu);
    menu = MenuAbierto(v);
    QVERIFY(menu);
    Elegir(menu, "accionPropuesta");
    QCOMPARE(g->TextMatrix(5, 1), B("**"));
    QVERIFY(g->Propuesta(5) && !g->EsBorrado(5));
    // The editor over a delete answer is empty, showing the mark; left as
    // it was, the answer stays.
    Clic(v, 1, 1);
    QCOMPARE(editor->text(), QString());
    QCOMPARE(editor->placeholderText(), marca);
    Clic(v, 2, 0);
    QVERIFY(g->EsBorrado(1));
    comprobar({{"\x80", "", true, false},
               {"U+200B", "", true, true},
               {"U+4E2D", "", true, false},
               {"\x85", "", true, false},
               {"^", "**", false, true}});

    // Each deleted occurrence counts once; every row is remembered, each
    // delete answer as "".
    Pulsar(v, "CmdAceptar");
    QCOMPARE(pruebas::Textos(e.dialogos).mid(1),
             QStringList{QString::fromStdString(textos::MensajeCorregido(6))});
    QCOMPARE(Salida(e), QByteArray("abcde**f"));
    QCOMPARE(Almacen(e), QByteArray("[lista]\r\n\x80=\"\"\r\nU+200B=\"\"\r\nU+4E2D=\"\"\r\n"
                                    "\x85=\"\"\r\n^=**\r\n"));
}

void PruebaConversion::muchasFilas() {
    // Far more rows than a 16-bit number holds (Chinese and Korean text):
    // an answer typed on a row past 32767 is kept like any other.
    QString t;
    int n = 0;
    for (const auto& [desde, hasta] : {std::pair{0x3400, 0xA000}, std::pair{0xAC00, 0xD7A4}}) {
        for (char32_t c = desde; c < static_cast<char32_t>(hasta); ++c) {
            t += QString::fromUcs4(&c, 1);
            t += ++n % 100 == 0 ? QStringLiteral("\r\n") : QString();
        }
    }
    Entorno e;
    FrmConversionCaracteres* v = AbrirConversion(e, t.toUtf8());
    QVERIFY(v);
    RejillaCaracteres* g = v->Rejilla();
    QVERIFY(g->Rows() > 38000);
    const int fila = 33000;
    g->SetCeldaActual(fila, 1);
    g->scrollTo(g->currentIndex());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RectanguloEnVista(fila, 1).center());
    QVERIFY(v->Editor()->isVisible());
    QTest::keyClicks(v->Editor(), QStringLiteral("x"));
    QTest::keyClick(v->Editor(), Qt::Key_Tab);
    QCOMPARE(g->TextMatrix(fila, 1), std::string("x"));
}

QTEST_MAIN(PruebaConversion)
#include "test_conversion.moc"
