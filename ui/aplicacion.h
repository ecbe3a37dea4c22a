#pragma once

#include "core/estado.h"
#include "modelos/dialogos.h"
#include "ui/dialogos.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace tildora {

// Owns the one window that is loaded at a time and does the hand-over between
// the two windows: the current window is unloaded (hidden at once, destroyed
// when its event returns), then the other one is created afresh and shown,
// not modal and without an owner.
class Aplicacion {
public:
    // `salir` ends the program; the app passes QApplication::quit, tests a
    // recorder. The dialogs are the program's (DialogosQt, shown over the
    // window that asks) or a test's.
    Aplicacion(Estado& estado, DialogosQt& dialogos, std::function<void()> salir);
    Aplicacion(Estado& estado, modelo::Dialogos& dialogos, std::function<void()> salir);
    ~Aplicacion();

    Aplicacion(const Aplicacion&) = delete;
    Aplicacion& operator=(const Aplicacion&) = delete;

    Estado& estado() { return m_estado; }
    DialogosVentanas& dialogos() { return m_dialogos; }

    // FrmElegirFicheros; a non-empty `entrada` fills its input box, as for a
    // file the program was started with, and `salida` its output box.
    void MostrarSeleccion(const QString& entrada = QString(), const QString& salida = QString());
    void MostrarConversion(); // FrmConversionCaracteres

    // For tests: every long step's progress window shows once the step has
    // run `ms`, whatever the model asked.
    void SetUmbralProgresoMs(int ms) { m_dialogos.FijarUmbral(ms); }

    // The window now loaded (null once the program is ending).
    QWidget* VentanaActual() const { return m_actual; }

    // Ends the program at once: the current window is unloaded without any
    // further event of its own, and `salir` is called.
    void Salir();

private:
    void Descargar();
    void Mostrar(QWidget* ventana);

    Estado& m_estado;
    DialogosVentanas m_dialogos;
    std::function<void()> m_salir;
    QPointer<QWidget> m_actual;
    // Unloaded windows whose deferred delete may not have run yet (the event
    // loop can end first); whatever is left of them goes with this object.
    QList<QPointer<QWidget>> m_descargadas;
};

} // namespace tildora
