#include "modelos/conversion_teclas.h"

#include "modelos/conversion.h"

namespace tildora::modelo {

AccionRejilla TeclaEnRejilla(const Conversion& conversion, std::optional<std::size_t> fila,
                             bool enRespuesta, const Pulsacion& pulsacion) {
    const TeclaRejilla t = pulsacion.tecla;
    if (fila && (t == TeclaRejilla::Menu || (t == TeclaRejilla::F10 && pulsacion.soloMayusculas))) {
        return AccionRejilla::Menu;
    }
    if (!fila || *fila >= conversion.NumFilas() || !enRespuesta || pulsacion.conControl) {
        return AccionRejilla::Dejar;
    }
    const bool fija = conversion.EsFija(*fila);
    if (t == TeclaRejilla::Suprimir || t == TeclaRejilla::Retroceso) {
        return fija                          ? AccionRejilla::Nada
               : t == TeclaRejilla::Suprimir ? AccionRejilla::Borrado
                                             : AccionRejilla::SinRespuesta;
    }
    const bool abre = t == TeclaRejilla::F2 || t == TeclaRejilla::Espacio;
    if (!abre && !pulsacion.escribe) {
        return AccionRejilla::Dejar;
    }
    if (fija) {
        return AccionRejilla::Nada;
    }
    return abre ? AccionRejilla::Abrir : AccionRejilla::AbrirYEscribir;
}

} // namespace tildora::modelo
