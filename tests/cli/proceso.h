#pragma once

#include <string>
#include <vector>

namespace prueba {

// What a run of the program left behind.
struct Resultado {
    int estado = -1;     // exit status; -1 when it did not exit normally
    std::string salida;  // standard output
    std::string error;   // standard error
    long memoriaKiB = 0; // peak resident memory
};

// How to run it. Standard input is `entrada` unless `ficheroEntrada` names a
// file to read it from; standard output is captured unless `ficheroSalida`
// names a file to append it to.
struct Opciones {
    std::string carpeta; // working folder; empty: the test's own
    std::string entrada;
    std::string ficheroEntrada;
    std::string ficheroSalida;
    std::vector<std::string> entorno; // NAME=VALUE added to the environment
    std::string programa;             // the executable; empty: the one just built
    // Limits of the run, in bytes (0: none): its address space (ulimit -v)
    // and the size of the files it writes (ulimit -f).
    unsigned long limiteMemoria = 0;
    unsigned long limiteFichero = 0;
};

// Runs the real executable with `argumentos` and waits for it.
Resultado Ejecutar(const std::vector<std::string>& argumentos, const Opciones& opciones = {});

} // namespace prueba
