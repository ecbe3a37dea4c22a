#pragma once

#include "core/progreso.h"

#include <functional>
#include <string_view>

class QWidget;

namespace tildora {

class Dialogos;

// Runs a long step of the core on a thread of its own while the windows stay
// painted: a busy pointer at once and, once the step has taken `umbralMs`, a
// modal progress window with a bar that follows `progreso` (and a cancel
// button that asks `progreso` to stop, when `conCancelar`). Until that
// window shows, the user's input waits. Returns when the step has ended; a
// step that ends sooner shows nothing but the pointer.
void EjecutarConProgreso(Dialogos& dialogos, QWidget* padre, std::string_view texto,
                         bool conCancelar, Progreso& progreso, int umbralMs,
                         const std::function<void()>& paso);

} // namespace tildora
