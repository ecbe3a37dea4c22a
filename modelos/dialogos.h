#pragma once

// How the windows' models talk to the user: every modal question, message,
// file dialog and progress window goes through this interface, in UTF-8,
// with no toolkit in sight. Each face implements it with its own boxes (the
// Qt face with QMessageBox and QFileDialog, over the window that asks);
// tests hand the models and the windows a scripted one that records every
// message and answers from a queue, so no test ever waits on a real box.

#include "core/resultado.h"

#include <memory>
#include <string>

namespace tildora::modelo {

// What went wrong, in the windows' words, after a message: the file it
// concerns and why.
std::string Motivo(const Error& error);

// A progress window for a long step, shown until it is destroyed.
class IndicadorProgreso {
public:
    virtual ~IndicadorProgreso() = default;
    // How far the step has got, in thousandths; at the end the step can no
    // longer be stopped.
    virtual void Avanzar(int milesimas) = 0;
    // Whether the user asked to stop.
    virtual bool Cancelado() = 0;
};

class Dialogos {
public:
    enum class Respuesta { Aceptar, Cancelar };

    virtual ~Dialogos() = default;

    // A message box titled "Tildarkia / Tildora", no icon, OK or OK and
    // Cancel. Closing the box without a button counts as Cancel.
    virtual Respuesta Mensaje(const std::string& texto, bool conCancelar) = 0;

    // The open and save dialogs: no filter, title or extension of their own.
    // The open dialog starts at `inicio` (a folder, or a file it selects);
    // the save dialog proposes `propuesta` (a name, or a folder). An empty
    // name means the user cancelled. The save dialog asks no overwrite
    // question: the model asks its own.
    virtual std::string AbrirFichero(const std::string& inicio) = 0;
    virtual std::string GuardarFichero(const std::string& propuesta) = 0;

    // A window with a bar for a long step, titled like the message boxes,
    // modal; with a cancel button when the step can be stopped.
    virtual std::unique_ptr<IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                               bool conCancelar) = 0;
};

} // namespace tildora::modelo
