#pragma once

#include "core/progreso.h"
#include "modelos/dialogos.h"

#include <functional>
#include <memory>

namespace tildora {

// Runs a long step of the core on a thread of its own while the windows stay
// painted: a busy pointer at once and, once the step has taken `umbralMs`,
// the progress window that `mostrar` opens, with a bar that follows
// `progreso` (and whose cancel asks `progreso` to stop). Until that window
// shows, the user's input waits. Returns when the step has ended; a step
// that ends sooner shows nothing but the pointer.
void EjecutarConProgreso(const std::function<std::unique_ptr<modelo::IndicadorProgreso>()>& mostrar,
                         Progreso& progreso, int umbralMs, const std::function<void()>& paso);

} // namespace tildora
