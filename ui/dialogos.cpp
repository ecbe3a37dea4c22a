#include "ui/dialogos.h"

#include "ui/geometria.h"
#include "ui/progreso.h"

#include "core/textos.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>

namespace tildora {

modelo::Dialogos& DialogosVentanas::Sobre(QWidget* ventana) {
    if (m_qt != nullptr) {
        m_qt->Sobre(ventana);
    }
    return m_pasos;
}

void DialogosVentanas::ConPasos::Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                                          const std::function<void()>& paso) {
    EjecutarConProgreso(
        [&] { return m_otros.MostrarProgreso(std::string(como.texto), como.conCancelar); },
        progreso, m_de.m_umbral.value_or(como.umbralMs), paso);
}

DialogosQt::Respuesta DialogosQt::Mensaje(const std::string& texto, bool conCancelar) {
    return Caja(texto, conCancelar, Respuesta::Aceptar);
}

DialogosQt::Respuesta DialogosQt::Preguntar(const std::string& texto, Respuesta porDefecto) {
    return Caja(texto, true, porDefecto);
}

DialogosQt::Respuesta DialogosQt::Caja(const std::string& texto, bool conCancelar,
                                       Respuesta porDefecto) {
    QMessageBox caja(m_ventana);
    caja.setWindowTitle(TextoQt(textos::Titulo));
    caja.setIcon(QMessageBox::NoIcon);
    // File names may reach a message some day; never let them be read as markup.
    caja.setTextFormat(Qt::PlainText);
    caja.setText(TextoQt(texto));
    // The buttons speak the program's two languages, whatever the system's.
    QPushButton* aceptar = caja.addButton(QMessageBox::Ok);
    aceptar->setText(TextoQt(textos::BotonAceptar));
    caja.setDefaultButton(aceptar);
    if (conCancelar) {
        QPushButton* cancelar = caja.addButton(QMessageBox::Cancel);
        cancelar->setText(TextoQt(textos::BotonCancelar));
        // Esc and the title bar's close both land on Cancel.
        caja.setEscapeButton(cancelar);
        if (porDefecto == Respuesta::Cancelar) {
            caja.setDefaultButton(cancelar);
        }
    }
    caja.exec();
    // A box closed without pressing OK (title bar, Esc) counts as Cancel.
    return caja.clickedButton() == aceptar ? Respuesta::Aceptar : Respuesta::Cancelar;
}

std::string DialogosQt::AbrirFichero(const std::string& inicio) {
    return Utf8(QFileDialog::getOpenFileName(m_ventana, QString(), TextoQt(inicio)));
}

std::string DialogosQt::GuardarFichero(const std::string& propuesta) {
    // The model asks its own overwrite question after checking the names, so
    // the dialog must not ask one first.
    return Utf8(QFileDialog::getSaveFileName(m_ventana, QString(), TextoQt(propuesta), QString(),
                                             nullptr, QFileDialog::DontConfirmOverwrite));
}

namespace {

// The progress window stays until the step it shows has ended: Esc and the
// cancel button only ask the step to stop, and nothing else closes it.
class VentanaProgreso : public QProgressDialog {
public:
    using QProgressDialog::QProgressDialog;

protected:
    void reject() override {
        if (cancelButton() != nullptr && cancelButton()->isEnabled()) {
            emit canceled();
        }
    }
    void closeEvent(QCloseEvent* evento) override { evento->ignore(); }

private:
    QAbstractButton* cancelButton() const { return findChild<QPushButton*>(); }
};

class ProgresoQt : public IndicadorProgreso {
public:
    ProgresoQt(QWidget* padre, const QString& texto, bool conCancelar)
        : m_dialogo(new VentanaProgreso(padre, Qt::Dialog | Qt::WindowTitleHint |
                                                   Qt::CustomizeWindowHint)) {
        m_dialogo->setWindowTitle(TextoQt(textos::Titulo));
        m_dialogo->setFont(FuenteVentana());
        m_dialogo->setLabelText(texto);
        m_dialogo->setRange(0, 1000);
        m_dialogo->setAutoClose(false);
        m_dialogo->setAutoReset(false);
        m_dialogo->setMinimumDuration(0);
        m_dialogo->setWindowModality(Qt::ApplicationModal);
        if (conCancelar) {
            m_cancelar = new QPushButton(TextoQt(textos::ProgresoCancelar));
            m_dialogo->setCancelButton(m_cancelar);
        } else {
            m_dialogo->setCancelButton(nullptr);
        }
        // Left to itself the dialog would hide at once; the step may take a
        // while yet to stop, and the windows behind must not be used
        // meanwhile.
        QObject::disconnect(m_dialogo, SIGNAL(canceled()), m_dialogo, SLOT(cancel()));
        QObject::connect(m_dialogo, &QProgressDialog::canceled, m_dialogo, [this] {
            m_pedido = true;
            if (m_cancelar != nullptr) {
                m_cancelar->setEnabled(false);
            }
        });
        // As wide as the first window.
        m_dialogo->setMinimumWidth(Px(modelo::DisposicionEleccion().ancho));
        m_dialogo->show();
    }
    ~ProgresoQt() override { delete m_dialogo.data(); }
    ProgresoQt(const ProgresoQt&) = delete;
    ProgresoQt& operator=(const ProgresoQt&) = delete;

    void Avanzar(int milesimas) override {
        if (m_dialogo.isNull()) {
            return;
        }
        m_dialogo->setValue(milesimas);
        if (m_cancelar != nullptr && milesimas >= 1000) {
            m_cancelar->setEnabled(false);
        }
    }
    bool Cancelado() override { return m_pedido; }

private:
    QPointer<VentanaProgreso> m_dialogo;
    QPushButton* m_cancelar = nullptr; // owned by the dialog
    bool m_pedido = false;
};

} // namespace

std::unique_ptr<IndicadorProgreso> DialogosQt::MostrarProgreso(const std::string& texto,
                                                               bool conCancelar) {
    return std::make_unique<ProgresoQt>(m_ventana, TextoQt(texto), conCancelar);
}

void DialogosQt::Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                          const std::function<void()>& paso) {
    EjecutarConProgreso([&] { return MostrarProgreso(std::string(como.texto), como.conCancelar); },
                        progreso, como.umbralMs, paso);
}

} // namespace tildora
