#include "ui/conversion/claves.h"

#include "core/ansi.h"
#include "core/codificacion.h"

namespace tildora {

std::string ClaveVisible(std::string_view clave, bool unicode) {
    if (unicode) {
        if (const auto cp = CaracterDeClave(clave)) {
            return CaracterVisible(*cp);
        }
    }
    return Utf8Visible(clave, true);
}

std::string DescripcionClave(std::string_view clave, bool unicode) {
    if (unicode) {
        const auto cp = CaracterDeClave(clave);
        return cp ? DescripcionCaracter(*cp) : std::string();
    }
    return clave.size() == 1 ? DescripcionCodigo(static_cast<unsigned char>(clave[0]))
                             : std::string();
}

std::string BytesDeClave(std::string_view clave, bool unicode) {
    if (!unicode) {
        return clave.size() == 1 ? std::string(clave) : std::string();
    }
    std::string r;
    if (const auto cp = CaracterDeClave(clave)) {
        AnadirUtf8(r, *cp);
    }
    return r;
}

} // namespace tildora
