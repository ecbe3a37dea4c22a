#include "core/vistaprevia.h"

#include "core/caracteres.h"
#include "core/interno/composicion.h"
#include "core/interno/escaneo.h"
#include "core/interno/origen.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace tildora {

namespace {

// The rows as the preview composes them: one without an answer takes no
// part, so its character stays as it is (the accept refuses such rows).
std::vector<Fila> FilasConRespuesta(const std::vector<Fila>& filas) {
    std::vector<Fila> activas = filas;
    for (const std::size_t i : FilasSinSolucion(filas)) {
        activas[i].clave.clear(); // no character's row
    }
    return activas;
}

} // namespace

// The walk of the rewrite (the scan's, replacing at each wrong character)
// over one piece, into the piece's text. The scan is kept from piece to
// piece: the characters it has met keep their places in its list, and each
// place's row is looked up once.
struct VistaPrevia::Motor final : Escaneo::Paradas {
    Motor(const Documento& d, const std::vector<Fila>& filas)
        : documento(d), unidades(d.Unicode() ? Unidades::Utf8 : Unidades::Ansi),
          composicion(FilasConRespuesta(filas)) {
        for (const std::size_t i : FilasSinSolucion(filas)) {
            const std::string& clave = filas[i].clave;
            if (d.Unicode()) {
                if (const auto cp = CaracterDeClave(clave)) {
                    sinRespuesta.emplace(*cp, static_cast<std::int32_t>(i));
                }
            } else if (clave.size() == 1) {
                sinRespuesta.emplace(static_cast<unsigned char>(clave[0]),
                                     static_cast<std::int32_t>(i));
            }
        }
        // The forms of the characters the text holds, as the accept gets
        // them ready.
        std::vector<std::int32_t> presentes;
        if (d.origen) {
            for (const Recuento::Primera& p : d.origen->recuento.primeras) {
                presentes.push_back(composicion.Nodo(p.unidad, unidades));
            }
        }
        composicion.Preparar(presentes);
    }

    // What stands in place of the character at `lugar` in the scan's list.
    struct Trato {
        std::int32_t fila = -1; // none: the character is no row's
        bool sinRespuesta = false;
    };
    Trato Resolver(char32_t unidad) const {
        if (const std::int32_t nodo = composicion.Nodo(unidad, unidades); nodo >= 0) {
            return Trato{nodo, false};
        }
        const auto it = sinRespuesta.find(unidad);
        return it == sinRespuesta.end() ? Trato{} : Trato{it->second, true};
    }

    // The first byte of the character that holds or follows `pos`.
    std::size_t Frontera(std::size_t pos) const {
        const std::string& t = documento.texto;
        if (pos == 0 || pos >= t.size()) {
            return std::min(pos, t.size());
        }
        if (pos < documento.marca) {
            return documento.marca;
        }
        while (unidades == Unidades::Utf8 && pos < t.size() &&
               (static_cast<unsigned char>(t[pos]) & 0xC0) == 0x80) {
            ++pos;
        }
        return pos;
    }

    void Pieza(std::size_t desde, std::size_t hasta, PiezaPrevia& pieza);
    bool Parada(std::size_t pos, std::size_t largo, std::uint32_t lugar) override;
    bool Poner(const Trato& d, std::size_t pos, std::size_t largo);

    const Documento& documento;
    Unidades unidades;
    Composicion composicion;
    std::unordered_map<char32_t, std::int32_t> sinRespuesta; // by unit: its row
    std::optional<Escaneo> escaneo;
    std::vector<Trato> tratos; // by place in the scan's list

    // The piece at hand.
    PiezaPrevia* actual = nullptr;
    const char* base = nullptr; // the working copy at the piece's start
    std::size_t inicio = 0;     // where the piece's start is in the working copy
    std::size_t tramo = 0;      // where its bytes not yet copied begin
    bool cortado = false;
    std::size_t puesto = 0; // the bytes the piece's replacements have put in
};

bool VistaPrevia::Motor::Parada(std::size_t pos, std::size_t largo, std::uint32_t lugar) {
    const Recuento& r = escaneo->Resultado();
    while (tratos.size() <= lugar) {
        tratos.push_back(Resolver(r.primeras[tratos.size()].unidad));
    }
    const Trato d = tratos[lugar];
    return d.fila < 0 || Poner(d, pos, largo);
}

bool VistaPrevia::Motor::Poner(const Trato& d, std::size_t pos, std::size_t largo) {
    std::string& texto = actual->texto;
    texto.append(base + tramo, pos - tramo);
    tramo = pos + largo;
    Cambio c;
    c.inicio = texto.size();
    c.origen = inicio + pos;
    c.largoOrigen = largo;
    c.fila = static_cast<std::size_t>(d.fila);
    c.sinRespuesta = d.sinRespuesta;
    if (d.sinRespuesta) {
        texto.append(base + pos, largo);
    } else {
        composicion.Escribir(d.fila, unidades == Unidades::Utf8, [&](const char* x, std::size_t n) {
            const std::size_t queda = kLimitePieza - std::min(kLimitePieza, puesto);
            c.recortado = n > queda;
            texto.append(x, std::min(n, queda));
            puesto += std::min(n, queda);
            return !c.recortado;
        });
    }
    c.fin = texto.size();
    actual->cambios.push_back(c);
    if (c.recortado) {
        cortado = true;
        actual->hasta = inicio + tramo;
        return false;
    }
    return true;
}

void VistaPrevia::Motor::Pieza(std::size_t desde, std::size_t hasta, PiezaPrevia& pieza) {
    const std::string& t = documento.texto;
    hasta = Frontera(hasta);
    desde = Frontera(std::min(desde, hasta));
    pieza.desde = desde;
    pieza.hasta = hasta;
    pieza.texto.clear();
    pieza.cambios.clear();
    // The byte-order mark, which is no character, as it is.
    if (desde < documento.marca && desde < hasta) {
        pieza.texto.assign(t, 0, documento.marca);
        desde = documento.marca;
    }
    if (desde >= hasta) {
        return;
    }
    if (!escaneo || escaneo->Resultado().invalido) {
        escaneo.emplace(unidades);
        tratos.clear();
    }
    actual = &pieza;
    base = t.data() + desde;
    inicio = desde;
    tramo = 0;
    cortado = false;
    puesto = 0;
    // The byte before tells whether an LF at the start ends a CR LF. At the
    // text's start (after the mark) there is none, as for the accept.
    const auto anterior = static_cast<unsigned char>(desde > documento.marca ? t[desde - 1] : 0);
    escaneo->Procesar(reinterpret_cast<const unsigned char*>(base), hasta - desde, anterior, this);
    if (!cortado) {
        // What follows the last change; and in a text that stopped being
        // UTF-8 (which a working copy never does), the rest as it is.
        pieza.texto.append(base + tramo, hasta - desde - tramo);
    }
    actual = nullptr;
}

VistaPrevia::VistaPrevia(const Documento& documento, const std::vector<Fila>& filas)
    : m_motor(std::make_unique<Motor>(documento, filas)) {}
VistaPrevia::~VistaPrevia() = default;
VistaPrevia::VistaPrevia(VistaPrevia&&) noexcept = default;
VistaPrevia& VistaPrevia::operator=(VistaPrevia&&) noexcept = default;

void VistaPrevia::Pieza(std::size_t desde, std::size_t hasta, PiezaPrevia& pieza) const {
    m_motor->Pieza(desde, hasta, pieza);
}

std::size_t PiezaPrevia::EnPrevia(std::size_t origen) const {
    origen = std::clamp(origen, desde, hasta);
    // The last change that begins at or before it.
    const auto it = std::upper_bound(cambios.begin(), cambios.end(), origen,
                                     [](std::size_t o, const Cambio& c) { return o < c.origen; });
    if (it == cambios.begin()) {
        return origen - desde;
    }
    const Cambio& c = *(it - 1);
    const std::size_t tras = c.origen + c.largoOrigen;
    return origen < tras ? c.inicio : c.fin + (origen - tras);
}

std::size_t PiezaPrevia::EnOrigen(std::size_t previa) const {
    previa = std::min(previa, texto.size());
    // The last change that begins at or before it: of a deleted character
    // and the change right after it, the latter.
    const auto it = std::upper_bound(cambios.begin(), cambios.end(), previa,
                                     [](std::size_t p, const Cambio& c) { return p < c.inicio; });
    if (it == cambios.begin()) {
        return desde + previa;
    }
    const Cambio& c = *(it - 1);
    return previa < c.fin ? c.origen : c.origen + c.largoOrigen + (previa - c.fin);
}

} // namespace tildora
