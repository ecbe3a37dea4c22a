#pragma once

// The Qt face's side of the dialogs: the one toolkit-free interface
// (modelos/dialogos.h) shown with QMessageBox, QFileDialog and a progress
// window, over the window that asks.

#include "modelos/dialogos.h"

#include <QFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tildora {

// One of the program's texts (UTF-8, core/textos.h) as Qt holds it, and back.
inline QString TextoQt(std::string_view texto) {
    return QString::fromUtf8(texto.data(), static_cast<qsizetype>(texto.size()));
}
inline std::string Utf8(const QString& texto) {
    return texto.toUtf8().toStdString();
}
// A file's name as the file system takes it, and back.
inline std::string RutaNativa(const QString& nombre) {
    return QFile::encodeName(nombre).toStdString();
}
inline QString NombreQt(const std::string& ruta) {
    return QFile::decodeName(QByteArray::fromStdString(ruta));
}

using modelo::IndicadorProgreso;
using modelo::Motivo;

// The program's dialogs: title "Tildarkia / Tildora", no icon; the boxes
// are owned by, and block, the window that asks (Sobre).
class DialogosQt : public modelo::Dialogos {
public:
    // The window the next boxes show over; none: they have no owner.
    void Sobre(QWidget* ventana) { m_ventana = ventana; }

    Respuesta Mensaje(const std::string& texto, bool conCancelar) override;
    Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) override;
    std::string AbrirFichero(const std::string& inicio) override;
    std::string GuardarFichero(const std::string& propuesta) override;
    std::unique_ptr<IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                       bool conCancelar) override;
    // On a thread of its own, through EjecutarConProgreso (ui/progreso.h).
    void Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                  const std::function<void()>& paso) override;

private:
    Respuesta Caja(const std::string& texto, bool conCancelar, Respuesta porDefecto);

    QPointer<QWidget> m_ventana;
};

// The dialogs as the windows hold them: the one interface, which a window
// hands its model over itself (Sobre), its long steps run on a thread of
// their own while the window stays painted (EjecutarConProgreso).
class DialogosVentanas {
public:
    explicit DialogosVentanas(modelo::Dialogos& dialogos) : m_dialogos(dialogos), m_pasos(*this) {}
    explicit DialogosVentanas(DialogosQt& dialogos)
        : m_dialogos(dialogos), m_qt(&dialogos), m_pasos(*this) {}
    DialogosVentanas(const DialogosVentanas&) = delete;
    DialogosVentanas& operator=(const DialogosVentanas&) = delete;

    // The one interface, its boxes shown over `ventana`.
    modelo::Dialogos& Sobre(QWidget* ventana);

    // For tests: every long step's progress window shows once the step has
    // taken `ms`, whatever the model asked.
    void FijarUmbral(int ms) { m_umbral = ms; }

private:
    // The dialogs given, their long steps run here.
    class ConPasos : public modelo::DialogosDe {
    public:
        explicit ConPasos(DialogosVentanas& dialogos)
            : DialogosDe(dialogos.m_dialogos), m_de(dialogos) {}
        void Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                      const std::function<void()>& paso) override;

    private:
        DialogosVentanas& m_de;
    };

    modelo::Dialogos& m_dialogos;
    DialogosQt* m_qt = nullptr;
    ConPasos m_pasos;
    std::optional<int> m_umbral;
};

} // namespace tildora
