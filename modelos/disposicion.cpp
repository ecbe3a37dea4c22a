#include "modelos/disposicion.h"

#include "core/textos.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tildora::modelo {

namespace {

constexpr std::array kControlesEleccion{
    Control{"lblFitxategiakAukeratu", {150, 240, 4845, 465}},
    Control{"LblSeleccionFicheros", {150, 780, 4845, 465}},
    Control{"cmdEntrada", {4170, 1860, 405, 345}},
    Control{"txtEntrada", {480, 1860, 3645, 345}},
    Control{"txtSalida", {480, 2730, 3645, 345}},
    Control{"cmdSalida", {4170, 2730, 405, 345}},
    Control{"CmdActualizar", {1110, 3450, 1300, 800}},
    Control{"CmdSalir", {2790, 3450, 1300, 800}},
    Control{"LblAct", {510, 1530, 3615, 300}},
    Control{"Label1", {510, 2400, 3615, 300}},
};

constexpr std::array kControlesConversion{
    Control{"Label1", {330, 120, 5895, 405}},
    Control{"Label2", {330, 570, 5895, 405}},
    Control{"caracteresFG", {330, 1110, 4155, 3015}},
    Control{"textoFicheroRTB", {300, 4320, 5715, 1245}},
    Control{"CmdBuscar", {4740, 2010, 1300, 800}},
    Control{"CmdAceptar", {1980, 5730, 1300, 800}},
    Control{"CmdCancelar", {3450, 5730, 1300, 800}},
    Control{"LblOcurrencias", {4740, 2880, 1300, 270}},
    Control{"CmdPrevia", {4740, 3240, 1300, 800}},
    Control{"LblTextoMostrado", {300, 5730, 1590, 510}},
    Control{"txtEditor", {1470, 2610, 1545, 225}},
};

constexpr Rgb kMarino{0, 0, 128};
constexpr Rgb kGranate{128, 0, 0};
constexpr Rgb kVerde{0, 128, 0};

constexpr std::array kBotonesEleccion{
    Boton{"cmdEntrada", "carpeta", 16, 16, {}, {}},
    Boton{"cmdSalida", "carpeta", 16, 16, {}, {}},
    Boton{"CmdActualizar", "corregir", 16, 16, textos::CmdActualizar, {}},
    Boton{"CmdSalir", "salir", 16, 16, textos::CmdSalir, {}},
};

constexpr std::array kEtiquetasEleccion{
    Etiqueta{"lblFitxategiakAukeratu", textos::LblFitxategiakAukeratu, kMarino, false},
    Etiqueta{"LblSeleccionFicheros", textos::LblSeleccionFicheros, kMarino, false},
    Etiqueta{"LblAct", textos::LblAct, kGranate, true},
    Etiqueta{"Label1", textos::Label1Salida, kVerde, true},
};

constexpr std::array kBotonesConversion{
    Boton{"CmdBuscar", "buscar", 15, 18, textos::CmdBuscar, textos::CmdBuscarTip},
    Boton{"CmdAceptar", "aceptar", 16, 16, textos::CmdAceptar, {}},
    Boton{"CmdCancelar", "cancelar", 16, 16, textos::CmdCancelar, {}},
    Boton{"CmdPrevia", "previa", 16, 16, textos::CmdPrevia, textos::CmdPreviaTip},
};

constexpr std::array kEtiquetasConversion{
    Etiqueta{"Label1", textos::Label1Conversion, kMarino, false},
    Etiqueta{"Label2", textos::Label2Conversion, kMarino, false},
};

// The entry of `tabla` whose control is `nombre`; null for none.
template <typename T> const T* PorNombre(std::span<const T> tabla, std::string_view nombre) {
    const auto e = std::find_if(tabla.begin(), tabla.end(),
                                [nombre](const T& e) { return e.control == nombre; });
    return e == tabla.end() ? nullptr : &*e;
}

} // namespace

int Px(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPorPixel));
}

std::optional<Rectangulo> Disposicion::Buscar(std::string_view nombre) const {
    const auto c = std::find_if(controles.begin(), controles.end(),
                                [nombre](const Control& c) { return c.nombre == nombre; });
    if (c == controles.end()) {
        return std::nullopt;
    }
    return c->donde;
}

const Boton* Disposicion::BuscarBoton(std::string_view nombre) const {
    return PorNombre(botones, nombre);
}

const Etiqueta* Disposicion::BuscarEtiqueta(std::string_view nombre) const {
    return PorNombre(etiquetas, nombre);
}

const Disposicion& DisposicionEleccion() {
    static const Disposicion disposicion{5160, 4515, kControlesEleccion, kBotonesEleccion,
                                         kEtiquetasEleccion};
    return disposicion;
}

const Disposicion& DisposicionConversion() {
    static const Disposicion disposicion{6555, 6705, kControlesConversion, kBotonesConversion,
                                         kEtiquetasConversion};
    return disposicion;
}

Disposicion DisposicionPropia::Vista() const {
    const Disposicion& d = DisposicionConversion();
    return Disposicion{ancho, alto, controles, d.botones, d.etiquetas};
}

DisposicionPropia DisposicionConversionEn(int ancho, int alto, int anchoRejilla) {
    const Disposicion& d = DisposicionConversion();
    static_assert(std::tuple_size_v<decltype(DisposicionPropia::controles)> ==
                  kControlesConversion.size());
    DisposicionPropia r;
    r.ancho = std::max(ancho, d.ancho);
    r.alto = std::max(alto, d.alto);
    const int masAncho = r.ancho - d.ancho;
    const int masAlto = r.alto - d.alto;
    // The grid's share of the height, in whole rows: the cut row first.
    const int parte = masAlto * 2 / 7;
    const int masRejilla =
        parte < kRestoFilaRejilla
            ? 0
            : kRestoFilaRejilla + (parte - kRestoFilaRejilla) / kAltoFilaRejilla * kAltoFilaRejilla;
    const Rectangulo rejilla = *d.Buscar("caracteresFG");
    const int masAnchoRejilla = std::clamp(anchoRejilla - rejilla.ancho, 0, masAncho);
    for (std::size_t i = 0; i < kControlesConversion.size(); ++i) {
        const std::string_view nombre = kControlesConversion[i].nombre;
        Rectangulo c = kControlesConversion[i].donde;
        if (nombre == "Label1" || nombre == "Label2") {
            c.ancho += masAncho;
        } else if (nombre == "caracteresFG") {
            c.ancho += masAnchoRejilla;
            c.alto += masRejilla;
        } else if (nombre == "CmdBuscar" || nombre == "LblOcurrencias" || nombre == "CmdPrevia") {
            c.izquierda += masAnchoRejilla;
        } else if (nombre == "textoFicheroRTB") {
            c.arriba += masRejilla;
            c.ancho += masAncho;
            c.alto += masAlto - masRejilla;
        } else if (nombre == "LblTextoMostrado") {
            c.arriba += masAlto;
        } else if (nombre == "CmdAceptar" || nombre == "CmdCancelar") {
            c.izquierda += masAncho / 2;
            c.arriba += masAlto;
        }
        r.controles[i] = Control{nombre, c};
    }
    return r;
}

std::span<const Lectura> LecturasEleccion() {
    static constexpr Lectura kLecturas[] = {
        {"lblFitxategiakAukeratu", {}, textos::AccArgibideak},
        {"LblSeleccionFicheros", {}, textos::AccArgibideak},
        {"LblAct", {}, textos::AccIzenburua},
        {"Label1", {}, textos::AccIzenburua},
        {"cmdEntrada", textos::AccEntradaBoton, textos::AccEntradaBotonDesc},
        {"txtEntrada", textos::AccEntradaCaja, textos::AccEntradaCajaDesc},
        {"txtSalida", textos::AccSalidaCaja, textos::AccSalidaCajaDesc},
        {"cmdSalida", textos::AccSalidaBoton, textos::AccSalidaBotonDesc},
        {"CmdActualizar", textos::AccActualizar, textos::AccActualizarDesc},
        {"CmdSalir", textos::AccSalir, textos::AccSalirDesc},
    };
    return kLecturas;
}

std::span<const Lectura> LecturasConversion() {
    // The count and the label of the text shown are read as they show.
    static constexpr Lectura kLecturas[] = {
        {"Label1", {}, textos::AccArgibideak},
        {"Label2", {}, textos::AccArgibideak},
        {"caracteresFG", textos::AccRejilla, textos::AccRejillaDesc},
        {"textoFicheroRTB", textos::AccTexto, textos::AccTextoDesc},
        {"CmdBuscar", textos::AccBuscar, textos::AccBuscarDesc},
        {"CmdAceptar", textos::AccAceptar, textos::AccAceptarDesc},
        {"CmdCancelar", textos::AccCancelar, textos::AccCancelarDesc},
        {"txtEditor", textos::AccEditor, textos::AccEditorDesc},
        {"CmdPrevia", textos::AccPrevia, textos::AccPreviaDesc},
        {"LblOcurrencias", {}, textos::AccOcurrenciasDesc},
        {"LblTextoMostrado", {}, textos::AccTextoMostrado},
    };
    return kLecturas;
}

std::int16_t CoordenadaCentrada(double pantallaTwips, double ventanaTwips) {
    const double diferencia = pantallaTwips - ventanaTwips;
    if (std::isnan(diferencia)) {
        return 0;
    }
    // Whole twips with halves to the even neighbour (the default rounding
    // mode), then halved dropping the remainder, so -5 gives -2, not -3.
    const double mitad = std::trunc(std::nearbyint(diferencia) / 2.0);
    // A screen more than 65535 twips larger (or smaller) than the window
    // would not fit in 16 bits; the position sticks to the nearest end.
    constexpr double minimo = std::numeric_limits<std::int16_t>::min();
    constexpr double maximo = std::numeric_limits<std::int16_t>::max();
    if (mitad < minimo) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (mitad > maximo) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(mitad);
}

} // namespace tildora::modelo
