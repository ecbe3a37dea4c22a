#pragma once

// The Win32 face's driver: the real windows of one program run, driven with
// the messages a user's clicks and keys send, every message going through
// the program's own loop step (Despachar, then TrasMensaje).

#include "tests/win32/conductor.h"
#include "ui-win32/aplicacion.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace tildora::pruebas {

class ConductorWin32 : public Conductor {
public:
    ConductorWin32();
    ~ConductorWin32() override;

    Estado& estado() override { return m_estado; }
    DialogosGuionadosEstandar& dialogos() override { return m_dialogos; }
    int Salidas() const override { return m_salidas; }

    void MostrarSeleccion(const std::string& entrada = {}) override;
    std::string VentanaActual() override;
    bool SeVe(std::string_view ventana) override;
    void Pulsar(std::string_view boton) override;
    void Teclear(std::string_view caja, std::string_view texto) override;
    void PulsarTecla(Tecla tecla) override;
    void Enfocar(std::string_view control) override;
    void Cerrar() override;
    std::string Texto(std::string_view control) override;
    std::string Foco() override;
    void Capturar(std::string_view nombre) override;

    // For the face's own tests.
    win32::Aplicacion& app() { return m_app; }
    // A control of the loaded window; null for none.
    HWND Control(std::string_view nombre);
    // Runs every message waiting, as the program's loop would.
    void Atender();
    // The name of a window (its class) or of a control of the loaded
    // window (its layout name); empty for another.
    std::string NombreDe(HWND hwnd);

private:
    Estado m_estado;
    DialogosGuionadosEstandar m_dialogos;
    int m_salidas = 0;
    win32::Aplicacion m_app;
};

// Writes the picture of `ventana` (as it draws itself) to `ruta` as a BMP.
bool GuardarImagen(HWND ventana, const std::string& ruta);

} // namespace tildora::pruebas
