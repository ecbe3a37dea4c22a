#include "tests/cli/proceso.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace prueba {

namespace {

void Cerrar(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

Resultado Ejecutar(const std::vector<std::string>& argumentos, const Opciones& opciones) {
    // A program that stops reading its input must not take the test down.
    ::signal(SIGPIPE, SIG_IGN);
    int entrada[2];
    int salida[2];
    int error[2];
    if (::pipe2(entrada, O_CLOEXEC) != 0 || ::pipe2(salida, O_CLOEXEC) != 0 ||
        ::pipe2(error, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    std::vector<std::string> todos{opciones.programa.empty() ? TILDORA_EXE : opciones.programa};
    todos.insert(todos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (std::string& a : todos) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variables = opciones.entorno;
    std::vector<char*> envp;
    for (char** v = environ; *v != nullptr; ++v) {
        const std::string_view actual = *v;
        const bool sustituida = std::any_of(variables.begin(), variables.end(), [&](auto& n) {
            return actual.substr(0, actual.find('=') + 1) == n.substr(0, n.find('=') + 1);
        });
        if (!sustituida) {
            envp.push_back(*v);
        }
    }
    for (std::string& v : variables) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork");
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        if (!opciones.carpeta.empty() && ::chdir(opciones.carpeta.c_str()) != 0) {
            ::_exit(127);
        }
        int in = entrada[0];
        if (!opciones.ficheroEntrada.empty()) {
            in = ::open(opciones.ficheroEntrada.c_str(), O_RDONLY);
        }
        int out = salida[1];
        if (!opciones.ficheroSalida.empty()) {
            out = ::open(opciones.ficheroSalida.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        }
        if (in < 0 || out < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(error[1], 2) < 0) {
            ::_exit(127);
        }
        const rlimit memoria{opciones.limiteMemoria, opciones.limiteMemoria};
        const rlimit fichero{opciones.limiteFichero, opciones.limiteFichero};
        if ((opciones.limiteMemoria != 0 && ::setrlimit(RLIMIT_AS, &memoria) != 0) ||
            (opciones.limiteFichero != 0 && ::setrlimit(RLIMIT_FSIZE, &fichero) != 0)) {
            ::_exit(127);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    Cerrar(entrada[0]);
    Cerrar(salida[1]);
    Cerrar(error[1]);

    Resultado r;
    std::size_t escrito = 0;
    if (opciones.entrada.empty()) {
        Cerrar(entrada[1]);
    }
    char buffer[65536];
    while (salida[0] >= 0 || error[0] >= 0 || entrada[1] >= 0) {
        pollfd fds[3] = {{salida[0], POLLIN, 0}, {error[0], POLLIN, 0}, {entrada[1], POLLOUT, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll");
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            int& fd = i == 0 ? salida[0] : error[0];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                Cerrar(fd);
            } else {
                (i == 0 ? r.salida : r.error).append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (fds[2].revents != 0) {
            const ssize_t n = ::write(entrada[1], opciones.entrada.data() + escrito,
                                      opciones.entrada.size() - escrito);
            if (n <= 0) {
                Cerrar(entrada[1]); // the program stopped reading
            } else {
                escrito += static_cast<std::size_t>(n);
                if (escrito == opciones.entrada.size()) {
                    Cerrar(entrada[1]);
                }
            }
        }
    }
    int estado = 0;
    rusage uso{};
    while (::wait4(pid, &estado, 0, &uso) < 0) {
        if (errno != EINTR) {
            throw std::runtime_error("wait4");
        }
    }
    r.estado = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    r.memoriaKiB = uso.ru_maxrss;
    return r;
}

} // namespace prueba
