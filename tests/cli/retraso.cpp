// Loaded into the program under test (LD_PRELOAD) by the test of kill -9:
// with TILDORA_PRUEBA_RETRASO=N each rename waits N microseconds first, so
// that a kill lands often in the instant a temporary file has its name; with
// TILDORA_PRUEBA_SIN_ANONIMOS every unnamed file (O_TMPFILE) is refused, as
// on file systems that have none.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

template <typename F> F Real(const char* nombre) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, nombre));
}

bool SinAnonimos(int banderas) {
    return (banderas & O_TMPFILE) == O_TMPFILE && std::getenv("TILDORA_PRUEBA_SIN_ANONIMOS");
}

} // namespace

extern "C" int rename(const char* de, const char* a) {
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    if (const char* espera = std::getenv("TILDORA_PRUEBA_RETRASO")) {
        ::usleep(static_cast<useconds_t>(std::atoi(espera)));
    }
    return real(de, a);
}

#define TILDORA_ABRIR(nombre)                                                                      \
    extern "C" int nombre(const char* ruta, int banderas, ...) {                                   \
        static const auto real = Real<int (*)(const char*, int, ...)>(#nombre);                    \
        if (SinAnonimos(banderas)) {                                                               \
            errno = EOPNOTSUPP;                                                                    \
            return -1;                                                                             \
        }                                                                                          \
        mode_t modo = 0;                                                                           \
        if ((banderas & O_CREAT) != 0 || (banderas & O_TMPFILE) == O_TMPFILE) {                    \
            va_list v;                                                                             \
            va_start(v, banderas);                                                                 \
            modo = va_arg(v, mode_t);                                                              \
            va_end(v);                                                                             \
        }                                                                                          \
        return real(ruta, banderas, modo);                                                         \
    }
TILDORA_ABRIR(open)
TILDORA_ABRIR(open64)
