#pragma once

// The first window of the Windows face: the user names the input file and
// the output file, and CmdActualizar checks them, scans the input and hands
// over to the conversion window. What each button does is the model's
// (modelo::Eleccion); this holds the controls and passes their texts on.

#include "modelos/eleccion.h"
#include "ui-win32/controles.h"

#include <shellapi.h>

#include <string>

namespace tildora::win32 {

class Aplicacion;

class FrmElegirFicheros : public Ventana {
public:
    explicit FrmElegirFicheros(Aplicacion& app);

    // Runs once the window is created, before it shows: only centres it.
    void Form_Load();
    // Fills the input box with `nombre` and gives the focus to the output
    // box, filled with `salida`: the program was started to open that file,
    // or the output chosen for it could not be written.
    void PonerEntrada(const std::string& nombre, const std::string& salida = {});
    // Shows the window, active, the focus where it belongs.
    void Mostrar();

    void cmdEntrada_Click();
    void cmdSalida_Click();
    void CmdActualizar_Click();
    void CmdSalir_Click();

protected:
    // Closing the one open window from its title bar ends the program.
    void AlCerrar() override;
    LRESULT Procesar(UINT mensaje, WPARAM wparam, LPARAM lparam) override;

private:
    void CrearControles();
    // A file dropped on a name box becomes that box's name.
    void Soltar(HDROP soltados);
    // The model, its messages shown over this window.
    modelo::Eleccion& Eleccion();

    Aplicacion& m_app;
    modelo::Eleccion m_eleccion;

    Boton* m_cmdEntrada = nullptr;
    CuadroTexto* m_txtEntrada = nullptr;
    CuadroTexto* m_txtSalida = nullptr;
    Boton* m_cmdSalida = nullptr;
    Boton* m_CmdActualizar = nullptr;
    Boton* m_CmdSalir = nullptr;
};

} // namespace tildora::win32
