#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tildora {

// Why something could not be done. Every operation of the core that can fail
// says it with one of these; the front ends turn it into their own words.
enum class Fallo {
    // Reading a text or the store.
    NoExiste,     // no such file
    Carpeta,      // a folder
    SinPermiso,   // no permission
    NoRegular,    // a pipe or a device where only an ordinary file will do
    Grande,       // larger than the reader may take, or than memory holds
    Lectura,      // the system failed to open or read it
    Copia,        // a pipe's copy in the temporary folder (Error::ruta) failed
    Cancelado,    // the user stopped it
    Codificacion, // not valid in its encoding (UTF-16), or in the one given
    // Writing the output or the store.
    Escritura,     // the system failed to write it
    Tuberia,       // the output is a pipe (FIFO) or a socket: no file replaces it
    Dispositivo,   // the output is a device: no file replaces it
    Ocupado,       // the output is there and was not to be replaced
    Crecimiento,   // the corrected text would be too large: nothing written
    Cambiado,      // the text read again is not the one scanned
    NoCodificable, // a character the output's encoding cannot hold
    AlmacenGrande, // the store is, or would become, over its size limit
    // The names the user gave.
    NombreVacio,     // a name is missing
    NombresIguales,  // equal names, or two names of one file
    SalidaEsAlmacen, // the output is the store in use
    // The grid's rows (Error::filas names them).
    FaltanSoluciones, // rows without a replacement
    NoLimpias,        // rows whose replacement would leave wrong characters
    // A character or a replacement the user gave (Error::ruta holds it).
    NoEsUnCaracter,    // not one character
    CodigoSinCaracter, // U+XXXX of no character: a UTF-16 half, or past U+10FFFF
    NoWindows,         // not a character Windows-1252 can hold
    NoUtf8,            // not UTF-8 text at all
    CaracterPermitido, // an allowed character: nothing to replace
    CaracterSalto,     // a line break, never a character
    SustitutoPropio,   // holds its own character, which no row would correct
    SustitutoVacio,
    SustitutoSalto, // holds a line break, which no store line can
    SustitutoLargo, // longer than the store gives back
};

struct Error {
    Fallo fallo = Fallo::Lectura;
    int codigo = 0;                 // the system's error number, when it gave one
    std::string ruta;               // the file it concerns, when one does
    std::vector<std::size_t> filas; // the rows refused, in grid order
};

// A value, or why there is none.
template <typename T> class [[nodiscard]] Resultado {
public:
    Resultado(T valor) : m_valor(std::move(valor)) {}
    Resultado(Error error) : m_error(std::move(error)) {}

    explicit operator bool() const { return m_valor.has_value(); }
    T& operator*() { return *m_valor; }
    const T& operator*() const { return *m_valor; }
    T* operator->() { return &*m_valor; }
    const T* operator->() const { return &*m_valor; }
    // Only when there is no value.
    const Error& error() const { return *m_error; }
    Fallo fallo() const { return m_error->fallo; }

private:
    std::optional<T> m_valor;
    std::optional<Error> m_error;
};

template <> class [[nodiscard]] Resultado<void> {
public:
    Resultado() = default;
    Resultado(Error error) : m_error(std::move(error)) {}

    explicit operator bool() const { return !m_error.has_value(); }
    const Error& error() const { return *m_error; }
    Fallo fallo() const { return m_error->fallo; }

private:
    std::optional<Error> m_error;
};

inline Error Falla(Fallo fallo, int codigo = 0, std::string ruta = {}) {
    return Error{fallo, codigo, std::move(ruta), {}};
}

// The reason in words, for the line after a message: the program's for what
// only it can tell, else RazonSistema's for the system's error number.
std::string Razon(const Error& error);

// The system's error number in words: the usual ones (no such file or
// folder, no permission, a read-only file system, no space, a full quota, a
// name too long, a folder where a file was expected and the reverse, a file
// in use, too many links, no memory) in the program's two languages, the
// same on every system; any other in the system's own text.
std::string RazonSistema(int codigo);

} // namespace tildora
