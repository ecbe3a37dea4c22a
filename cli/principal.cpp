#include "cli/principal.h"

#include "cli/cli.h"
#include "cli/terminal.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace tildora::cli {

namespace {

// The memory ReservarMemoria keeps. A new handler can be handed nothing, so
// this is the command line's one piece of state outside its objects.
constexpr std::size_t kReserva = 256 << 10;
void* g_reserva = nullptr;

void LiberarReserva() {
    std::free(std::exchange(g_reserva, nullptr));
    // The next failure throws std::bad_alloc.
    std::set_new_handler(nullptr);
}

} // namespace

bool ReservarMemoria() {
    g_reserva = std::malloc(kReserva);
    if (g_reserva == nullptr) {
        SinMemoria();
        return false;
    }
    std::set_new_handler(LiberarReserva);
    return true;
}

int LineaDeOrdenes(std::vector<std::string> argumentos) {
    std::vector<char*> punteros;
    try {
        if (argumentos.empty()) {
            argumentos.emplace_back(); // started without even a name
        }
        for (std::string& a : argumentos) {
            punteros.push_back(a.data());
        }
        punteros.push_back(nullptr);
    } catch (const std::bad_alloc&) {
        SinMemoria();
        return kFallo;
    }
    return EjecutarLineaDeOrdenes(static_cast<int>(argumentos.size()), punteros.data());
}

} // namespace tildora::cli
