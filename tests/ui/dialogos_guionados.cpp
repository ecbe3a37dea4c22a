#include "tests/ui/dialogos_guionados.h"

namespace tildora::pruebas {

Dialogos::Respuesta DialogosGuionados::Mensaje(QWidget*, const QString& texto, bool conCancelar) {
    mensajes.append(Registro{texto, conCancelar});
    return respuestas.isEmpty() ? Respuesta::Aceptar : respuestas.dequeue();
}

QString DialogosGuionados::AbrirFichero(QWidget*, const QString& inicio) {
    ++dialogosAbrir;
    inicios.append(inicio);
    return nombresAbrir.isEmpty() ? QString() : nombresAbrir.dequeue();
}

QString DialogosGuionados::GuardarFichero(QWidget*, const QString& propuesta) {
    ++dialogosGuardar;
    propuestas.append(propuesta);
    return nombresGuardar.isEmpty() ? QString() : nombresGuardar.dequeue();
}

namespace {

class ProgresoGuionado : public IndicadorProgreso {
public:
    explicit ProgresoGuionado(bool cancelar) : m_cancelar(cancelar) {}
    void Avanzar(int) override {}
    bool Cancelado() override { return m_cancelar; }

private:
    bool m_cancelar;
};

} // namespace

std::unique_ptr<IndicadorProgreso>
DialogosGuionados::MostrarProgreso(QWidget*, const QString& texto, bool conCancelar) {
    progresos.append(texto);
    return std::make_unique<ProgresoGuionado>(conCancelar && cancelarProgreso);
}

} // namespace tildora::pruebas
