#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <sys/stat.h>

namespace tildora {

// Why a file could not be read.
enum class FalloLectura {
    Ninguno,
    NoExiste,     // no such file
    Carpeta,      // a folder
    SinPermiso,   // no read permission
    NoRegular,    // a pipe or a device where only an ordinary file will do
    Grande,       // over the reader's size limit
    Lectura,      // the system failed to open or read it
    Cancelada,    // the user stopped it
    Codificacion, // not valid in the encoding it has (UTF-16) or was given
};

struct ResultadoLectura {
    FalloLectura fallo = FalloLectura::Ninguno;
    int codigo = 0; // the system's error number, when it gave one

    explicit operator bool() const { return fallo == FalloLectura::Ninguno; }
};

// The reason in words, for the line after a message: the system's own, or
// the program's for a file that is too large.
std::string RazonLectura(const ResultadoLectura& resultado);

// A piece of the file, as it arrives. Returning false ends the reading early,
// which is no failure of the read itself.
using ManejarTrozo = std::function<bool(const char* datos, std::size_t n)>;

// A buffer that begins on a page boundary. The kernel copies file data into
// and out of a misaligned buffer several times more slowly.
class BufferAlineado {
public:
    explicit BufferAlineado(std::size_t n);
    ~BufferAlineado();
    BufferAlineado(const BufferAlineado&) = delete;
    BufferAlineado& operator=(const BufferAlineado&) = delete;

    char* data() { return m_datos; }
    std::size_t size() const { return m_tamano; }

private:
    char* m_datos;
    std::size_t m_tamano;
};

// Files that are read whole, or only scanned, are read in pieces of this
// size: each is handed on while it is still in the cache, and it is large
// enough that handing it to another thread costs little next to reading it.
inline constexpr std::size_t kTrozoLectura = std::size_t{2} << 20;

inline constexpr std::uint64_t kSinLimite = std::numeric_limits<std::uint64_t>::max();

// Every file the program reads goes through here: the text to check, the
// replacement store, the command line's inputs. Interrupted reads are
// retried; a failure comes back as a value with its reason.
class Lector {
public:
    Lector() = default;
    ~Lector();
    Lector(const Lector&) = delete;
    Lector& operator=(const Lector&) = delete;

    // Opens a file. `soloOrdinario` accepts ordinary files only, and opens
    // without waiting so that a pipe cannot hang the program; otherwise a
    // pipe or a device is read as it comes (a folder never is). A file over
    // `limite` bytes is refused.
    ResultadoLectura Abrir(const std::string& ruta, bool soloOrdinario,
                           std::uint64_t limite = kSinLimite);
    // Standard input, under the same rules as a file that is not only
    // ordinary.
    ResultadoLectura AbrirEntradaEstandar(std::uint64_t limite = kSinLimite);

    // An ordinary file, which can be read again from its start.
    bool Ordinario() const { return m_ordinario; }

    // The size of an ordinary file when it was opened (from where reading
    // starts); 0 for anything else.
    std::uint64_t Tamano() const {
        return m_ordinario && m_st.st_size > m_inicio
                   ? static_cast<std::uint64_t>(m_st.st_size - m_inicio)
                   : 0;
    }

    // A new size limit for the reads to come.
    void Limitar(std::uint64_t limite) { m_limite = limite; }

    // Goes back to the start (of an ordinary file) for another pass.
    ResultadoLectura Rebobinar();

    // Reads the next piece, at most `tamano` bytes; `leidos` is 0 at the end.
    ResultadoLectura Leer(char* destino, std::size_t tamano, std::size_t& leidos);

    // Reads from the start to the end into `buffer`, a piece at a time.
    ResultadoLectura Recorrer(char* buffer, std::size_t tamano, const ManejarTrozo& trozo);

    // Reads the whole file into `destino`, reusing its storage, handing each
    // piece to `trozo` (if given) right after it arrives. The pieces of an
    // ordinary file are read into `destino`, sized for the whole file first,
    // and stay where they are until the end; what comes beyond that size (a
    // pipe, a file that grew) is handed over from a buffer of its own, valid
    // only until `trozo` returns, and then joins `destino`, which may move.
    ResultadoLectura LeerTodo(std::string& destino, const ManejarTrozo& trozo = {});

    // Whether the file is as it was when opened (size and times).
    bool SinCambios() const;

private:
    ResultadoLectura Preparar();

    int m_fd = -1;
    bool m_propio = false;
    bool m_ordinario = false;
    std::uint64_t m_limite = kSinLimite;
    std::uint64_t m_leidos = 0; // in this pass, against the limit
    off_t m_inicio = 0;
    struct stat m_st {};
};

// Reads an ordinary file of at most `limite` bytes whole into `destino`.
ResultadoLectura LeerFichero(const std::string& ruta, std::string& destino,
                             std::uint64_t limite = kSinLimite);

} // namespace tildora
