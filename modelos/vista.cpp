#include "modelos/vista.h"

#include <algorithm>

namespace tildora::modelo {

namespace {

Rgb Mezcla(Rgb fondo, Rgb tinta, double parte) {
    const auto canal = [parte](int a, int b) {
        return static_cast<int>(a * (1.0 - parte) + b * parte + 0.5);
    };
    return Rgb{canal(fondo.rojo, tinta.rojo), canal(fondo.verde, tinta.verde),
               canal(fondo.azul, tinta.azul)};
}

constexpr Rgb kVerde{0x2e, 0xa0, 0x43};
constexpr Rgb kRojo{0xe0, 0x30, 0x20};

} // namespace

Rgb ColorMarca(TipoMarca tipo, Rgb fondo, Rgb resalte) {
    switch (tipo) {
    case TipoMarca::Ocurrencia:
        return Mezcla(fondo, resalte, 0.4);
    case TipoMarca::Cambio:
        return Mezcla(fondo, kVerde, 0.3);
    case TipoMarca::Falta:
        break;
    }
    return Mezcla(fondo, kRojo, 0.35);
}

Rgb ColorSubrayadoFalta(Rgb texto) {
    return Mezcla(texto, kRojo, 0.6);
}

void Vista::Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8) {
    m_lineas.Cargar(texto, std::move(inicios), utf8);
    m_selInicio = m_selFin = m_ancla = m_lineas.MarcaOrden();
    // Marks and a preview belong to the text they were made for.
    m_ocurrencias.reset();
    m_marcas.hecha = false;
    m_actual = Ocurrencia{npos, 0};
    m_previa = nullptr;
    m_trozo.hecha = false;
}

void Vista::Seleccionar(std::size_t inicio, std::size_t fin) {
    std::tie(m_selInicio, m_selFin) = m_lineas.Caracteres(inicio, fin);
    m_ancla = m_selInicio;
}

void Vista::Pulsar(std::size_t posicion, bool ampliar) {
    if (ampliar) {
        Arrastrar(posicion);
    } else {
        m_ancla = m_selInicio = m_selFin = posicion;
    }
}

void Vista::Arrastrar(std::size_t posicion) {
    m_selInicio = std::min(m_ancla, posicion);
    m_selFin = std::max(m_ancla, posicion);
}

void Vista::MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias) {
    m_ocurrencias = std::move(ocurrencias);
    m_marcas.hecha = false;
}

void Vista::MarcarActual(std::size_t posicion, std::size_t largo) {
    m_actual = Ocurrencia{posicion, largo};
}

bool Vista::OlvidarActual() {
    if (m_actual.posicion == npos) {
        return false;
    }
    m_actual = Ocurrencia{npos, 0};
    return true;
}

const std::vector<Ocurrencia>& Vista::MarcasEnVista(std::size_t primera, std::size_t ultima) const {
    if (!m_marcas.hecha || m_marcas.primera != primera || m_marcas.ultima != ultima) {
        m_marcas.lista.clear();
        if (m_ocurrencias && primera < ultima) {
            m_ocurrencias->EnRango(m_lineas.InicioLinea(primera), m_lineas.FinLinea(ultima - 1),
                                   m_marcas.lista);
        }
        m_marcas.primera = primera;
        m_marcas.ultima = ultima;
        m_marcas.hecha = true;
    }
    return m_marcas.lista;
}

bool Vista::PorMedir(std::size_t desde, std::size_t hasta) {
    if (m_medidas.first == desde && m_medidas.second == hasta) {
        return false;
    }
    m_medidas = {desde, hasta};
    return true;
}

void Vista::MostrarPrevia(const VistaPrevia* previa) {
    m_previa = previa;
    m_trozo.hecha = false;
}

void Vista::PrepararPieza(std::size_t primera, std::size_t ultima) const {
    if (m_trozo.hecha && m_trozo.primera == primera && m_trozo.ultima == ultima) {
        return;
    }
    m_previa->Pieza(m_lineas.InicioLinea(primera), m_lineas.FinLinea(ultima - 1), m_trozo.pieza);
    m_trozo.primera = primera;
    m_trozo.ultima = ultima;
    m_trozo.hecha = true;
}

Renglon Vista::RenglonDe(std::size_t linea, std::size_t primera, std::size_t ultima) const {
    Renglon r;
    r.inicio = m_lineas.InicioLinea(linea);
    r.fin = m_lineas.FinContenido(linea);
    if (!m_previa) {
        r.tira = m_lineas.Copia();
        r.desde = r.inicio;
        r.hasta = r.fin;
        return r;
    }
    if (!m_trozo.hecha || linea < m_trozo.primera || linea >= m_trozo.ultima) {
        if (linea >= primera && linea < ultima) {
            PrepararPieza(primera, ultima);
        } else {
            PrepararPieza(linea, linea + 1);
        }
    }
    const PiezaPrevia& p = m_trozo.pieza;
    r.pieza = &p;
    // The piece of the first line begins with the byte-order mark, if any.
    r.tira = Tira{p.texto, p.desde == 0 ? m_lineas.MarcaOrden() : 0};
    r.desde = std::min(p.EnPrevia(r.inicio), p.texto.size());
    r.hasta = std::clamp(p.EnPrevia(r.fin), r.desde, p.texto.size());
    return r;
}

Zona Vista::EnLinea(const Renglon& r, std::size_t posicion, std::size_t largo) const {
    Zona z;
    z.a = r.Local(posicion);
    z.b = r.Local(posicion + largo);
    // A character of the line (not its break) that shows as nothing: the
    // preview deletes it.
    z.vacia = z.a == z.b && posicion < r.fin;
    z.salto = z.a == r.hasta && !z.vacia;
    return z;
}

void Vista::MarcasDe(const Renglon& r, std::size_t primera, std::size_t ultima,
                     std::vector<Trazo>& trazos) const {
    // A line's own break stands at its content's end; the last line has none.
    const std::size_t total = m_lineas.Texto().size();
    const auto enLinea = [&r, total](std::size_t origen) {
        return origen >= r.inicio && (origen < r.fin || (origen == r.fin && r.fin < total));
    };
    if (r.pieza) {
        const std::vector<Cambio>& cambios = r.pieza->cambios;
        auto it = std::lower_bound(cambios.begin(), cambios.end(), r.inicio,
                                   [](const Cambio& c, std::size_t o) { return c.origen < o; });
        for (; it != cambios.end() && enLinea(it->origen); ++it) {
            Zona z;
            z.a = std::clamp(it->inicio, r.desde, r.hasta);
            z.b = std::clamp(it->fin, r.desde, r.hasta);
            z.vacia = it->inicio == it->fin;
            z.salto = z.a == r.hasta && !z.vacia;
            trazos.push_back(Trazo{Trazo::Clase::Fondo,
                                   it->sinRespuesta ? TipoMarca::Falta : TipoMarca::Cambio, z});
        }
    }
    const std::vector<Ocurrencia>& enVista = MarcasEnVista(primera, ultima);
    auto it = std::lower_bound(enVista.begin(), enVista.end(), r.inicio,
                               [](const Ocurrencia& o, std::size_t p) { return o.posicion < p; });
    for (; it != enVista.end() && enLinea(it->posicion); ++it) {
        trazos.push_back(
            Trazo{Trazo::Clase::Fondo, TipoMarca::Ocurrencia, EnLinea(r, it->posicion, it->largo)});
    }
}

std::vector<Trazo> Vista::Trazos(const Renglon& r, std::size_t primera, std::size_t ultima) const {
    std::vector<Trazo> trazos;
    MarcasDe(r, primera, ultima, trazos);
    const std::size_t marcas = trazos.size();
    trazos.push_back(Trazo{Trazo::Clase::Texto, TipoMarca::Ocurrencia, Zona{}});
    // A character with no answer yet is underlined too: not by colour alone.
    for (std::size_t k = 0; k < marcas; ++k) {
        if (trazos[k].tipo == TipoMarca::Falta) {
            trazos.push_back(Trazo{Trazo::Clase::Subrayado, TipoMarca::Falta, trazos[k].zona});
        }
    }
    // The chosen occurrence: drawn as selected text is, also a line break
    // or, in the corrected text, a character deleted.
    const std::size_t total = m_lineas.Texto().size();
    const std::size_t p = m_actual.posicion;
    if (p != npos && p >= r.inicio && p <= r.fin && !(p == r.fin && r.fin >= total)) {
        trazos.push_back(
            Trazo{Trazo::Clase::Resaltado, TipoMarca::Ocurrencia, EnLinea(r, p, m_actual.largo)});
    }
    if (m_selFin > m_selInicio && m_selInicio <= r.fin && m_selFin > r.inicio) {
        Zona z;
        z.a = r.Local(std::max(m_selInicio, r.inicio));
        z.b = r.Local(std::min(m_selFin, r.fin));
        z.salto = m_selFin > r.fin && r.fin < total;
        trazos.push_back(Trazo{Trazo::Clase::Resaltado, TipoMarca::Ocurrencia, z});
    }
    return trazos;
}

} // namespace tildora::modelo
