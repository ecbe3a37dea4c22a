// Ejecutar on Windows (tests/cli/proceso.h): the program started with
// CreateProcessW, its standard streams on pipes served by threads.

#include "tests/cli/proceso.h"
#include "tests/core/ayudas.h"

#include <cwctype>
#include <mutex>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <windows.h>

// After windows.h, whose types it uses.
#include <psapi.h>

#include "core/interno/plataforma_windows.h"

namespace prueba {

namespace {

std::wstring Ancho(const std::string& utf8) {
    return Camino(utf8).native();
}

std::wstring Mayusculas(std::wstring_view s) {
    std::wstring r(s);
    for (wchar_t& c : r) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return r;
}

// This process's environment with `cambios` (NAME=VALUE) put in, as the
// block CreateProcessW takes. Names are compared without regard to case.
std::wstring Entorno(const std::vector<std::string>& cambios) {
    std::vector<std::wstring> nuevas;
    for (const std::string& c : cambios) {
        nuevas.push_back(Ancho(c));
    }
    const auto nombre = [](std::wstring_view v) {
        return Mayusculas(v.substr(0, v.find(L'=', 1)));
    };
    std::wstring bloque;
    wchar_t* todas = ::GetEnvironmentStringsW();
    for (const wchar_t* v = todas; *v != L'\0'; v += std::wcslen(v) + 1) {
        bool cambiada = false;
        for (const std::wstring& n : nuevas) {
            cambiada = cambiada || nombre(n) == nombre(v);
        }
        if (!cambiada) {
            bloque.append(v).push_back(L'\0');
        }
    }
    ::FreeEnvironmentStringsW(todas);
    for (const std::wstring& n : nuevas) {
        bloque.append(n).push_back(L'\0');
    }
    bloque.push_back(L'\0');
    return bloque;
}

// A pipe whose end `heredado` (0 the reading one, 1 the writing one) the
// program inherits.
void Tubo(HANDLE (&tubo)[2], int heredado) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    if (!::CreatePipe(&tubo[0], &tubo[1], &sa, 0) ||
        !::SetHandleInformation(tubo[1 - heredado], HANDLE_FLAG_INHERIT, 0)) {
        throw std::runtime_error("CreatePipe");
    }
}

HANDLE Fichero(const std::string& ruta, bool escribir) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    const HANDLE h = ::CreateFileW(Ancho(ruta).c_str(), escribir ? FILE_APPEND_DATA : GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                                   escribir ? OPEN_ALWAYS : OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + ruta);
    }
    return h;
}

void LeerTodo(HANDLE h, std::string& destino) {
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        destino.append(buffer, n);
    }
}

} // namespace

Resultado Ejecutar(const std::vector<std::string>& argumentos, const Opciones& opciones) {
    if (opciones.limiteFichero != 0) {
        throw std::runtime_error("Windows has no limit of the size of the files a program writes");
    }
    const std::string programa = opciones.programa.empty() ? TILDORA_EXE : opciones.programa;
    std::wstring linea;
    tildora::sistema::windows::Citar(linea, Ancho(programa));
    for (const std::string& a : argumentos) {
        tildora::sistema::windows::Citar(linea, Ancho(a));
    }
    std::wstring entorno = Entorno(opciones.entorno);

    // The child's ends of the pipes are inheritable: while they are open,
    // any program another thread starts would inherit them too, and hold
    // this one's streams open after it ended. So programs are started one
    // at a time, and those ends closed before the next starts.
    static std::mutex creando;
    std::unique_lock<std::mutex> uno(creando);
    HANDLE entrada[2] = {};
    HANDLE salida[2] = {};
    HANDLE error[2] = {};
    Tubo(error, 1);
    if (opciones.ficheroEntrada.empty()) {
        Tubo(entrada, 0);
    } else {
        entrada[0] = Fichero(opciones.ficheroEntrada, false);
    }
    if (opciones.ficheroSalida.empty()) {
        Tubo(salida, 1);
    } else {
        salida[1] = Fichero(opciones.ficheroSalida, true);
    }
    STARTUPINFOW inicio{};
    inicio.cb = sizeof inicio;
    inicio.dwFlags = STARTF_USESTDHANDLES;
    inicio.hStdInput = entrada[0];
    inicio.hStdOutput = salida[1];
    inicio.hStdError = error[1];
    // A memory limit is a job's.
    const HANDLE trabajo = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limite{};
    if (opciones.limiteMemoria != 0) {
        limite.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        limite.ProcessMemoryLimit = opciones.limiteMemoria;
        ::SetInformationJobObject(trabajo, JobObjectExtendedLimitInformation, &limite,
                                  sizeof limite);
    }
    const std::wstring carpeta =
        opciones.carpeta.empty() ? std::wstring() : Ancho(opciones.carpeta);
    PROCESS_INFORMATION proceso{};
    // Under Wine, on a busy machine, a start fails now and then with
    // ERROR_INTERNAL_ERROR: it is tried again, a few times.
    bool empezado = false;
    for (int intento = 0; !empezado && intento < 5; ++intento) {
        if (intento > 0) {
            if (::GetLastError() != ERROR_INTERNAL_ERROR) {
                break;
            }
            ::Sleep(100);
        }
        empezado = ::CreateProcessW(Ancho(programa).c_str(), linea.data(), nullptr, nullptr, TRUE,
                                    CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, entorno.data(),
                                    carpeta.empty() ? nullptr : carpeta.c_str(), &inicio, &proceso);
    }
    const DWORD porque = empezado ? 0 : ::GetLastError();
    for (HANDLE h : {entrada[0], salida[1], error[1]}) {
        ::CloseHandle(h);
    }
    uno.unlock();
    if (!empezado) {
        throw std::runtime_error("CreateProcessW: " + std::to_string(porque));
    }
    ::AssignProcessToJobObject(trabajo, proceso.hProcess);
    ::ResumeThread(proceso.hThread);
    ::CloseHandle(proceso.hThread);

    Resultado r;
    std::thread lectorSalida;
    if (salida[0] != nullptr) {
        lectorSalida = std::thread([&] { LeerTodo(salida[0], r.salida); });
    }
    std::thread lectorError([&] { LeerTodo(error[0], r.error); });
    if (entrada[1] != nullptr) {
        // A program that stops reading makes the write fail.
        DWORD escritos = 0;
        std::string_view resto = opciones.entrada;
        while (!resto.empty() &&
               ::WriteFile(entrada[1], resto.data(), static_cast<DWORD>(resto.size()), &escritos,
                           nullptr)) {
            resto.remove_prefix(escritos);
        }
        ::CloseHandle(entrada[1]);
    }
    if (lectorSalida.joinable()) {
        lectorSalida.join();
        ::CloseHandle(salida[0]);
    }
    lectorError.join();
    ::CloseHandle(error[0]);
    ::WaitForSingleObject(proceso.hProcess, INFINITE);
    DWORD codigo = 0;
    ::GetExitCodeProcess(proceso.hProcess, &codigo);
    // An exception that ended it (an access violation, Ctrl+C) is no exit.
    r.estado = codigo >= 0xC0000000u ? -1 : static_cast<int>(codigo);
    PROCESS_MEMORY_COUNTERS memoria{};
    if (::GetProcessMemoryInfo(proceso.hProcess, &memoria, sizeof memoria)) {
        r.memoriaKiB = static_cast<long>(memoria.PeakWorkingSetSize / 1024);
    }
    ::CloseHandle(proceso.hProcess);
    ::CloseHandle(trabajo);
    return r;
}

} // namespace prueba
