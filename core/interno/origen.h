#pragma once

#include "core/documento.h"
#include "core/interno/escaneo.h"
#include "core/interno/lector.h"

#include <memory>

namespace tildora::detalle {

// What the correction needs of the scan: the text to read again, as what,
// and what the scan counted there (the text read again must be that one).
struct Origen {
    Unidades unidades = Unidades::Ansi;
    Recuento recuento;
    // An ordinary file, read again; without one the document's working copy
    // holds the text (Windows-1252 bytes or UTF-8).
    std::unique_ptr<Lector> lector;
};

} // namespace tildora::detalle
