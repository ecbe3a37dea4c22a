// The text view's drawing: the lines in sight, the marks on them and the
// selection, from the working copy or from the preview's piece of those
// lines.

#include "ui/conversion/vistatexto.h"

#include "core/unicode.h"
#include "ui/geometria.h"

#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

namespace tildora {

QColor VistaTexto::ColorMarca(TipoMarca tipo, const QPalette& paleta) {
    return ColorQt(modelo::ColorMarca(tipo, RgbDe(paleta.color(QPalette::Base)),
                                      RgbDe(paleta.color(QPalette::Highlight))));
}

QColor VistaTexto::ColorSubrayadoFalta(const QPalette& paleta) {
    return ColorQt(modelo::ColorSubrayadoFalta(RgbDe(paleta.color(QPalette::Text))));
}

void VistaTexto::MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias) {
    m_modelo.MarcarOcurrencias(std::move(ocurrencias));
    viewport()->update();
}

void VistaTexto::MarcarActual(std::size_t posicion, std::size_t largo) {
    m_modelo.MarcarActual(posicion, largo);
    viewport()->update();
}

void VistaTexto::MostrarPrevia(const VistaPrevia* previa) {
    m_modelo.MostrarPrevia(previa);
    // The lines in sight are measured again as they now show.
    m_modelo.OlvidarEnVista();
    MedirVisibles();
    viewport()->update();
}

void VistaTexto::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const std::size_t primera = PrimeraLineaVisible();
    const std::size_t ultima = UltimaLineaVisible();
    // The corrected text of the lines in sight, worked out at once.
    if (m_modelo.Previa() && primera < ultima) {
        m_modelo.PrepararPieza(primera, ultima);
    }
    for (std::size_t linea = primera; linea < ultima; ++linea) {
        DibujarLinea(p, linea, Margen() + static_cast<int>(linea - primera) * m_altoLinea);
    }
}

VistaTexto::Visible VistaTexto::EnPantalla(const Renglon& r) const {
    return modelo::EnPantalla(r, horizontalScrollBar()->value(), viewport()->width(), Medidor());
}

QRectF VistaTexto::ZonaEn(const Renglon& r, const Visible& v, const modelo::Zona& zona,
                          int y) const {
    // Only the part on screen matters (modelo::ExtensionDe).
    const int h = horizontalScrollBar()->value();
    const modelo::Extension e =
        modelo::ExtensionDe(r, v, zona, h, viewport()->width(), m_avance[' '], Medidor());
    const QRectF z(e.desde - h + Margen(), y, std::max(0.0, e.hasta - e.desde), m_altoLinea);
    return z.intersected(QRectF(viewport()->rect()));
}

void VistaTexto::DibujarLinea(QPainter& p, std::size_t linea, int y) const {
    const QPalette& pal = palette();
    const Renglon r = RenglonDe(linea);
    const Visible v = EnPantalla(r);
    const auto dibujar = [&](const QColor& color) {
        p.setPen(color);
        const double x = v.x0 - horizontalScrollBar()->value() + Margen();
        DibujarTramo(p, r.tira, v.primero, v.ultimo, x, y, color);
    };
    using Clase = modelo::Trazo::Clase;
    for (const modelo::Trazo& t : m_modelo.Trazos(r, PrimeraLineaVisible(), UltimaLineaVisible())) {
        if (t.clase == Clase::Texto) {
            dibujar(pal.color(QPalette::Text));
            continue;
        }
        const QRectF z = ZonaEn(r, v, t.zona, y);
        if (z.isEmpty()) {
            continue;
        }
        switch (t.clase) {
        case Clase::Fondo:
            p.fillRect(z, ColorMarca(t.tipo, pal));
            break;
        case Clase::Subrayado:
            p.fillRect(QRectF(z.left(), z.bottom() - 1, z.width(), 2), ColorSubrayadoFalta(pal));
            break;
        case Clase::Resaltado:
            // The highlight, and the text over it in its colour.
            p.fillRect(z, pal.brush(QPalette::Highlight));
            p.save();
            p.setClipRect(z);
            dibujar(pal.color(QPalette::HighlightedText));
            p.restore();
            break;
        case Clase::Texto:
            break;
        }
    }
}

void VistaTexto::DibujarTramo(QPainter& p, const Tira& t, std::size_t desde, std::size_t hasta,
                              qreal x, int y, const QColor& color) const {
    const bool utf8 = m_modelo.Texto().Utf8();
    const auto enCaja = [this](char32_t cp) { return MedidaDe(cp).caja; };
    const auto propia = [this](unsigned char b) { return m_controles.Propia(b); };
    for (const modelo::Tramo& tramo : m_modelo.Tramos(t, desde, hasta, enCaja, propia)) {
        switch (tramo.clase) {
        case modelo::Tramo::Clase::Glifos: {
            QString glifos;
            const qreal x0 = x;
            for (std::size_t i = tramo.a; i < tramo.b;) {
                const auto b = static_cast<unsigned char>(t.datos[i]);
                double a = 0;
                if (utf8 && b >= 0x80) {
                    char32_t cp = 0;
                    i += modelo::Lineas::Descifrar(t, i, cp);
                    glifos += QString::fromUcs4(&cp, 1);
                    a = MedidaDe(cp).avance;
                } else {
                    glifos += m_glifo[b];
                    a = m_avance[b];
                    ++i;
                }
                x += a;
            }
            p.drawText(QPointF(x0, y + m_ascenso), glifos);
            break;
        }
        case modelo::Tramo::Clase::Control: {
            const auto b = static_cast<unsigned char>(t.datos[tramo.a]);
            m_controles.Dibujar(p, QRectF(x, y, m_avance[b], m_altoLinea), b, color);
            x += m_avance[b];
            break;
        }
        case modelo::Tramo::Clase::Codigo: {
            const double ancho = MedidaDe(tramo.cp).avance;
            m_controles.DibujarEtiqueta(p, QRectF(x, y, ancho, m_altoLinea),
                                        QString::fromStdString(CodigoUnicode(tramo.cp)), ancho,
                                        color);
            x += ancho;
            break;
        }
        case modelo::Tramo::Clase::Suelto:
            p.drawText(QPointF(x, y + m_ascenso), QString::fromUcs4(&tramo.cp, 1));
            x += MedidaDe(tramo.cp).avance;
            break;
        }
    }
}

} // namespace tildora
