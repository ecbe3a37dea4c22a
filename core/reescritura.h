#pragma once

#include "core/almacen.h"
#include "core/analisis.h"
#include "core/codificacion.h"
#include "core/correccion.h"
#include "core/escaneo.h"
#include "core/escritura.h"
#include "core/lectura.h"
#include "core/progreso.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tildora {

// Where corrected bytes go, a piece at a time. On failure Error() holds a
// short reason.
class Destino {
public:
    virtual ~Destino() = default;
    // Called once, just before the first byte is written.
    virtual bool Abrir() { return true; }
    virtual bool Escribir(const char* datos, std::size_t n) = 0;
    // Makes what was written final.
    virtual bool Confirmar() = 0;
    // After a failure: the target exists and was not to be replaced.
    virtual bool Ocupado() const { return false; }
    const std::string& Error() const { return m_error; }

protected:
    std::string m_error;
};

// A file written the safe way (see EscrituraSegura): nothing reaches it
// until Confirmar. Without `reemplazar`, a file of that name, there before or
// come meanwhile, is kept and the write refused.
class DestinoFichero : public Destino {
public:
    explicit DestinoFichero(std::string ruta, bool reemplazar = true)
        : m_ruta(std::move(ruta)), m_reemplazar(reemplazar) {}
    bool Abrir() override;
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override;
    bool Ocupado() const override { return m_escritura.Ocupado(); }

private:
    bool Anotar(bool bien);

    std::string m_ruta;
    bool m_reemplazar;
    EscrituraSegura m_escritura;
};

// An open descriptor, such as standard output; `nombre` names it in errors.
class DestinoDescriptor : public Destino {
public:
    DestinoDescriptor(int fd, std::string nombre) : m_fd(fd), m_nombre(std::move(nombre)) {}
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override { return true; }

private:
    int m_fd;
    std::string m_nombre;
};

// A text in memory; its storage is reused.
class DestinoTexto : public Destino {
public:
    explicit DestinoTexto(std::string& texto) : m_texto(texto) {}
    bool Abrir() override;
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override { return true; }

private:
    std::string& m_texto;
};

// Where the text comes from: it is read once more for the rewrite.
class Fuente {
public:
    virtual ~Fuente() = default;
    virtual ResultadoLectura Recorrer(const ManejarTrozo& trozo) = 0;
    // Whether the text can no longer be the one read before.
    virtual bool SinCambios() const { return true; }
};

// A text held in memory, handed over in pieces.
class FuenteMemoria : public Fuente {
public:
    explicit FuenteMemoria(std::string_view texto) : m_texto(texto) {}
    ResultadoLectura Recorrer(const ManejarTrozo& trozo) override;

private:
    std::string_view m_texto;
};

// An ordinary file, read again from its start.
class FuenteFichero : public Fuente {
public:
    FuenteFichero(Lector& lector, BufferAlineado& buffer) : m_lector(lector), m_buffer(buffer) {}
    ResultadoLectura Recorrer(const ManejarTrozo& trozo) override {
        return m_lector.Recorrer(m_buffer.data(), m_buffer.size(), trozo);
    }
    bool SinCambios() const override { return m_lector.SinCambios(); }

private:
    Lector& m_lector;
    BufferAlineado& m_buffer;
};

// A UTF-16 text handed on in UTF-8; a text that is not valid UTF-16 ends
// the reading and counts as changed.
class FuenteUtf16 : public Fuente {
public:
    FuenteUtf16(Fuente& interior, bool bigEndian) : m_interior(interior), m_desde(bigEndian) {}
    ResultadoLectura Recorrer(const ManejarTrozo& trozo) override;
    bool SinCambios() const override {
        return m_valido && m_desde.Terminar() && m_interior.SinCambios();
    }

private:
    Fuente& m_interior;
    DesdeUtf16 m_desde;
    std::string m_convertido;
    bool m_valido = true;
};

// Writes into `interior` in `hacia` what it is given in `desde`
// (Windows-1252, or UTF-8 for every Unicode text), with `marca` a
// byte-order mark first.
class DestinoRecodificado : public Destino {
public:
    DestinoRecodificado(Destino& interior, Codificacion desde, Codificacion hacia, bool marca)
        : m_interior(interior), m_desde(desde), m_hacia(hacia), m_marca(marca) {}
    bool Abrir() override;
    bool Escribir(const char* datos, std::size_t n) override;
    bool Confirmar() override;
    bool Ocupado() const override { return m_interior.Ocupado(); }

private:
    bool Fallar(std::string error);

    Destino& m_interior;
    Codificacion m_desde;
    HaciaCodificacion m_hacia;
    bool m_marca;
    std::string m_utf8;
    std::string m_convertido;
};

struct ResultadoReescritura {
    enum class Fallo {
        Ninguno,
        Crecimiento, // the output would be too large: nothing written
        Escritura,   // the output could not be written: `error` says why
        Ocupado,     // the output appeared meanwhile and was not to be replaced
        Lectura,     // the text could not be read again: `lectura` says why
        Cambiado,    // the text read again is not the one scanned
        Cancelado,   // the user stopped it before the output had its name
    };
    Fallo fallo = Fallo::Ninguno;
    std::uint64_t correcciones = 0;
    ResultadoLectura lectura;
    std::string error;
    // AceptarCorreccion: why the first row that could not be remembered was
    // not (the store's path and the reason); empty when all were.
    std::string errorAlmacen;

    explicit operator bool() const { return fallo == Fallo::Ninguno; }
};

// Corrects the text that `escaneo` saw, read again from `fuente`, into
// `destino` with the rows `pares` (in grid order), piece by piece: the
// corrected text is never held whole. Runaway growth (more than
// kTamanoMaximoSalida bytes added, or an output over `limiteSalida`) is
// refused before the destination is opened. The text read again must be the one scanned (same
// length, the same wrong characters as often, a file untouched meanwhile);
// otherwise nothing is confirmed. Only a confirmed destination counts. With
// `progreso`, the bytes rewritten are counted there, and a stop asked for
// there before the destination is confirmed ends with nothing written.
ResultadoReescritura Reescribir(const Escaner& escaneo, const std::vector<ParSolucion>& pares,
                                Fuente& fuente, Destino& destino,
                                std::uint64_t limiteSalida = kSinLimite,
                                Progreso* progreso = nullptr);

// The same for a UTF-8 text as EscanerUtf8 saw it: every wrong character
// becomes its row's replacement as the rows below it leave it, in UTF-8;
// every other byte is written as it was. The first `marca` bytes (the
// byte-order mark) are written as they are, or left out without
// `conservarMarca`.
ResultadoReescritura ReescribirUtf8(const EscanerUtf8& escaneo, std::size_t marca,
                                    bool conservarMarca, const std::vector<ParSolucion>& pares,
                                    Fuente& fuente, Destino& destino,
                                    std::uint64_t limiteSalida = kSinLimite,
                                    Progreso* progreso = nullptr);

// Corrects the text that `analisis` saw, read again from `fuente` in its own
// encoding, into `destino` in `salida`. A Windows-1252 text written in
// Windows-1252 goes through Reescribir as ever. The output has a byte-order
// mark when the input had one, and when it is turned into UTF-16 from
// another encoding (UTF-16 is recognised by it); never in Windows-1252. `limiteSalida` bounds the
// corrected text before it is turned into `salida`.
ResultadoReescritura Corregir(const Analisis& analisis, const std::vector<ParSolucion>& pares,
                              Fuente& fuente, Destino& destino, Codificacion salida,
                              std::uint64_t limiteSalida = kSinLimite,
                              Progreso* progreso = nullptr);

// Accepting the grid: every row is remembered first, so it stays remembered
// whatever the writing does (a row that cannot be stored is reported in
// errorAlmacen and stops nothing); then the text is corrected into `salida`, written the safe
// way, and the corrections counted. `texto` is the working copy: Windows-1252
// bytes, or UTF-8 for a text in `codificacion` UTF-8 or UTF-16, which the
// output is written in. The output may not exceed
// kTamanoMaximoSalida bytes. Without `reemplazar` (the user was not asked,
// or did not agree, to replace an existing output), a file that is there
// when the output is written is kept: Fallo::Ocupado.
ResultadoReescritura AceptarCorreccion(const AlmacenSoluciones& almacen,
                                       const std::vector<ParSolucion>& filas,
                                       std::string_view texto, const std::string& salida,
                                       Progreso* progreso = nullptr, bool reemplazar = true,
                                       Codificacion codificacion = Codificacion::Windows1252);

enum class ResultadoCorreccion { Correcto, Demasiado };

// The rewrite of a text in memory into `salida` (its storage is reused):
// the tests' way to the engine, and the benchmark's. Demasiado, with `salida`
// empty and no count, when the result would exceed `limite` bytes.
ResultadoCorreccion CorregirTexto(std::string_view texto, const std::vector<ParSolucion>& pares,
                                  std::string& salida, std::uint64_t& cuenta,
                                  std::uint64_t limite = kTamanoMaximoSalida);

} // namespace tildora
