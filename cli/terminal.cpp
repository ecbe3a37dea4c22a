#include "cli/terminal.h"

#include "core/caracteres.h"
#include "core/proceso.h"
#include "core/textos.h"
#include "core/unicode.h"

#include <cerrno>

namespace tildora::cli {

namespace {

// Text as the terminal gets it: every control a terminal would act on as
// \xHH, byte by byte: 0 to 31 (a tab too unless `conTabulador`) and 127,
// the C1 controls U+0080 to U+009F in UTF-8 (C2 80 to C2 9F), and a byte
// 0x80 to 0x9F that is no part of a UTF-8 character (a C1 control to a
// terminal that is not UTF-8). With `barra`, a backslash is \\, so that the
// text can be read back exactly.
std::string Escapar(std::string_view texto, bool conTabulador, bool barra) {
    std::string r;
    r.reserve(texto.size());
    const auto* p = reinterpret_cast<const unsigned char*>(texto.data());
    for (std::size_t i = 0; i < texto.size();) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            const bool control = (b < 0x20 && !(conTabulador && b == '\t')) || b == 0x7F;
            r += control ? EscapeHex(b) : barra && b == '\\' ? "\\\\" : std::string(1, char(b));
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int largo = DecodificarUtf8(p + i, texto.size() - i, cp);
        const std::size_t n = largo > 0 ? static_cast<std::size_t>(largo) : 1;
        const bool c1 = largo > 0 ? cp >= 0x80 && cp <= 0x9F : b <= 0x9F;
        for (std::size_t k = 0; k < n; ++k) {
            r += c1 ? EscapeHex(p[i + k]) : std::string(1, char(p[i + k]));
        }
        i += n;
    }
    return r;
}

} // namespace

int Poner(std::string_view texto, bool error) {
    return EscribirEstandar(texto, error);
}

void Error(std::string_view linea) {
    std::string texto(textos::PrefijoMensaje);
    texto.append(Escapar(linea, true, false)).append("\n");
    Poner(texto, true);
}

void SinMemoria() {
    // Built of nothing that needs memory: there may be none.
    Poner(textos::PrefijoMensaje, true);
    Poner(textos::DemasiadoGrande, true);
    Poner("\n", true);
}

void Detalle(std::string_view nombre, std::string_view razon) {
    std::string linea(nombre);
    linea.append(": ").append(razon);
    Error(linea);
}

std::string Motivo(const tildora::Error& error) {
    return error.ruta.empty() ? Razon(error) : error.ruta + ": " + Razon(error);
}

int Uso(std::string_view problema, std::string_view que) {
    std::string linea(problema);
    linea.append(que);
    Error(linea);
    Poner(textos::Uso(), true);
    return kFallo;
}

std::string NombreVisible(std::string_view nombre) {
    return Escapar(nombre, false, true);
}

namespace {

// Errors of the system that say the name is not right: no such folder, not
// one, no permission, too long, a loop of links.
bool DelNombre(int codigo) {
    switch (codigo) {
    case 0:
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case EACCES:
    case EPERM:
    case ENAMETOOLONG:
    case ELOOP:
    case EEXIST:
    case EINVAL:
    case EXDEV:
    case EBUSY:
    case ETXTBSY:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<std::string_view> RazonPrimero(const tildora::Error& error) {
    switch (error.fallo) {
    case Fallo::Grande:
        return textos::DemasiadoGrande;
    case Fallo::Crecimiento:
        return textos::SalidaDemasiadoGrande;
    case Fallo::Copia:
        return textos::CopiaTemporalFallida;
    case Fallo::Cambiado:
        return textos::EntradaCambiada;
    case Fallo::Escritura:
    case Fallo::Lectura:
        break;
    default:
        return std::nullopt;
    }
    switch (error.codigo) {
    case ENOMEM:
        return textos::DemasiadoGrande;
    case ENOSPC:
#ifdef EDQUOT // Windows says a quota is full with ENOSPC
    case EDQUOT:
#endif
        return textos::DiscoLleno;
    case EFBIG:
        return textos::LimiteTamano;
    case EROFS:
        return textos::SoloLectura;
    default:
        // A reading error that is no name's is said as it always was.
        return error.fallo == Fallo::Escritura && !DelNombre(error.codigo)
                   ? std::optional(textos::SalidaNoSeEscribe)
                   : std::nullopt;
    }
}

void DecirFallo(const tildora::Error& error, std::string_view mensaje, std::string_view nombre) {
    const std::optional<std::string_view> razon = RazonPrimero(error);
    if (!razon) {
        Error(mensaje);
        Error(nombre.empty() ? Razon(error) : std::string(nombre) + ": " + Razon(error));
        return;
    }
    Error(*razon);
    // The pipe's copy is the temporary folder's, whichever input it was.
    const std::string_view quien = error.fallo == Fallo::Copia ? error.ruta : nombre;
    if (error.codigo != 0 && error.fallo != Fallo::Crecimiento) {
        Detalle(quien, RazonSistema(error.codigo));
    } else if (!quien.empty()) {
        Error(quien);
    }
}

std::string Glifo(unsigned char c) {
    const char32_t u = UnicodeDeAnsi(c);
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0 && u == c)) {
        return EscapeHex(c);
    }
    if (c == '\\') {
        return "\\\\";
    }
    std::string g;
    AnadirUtf8(g, u);
    return g;
}

std::string Visible(std::string_view bytes) {
    std::string r;
    r.reserve(bytes.size());
    for (const char c : bytes) {
        r += Glifo(static_cast<unsigned char>(c));
    }
    return r;
}

std::string GlifoClave(const std::string& clave) {
    if (clave.size() == 1) {
        return Glifo(static_cast<unsigned char>(clave[0]));
    }
    return CaracterDeClave(clave) ? ClaveVisible(clave, true) : NombreVisible(clave);
}

} // namespace tildora::cli
