#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tildora {

// A file written the safe way, in pieces: a temporary file in the target's
// folder, flushed to disk and renamed over the target by Confirmar. Until
// then the target is untouched; one that is never confirmed removes its
// temporary file. A target that is a symbolic link keeps the link and has its
// file replaced, as writing through the link would. A target that exists but
// may not be written (a read-only file) is refused, as opening it would be.
class EscrituraSegura {
public:
    EscrituraSegura() = default;
    ~EscrituraSegura();
    EscrituraSegura(const EscrituraSegura&) = delete;
    EscrituraSegura& operator=(const EscrituraSegura&) = delete;

    bool Abrir(const std::string& ruta);
    bool Escribir(const char* datos, std::size_t n);
    bool Confirmar();

    // A short reason after a failure (for logs and the command line; the
    // windows show their own message).
    const std::string& Error() const { return m_error; }

private:
    void Descartar();
    bool Fallo(const std::string& que);

    int m_fd = -1;
    int m_hueco = -1; // where the temporary file is known to the signal handler
    std::string m_destino;
    std::string m_temporal;
    std::string m_error;
    std::uint64_t m_escrito = 0;
    std::uint64_t m_enviado = 0; // bytes already handed to the disk
    unsigned m_modo = 0;
    bool m_existia = false;
    unsigned m_dueno = 0;
    unsigned m_grupo = 0;
};

// Ctrl-C, a closing terminal or a kill would end the program with a
// temporary file half written. Once this is called, SIGINT, SIGTERM and
// SIGHUP first remove the temporary file of every EscrituraSegura still
// open and then end the program as they would have. Signals the program was
// started ignoring stay ignored. Call it once, early in main.
void BorrarTemporalesAlInterrumpir();

// Writes `datos` under `ruta` with an EscrituraSegura. On any failure the
// target is left as it was, no temporary file remains, and false is returned
// with a short reason in `error`.
bool EscribirFicheroSeguro(const std::string& ruta, std::string_view datos,
                           std::string* error = nullptr);

// Writes all of `n` bytes to `fd`, going on after interruptions and short
// writes. False with errno set on failure.
bool EscribirTodo(int fd, const char* datos, std::size_t n);

} // namespace tildora
