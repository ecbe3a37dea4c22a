#include "modelos/conversion_teclas.h"

#include "modelos/conversion.h"
#include "modelos/editor.h"

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
    return abre ? AccionRejilla::Abrir : AccionRejilla::AbrirYSustituir;
}

AccionEditor TeclaEnEditor(const Editor& editor, TeclaEditor tecla, bool escribe) {
    switch (tecla) {
    case TeclaEditor::Intro:
        return editor.SeRechazaria() ? AccionEditor::Cerrar : AccionEditor::Aceptar;
    case TeclaEditor::Escape:
        return AccionEditor::Deshacer;
    case TeclaEditor::Suprimir:
        if (editor.Fila() && editor.Texto().empty()) {
            return AccionEditor::Borrado;
        }
        break;
    case TeclaEditor::Arriba:
        return AccionEditor::Subir;
    case TeclaEditor::Abajo:
        return AccionEditor::Bajar;
    case TeclaEditor::Otra:
        break;
    }
    return editor.Propuesta() && escribe ? AccionEditor::Sustituir : AccionEditor::Dejar;
}

AccionVentana TeclaEnVentana(TeclaVentana tecla, bool mayusculas) {
    switch (tecla) {
    case TeclaVentana::Intro:
        return AccionVentana::Pulsar;
    case TeclaVentana::Escape:
        return AccionVentana::Cancelar;
    case TeclaVentana::F3:
        return mayusculas ? AccionVentana::Anterior : AccionVentana::Siguiente;
    case TeclaVentana::F4:
        return AccionVentana::Previa;
    case TeclaVentana::Otra:
        break;
    }
    return AccionVentana::Dejar;
}

std::string_view BotonDeIntro(std::string_view foco) {
    for (const std::string_view boton : {"CmdBuscar", "CmdPrevia", "CmdAceptar", "CmdCancelar"}) {
        if (foco == boton) {
            return boton;
        }
    }
    return "CmdAceptar";
}

} // namespace tildora::modelo
