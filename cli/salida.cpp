#include "salida.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tildora::cli {

bool SalidaSegura::Abrir(const std::string& ruta) {
    if (!m_escritura.Abrir(ruta)) {
        m_error = m_escritura.Error();
        return false;
    }
    return true;
}

bool SalidaSegura::Escribir(const char* datos, std::size_t n) {
    if (!m_escritura.Escribir(datos, n)) {
        m_error = m_escritura.Error();
        return false;
    }
    return true;
}

bool SalidaSegura::Confirmar() {
    if (!m_escritura.Confirmar()) {
        m_error = m_escritura.Error();
        return false;
    }
    return true;
}

bool SalidaEstandar::Escribir(const char* datos, std::size_t n) {
    if (!EscribirTodo(STDOUT_FILENO, datos, n)) {
        m_error = std::string("-: ") + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace tildora::cli
