// The file-selection window, driven as a user would: names typed or picked,
// buttons pressed, the scripted dialogs answering; the start-up and hand-over
// around it; and the window helpers it is built from.

#include "core/textos.h"
#include "tests/ui/ayudas_ui.h"
#include "ui/botones.h"
#include "ui/geometria.h"
#include "ui/seleccion/frmelegirficheros.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

using namespace tildora;
using tildora::pruebas::DialogosGuionados;
using tildora::pruebas::Entorno;

namespace {

// 'ç' (231) and '^' (94) are wrong characters; 'ó' (243) is allowed.
const QByteArray kConErrores("Fran\xe7"
                             "ais ^ texto\r\nm\xe1s\r\n");
const QByteArray kLimpio("Hola, mundo.\r\nAdi\xf3s.\r\n");

FrmElegirFicheros* Seleccion(Entorno& e) {
    return qobject_cast<FrmElegirFicheros*>(e.app.VentanaActual());
}

template <typename T> T* Hijo(QWidget* ventana, const char* nombre) {
    return ventana->findChild<T*>(QLatin1String(nombre));
}

QLineEdit* Caja(QWidget* ventana, const char* nombre) {
    return Hijo<QLineEdit>(ventana, nombre);
}

void Pulsar(QWidget* ventana, const char* boton) {
    QTest::mouseClick(Hijo<QToolButton>(ventana, boton), Qt::LeftButton);
}

// Types the two names and presses CmdActualizar.
void Corregir(Entorno& e, const QString& entrada, const QString& salida) {
    QWidget* v = Seleccion(e);
    Caja(v, "txtEntrada")->setText(entrada);
    Caja(v, "txtSalida")->setText(salida);
    Pulsar(v, "CmdActualizar");
}

QString M(std::string_view texto) {
    return TextoQt(texto);
}

// The user's home folder, for as long as it lives: `casa`, with the
// documents folder where Qt looks for it there ("Documents"), as no
// settings of the user's move it.
class CasaDePrueba {
public:
    explicit CasaDePrueba(const QString& casa)
        : m_casa(qgetenv("HOME")), m_config(qgetenv("XDG_CONFIG_HOME")),
          m_conConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        qputenv("HOME", QFile::encodeName(casa));
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~CasaDePrueba() {
        qputenv("HOME", m_casa);
        if (m_conConfig) {
            qputenv("XDG_CONFIG_HOME", m_config);
        }
    }
    CasaDePrueba(const CasaDePrueba&) = delete;
    CasaDePrueba& operator=(const CasaDePrueba&) = delete;

private:
    QByteArray m_casa;
    QByteArray m_config;
    bool m_conConfig;
};

} // namespace

class PruebaSeleccion : public QObject {
    Q_OBJECT

private slots:
    void disposicion();
    void ordenDelFoco();
    void centrado();
    void botonCorregir();
    void ficheroConErroresYVuelta();
    void nombreDelDialogo();
    void salir();
    void mensajeReal();
    void abrirConFichero();
    void soltarFichero();
};

void PruebaSeleccion::disposicion() {
    Entorno e;
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    QVERIFY(v);
    pruebas::Capturar(*v, QStringLiteral("FrmElegirFicheros"));
    QVERIFY(v->isVisible());
    QCOMPARE(v->windowTitle(), M(textos::Titulo));
    QVERIFY(!v->windowIcon().isNull());
    QCOMPARE(v->size(), QSize(344, 301));
    QCOMPARE(v->minimumSize(), v->maximumSize());

    struct Control {
        const char* nombre;
        QRect donde;
    };
    const Control controles[] = {
        {"lblFitxategiakAukeratu", QRect(10, 16, 323, 31)},
        {"LblSeleccionFicheros", QRect(10, 52, 323, 31)},
        {"cmdEntrada", QRect(278, 124, 27, 23)},
        {"txtEntrada", QRect(32, 124, 243, 23)},
        {"txtSalida", QRect(32, 182, 243, 23)},
        {"cmdSalida", QRect(278, 182, 27, 23)},
        {"CmdActualizar", QRect(74, 230, 87, 53)},
        {"CmdSalir", QRect(186, 230, 87, 53)},
        {"LblAct", QRect(34, 102, 241, 20)},
        {"Label1", QRect(34, 160, 241, 20)},
    };
    for (const Control& c : controles) {
        QWidget* w = Hijo<QWidget>(v, c.nombre);
        QVERIFY2(w, c.nombre);
        QVERIFY2(w->isVisible(), c.nombre);
        QCOMPARE(w->geometry(), c.donde);
    }
    // A box in twips from the layout's table, in pixels.
    QCOMPARE(RectTwips(modelo::Rectangulo{1110, 3450, 1300, 800}), QRect(74, 230, 87, 53));
    QCOMPARE(Lugar(modelo::DisposicionConversion(), "CmdPrevia"), QRect(316, 216, 87, 53));
    QCOMPARE(Tamano(modelo::DisposicionConversion()), QSize(437, 447));

    struct Etiqueta {
        const char* nombre;
        std::string_view texto;
        QColor color;
        bool negrita;
    };
    const Etiqueta etiquetas[] = {
        {"lblFitxategiakAukeratu", textos::LblFitxategiakAukeratu, QColor(0, 0, 128), false},
        {"LblSeleccionFicheros", textos::LblSeleccionFicheros, QColor(0, 0, 128), false},
        {"LblAct", textos::LblAct, QColor(128, 0, 0), true},
        {"Label1", textos::Label1Salida, QColor(0, 128, 0), true},
    };
    for (const Etiqueta& et : etiquetas) {
        auto* l = Hijo<QLabel>(v, et.nombre);
        QCOMPARE(l->text(), M(et.texto));
        QCOMPARE(l->palette().color(QPalette::WindowText), et.color);
        QCOMPARE(l->font().bold(), et.negrita);
        // The window font, narrowed only where this system's font is too wide
        // for the box, and never below a readable size.
        QVERIFY(l->font().pointSizeF() <= 8.25 && l->font().pointSizeF() >= 5.5);
        QVERIFY(l->wordWrap());
        QVERIFY(l->alignment() & Qt::AlignHCenter);
        QCOMPARE(l->focusPolicy(), Qt::NoFocus);
        // Wrapped to its box's width, the text must fit the box's height.
        QVERIFY2(l->heightForWidth(l->width()) <= l->height(), et.nombre);
    }
    // The two languages of the instructions at one size.
    QCOMPARE(Hijo<QLabel>(v, "lblFitxategiakAukeratu")->font(),
             Hijo<QLabel>(v, "LblSeleccionFicheros")->font());

    QVERIFY(Caja(v, "txtEntrada")->text().isEmpty());
    QVERIFY(Caja(v, "txtSalida")->text().isEmpty());

    // Captions stacked a word a line under their pictures; browse buttons
    // picture only.
    auto* actualizar = Hijo<QToolButton>(v, "CmdActualizar");
    auto* salir = Hijo<QToolButton>(v, "CmdSalir");
    QCOMPARE(actualizar->text(), QStringLiteral("Zuzendu\nCorregir"));
    QCOMPARE(salir->text(), QStringLiteral("Irten\nSalir"));
    for (auto* b : {actualizar, salir}) {
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QVERIFY(b->sizeHint().height() <= b->height());
        QVERIFY(b->sizeHint().width() <= b->width());
    }
    for (const char* nombre : {"cmdEntrada", "cmdSalida"}) {
        auto* b = Hijo<QToolButton>(v, nombre);
        QVERIFY(b->text().isEmpty());
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonIconOnly);
    }
    // Every picture is compiled in and draws.
    for (auto* b : v->findChildren<QToolButton*>()) {
        QVERIFY2(!b->icon().pixmap(16, 16).isNull(), qPrintable(b->objectName()));
        QVERIFY(b->toolTip().isEmpty());
    }

    QCOMPARE(ApilarPalabras(M(textos::CmdSalir)), QStringLiteral("Irten\nSalir"));
    QCOMPARE(ApilarPalabras(QString()), QString());
    QCOMPARE(ApilarPalabras(QStringLiteral("   ")), QString());
}

void PruebaSeleccion::ordenDelFoco() {
    Entorno e;
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    QCOMPARE(v->focusWidget(), Hijo<QWidget>(v, "cmdEntrada"));

    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    QCOMPARE(QApplication::focusWidget(), Hijo<QWidget>(v, "cmdEntrada"));

    QStringList recorrido;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        recorrido.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(recorrido, (QStringList{"txtEntrada", "txtSalida", "cmdSalida", "CmdActualizar",
                                     "CmdSalir", "cmdEntrada"}));
}

void PruebaSeleccion::centrado() {
    // The window's outer frame centred on the whole screen (the centring's
    // arithmetic is the layout model's: tests/modelos/test_disposicion.cpp).
    Entorno e;
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    const QRect pantalla = v->screen()->geometry();
    const QSize marco = v->frameGeometry().size();
    const int izquierda = (pantalla.width() - marco.width()) * 15 / 2;
    const int arriba = (pantalla.height() - marco.height()) * 15 / 2;
    QCOMPARE(v->frameGeometry().topLeft(),
             pantalla.topLeft() + QPoint(qRound(izquierda / 15.0), qRound(arriba / 15.0)));
    QCOMPARE(v->size(), QSize(344, 301));
}

void PruebaSeleccion::botonCorregir() {
    // The boxes go to the model as typed and keep their text, blanks
    // included; what the model says shows, and the window stays. (The
    // sequence itself is the model's: tests/modelos/test_eleccion.cpp.)
    Entorno e;
    const QByteArray viejo("contenido anterior\r\n");
    const QString entrada = e.Escribir("entrada.txt", kConErrores);
    const QString limpio = e.Escribir("limpio.txt", kLimpio);
    const QString existente = e.Escribir("salida.txt", viejo);
    QVERIFY(QDir(e.carpeta.path()).mkdir("llena"));
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    struct Caso {
        QString entrada;
        QString salida;
        QStringList mensajes;
        bool conCancelar;
    };
    const Caso casos[] = {
        {"", "", {M(textos::M1NombreIncorrecto)}, false},
        {"   ", "     ", {M(textos::M1NombreIncorrecto)}, false},
        {entrada, "  " + entrada + " ", {M(textos::M2NombresIguales)}, false},
        {entrada,
         QStringLiteral(" ") + e.Ruta("./caracteres.ini"),
         {M(textos::SalidaIncorrecta)},
         false},
        {entrada,
         e.Ruta("llena"),
         {M(textos::SalidaIncorrecta) + "\n" + e.Ruta("llena") +
          ": karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
         false},
        // The overwrite question, cancelled.
        {entrada, QStringLiteral(" ") + existente, {M(textos::M3SobreEscribir)}, true},
        {e.Ruta("no_existe.txt"),
         e.Ruta("nueva.txt"),
         {M(textos::M1NombreIncorrecto) + "\n" + e.Ruta("no_existe.txt") +
          ": ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"},
         false},
        {QStringLiteral("  ") + limpio,
         e.Ruta("nueva.txt") + QStringLiteral("  "),
         {M(textos::M4SinErrores)},
         false},
    };
    for (const Caso& c : casos) {
        e.dialogos.mensajes.clear();
        e.dialogos.respuestas.enqueue(modelo::Dialogos::Respuesta::Cancelar);
        Corregir(e, c.entrada, c.salida);
        e.dialogos.respuestas.clear();
        QCOMPARE(pruebas::Textos(e.dialogos), c.mensajes);
        QCOMPARE(e.dialogos.mensajes.front().conCancelar, c.conCancelar);
        QCOMPARE(e.app.VentanaActual(), v);
        QVERIFY(v->isVisible());
        QCOMPARE(Caja(v, "txtEntrada")->text(), c.entrada);
        QCOMPARE(Caja(v, "txtSalida")->text(), c.salida);
    }
    // The names went trimmed to the state; nothing was written.
    QCOMPARE(e.estado.FicheroEntrada, QFile::encodeName(limpio).toStdString());
    QCOMPARE(e.estado.FicheroSalida, QFile::encodeName(e.Ruta("nueva.txt")).toStdString());
    QCOMPARE(pruebas::LeerBytes(existente), viejo);
    QVERIFY(!QFile::exists(e.Ruta("nueva.txt")));
    QCOMPARE(e.salidas, 0);
}

void PruebaSeleccion::ficheroConErroresYVuelta() {
    Entorno e;
    const QString entrada = e.Escribir("con errores.txt", kConErrores);
    e.dialogos.nombresAbrir.enqueue(entrada);
    e.app.MostrarSeleccion();
    QPointer<FrmElegirFicheros> primera = Seleccion(e);
    const QPoint posicion = primera->pos();
    Pulsar(primera, "cmdEntrada");
    Caja(primera, "txtSalida")->setText(e.Ruta("salida.txt"));
    // With the keyboard: Enter on the focused button.
    Hijo<QToolButton>(primera, "CmdActualizar")->setFocus();
    QTest::keyClick(primera, Qt::Key_Return);

    // The selection window is gone from the screen at once and destroyed once
    // its event is over; the conversion window is loaded and shown.
    QVERIFY(primera);
    QVERIFY(primera->isHidden());
    QWidget* conversion = e.app.VentanaActual();
    QVERIFY(conversion);
    QCOMPARE(conversion->metaObject()->className(), "tildora::FrmConversionCaracteres");
    QVERIFY(conversion->isVisible());
    QVERIFY(conversion->parentWidget() == nullptr);
    QVERIFY(!conversion->isModal());
    // The unloaded window takes no input meanwhile: an Enter typed during
    // the scan, delivered late, must not run a second one.
    QTest::keyClick(primera, Qt::Key_Return);
    QCOMPARE(e.app.VentanaActual(), conversion);
    pruebas::BorrarPendientes();
    QVERIFY(primera.isNull());

    // What the scan found is there for the conversion window.
    QCOMPARE(e.estado.FicheroEntrada, QFile::encodeName(entrada).toStdString());
    QCOMPARE(e.estado.CaracteresErroneos, (std::vector<std::string>{"\xe7", "^", ""}));
    QVERIFY(pruebas::Textos(e.dialogos).isEmpty());

    // Coming back: a fresh window, centred again, empty boxes, and a dialog
    // that holds no name (a cancel leaves the box empty).
    QPointer<QWidget> anterior = conversion;
    e.app.MostrarSeleccion();
    FrmElegirFicheros* segunda = Seleccion(e);
    QVERIFY(segunda);
    QVERIFY(anterior->isHidden());
    pruebas::BorrarPendientes();
    QVERIFY(anterior.isNull());
    QCOMPARE(segunda->pos(), posicion);
    QVERIFY(Caja(segunda, "txtEntrada")->text().isEmpty());
    QVERIFY(Caja(segunda, "txtSalida")->text().isEmpty());
    QCOMPARE(segunda->focusWidget(), Hijo<QWidget>(segunda, "cmdEntrada"));
    Pulsar(segunda, "cmdSalida");
    QVERIFY(Caja(segunda, "txtSalida")->text().isEmpty());
    // The names of the last run stay in the state until the next press.
    QCOMPARE(e.estado.FicheroEntrada, QFile::encodeName(entrada).toStdString());
    QCOMPARE(e.salidas, 0);
}

void PruebaSeleccion::nombreDelDialogo() {
    Entorno e;
    // The user's home is a folder of the test's, with no documents folder
    // yet and no settings that would put one elsewhere.
    const QString casa = e.Ruta(QStringLiteral("casa"));
    QVERIFY(QDir().mkpath(casa));
    const CasaDePrueba enCasa(casa);
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    QLineEdit* txtEntrada = Caja(v, "txtEntrada");
    QLineEdit* txtSalida = Caja(v, "txtSalida");

    // A cancel leaves the box as it was, typed text included.
    txtEntrada->setText(QStringLiteral("tecleado.txt"));
    e.estado.FicheroEntrada = "previo";
    Pulsar(v, "cmdEntrada");
    QCOMPARE(e.dialogos.dialogosAbrir, 1);
    QCOMPARE(txtEntrada->text(), QStringLiteral("tecleado.txt"));
    QCOMPARE(e.estado.FicheroEntrada, std::string("previo"));

    // A choice goes to the box and, in the file system's bytes, to the state.
    e.dialogos.nombresAbrir.enqueue(QStringLiteral("/datos/entrada ñ.txt"));
    Pulsar(v, "cmdEntrada");
    QCOMPARE(txtEntrada->text(), QStringLiteral("/datos/entrada ñ.txt"));
    QCOMPARE(e.estado.FicheroEntrada, std::string("/datos/entrada \xc3\xb1.txt"));

    // A cancelled save leaves the output box as it was: never the input's
    // name, which would overwrite the input.
    Pulsar(v, "cmdSalida");
    QCOMPARE(e.dialogos.dialogosGuardar, 1);
    QCOMPARE(txtSalida->text(), QString());
    QVERIFY(e.estado.FicheroSalida.empty());

    e.dialogos.nombresGuardar.enqueue(QStringLiteral("/datos/salida.txt"));
    Pulsar(v, "cmdSalida");
    QCOMPARE(txtSalida->text(), QStringLiteral("/datos/salida.txt"));
    QCOMPARE(e.estado.FicheroSalida, std::string("/datos/salida.txt"));
    Pulsar(v, "cmdSalida");
    QCOMPARE(txtSalida->text(), QStringLiteral("/datos/salida.txt"));

    txtEntrada->setText(QStringLiteral("otro"));
    Pulsar(v, "cmdEntrada");
    QCOMPARE(txtEntrada->text(), QStringLiteral("otro"));
    QCOMPARE(e.dialogos.dialogosAbrir, 3);
    QVERIFY(pruebas::Textos(e.dialogos).isEmpty());

    // The dialogs start from the boxes' texts; where they say nothing, in
    // the folder of the file picked last (here "/datos", which is not
    // there), else in the user's documents folder once it is there, else in
    // the home folder. (Where exactly is the model's:
    // tests/modelos/test_eleccion.cpp.)
    const QString carta = e.Escribir("carta.txt", "x");
    const QString documentos = casa + QStringLiteral("/Documents");
    e.dialogos.inicios.clear();
    e.dialogos.propuestas.clear();
    for (const QString& caja : {carta, e.Ruta("nueva.txt"), QStringLiteral("  ")}) {
        txtEntrada->setText(caja);
        Pulsar(v, "cmdEntrada");
    }
    QVERIFY(QDir().mkpath(documentos));
    Pulsar(v, "cmdEntrada");
    QCOMPARE(e.dialogos.inicios, (QStringList{carta, e.carpeta.path(), casa, documentos}));
    txtSalida->clear();
    txtEntrada->setText(carta);
    Pulsar(v, "cmdSalida");
    txtEntrada->clear();
    Pulsar(v, "cmdSalida");
    txtSalida->setText(e.Ruta("elegida.txt"));
    Pulsar(v, "cmdSalida");
    QCOMPARE(e.dialogos.propuestas,
             (QStringList{e.Ruta("carta.tildora.txt"), documentos, e.Ruta("elegida.txt")}));
}

void PruebaSeleccion::salir() {
    {
        Entorno e;
        e.app.MostrarSeleccion();
        QPointer<FrmElegirFicheros> v = Seleccion(e);
        Pulsar(v, "CmdSalir");
        QCOMPARE(e.salidas, 1);
        QVERIFY(e.app.VentanaActual() == nullptr);
        QVERIFY(v->isHidden());
        pruebas::BorrarPendientes();
        QVERIFY(v.isNull());
    }
    {
        // Enter on the focused exit button presses it; Enter in a name box
        // presses nothing.
        Entorno e;
        e.app.MostrarSeleccion();
        QPointer<FrmElegirFicheros> v = Seleccion(e);
        auto* txtEntrada = Hijo<QLineEdit>(v, "txtEntrada");
        txtEntrada->setFocus();
        QTest::keyClick(txtEntrada, Qt::Key_Return);
        QCOMPARE(e.salidas, 0);
        QVERIFY(pruebas::Textos(e.dialogos).isEmpty());
        auto* salir = Hijo<QToolButton>(v, "CmdSalir");
        salir->setFocus();
        QTest::keyClick(salir, Qt::Key_Return);
        QCOMPARE(e.salidas, 1);
        pruebas::BorrarPendientes();
    }
    {
        // Closing the one window from its title bar ends the program too.
        Entorno e;
        e.app.MostrarSeleccion();
        QPointer<FrmElegirFicheros> v = Seleccion(e);
        QVERIFY(v->close());
        QCOMPARE(e.salidas, 1);
        QVERIFY(e.app.VentanaActual() == nullptr);
        pruebas::BorrarPendientes();
        QVERIFY(v.isNull());
        QVERIFY(pruebas::Textos(e.dialogos).isEmpty());
    }
    {
        // The event loop may end before an unloaded window's deferred delete
        // runs; the window still goes with the program.
        QPointer<QWidget> v;
        {
            Estado estado;
            DialogosGuionados dialogos;
            Aplicacion app(estado, dialogos, [] {});
            app.MostrarSeleccion();
            v = app.VentanaActual();
            app.Salir();
            QVERIFY(v);
        }
        QVERIFY(v.isNull());
    }
}

void PruebaSeleccion::mensajeReal() {
    // The real message box: the program's title, no icon, OK or OK and Cancel
    // in the program's words (no translation of Qt's is loaded here, as
    // under the C locale, where Qt's own would read "OK" and "Cancel"), the
    // default button the one asked for, and a box closed without a button
    // counts as Cancel.
    struct Visto {
        QString titulo;
        QMessageBox::Icon icono = QMessageBox::Information;
        QMessageBox::StandardButtons botones;
        QString texto;
        QStringList palabras;
        QMessageBox::StandardButton porDefecto = QMessageBox::NoButton;
    };
    auto responder = [](Visto& visto, bool cerrar) {
        QTimer::singleShot(0, [&visto, cerrar] {
            QMessageBox* caja = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible()) {
                    caja = m;
                }
            }
            QVERIFY(caja);
            visto = {
                caja->windowTitle(), caja->icon(), caja->standardButtons(),
                caja->text(),        {},           caja->standardButton(caja->defaultButton())};
            for (QAbstractButton* b : caja->buttons()) {
                visto.palabras.append(b->text());
            }
            visto.palabras.sort();
            if (cerrar) {
                caja->close();
            } else {
                caja->button(QMessageBox::Ok)->click();
            }
        });
    };
    DialogosQt dialogos;
    Visto visto;
    responder(visto, true);
    QCOMPARE(dialogos.Mensaje(std::string(textos::M3SobreEscribir), true),
             modelo::Dialogos::Respuesta::Cancelar);
    QCOMPARE(visto.titulo, M(textos::Titulo));
    QCOMPARE(visto.icono, QMessageBox::NoIcon);
    QCOMPARE(visto.botones, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(visto.texto, M(textos::M3SobreEscribir));
    QCOMPARE(visto.palabras, (QStringList{M(textos::BotonAceptar), M(textos::BotonCancelar)}));
    QCOMPARE(visto.porDefecto, QMessageBox::Ok);

    responder(visto, false);
    QCOMPARE(dialogos.Preguntar(std::string(textos::M3SobreEscribir),
                                modelo::Dialogos::Respuesta::Cancelar),
             modelo::Dialogos::Respuesta::Aceptar);
    QCOMPARE(visto.porDefecto, QMessageBox::Cancel);

    responder(visto, false);
    QCOMPARE(dialogos.Mensaje(std::string(textos::M4SinErrores), false),
             modelo::Dialogos::Respuesta::Aceptar);
    QCOMPARE(visto.botones, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(visto.palabras, QStringList{M(textos::BotonAceptar)});

    // The scan speaks through the same box.
    DialogosGuionados guion;
    modelo::AvisadorDialogos avisador(guion);
    avisador.Mensaje(std::string(textos::M1NombreIncorrecto));
    QCOMPARE(pruebas::Textos(guion), QStringList{M(textos::M1NombreIncorrecto)});
    QVERIFY(!guion.mensajes.front().conCancelar);
}

void PruebaSeleccion::abrirConFichero() {
    // Started to open a file: its name in the input box, the focus on the
    // output box, and the rest as usual.
    Entorno e;
    const QString entrada = e.Escribir(QStringLiteral("carta.txt"), kConErrores);
    e.app.MostrarSeleccion(entrada);
    FrmElegirFicheros* v = Seleccion(e);
    QCOMPARE(Caja(v, "txtEntrada")->text(), entrada);
    QCOMPARE(Caja(v, "txtSalida")->text(), QString());
    QCOMPARE(v->focusWidget(), Caja(v, "txtSalida"));
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    QTest::keyClicks(QApplication::focusWidget(), e.Ruta(QStringLiteral("limpia.txt")));
    Pulsar(v, "CmdActualizar");
    QVERIFY(e.app.VentanaActual() != v);
    QCOMPARE(e.estado.FicheroEntrada, QFile::encodeName(entrada).toStdString());
}

void PruebaSeleccion::soltarFichero() {
    Entorno e;
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    const QString a = e.Ruta(QStringLiteral("a.txt"));
    const QString b = e.Ruta(QStringLiteral("b.txt"));
    struct Caso {
        const char* caja;
        QList<QUrl> urls;
        QString esperado; // the box's text after the drop
    };
    const QList<Caso> casos = {
        {"txtEntrada", {QUrl::fromLocalFile(a)}, a},
        {"txtSalida", {QUrl::fromLocalFile(b)}, b},
        // Several files or a web address change nothing.
        {"txtEntrada", {QUrl::fromLocalFile(b), QUrl::fromLocalFile(a)}, a},
        {"txtSalida", {QUrl(QStringLiteral("https://example.org/c.txt"))}, b},
    };
    for (const Caso& c : casos) {
        QLineEdit* caja = Caja(v, c.caja);
        QMimeData datos;
        datos.setUrls(c.urls);
        const QPoint centro = caja->rect().center();
        QDragEnterEvent entrar(centro, Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(caja, &entrar);
        QCOMPARE(entrar.isAccepted(), c.urls.size() == 1 && c.urls.front().isLocalFile());
        QDropEvent soltar(QPointF(centro), Qt::CopyAction, &datos, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(caja, &soltar);
        QCOMPARE(caja->text(), c.esperado);
    }
}

QTEST_MAIN(PruebaSeleccion)
#include "test_seleccion.moc"
