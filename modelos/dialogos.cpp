#include "modelos/dialogos.h"

namespace tildora::modelo {

std::string Motivo(const Error& error) {
    return error.ruta.empty() ? Razon(error) : error.ruta + ": " + Razon(error);
}

void Dialogos::Ejecutar(const PasoLargo&, Progreso&, const std::function<void()>& paso) {
    paso();
}

void AvisadorDialogos::Mensaje(const std::string& texto) {
    m_dialogos.Mensaje(texto, false);
}

void AvisadorDiferido::Decir(Dialogos& dialogos) {
    for (const std::string& m : m_mensajes) {
        dialogos.Mensaje(m, false);
    }
    m_mensajes.clear();
}

} // namespace tildora::modelo
