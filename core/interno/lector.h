#pragma once

#include "core/documento.h"
#include "core/interno/plataforma.h"
#include "core/resultado.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tildora {

// A piece of a file as it arrives; returning false ends the reading early,
// which is no failure of the read itself.
using ManejarTrozo = std::function<bool(const char* datos, std::size_t n)>;

// Files that are read whole, or only scanned, are read in pieces of this
// size: small enough to be scanned while still in the processor's cache.
inline constexpr std::size_t kTrozoLectura = std::size_t{512} << 10;

// A buffer that begins on a page boundary: the system copies file data into
// a misaligned one several times more slowly.
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

// The error of a read that failed with the system's error number `codigo`.
Error ErrorDeLectura(int codigo, const std::string& ruta);

// Every file the program reads goes through here: the text to check, the
// replacement store, the command line's inputs. Interrupted reads are
// retried; a failure comes back with its reason.
class Lector {
public:
    // `soloOrdinario` accepts ordinary files only, and opens without waiting
    // so that a pipe cannot hang the program; otherwise a pipe or a device
    // is read as it comes (a folder never is). A file over `limite` bytes is
    // refused.
    Resultado<void> Abrir(const std::string& ruta, bool soloOrdinario,
                          std::uint64_t limite = kSinLimite);
    // Standard input, under the same rules as a file that is not only
    // ordinary.
    Resultado<void> AbrirEntradaEstandar(std::uint64_t limite = kSinLimite);
    // For what is not an ordinary file (a pipe): every piece read is also
    // written to a file without a name in the temporary folder
    // (sistema::CarpetaTemporal), which Rebobinar then reads as an ordinary
    // file, so that a pipe can be read again in as little memory as a file.
    // A copy that cannot be made or written fails with Fallo::Copia,
    // naming the folder. Call before the first Leer.
    Resultado<void> CopiarAlLeer();

    // An ordinary file, which can be read again and in parts.
    bool Ordinario() const { return m_ordinario; }
    // The size of an ordinary file when it was opened, from where reading
    // starts; 0 for anything else.
    std::uint64_t Tamano() const { return m_ordinario ? m_ficha.tamano - m_inicio : 0; }
    void Limitar(std::uint64_t limite) { m_limite = limite; }

    // Back to the start (of an ordinary file, or of a pipe's copy, read to
    // its end first) for another pass.
    Resultado<void> Rebobinar();
    // The next piece, at most `n` bytes; 0 at the end.
    Resultado<std::size_t> Leer(char* destino, std::size_t n);
    // At `posicion` from where reading starts, at most `n` bytes; the next
    // Leer is not moved. Ordinary files only.
    Resultado<std::size_t> LeerEn(std::uint64_t posicion, char* destino, std::size_t n);
    // From the start to the end, a piece at a time through `buffer`.
    Resultado<void> Recorrer(BufferAlineado& buffer, const ManejarTrozo& trozo);

    // Whether the file is as it was when opened (size and times).
    bool SinCambios() const;
    // What the system said of it when it was opened.
    const sistema::Ficha& Descripcion() const { return m_ficha; }
    const std::string& Ruta() const { return m_ruta; }

private:
    Resultado<void> Preparar();

    sistema::Archivo m_archivo;
    sistema::Ficha m_ficha;
    std::string m_ruta;
    bool m_ordinario = false;
    std::uint64_t m_limite = kSinLimite;
    std::uint64_t m_leidos = 0; // in this pass, against the limit
    std::uint64_t m_inicio = 0;
    // The copy of a pipe while it is read; once it is whole it is what is
    // read.
    sistema::Archivo m_copia;
    std::string m_carpetaCopia;
    bool m_copiando = false;
    bool m_alFinal = false; // the pipe has been read to its end
};

// Reads an ordinary file of at most `limite` bytes whole into `destino`.
Resultado<void> LeerFichero(const std::string& ruta, std::string& destino,
                            std::uint64_t limite = kSinLimite);

} // namespace tildora
