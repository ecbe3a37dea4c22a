// The limits the program meets: the memory a process may take, the store's
// lock shared by everyone who may change the store, temporary files whose
// writers are gone, pipes read twice, and memory that runs out in the
// windows' scan and accept.

#include "core/almacen.h"
#include "core/correccion.h"
#include "core/estado.h"
#include "core/interno/escritura.h"
#include "core/interno/plataforma.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "tests/core/ayudas.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#ifdef _WIN32
#include "core/interno/plataforma_windows.h"
#else
#include "core/interno/plataforma_posix.h"
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

using namespace tildora;

namespace {

constexpr std::uint64_t MiB = std::uint64_t{1} << 20;

// Writes `bytes` at `raiz` + `ruta`, making its folders.
void Poner(const std::string& raiz, const std::string& ruta, const std::string& bytes) {
    const std::filesystem::path p = raiz + ruta;
    std::filesystem::create_directories(p.parent_path());
    prueba::Escribir(p.string(), bytes);
}

std::string Mib(std::uint64_t n) {
    return std::to_string(n * MiB);
}

#ifdef _WIN32

// A program that holds the lock of file `ruta`, and keeps it from being
// deleted, as a writer holds its temporary file: on Windows a handle of this
// process stands for it, and closing the handle for its death, which closes
// every handle a program had, kill or no kill.
using Retenido = HANDLE;

Retenido Retener(const std::string& ruta) {
    const HANDLE h =
        ::CreateFileW(prueba::Camino(ruta).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    if (!sistema::windows::BloquearTemporal(h)) {
        ::CloseHandle(h);
        return nullptr;
    }
    return h;
}

void Terminar(Retenido h) {
    ::CloseHandle(h);
}

#else

// A process that holds the lock of file `ruta` until it is killed; it has it
// when this returns.
using Retenido = pid_t;

pid_t Retener(const std::string& ruta) {
    int tubo[2];
    if (::pipe(tubo) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(ruta.c_str(), O_RDONLY);
        const char listo = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'x' : '-';
        [[maybe_unused]] const auto n = ::write(tubo[1], &listo, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(tubo[1]);
    char listo = 0;
    const bool bien = ::read(tubo[0], &listo, 1) == 1 && listo == 'x';
    ::close(tubo[0]);
    return bien ? pid : -1;
}

void Terminar(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// The address space this process has mapped now (unused under the
// sanitizer, whose build leaves out the tests that need it).
[[maybe_unused]] std::uint64_t EspacioUsado() {
    std::ifstream estado("/proc/self/status");
    std::string nombre;
    for (std::string linea; std::getline(estado, linea);) {
        if (linea.rfind("VmSize:", 0) == 0) {
            return std::stoull(linea.substr(7)) * 1024;
        }
    }
    return 0;
}

#endif

class Avisos : public Avisador {
public:
    void Mensaje(const std::string& texto) override { mensajes.push_back(texto); }
    std::vector<std::string> mensajes;
};

} // namespace

TEST(Limites, MemoryIsTheSmallestThatTheSystemAndTheControlGroupsAllow) {
    if (prueba::kWindows) {
        GTEST_SKIP() << "Windows: no control groups nor /proc (its memory is a job's)";
    }
    const std::string v2 = "30 23 0:26 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw\n";
    const std::string v1 = "31 23 0:27 / /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"
                           "32 23 0:28 / /sys/fs/cgroup/cpu rw - cgroup cgroup rw,cpu\n";
    // A container's own view: the mount shows its group as the top.
    const std::string v1Propio =
        "31 23 0:27 /docker/abc /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n";
    struct Fichero {
        std::string ruta;
        std::string bytes;
    };
    struct Caso {
        const char* que;
        std::string montajes;
        std::string grupos;
        std::vector<Fichero> ficheros;
        std::uint64_t esperado;
    };
    const std::string g2 = "/sys/fs/cgroup/a/b/";
    const std::string g1 = "/sys/fs/cgroup/memory/x/";
    const Caso casos[] = {
        {"no control groups", "", "", {}, 1000 * MiB},
        {"v2: the group's limit less its use, page cache it can give back not counted",
         v2,
         "0::/a/b\n",
         {{g2 + "memory.max", Mib(400)},
          {g2 + "memory.current", Mib(300)},
          {g2 + "memory.stat", "anon 1\ninactive_file " + Mib(100) + "\nactive_file 5\n"}},
         200 * MiB},
        {"v2: a group above with less room",
         v2,
         "0::/a/b\n",
         {{g2 + "memory.max", Mib(400)},
          {g2 + "memory.current", Mib(100)},
          {"/sys/fs/cgroup/a/memory.max", Mib(250)},
          {"/sys/fs/cgroup/a/memory.current", Mib(200)}},
         50 * MiB},
        {"v2: no limit anywhere",
         v2,
         "0::/a/b\n",
         {{g2 + "memory.max", "max\n"}, {g2 + "memory.current", Mib(100)}},
         1000 * MiB},
        {"v2: more used than allowed",
         v2,
         "0::/a/b\n",
         {{g2 + "memory.max", Mib(100)}, {g2 + "memory.current", Mib(120)}},
         0},
        {"v1: the memory controller's group",
         v1,
         "5:cpu:/y\n4:memory:/x\n0::/\n",
         {{g1 + "memory.limit_in_bytes", Mib(500)},
          {g1 + "memory.usage_in_bytes", Mib(200)},
          {g1 + "memory.stat", "cache 9\ntotal_inactive_file " + Mib(50) + "\n"},
          {"/sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n"},
          {"/sys/fs/cgroup/memory/memory.usage_in_bytes", Mib(900)}},
         350 * MiB},
        {"v1: in a container, the mount is the group",
         v1Propio,
         "4:memory:/docker/abc\n",
         {{"/sys/fs/cgroup/memory/memory.limit_in_bytes", Mib(300)},
          {"/sys/fs/cgroup/memory/memory.usage_in_bytes", Mib(100)}},
         200 * MiB},
        {"the system has less free than the group allows",
         v2,
         "0::/a/b\n",
         {{g2 + "memory.max", Mib(4000)}, {g2 + "memory.current", Mib(100)}},
         1000 * MiB},
    };
    for (const Caso& c : casos) {
        prueba::CarpetaTemporal raiz;
        const std::string r = raiz.ruta().string();
        Poner(r, "/proc/meminfo",
              "MemTotal:       4000000 kB\nMemFree:  10 kB\nMemAvailable:   1024000 kB\n");
        if (!c.montajes.empty()) {
            Poner(r, "/proc/self/mountinfo", "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n" + c.montajes);
            Poner(r, "/proc/self/cgroup", c.grupos);
        }
        for (const Fichero& f : c.ficheros) {
            Poner(r, f.ruta, f.bytes);
        }
        EXPECT_EQ(sistema::MemoriaDisponibleEn(r), c.esperado) << c.que;
    }
    // This machine's own answer is never more than what it has free. The
    // two are read an instant apart while other tests take and give back
    // memory: a few MiB either way are that, not a fault.
    prueba::CarpetaTemporal vacia;
    Poner(vacia.ruta().string(), "/proc/meminfo",
          prueba::Leer("/proc/meminfo")); // the system's free memory alone
    EXPECT_LE(sistema::MemoriaDisponible(),
              sistema::MemoriaDisponibleEn(vacia.ruta().string()) + 256 * MiB);
}

TEST(Limites, TheStoresLockIsALockNotAFile) {
    prueba::CarpetaTemporal dir;
    const std::string ruta = dir / "caracteres.ini";
    const std::string cerrojo = ruta + ".lock";
    const AlmacenSoluciones almacen(ruta);
    // A lock file left by a killed run, which its user may only read, is
    // no lock; it stays.
    prueba::Escribir(cerrojo, "");
    ASSERT_EQ(::chmod(cerrojo.c_str(), 0444), 0);
    ASSERT_TRUE(almacen.GuardarSolucion("lista", "\xE7", "c"));
    EXPECT_EQ(almacen.LeerSolucion("lista", "\xE7"), "c");
    EXPECT_EQ(prueba::Entradas(dir.ruta()), "caracteres.ini;caracteres.ini.lock;");

#ifndef _WIN32 // permission bits
    // Made anew with the store's own permission bits, whatever the mask.
    ASSERT_EQ(::unlink(cerrojo.c_str()), 0);
    ASSERT_EQ(::chmod(ruta.c_str(), 0664), 0);
    const mode_t mascara = ::umask(077);
    const Resultado<void> guardado = almacen.GuardarSolucion("lista", "\xF1", "n");
    ::umask(mascara);
    ASSERT_TRUE(guardado);
    struct stat st {};
    ASSERT_EQ(::stat(cerrojo.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    ASSERT_EQ(::stat(ruta.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
#endif

    // While another program holds it, the lock is held; once that one is
    // gone (killed), it is free again, with the same file.
    const Retenido otro = Retener(cerrojo);
    ASSERT_TRUE(otro);
    std::atomic<bool> tenido{false};
    std::thread esperando([&] {
        const sistema::Cerrojo intento(cerrojo, 0664);
        tenido = static_cast<bool>(intento);
    });
    ::usleep(100000);
    EXPECT_FALSE(tenido); // it waits, however long this took
    Terminar(otro);
    esperando.join();
    EXPECT_TRUE(tenido);
    EXPECT_TRUE(almacen.GuardarSolucion("lista", "\x93", "\""));
    EXPECT_EQ(prueba::Entradas(dir.ruta()), "caracteres.ini;caracteres.ini.lock;");

    if (!prueba::EsRoot() && !prueba::kWindows) {
        // A lock file that cannot even be read is said, by its own name.
        ASSERT_EQ(::chmod(cerrojo.c_str(), 0), 0);
        const Resultado<void> r = almacen.GuardarSolucion("lista", "\x94", "\"");
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error().ruta, cerrojo);
        EXPECT_EQ(r.error().codigo, EACCES);
    }
}

TEST(Limites, TemporaryFilesOfGoneWritersGoWithTheNextWrite) {
    // A temporary file made as the program makes one, its maker gone.
    const auto sinEscritor = [](const prueba::CarpetaTemporal& dir) {
        const std::string dentro = sistema::Unir(prueba::Utf8(dir.ruta()), "");
        std::string nombre;
#ifdef _WIN32
        ::CloseHandle(sistema::windows::CrearBloqueado(dentro, false, nombre));
#else
        ::close(sistema::posix::CrearBloqueado(dentro, nombre));
#endif
        return nombre.empty() ? nombre : nombre.substr(dentro.size());
    };
    const auto juntos = [](std::vector<std::string> nombres) {
        std::sort(nombres.begin(), nombres.end());
        std::string todos;
        for (const std::string& n : nombres) {
            todos += n + ";";
        }
        return todos;
    };
    for (const bool conNombre : {false, true}) {
        prueba::CarpetaTemporal dir;
        const std::string salida = dir / "salida.txt";
        prueba::Escribir(salida, "viejo");
        // What a killed writer leaves, a live writer's file, and names that
        // are not temporary files of ours.
        const std::string muerto = sinEscritor(dir);
        const std::string vivo = sinEscritor(dir);
        ASSERT_FALSE(muerto.empty() || vivo.empty());
        prueba::Escribir(dir / ".tildora-compilacion", "marca");
        prueba::Escribir(dir / ".tildora-ab", "corto");
        const Retenido retenido = Retener(dir / vivo);
        ASSERT_TRUE(retenido);
        EscrituraSegura e;
        if (conNombre) {
            e.UsarNombreTemporal();
        }
        ASSERT_TRUE(e.Abrir(salida));
        ASSERT_TRUE(e.Escribir("nuevo", 5));
        ASSERT_TRUE(e.Confirmar());
        EXPECT_EQ(prueba::Entradas(dir.ruta()),
                  juntos({vivo, ".tildora-ab", ".tildora-compilacion", "salida.txt"}))
            << conNombre;
        Terminar(retenido);
        ASSERT_TRUE(EscribirFicheroSeguro(salida, "otro"));
        EXPECT_EQ(prueba::Entradas(dir.ruta()), ".tildora-ab;.tildora-compilacion;salida.txt;");
        EXPECT_EQ(prueba::Leer(salida), "otro");
    }
    // A store's write that finds its answer there already makes no file,
    // and still takes away what a writer that is gone left.
    prueba::CarpetaTemporal dir;
    const AlmacenSoluciones almacen(dir / "caracteres.ini");
    ASSERT_TRUE(almacen.GuardarSolucion("lista", "\x93", "\""));
    const std::string muerto = sinEscritor(dir);
    ASSERT_FALSE(muerto.empty());
    ASSERT_TRUE(almacen.GuardarSolucion("lista", "\x93", "\""));
    EXPECT_EQ(prueba::Entradas(dir.ruta()), "caracteres.ini;caracteres.ini.lock;");
}

TEST(Limites, AWriterKilledWithANamedTemporaryFileLeavesItToTheNext) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: no fork; a writer whose handles are gone is "
                    "TemporaryFilesOfGoneWritersGoWithTheNextWrite";
#else
    prueba::CarpetaTemporal dir;
    const std::string salida = dir / "salida.txt";
    prueba::Escribir(salida, "viejo");
    int tubo[2];
    ASSERT_EQ(::pipe(tubo), 0);
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        EscrituraSegura e;
        e.UsarNombreTemporal();
        const char listo = e.Abrir(salida) && e.Escribir("medio", 5) ? 'x' : '-';
        [[maybe_unused]] const auto n = ::write(tubo[1], &listo, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(tubo[1]);
    char listo = 0;
    ASSERT_EQ(::read(tubo[0], &listo, 1), 1);
    ::close(tubo[0]);
    ASSERT_EQ(listo, 'x');
    // While it lives its file is not touched, not even by a write of its
    // own folder.
    ASSERT_TRUE(EscribirFicheroSeguro(dir / "otra.txt", "x"));
    const std::string mientras = prueba::Entradas(dir.ruta());
    Terminar(hijo);
    EXPECT_EQ(mientras.rfind(".tildora-", 0), 0u) << mientras;
    EXPECT_EQ(prueba::Entradas(dir.ruta()), mientras); // kill -9 cleans nothing
    ASSERT_TRUE(EscribirFicheroSeguro(salida, "nuevo"));
    EXPECT_EQ(prueba::Entradas(dir.ruta()), "otra.txt;salida.txt;");
#endif
}

TEST(Limites, APipeIsCopiedToBeReadAgain) {
    std::string texto;
    for (int i = 0; i < 50000; ++i) {
        texto += "l\xednea \x93"
                 "con\x94 comillas\r\n";
    }
    const std::vector<Fila> filas = {{"\x93", "\""}, {"\x94", "\""}};
    // Read once, held nowhere, and corrected from its copy.
    Resultado<Documento> doc = prueba::DocumentoPorTuberia(texto, {1000, 700000});
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->texto.empty());
    std::string corregido;
    OpcionesCorreccion op;
    op.memoria = &corregido;
    const Aceptacion a = Aceptar(*doc, filas, op);
    ASSERT_TRUE(a.correcciones);
    EXPECT_EQ(*a.correcciones, 100000u);
    std::string esperado = texto;
    for (char& c : esperado) {
        c = c == '\x93' || c == '\x94' ? '"' : c;
    }
    EXPECT_TRUE(corregido == esperado);

    // Where the copy cannot be made, the folder and the reason are said; a
    // pipe that is only scanned needs no copy.
    prueba::CarpetaTemporal dir;
    const std::string falta = dir / "no-hay";
#ifdef _WIN32
    // Windows takes its temporary folder from TMP, and gives it with its
    // separator.
    const std::string carpetaCopia = falta + "\\";
    const auto porTubo = [&](const OpcionesLectura& opciones) {
        const char* antes = std::getenv("TMP");
        const std::string previo = antes != nullptr ? antes : "";
        _putenv_s("TMP", falta.c_str());
        Resultado<Documento> d = prueba::DocumentoPorTuberia(texto, {}, opciones);
        _putenv_s("TMP", previo.c_str());
        return d;
    };
#else
    const std::string carpetaCopia = falta;
    const std::string tubo = dir / "tubo";
    ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
    const auto porTubo = [&](const OpcionesLectura& opciones) {
        std::thread escritor([&] {
            sigset_t tuberia;
            sigemptyset(&tuberia);
            sigaddset(&tuberia, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &tuberia, nullptr);
            const int fd = ::open(tubo.c_str(), O_WRONLY);
            [[maybe_unused]] const auto n = ::write(fd, texto.data(), texto.size());
            ::close(fd);
        });
        const char* antes = std::getenv("TMPDIR");
        const std::string previo = antes != nullptr ? antes : "";
        ::setenv("TMPDIR", falta.c_str(), 1);
        Resultado<Documento> d = AbrirDocumento(tubo, opciones);
        if (antes != nullptr) {
            ::setenv("TMPDIR", previo.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
        escritor.join();
        return d;
    };
#endif
    const Resultado<Documento> sinCopia = porTubo({});
    OpcionesLectura solo;
    solo.soloHallazgos = true;
    const Resultado<Documento> escaneado = porTubo(solo);
    ASSERT_FALSE(sinCopia);
    EXPECT_EQ(sinCopia.fallo(), Fallo::Copia);
    EXPECT_EQ(sinCopia.error().ruta, carpetaCopia);
    EXPECT_EQ(sinCopia.error().codigo, ENOENT);
    ASSERT_TRUE(escaneado);
    ASSERT_EQ(escaneado->hallazgos.size(), 2u);
    EXPECT_EQ(escaneado->hallazgos[0].cuenta, 50000u);
}

// A pipe scanned once gives what a file does, also where its end says it is
// in another encoding than its start suggested.
TEST(Limites, APipeScannedOnceIsSeenAsAFileIs) {
    const std::string largo(3 << 20, 'a');
    const std::string textos[] = {
        largo + "\xc3\xa7\n\xe2\x80\x9c",      // ASCII for long, then UTF-8
        "\xc3\xa7" + largo + "\x93\n\xff",     // UTF-8 at first, then not
        largo + "\xc3\xa7\n\xff",              // ASCII, UTF-8, then not
        "\xef\xbb\xbf" + largo + "\x93\n\x85", // a UTF-8 mark, then not UTF-8
    };
    OpcionesLectura solo;
    solo.soloHallazgos = true;
    for (const std::string& t : textos) {
        const Resultado<Documento> deTexto = DocumentoDeTexto(t);
        const Resultado<Documento> porTuberia =
            prueba::DocumentoPorTuberia(t, {100, 2000000}, solo);
        ASSERT_TRUE(deTexto);
        ASSERT_TRUE(porTuberia);
        EXPECT_EQ(porTuberia->codificacion, deTexto->codificacion);
        ASSERT_EQ(porTuberia->hallazgos.size(), deTexto->hallazgos.size());
        for (std::size_t i = 0; i < deTexto->hallazgos.size(); ++i) {
            const Hallazgo& a = porTuberia->hallazgos[i];
            const Hallazgo& b = deTexto->hallazgos[i];
            EXPECT_EQ(a.clave, b.clave);
            EXPECT_EQ(a.cuenta, b.cuenta);
            EXPECT_EQ(a.primera.linea, b.primera.linea);
            EXPECT_EQ(a.primera.columna, b.primera.columna);
        }
    }
}

// Memory that runs out while the windows scan a file or correct it is the
// "too large" message, with nothing kept and nothing written; the program
// goes on.
TEST(Limites, TheWindowsScanAndAcceptSayThatMemoryRanOut) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows: no limit of a process's address space to run out against";
#elif defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than any limit leaves";
#else
    // In a process of its own, started afresh: memory another test let go
    // would be taken again without any limit noticing.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    prueba::CarpetaTemporal dir;
    const std::string entrada = dir / "entrada.txt";
    prueba::Escribir(entrada, std::string(64 * MiB, 'a') + "\x93");
    // Stored replacements that feed each other: the first character's form
    // is 16 MB, and so the output.
    const std::string utf8 = dir / "utf8.txt";
    prueba::Escribir(utf8, Utf8DeAnsi("\x80\x82\x83\x84"));
    const std::vector<Fila> filas = {{"\x80", std::string(127, '\x82')},
                                     {"\x82", std::string(127, '\x83')},
                                     {"\x83", std::string(127, '\x84')},
                                     {"\x84", std::string(8, 'z')}};
    const std::string salida = dir / "salida.txt";
    const auto sinMemoria = [&] {
        const Resultado<Documento> doc = AbrirDocumento(utf8, {});
        const rlimit limite{EspacioUsado() + 16 * MiB, RLIM_INFINITY};
        if (!doc || ::setrlimit(RLIMIT_AS, &limite) != 0) {
            ::_exit(100);
        }
        int bien = 0;
        Estado estado;
        Avisos avisos;
        bien += !BuscarErrores(estado, entrada, avisos) && estado.ErrorLectura &&
                avisos.mensajes ==
                    std::vector<std::string>{std::string(textos::DemasiadoGrandeVentana)} &&
                estado.documento.texto.empty();
        // Room for the rows, not for the buffers of a 16 MB output.
        const rlimit menos{EspacioUsado() + 2 * MiB, RLIM_INFINITY};
        OpcionesCorreccion op;
        op.salida = salida;
        const Aceptacion a =
            ::setrlimit(RLIMIT_AS, &menos) == 0 ? Aceptar(*doc, filas, op) : Aceptacion{};
        bien += !a.correcciones && a.correcciones.fallo() == Fallo::Grande;
        bien += ::access(salida.c_str(), F_OK) != 0 &&
                prueba::Entradas(dir.ruta()) == "entrada.txt;utf8.txt;";
        ::_exit(bien);
    };
    EXPECT_EXIT(sinMemoria(), ::testing::ExitedWithCode(3), "")
        << "the scan and the accept say that memory ran out, and nothing is written";
    // With memory enough, the same accept writes the 16 MB.
    OpcionesCorreccion op;
    op.salida = salida;
    const Resultado<Documento> doc = AbrirDocumento(utf8, {});
    ASSERT_TRUE(doc);
    const Aceptacion a = Aceptar(*doc, filas, op);
    ASSERT_TRUE(a.correcciones) << Razon(a.correcciones.error());
    EXPECT_EQ(std::filesystem::file_size(op.salida),
              127u * 127 * 127 * 8 + 127 * 127 * 8 + 127 * 8 + 8);
#endif
}
