#include "ui/progreso.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

namespace tildora {

namespace {

// While a step runs, no window may close: the step works on the program's
// state, which the windows' going would take away.
class SinCerrar : public QObject {
protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (evento->type() == QEvent::Close && objeto->isWidgetType() &&
            static_cast<QWidget*>(objeto)->isWindow()) {
            evento->ignore();
            return true;
        }
        return false;
    }
};

// Keeps the windows painted until `terminado`: the user's input waits until
// the progress window shows, after `umbralMs`; from then on its bar follows
// `progreso`, and its cancel asks `progreso` to stop. Gives the progress
// window back, if it showed, to be closed once the step's thread is done.
std::unique_ptr<modelo::IndicadorProgreso>
Esperar(const std::atomic<bool>& terminado,
        const std::function<std::unique_ptr<modelo::IndicadorProgreso>()>& mostrar,
        Progreso& progreso, int umbralMs) {
    QElapsedTimer reloj;
    reloj.start();
    std::unique_ptr<modelo::IndicadorProgreso> indicador;
    QEventLoop bucle;
    const auto mirar = [&] {
        if (terminado) {
            bucle.quit();
            return;
        }
        if (!indicador) {
            if (reloj.elapsed() < umbralMs) {
                return;
            }
            indicador = mostrar();
            // From now on the user's input goes to the progress window.
            bucle.quit();
        }
        const std::uint64_t total = progreso.total.load();
        const std::uint64_t hechos = std::min(progreso.hechos.load(), total);
        indicador->Avanzar(total == 0 ? 0 : static_cast<int>(hechos * 1000 / total));
        if (indicador->Cancelado()) {
            progreso.cancelar = true;
        }
    };
    QTimer latido;
    latido.setInterval(20);
    QObject::connect(&latido, &QTimer::timeout, &bucle, mirar);
    latido.start();
    mirar();
    while (!terminado) {
        bucle.exec(indicador ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    return indicador;
}

} // namespace

void EjecutarConProgreso(const std::function<std::unique_ptr<modelo::IndicadorProgreso>()>& mostrar,
                         Progreso& progreso, int umbralMs, const std::function<void()>& paso) {
    SinCerrar sinCerrar;
    qApp->installEventFilter(&sinCerrar);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    std::atomic<bool> terminado{false};
    std::exception_ptr fallo;
    const auto correr = [&] {
        try {
            paso();
        } catch (...) {
            fallo = std::current_exception();
        }
        terminado = true;
    };
    std::thread hilo;
    try {
        hilo = std::thread(correr);
    } catch (const std::system_error&) {
        correr(); // no thread to be had (no memory for its stack): here, unpainted
    }

    std::unique_ptr<modelo::IndicadorProgreso> indicador =
        Esperar(terminado, mostrar, progreso, umbralMs);
    if (hilo.joinable()) {
        hilo.join();
    }
    indicador.reset();
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&sinCerrar);
    if (fallo) {
        std::rethrow_exception(fallo);
    }
}

} // namespace tildora
