#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tildora {

// A file written the safe way, in pieces: an unnamed file in the target's
// folder (a named temporary one where the file system has no unnamed files),
// flushed to disk and given the target's name by Confirmar. Until then the
// target is untouched, and an unnamed file leaves nothing behind whatever
// happens to the program, even kill -9 or a power cut; a named one that is
// never confirmed is removed. A target that is a symbolic link keeps the link
// and has its file replaced, as writing through the link would. A target that
// exists but may not be written (a read-only file) is refused, as opening it
// would be.
class EscrituraSegura {
public:
    EscrituraSegura() = default;
    ~EscrituraSegura();
    EscrituraSegura(const EscrituraSegura&) = delete;
    EscrituraSegura& operator=(const EscrituraSegura&) = delete;

    // `reemplazar` false: the target may not exist, now or when the file is
    // confirmed; one that appears meanwhile is kept and the write refused
    // (see Ocupado).
    bool Abrir(const std::string& ruta, bool reemplazar = true);
    bool Escribir(const char* datos, std::size_t n);
    bool Confirmar();

    // After a failure: the target exists and was not to be replaced.
    bool Ocupado() const { return m_ocupado; }

    // Writes through a named temporary file even where an unnamed one could
    // be had, as on file systems without them. Call before Abrir.
    void UsarNombreTemporal() { m_conNombre = true; }

    // A short reason after a failure (for logs and the command line; the
    // windows show their own message).
    const std::string& Error() const { return m_error; }

private:
    void Descartar();
    bool Fallo(const std::string& que);
    bool Nombrar();
    bool NombrarAnonimo();

    int m_fd = -1;
    int m_hueco = -1; // where the temporary file is known to the signal handler
    std::string m_destino;
    std::string m_temporal;
    std::string m_error;
    std::uint64_t m_escrito = 0;
    std::uint64_t m_enviado = 0; // bytes already handed to the disk
    unsigned m_modo = 0;
    bool m_existia = false;
    bool m_reemplazar = true;
    bool m_anonimo = false; // an unnamed file: m_temporal stays empty
    bool m_conNombre = false;
    bool m_ocupado = false;
    unsigned m_dueno = 0;
    unsigned m_grupo = 0;
};

// Ctrl-C, a closing terminal or a kill would end the program with a named
// temporary file half written. Once this is called, the signals that end a
// program and can be caught (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1,
// SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE) first remove the temporary
// file of every EscrituraSegura still open and then end the program as they
// would have; a file-size limit (SIGXFSZ) no longer ends it, so that the
// write fails and is reported with its reason. Signals the program was
// started ignoring stay ignored. Call it once, early in main.
void BorrarTemporalesAlInterrumpir();

// Writes `datos` under `ruta` with an EscrituraSegura. On any failure the
// target is left as it was, no temporary file remains, and false is returned
// with a short reason in `error`.
bool EscribirFicheroSeguro(const std::string& ruta, std::string_view datos,
                           std::string* error = nullptr);

// Where writing through the link `enlace` goes: the end of its chain of
// links, which need not exist yet (writing through the link creates it).
// False, with errno set, for a chain that never ends or cannot be read.
bool DestinoDeEnlace(const std::string& enlace, std::string& destino);

// Writes all of `n` bytes to `fd`, going on after interruptions and short
// writes. False with errno set on failure.
bool EscribirTodo(int fd, const char* datos, std::size_t n);

} // namespace tildora
