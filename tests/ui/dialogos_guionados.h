#pragma once

#include "ui/dialogos.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace tildora::pruebas {

// For tests: records what would have been shown and answers from queues
// (Aceptar and an empty name when a queue is empty).
class DialogosGuionados : public Dialogos {
public:
    struct Registro {
        QString texto;
        bool conCancelar = false;
    };

    QList<Registro> mensajes;
    QQueue<Respuesta> respuestas;
    QQueue<QString> nombresAbrir;
    QQueue<QString> nombresGuardar;
    int dialogosAbrir = 0;
    int dialogosGuardar = 0;
    // Where each dialog started: the open dialog's folder or file, the save
    // dialog's proposed name.
    QStringList inicios;
    QStringList propuestas;
    // The progress windows shown, and whether their cancel is pressed.
    QStringList progresos;
    bool cancelarProgreso = false;

    Respuesta Mensaje(QWidget* padre, const QString& texto, bool conCancelar) override;
    QString AbrirFichero(QWidget* padre, const QString& inicio) override;
    QString GuardarFichero(QWidget* padre, const QString& propuesta) override;
    std::unique_ptr<IndicadorProgreso> MostrarProgreso(QWidget* padre, const QString& texto,
                                                       bool conCancelar) override;
};

} // namespace tildora::pruebas
