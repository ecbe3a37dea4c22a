#include "ui/conversion/pinturacontroles.h"

#include "ui/conversion/celdas.h"

#include "modelos/filas.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace tildora {

PinturaControles::PinturaControles(const QFont& fuente) : m_fuente(fuente) {
    m_fuente.setPointSizeF(std::max(6.0, fuente.pointSizeF() * 0.75));
    m_fuente.setStretch(QFont::Unstretched);
    const QFontMetricsF fm(m_fuente);
    const auto hayGlifo = [&fuente](char32_t u) { return HayGlifo(fuente, u); };
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const std::optional<std::string> nombre = modelo::NombreEnmarcado(c, hayGlifo);
        if (!nombre) {
            continue;
        }
        m_nombre[c] = QString::fromStdString(*nombre);
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

DelegadoCeldas::DelegadoCeldas(RejillaCaracteres* rejilla)
    : QStyledItemDelegate(rejilla), m_rejilla(*rejilla) {}

DelegadoCeldas::Fuente& DelegadoCeldas::Preparar(const QFont& fuente) const {
    Fuente& f = m_fuentes[fuente.key()];
    if (!f.controles) {
        f.fuente = fuente;
        f.controles = std::make_unique<PinturaControles>(fuente);
    }
    return f;
}

std::vector<std::pair<QString, bool>> DelegadoCeldas::Piezas(int fila, int columna,
                                                             Fuente& f) const {
    const std::string bytes = m_rejilla.TextMatrix(fila, columna);
    const auto hayGlifo = [&f](char32_t u) {
        const auto [it, nuevo] = f.glifos.try_emplace(u, false);
        if (nuevo) {
            it->second = HayGlifo(f.fuente, u);
        }
        return it->second;
    };
    const std::vector<modelo::PiezaCelda> piezas =
        columna == 0                ? modelo::PiezasCaracter(bytes, m_rejilla.Unicode(), hayGlifo)
        : m_rejilla.EsBorrado(fila) ? modelo::PiezasBorrado(hayGlifo)
                                    : modelo::PiezasRespuesta(bytes, hayGlifo);
    std::vector<std::pair<QString, bool>> r;
    for (const modelo::PiezaCelda& pieza : piezas) {
        r.emplace_back(QString::fromStdString(pieza.texto), pieza.enmarcado);
    }
    return r;
}

DelegadoCeldas::Detalle::Detalle(const QString& cual, const QFont& base)
    : texto(cual), fuente(base) {
    // Small beside the character, and lighter than it.
    fuente.setPointSizeF(base.pointSizeF() * 0.9);
    ancho = texto.isEmpty() ? 0 : QFontMetricsF(fuente).horizontalAdvance(texto);
}

void DelegadoCeldas::Detalle::Dibujar(QPainter& p, double izquierda, const QRectF& caja,
                                      QColor color, bool elegida) const {
    if (ancho <= 0) {
        return;
    }
    color.setAlphaF(elegida ? 0.85F : 0.65F);
    p.setFont(fuente);
    p.setPen(color);
    p.drawText(QRectF(izquierda, caja.top(), ancho + 1, caja.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, texto);
}

void DelegadoCeldas::paint(QPainter* p, const QStyleOptionViewItem& opcion,
                           const QModelIndex& indice) const {
    const bool erroneo = indice.column() == 0;
    const int fila = indice.row() + 1;
    if (!erroneo && m_rejilla.RespuestaFija(fila)) {
        QStyledItemDelegate::paint(p, opcion, indice);
        return;
    }
    QStyleOptionViewItem o = opcion;
    initStyleOption(&o, indice);
    Fuente& f = Preparar(o.font);
    const std::vector<std::pair<QString, bool>> piezas = Piezas(fila, indice.column(), f);
    // The cell's background, selection and focus as the style draws them.
    o.text.clear();
    const QWidget* w = o.widget;
    QStyle* estilo = w ? w->style() : QApplication::style();
    estilo->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
    const bool elegida = o.state & QStyle::State_Selected;
    const QColor color = elegida ? o.palette.color(QPalette::HighlightedText)
                                 : indice.data(Qt::ForegroundRole).value<QBrush>().color();
    // Centred as a whole, piece after piece; in column 0 beside the row's
    // code and count, when they fit.
    const QFontMetricsF fm(o.font);
    std::vector<double> anchos;
    for (const auto& [texto, enmarcado] : piezas) {
        anchos.push_back(enmarcado ? f.controles->AnchoEtiqueta(texto)
                                   : fm.horizontalAdvance(texto));
    }
    const QRectF caja(o.rect);
    const Detalle detalle(erroneo ? indice.data(kRolDetalle).toString() : QString(),
                          w ? w->font() : o.font);
    const std::vector<double> izquierdas =
        modelo::LugaresCeldaClave(anchos, detalle.ancho, caja.left(), caja.width(), 4);
    p->save();
    p->setClipRect(caja);
    if (izquierdas.back() < caja.right()) {
        detalle.Dibujar(*p, izquierdas.back(), caja, color, elegida);
    }
    for (std::size_t i = 0; i < piezas.size(); ++i) {
        const QRectF sitio(izquierdas[i], caja.top(), anchos[i], caja.height());
        if (piezas[i].second) {
            f.controles->DibujarEtiqueta(*p, sitio, piezas[i].first, anchos[i], color);
        } else {
            p->setFont(o.font);
            p->setPen(color);
            p->drawText(sitio, Qt::AlignCenter | Qt::TextDontClip, piezas[i].first);
        }
    }
    p->restore();
}

} // namespace tildora
