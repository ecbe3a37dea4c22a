#include "modelos/filas.h"

#include "core/caracteres.h"
#include "core/textos.h"
#include "core/unicode.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tildora::modelo {

namespace {

std::string Letra(char32_t cp) {
    std::string r;
    AnadirUtf8(r, cp);
    return r;
}

// A control (0 to 31, 127) as its picture, or its abbreviation framed.
PiezaCelda Control(unsigned char c, const std::function<bool(char32_t)>& hayGlifo) {
    const char32_t dibujo = GlifoDeAnsi(c, true);
    if (hayGlifo(dibujo)) {
        return {Letra(dibujo), false};
    }
    // The abbreviation is the last part of the code's description.
    const std::string descripcion = DescripcionClave(std::string(1, static_cast<char>(c)), false);
    constexpr std::string_view kSeparador = " \u00b7 ";
    const std::size_t donde = descripcion.rfind(kSeparador);
    return {donde == std::string::npos ? descripcion
                                       : descripcion.substr(donde + kSeparador.size()),
            true};
}

// Any other character: itself, or its code framed when it would show
// nothing, or nothing telling.
PiezaCelda Caracter(char32_t cp, const std::function<bool(char32_t)>& hayGlifo) {
    if (cp < 0x20 || cp == 0x7F) {
        return Control(static_cast<unsigned char>(cp), hayGlifo);
    }
    if (EsInvisible(cp) || !hayGlifo(cp)) {
        return {CodigoUnicode(cp), true};
    }
    return {Letra(cp), false};
}

} // namespace

std::vector<double> IzquierdasCentradas(const std::vector<double>& anchos, double centro) {
    double total = 0;
    for (const double ancho : anchos) {
        total += ancho;
    }
    std::vector<double> izquierdas;
    double x = centro - total / 2;
    for (const double ancho : anchos) {
        izquierdas.push_back(x);
        x += ancho;
    }
    return izquierdas;
}

std::string DetalleFila(const Hallazgo& hallazgo) {
    return CodigoClave(hallazgo.clave) + " \u00d7" + std::to_string(hallazgo.cuenta);
}

std::vector<double> LugaresCeldaClave(const std::vector<double>& anchos, double anchoDetalle,
                                      double izquierda, double ancho, double margen) {
    double piezas = 0;
    for (const double a : anchos) {
        piezas += a;
    }
    const double derecha = izquierda + ancho;
    const double detalle = derecha - margen - anchoDetalle;
    // The pieces and the detail with a margin round each, or no detail.
    const bool cabe = anchoDetalle > 0 && piezas + anchoDetalle + 3 * margen <= ancho;
    std::vector<double> r =
        IzquierdasCentradas(anchos, cabe ? (izquierda + detalle) / 2 : izquierda + ancho / 2);
    r.push_back(cabe ? detalle : derecha);
    return r;
}

std::optional<std::string> NombreEnmarcado(unsigned char c,
                                           const std::function<bool(char32_t)>& hayGlifo) {
    const bool control = EsControlVisible(c) || c == '\n';
    const char32_t u = UnicodeDeAnsi(c);
    if (control && !hayGlifo(GlifoDeAnsi(c, true))) {
        // The control's name is the last part of its description.
        const std::string descripcion =
            DescripcionClave(std::string(1, static_cast<char>(c)), false);
        constexpr std::string_view kSeparador = " · ";
        const std::size_t corte = descripcion.rfind(kSeparador);
        return corte == std::string::npos ? descripcion
                                          : descripcion.substr(corte + kSeparador.size());
    }
    if (!control && c >= 0x80 && (EsInvisible(u) || !hayGlifo(u))) {
        // Or the view would show nothing, and a search would seem to select
        // nothing at all.
        return CodigoUnicode(u);
    }
    return std::nullopt;
}

std::vector<PiezaCelda> PiezasCaracter(std::string_view clave, bool unicode,
                                       const std::function<bool(char32_t)>& hayGlifo) {
    // A Windows-1252 text's key is its byte; a Unicode text's may be U+XXXX.
    const std::optional<char32_t> cp =
        (unicode || clave.size() == 1) ? CaracterDeClave(clave) : std::optional<char32_t>{};
    if (!cp) {
        return {{std::string(clave), false}};
    }
    return {Caracter(*cp, hayGlifo)};
}

std::vector<PiezaCelda> PiezasRespuesta(std::string_view bytes,
                                        const std::function<bool(char32_t)>& hayGlifo) {
    std::vector<PiezaCelda> piezas;
    const auto poner = [&piezas](PiezaCelda p) {
        if (!p.enmarcado && !piezas.empty() && !piezas.back().enmarcado) {
            piezas.back().texto += p.texto;
        } else {
            piezas.push_back(std::move(p));
        }
    };
    for (const char x : bytes) {
        const auto b = static_cast<unsigned char>(x);
        if (b == ' ' || b == 0xA0) {
            const char32_t marca = b == ' ' ? 0x2423 : 0x237D; // ␣ and ⍽
            poner(hayGlifo(marca) ? PiezaCelda{Letra(marca), false}
                                  : PiezaCelda{b == ' ' ? "SP" : "NBSP", true});
        } else {
            poner(Caracter(UnicodeDeAnsi(b), hayGlifo));
        }
    }
    return piezas;
}

std::vector<PiezaCelda> PiezasBorrado(const std::function<bool(char32_t)>& hayGlifo) {
    std::string marca(textos::BorrarCelda);
    char32_t signo = 0;
    const int largo =
        DecodificarUtf8(reinterpret_cast<const unsigned char*>(marca.data()), marca.size(), signo);
    if (largo > 0 && !hayGlifo(signo)) {
        marca.erase(0, static_cast<std::size_t>(largo));
        marca.erase(0, marca.find_first_not_of(' '));
        marca.erase(marca.find_last_not_of(' ') + 1);
    }
    return {{marca, false}};
}

std::string TextoAccesible(std::string_view bytes) {
    if (bytes.size() == 1) {
        // Controls (C0, DEL and the bytes Windows-1252 leaves undefined),
        // the space, the no-break space and the soft hyphen.
        const char32_t u = UnicodeDeAnsi(static_cast<unsigned char>(bytes[0]));
        if (u <= 0x20 || u == 0x7F || (u >= 0x80 && u <= 0xA0) || u == 0xAD) {
            return DescripcionClave(bytes, false);
        }
    }
    return Utf8Visible(bytes, true);
}

AspectoCelda AspectoClave(std::string_view clave, bool unicode) {
    AspectoCelda a;
    a.texto = ClaveVisible(clave, unicode);
    a.consejo = DescripcionClave(clave, unicode);
    a.accesible = TextoAccesible(clave);
    a.descripcion = a.accesible != a.consejo ? a.consejo : std::string();
    return a;
}

AspectoCelda AspectoRespuesta(std::string_view bytes, bool fija, bool propuesta, bool borrado) {
    AspectoCelda a;
    if (fija) {
        a.texto = textos::SaltoDeLineaCelda;
        a.consejo = textos::SaltoDeLineaTip;
        a.accesible = textos::SaltoDeLineaTip;
        a.color = ColorCelda::Apagado;
        return a;
    }
    a.texto = borrado ? std::string(textos::BorrarCelda) : Utf8DeAnsi(bytes);
    a.accesible = borrado ? std::string(textos::BorrarCelda) : TextoAccesible(bytes);
    if (propuesta) {
        a.cursiva = true;
        a.color = ColorCelda::Propuesta;
        a.consejo = textos::PropuestaTip;
    }
    if (borrado) {
        a.consejo += (a.consejo.empty() ? "" : "\n") + std::string(textos::BorrarTip);
    }
    a.descripcion = a.consejo;
    return a;
}

std::string ConsejoHallazgo(const Hallazgo& hallazgo, bool unicode, std::string_view nombre) {
    std::string r;
    if (!nombre.empty()) {
        r.append(nombre).append("\n");
    }
    r += DescripcionClave(hallazgo.clave, unicode) + "\n";
    r += std::string(textos::TipVeces) + std::to_string(hallazgo.cuenta) + "\n";
    r += std::string(textos::TipPrimera) + std::to_string(hallazgo.primera.linea) + ":" +
         std::to_string(hallazgo.primera.columna);
    return r;
}

namespace {

// Relative luminance as WCAG 2 defines it.
double Luminancia(Rgb c) {
    const auto canal = [](int v) {
        const double x = v / 255.0;
        return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * canal(c.rojo) + 0.7152 * canal(c.verde) + 0.0722 * canal(c.azul);
}

} // namespace

double Contraste(Rgb a, Rgb b) {
    const double la = Luminancia(a);
    const double lb = Luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb ColorPropuesta(Rgb fondo, Rgb enlace) {
    if (Contraste(enlace, fondo) >= 4.5) {
        return enlace;
    }
    const Rgb claro{0x8a, 0xb4, 0xf8};
    const Rgb oscuro{0x1a, 0x4f, 0xbf};
    return Contraste(claro, fondo) > Contraste(oscuro, fondo) ? claro : oscuro;
}

} // namespace tildora::modelo
