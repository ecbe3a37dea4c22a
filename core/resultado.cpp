#include "core/resultado.h"

#include "core/textos.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace tildora {

std::string Razon(const Error& error) {
    // Memory running out is the system's own reason.
    if (error.fallo == Fallo::Grande && error.codigo == ENOMEM) {
        return std::strerror(ENOMEM);
    }
    // The program's own reasons; the system's error number says the rest.
    static const std::pair<Fallo, std::string_view> kPropias[] = {
        {Fallo::Grande, textos::RazonDemasiadoGrande},
        {Fallo::Codificacion, textos::RazonCodificacion},
        {Fallo::Crecimiento, textos::RazonCrecimiento},
        {Fallo::Cambiado, textos::RazonCambiado},
        {Fallo::NoCodificable, textos::RazonNoCodificable},
        {Fallo::SalidaEsAlmacen, textos::RazonAlmacen},
        {Fallo::NoEsUnCaracter, textos::RazonUnoSolo},
        {Fallo::CodigoSinCaracter, textos::RazonCodigoSinCaracter},
        {Fallo::Tuberia, textos::RazonTuberia},
        {Fallo::Dispositivo, textos::RazonDispositivo},
        {Fallo::NoWindows, textos::RazonWindows},
        {Fallo::CaracterPermitido, textos::RazonPermitido},
        {Fallo::CaracterSalto, textos::RazonSalto},
        {Fallo::SustitutoPropio, textos::RazonSustitutoPropio},
        {Fallo::SustitutoVacio, textos::RazonSustitutoVacio},
        {Fallo::SustitutoSalto, textos::RazonSustitutoSalto},
        {Fallo::SustitutoLargo, textos::RazonSustitutoLargo},
    };
    for (const auto& [fallo, razon] : kPropias) {
        if (fallo == error.fallo) {
            return std::string(razon);
        }
    }
    return error.codigo != 0 ? std::strerror(error.codigo) : std::string(textos::RazonNoSeGuarda);
}

} // namespace tildora
