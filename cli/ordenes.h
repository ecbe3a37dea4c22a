#pragma once

#include "core/almacen.h"
#include "core/escaneo.h"
#include "core/lectura.h"
#include "core/reescritura.h"

#include <string>
#include <vector>

namespace tildora::cli {

// The commands, each returning its exit status. Messages go to standard
// error, one per line, with a second line naming the file and the reason
// where that helps a script or a log.
class Ordenes {
public:
    // `modoCarpeta`: fix --out-dir, where every message about a file is
    // followed by its name.
    Ordenes(const std::string& rutaAlmacen, bool forzar, bool modoCarpeta);

    int Check(const std::vector<std::string>& ficheros);
    int Fix(const std::string& entrada, const std::string& salida);
    int FixCarpeta(const std::string& carpeta, const std::vector<std::string>& ficheros);
    int Remember(const std::string& caracter, const std::string& sustituto);

private:
    // Opens an input ("-" is standard input) and scans it. Anything but an
    // ordinary file cannot be read twice, so it is held in `memoria`.
    ResultadoLectura Escanear(const std::string& nombre, Lector& lector, Escaner& escaneo,
                              std::string* memoria);
    int CorregirUno(const std::string& entrada, const std::string& salida);
    // Reads the store once for the whole run; a store that is there but
    // cannot be read is said in one line, and false returned.
    bool CargarAlmacen();
    std::string Solucion(unsigned char c) const;
    // In --out-dir mode each message about a file is followed by its name.
    void Nombrar(int fd, const std::string& nombre) const;

    AlmacenSoluciones m_almacen;
    std::string m_copiaAlmacen; // the store as read at the start
    bool m_forzar;
    bool m_modoCarpeta;
    BufferAlineado m_lectura;
};

} // namespace tildora::cli
