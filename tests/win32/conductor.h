#pragma once

// The windows' scenarios without a toolkit: what a test does to a face's
// windows (press a button, type into a box, press a key, close the window)
// and what it reads back (a control's text, the focus, the window loaded),
// with the program's state and its scripted dialogs beside. A face's test
// program implements Conductor (tests/win32/conductor_win32.cpp for the
// Win32 face) and NuevoConductor; the scenarios (escenarios_*.cpp) use only
// this, so that the same scenario can drive either face.

#include "core/estado.h"
#include "tests/core/ayudas.h"
#include "tests/modelos/dialogos_guionados.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tildora::pruebas {

enum class Tecla { Intro, Escape, Tab, MayusTab, Espacio };

class Conductor {
public:
    virtual ~Conductor() = default;

    // One program run: its state (the store in the run's own folder), its
    // scripted dialogs, and how many times it asked to end.
    virtual Estado& estado() = 0;
    virtual DialogosGuionadosEstandar& dialogos() = 0;
    virtual int Salidas() const = 0;

    // Starts the first window, as the program does; a non-empty `entrada`
    // as for a file the program was started with.
    virtual void MostrarSeleccion(const std::string& entrada = {}) = 0;
    // The loaded window's name ("FrmElegirFicheros", ...); empty for none.
    virtual std::string VentanaActual() = 0;
    // Whether a window of that name is still on the screen.
    virtual bool SeVe(std::string_view ventana) = 0;

    // A click on a button of the loaded window.
    virtual void Pulsar(std::string_view boton) = 0;
    // The box's text replaced by `texto` (UTF-8), typed character by
    // character into the box, which then has the focus.
    virtual void Teclear(std::string_view caja, std::string_view texto) = 0;
    // A key pressed on the control that has the focus.
    virtual void PulsarTecla(Tecla tecla) = 0;
    virtual void Enfocar(std::string_view control) = 0;
    // The title bar's close box.
    virtual void Cerrar() = 0;

    // A control's text (UTF-8), and the name of the control with the focus.
    virtual std::string Texto(std::string_view control) = 0;
    virtual std::string Foco() = 0;

    // Saves the loaded window's picture as `nombre` when the run asks for
    // pictures (TILDORA_CAPTURAS names a folder); nothing otherwise.
    virtual void Capturar(std::string_view nombre) = 0;

    // The recorded messages' texts, in order, forgotten once read.
    std::vector<std::string> Mensajes() {
        std::vector<std::string> textos;
        for (const auto& m : dialogos().mensajes) {
            textos.push_back(m.texto);
        }
        dialogos().mensajes.clear();
        return textos;
    }

    // The run's own folder, and a file written there.
    std::string Ruta(const std::string& nombre) const { return m_carpeta / nombre; }
    std::string Fichero(const std::string& nombre, const std::string& bytes) const {
        const std::string ruta = Ruta(nombre);
        prueba::Escribir(ruta, bytes);
        return ruta;
    }

private:
    prueba::CarpetaTemporal m_carpeta;
};

// The face's driver, over a fresh program run.
std::unique_ptr<Conductor> NuevoConductor();

} // namespace tildora::pruebas
