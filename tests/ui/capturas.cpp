// Pictures of the two windows for the documentation, taken from the real
// windows on the offscreen platform, driven as a user would: the
// file-selection window with both names typed, then, after "Zuzendu
// Corregir", the conversion window on a short sample (five wrong characters,
// one answer remembered in the sample's own store, the others with a
// proposal) with one row's character found in the text, its occurrences
// marked; then the same after F3, and the text as it will be written (F4).
// Last, the conversion window maximised on a screen of 1366x768, on a longer
// UTF-8 text whose wrong characters include look-alikes of allowed letters
// (Greek, Cyrillic, fullwidth), each told apart by its code beside it.
//
//   capturas CARPETA   writes eleccion.png, conversion.png,
//                      conversion-marcas.png, conversion-previa.png,
//                      conversion-maximizada.png and the conversion window's
//                      pictures at 2× (-2x.png) into CARPETA, then checks
//                      them
//
// The 2× picture comes from the same program run again with QT_SCALE_FACTOR=2
// (capturas --2x CARPETA), as a screen of twice the density shows the window:
// the screen is 1366x768 at 1× and 2732x1536 at 2×, without window frames.
// Whatever the desktop, the pictures use the Fusion style's light palette and
// no platform theme, so that they look the same on every machine with the
// same fonts. Status 0 when the pictures are there and right, 1 when not, 2
// for a wrong call.

#include "tests/ui/ayudas_ui.h"
#include "ui/conversion/frmconversioncaracteres.h"
#include "ui/conversion/vistatexto.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <iterator>
#include <string_view>

using namespace tildora;

namespace {

// Windows-1252, as the program's users mostly have it: — (0x97) is
// remembered as "-"; “ ” … € are not, and each has a proposal.
const QByteArray kMuestra("Bilera astelehenean \x97 Reuni\xf3n el lunes\r\n"
                          "\x93"
                          "Ekarri txostena\x85\x94\r\n"
                          "\x93Traed el informe\x85\x94\r\n"
                          "Kafea / Caf\xe9: 2 \x80\r\n");
const QByteArray kAlmacen("[lista]\r\n\x97=-\r\n");
// The grid's row of … , found in the text for the picture.
constexpr int kFilaBuscada = 3;

const QString kEleccion = QStringLiteral("eleccion.png");
const QString kConversion = QStringLiteral("conversion.png");
const QString kConversion2x = QStringLiteral("conversion-2x.png");
// The marks of … with the second one chosen by F3 ("2 / 2"), and the text as
// it will be written (F4), € left without an answer; each at 1× and 2×.
const QString kMarcas = QStringLiteral("conversion-marcas");
const QString kPrevia = QStringLiteral("conversion-previa");
// Maximised, at 1× and 2×.
const QString kMaximizada = QStringLiteral("conversion-maximizada");
// The screen, in pixels at 1×.
constexpr QSize kPantalla(1366, 768);

// UTF-8, for the maximised window: forty lines whose wrong characters include
// Greek Ε Ν Ι, Cyrillic А О and fullwidth Ｅ beside quotes, dashes and €.
QByteArray MuestraLarga() {
    const char* lineas[] = {
        "Bilera astelehenean \u2014 Reuni\u00f3n el lunes",
        "\u201cEkarri txostena\u2026\u201d \u201cTraed el informe\u2026\u201d",
        "\u0395USKARA ETA GAZTELANIA / \u0395USKERA Y CASTELLANO",
        "Ordutegia: 9:00\u201313:00 \u00b7 Horario: 9:00\u201313:00",
        "KAF\u0395A / CAF\u00c9: 2 \u20ac \u2014 \u0410TEA IREKITA / PUERTA \u0410BIERTA",
        "Tel\u00e9fono: \uff25XT. 24 \u2014 Barne-zenbakia: \uff25XT. 24",
        "\u039dOR ETORRIKO DA? / \u00bfQUI\u00c9\u039d VIENE?",
        "Gela: B\u20111 \u00b7 Sala: B\u20111 \u00b7 \u041eharra / Nota",
        "\u0399RAKURRI ARRETAZ / L\u00c9ASE CON ATENCI\u00d3N",
    };
    QByteArray texto;
    for (int n = 0; n < 40; ++n) {
        texto += lineas[n % std::size(lineas)];
        texto += "\r\n";
    }
    return texto;
}
QString Nombre(const QString& base, bool doble) {
    return base + (doble ? QStringLiteral("-2x.png") : QStringLiteral(".png"));
}

void Quejarse(const QString& texto) {
    std::fprintf(stderr, "capturas: %s\n", qPrintable(texto));
}

// The window's control of that name; a window without it ends the program.
template <typename T> T* Hijo(QWidget* ventana, const char* nombre) {
    T* hijo = ventana->findChild<T*>(QLatin1String(nombre));
    if (!hijo) {
        qFatal("capturas: the window %s has no %s", qPrintable(ventana->objectName()), nombre);
    }
    return hijo;
}

bool Guardar(QWidget& ventana, const QString& ruta) {
    if (!ventana.grab().save(ruta, "PNG")) {
        Quejarse(QStringLiteral("cannot write ") + ruta);
        return false;
    }
    return true;
}

// From the search for …: F3 to its second occurrence; then € left without
// an answer (Backspace on its replacement), … current again and F4.
bool MarcasYPrevia(FrmConversionCaracteres& v, const QDir& destino, bool doble) {
    RejillaCaracteres* g = v.Rejilla();
    QTest::keyClick(g, Qt::Key_F3);
    if (!Guardar(v, destino.filePath(Nombre(kMarcas, doble)))) {
        return false;
    }
    g->SetCeldaActual(5, 1);
    QTest::keyClick(g, Qt::Key_Backspace);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->RectanguloEnVista(kFilaBuscada, 0).center());
    QTest::keyClick(g, Qt::Key_F3);
    QTest::keyClick(g, Qt::Key_F4);
    if (!v.Vista()->Modelo().Previa() || !g->TextMatrix(5, 1).empty()) {
        Quejarse(QStringLiteral("the preview did not show, or € kept its answer"));
        return false;
    }
    return Guardar(v, destino.filePath(Nombre(kPrevia, doble)));
}

// Drives both windows and saves their pictures: both at 1×, or the
// conversion window alone when `doble`. Gives the windows' sizes (selection,
// conversion) through the arguments.
bool Conducir(const QDir& destino, bool doble, QSize& seleccion, QSize& conversion) {
    pruebas::Entorno e;
    // Short names in the boxes: the sample's folder is the current one.
    QDir::setCurrent(e.carpeta.path());
    e.Escribir(QStringLiteral("bilera.txt"), kMuestra);
    e.Escribir(QStringLiteral("caracteres.ini"), kAlmacen);

    e.app.MostrarSeleccion();
    QWidget* primera = e.app.VentanaActual();
    if (!primera || !QTest::qWaitForWindowExposed(primera)) {
        Quejarse(QStringLiteral("the file-selection window did not show"));
        return false;
    }
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtEntrada"), QStringLiteral("bilera.txt"));
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtSalida"), QStringLiteral("bilera-zuzena.txt"));
    seleccion = primera->size();
    if (!doble && !Guardar(*primera, destino.filePath(kEleccion))) {
        return false;
    }

    QTest::mouseClick(Hijo<QToolButton>(primera, "CmdActualizar"), Qt::LeftButton);
    pruebas::BorrarPendientes();
    auto* v = qobject_cast<FrmConversionCaracteres*>(e.app.VentanaActual());
    if (!v || !QTest::qWaitForWindowExposed(v)) {
        Quejarse(QStringLiteral("the conversion window did not show"));
        return false;
    }
    if (!e.dialogos.mensajes.isEmpty() || v->Rejilla()->Rows() != 6) {
        Quejarse(QStringLiteral("the sample did not give five rows and no message: ") +
                 pruebas::Textos(e.dialogos).join(QLatin1Char('|')));
        return false;
    }
    RejillaCaracteres* g = v->Rejilla();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->RectanguloEnVista(kFilaBuscada, 0).center());
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    conversion = v->size();
    return Guardar(*v, destino.filePath(doble ? kConversion2x : kConversion)) &&
           MarcasYPrevia(*v, destino, doble);
}

// The conversion window maximised on the longer sample, its first row's
// character found in the text.
bool Maximizada(const QDir& destino, bool doble, QSize& tamano) {
    pruebas::Entorno e;
    FrmConversionCaracteres* v = pruebas::AbrirConversion(e, MuestraLarga(), "[lista]\r\n");
    if (!v) {
        Quejarse(QStringLiteral("the longer sample's conversion window did not show"));
        return false;
    }
    v->showMaximized();
    if (!QTest::qWaitFor([v] { return v->size() == kPantalla; })) {
        Quejarse(QStringLiteral("the conversion window did not maximise"));
        return false;
    }
    RejillaCaracteres* g = v->Rejilla();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->RectanguloEnVista(3, 0).center());
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdBuscar"), Qt::LeftButton);
    tamano = v->size();
    return Guardar(*v, destino.filePath(Nombre(kMaximizada, doble)));
}

// Conducir, in the sample's folder, and back where the program started.
bool Fotografiar(const QDir& destino, bool doble, QSize& seleccion, QSize& conversion) {
    const QString antes = QDir::currentPath();
    QSize maximizada;
    const bool bien =
        Conducir(destino, doble, seleccion, conversion) && Maximizada(destino, doble, maximizada);
    QDir::setCurrent(antes);
    return bien;
}

// Whether the picture at `ruta` is there, of `tamano` pixels, and drawn (more
// than a handful of colours: not one blank rectangle).
bool Comprobar(const QString& ruta, const QSize& tamano) {
    const QImage imagen(ruta);
    if (imagen.isNull()) {
        Quejarse(ruta + QStringLiteral(": not a picture"));
        return false;
    }
    if (imagen.size() != tamano) {
        Quejarse(QStringLiteral("%1: %2x%3 pixels, not %4x%5")
                     .arg(ruta)
                     .arg(imagen.width())
                     .arg(imagen.height())
                     .arg(tamano.width())
                     .arg(tamano.height()));
        return false;
    }
    QSet<QRgb> colores;
    for (int y = 0; y < imagen.height() && colores.size() <= 16; ++y) {
        for (int x = 0; x < imagen.width(); ++x) {
            colores.insert(imagen.pixel(x, y));
        }
    }
    if (colores.size() <= 16) {
        Quejarse(ruta + QStringLiteral(": hardly anything drawn"));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool doble = argc == 3 && std::string_view(argv[1]) == "--2x";
    if (argc != 2 && !doble) {
        std::fprintf(stderr, "uso: capturas [--2x] CARPETA\n");
        return 2;
    }
    // Read before QApplication: the same pictures whatever the desktop, on a
    // screen of 1366x768 at 1×, 2732x1536 at 2×.
    QTemporaryDir pantalla;
    const QString configuracion = pantalla.filePath(QStringLiteral("pantalla.json"));
    {
        QFile f(configuracion);
        const int escala = doble ? 2 : 1;
        if (!pantalla.isValid() || !f.open(QIODevice::WriteOnly) ||
            f.write(
                QStringLiteral(R"({"windowFrameMargins": false, "screens": [{"name": "capturas",)"
                               R"( "x": 0, "y": 0, "width": %1, "height": %2,)"
                               R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                    .arg(kPantalla.width() * escala)
                    .arg(kPantalla.height() * escala)
                    .toUtf8()) < 0) {
            Quejarse(QStringLiteral("cannot write ") + configuracion);
            return 1;
        }
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(configuracion));
    qunsetenv("QT_QPA_PLATFORMTHEME");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_STYLE_OVERRIDE");
    qputenv("QT_SCALE_FACTOR", doble ? "2" : "1");
    QApplication qapp(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());

    const QDir destino(QDir().absoluteFilePath(QString::fromLocal8Bit(argv[argc - 1])));
    if (!QDir().mkpath(destino.path())) {
        Quejarse(QStringLiteral("cannot make the folder ") + destino.path());
        return 1;
    }
    QSize seleccion;
    QSize conversion;
    if (!Fotografiar(destino, doble, seleccion, conversion)) {
        return 1;
    }
    if (doble) {
        return 0;
    }

    QProcess dos;
    dos.setProcessChannelMode(QProcess::ForwardedChannels);
    dos.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--2x"), destino.path()});
    if (!dos.waitForFinished(-1) || dos.exitStatus() != QProcess::NormalExit ||
        dos.exitCode() != 0) {
        Quejarse(QStringLiteral("the 2x run failed"));
        return 1;
    }
    bool bien = Comprobar(destino.filePath(kEleccion), seleccion) &&
                Comprobar(destino.filePath(kConversion), conversion) &&
                Comprobar(destino.filePath(kConversion2x), conversion * 2);
    bien = bien && Comprobar(destino.filePath(Nombre(kMaximizada, false)), kPantalla) &&
           Comprobar(destino.filePath(Nombre(kMaximizada, true)), kPantalla * 2);
    for (const QString& base : {kMarcas, kPrevia}) {
        bien = bien && Comprobar(destino.filePath(Nombre(base, false)), conversion) &&
               Comprobar(destino.filePath(Nombre(base, true)), conversion * 2);
    }
    return bien ? 0 : 1;
}
