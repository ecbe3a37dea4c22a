#pragma once

#include "escritura.h"

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

// A file written the safe way (see EscrituraSegura): nothing reaches the
// target until Confirmar.
class SalidaSegura : public Destino {
public:
    bool Abrir(const std::string& ruta);
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override;

private:
    EscrituraSegura m_escritura;
};

// Standard output.
class SalidaEstandar : public Destino {
public:
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override { return true; }
};

} // namespace tildora::cli
