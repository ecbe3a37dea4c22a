#include "ui/conversion/pinturacontroles.h"

#include "ui/conversion/celdas.h"

#include "core/caracteres.h"
#include "core/unicode.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>

namespace tildora {

PinturaControles::PinturaControles(const QFont& fuente) : m_fuente(fuente) {
    m_fuente.setPointSizeF(std::max(6.0, fuente.pointSizeF() * 0.75));
    m_fuente.setStretch(QFont::Unstretched);
    const QFontMetricsF fm(m_fuente);
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        // A lone LF has a picture too, in the grid; the view breaks the line.
        const bool control = EsControlVisible(c) || c == '\n';
        const char32_t u = UnicodeDeAnsi(c);
        if (control && !HayGlifo(fuente, GlifoDeAnsi(c, true))) {
            // The control's name is the last part of its description.
            const QString descripcion = QString::fromStdString(
                DescripcionClave(std::string(1, static_cast<char>(c)), false));
            m_nombre[c] = descripcion.section(QStringLiteral(" · "), -1);
        } else if (!control && c >= 0x80 && (EsInvisible(u) || !HayGlifo(fuente, u))) {
            // An undefined byte (a C1 control), a soft hyphen: its code, or
            // the view would show nothing, and a search would seem to select
            // nothing at all.
            m_nombre[c] = QString::fromStdString(CodigoUnicode(u));
        } else {
            continue;
        }
        m_propia[c] = true;
        m_ancho[c] = std::ceil(fm.horizontalAdvance(m_nombre[c])) + 5;
    }
}

void PinturaControles::Dibujar(QPainter& p, const QRectF& caja, unsigned char c,
                               const QColor& color) const {
    DibujarEtiqueta(p, caja, m_nombre[c], m_ancho[c], color);
}

qreal PinturaControles::AnchoEtiqueta(const QString& etiqueta) const {
    return std::ceil(QFontMetricsF(m_fuente).horizontalAdvance(etiqueta)) + 5;
}

void PinturaControles::DibujarEtiqueta(QPainter& p, const QRectF& caja, const QString& etiqueta,
                                       qreal anchoTotal, const QColor& color) const {
    const QFontMetricsF fm(m_fuente);
    const qreal ancho = anchoTotal - 1;
    const qreal alto = std::min(caja.height() - 2, fm.height() + 2);
    const QRectF marco(caja.center().x() - ancho / 2, caja.center().y() - alto / 2, ancho, alto);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(color, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(marco.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.setFont(m_fuente);
    p.drawText(marco, Qt::AlignCenter, etiqueta);
    p.restore();
}

} // namespace tildora
