#include "modelos/conversion.h"

#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/progreso.h"
#include "core/propuestas.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "modelos/dialogos.h"

namespace tildora::modelo {

std::string Nombrado(const std::string& clave, bool unicode) {
    return ClaveVisible(clave, unicode) + " (" + DescripcionClave(clave, unicode) + ")";
}

Conversion::Conversion(Estado& estado, Dialogos& dialogos)
    : m_estado(estado), m_dialogos(dialogos) {}

void Conversion::Decir(const std::string& texto) {
    m_dialogos.Mensaje(texto, false);
}

bool Conversion::Unicode() const {
    return m_estado.documento.Unicode();
}

std::string Conversion::Titulo() const {
    std::string titulo(textos::TituloConversion);
    if (Unicode()) {
        titulo.append(textos::SeparadorCodificacion)
            .append(NombreCodificacion(m_estado.documento.codificacion));
    }
    return titulo;
}

void Conversion::Cargar() {
    const std::vector<std::string>& erroneos = m_estado.CaracteresErroneos;
    // The last slot is the spare empty one and never becomes a row.
    const std::size_t n = erroneos.empty() ? 0 : erroneos.size() - 1;
    // The store is read once, and a store that is there but cannot be read
    // is said before the rows show.
    const Resultado<Respuestas> leido = AlmacenSoluciones(m_estado.RutaAlmacen).Leer();
    if (n > 0 && !leido) {
        Decir(std::string(textos::AlmacenIlegible) + Motivo(leido.error()));
    }
    const Respuestas respuestas = leido ? *leido : Respuestas();
    m_filas.clear();
    m_origen.clear();
    m_propuestas.clear();
    for (std::size_t i = 0; i < n; ++i) {
        // What is remembered, else the proposal.
        FilaInicial inicio = FilaDeInicio(erroneos[i], respuestas, true);
        const bool hay = inicio.fila.borrar || !inicio.fila.sustituto.empty();
        m_origen.push_back(EsSaltoDeLinea(erroneos[i]) ? Origen::Salto
                           : inicio.propuesta          ? Origen::Propuesta
                           : hay                       ? Origen::Recordada
                                                       : Origen::Ninguna);
        m_filas.push_back(std::move(inicio.fila));
        const auto propuesta = PropuestaDeClave(erroneos[i]);
        m_propuestas.push_back(propuesta ? std::optional<std::string>(*propuesta) : std::nullopt);
    }
    m_guardadas.clear();
    for (const Fila& fila : m_filas) {
        m_guardadas.emplace_back(fila.sustituto, fila.borrar);
    }
}

bool Conversion::Poner(std::size_t fila, Fila respuesta, Origen origen) {
    if (fila >= m_filas.size() || EsFija(fila)) {
        return false;
    }
    Fila& f = m_filas[fila];
    if (f.sustituto == respuesta.sustituto && f.borrar == respuesta.borrar &&
        m_origen[fila] == origen) {
        return false;
    }
    f.sustituto = std::move(respuesta.sustituto);
    f.borrar = respuesta.borrar;
    m_origen[fila] = origen;
    return true;
}

bool Conversion::DarBorrado(std::size_t fila) {
    return Poner(fila, Fila{{}, {}, true}, Origen::Dada);
}

bool Conversion::QuitarRespuesta(std::size_t fila) {
    return Poner(fila, Fila{}, Origen::Ninguna);
}

bool Conversion::TomarPropuesta(std::size_t fila) {
    if (fila >= m_propuestas.size() || !m_propuestas[fila]) {
        return false;
    }
    return Poner(fila, FilaCon({}, *m_propuestas[fila]), Origen::Propuesta);
}

bool Conversion::Escribir(std::size_t fila, const std::string& bytes) {
    return Poner(fila, Fila{{}, bytes, false}, bytes.empty() ? Origen::Ninguna : Origen::Dada);
}

std::optional<MenuDeFila> Conversion::Menu(std::size_t fila) const {
    if (fila >= m_filas.size() || EsFija(fila)) {
        return std::nullopt;
    }
    MenuDeFila menu;
    menu.borrar = !EsBorrado(fila) || EsPropuesta(fila);
    menu.sinSustituto = EsBorrado(fila) || !Texto(fila).empty();
    if (const auto& propuesta = m_propuestas[fila]) {
        menu.hayPropuesta = true;
        menu.textoPropuesta =
            propuesta->empty() ? std::string(textos::BorrarCelda) : Utf8Visible(*propuesta, true);
        menu.propuesta = !EsPropuesta(fila);
    }
    return menu;
}

bool Conversion::HaySinGuardar() const {
    for (std::size_t i = 0; i < m_filas.size() && i < m_guardadas.size(); ++i) {
        const Fila& f = m_filas[i];
        const bool hayRespuesta = f.borrar || !f.sustituto.empty();
        if (hayRespuesta && std::pair(f.sustituto, f.borrar) != m_guardadas[i]) {
            return true;
        }
    }
    return false;
}

::tildora::Aceptacion Conversion::Corregir(bool reemplazar) const {
    // Every row is remembered before anything is replaced. A result too
    // large to be sane, like any failure to write, leaves the output as it
    // was and is reported as a wrong output name.
    const AlmacenSoluciones almacen(m_estado.RutaAlmacen);
    Progreso progreso;
    OpcionesCorreccion opciones;
    opciones.salida = m_estado.FicheroSalida;
    opciones.reemplazar = reemplazar;
    opciones.almacen = &almacen;
    opciones.limite = kTamanoMaximoSalida;
    opciones.progreso = &progreso;
    ::tildora::Aceptacion a;
    // A long step, which the user may stop until the output has its name.
    m_dialogos.Ejecutar(PasoLargo{textos::ProgresoCorreccion, true}, progreso,
                        [&] { a = ::tildora::Aceptar(m_estado.documento, m_filas, opciones); });
    return a;
}

bool Conversion::EntradaAceptada() {
    const std::optional<SelloFichero>& leido = m_estado.documento.leido;
    if (!leido) {
        return true;
    }
    const Resultado<SelloFichero> ahora = SelloDeFichero(m_estado.FicheroEntrada);
    if (ahora && *ahora == *leido) {
        return true;
    }
    // Changed, gone or unreadable: the output would be written from the text
    // as it was read, which the user may or may not want. Enter alone does
    // not write it.
    const std::string texto =
        ahora ? std::string(textos::EntradaModificada) + "\n" + m_estado.FicheroEntrada
              : std::string(textos::EntradaIlegible) + "\n" + Motivo(ahora.error());
    return m_dialogos.Preguntar(texto, Dialogos::Respuesta::Cancelar) ==
           Dialogos::Respuesta::Aceptar;
}

bool Conversion::Aceptar(const std::function<void(std::size_t fila)>& hacerActual,
                         const std::function<void()>& recordadas) {
    // Only an accept that would store and write asks about the input.
    if (FilasSinSolucion(m_filas).empty() && FilasNoLimpias(m_filas).empty() &&
        !EntradaAceptada()) {
        return false; // nothing stored or written; the window stays as it was
    }
    ::tildora::Aceptacion a = Corregir(m_estado.ReemplazarSalida);
    const std::optional<Fallo> fallo =
        a.correcciones ? std::nullopt : std::optional(a.correcciones.fallo());
    if (fallo == Fallo::FaltanSoluciones) {
        // Each row without an answer is named, and the first is made
        // current, ready for F2.
        const std::vector<std::size_t>& faltan = a.correcciones.error().filas;
        std::string texto(textos::FaltanSoluciones);
        for (const std::size_t i : faltan) {
            texto.append("\n").append(Nombrado(m_filas[i].clave, Unicode()));
        }
        hacerActual(faltan.front());
        Decir(texto);
        return false;
    }
    if (fallo == Fallo::NoLimpias) {
        // Replacements that would leave wrong characters are refused before
        // anything is remembered or written; the window stays.
        std::string texto(textos::SustitutosNoLimpios);
        for (const std::size_t i : a.correcciones.error().filas) {
            texto.append("\n").append(ClaveVisible(m_filas[i].clave, Unicode()));
            texto.append(" \u2192 ").append(Utf8Visible(m_filas[i].sustituto, true));
        }
        Decir(texto);
        return false;
    }
    return TrasCorregir(a, recordadas);
}

bool Conversion::TrasCorregir(::tildora::Aceptacion& a, const std::function<void()>& recordadas) {
    const auto fallo = [&a] {
        return a.correcciones ? std::nullopt : std::optional(a.correcciones.fallo());
    };
    // A file took the output's name while the rows were filled in: it is
    // replaced only if the user agrees now.
    const bool reemplazar =
        fallo() != Fallo::Ocupado ||
        m_dialogos.Preguntar(std::string(textos::M3SobreEscribir), Dialogos::Respuesta::Cancelar) ==
            Dialogos::Respuesta::Aceptar;
    if (fallo() == Fallo::Ocupado && reemplazar) {
        a = Corregir(true);
    }
    // Every row has been remembered by now, whatever came of the writing;
    // what could not be is said, whatever comes next.
    if (a.almacen) {
        Decir(std::string(textos::AlmacenNoSeGuarda) + Motivo(*a.almacen));
    } else {
        // The proposals are remembered answers now.
        for (std::size_t i = 0; i < m_filas.size(); ++i) {
            if (m_origen[i] == Origen::Propuesta) {
                m_origen[i] = Origen::Recordada;
            }
            m_guardadas[i] = {m_filas[i].sustituto, m_filas[i].borrar};
        }
        recordadas();
    }
    if (!reemplazar || fallo() == Fallo::Cancelado) {
        return false; // nothing written; the window stays as it was
    }
    if (fallo() == Fallo::Grande) {
        // Memory ran out: nothing was written, and the window stays, as
        // usable as before; the command line corrects the file in little.
        Decir(std::string(textos::DemasiadoGrandeVentana));
        return false;
    }
    if (!a.correcciones) {
        // The window stays with its answers: the user may go back and pick
        // another output, the input's answers already remembered.
        const Error& e = a.correcciones.error();
        Decir(e.fallo == Fallo::Cambiado
                  ? std::string(textos::EntradaCambiada) + "\n" + m_estado.FicheroEntrada
                  : std::string(textos::SalidaIncorrecta) + "\n" + Motivo(e));
        m_salidaFallida = true;
        return false;
    }
    Decir(textos::MensajeCorregido(*a.correcciones));
    return true;
}

std::optional<Vuelta> Conversion::Cancelar() {
    // Answers given here and not stored yet are lost only if the user
    // agrees.
    if (HaySinGuardar() && m_dialogos.Mensaje(std::string(textos::SalirSinGuardar), true) ==
                               Dialogos::Respuesta::Cancelar) {
        return std::nullopt;
    }
    // After an output that could not be written, the first window comes
    // back with both names, for another output.
    if (m_salidaFallida) {
        return Vuelta{m_estado.FicheroEntrada, m_estado.FicheroSalida};
    }
    return Vuelta{};
}

} // namespace tildora::modelo
