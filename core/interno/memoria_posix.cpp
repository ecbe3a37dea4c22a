// The memory a process may still take, on Linux: what the system has free,
// and what its control groups allow.

#include "core/interno/plataforma.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tildora::sistema {

namespace {

constexpr std::uint64_t kSinLimite = UINT64_MAX;
// cgroup v1 says "no limit" with a number near 2^63.
constexpr std::uint64_t kLimiteV1Infinito = std::uint64_t{1} << 62;

bool Leer(const std::string& ruta, std::string& texto) {
    std::ifstream f(ruta);
    if (!f) {
        return false;
    }
    std::ostringstream s;
    s << f.rdbuf();
    texto = s.str();
    return true;
}

// The number a file holds; nothing when it holds none ("max").
std::optional<std::uint64_t> Numero(const std::string& ruta) {
    std::ifstream f(ruta);
    std::uint64_t n = 0;
    if (f >> n) {
        return n;
    }
    return std::nullopt;
}

// The value of `clave` in a file of "key value" lines (memory.stat).
std::uint64_t Campo(const std::string& ruta, std::string_view clave) {
    std::ifstream f(ruta);
    std::string nombre;
    std::uint64_t valor = 0;
    while (f >> nombre >> valor) {
        if (nombre == clave) {
            return valor;
        }
    }
    return 0;
}

std::vector<std::string> Partes(std::string_view linea, char separador) {
    std::vector<std::string> partes;
    std::size_t desde = 0;
    for (;;) {
        const std::size_t hasta = linea.find(separador, desde);
        partes.emplace_back(linea.substr(desde, hasta - desde));
        if (hasta == std::string_view::npos) {
            return partes;
        }
        desde = hasta + 1;
    }
}

// One control group hierarchy that holds this process's memory: where it is
// mounted (with the part of the tree the mount shows) and the group's path.
struct Jerarquia {
    bool v2 = false;
    std::string montaje;
    std::string raizMontaje;
    std::string ruta;
};

// The mounts of the memory controller: cgroup2, and cgroup (v1) with the
// "memory" option.
std::vector<Jerarquia> Montajes(const std::string& raiz) {
    std::vector<Jerarquia> montajes;
    std::istringstream lineas;
    std::string texto;
    if (!Leer(raiz + "/proc/self/mountinfo", texto)) {
        return montajes;
    }
    lineas.str(texto);
    for (std::string linea; std::getline(lineas, linea);) {
        const std::size_t guion = linea.find(" - ");
        if (guion == std::string::npos) {
            continue;
        }
        const std::vector<std::string> antes =
            Partes(std::string_view(linea).substr(0, guion), ' ');
        const std::vector<std::string> despues =
            Partes(std::string_view(linea).substr(guion + 3), ' ');
        if (antes.size() < 5 || despues.size() < 3) {
            continue;
        }
        const std::vector<std::string> opciones = Partes(despues[2], ',');
        const bool v1 = despues[0] == "cgroup" &&
                        std::find(opciones.begin(), opciones.end(), "memory") != opciones.end();
        if (v1 || despues[0] == "cgroup2") {
            montajes.push_back(Jerarquia{!v1, antes[4], antes[3], {}});
        }
    }
    return montajes;
}

// What the groups from this process's one up to the mount's top allow
// beyond what they use.
std::uint64_t Margen(const std::string& raiz, const Jerarquia& j) {
    std::string relativa = j.ruta;
    if (j.raizMontaje != "/") {
        // The mount shows part of the tree: the path is below its top, or
        // the mount is the group itself (a container's own view).
        relativa = j.ruta.rfind(j.raizMontaje, 0) == 0 ? j.ruta.substr(j.raizMontaje.size()) : "";
    }
    const std::string tope = raiz + j.montaje;
    std::string carpeta = tope + (relativa == "/" ? "" : relativa);
    std::uint64_t margen = kSinLimite;
    for (;;) {
        const std::optional<std::uint64_t> limite =
            Numero(carpeta + (j.v2 ? "/memory.max" : "/memory.limit_in_bytes"));
        const std::optional<std::uint64_t> uso =
            Numero(carpeta + (j.v2 ? "/memory.current" : "/memory.usage_in_bytes"));
        if (limite && uso && (j.v2 || *limite < kLimiteV1Infinito)) {
            // Page cache the group could give back is not really used.
            const std::uint64_t cache =
                std::min(*uso, Campo(carpeta + "/memory.stat",
                                     j.v2 ? "inactive_file" : "total_inactive_file"));
            const std::uint64_t usado = *uso - cache;
            margen = std::min(margen, *limite > usado ? *limite - usado : 0);
        }
        if (carpeta.size() <= tope.size()) {
            return margen;
        }
        carpeta.resize(carpeta.rfind('/'));
    }
}

} // namespace

std::uint64_t MemoriaDisponibleEn(const std::string& raiz) {
    std::uint64_t memoria = kSinLimite;
    {
        std::ifstream info(raiz + "/proc/meminfo");
        std::string nombre;
        std::uint64_t kib = 0;
        std::string unidad;
        while (info >> nombre >> kib >> unidad) {
            if (nombre == "MemAvailable:") {
                memoria = kib * 1024;
                break;
            }
        }
    }
    std::vector<Jerarquia> montajes = Montajes(raiz);
    std::string grupos;
    if (montajes.empty() || !Leer(raiz + "/proc/self/cgroup", grupos)) {
        return memoria;
    }
    // "0::/path" for v2; "N:memory,...:/path" for the v1 memory controller.
    std::istringstream lineas(grupos);
    for (std::string linea; std::getline(lineas, linea);) {
        const std::size_t a = linea.find(':');
        const std::size_t b = a == std::string::npos ? a : linea.find(':', a + 1);
        if (b == std::string::npos) {
            continue;
        }
        const std::vector<std::string> controles = Partes(linea.substr(a + 1, b - a - 1), ',');
        const bool v2 = linea.compare(0, a, "0") == 0 && linea[a + 1] == ':';
        const bool v1 = std::find(controles.begin(), controles.end(), "memory") != controles.end();
        for (Jerarquia& j : montajes) {
            if ((j.v2 && v2) || (!j.v2 && v1)) {
                j.ruta = linea.substr(b + 1);
                memoria = std::min(memoria, Margen(raiz, j));
            }
        }
    }
    return memoria;
}

std::uint64_t MemoriaDisponible() {
    return MemoriaDisponibleEn("");
}

} // namespace tildora::sistema
