#pragma once

#include "modelos/eleccion.h"

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace tildora {

class Aplicacion;

// The first window: the user names the input file and the output file, and
// CmdActualizar checks them, scans the input and hands over to the conversion
// window. What each button does is the model's (modelo::Eleccion).
class FrmElegirFicheros : public QWidget {
    Q_OBJECT

public:
    explicit FrmElegirFicheros(Aplicacion& app);

    // Runs once the window is created, before it shows: only centres it.
    void Form_Load();

    // Fills the input box with `nombre` and gives the focus to the output
    // box, filled with `salida`: the program was started to open that file,
    // or the output chosen for it could not be written.
    void PonerEntrada(const QString& nombre, const QString& salida = QString());

public slots:
    void cmdEntrada_Click();
    void cmdSalida_Click();
    void CmdActualizar_Click();
    void CmdSalir_Click();

protected:
    // Closing the one open window from its title bar ends the program.
    void closeEvent(QCloseEvent* evento) override;
    // Enter presses the button that has the focus, as Space does; the window
    // has no default button, so elsewhere Enter does nothing.
    void keyPressEvent(QKeyEvent* evento) override;
    // A file dropped on the input or output box becomes that box's name.
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void CrearControles();
    // The model, its messages shown over this window.
    modelo::Eleccion& Eleccion();

    Aplicacion& m_app;
    modelo::Eleccion m_eleccion;

    QLabel* m_lblFitxategiakAukeratu = nullptr;
    QLabel* m_LblSeleccionFicheros = nullptr;
    QToolButton* m_cmdEntrada = nullptr;
    QLineEdit* m_txtEntrada = nullptr;
    QLineEdit* m_txtSalida = nullptr;
    QToolButton* m_cmdSalida = nullptr;
    QToolButton* m_CmdActualizar = nullptr;
    QToolButton* m_CmdSalir = nullptr;
    QLabel* m_LblAct = nullptr;
    QLabel* m_Label1 = nullptr;
};

} // namespace tildora
