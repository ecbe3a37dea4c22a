#pragma once

#include "core/almacen.h"
#include "core/correccion.h"
#include "core/documento.h"
#include "core/reglas.h"
#include "core/unicode.h"

#include <optional>
#include <string>
#include <vector>

namespace tildora::cli {

// The commands, each returning its exit status. Messages, the count of
// corrections included, go to standard error, one per line, each beginning
// with "tildora: ", with a second line naming the file and the reason where
// that helps a script or a log; standard output holds only what a command
// produces (check's and list's lines, fix's text to "-").
class Ordenes {
public:
    // `modoCarpeta`: fix --out-dir, where every message about a file is
    // followed by its name. `desde` (--from) is the inputs' encoding when
    // given, instead of the one recognised; `hacia` (--to) the outputs',
    // instead of the input's. `proponer` (--propose): a character with no
    // remembered answer takes its proposal, which is never remembered.
    Ordenes(const std::string& rutaAlmacen, bool forzar, bool modoCarpeta,
            std::optional<Codificacion> desde = std::nullopt,
            std::optional<Codificacion> hacia = std::nullopt, bool proponer = false);

    int Check(const std::vector<std::string>& ficheros);
    int Fix(const std::string& entrada, const std::string& salida);
    int FixCarpeta(const std::string& carpeta, const std::vector<std::string>& ficheros);
    int Remember(const std::string& caracter, const std::string& sustituto);
    int RememberDelete(const std::string& caracter); // remember --delete
    int List();
    int Forget(const std::string& caracter);

private:
    // Opens an input ("-" is standard input) and scans it in its encoding;
    // `soloHallazgos`: for check, which never corrects it.
    Resultado<Documento> Abrir(const std::string& nombre, bool soloHallazgos) const;
    // Whether OUTPUT may be written, as the names and what is there say; the
    // exit status when it may not.
    std::optional<int> ComprobarSalida(const std::string& entrada, const std::string& salida);
    int CorregirUno(const std::string& entrada, const std::string& salida);
    // Says why nothing was written for `entrada`; the exit status.
    int NoCorregido(const Error& error, const std::vector<Fila>& filas, const std::string& entrada,
                    const std::string& salida);
    // Reads the store once for the whole run; a store that is there but
    // cannot be read is said in one line, and false returned. Each answer it
    // holds that Windows-1252 cannot is said in one line too.
    bool CargarAlmacen();
    // The grid's rows with the remembered answers, and with the proposals
    // where there is none when `m_proponer`.
    std::vector<Fila> Filas(const Documento& documento) const;
    // check's lines for one file (its name as NombreVisible writes it).
    std::string LineasCheck(const std::string& visible, const Documento& documento) const;
    // Stores what remember was given; the exit status.
    int Recordar(const Resultado<Fila>& respuesta);
    // Says the rows whose replacements would leave wrong characters
    // (FilasNoLimpias): a message, the file's name when `nombre` is given,
    // and one line per row.
    void DecirNoLimpias(const std::vector<Fila>& filas, const std::vector<std::size_t>& sucias,
                        const std::string* nombre) const;
    // In --out-dir mode each message about a file is followed by its name.
    void Nombrar(const std::string& nombre) const;

    AlmacenSoluciones m_almacen;
    Respuestas m_respuestas; // the store as read at the start
    bool m_forzar;
    bool m_modoCarpeta;
    std::optional<Codificacion> m_desde;
    std::optional<Codificacion> m_hacia;
    bool m_proponer;
};

} // namespace tildora::cli
