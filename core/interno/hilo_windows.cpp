#include "core/interno/hilo.h"

#include <system_error>
#include <thread>

namespace tildora::detalle {

// Windows gives a thread's stack back when the thread ends.
struct Hilo::Datos {
    std::thread hilo;
};

Hilo::Hilo() : m_datos(std::make_unique<Datos>()) {}

Hilo::~Hilo() {
    Esperar();
}

bool Hilo::Empezar(std::function<void()> trabajo) {
    try {
        m_datos->hilo = std::thread(std::move(trabajo));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void Hilo::Esperar() {
    if (m_datos->hilo.joinable()) {
        m_datos->hilo.join();
    }
}

} // namespace tildora::detalle
