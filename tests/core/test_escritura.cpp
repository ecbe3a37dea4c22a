#include "core/interno/escritura.h"
#include "core/proceso.h"
#include "tests/core/ayudas.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#ifdef _WIN32
#include "core/interno/plataforma_windows.h"
#else
#include "core/interno/plataforma_posix.h"
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#endif

using namespace tildora;

namespace {

// A failure as the user reads it: the file, then the reason.
std::string Motivo(const Resultado<void>& r) {
    return r ? std::string() : r.error().ruta + ": " + Razon(r.error());
}

} // namespace

TEST(Escritura, WritesAndReplaces) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "salida.txt";
    const std::string bytes("a\r\nb\0\xFF", 6);
    const Resultado<void> r = EscribirFicheroSeguro(ruta, bytes);
    ASSERT_TRUE(r) << Motivo(r);
    EXPECT_EQ(prueba::Leer(ruta), bytes);

#ifndef _WIN32 // permission bits
    ASSERT_EQ(::chmod(ruta.c_str(), 0640), 0);
    ASSERT_TRUE(EscribirFicheroSeguro(ruta, "nuevo"));
    EXPECT_EQ(prueba::Leer(ruta), "nuevo");
    struct stat st {};
    ASSERT_EQ(::stat(ruta.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // a replaced file keeps its permissions
#endif

    ASSERT_TRUE(EscribirFicheroSeguro(ruta, ""));
    EXPECT_EQ(prueba::Leer(ruta), "");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;"); // no temporary left
}

TEST(Escritura, WritesThroughALinkToItsTarget) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: a link takes a privilege to make there";
#else
    prueba::CarpetaTemporal carpeta;
    const std::string real = carpeta / "real.txt";
    const std::string enlace = carpeta / "enlace.txt";
    prueba::Escribir(real, "viejo");
    ASSERT_EQ(::symlink(real.c_str(), enlace.c_str()), 0);
    ASSERT_TRUE(EscribirFicheroSeguro(enlace, "nuevo"));
    EXPECT_EQ(prueba::Leer(real), "nuevo");
    struct stat st {};
    ASSERT_EQ(::lstat(enlace.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A link (through a relative link) to a file not there yet creates it,
    // in its own folder, and stays a link.
    const std::string sub = carpeta / "sub";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    const std::string primero = carpeta / "primero.txt";
    ASSERT_EQ(::symlink("sub/segundo.txt", primero.c_str()), 0);
    ASSERT_EQ(::symlink("nuevo.txt", (sub + "/segundo.txt").c_str()), 0);
    ASSERT_TRUE(EscribirFicheroSeguro(primero, "creado"));
    EXPECT_EQ(prueba::Leer(sub + "/nuevo.txt"), "creado");
    ASSERT_EQ(::lstat(primero.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(prueba::Leer(primero), "creado");

    // A link that leads round in a circle is no place to write.
    const std::string bucle = carpeta / "bucle.txt";
    ASSERT_EQ(::symlink("bucle.txt", bucle.c_str()), 0);
    EXPECT_FALSE(EscribirFicheroSeguro(bucle, "x"));
    ASSERT_EQ(::lstat(bucle.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "bucle.txt;enlace.txt;primero.txt;real.txt;sub;");
#endif
}

TEST(Escritura, FailuresLeaveNothingBehind) {
    prueba::CarpetaTemporal carpeta;
    const std::string sub = carpeta / "sub";
    ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(sub)));
    prueba::Escribir(carpeta / "fichero", "x");
    const std::vector<std::string> malas = {
        carpeta / "no-existe/salida.txt", // a folder that does not exist
        sub,                              // a name that is a folder
        carpeta / "fichero/salida.txt",   // a parent that is a file
        "",
        sub + "/",
    };
    for (const auto& ruta : malas) {
        const Resultado<void> r = EscribirFicheroSeguro(ruta, "datos");
        ASSERT_FALSE(r) << ruta;
        // With the system's reason.
        EXPECT_EQ(r.fallo(), Fallo::Escritura) << ruta;
        EXPECT_NE(r.error().codigo, 0) << ruta;
    }
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "fichero;sub;");
    EXPECT_EQ(prueba::Entradas(sub), "");
    EXPECT_EQ(prueba::Leer(carpeta / "fichero"), "x");
}

TEST(Escritura, LongestNamesCanBeWritten) {
    prueba::CarpetaTemporal carpeta;
    const std::string largo = carpeta / std::string(255, 'n');
    const Resultado<void> r = EscribirFicheroSeguro(largo, "x");
    ASSERT_TRUE(r) << Motivo(r);
    EXPECT_EQ(prueba::Leer(largo), "x");
    ASSERT_TRUE(EscribirFicheroSeguro(largo, "y"));
    EXPECT_EQ(prueba::Leer(largo), "y");
}

TEST(Escritura, ReadOnlyFileIsNotReplaced) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root writes every file";
    }
    // The folder may be written, the file may not: renaming over it would
    // work, but the file is not ours to replace.
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "salida.txt";
    prueba::Escribir(ruta, "viejo");
    ASSERT_EQ(::chmod(ruta.c_str(), 0444), 0);
    const Resultado<void> r = EscribirFicheroSeguro(ruta, "nuevo");
    EXPECT_FALSE(r);
    EXPECT_NE(Motivo(r).find("salida.txt"), std::string::npos) << Motivo(r);
    EXPECT_EQ(prueba::Leer(ruta), "viejo");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;");
}

TEST(Escritura, PiecesAndAnUnconfirmedWrite) {
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "salida.txt";
    prueba::Escribir(ruta, "viejo");
    {
        EscrituraSegura e;
        ASSERT_TRUE(e.Abrir(ruta));
        ASSERT_TRUE(e.Escribir("nu", 2));
        ASSERT_TRUE(e.Escribir("evo", 3));
        EXPECT_EQ(prueba::Leer(ruta), "viejo"); // nothing shows before Confirmar
    }
    EXPECT_EQ(prueba::Leer(ruta), "viejo");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;");
    EscrituraSegura e;
    ASSERT_TRUE(e.Abrir(ruta));
    ASSERT_TRUE(e.Escribir("nu", 2));
    ASSERT_TRUE(e.Escribir("evo", 3));
    ASSERT_TRUE(e.Confirmar());
    EXPECT_EQ(prueba::Leer(ruta), "nuevo");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;");
}

TEST(Escritura, ReadOnlyFolderKeepsTheOldFile) {
    if (prueba::EsRoot()) {
        GTEST_SKIP() << "root writes in every folder";
    }
    if (prueba::kWindows) {
        GTEST_SKIP() << prueba::kSinPermisosPosix;
    }
    prueba::CarpetaTemporal carpeta;
    const std::string sub = carpeta / "sub";
    ASSERT_TRUE(std::filesystem::create_directory(prueba::Camino(sub)));
    const std::string ruta = sub + "/salida.txt";
    prueba::Escribir(ruta, "viejo");
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    EXPECT_FALSE(EscribirFicheroSeguro(ruta, "nuevo"));
    EXPECT_EQ(prueba::Leer(ruta), "viejo");
    EXPECT_EQ(prueba::Entradas(sub), "salida.txt;");
}

#ifndef _WIN32 // signals and fork

namespace {

// Every signal that ends a program and can be caught, and one that cannot.
constexpr int kFinales[] = {SIGINT,  SIGTERM, SIGHUP,    SIGQUIT, SIGUSR1,
                            SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE};

// A child that starts writing `ruta` (with a named temporary file when
// `conNombre`), says so on `aviso` and waits to be killed.
[[noreturn]] void EscribirHastaMorir(const std::string& ruta, bool conNombre, int aviso) {
    // Whatever this process inherited (a background job ignores SIGINT),
    // the child starts from the default.
    for (int s : kFinales) {
        ::signal(s, SIG_DFL);
    }
    PrepararSenales();
    EscrituraSegura escritura;
    if (conNombre) {
        escritura.UsarNombreTemporal();
    }
    const bool abierto = escritura.Abrir(ruta) && escritura.Escribir("medio", 5);
    const char listo = abierto ? 'x' : '-';
    [[maybe_unused]] const auto n = ::write(aviso, &listo, 1);
    for (;;) {
        ::pause();
    }
}

} // namespace

#endif

TEST(Escritura, KillNineMidWriteLeavesNothingBehind) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: no fork; a writer's death is tested in Limites";
#else
    // Nothing can clean up after kill -9: the file being written has no name
    // until it is complete.
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "salida.txt";
    prueba::Escribir(ruta, "viejo");
    int tubo[2];
    ASSERT_EQ(::pipe(tubo), 0);
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        EscribirHastaMorir(ruta, false, tubo[1]);
    }
    ::close(tubo[1]);
    char listo = 0;
    const bool leido = ::read(tubo[0], &listo, 1) == 1;
    ::close(tubo[0]);
    const std::string mientras = prueba::Entradas(carpeta.ruta());
    ::kill(hijo, SIGKILL);
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(leido && listo == 'x') << "the child could not start writing";
    EXPECT_EQ(mientras, "salida.txt;");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;");
    EXPECT_EQ(prueba::Leer(ruta), "viejo");
#endif
}

TEST(Escritura, ATargetThatAppearsMeanwhileIsKept) {
    for (const bool conNombre : {false, true}) {
        prueba::CarpetaTemporal carpeta;
        const std::string ruta = carpeta / "salida.txt";
        EscrituraSegura e;
        if (conNombre) {
            e.UsarNombreTemporal();
        }
        ASSERT_TRUE(e.Abrir(ruta, false));
        ASSERT_TRUE(e.Escribir("nuevo", 5));
        prueba::Escribir(ruta, "ajeno");
        const Resultado<void> confirmado = e.Confirmar();
        ASSERT_FALSE(confirmado) << conNombre;
        EXPECT_EQ(confirmado.fallo(), Fallo::Ocupado) << conNombre;
        EXPECT_NE(Motivo(confirmado).find("salida.txt: File exists"), std::string::npos)
            << Motivo(confirmado);
        EXPECT_EQ(prueba::Leer(ruta), "ajeno");
        EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;") << conNombre;

        // One there from the start is refused at once; without one the
        // write goes through.
        const Resultado<void> abierto = e.Abrir(ruta, false);
        ASSERT_FALSE(abierto);
        EXPECT_EQ(abierto.fallo(), Fallo::Ocupado);
        const std::string otra = carpeta / "otra.txt";
        ASSERT_TRUE(e.Abrir(otra, false));
        ASSERT_TRUE(e.Escribir("nuevo", 5));
        const Resultado<void> bien = e.Confirmar();
        ASSERT_TRUE(bien) << Motivo(bien);
        EXPECT_EQ(prueba::Leer(otra), "nuevo");
        EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "otra.txt;salida.txt;") << conNombre;
    }
}

TEST(Escritura, AFileSizeLimitIsAWriteFailure) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: no limit of the size of a process's files";
#else
    prueba::CarpetaTemporal carpeta;
    const std::string ruta = carpeta / "salida.txt";
    const pid_t hijo = ::fork();
    ASSERT_GE(hijo, 0);
    if (hijo == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        PrepararSenales();
        const rlimit limite{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        int fallos = 0;
        for (const bool conNombre : {false, true}) {
            EscrituraSegura e;
            if (conNombre) {
                e.UsarNombreTemporal();
            }
            const std::string bloque(4096, 'x');
            Resultado<void> escrito = e.Abrir(ruta);
            if (escrito) {
                escrito = e.Escribir(bloque.data(), bloque.size());
            }
            fallos += !escrito && Razon(escrito.error()) ==
                                      "fitxategia handiegia da / el fichero es demasiado grande";
        }
        ::_exit(fallos);
    }
    int estado = 0;
    ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
    ASSERT_TRUE(WIFEXITED(estado)) << "ended by signal " << WTERMSIG(estado);
    EXPECT_EQ(WEXITSTATUS(estado), 2) << "both writes fail with their reason";
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "");
#endif
}

TEST(Escritura, AnInterruptionLeavesNoTemporaryFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows: no signals; Ctrl+C is a console's";
#else
    // Where there are no unnamed files, the named temporary file is removed
    // by every signal that ends the program.
    for (int senal : kFinales) {
        prueba::CarpetaTemporal carpeta;
        const std::string ruta = carpeta / "salida.txt";
        prueba::Escribir(ruta, "viejo");
        int tubo[2];
        ASSERT_EQ(::pipe(tubo), 0);
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            EscribirHastaMorir(ruta, true, tubo[1]);
        }
        ::close(tubo[1]);
        char listo = 0;
        const bool leido = ::read(tubo[0], &listo, 1) == 1;
        ::close(tubo[0]);
        // The temporary file is there while writing.
        const bool temporal =
            prueba::Entradas(carpeta.ruta()).find(".tildora-") != std::string::npos;
        // The child is ended before any check can return from the test.
        ::kill(hijo, senal);
        int estado = 0;
        ASSERT_EQ(::waitpid(hijo, &estado, 0), hijo);
        ASSERT_TRUE(leido && listo == 'x') << "the child could not start writing";
        EXPECT_TRUE(temporal);
        // Ended by the signal, as without the clean-up.
        EXPECT_TRUE(WIFSIGNALED(estado)) << senal;
        EXPECT_EQ(WTERMSIG(estado), senal);
        EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;") << senal;
        EXPECT_EQ(prueba::Leer(ruta), "viejo");
    }
#endif
}

namespace {

// What a writer that is gone leaves: a temporary file made as the program
// makes one, that no one holds any more. Its name, without the folder.
std::string TemporalSinEscritor(const prueba::CarpetaTemporal& carpeta) {
    const std::string dentro = sistema::Unir(prueba::Utf8(carpeta.ruta()), "");
    std::string nombre;
#ifdef _WIN32
    const HANDLE h = sistema::windows::CrearBloqueado(dentro, false, nombre);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
    }
#else
    const int fd = sistema::posix::CrearBloqueado(dentro, nombre);
    if (fd >= 0) {
        ::close(fd);
    }
#endif
    return nombre.empty() ? nombre : nombre.substr(dentro.size());
}

} // namespace

TEST(Escritura, OnlyTheUsersOwnTemporaryFilesOfGoneWritersAreRemoved) {
    prueba::CarpetaTemporal carpeta;
    const std::string muerto = TemporalSinEscritor(carpeta);
    ASSERT_TRUE(sistema::EsNombreTemporal(muerto)) << muerto;
    // A user's files whose names only look like the program's.
    std::vector<std::string> ajenos = {".tildora-backup", ".tildora-Notes1", ".tildora-Ab12Cd",
                                       muerto.substr(0, muerto.size() - 1)};
    for (const std::string& nombre : ajenos) {
        prueba::Escribir(carpeta / nombre, "del usuario");
    }
#ifndef _WIN32
    // Where the file system keeps extended attributes, the name alone is
    // not enough either.
    const std::string igual = std::string(sistema::kPrefijoTemporal) + "Abcdefgh12345678" +
                              std::string(sistema::kFinTemporal);
    ASSERT_TRUE(sistema::EsNombreTemporal(igual));
    prueba::Escribir(carpeta / igual, "del usuario");
    if (::setxattr((carpeta / igual).c_str(), "user.prueba", "1", 1, 0) == 0) {
        ajenos.push_back(igual);
    } else {
        std::filesystem::remove(carpeta.ruta() / igual);
    }
    // A writer killed between making its file and marking it left it empty:
    // it goes.
    const std::string vacio = std::string(sistema::kPrefijoTemporal) + "Zyxwvuts87654321" +
                              std::string(sistema::kFinTemporal);
    prueba::Escribir(carpeta / vacio, "");
    // Another user's, even one the program made for that user.
    if (prueba::EsRoot()) {
        const std::string otro = TemporalSinEscritor(carpeta);
        ASSERT_EQ(::chown((carpeta / otro).c_str(), 65534, 65534), 0);
        ajenos.push_back(otro);
    }
#endif
    ASSERT_TRUE(EscribirFicheroSeguro(carpeta / "salida.txt", "x"));
    ajenos.push_back("salida.txt");
    std::sort(ajenos.begin(), ajenos.end());
    std::string quedan;
    for (const std::string& nombre : ajenos) {
        quedan += nombre + ";";
    }
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), quedan);

    // The same clean-up without a write, for one that finds nothing to change.
    const std::string otro = TemporalSinEscritor(carpeta);
    ASSERT_FALSE(otro.empty());
    LimpiarCarpetaDe(carpeta / "salida.txt");
    EXPECT_EQ(prueba::Entradas(carpeta.ruta()), quedan);
}

TEST(Escritura, AFileAnotherProgramHoldsOpenIsWaitedForThenSaidInUse) {
#ifndef _WIN32
    GTEST_SKIP() << "POSIX: a file held open by another program can be replaced";
#else
    using std::chrono::steady_clock;
    // Whatever sharing the other program allows.
    for (const DWORD compartir :
         {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        prueba::CarpetaTemporal carpeta;
        const std::string ruta = carpeta / "salida.txt";
        prueba::Escribir(ruta, "viejo");
        const auto retener = [&] {
            return ::CreateFileW(prueba::Camino(ruta).c_str(), GENERIC_READ, compartir, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        };
        // Let go after a moment: the write waits for it.
        const HANDLE breve = retener();
        ASSERT_NE(breve, INVALID_HANDLE_VALUE);
        std::thread soltar([breve] {
            ::Sleep(500);
            ::CloseHandle(breve);
        });
        const Resultado<void> r = EscribirFicheroSeguro(ruta, "nuevo");
        soltar.join();
        ASSERT_TRUE(r) << compartir << " " << Motivo(r);
        EXPECT_EQ(prueba::Leer(ruta), "nuevo");
        if (compartir == 0) {
            continue; // held throughout, the same as the others
        }
        // Held throughout: five seconds, then a file in use.
        const HANDLE siempre = retener();
        ASSERT_NE(siempre, INVALID_HANDLE_VALUE);
        const auto antes = steady_clock::now();
        const Resultado<void> ocupado = EscribirFicheroSeguro(ruta, "otro");
        const auto espera = steady_clock::now() - antes;
        ::CloseHandle(siempre);
        ASSERT_FALSE(ocupado) << compartir;
        EXPECT_EQ(ocupado.error().codigo, EBUSY) << compartir << " " << Motivo(ocupado);
        EXPECT_GE(espera, std::chrono::seconds(4)) << compartir;
        EXPECT_EQ(prueba::Leer(ruta), "nuevo");
        EXPECT_EQ(prueba::Entradas(carpeta.ruta()), "salida.txt;");
    }
#endif
}
