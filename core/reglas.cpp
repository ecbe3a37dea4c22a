#include "core/reglas.h"

#include "core/caracteres.h"
#include "core/interno/plataforma.h"
#include "core/unicode.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace tildora {

namespace {

bool MismoFichero(const std::string& a, const std::string& b) {
    sistema::Ficha fa;
    sistema::Ficha fb;
    return sistema::Consultar(a, fa) == 0 && sistema::Consultar(b, fb) == 0 && fa.MismoFichero(fb);
}

// Both names lead to one place: one existing file, or, where the file is not
// there yet, the same path once made absolute and its folders and links that
// exist resolved ("./x", "d/../x", a link to the folder).
bool MismoLugar(const std::string& a, const std::string& b) {
    if (MismoFichero(a, b)) {
        return true;
    }
    std::error_code ea;
    std::error_code eb;
    const std::filesystem::path ra =
        std::filesystem::weakly_canonical(std::filesystem::absolute(sistema::Camino(a), ea), ea);
    const std::filesystem::path rb =
        std::filesystem::weakly_canonical(std::filesystem::absolute(sistema::Camino(b), eb), eb);
    return !ea && !eb && sistema::MismaRuta(ra, rb);
}

// The ordinary file a standard stream is, or a file name leads to.
bool Ordinario(const std::string& nombre, bool estandar, sistema::Archivo (*flujo)(),
               sistema::Ficha& ficha) {
    if (estandar) {
        return flujo().Describir(ficha) == 0 && ficha.Ordinario();
    }
    return sistema::Consultar(nombre, ficha) == 0 && ficha.Ordinario();
}

// '*' matches any run of characters, '?' any one character; everything else
// stands for itself.
bool Coincide(std::string_view patron, std::string_view nombre) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t estrella = std::string_view::npos;
    std::size_t desde = 0;
    while (n < nombre.size()) {
        if (p < patron.size() && (patron[p] == '?' || patron[p] == nombre[n])) {
            ++p;
            ++n;
        } else if (p < patron.size() && patron[p] == '*') {
            estrella = p++;
            desde = n;
        } else if (estrella != std::string_view::npos) {
            p = estrella + 1;
            n = ++desde;
        } else {
            return false;
        }
    }
    while (p < patron.size() && patron[p] == '*') {
        ++p;
    }
    return p == patron.size();
}

bool EsOrdinario(const std::string& ruta) {
    sistema::Ficha f;
    return sistema::Consultar(ruta, f) == 0 && f.Ordinario();
}

} // namespace

std::string RecortarEspacios(std::string_view nombre) {
    const std::size_t a = nombre.find_first_not_of(' ');
    if (a == std::string_view::npos) {
        return {};
    }
    const std::size_t b = nombre.find_last_not_of(' ');
    return std::string(nombre.substr(a, b - a + 1));
}

Resultado<void> ComprobarNombres(const std::string& entrada, const std::string& salida,
                                 const std::string& almacen, bool estandar) {
    if (entrada.empty() || salida.empty()) {
        return Falla(Fallo::NombreVacio);
    }
    const bool deEntrada = estandar && entrada == "-";
    const bool aSalida = estandar && salida == "-";
    // "-" is no file name: "fix - -" is a filter.
    if (!deEntrada && !aSalida && (entrada == salida || MismoFichero(entrada, salida))) {
        return Falla(Fallo::NombresIguales);
    }
    if (!aSalida && !almacen.empty() && MismoLugar(salida, almacen)) {
        return Falla(Fallo::SalidaEsAlmacen);
    }
    if (deEntrada || aSalida) {
        // A standard stream may be the other file itself (`< a.txt`,
        // `>> a.txt`), or the store: writing would destroy what is read.
        sistema::Ficha a;
        sistema::Ficha b;
        sistema::Ficha s;
        const bool hayB = Ordinario(salida, aSalida, &sistema::Archivo::SalidaEstandar, b);
        if (Ordinario(entrada, deEntrada, &sistema::Archivo::EntradaEstandar, a) && hayB &&
            a.MismoFichero(b)) {
            return Falla(Fallo::NombresIguales);
        }
        if (aSalida && hayB && sistema::Consultar(almacen, s) == 0 && s.MismoFichero(b)) {
            return Falla(Fallo::SalidaEsAlmacen);
        }
    }
    return {};
}

Hay QueHay(const std::string& ruta) {
    Hay hay;
    sistema::Ficha f;
    hay.existe = sistema::Consultar(ruta, f, false) == 0;
    hay.codigo = sistema::Consultar(ruta, f);
    hay.carpeta = hay.codigo == 0 && f.tipo == sistema::Ficha::Tipo::Carpeta;
    hay.tuberia = hay.codigo == 0 && f.tipo == sistema::Ficha::Tipo::Tuberia;
    hay.dispositivo = hay.codigo == 0 && f.tipo == sistema::Ficha::Tipo::Dispositivo;
    return hay;
}

std::optional<int> DescriptorNombrado(const std::string& salida) {
    const int descriptor = sistema::DescriptorDeNombre(salida);
    return descriptor >= 0 ? std::optional(descriptor) : std::nullopt;
}

int SalidaEstandarHacia(int descriptor) {
    return sistema::SalidaEstandarHacia(descriptor);
}

Resultado<void> SalidaEscribible(const std::string& salida) {
    const auto fallo = [&salida](int codigo) { return Falla(Fallo::Escritura, codigo, salida); };
    const Hay hay = QueHay(salida);
    if (hay.carpeta) {
        return fallo(EISDIR);
    }
    if (hay.tuberia || hay.dispositivo) {
        return Falla(hay.tuberia ? Fallo::Tuberia : Fallo::Dispositivo, 0, salida);
    }
    const std::size_t barra = salida.rfind('/');
    const std::string carpeta = barra == std::string::npos ? std::string(".")
                                : barra == 0               ? std::string("/")
                                                           : salida.substr(0, barra);
    sistema::Ficha ficha;
    if (const int codigo = sistema::Consultar(carpeta, ficha); codigo != 0) {
        return fallo(codigo);
    }
    if (ficha.tipo != sistema::Ficha::Tipo::Carpeta) {
        return fallo(ENOTDIR);
    }
    // Why not is what writing would meet there: on a read-only file system
    // that, whatever the folder's permissions.
    errno = 0;
    if (!sistema::SePuedeEscribir(carpeta)) {
        return fallo(errno != 0 ? errno : EACCES);
    }
    return {};
}

bool ExisteFicheroOrdinario(const std::string& nombre) {
    if (nombre.empty()) {
        return false;
    }
    const std::string carpeta = sistema::CarpetaDe(nombre);
    const std::string_view resto = std::string_view(nombre).substr(carpeta.size());
    // A folder name finds its first ordinary file.
    const std::string patron = resto.empty() ? std::string("*") : std::string(resto);
    if (patron.find_first_of("*?") == std::string::npos) {
        return patron[0] != '.' && EsOrdinario(nombre);
    }
    bool hallado = false;
    sistema::ListarCarpeta(carpeta, [&](const std::string& n) {
        // Hidden files (and "." and "..") are never found.
        hallado = !n.empty() && n[0] != '.' && Coincide(patron, n) && EsOrdinario(carpeta + n);
        return !hallado;
    });
    return hallado;
}

Resultado<std::string> ClaveDada(const std::string& texto) {
    if (texto.size() == 4 && texto[0] == '\\' && (texto[1] == 'x' || texto[1] == 'X')) {
        if (const auto byte = ByteHex(texto[2], texto[3])) {
            return std::string(1, static_cast<char>(*byte));
        }
    }
    if (texto.size() >= 6 && texto.size() <= 8 && (texto[0] == 'U' || texto[0] == 'u') &&
        texto[1] == '+' &&
        std::all_of(texto.begin() + 2, texto.end(), [](char c) { return ValorHex(c) >= 0; })) {
        std::uint32_t cp = 0;
        for (const char c : texto.substr(2)) {
            cp = cp * 16 + static_cast<std::uint32_t>(ValorHex(c));
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return Falla(Fallo::CodigoSinCaracter, 0, texto);
        }
        // A character Windows-1252 has is keyed by its byte however it is
        // written.
        return ClaveDeCaracter(cp);
    }
    const auto* p = reinterpret_cast<const unsigned char*>(texto.data());
    char32_t cp = 0;
    if (!texto.empty() && DecodificarUtf8(p, texto.size(), cp) == static_cast<int>(texto.size())) {
        return ClaveDeCaracter(cp);
    }
    return Falla(!EsUtf8Valido(texto) ? Fallo::NoUtf8
                 : AnsiDeUtf8(texto)  ? Fallo::NoEsUnCaracter
                                      : Fallo::NoWindows,
                 0, texto);
}

namespace {

// The key of a character that may be given an answer: a wrong one, and no
// CR (a line break, never a character).
Resultado<std::string> ClaveErronea(const std::string& caracter) {
    Resultado<std::string> clave = ClaveDada(caracter);
    if (!clave) {
        return clave.error();
    }
    // A character outside Windows-1252 is never allowed.
    const bool byte = clave->size() == 1;
    const auto c = static_cast<unsigned char>((*clave)[0]);
    if (byte && kCaracteresValidos[c]) {
        return Falla(Fallo::CaracterPermitido, 0, caracter);
    }
    // A CR is never listed; a lone LF is, but its answer is fixed (CR LF).
    if (byte && (c == '\r' || c == '\n')) {
        return Falla(Fallo::CaracterSalto, 0, caracter);
    }
    return clave;
}

} // namespace

Resultado<Fila> BorradoDado(const std::string& caracter) {
    Resultado<std::string> clave = ClaveErronea(caracter);
    if (!clave) {
        return clave.error();
    }
    return Fila{std::move(*clave), {}, true};
}

Resultado<Fila> RespuestaDada(const std::string& caracter, const std::string& sustituto) {
    Resultado<std::string> clave = ClaveErronea(caracter);
    if (!clave) {
        return clave.error();
    }
    const std::optional<std::string> valor = AnsiDeUtf8(sustituto);
    if (!valor) {
        return Falla(EsUtf8Valido(sustituto) ? Fallo::NoWindows : Fallo::NoUtf8, 0, sustituto);
    }
    // A replacement may hold wrong characters, which the rows further down
    // correct; never its own, which no row would. (No replacement, being
    // Windows-1252 text, can hold a character outside Windows-1252.)
    if (clave->size() == 1 && valor->find((*clave)[0]) != std::string::npos) {
        return Falla(Fallo::SustitutoPropio, 0, sustituto);
    }
    if (valor->empty()) {
        return Falla(Fallo::SustitutoVacio, 0, sustituto);
    }
    if (valor->find_first_of("\r\n") != std::string::npos) {
        return Falla(Fallo::SustitutoSalto, 0, sustituto);
    }
    if (valor->size() > kLargoMaximoSustituto) {
        return Falla(Fallo::SustitutoLargo, 0, sustituto);
    }
    return Fila{std::move(*clave), *valor};
}

} // namespace tildora
