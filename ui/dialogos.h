#pragma once

#include "core/estado.h"
#include "core/resultado.h"

#include <QString>
#include <memory>
#include <string_view>
#include <vector>

class QWidget;

namespace tildora {

// One of the program's texts (UTF-8, core/textos.h) as Qt holds it.
inline QString TextoQt(std::string_view texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}

// What went wrong in the windows' words, after a message: the file it
// concerns and why.
inline std::string Motivo(const Error& error) {
    return error.ruta.empty() ? Razon(error) : error.ruta + ": " + Razon(error);
}

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

// Everything modal that a window shows goes through here: message boxes and
// the open and save dialogs. The program uses DialogosQt; tests hand the
// windows a scripted one that records every message and answers from a
// queue, so no test ever waits on a real modal box.
class Dialogos {
public:
    enum class Respuesta { Aceptar, Cancelar };

    virtual ~Dialogos() = default;

    // A message box titled "Tildarkia / Tildora", no icon, OK or OK and
    // Cancel. Closing the box without a button counts as Cancel.
    virtual Respuesta Mensaje(QWidget* padre, const QString& texto, bool conCancelar) = 0;

    // The open and save dialogs: no filter, title or extension of their own.
    // The open dialog starts at `inicio` (a folder, or a file it selects);
    // the save dialog proposes `propuesta` (a name, or a folder). An empty
    // name means the user cancelled. The save dialog asks no overwrite
    // question: the window asks its own.
    virtual QString AbrirFichero(QWidget* padre, const QString& inicio) = 0;
    virtual QString GuardarFichero(QWidget* padre, const QString& propuesta) = 0;

    // A window with a bar for a long step, titled like the message boxes,
    // modal; with a cancel button when the step can be stopped.
    virtual std::unique_ptr<IndicadorProgreso> MostrarProgreso(QWidget* padre, const QString& texto,
                                                               bool conCancelar) = 0;
};

class DialogosQt : public Dialogos {
public:
    Respuesta Mensaje(QWidget* padre, const QString& texto, bool conCancelar) override;
    QString AbrirFichero(QWidget* padre, const QString& inicio) override;
    QString GuardarFichero(QWidget* padre, const QString& propuesta) override;
    std::unique_ptr<IndicadorProgreso> MostrarProgreso(QWidget* padre, const QString& texto,
                                                       bool conCancelar) override;
};

// Lets the core's scan speak through a window's message box.
class AvisadorDialogos : public Avisador {
public:
    AvisadorDialogos(Dialogos& dialogos, QWidget* padre) : m_dialogos(dialogos), m_padre(padre) {}
    void Mensaje(const std::string& texto) override;

private:
    Dialogos& m_dialogos;
    QWidget* m_padre;
};

// Keeps what the core says on another thread, to be shown on the windows'
// thread once the step is over.
class AvisadorDiferido : public Avisador {
public:
    void Mensaje(const std::string& texto) override { m_mensajes.push_back(texto); }
    void Mostrar(Dialogos& dialogos, QWidget* padre);

private:
    std::vector<std::string> m_mensajes;
};

} // namespace tildora
