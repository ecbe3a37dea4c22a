#pragma once

#include "core/correccion.h"
#include "core/interno/escritura.h"
#include "core/interno/origen.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tildora {

// Where corrected bytes go, a piece at a time; nothing is final before
// Confirmar.
class Destino {
public:
    virtual ~Destino() = default;
    // Once, just before the first byte.
    virtual Resultado<void> Abrir() { return {}; }
    virtual Resultado<void> Escribir(const char* datos, std::size_t n) = 0;
    virtual Resultado<void> Confirmar() { return {}; }
};

// A file written the safe way (EscrituraSegura).
class DestinoFichero : public Destino {
public:
    DestinoFichero(std::string ruta, bool reemplazar)
        : m_ruta(std::move(ruta)), m_reemplazar(reemplazar) {}
    Resultado<void> Abrir() override { return m_escritura.Abrir(m_ruta, m_reemplazar); }
    Resultado<void> Escribir(const char* datos, std::size_t n) override {
        return m_escritura.Escribir(datos, n);
    }
    Resultado<void> Confirmar() override { return m_escritura.Confirmar(); }

private:
    std::string m_ruta;
    bool m_reemplazar;
    EscrituraSegura m_escritura;
};

// Standard output, written as it comes.
class DestinoEstandar : public Destino {
public:
    Resultado<void> Escribir(const char* datos, std::size_t n) override;

private:
    sistema::Archivo m_salida = sistema::Archivo::SalidaEstandar();
};

// A text in memory; its storage is reused.
class DestinoMemoria : public Destino {
public:
    explicit DestinoMemoria(std::string& texto) : m_texto(texto) {}
    Resultado<void> Abrir() override {
        m_texto.clear();
        return {};
    }
    Resultado<void> Escribir(const char* datos, std::size_t n) override {
        m_texto.append(datos, n);
        return {};
    }

private:
    std::string& m_texto;
};

// Writes into `interior` in another encoding what it is given in the
// program's form of a text (Windows-1252 bytes, or UTF-8 for every Unicode
// text), with a byte-order mark first when `marca`. A Unicode text written
// in Windows-1252 gets CR LF for every lone LF: a lone LF is no line end
// there.
class DestinoRecodificado : public Destino {
public:
    DestinoRecodificado(Destino& interior, bool desdeAnsi, Codificacion hacia, bool marca)
        : m_interior(interior), m_costura(!desdeAnsi), m_hacia(hacia, desdeAnsi), m_marca(marca),
          m_saltos(!desdeAnsi && hacia == Codificacion::Windows1252) {}
    Resultado<void> Abrir() override;
    Resultado<void> Escribir(const char* datos, std::size_t n) override;
    Resultado<void> Confirmar() override;

private:
    Destino& m_interior;
    Costura m_costura;
    HaciaCodificacion m_hacia;
    bool m_marca;
    bool m_saltos;
    char m_ultimo = 0; // the last byte written, for an LF that begins a piece
    std::string m_convertido;
};

// Corrects the text the document's scan saw into `destino`, in the
// program's form of it, piece by piece: the corrected text is never held
// whole. The first bytes (the byte-order mark) are written as they are when
// `conservarMarca`, else left out. Runaway growth is refused before the
// destination is opened (Fallo::Crecimiento): a corrected text over
// `limite`, more than kTamanoMaximoSalida bytes added, or, in a Unicode
// text, a character's form over 16 MiB or all of them over 64 MiB.
Resultado<std::uint64_t> Reescribir(const Documento& documento, const std::vector<Fila>& filas,
                                    Destino& destino, bool conservarMarca, std::uint64_t limite,
                                    Progreso* progreso);

} // namespace tildora
