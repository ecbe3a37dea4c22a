#include "cli/ordenes.h"

#include "cli/terminal.h"
#include "core/caracteres.h"
#include "core/proceso.h"
#include "core/propuestas.h"
#include "core/reglas.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <set>

namespace tildora::cli {

namespace {

// A wrong character's code as `check` gives it (the grid's rows show the
// same).
std::string Codigo(const std::string& clave) {
    return CodigoClave(clave);
}

// An answer in a replacement column (check's, list's): nothing for none, the
// delete answer's mark, or the replacement as Visible writes it (never the
// mark, as a backslash of a replacement is doubled).
std::string Columna(std::optional<std::string_view> respuesta) {
    if (!respuesta) {
        return {};
    }
    return respuesta->empty() ? std::string(textos::MarcaBorrado) : Visible(*respuesta);
}

// A row of the lists about replacements (fix's refusals, check's marks,
// list): CODE<TAB>CHARACTER<TAB>REPLACEMENT, the replacement as Columna
// writes it.
std::string Linea(const std::string& clave, std::string_view columna) {
    std::string fila = Codigo(clave);
    fila.append("\t").append(GlifoClave(clave)).append("\t").append(columna);
    return fila;
}

// Writes what a command produces; a failure is said, with kFallo.
int Producir(const std::string& lineas) {
    if (const int codigo = Poner(lineas); codigo != 0) {
        DecirFallo(Falla(Fallo::Escritura, codigo, "-"), textos::SalidaIncorrecta, "-");
        return kFallo;
    }
    return kBien;
}

// A character or a replacement refused, and why.
int Refusar(const tildora::Error& error) {
    Error(textos::CaracterIncorrecto);
    Detalle(error.ruta, Razon(error));
    return kFallo;
}

} // namespace

Ordenes::Ordenes(const std::string& rutaAlmacen, bool forzar, bool modoCarpeta,
                 std::optional<Codificacion> desde, std::optional<Codificacion> hacia,
                 bool proponer)
    : m_almacen(rutaAlmacen), m_forzar(forzar), m_modoCarpeta(modoCarpeta), m_desde(desde),
      m_hacia(hacia), m_proponer(proponer) {}

void Ordenes::Nombrar(const std::string& nombre) const {
    if (m_modoCarpeta) {
        Error(nombre);
    }
}

bool Ordenes::CargarAlmacen() {
    Resultado<Respuestas> leido = m_almacen.Leer();
    if (!leido) {
        Error(std::string(textos::AlmacenIlegible) + Motivo(leido.error()));
        return false;
    }
    m_respuestas = std::move(*leido);
    // An answer Windows-1252 cannot hold (a UTF-8 or UTF-16 store edited by
    // hand) is no answer; each is said once, by its line in the store.
    for (const std::size_t n : m_respuestas.LineasSinValor()) {
        Error(std::string(textos::AlmacenValorNoWindows) + m_almacen.Ruta() + ":" +
              std::to_string(n));
    }
    return true;
}

Resultado<Documento> Ordenes::Abrir(const std::string& nombre, bool soloHallazgos) const {
    OpcionesLectura opciones;
    opciones.codificacion = m_desde;
    opciones.entradaEstandar = nombre == "-";
    opciones.soloHallazgos = soloHallazgos;
    return AbrirDocumento(nombre, opciones);
}

std::vector<Fila> Ordenes::Filas(const Documento& documento) const {
    // In the order of the grid: first appearance; each row as the grid
    // starts it, the proposals only with --propose.
    std::vector<Fila> filas;
    for (const Hallazgo& h : documento.hallazgos) {
        filas.push_back(FilaDeInicio(h.clave, m_respuestas, m_proponer).fila);
    }
    return filas;
}

std::string Ordenes::LineasCheck(const std::string& visible, const Documento& documento) const {
    std::string lineas;
    for (const Hallazgo& h : documento.hallazgos) {
        lineas.append(visible).append("\t").append(Codigo(h.clave)).append("\t");
        lineas.append(std::to_string(h.cuenta)).append("\t");
        lineas.append(std::to_string(h.primera.linea)).append(":");
        lineas.append(std::to_string(h.primera.columna)).append("\t");
        lineas.append(GlifoClave(h.clave)).append("\t");
        // A lone LF's answer is fixed (CR LF) and shown as such.
        const std::optional<std::string> recordada = EsSaltoDeLinea(h.clave)
                                                         ? std::optional<std::string>(kSaltoDeLinea)
                                                         : m_respuestas.Recordada(h.clave);
        lineas.append(Columna(recordada));
        // --propose: the proposal where nothing is remembered, in a seventh
        // column, so that the six stay as they are for scripts.
        if (m_proponer) {
            lineas.append("\t").append(recordada ? "" : Columna(PropuestaDeClave(h.clave)));
        }
        lineas.append("\n");
    }
    return lineas;
}

int Ordenes::Check(const std::vector<std::string>& ficheros) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    bool hayErroneos = false;
    bool hayFallo = false;
    // Names are taken exactly as given: a space is part of a name here.
    for (const std::string& nombre : ficheros) {
        Resultado<Documento> doc =
            nombre.empty() ? Resultado<Documento>(Falla(Fallo::NombreVacio)) : Abrir(nombre, true);
        if (!doc) {
            if (nombre.empty()) {
                Error(textos::M1NombreIncorrecto);
            } else {
                DecirFallo(doc.error(), textos::M1NombreIncorrecto, nombre);
            }
            hayFallo = true;
            continue;
        }
        const std::string visible = NombreVisible(nombre);
        const std::vector<Fila> filas = Filas(*doc);
        if (!filas.empty() && Producir(LineasCheck(visible, *doc)) != kBien) {
            return kFallo;
        }
        // A text read as UTF-8 or UTF-16 says so, where no script reading
        // the lines is disturbed.
        if (doc->Unicode()) {
            Detalle(visible, NombreCodificacion(doc->codificacion));
        }
        if (!filas.empty()) {
            hayErroneos = true;
            // Remembered replacements that fix would refuse are said, after
            // the lines, where no script reading them is disturbed.
            DecirNoLimpias(filas, FilasNoLimpias(filas), &visible);
        }
    }
    return hayFallo ? kFallo : hayErroneos ? kHayErroneos : kBien;
}

void Ordenes::DecirNoLimpias(const std::vector<Fila>& filas, const std::vector<std::size_t>& sucias,
                             const std::string* nombre) const {
    if (sucias.empty()) {
        return;
    }
    Error(textos::SustitutosNoLimpios);
    if (nombre != nullptr) {
        Error(*nombre);
    }
    for (const std::size_t i : sucias) {
        Error(Linea(filas[i].clave, Visible(filas[i].sustituto)));
    }
}

int Ordenes::Fix(const std::string& entrada, const std::string& salida) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    // /dev/stdout and its kin are written to as "-" is, to the descriptor
    // they name: standard output becomes that descriptor.
    if (const std::optional<int> descriptor = DescriptorNombrado(salida)) {
        if (const int codigo = SalidaEstandarHacia(*descriptor); codigo != 0) {
            DecirFallo(Falla(Fallo::Escritura, codigo, salida), textos::SalidaIncorrecta, salida);
            return kFallo;
        }
        return CorregirUno(entrada, "-");
    }
    return CorregirUno(entrada, salida);
}

int Ordenes::FixCarpeta(const std::string& carpeta, const std::vector<std::string>& ficheros) {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    if (carpeta.empty()) {
        Error(textos::SalidaIncorrecta);
        return kFallo;
    }
    if (const Hay hay = QueHay(carpeta); !hay.carpeta) {
        Error(textos::SalidaIncorrecta);
        Detalle(carpeta, RazonSistema(hay.codigo != 0 ? hay.codigo : ENOTDIR));
        return kFallo;
    }
    int peor = kBien;
    std::set<std::string> salidas;
    for (const std::string& nombre : ficheros) {
        const std::string base = nombre.substr(InicioDelNombre(nombre));
        if (nombre == "-" || base.empty()) {
            // Standard input, or a folder, has no name of its own to take.
            Error(textos::M1NombreIncorrecto);
            Error(nombre);
            peor = std::max(peor, kFallo);
            continue;
        }
        const std::string destino = carpeta + (carpeta.back() == '/' ? "" : "/") + base;
        if (!salidas.insert(destino).second) {
            // Two inputs of the same name would overwrite each other's output.
            Error(textos::SalidaIncorrecta);
            Detalle(destino, textos::RazonRepetida);
            peor = std::max(peor, kFallo);
            continue;
        }
        peor = std::max(peor, CorregirUno(nombre, destino));
    }
    return peor;
}

std::optional<int> Ordenes::ComprobarSalida(const std::string& entrada, const std::string& salida) {
    if (const Resultado<void> r = ComprobarNombres(entrada, salida, m_almacen.Ruta(), true); !r) {
        if (r.fallo() == Fallo::SalidaEsAlmacen) {
            Error(textos::SalidaIncorrecta);
            Detalle(salida, textos::RazonAlmacen);
            return kFallo;
        }
        Error(r.fallo() == Fallo::NombreVacio ? textos::M1NombreIncorrecto
                                              : textos::M2NombresIguales);
        Nombrar(entrada);
        return kFallo;
    }
    const Hay hay = salida == "-" ? Hay{} : QueHay(salida);
    if (hay.carpeta) {
        Error(textos::SalidaIncorrecta);
        Detalle(salida, RazonSistema(EISDIR));
        return kFallo;
    }
    // No file replaces a pipe or a device, --force or not.
    if (hay.tuberia || hay.dispositivo) {
        Error(textos::SalidaIncorrecta);
        Detalle(salida, hay.tuberia ? textos::RazonTuberiaOrden : textos::RazonDispositivoOrden);
        return kFallo;
    }
    if (hay.existe && !m_forzar) {
        Error(textos::SalidaExiste);
        Error(salida);
        return kSalidaExiste;
    }
    return std::nullopt;
}

int Ordenes::CorregirUno(const std::string& entrada, const std::string& salida) {
    if (const std::optional<int> estado = ComprobarSalida(entrada, salida)) {
        return *estado;
    }
    Resultado<Documento> doc = Abrir(entrada, false);
    if (!doc) {
        DecirFallo(doc.error(), textos::M1NombreIncorrecto, entrada);
        return kFallo;
    }
    const std::vector<Fila> filas = Filas(*doc);
    OpcionesCorreccion opciones;
    opciones.salida = salida;
    opciones.codificacion = m_hacia;
    // Without --force, a file that takes OUTPUT's name meanwhile is kept.
    opciones.reemplazar = m_forzar;
    const Aceptacion hecho = Aceptar(*doc, filas, opciones);
    if (!hecho.correcciones) {
        return NoCorregido(hecho.correcciones.error(), filas, entrada, salida);
    }
    // The count is a message like any other: standard output may be the
    // corrected text itself.
    Error(filas.empty() ? std::string(textos::M4SinErrores)
                        : textos::MensajeCorregido(*hecho.correcciones));
    Nombrar(entrada);
    return kBien;
}

int Ordenes::NoCorregido(const tildora::Error& error, const std::vector<Fila>& filas,
                         const std::string& entrada, const std::string& salida) {
    switch (error.fallo) {
    case Fallo::FaltanSoluciones:
        Error(textos::FaltanSoluciones);
        Nombrar(entrada);
        for (const std::size_t i : error.filas) {
            Error(Codigo(filas[i].clave) + "\t" + GlifoClave(filas[i].clave));
        }
        return kSinSolucion;
    case Fallo::NoLimpias:
        // Nothing is written rather than a text reported corrected that is
        // not clean.
        DecirNoLimpias(filas, error.filas, m_modoCarpeta ? &entrada : nullptr);
        return kSinSolucion;
    case Fallo::Crecimiento:
        DecirFallo(error, textos::SalidaIncorrecta, salida);
        return kFallo;
    case Fallo::Ocupado:
        Error(textos::SalidaExiste);
        Error(salida);
        return kSalidaExiste;
    case Fallo::Escritura:
    case Fallo::Tuberia:
    case Fallo::Dispositivo:
    case Fallo::NoCodificable:
        DecirFallo(error, textos::SalidaIncorrecta, error.ruta);
        return kFallo;
    default: // the input could not be read again, or changed meanwhile
        DecirFallo(error, textos::M1NombreIncorrecto, entrada);
        return kFallo;
    }
}

int Ordenes::Remember(const std::string& caracter, const std::string& sustituto) {
    return Recordar(RespuestaDada(caracter, sustituto));
}

int Ordenes::RememberDelete(const std::string& caracter) {
    return Recordar(BorradoDado(caracter));
}

int Ordenes::Recordar(const Resultado<Fila>& respuesta) {
    if (!respuesta) {
        return Refusar(respuesta.error());
    }
    const Resultado<void> r =
        respuesta->borrar ? m_almacen.GuardarBorrado(textos::SeccionLista, respuesta->clave)
                          : m_almacen.GuardarSolucion(textos::SeccionLista, respuesta->clave,
                                                      respuesta->sustituto);
    if (!r) {
        Error(std::string(textos::AlmacenNoSeGuarda) + Motivo(r.error()));
        return kFallo;
    }
    return kBien;
}

int Ordenes::List() {
    if (!CargarAlmacen()) {
        return kFallo;
    }
    std::string lineas;
    for (const auto& [clave, valor] : m_respuestas.Todas()) {
        // Keys that are neither a byte nor U+XXXX are no character's answer.
        if (CaracterDeClave(clave)) {
            lineas.append(Linea(clave, Columna(valor))).append("\n");
        }
    }
    return Producir(lineas);
}

int Ordenes::Forget(const std::string& caracter) {
    const Resultado<std::string> clave = ClaveDada(caracter);
    if (!clave) {
        return Refusar(clave.error());
    }
    const Resultado<bool> r = m_almacen.OlvidarSolucion(textos::SeccionLista, *clave);
    if (!r) {
        Error(std::string(textos::AlmacenNoSeGuarda) + Motivo(r.error()));
        return kFallo;
    }
    if (!*r) {
        Error(std::string(textos::NoRecordado) + GlifoClave(*clave));
        return kNoEstaba;
    }
    return kBien;
}

} // namespace tildora::cli
