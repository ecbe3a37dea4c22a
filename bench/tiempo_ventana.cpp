// How long the windows take with a large file, driven as a user would on the
// offscreen platform: from pressing "Zuzendu Corregir" to the conversion
// window shown and painted, from pressing "Ados Aceptar" to the file written
// and the first window back, and how long the text view takes to scroll to
// the end and paint, next to reading the file alone, and the program's peak
// memory. With the grid's answers in, before accepting: how long the
// preview's composition takes to make, one preview piece of 60 lines at the
// start, the middle and the end of the text, the marks of those lines, and
// "n / m" for the last occurrence of a character; and through the window, F4
// to the preview and back, and F3's and Shift+F3's jumps; and resizing the
// window between its starting size and maximised at 1366x768, laid out and
// painted (the median of its rounds).
// Usage: tildora_tiempo_ventana [megabytes [file]]: the text is written to
// `file` and kept there when it does not exist yet (so that the command line
// can be timed on the same file), or else to a temporary folder.

#include "core/estado.h"
#include "core/interno/lector.h"
#include "core/ocurrencias.h"
#include "core/vistaprevia.h"
#include "tests/ui/dialogos_guionados.h"
#include "ui/aplicacion.h"
#include "ui/conversion/frmconversioncaracteres.h"
#include "ui/conversion/vistatexto.h"
#include "ui/seleccion/frmelegirficheros.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace tildora;

namespace {

// Writes a Windows-1252 text of `tamano` bytes in lines of about 70
// characters, with about one byte in a hundred a wrong character, a piece at
// a time (the program's memory is measured, not the text's making).
bool EscribirTexto(const QString& ruta, std::size_t tamano) {
    static const char kCorrectos[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ,.;:0123456789 "
                                     "\xe1\xe9\xed\xf3\xfa\xf1";
    static const unsigned char kErroneos[] = {0xe7, 0xe0, 0xe8, '^',  '|',  '`',
                                              '\t', 0xc7, 0xe2, 0xea, 0x80, 0xb4};
    std::mt19937 azar(12345);
    std::uniform_int_distribution<int> correcto(0, sizeof kCorrectos - 2);
    std::uniform_int_distribution<int> erroneo(0, sizeof kErroneos - 1);
    std::uniform_int_distribution<int> cien(0, 99);
    std::uniform_int_distribution<int> largo(40, 100);
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly)) {
        return false;
    }
    std::string t;
    std::size_t escrito = 0;
    while (escrito < tamano) {
        t.clear();
        while (t.size() < (std::size_t{1} << 20) && escrito + t.size() < tamano) {
            const int n = largo(azar);
            for (int i = 0; i < n; ++i) {
                t += cien(azar) == 0 ? static_cast<char>(kErroneos[erroneo(azar)])
                                     : kCorrectos[correcto(azar)];
            }
            t += "\r\n";
        }
        if (f.write(t.data(), static_cast<qint64>(t.size())) != static_cast<qint64>(t.size())) {
            return false;
        }
        escrito += t.size();
    }
    return true;
}

// The peak of the program's resident memory so far, in MiB.
long PicoMemoriaMiB() {
    QFile estado(QStringLiteral("/proc/self/status"));
    if (!estado.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& linea : estado.readAll().split('\n')) {
        if (linea.startsWith("VmHWM:")) {
            return linea.mid(6).trimmed().split(' ').first().toLong() / 1024;
        }
    }
    return -1;
}

// Counts the paint events of a widget.
class ContadorPintadas : public QObject {
public:
    int pintadas = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++pintadas;
        }
        return false;
    }
};

template <typename T> T* Hijo(QWidget* v, const char* nombre) {
    return v->findChild<T*>(QLatin1String(nombre));
}

double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// A line of the report, kept until the end.
template <typename... T> void Linea(std::string& informe, const char* formato, T... valores) {
    char linea[256];
    std::snprintf(linea, sizeof linea, formato, valores...);
    informe += linea;
}

// The preview and the occurrences on the window's own document and rows, as
// the window uses them: the composition made once per change of the grid,
// then the lines in sight; and "n / m" counted from the start of the text.
std::string MedirPrevia(const Documento& doc, const std::vector<Fila>& filas,
                        const VistaTexto& vista) {
    constexpr std::size_t kLineas = 60;
    constexpr int kVeces = 100;
    std::string informe;
    QElapsedTimer reloj;
    reloj.start();
    for (int vez = 0; vez + 1 < kVeces; ++vez) {
        const VistaPrevia otra(doc, filas);
    }
    const VistaPrevia previa(doc, filas);
    Linea(informe, "preview: composition of the %zu rows made:            %8.4f ms\n", filas.size(),
          Ms(reloj) / kVeces);
    const std::size_t lineas = vista.Modelo().Texto().NumeroLineas();
    const auto inicio = [&](std::size_t l) {
        return l < lineas ? std::size_t{vista.Modelo().Texto().InicioLinea(l)} : doc.texto.size();
    };
    const std::size_t donde[] = {0, lineas / 2, lineas > kLineas ? lineas - kLineas : 0};
    const char* nombres[] = {"start ", "middle", "end   "};
    PiezaPrevia pieza;
    const Ocurrencias marcas(doc, filas.empty() ? std::string() : filas.back().clave);
    std::vector<Ocurrencia> enVista;
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t a = inicio(donde[k]), b = inicio(donde[k] + kLineas);
        // The first piece after the composition is made, then the same again.
        reloj.restart();
        previa.Pieza(a, b, pieza);
        const double primera = Ms(reloj);
        reloj.restart();
        for (int vez = 0; vez < kVeces; ++vez) {
            previa.Pieza(a, b, pieza);
        }
        const double otras = Ms(reloj) / kVeces;
        reloj.restart();
        for (int vez = 0; vez < kVeces; ++vez) {
            enVista.clear();
            marcas.EnRango(a, b, enVista);
        }
        Linea(informe,
              "preview of %zu lines at the %s (%zu bytes, %zu changes): %.4f ms, again %.4f ms;"
              " their marks %.4f ms\n",
              kLineas, nombres[k], b - a, pieza.cambios.size(), primera, otras, Ms(reloj) / kVeces);
    }
    // Which one the last occurrence of the last row's character is.
    const std::size_t ultima = marcas.Anterior(doc.texto.size());
    reloj.restart();
    const std::uint64_t n = ultima == Ocurrencias::npos ? 0 : marcas.Ordinal(ultima);
    Linea(informe,
          "\"n / m\" of the last occurrence, counted from the start: %8.1f ms (%llu / %llu)\n",
          Ms(reloj), static_cast<unsigned long long>(n),
          static_cast<unsigned long long>(marcas.Total()));
    return informe;
}

// The search's keys and the preview through the window, as the user
// presses them, each until the view has painted: F4 to the corrected text
// and back, F3 along the occurrences of the last row's character,
// Shift+F3 from the first round to the last, and F3 after a click in the
// middle of the text (counted from the start), in the text and in the
// preview. The slowest of each.
std::string MedirTeclas(FrmConversionCaracteres& v) {
    VistaTexto& vista = *v.Vista();
    RejillaCaracteres& g = *v.Rejilla();
    const auto tecla = [&](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        QElapsedTimer r;
        r.start();
        QTest::keyClick(&g, k, m);
        vista.viewport()->repaint();
        return Ms(r);
    };
    const auto clicEnMedio = [&] {
        vista.verticalScrollBar()->setValue(vista.verticalScrollBar()->maximum() / 2);
        QTest::mouseClick(vista.viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    };
    std::string informe;
    g.SetCeldaActual(g.Rows() - 1, 0);
    double previa = 0;
    double original = 0;
    for (int vez = 0; vez < 5; ++vez) {
        previa = std::max(previa, tecla(Qt::Key_F4));
        original = std::max(original, tecla(Qt::Key_F4));
    }
    Linea(informe, "F4 to the corrected text and painted (slowest of 5):      %8.2f ms\n", previa);
    Linea(informe, "F4 back to the text as it is and painted (slowest of 5): %8.2f ms\n", original);
    for (const bool enPrevia : {false, true}) {
        if (enPrevia) {
            tecla(Qt::Key_F4);
        }
        v.CmdBuscar_Click();
        double siguiente = 0;
        for (int vez = 0; vez < 20; ++vez) {
            siguiente = std::max(siguiente, tecla(Qt::Key_F3));
        }
        v.CmdBuscar_Click();
        const double alUltimo = tecla(Qt::Key_F3, Qt::ShiftModifier);
        clicEnMedio();
        const double desdeClic = tecla(Qt::Key_F3);
        const char* donde = enPrevia ? "preview" : "text   ";
        const QString n = v.findChild<QLabel*>(QStringLiteral("LblOcurrencias"))->text();
        Linea(informe, "%s: F3 to the next one and painted (slowest of 20): %8.2f ms\n", donde,
              siguiente);
        Linea(informe, "%s: Shift+F3 from the first round to the last:      %8.2f ms\n", donde,
              alUltimo);
        Linea(informe, "%s: F3 after a click mid-text (counted from start): %8.2f ms (%s)\n", donde,
              desdeClic, qPrintable(n));
    }
    tecla(Qt::Key_F4);
    return informe;
}

// The window resized from its starting size to a maximised one on a
// 1366x768 screen (a client area of 1366x700) and back, the text view in the
// middle of the text, each laid out and painted at once: the median of 21
// rounds each way, and the slowest.
std::string MedirCambioDeTamano(FrmConversionCaracteres& v) {
    VistaTexto& vista = *v.Vista();
    vista.verticalScrollBar()->setValue(vista.verticalScrollBar()->maximum() / 2);
    const QSize inicial = v.size();
    const QSize grande(1366, 700);
    const auto cambiar = [&v](QSize tamano) {
        QElapsedTimer r;
        r.start();
        v.resize(tamano);
        while (v.size() != tamano) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        v.repaint();
        return Ms(r);
    };
    constexpr int kRondas = 21;
    std::vector<double> crecer;
    std::vector<double> menguar;
    for (int vez = 0; vez < kRondas; ++vez) {
        crecer.push_back(cambiar(grande));
        menguar.push_back(cambiar(inicial));
    }
    std::string informe;
    for (const auto& [tiempos, que] :
         {std::pair(&crecer, "grown to 1366x700 "), std::pair(&menguar, "back to the start ")}) {
        std::sort(tiempos->begin(), tiempos->end());
        Linea(informe,
              "window resized, %s laid out and painted: median %6.2f ms, slowest %6.2f ms"
              " (%d rounds)\n",
              que, (*tiempos)[kRondas / 2], tiempos->back(), kRondas);
    }
    return informe;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qapp(argc, argv);
    const std::size_t megas = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;

    QTemporaryDir carpeta;
    // The window's size is remembered in the temporary folder, never in the
    // user's own settings.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(carpeta.path()));
    qputenv("APPDATA", QFile::encodeName(carpeta.path()));
    const QString entrada =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : carpeta.filePath(QStringLiteral("grande.txt"));
    const QString salida = carpeta.filePath(QStringLiteral("corregido.txt"));
    if (!QFileInfo::exists(entrada) && !EscribirTexto(entrada, megas * 1000 * 1000)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(entrada));
        return 1;
    }

    // Reading the file alone, twice (the first warms the cache), into memory
    // that is then given back.
    double leer = 0;
    for (int vez = 0; vez < 2; ++vez) {
        std::string texto;
        QElapsedTimer r;
        r.start();
        if (!LeerFichero(QFile::encodeName(entrada).toStdString(), texto)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(entrada));
            return 1;
        }
        leer = Ms(r);
    }

    Estado estado;
    estado.RutaAlmacen =
        QFile::encodeName(carpeta.filePath(QStringLiteral("caracteres.ini"))).toStdString();
    pruebas::DialogosGuionados dialogos;
    Aplicacion app(estado, dialogos, [] {});
    app.MostrarSeleccion();
    QWidget* primera = app.VentanaActual();
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtEntrada"), entrada);
    QTest::keyClicks(Hijo<QLineEdit>(primera, "txtSalida"), salida);

    // Press "Zuzendu Corregir" and wait for the conversion window to show
    // and paint its text.
    QElapsedTimer reloj;
    reloj.start();
    QTest::mouseClick(Hijo<QToolButton>(primera, "CmdActualizar"), Qt::LeftButton);
    auto* v = qobject_cast<FrmConversionCaracteres*>(app.VentanaActual());
    if (!v) {
        std::fprintf(stderr, "the conversion window did not open\n");
        return 1;
    }
    ContadorPintadas contador;
    v->Vista()->viewport()->installEventFilter(&contador);
    if (!QTest::qWaitForWindowExposed(v)) {
        std::fprintf(stderr, "the conversion window was not shown\n");
        return 1;
    }
    while (contador.pintadas == 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double abrir = Ms(reloj);
    const long picoAbierta = PicoMemoriaMiB();

    // Scrolling the text to its end, and back, each painted at once.
    VistaTexto* vista = v->Vista();
    reloj.restart();
    vista->verticalScrollBar()->setValue(vista->verticalScrollBar()->maximum());
    vista->viewport()->repaint();
    const double alFinal = Ms(reloj);
    reloj.restart();
    vista->verticalScrollBar()->setValue(0);
    vista->viewport()->repaint();
    const double alPrincipio = Ms(reloj);

    // The search for the last row's character, and the missing replacements
    // typed in by clicking each cell.
    RejillaCaracteres* g = v->Rejilla();
    reloj.restart();
    g->SetCeldaActual(g->Rows() - 1, 0);
    v->CmdBuscar_Click();
    vista->viewport()->repaint();
    const double buscar = Ms(reloj);
    double clic = 0;
    for (int fila = 1; fila < g->Rows(); ++fila) {
        if (!g->TextMatrix(fila, 1).empty()) {
            continue;
        }
        g->scrollToItem(g->item(fila - 1, 1));
        QElapsedTimer r;
        r.start();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          g->RectanguloEnVista(fila, 1).center());
        clic = std::max(clic, Ms(r));
        QTest::keyClicks(v->Editor(), QStringLiteral("x"));
    }

    // The window goes once accepted.
    const int filas = g->Rows() - 1;
    std::vector<Fila> rejilla;
    for (int fila = 1; fila < g->Rows(); ++fila) {
        rejilla.push_back(Fila{g->TextMatrix(fila, 0), g->TextMatrix(fila, 1)});
    }
    const std::string previa = MedirPrevia(estado.documento, rejilla, *vista);
    const std::string teclas = MedirTeclas(*v);
    const std::string tamano = MedirCambioDeTamano(*v);
    const long picoAntes = PicoMemoriaMiB();
    const std::size_t lineas = vista->Modelo().Texto().NumeroLineas();

    // Press "Ados Aceptar": store, correct, write, and the first window back.
    reloj.restart();
    QTest::mouseClick(Hijo<QToolButton>(v, "CmdAceptar"), Qt::LeftButton);
    const double aceptar = Ms(reloj);
    const bool devuelta = qobject_cast<FrmElegirFicheros*>(app.VentanaActual()) != nullptr;
    const qint64 tamanoSalida = QFileInfo(salida).size();

    std::printf("file: %zu MB, %d wrong characters, %zu lines\n", megas, filas, lineas);
    std::printf("reading the file alone:                                %8.1f ms\n", leer);
    std::printf("press Zuzendu -> conversion window shown and painted: %8.1f ms (%.2f x reading)\n",
                abrir, abrir / leer);
    std::printf("text view scrolled to the end and painted:             %8.1f ms\n", alFinal);
    std::printf("text view scrolled to the start and painted:           %8.1f ms\n", alPrincipio);
    std::printf("search for a character and paint:                      %8.1f ms\n", buscar);
    std::printf("slowest click on a grid cell (editor opened):          %8.1f ms\n", clic);
    std::printf("%s", previa.c_str());
    std::printf("%s", teclas.c_str());
    std::printf("%s", tamano.c_str());
    std::printf("press Ados -> stored, corrected, written, back:        %8.1f ms\n", aceptar);
    std::printf("message: %s\n", dialogos.mensajes.isEmpty()
                                     ? "(none)"
                                     : qPrintable(dialogos.mensajes.last().texto));
    std::printf("output: %lld bytes; first window back: %s\n", static_cast<long long>(tamanoSalida),
                devuelta ? "yes" : "no");
    std::printf("progress windows shown: %lld\n",
                static_cast<long long>(dialogos.progresos.size()));
    std::printf("peak memory of the whole program: %ld MiB (the text is %lld MiB); with the "
                "window open: %ld MiB, after the preview and the keys: %ld MiB\n",
                PicoMemoriaMiB(), static_cast<long long>(QFileInfo(entrada).size() >> 20),
                picoAbierta, picoAntes);
    return devuelta && tamanoSalida > 0 ? 0 : 1;
}
