// The text view's drawing: the lines in sight, the marks on them and the
// selection, from the working copy or from the preview's piece of those
// lines.

#include "ui/conversion/vistatexto.h"

#include "core/unicode.h"

#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

namespace tildora {

namespace {

QColor Mezcla(const QColor& fondo, const QColor& tinta, double parte) {
    const auto canal = [parte](int a, int b) {
        return static_cast<int>(a * (1.0 - parte) + b * parte + 0.5);
    };
    return QColor(canal(fondo.red(), tinta.red()), canal(fondo.green(), tinta.green()),
                  canal(fondo.blue(), tinta.blue()));
}

const QColor kVerde(0x2e, 0xa0, 0x43);
const QColor kRojo(0xe0, 0x30, 0x20);

} // namespace

QColor VistaTexto::ColorMarca(TipoMarca tipo, const QPalette& paleta) {
    // A tint of the background: dark text on a light one and light text on
    // a dark one keep their contrast.
    const QColor fondo = paleta.color(QPalette::Base);
    switch (tipo) {
    case TipoMarca::Ocurrencia:
        return Mezcla(fondo, paleta.color(QPalette::Highlight), 0.4);
    case TipoMarca::Cambio:
        return Mezcla(fondo, kVerde, 0.3);
    case TipoMarca::Falta:
        break;
    }
    return Mezcla(fondo, kRojo, 0.35);
}

QColor VistaTexto::ColorSubrayadoFalta(const QPalette& paleta) {
    return Mezcla(paleta.color(QPalette::Text), kRojo, 0.6);
}

void VistaTexto::MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias) {
    m_ocurrencias = std::move(ocurrencias);
    m_marcas.hecha = false;
    viewport()->update();
}

void VistaTexto::MarcarActual(std::size_t posicion, std::size_t largo) {
    m_actual = Ocurrencia{posicion, largo};
    viewport()->update();
}

const std::vector<Ocurrencia>& VistaTexto::MarcasEnVista() const {
    const std::size_t primera = PrimeraLineaVisible();
    const std::size_t ultima = UltimaLineaVisible();
    if (!m_marcas.hecha || m_marcas.primera != primera || m_marcas.ultima != ultima) {
        m_marcas.lista.clear();
        if (m_ocurrencias && primera < ultima) {
            const std::size_t hasta =
                ultima < m_inicios.size() ? std::size_t{m_inicios[ultima]} : m_texto.size();
            m_ocurrencias->EnRango(m_inicios[primera], hasta, m_marcas.lista);
        }
        m_marcas.primera = primera;
        m_marcas.ultima = ultima;
        m_marcas.hecha = true;
    }
    return m_marcas.lista;
}

void VistaTexto::MostrarPrevia(const VistaPrevia* previa) {
    m_previa = previa;
    m_trozo.hecha = false;
    // The lines in sight are measured again as they now show.
    m_lineasMedidas = {0, 0};
    MedirVisibles();
    viewport()->update();
}

std::string VistaTexto::BytesDeLinea(std::size_t linea) const {
    const std::size_t inicio = m_inicios[linea];
    const std::size_t siguiente =
        linea + 1 < m_inicios.size() ? std::size_t{m_inicios[linea + 1]} : m_texto.size();
    if (!m_previa) {
        return std::string(m_texto.substr(inicio, siguiente - inicio));
    }
    const Renglon r = RenglonDe(linea);
    const std::size_t a = r.pieza->EnPrevia(inicio);
    return r.pieza->texto.substr(a, r.pieza->EnPrevia(siguiente) - a);
}

std::size_t VistaTexto::Renglon::Local(std::size_t posicion) const {
    return std::clamp(pieza ? pieza->EnPrevia(posicion) : posicion, desde, hasta);
}

std::size_t VistaTexto::Renglon::Origen(std::size_t i) const {
    return pieza ? pieza->EnOrigen(i) : i;
}

void VistaTexto::PrepararPieza(std::size_t primera, std::size_t ultima) const {
    if (m_trozo.hecha && m_trozo.primera == primera && m_trozo.ultima == ultima) {
        return;
    }
    const std::size_t hasta =
        ultima < m_inicios.size() ? std::size_t{m_inicios[ultima]} : m_texto.size();
    m_previa->Pieza(m_inicios[primera], hasta, m_trozo.pieza);
    m_trozo.primera = primera;
    m_trozo.ultima = ultima;
    m_trozo.hecha = true;
}

VistaTexto::Renglon VistaTexto::RenglonDe(std::size_t linea) const {
    Renglon r;
    r.inicio = m_inicios[linea];
    r.fin = FinContenido(linea);
    if (!m_previa) {
        r.tira = Copia();
        r.desde = r.inicio;
        r.hasta = r.fin;
        return r;
    }
    if (!m_trozo.hecha || linea < m_trozo.primera || linea >= m_trozo.ultima) {
        const std::size_t primera = PrimeraLineaVisible();
        const std::size_t ultima = UltimaLineaVisible();
        if (linea >= primera && linea < ultima) {
            PrepararPieza(primera, ultima);
        } else {
            PrepararPieza(linea, linea + 1);
        }
    }
    const PiezaPrevia& p = m_trozo.pieza;
    r.pieza = &p;
    // The piece of the first line begins with the byte-order mark, if any.
    r.tira = Tira{p.texto, p.desde == 0 ? m_marca : 0};
    r.desde = std::min(p.EnPrevia(r.inicio), p.texto.size());
    r.hasta = std::clamp(p.EnPrevia(r.fin), r.desde, p.texto.size());
    return r;
}

VistaTexto::MarcaLinea VistaTexto::EnLinea(const Renglon& r, std::size_t posicion,
                                           std::size_t largo, TipoMarca tipo) const {
    MarcaLinea m;
    m.a = r.Local(posicion);
    m.b = r.Local(posicion + largo);
    m.tipo = tipo;
    // A character of the line (not its break) that shows as nothing: the
    // preview deletes it.
    m.vacia = m.a == m.b && posicion < r.fin;
    return m;
}

std::vector<VistaTexto::MarcaLinea> VistaTexto::MarcasDe(const Renglon& r) const {
    std::vector<MarcaLinea> marcas;
    // A line's own break stands at its content's end; the last line has none.
    const auto enLinea = [&r, this](std::size_t origen) {
        return origen >= r.inicio &&
               (origen < r.fin || (origen == r.fin && r.fin < m_texto.size()));
    };
    if (r.pieza) {
        const std::vector<Cambio>& cambios = r.pieza->cambios;
        auto it = std::lower_bound(cambios.begin(), cambios.end(), r.inicio,
                                   [](const Cambio& c, std::size_t o) { return c.origen < o; });
        for (; it != cambios.end() && enLinea(it->origen); ++it) {
            MarcaLinea m;
            m.a = std::clamp(it->inicio, r.desde, r.hasta);
            m.b = std::clamp(it->fin, r.desde, r.hasta);
            m.tipo = it->sinRespuesta ? TipoMarca::Falta : TipoMarca::Cambio;
            m.vacia = it->inicio == it->fin;
            marcas.push_back(m);
        }
    }
    const std::vector<Ocurrencia>& enVista = MarcasEnVista();
    auto it = std::lower_bound(enVista.begin(), enVista.end(), r.inicio,
                               [](const Ocurrencia& o, std::size_t p) { return o.posicion < p; });
    for (; it != enVista.end() && enLinea(it->posicion); ++it) {
        marcas.push_back(EnLinea(r, it->posicion, it->largo, TipoMarca::Ocurrencia));
    }
    return marcas;
}

std::optional<VistaTexto::MarcaLinea> VistaTexto::ActualEn(const Renglon& r) const {
    const std::size_t p = m_actual.posicion;
    if (p == npos || p < r.inicio || p > r.fin || (p == r.fin && r.fin >= m_texto.size())) {
        return std::nullopt;
    }
    return EnLinea(r, p, m_actual.largo, TipoMarca::Ocurrencia);
}

void VistaTexto::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const std::size_t primera = PrimeraLineaVisible();
    const std::size_t ultima = UltimaLineaVisible();
    // The corrected text of the lines in sight, worked out at once.
    if (m_previa && primera < ultima) {
        PrepararPieza(primera, ultima);
    }
    for (std::size_t linea = primera; linea < ultima; ++linea) {
        DibujarLinea(p, linea, Margen() + static_cast<int>(linea - primera) * m_altoLinea);
    }
}

VistaTexto::Visible VistaTexto::EnPantalla(const Renglon& r) const {
    // Skip what lies left of the view, then take what fits in it.
    const int h = horizontalScrollBar()->value();
    const int anchoVista = viewport()->width();
    std::size_t i = r.desde;
    double x = 0;
    while (i < r.hasta) {
        double a = 0;
        const std::size_t siguiente = Paso(r.tira, i, a);
        if (x + a > h) {
            break;
        }
        x += a;
        i = siguiente;
    }
    Visible v{i, i, x};
    while (i < r.hasta && x - h < anchoVista) {
        double a = 0;
        i = Paso(r.tira, i, a);
        x += a;
    }
    v.ultimo = i;
    return v;
}

void VistaTexto::DibujarLinea(QPainter& p, std::size_t linea, int y) const {
    const QPalette& pal = palette();
    const int h = horizontalScrollBar()->value();
    const int anchoVista = viewport()->width();
    const Renglon r = RenglonDe(linea);
    const Tira& t = r.tira;

    const auto [primero, ultimo, x0] = EnPantalla(r);
    const auto dibujar = [&](const QColor& color) {
        p.setPen(color);
        DibujarTramo(p, t, primero, ultimo, x0 - h + Margen(), y, color);
    };

    // Where a byte of the line is drawn: ends off the left edge stand just
    // left of it, ends off the right edge just right of it, so that only
    // the part on screen matters. A line break takes a blank's width after
    // the line, and a deleted character a thin bar.
    const double fuera = static_cast<double>(h) + anchoVista + 1;
    const auto xDe = [&](std::size_t pos) {
        if (pos < primero) {
            return static_cast<double>(h) - 1;
        }
        return pos > ultimo ? fuera : x0 + AnchoHasta(t, primero, pos);
    };
    const auto zona = [&](std::size_t a, std::size_t b, bool salto, bool vacia) {
        double xa = xDe(a);
        double xb = xDe(b);
        if (vacia) {
            xa -= 1;
            xb = xa + 2;
        } else if (salto) {
            xb += m_avance[' '];
        }
        const QRectF z(xa - h + Margen(), y, std::max(0.0, xb - xa), m_altoLinea);
        return z.intersected(QRectF(viewport()->rect()));
    };
    const auto zonaMarca = [&](const MarcaLinea& m) {
        return zona(m.a, m.b, m.a == r.hasta && !m.vacia, m.vacia);
    };
    // Selected text, and the chosen occurrence: the highlight, and the text
    // over it in its colour.
    const auto resaltar = [&](const QRectF& z) {
        if (z.isEmpty()) {
            return;
        }
        p.fillRect(z, pal.brush(QPalette::Highlight));
        p.save();
        p.setClipRect(z);
        dibujar(pal.color(QPalette::HighlightedText));
        p.restore();
    };

    const std::vector<MarcaLinea> marcas = MarcasDe(r);
    for (const MarcaLinea& m : marcas) {
        if (const QRectF z = zonaMarca(m); !z.isEmpty()) {
            p.fillRect(z, ColorMarca(m.tipo, pal));
        }
    }
    dibujar(pal.color(QPalette::Text));
    // A character with no answer yet is underlined too: not by colour alone.
    for (const MarcaLinea& m : marcas) {
        if (const QRectF z = zonaMarca(m); m.tipo == TipoMarca::Falta && !z.isEmpty()) {
            p.fillRect(QRectF(z.left(), z.bottom() - 1, z.width(), 2), ColorSubrayadoFalta(pal));
        }
    }
    if (const auto actual = ActualEn(r)) {
        resaltar(zonaMarca(*actual));
    }
    if (m_selFin > m_selInicio && m_selInicio <= r.fin && m_selFin > r.inicio) {
        const std::size_t a = r.Local(std::max(m_selInicio, r.inicio));
        const std::size_t b = r.Local(std::min(m_selFin, r.fin));
        resaltar(zona(a, b, m_selFin > r.fin && r.fin < m_texto.size(), false));
    }
}

void VistaTexto::DibujarTramo(QPainter& p, const Tira& t, std::size_t desde, std::size_t hasta,
                              qreal x, int y, const QColor& color) const {
    // Runs of ordinary glyphs go to the font in one call; the controls that
    // the fonts cannot show are drawn between them.
    QString tramo;
    qreal xTramo = x;
    const auto vaciar = [&] {
        if (!tramo.isEmpty()) {
            p.drawText(QPointF(xTramo, y + m_ascenso), tramo);
            tramo.clear();
        }
    };
    for (std::size_t i = desde; i < hasta; ++i) {
        const auto b = static_cast<unsigned char>(t.datos[i]);
        if (m_utf8 && b >= 0x80) {
            char32_t cp = 0;
            const bool marca = i < t.marca; // the byte-order mark shows nothing
            i += Descifrar(t, i, cp) - 1;
            if (marca) {
                continue;
            }
            const Medida m = MedidaDe(cp);
            if (m.caja) {
                vaciar();
                m_controles.DibujarEtiqueta(p, QRectF(x, y, m.avance, m_altoLinea),
                                            QString::fromStdString(CodigoUnicode(cp)), m.avance,
                                            color);
                xTramo = x + m.avance;
            } else if (cp < 0x0590) {
                // Latin, Greek and Cyrillic letters are drawn as they are
                // measured, one after another, like Windows-1252 ones.
                tramo += QString::fromUcs4(&cp, 1);
            } else {
                // Other scripts may join or reorder in a run: each character
                // goes exactly where its width puts it.
                vaciar();
                p.drawText(QPointF(x, y + m_ascenso), QString::fromUcs4(&cp, 1));
                xTramo = x + m.avance;
            }
            x += m.avance;
            continue;
        }
        if (m_controles.Propia(b)) {
            vaciar();
            m_controles.Dibujar(p, QRectF(x, y, m_avance[b], m_altoLinea), b, color);
            x += m_avance[b];
            xTramo = x;
            continue;
        }
        tramo += m_glifo[b];
        x += m_avance[b];
    }
    vaciar();
}

QString VistaTexto::UnicodePrevia(std::size_t desde, std::size_t hasta) const {
    // A piece at a time: never the whole corrected text at once.
    constexpr std::size_t kTrozo = std::size_t{1} << 20;
    QString r;
    PiezaPrevia pieza;
    bool cr = false;
    for (std::size_t a = desde; a < hasta;) {
        m_previa->Pieza(a, std::min(hasta, a + kTrozo), pieza);
        if (pieza.hasta <= a) {
            break;
        }
        r +=
            UnicodeDe(Tira{pieza.texto, pieza.desde == 0 ? m_marca : 0}, 0, pieza.texto.size(), cr);
        cr = !pieza.texto.empty() && pieza.texto.back() == '\r';
        a = pieza.hasta;
    }
    return r;
}

} // namespace tildora
