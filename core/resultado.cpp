#include "core/resultado.h"

#include "core/textos.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace tildora {

std::string Razon(const Error& error) {
    // Memory running out is the system's reason.
    if (error.fallo == Fallo::Grande && error.codigo == ENOMEM) {
        return RazonSistema(ENOMEM);
    }
    // The program's own reasons; the system's error number says the rest.
    static const std::pair<Fallo, std::string_view> kPropias[] = {
        {Fallo::Grande, textos::RazonDemasiadoGrande},
        {Fallo::Codificacion, textos::RazonCodificacion},
        {Fallo::AlmacenGrande, textos::RazonAlmacenGrande},
        {Fallo::NoRegular, textos::RazonNoRegular},
        {Fallo::NoUtf8, textos::RazonNoUtf8},
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
    return error.codigo != 0 ? RazonSistema(error.codigo) : std::string(textos::RazonNoSeGuarda);
}

std::string RazonSistema(int codigo) {
    switch (codigo) {
    case ENOENT:
        return std::string(textos::RazonNoExiste);
    case EACCES:
    case EPERM:
        return std::string(textos::RazonSinPermiso);
    case EROFS:
        return std::string(textos::RazonSoloLectura);
    case ENOSPC:
        return std::string(textos::RazonDiscoLleno);
#ifdef EDQUOT // Windows says a full quota with ENOSPC
    case EDQUOT:
        return std::string(textos::RazonCuota);
#endif
    case ENAMETOOLONG:
        return std::string(textos::RazonNombreLargo);
    case EFBIG:
        return std::string(textos::RazonFicheroGrande);
    case EISDIR:
        return std::string(textos::RazonEsCarpeta);
    case ENOTDIR:
        return std::string(textos::RazonNoCarpeta);
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return std::string(textos::RazonEnUso);
    case EMLINK:
#ifdef ELOOP
    case ELOOP:
#endif
        return std::string(textos::RazonEnlaces);
    case ENOMEM:
        return std::string(textos::RazonSinMemoria);
    default:
        return std::strerror(codigo);
    }
}

} // namespace tildora
