#pragma once

// How the windows' models talk to the user: every modal question, message,
// file dialog and progress window goes through this interface, in UTF-8,
// with no toolkit in sight. Each face implements it with its own boxes (the
// Qt face with QMessageBox and QFileDialog, over the window that asks);
// tests hand the models and the windows a scripted one that records every
// message and answers from a queue, so no test ever waits on a real box.

#include "core/estado.h"
#include "core/progreso.h"
#include "core/resultado.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// How long a step runs before its progress window shows.
inline constexpr int kUmbralProgresoMs = 500;

// A long step as the user sees it: the progress window's text, whether it
// can be stopped, and how long the step runs before the window shows.
struct PasoLargo {
    std::string_view texto;
    bool conCancelar = false;
    int umbralMs = kUmbralProgresoMs;
};

class Dialogos {
public:
    enum class Respuesta { Aceptar, Cancelar };

    virtual ~Dialogos() = default;

    // A message box titled "Tildarkia / Tildora", no icon, OK or OK and
    // Cancel (their words the program's own, "Ados / Aceptar" and "Utzi /
    // Cancelar"), OK the default button. Closing the box without a button
    // counts as Cancel.
    virtual Respuesta Mensaje(const std::string& texto, bool conCancelar) = 0;
    // The same box with OK and Cancel, `porDefecto` the default button (the
    // one Enter presses): Cancel where Enter alone must not replace a file.
    virtual Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) = 0;

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

    // Runs `paso`, which counts what it has done in `progreso` and stops
    // when `progreso` says so, while the user waits: once it has taken
    // `como.umbralMs` its progress window shows (MostrarProgreso), and a
    // cancel there asks `progreso` to stop. Returns when the step has ended;
    // what the step throws is thrown here. Unless a face does better, the
    // step just runs, with no window.
    virtual void Ejecutar(const PasoLargo& como, Progreso& progreso,
                          const std::function<void()>& paso);
};

// Another's dialogs, all of them passed on: a face that does one of them
// its own way (runs the long steps on a thread of its own, say) wraps the
// dialogs it is given in this and overrides just that one.
class DialogosDe : public Dialogos {
public:
    explicit DialogosDe(Dialogos& otros) : m_otros(otros) {}
    Respuesta Mensaje(const std::string& texto, bool conCancelar) override {
        return m_otros.Mensaje(texto, conCancelar);
    }
    Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) override {
        return m_otros.Preguntar(texto, porDefecto);
    }
    std::string AbrirFichero(const std::string& inicio) override {
        return m_otros.AbrirFichero(inicio);
    }
    std::string GuardarFichero(const std::string& propuesta) override {
        return m_otros.GuardarFichero(propuesta);
    }
    std::unique_ptr<IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                       bool conCancelar) override {
        return m_otros.MostrarProgreso(texto, conCancelar);
    }
    void Ejecutar(const PasoLargo& como, Progreso& progreso,
                  const std::function<void()>& paso) override {
        m_otros.Ejecutar(como, progreso, paso);
    }

protected:
    Dialogos& m_otros;
};

// Lets the core's scan speak through the dialogs' message box.
class AvisadorDialogos : public Avisador {
public:
    explicit AvisadorDialogos(Dialogos& dialogos) : m_dialogos(dialogos) {}
    void Mensaje(const std::string& texto) override;

private:
    Dialogos& m_dialogos;
};

// Keeps what the core says while a long step runs (on another thread, in a
// face), to be said once the step is over.
class AvisadorDiferido : public Avisador {
public:
    void Mensaje(const std::string& texto) override { m_mensajes.push_back(texto); }
    // Says what was kept, in order, and forgets it.
    void Decir(Dialogos& dialogos);

private:
    std::vector<std::string> m_mensajes;
};

} // namespace tildora::modelo
