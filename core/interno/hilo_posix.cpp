#include "core/interno/hilo.h"

#include <cstdlib>
#include <new>
#include <pthread.h>

namespace tildora::detalle {

namespace {

// The work on the second thread needs little stack: its buffers were taken
// before it started, and its calls go only a few levels deep.
constexpr std::size_t kPila = std::size_t{1} << 20;
constexpr std::size_t kAlineacion = 4096;

} // namespace

struct Hilo::Datos {
    std::function<void()> trabajo;
    void* pila = nullptr;
    pthread_t hilo{};
    bool empezado = false;

    static void* Correr(void* datos) {
        static_cast<Datos*>(datos)->trabajo();
        return nullptr;
    }
};

Hilo::Hilo() : m_datos(std::make_unique<Datos>()) {}

Hilo::~Hilo() {
    Esperar();
}

bool Hilo::Empezar(std::function<void()> trabajo) {
    Datos& d = *m_datos;
    d.trabajo = std::move(trabajo);
    d.pila = std::aligned_alloc(kAlineacion, kPila);
    if (d.pila == nullptr) {
        return false;
    }
    pthread_attr_t atributos;
    bool bien = pthread_attr_init(&atributos) == 0;
    if (bien) {
        bien = pthread_attr_setstack(&atributos, d.pila, kPila) == 0 &&
               pthread_create(&d.hilo, &atributos, &Datos::Correr, &d) == 0;
        pthread_attr_destroy(&atributos);
    }
    if (!bien) {
        std::free(d.pila);
        d.pila = nullptr;
    }
    d.empezado = bien;
    return bien;
}

void Hilo::Esperar() {
    Datos& d = *m_datos;
    if (d.empezado) {
        pthread_join(d.hilo, nullptr);
        d.empezado = false;
    }
    std::free(d.pila);
    d.pila = nullptr;
}

} // namespace tildora::detalle
