#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tildora::cli {

// Where corrected bytes go, a piece at a time. On failure `Error()` holds a
// short reason.
class Destino {
public:
    virtual ~Destino() = default;
    virtual bool Escribir(const char* datos, std::size_t n) = 0;
    // Makes what was written final.
    virtual bool Confirmar() = 0;
    const std::string& Error() const { return m_error; }

protected:
    std::string m_error;
};

// A file written the safe way, in pieces: a temporary file in the target's
// folder, flushed to disk and renamed over the target on Confirmar. Until
// then the target is untouched; a SalidaSegura that is not confirmed removes
// its temporary file. A target that is a symbolic link keeps the link and has
// its file replaced, as the windows' writing does.
class SalidaSegura : public Destino {
public:
    SalidaSegura() = default;
    ~SalidaSegura() override;
    SalidaSegura(const SalidaSegura&) = delete;
    SalidaSegura& operator=(const SalidaSegura&) = delete;

    bool Abrir(const std::string& ruta);
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override;

private:
    void Descartar();

    int m_fd = -1;
    std::string m_destino;
    std::string m_temporal;
    std::uint64_t m_escrito = 0;
    std::uint64_t m_enviado = 0; // bytes already handed to the disk
    unsigned m_modo = 0;
};

// Standard output.
class SalidaEstandar : public Destino {
public:
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override { return true; }
};

// Writes all of `n` bytes to `fd`, going on after interruptions and short
// writes. False with errno set on failure.
bool EscribirTodo(int fd, const char* datos, std::size_t n);

} // namespace tildora::cli
