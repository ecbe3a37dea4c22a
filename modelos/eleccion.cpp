#include "modelos/eleccion.h"

#include "core/reglas.h"
#include "core/unicode.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace tildora::modelo {

namespace {

// Blanks as the dialogs' names drop them: the ASCII controls from tab to
// carriage return, NEL, and every Unicode space, line and paragraph
// separator.
bool EsBlanco(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// A name made absolute against the working folder, with "." and ".." and
// doubled separators taken out by their spelling alone (no link is
// followed); a final separator stays.
std::string Absoluta(const std::string& nombre) {
    std::string ruta;
    if (nombre.empty() || nombre.front() != '/') {
        std::error_code error;
        ruta = std::filesystem::current_path(error).string();
    }
    if (!nombre.empty() && nombre != ".") {
        if (!ruta.empty() && ruta.back() != '/') {
            ruta += '/';
        }
        ruta += nombre;
    }
    if (ruta == "/") {
        return ruta;
    }
    const bool carpeta = !ruta.empty() && ruta.back() == '/';
    std::vector<std::string> partes;
    std::size_t inicio = 0;
    while (inicio <= ruta.size()) {
        const std::size_t fin = std::min(ruta.find('/', inicio), ruta.size());
        const std::string parte = ruta.substr(inicio, fin - inicio);
        if (parte == "..") {
            if (!partes.empty()) {
                partes.pop_back();
            }
        } else if (!parte.empty() && parte != ".") {
            partes.push_back(parte);
        }
        inicio = fin + 1;
    }
    std::string limpia;
    for (const std::string& parte : partes) {
        limpia += '/' + parte;
    }
    if (limpia.empty() || carpeta) {
        limpia += '/';
    }
    return limpia;
}

// The folder part of an absolute name ("/" for a name right under it).
std::string CarpetaDe(const std::string& absoluta) {
    const std::size_t barra = absoluta.rfind('/');
    return barra == 0 || barra == std::string::npos ? std::string("/") : absoluta.substr(0, barra);
}

// The last part of a name, after its last separator.
std::string NombreDe(const std::string& nombre) {
    const std::size_t barra = nombre.rfind('/');
    return barra == std::string::npos ? nombre : nombre.substr(barra + 1);
}

std::string Unir(const std::string& carpeta, const std::string& nombre) {
    return carpeta.back() == '/' ? carpeta + nombre : carpeta + '/' + nombre;
}

// Whether the name leads to a file: not a folder, a pipe or a device.
bool EsFichero(const std::string& nombre) {
    const Hay hay = QueHay(nombre);
    return hay.codigo == 0 && !hay.carpeta && !hay.tuberia && !hay.dispositivo;
}

} // namespace

std::string_view TextoNombresRechazados(Fallo fallo) {
    return fallo == Fallo::NombreVacio      ? textos::M1NombreIncorrecto
           : fallo == Fallo::NombresIguales ? textos::M2NombresIguales
                                            : textos::SalidaIncorrecta;
}

bool SoltarLlena(std::size_t direcciones, bool primeraLocal) {
    return direcciones == 1 && primeraLocal;
}

std::string SinBlancos(std::string_view nombre) {
    const auto* p = reinterpret_cast<const unsigned char*>(nombre.data());
    std::size_t desde = nombre.size();
    std::size_t hasta = 0;
    for (std::size_t i = 0; i < nombre.size();) {
        char32_t c = 0;
        const int largo = DecodificarUtf8(p + i, nombre.size() - i, c);
        // A byte that is not UTF-8 is no blank.
        const std::size_t paso = largo > 0 ? static_cast<std::size_t>(largo) : 1;
        if (largo <= 0 || !EsBlanco(c)) {
            desde = std::min(desde, i);
            hasta = i + paso;
        }
        i += paso;
    }
    return desde < hasta ? std::string(nombre.substr(desde, hasta - desde)) : std::string();
}

Eleccion::Eleccion(Estado& estado, Dialogos& dialogos, std::string documentos, std::string casa)
    : m_estado(estado), m_dialogos(dialogos), m_documentos(std::move(documentos)),
      m_casa(std::move(casa)) {}

std::string Eleccion::Lejos() const {
    if (!m_estado.UltimoElegido.empty()) {
        const std::string carpeta = CarpetaDe(Absoluta(m_estado.UltimoElegido));
        if (QueHay(carpeta).carpeta) {
            return carpeta;
        }
    }
    return !m_documentos.empty() && QueHay(m_documentos).carpeta ? m_documentos : m_casa;
}

std::optional<std::string> Eleccion::Elegido(std::string nombre, std::string& destino) {
    if (nombre.empty()) {
        return std::nullopt;
    }
    m_estado.UltimoElegido = nombre;
    destino = nombre;
    return nombre;
}

std::optional<std::string> Eleccion::ElegirEntrada(const std::string& entrada) {
    const std::string nombre = SinBlancos(entrada);
    std::string inicio;
    if (!nombre.empty() && EsFichero(nombre)) {
        inicio = Absoluta(nombre);
    } else if (!nombre.empty() && QueHay(CarpetaDe(Absoluta(nombre))).carpeta) {
        inicio = CarpetaDe(Absoluta(nombre));
    } else {
        inicio = Lejos();
    }
    return Elegido(m_dialogos.AbrirFichero(inicio), m_estado.FicheroEntrada);
}

std::optional<std::string> Eleccion::ElegirSalida(const std::string& entrada,
                                                  const std::string& salida) {
    const std::string nombreSalida = SinBlancos(salida);
    const std::string nombreEntrada = SinBlancos(entrada);
    std::string propuesta;
    if (!nombreSalida.empty()) {
        propuesta = Absoluta(nombreSalida);
    } else if (!nombreEntrada.empty()) {
        const std::string nombre = NombreDe(nombreEntrada);
        const std::size_t punto = nombre.rfind('.');
        const std::string marca = ".tildora";
        const bool sinBase = punto == 0 || punto == std::string::npos;
        const bool sinExtension = punto == std::string::npos || punto + 1 == nombre.size();
        propuesta =
            Unir(CarpetaDe(Absoluta(nombreEntrada)),
                 sinBase || sinExtension ? nombre + marca
                                         : nombre.substr(0, punto) + marca + nombre.substr(punto));
    } else {
        propuesta = Lejos();
    }
    return Elegido(m_dialogos.GuardarFichero(propuesta), m_estado.FicheroSalida);
}

Eleccion::Siguiente Eleccion::Actualizar(const std::string& entrada, const std::string& salida) {
    m_estado.FicheroEntrada = RecortarEspacios(entrada);
    m_estado.FicheroSalida = RecortarEspacios(salida);
    const std::string& nombreSalida = m_estado.FicheroSalida;

    if (const Resultado<void> r =
            ComprobarNombres(m_estado.FicheroEntrada, nombreSalida, m_estado.RutaAlmacen);
        !r) {
        m_dialogos.Mensaje(std::string(TextoNombresRechazados(r.fallo())), false);
        return Siguiente::Quedarse;
    }
    if (const Resultado<void> r = SalidaEscribible(nombreSalida); !r) {
        m_dialogos.Mensaje(std::string(textos::SalidaIncorrecta) + "\n" + Motivo(r.error()), false);
        return Siguiente::Quedarse;
    }
    // A file that is there gets the question, a hidden one too: it would be
    // replaced as well.
    const Hay hay = QueHay(nombreSalida);
    m_estado.ReemplazarSalida =
        ExisteFicheroOrdinario(nombreSalida) || (hay.existe && hay.codigo == 0 && !hay.carpeta);
    if (m_estado.ReemplazarSalida &&
        m_dialogos.Preguntar(std::string(textos::M3SobreEscribir), Dialogos::Respuesta::Cancelar) ==
            Dialogos::Respuesta::Cancelar) {
        return Siguiente::Quedarse;
    }
    return Escanear();
}

Eleccion::Siguiente Eleccion::Escanear() {
    // What the scan has to say is said once it is over.
    AvisadorDiferido avisador;
    Progreso progreso;
    bool hayErrores = false;
    m_dialogos.Ejecutar(kLectura, progreso, [&] {
        hayErrores = BuscarErrores(m_estado, m_estado.FicheroEntrada, avisador, &progreso);
    });
    if (progreso.Cancelado()) {
        // Back where the user was: the names stay, nothing is kept.
        m_estado.documento = Documento{};
        m_estado.ErrorLectura = false;
        return Siguiente::Quedarse;
    }
    avisador.Decir(m_dialogos);
    if (hayErrores) {
        return Siguiente::Conversion;
    }
    if (m_estado.ErrorLectura) {
        // The scan has already told the user.
        m_estado.ErrorLectura = false;
        return Siguiente::Quedarse;
    }
    m_dialogos.Mensaje(std::string(textos::M4SinErrores), false);
    return Siguiente::Quedarse;
}

} // namespace tildora::modelo
