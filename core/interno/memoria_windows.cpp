// The memory a process may still take, on Windows: what the system has free,
// what may still be committed, and what the process's job allows.

#include "core/interno/plataforma.h"
#include "core/interno/plataforma_windows.h"

#include <algorithm>
#include <psapi.h>

namespace tildora::sistema {

std::uint64_t MemoriaDisponible() {
    std::uint64_t disponible = UINT64_MAX;
    MEMORYSTATUSEX estado{};
    estado.dwLength = sizeof estado;
    // Memory in use as a cache the system gives back counts as free here.
    if (::GlobalMemoryStatusEx(&estado)) {
        disponible = std::min<std::uint64_t>(estado.ullAvailPhys, estado.ullAvailPageFile);
    }
    // A job (what a service or a sandbox may run the program in) may allow
    // less, as a control group does on Linux.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION trabajo{};
    PROCESS_MEMORY_COUNTERS_EX uso{};
    uso.cb = sizeof uso;
    if (::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &trabajo,
                                    sizeof trabajo, nullptr) &&
        ::GetProcessMemoryInfo(::GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&uso), sizeof uso)) {
        const DWORD limites = trabajo.BasicLimitInformation.LimitFlags;
        const auto resto = [&](std::uint64_t limite) {
            return limite > uso.PrivateUsage ? limite - uso.PrivateUsage : 0;
        };
        if ((limites & JOB_OBJECT_LIMIT_PROCESS_MEMORY) != 0) {
            disponible = std::min(disponible, resto(trabajo.ProcessMemoryLimit));
        }
        if ((limites & JOB_OBJECT_LIMIT_JOB_MEMORY) != 0) {
            disponible = std::min(disponible, resto(trabajo.JobMemoryLimit));
        }
    }
    return disponible;
}

std::uint64_t MemoriaDisponibleEn(const std::string& raiz) {
    return raiz.empty() ? MemoriaDisponible() : UINT64_MAX;
}

} // namespace tildora::sistema
