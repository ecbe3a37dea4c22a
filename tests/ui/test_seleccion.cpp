// The file-selection window, driven as a user would: names typed or picked,
// buttons pressed, the scripted dialogs answering; the start-up and hand-over
// around it; and the window helpers it is built from.

#include "core/textos.h"
#include "tests/ui/ayudas_ui.h"
#include "ui/botones.h"
#include "ui/geometria.h"
#include "ui/seleccion/frmelegirficheros.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

class PruebaSeleccion : public QObject {
    Q_OBJECT

private slots:
    void disposicion();
    void ordenDelFoco();
    void centrado();
    void nombresVacios();
    void nombresIguales();
    void salidaExistente();
    void salidaSinPregunta();
    void salidaAlmacen();
    void salidaComprobadaAntes();
    void entradaIlegible();
    void entradaSinPermiso();
    void ficheroLimpio();
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
        {"lblFitxategiakAukeratu", RectTwips(150, 240, 4845, 465)},
        {"LblSeleccionFicheros", RectTwips(150, 780, 4845, 465)},
        {"cmdEntrada", RectTwips(4170, 1860, 405, 345)},
        {"txtEntrada", RectTwips(480, 1860, 3645, 345)},
        {"txtSalida", RectTwips(480, 2730, 3645, 345)},
        {"cmdSalida", RectTwips(4170, 2730, 405, 345)},
        {"CmdActualizar", RectTwips(1110, 3450, 1300, 800)},
        {"CmdSalir", RectTwips(2790, 3450, 1300, 800)},
        {"LblAct", RectTwips(510, 1530, 3615, 300)},
        {"Label1", RectTwips(510, 2400, 3615, 300)},
    };
    for (const Control& c : controles) {
        QWidget* w = Hijo<QWidget>(v, c.nombre);
        QVERIFY2(w, c.nombre);
        QVERIFY2(w->isVisible(), c.nombre);
        QCOMPARE(w->geometry(), c.donde);
    }
    QCOMPARE(RectTwips(1110, 3450, 1300, 800), QRect(74, 230, 87, 53));

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
    // Rounded with halves to even, then halved toward zero.
    QCOMPARE(CoordenadaCentrada(25, 20), std::int16_t(2));
    QCOMPARE(CoordenadaCentrada(10.5, 0), std::int16_t(5)); // 10.5 -> 10
    QCOMPARE(CoordenadaCentrada(11.5, 0), std::int16_t(6)); // 11.5 -> 12
    QCOMPARE(CoordenadaCentrada(2.5, 0), std::int16_t(1));  // 2.5 -> 2
    QCOMPARE(CoordenadaCentrada(3.5, 0), std::int16_t(2));  // 3.5 -> 4
    QCOMPARE(CoordenadaCentrada(7.4, 0), std::int16_t(3));  // 7.4 -> 7 -> 3
    QCOMPARE(CoordenadaCentrada(7.6, 0), std::int16_t(4));  // 7.6 -> 8
    // A window larger than the screen: negative, still halved toward zero.
    QCOMPARE(CoordenadaCentrada(0, 5), std::int16_t(-2));
    QCOMPARE(CoordenadaCentrada(0, 3), std::int16_t(-1));
    QCOMPARE(CoordenadaCentrada(0, 10.5), std::int16_t(-5));
    QCOMPARE(CoordenadaCentrada(0, 11.5), std::int16_t(-6));
    QCOMPARE(CoordenadaCentrada(100, 100), std::int16_t(0));
    // The 16-bit ends: reached exactly, and held there beyond.
    QCOMPARE(CoordenadaCentrada(65535, 0), std::int16_t(32767));
    QCOMPARE(CoordenadaCentrada(65536, 0), std::int16_t(32767));
    QCOMPARE(CoordenadaCentrada(10'000'000, 0), std::int16_t(32767));
    QCOMPARE(CoordenadaCentrada(0, 65537), std::int16_t(-32768));
    QCOMPARE(CoordenadaCentrada(0, 65539), std::int16_t(-32768));
    QCOMPARE(CoordenadaCentrada(0, 10'000'000), std::int16_t(-32768));

    QCOMPARE(Px(15), 1);
    QCOMPARE(Px(1300), 87);
    QCOMPARE(Px(800), 53);
    QCOMPARE(Px(-15), -1);

    // The window's outer frame centred on the whole screen.
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

void PruebaSeleccion::nombresVacios() {
    Entorno e;
    const QString entrada = e.Escribir("entrada.txt", kConErrores);
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);

    struct Caso {
        QString entrada;
        QString salida;
    };
    const Caso casos[] = {
        {"", ""},
        {entrada, ""},
        {"", e.Ruta("salida.txt")},
        {"   ", e.Ruta("salida.txt")},
        {entrada, "     "},
    };
    for (const Caso& c : casos) {
        e.dialogos.mensajes.clear();
        Corregir(e, c.entrada, c.salida);
        QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M1NombreIncorrecto)});
        QVERIFY(!e.dialogos.mensajes.front().conCancelar);
        QCOMPARE(e.app.VentanaActual(), v);
        // The boxes keep what was typed, blanks included; no scan ran.
        QCOMPARE(Caja(v, "txtEntrada")->text(), c.entrada);
        QCOMPARE(Caja(v, "txtSalida")->text(), c.salida);
        QVERIFY(!e.estado.TablaConstruida);
    }

    // Only spaces are blanks: a tab is a name, and the scan is asked to read it.
    e.dialogos.mensajes.clear();
    Corregir(e, QStringLiteral(" \t "), e.Ruta("salida.txt"));
    QCOMPARE(e.estado.FicheroEntrada, std::string("\t"));
    QVERIFY(e.estado.TablaConstruida);
    QCOMPARE(
        pruebas::Textos(e.dialogos),
        QStringList{M(textos::M1NombreIncorrecto) +
                    "\n\t: ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"});
    QVERIFY(!e.estado.ErrorLectura);
}

void PruebaSeleccion::nombresIguales() {
    Entorno e;
    const QString entrada = e.Escribir("a.txt", kLimpio);
    QVERIFY(QDir(e.carpeta.path()).mkdir("sub"));
    QVERIFY(QFile::link(entrada, e.Ruta("enlace.txt")));
    e.app.MostrarSeleccion();

    const QString iguales[] = {
        entrada,
        QStringLiteral("  ") + entrada + QStringLiteral(" "), // equal once trimmed
        e.Ruta("sub/../a.txt"),                               // the same file
        e.Ruta("./a.txt"),
        e.Ruta("enlace.txt"),
    };
    for (const QString& salida : iguales) {
        e.dialogos.mensajes.clear();
        Corregir(e, entrada, salida);
        QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M2NombresIguales)});
        QVERIFY(!e.estado.TablaConstruida);
        QCOMPARE(Caja(Seleccion(e), "txtSalida")->text(), salida);
    }
    QCOMPARE(pruebas::LeerBytes(entrada), kLimpio);

    // Names that differ only in case are different files here: no M2.
    e.dialogos.mensajes.clear();
    Corregir(e, entrada, e.Ruta("A.txt"));
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M4SinErrores)});
}

void PruebaSeleccion::salidaExistente() {
    const QByteArray viejo("contenido anterior\r\n");
    {
        // Cancel: no scan, no further message, nothing changes.
        Entorno e;
        const QString entrada = e.Escribir("entrada.txt", kConErrores);
        const QString salida = e.Escribir("salida.txt", viejo);
        e.dialogos.respuestas.enqueue(Dialogos::Respuesta::Cancelar);
        e.app.MostrarSeleccion();
        FrmElegirFicheros* v = Seleccion(e);
        Corregir(e, entrada, QStringLiteral(" ") + salida);
        QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M3SobreEscribir)});
        QVERIFY(e.dialogos.mensajes.front().conCancelar);
        QVERIFY(!e.estado.TablaConstruida);
        QVERIFY(e.estado.CaracteresErroneos.empty());
        QCOMPARE(e.app.VentanaActual(), v);
        QVERIFY(v->isVisible());
        QCOMPARE(Caja(v, "txtEntrada")->text(), entrada);
        QCOMPARE(Caja(v, "txtSalida")->text(), QStringLiteral(" ") + salida);
        QCOMPARE(pruebas::LeerBytes(salida), viejo);
    }
    {
        // OK: the scan runs; a clean file then says so, and nothing is written.
        Entorno e;
        const QString entrada = e.Escribir("entrada.txt", kLimpio);
        const QString salida = e.Escribir("salida.txt", viejo);
        e.dialogos.respuestas.enqueue(Dialogos::Respuesta::Aceptar);
        e.app.MostrarSeleccion();
        Corregir(e, entrada, salida);
        QCOMPARE(pruebas::Textos(e.dialogos),
                 (QStringList{M(textos::M3SobreEscribir), M(textos::M4SinErrores)}));
        QVERIFY(e.estado.TablaConstruida);
        QCOMPARE(pruebas::LeerBytes(salida), viejo);
    }
    {
        // Wildcards act as wildcards. (A name ending in a separator names a
        // folder, which no output can replace: see salidaComprobadaAntes.)
        Entorno e;
        const QString entrada = e.Escribir("entrada.txt", kConErrores);
        QVERIFY(QDir(e.carpeta.path()).mkdir("llena"));
        e.Escribir("llena/x.dat", "x");
        e.app.MostrarSeleccion();
        for (const QString& salida : {e.Ruta("llena/*.dat"), e.Ruta("llena/?.dat")}) {
            e.dialogos.mensajes.clear();
            e.dialogos.respuestas.enqueue(Dialogos::Respuesta::Cancelar);
            Corregir(e, entrada, salida);
            QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M3SobreEscribir)});
            QVERIFY(!e.estado.TablaConstruida);
        }
    }
}

void PruebaSeleccion::salidaSinPregunta() {
    // A hidden file is there, and would be replaced: it gets the question
    // like any file. A new name gets none.
    Entorno e;
    const QString entrada = e.Escribir("entrada.txt", kLimpio);
    e.Escribir(".oculta.txt", "x");
    e.app.MostrarSeleccion();
    e.dialogos.respuestas.enqueue(Dialogos::Respuesta::Cancelar);
    Corregir(e, entrada, e.Ruta(".oculta.txt"));
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M3SobreEscribir)});
    QVERIFY(!e.estado.TablaConstruida);
    e.dialogos.mensajes.clear();
    Corregir(e, entrada, e.Ruta("nueva.txt"));
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M4SinErrores)});
    QCOMPARE(pruebas::LeerBytes(e.Ruta(".oculta.txt")), QByteArray("x"));
    QVERIFY(!QFile::exists(e.Ruta("nueva.txt")));
}

void PruebaSeleccion::salidaAlmacen() {
    // An output that is the store in use, there or not yet, under any
    // spelling: the output-name message, no question, no scan, the store
    // as it was.
    const QByteArray almacen("[lista]\r\n\xe7=c\r\n");
    for (const bool existe : {true, false}) {
        Entorno e;
        const QString entrada = e.Escribir("entrada.txt", kConErrores);
        QVERIFY(QDir(e.carpeta.path()).mkdir("sub"));
        if (existe) {
            e.Escribir("caracteres.ini", almacen);
        }
        e.app.MostrarSeleccion();
        for (const QString& salida : {e.Ruta("caracteres.ini"), e.Ruta("sub/../caracteres.ini"),
                                      QStringLiteral(" ") + e.Ruta("./caracteres.ini")}) {
            e.dialogos.mensajes.clear();
            Corregir(e, entrada, salida);
            QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::SalidaIncorrecta)});
            QVERIFY(!e.estado.TablaConstruida);
            QCOMPARE(Caja(Seleccion(e), "txtSalida")->text(), salida);
        }
        QCOMPARE(QFile::exists(e.Ruta("caracteres.ini")), existe);
        if (existe) {
            QCOMPARE(pruebas::LeerBytes(e.Ruta("caracteres.ini")), almacen);
        }
    }
}

void PruebaSeleccion::salidaComprobadaAntes() {
    // An output that cannot be written is said before the scan, with the
    // reason: no question, no scan, no answer typed for nothing.
    Entorno e;
    const QString entrada = e.Escribir("entrada.txt", kConErrores);
    QVERIFY(QDir(e.carpeta.path()).mkdir("llena"));
    e.Escribir("llena/x.dat", "x");
    e.app.MostrarSeleccion();
    std::vector<std::pair<QString, QString>> casos = {
        {e.Ruta("no-existe/salida.txt"),
         "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"},
        {e.Ruta("entrada.txt/salida.txt"), "bideko zati bat fitxategi bat da, ez karpeta bat / una "
                                           "parte de la ruta es un fichero, no una carpeta"},
        {e.Ruta("llena"), "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        {e.Ruta("llena/"), "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        // No file replaces a pipe or a device: said once, with no question
        // to replace it first (and no word of "-", which the window does
        // not take for standard output).
        {e.Ruta("tubo"), "hodi bat da (FIFO), ez fitxategi bat / es una tubería (FIFO), no un "
                         "fichero"},
        {"/dev/null", "gailu bat da, ez fitxategi bat / es un dispositivo, no un fichero"},
    };
    QCOMPARE(::mkfifo(e.Ruta("tubo").toLocal8Bit().constData(), 0600), 0);
    if (geteuid() != 0) {
        QVERIFY(QDir(e.carpeta.path()).mkdir("cerrada"));
        QVERIFY(QFile::setPermissions(e.Ruta("cerrada"),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        casos.emplace_back(e.Ruta("cerrada/salida.txt"), "ez dago baimenik / no hay permiso");
    }
    for (const auto& [salida, razon] : casos) {
        e.dialogos.mensajes.clear();
        Corregir(e, entrada, salida);
        QCOMPARE(pruebas::Textos(e.dialogos),
                 QStringList{M(textos::SalidaIncorrecta) + "\n" + salida + ": " + razon});
        QVERIFY(!e.estado.TablaConstruida);
        QCOMPARE(e.app.VentanaActual(), Seleccion(e));
        QCOMPARE(Caja(Seleccion(e), "txtSalida")->text(), salida);
    }
}

void PruebaSeleccion::entradaIlegible() {
    // Exactly one message, the scan's; the flag is cleared and the window stays.
    Entorno e;
    e.Escribir("fichero", "x");
    QVERIFY(QDir(e.carpeta.path()).mkdir("carpeta"));
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    // The message names the file and why it cannot be read.
    const std::pair<QString, const char*> casos[] = {
        {e.Ruta("no_existe.txt"),
         "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta"},
        {e.Ruta("carpeta"), "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        {e.Ruta("fichero/dentro.txt"), "bideko zati bat fitxategi bat da, ez karpeta bat / una "
                                       "parte de la ruta es un fichero, no una carpeta"},
    };
    for (const auto& [entrada, razon] : casos) {
        e.dialogos.mensajes.clear();
        Corregir(e, entrada, e.Ruta("salida.txt"));
        QCOMPARE(pruebas::Textos(e.dialogos),
                 QStringList{M(textos::M1NombreIncorrecto) + "\n" + entrada + ": " + razon});
        QVERIFY(!e.estado.ErrorLectura);
        QCOMPARE(e.app.VentanaActual(), v);
        QCOMPARE(Caja(v, "txtEntrada")->text(), entrada);
    }
    QVERIFY(!QFile::exists(e.Ruta("salida.txt")));
}

void PruebaSeleccion::entradaSinPermiso() {
    if (geteuid() == 0) {
        QSKIP("root reads every file; entradaIlegible covers the same road");
    }
    Entorno e;
    const QString entrada = e.Escribir("cerrado.txt", kConErrores);
    QVERIFY(QFile::setPermissions(entrada, QFileDevice::Permissions()));
    e.app.MostrarSeleccion();
    Corregir(e, entrada, e.Ruta("salida.txt"));
    QCOMPARE(pruebas::Textos(e.dialogos),
             QStringList{M(textos::M1NombreIncorrecto) + "\n" + entrada +
                         ": ez dago baimenik / no hay permiso"});
    QVERIFY(!e.estado.ErrorLectura);
    QVERIFY(Seleccion(e));
}

void PruebaSeleccion::ficheroLimpio() {
    Entorno e;
    const QString entrada = e.Escribir("limpio.txt", kLimpio);
    e.app.MostrarSeleccion();
    FrmElegirFicheros* v = Seleccion(e);
    Corregir(e, QStringLiteral("  ") + entrada, e.Ruta("salida.txt") + QStringLiteral("  "));
    QCOMPARE(pruebas::Textos(e.dialogos), QStringList{M(textos::M4SinErrores)});
    QVERIFY(!e.dialogos.mensajes.front().conCancelar);
    QCOMPARE(e.app.VentanaActual(), v);
    QVERIFY(v->isVisible());
    QCOMPARE(e.estado.FicheroEntrada, QFile::encodeName(entrada).toStdString());
    QCOMPARE(e.estado.FicheroSalida, QFile::encodeName(e.Ruta("salida.txt")).toStdString());
    QCOMPARE(Caja(v, "txtEntrada")->text(), QStringLiteral("  ") + entrada);
    QVERIFY(!e.estado.ErrorLectura);
    QVERIFY(!QFile::exists(e.Ruta("salida.txt")));
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

    // A choice goes to the box and to the state.
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

    // Where the dialogs start: the open dialog at the input box's file, or
    // in its folder; the save dialog with the output box's name or, when it
    // is empty, a name beside the input; the documents folder when the
    // boxes say nothing.
    const QString documentos = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString carta = e.Escribir("carta.txt", "x");
    e.dialogos.inicios.clear();
    e.dialogos.propuestas.clear();
    for (const QString& caja :
         {carta, e.Ruta("nueva.txt"), QStringLiteral("  "), QStringLiteral("/no/existe/a.txt")}) {
        txtEntrada->setText(caja);
        Pulsar(v, "cmdEntrada");
    }
    QCOMPARE(e.dialogos.inicios, (QStringList{carta, e.carpeta.path(), documentos, documentos}));
    txtSalida->clear();
    const std::pair<QString, QString> propuestas[] = {
        {carta, e.Ruta("carta.tildora.txt")},
        {e.Ruta("sin-extension"), e.Ruta("sin-extension.tildora")},
        {e.Ruta("a.b.txt"), e.Ruta("a.b.tildora.txt")},
        {QString(), documentos},
    };
    for (const auto& [entrada, propuesta] : propuestas) {
        txtEntrada->setText(entrada);
        Pulsar(v, "cmdSalida");
        QCOMPARE(e.dialogos.propuestas.last(), propuesta);
    }
    txtSalida->setText(e.Ruta("elegida.txt"));
    Pulsar(v, "cmdSalida");
    QCOMPARE(e.dialogos.propuestas.last(), e.Ruta("elegida.txt"));
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
    // The real message box: the program's title, no icon, OK or OK and Cancel,
    // and a box closed without a button counts as Cancel.
    struct Visto {
        QString titulo;
        QMessageBox::Icon icono = QMessageBox::Information;
        QMessageBox::StandardButtons botones;
        QString texto;
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
            visto = {caja->windowTitle(), caja->icon(), caja->standardButtons(), caja->text()};
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
    QCOMPARE(dialogos.Mensaje(nullptr, M(textos::M3SobreEscribir), true),
             Dialogos::Respuesta::Cancelar);
    QCOMPARE(visto.titulo, M(textos::Titulo));
    QCOMPARE(visto.icono, QMessageBox::NoIcon);
    QCOMPARE(visto.botones, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(visto.texto, M(textos::M3SobreEscribir));

    responder(visto, false);
    QCOMPARE(dialogos.Mensaje(nullptr, M(textos::M3SobreEscribir), true),
             Dialogos::Respuesta::Aceptar);

    responder(visto, false);
    QCOMPARE(dialogos.Mensaje(nullptr, M(textos::M4SinErrores), false),
             Dialogos::Respuesta::Aceptar);
    QCOMPARE(visto.botones, QMessageBox::StandardButtons(QMessageBox::Ok));

    // The scan speaks through the same box.
    DialogosGuionados guion;
    AvisadorDialogos avisador(guion, nullptr);
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
