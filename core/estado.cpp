#include "core/estado.h"

#include "core/interno/plataforma.h"
#include "core/textos.h"

#include <algorithm>
#include <new>

namespace tildora {

namespace {

bool Buscar(Estado& estado, const std::string& ruta, Avisador& avisador, Progreso* progreso) {
    estado.CaracteresValidos = ConstruirCaracteresValidos();
    estado.TablaConstruida = true;
    estado.CaracteresErroneos.assign(1, std::string());
    estado.documento = Documento{};

    OpcionesLectura opciones;
    opciones.conservarTexto = true;
    opciones.soloOrdinario = true;
    opciones.limite = std::min(kTamanoMaximoEntrada, sistema::MemoriaDisponible());
    opciones.progreso = progreso;
    Resultado<Documento> leido = AbrirDocumento(ruta, opciones);
    if (!leido && leido.fallo() == Fallo::Cancelado) {
        return false;
    }
    if (!leido) {
        estado.ErrorLectura = true;
        const Fallo f = leido.fallo();
        // A file that cannot be read is named, with the reason.
        avisador.Mensaje(f == Fallo::Grande ? std::string(textos::DemasiadoGrandeVentana)
                         : f == Fallo::Codificacion
                             ? std::string(textos::CodificacionIncorrecta)
                             : std::string(textos::M1NombreIncorrecto) + "\n" + ruta + ": " +
                                   Razon(leido.error()));
        return false;
    }
    estado.documento = std::move(*leido);
    // The list keeps one empty slot at its end, after the characters found.
    for (const Hallazgo& h : estado.documento.hallazgos) {
        estado.CaracteresErroneos.insert(estado.CaracteresErroneos.end() - 1, h.clave);
    }
    return !estado.documento.hallazgos.empty();
}

} // namespace

bool BuscarErrores(Estado& estado, const std::string& ruta, Avisador& avisador,
                   Progreso* progreso) {
    try {
        return Buscar(estado, ruta, avisador, progreso);
    } catch (const std::bad_alloc&) {
        // Memory ran out past the reading (the list of characters): the
        // file is as good as too large, and nothing of it is kept.
        estado.documento = Documento{};
        estado.CaracteresErroneos.assign(1, std::string());
        estado.ErrorLectura = true;
        avisador.Mensaje(std::string(textos::DemasiadoGrandeVentana));
        return false;
    }
}

// Part of the module's interface, for callers that hold only the list; the
// scan itself keeps a table of what it has listed.
bool EstaEnLista(const Estado& estado, std::string_view caracter) {
    return std::any_of(estado.CaracteresErroneos.begin(), estado.CaracteresErroneos.end(),
                       [caracter](const std::string& s) { return s == caracter; });
}

} // namespace tildora
