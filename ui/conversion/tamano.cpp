#include "ui/conversion/tamano.h"

#include "modelos/disposicion.h"
#include "modelos/tamano_ventana.h"
#include "ui/geometria.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QWidget>
#include <QWindow>

namespace tildora {

namespace {

constexpr int kTwips = modelo::kTwipsPorPixel;

// The room for the window's client area on its screen: the screen less the
// task bars and the frame (when the window system has put one round it).
modelo::Medida Pantalla(const QWidget& ventana) {
    QScreen* pantalla = ventana.screen() ? ventana.screen() : QGuiApplication::primaryScreen();
    if (pantalla == nullptr) {
        return {modelo::DisposicionConversion().ancho, modelo::DisposicionConversion().alto};
    }
    QSize sitio = pantalla->availableGeometry().size();
    if (const QWindow* nativa = ventana.windowHandle()) {
        sitio = sitio.shrunkBy(nativa->frameMargins());
    }
    return {sitio.width() * kTwips, sitio.height() * kTwips};
}

QSize Pixeles(modelo::Medida m) {
    return QSize(Px(m.ancho), Px(m.alto));
}

} // namespace

void ColocarControles(QWidget& ventana, const QTableView& rejilla) {
    // The columns, the frame and a vertical scroll bar.
    const int anchoRejilla = rejilla.horizontalHeader()->length() + 2 * rejilla.frameWidth() +
                             rejilla.verticalScrollBar()->sizeHint().width();
    const modelo::DisposicionPropia d = modelo::DisposicionConversionEn(
        ventana.width() * kTwips, ventana.height() * kTwips, anchoRejilla * kTwips);
    for (const modelo::Control& c : d.controles) {
        if (c.nombre == "txtEditor") {
            continue;
        }
        if (auto* control = ventana.findChild<QWidget*>(
                QString::fromUtf8(c.nombre.data(), qsizetype(c.nombre.size())),
                Qt::FindDirectChildrenOnly)) {
            control->setGeometry(RectTwips(c.donde));
        }
    }
}

void AbrirConTamano(QWidget& ventana) {
    // Created (not shown), so that a frame the window system already knows
    // is counted.
    ventana.winId();
    const modelo::Disposicion& d = modelo::DisposicionConversion();
    const modelo::Medida disposicion{d.ancho, d.alto};
    const modelo::Medida pantalla = Pantalla(ventana);
    const modelo::TamanoVentana tamano = modelo::TamanoAlAbrir(
        modelo::TamanoRecordado(modelo::RutaTamanoVentana()).Leer(), disposicion, pantalla);
    ventana.setMinimumSize(Pixeles(modelo::TamanoMinimo(disposicion, pantalla)));
    ventana.resize(Pixeles(tamano.medida));
    if (tamano.maximizada) {
        ventana.setWindowState(ventana.windowState() | Qt::WindowMaximized);
    }
}

void RecordarTamano(const QWidget& ventana) {
    const bool maximizada = ventana.isMaximized();
    const QSize normal = maximizada ? ventana.normalGeometry().size() : ventana.size();
    if (normal.isEmpty()) {
        return;
    }
    modelo::TamanoRecordado(modelo::RutaTamanoVentana())
        .Guardar({{normal.width() * kTwips, normal.height() * kTwips}, maximizada});
}

} // namespace tildora
