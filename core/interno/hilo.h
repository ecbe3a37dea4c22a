#pragma once

// A second thread for one piece of work, the caller going on meanwhile (a
// large file is read in two parts at once). Its stack is memory the program
// takes for it and gives back when the work is joined, so no stack lingers
// after it in a cache of the system's: under a limit of memory, what ran
// on a second thread leaves no less room for what comes after.

#include <functional>
#include <memory>

namespace tildora::detalle {

class Hilo {
public:
    Hilo();
    ~Hilo(); // joins the work if it was started and not yet joined
    Hilo(const Hilo&) = delete;
    Hilo& operator=(const Hilo&) = delete;

    // Starts `trabajo`; false when there was no thread (or no memory for
    // its stack) to be had, and then it is not run.
    bool Empezar(std::function<void()> trabajo);
    // Waits for the work to end.
    void Esperar();

private:
    struct Datos;
    std::unique_ptr<Datos> m_datos;
};

} // namespace tildora::detalle
