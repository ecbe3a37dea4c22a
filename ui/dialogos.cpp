#include "ui/dialogos.h"

#include "core/textos.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tildora {

Dialogos::Respuesta DialogosQt::Mensaje(QWidget* padre, const QString& texto, bool conCancelar) {
    QMessageBox caja(padre);
    caja.setWindowTitle(TextoQt(textos::Titulo));
    caja.setIcon(QMessageBox::NoIcon);
    // File names may reach a message some day; never let them be read as markup.
    caja.setTextFormat(Qt::PlainText);
    caja.setText(texto);
    QPushButton* aceptar = caja.addButton(QMessageBox::Ok);
    caja.setDefaultButton(aceptar);
    if (conCancelar) {
        // Esc and the title bar's close both land on Cancel.
        caja.setEscapeButton(caja.addButton(QMessageBox::Cancel));
    }
    caja.exec();
    // A box closed without pressing OK (title bar, Esc) counts as Cancel.
    return caja.clickedButton() == aceptar ? Respuesta::Aceptar : Respuesta::Cancelar;
}

QString DialogosQt::AbrirFichero(QWidget* padre) {
    return QFileDialog::getOpenFileName(padre);
}

QString DialogosQt::GuardarFichero(QWidget* padre) {
    // The window asks its own overwrite question after checking the names, so
    // the dialog must not ask one first.
    return QFileDialog::getSaveFileName(padre, QString(), QString(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void AvisadorDialogos::Mensaje(const std::string& texto) {
    m_dialogos.Mensaje(m_padre, QString::fromStdString(texto), false);
}

} // namespace tildora
