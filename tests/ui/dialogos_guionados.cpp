#include "tests/ui/dialogos_guionados.h"

namespace tildora::pruebas {

Dialogos::Respuesta DialogosGuionados::Mensaje(QWidget*, const QString& texto, bool conCancelar) {
    mensajes.append(Registro{texto, conCancelar});
    return respuestas.isEmpty() ? Respuesta::Aceptar : respuestas.dequeue();
}

QString DialogosGuionados::AbrirFichero(QWidget*) {
    ++dialogosAbrir;
    return nombresAbrir.isEmpty() ? QString() : nombresAbrir.dequeue();
}

QString DialogosGuionados::GuardarFichero(QWidget*) {
    ++dialogosGuardar;
    return nombresGuardar.isEmpty() ? QString() : nombresGuardar.dequeue();
}

} // namespace tildora::pruebas
