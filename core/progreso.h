#pragma once

#include <atomic>
#include <cstdint>

namespace tildora {

// How far a long step has got, and whether the user wants it stopped. The
// step's thread writes it; the window's thread reads it and may ask to stop.
struct Progreso {
    std::atomic<std::uint64_t> hechos{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<bool> cancelar{false};

    void Avanzar(std::uint64_t n) { hechos.fetch_add(n, std::memory_order_relaxed); }
    bool Cancelado() const { return cancelar.load(std::memory_order_relaxed); }
};

} // namespace tildora
