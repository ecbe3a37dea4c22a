#include "ui/conversion/vistatexto.h"

#include "ui/conversion/celdas.h"

#include "core/caracteres.h"
#include "core/unicode.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tildora {

namespace {

int LimitarAInt(double v) {
    if (v <= 0) {
        return 0;
    }
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(std::ceil(v));
}

} // namespace

VistaTexto::VistaTexto(QWidget* padre) : QAbstractScrollArea(padre) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // A frame in the highlight colour while the view has the focus, as the
    // grid's: where the keys go shows.
    setStyleSheet(
        QStringLiteral("QAbstractScrollArea { border: 2px solid palette(mid); }"
                       "QAbstractScrollArea:focus { border-color: palette(highlight); }"));
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { MedirVisibles(); });
    Medir();
}

void VistaTexto::Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8) {
    m_modelo.Cargar(texto, std::move(inicios), utf8);
    EmpezarMedidas();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void VistaTexto::Medir() {
    // Kerning and ligatures are off so that a run of glyphs is exactly as
    // wide as the sum of its glyphs: positions are then worked out byte by
    // byte from one table, without laying out whole lines.
    QFont f = font();
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferNoShaping);
    if (f != font()) {
        setFont(f); // comes back here through changeEvent
        return;
    }
    const QFontMetricsF fm(f);
    m_controles = PinturaControles(f);
    m_medidas.clear();
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        m_glifo[b] = QChar(static_cast<char16_t>(GlifoDeAnsi(c, false)));
        if (modelo::EsRuptura(c)) {
            m_avance[b] = 0.0;
        } else if (m_controles.Propia(c)) {
            m_avance[b] = m_controles.Ancho(c);
        } else {
            m_avance[b] = fm.horizontalAdvance(m_glifo[b]);
        }
    }
    m_altoLinea = std::max(1, static_cast<int>(std::ceil(fm.lineSpacing())));
    m_ascenso = static_cast<int>(std::ceil(fm.ascent()));
}

void VistaTexto::EmpezarMedidas() {
    m_modelo.OlvidarAnchos();
    AjustarBarras();
    MedirVisibles();
}

void VistaTexto::MedirLineas(std::size_t desde, std::size_t hasta) {
    if (m_modelo.MedirLineas(desde, hasta, PrimeraLineaVisible(), UltimaLineaVisible(),
                             Medidor())) {
        AjustarBarras();
    }
}

void VistaTexto::MedirVisibles() {
    const std::size_t primera = PrimeraLineaVisible();
    const auto visibles = static_cast<std::size_t>(std::max(1, verticalScrollBar()->pageStep()));
    if (m_modelo.PorMedir(primera, primera + visibles + 1)) {
        MedirLineas(primera, primera + visibles + 1);
    }
}

void VistaTexto::AjustarBarras() {
    const int visibles = std::max(1, (viewport()->height() - Margen()) / m_altoLinea);
    const std::size_t lineas = m_modelo.Texto().NumeroLineas();
    const std::size_t maxLinea = lineas > static_cast<std::size_t>(visibles)
                                     ? lineas - static_cast<std::size_t>(visibles)
                                     : 0;
    verticalScrollBar()->setRange(0, LimitarAInt(static_cast<double>(maxLinea)));
    verticalScrollBar()->setPageStep(visibles);
    const int anchoVisible = viewport()->width() - 2 * Margen();
    horizontalScrollBar()->setRange(0, LimitarAInt(m_modelo.AnchoMaximo() - anchoVisible + 1));
    horizontalScrollBar()->setPageStep(std::max(1, anchoVisible));
}

std::size_t VistaTexto::PasoUnicode(const Tira& t, std::size_t i, double& avance) const {
    char32_t cp = 0;
    const std::size_t n = modelo::Lineas::Descifrar(t, i, cp);
    avance = i < t.marcaOrden ? 0.0 : MedidaDe(cp).avance;
    return i + n;
}

VistaTexto::Medida VistaTexto::MedidaDe(char32_t cp) const {
    if (const auto it = m_medidas.find(cp); it != m_medidas.end()) {
        return it->second;
    }
    Medida m;
    if (EsInvisible(cp) || !HayGlifo(font(), cp)) {
        // Nothing, or the same empty box for every such character, would
        // tell the user nothing: its code, framed, tells what it is.
        m.caja = true;
        m.avance = m_controles.AnchoEtiqueta(QString::fromStdString(CodigoUnicode(cp)));
    } else {
        m.avance = QFontMetricsF(font()).horizontalAdvance(QString::fromUcs4(&cp, 1));
    }
    m_medidas.emplace(cp, m);
    return m;
}

std::size_t VistaTexto::PrimeraLineaVisible() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

std::size_t VistaTexto::LineasEnVista() const {
    return static_cast<std::size_t>(viewport()->height() / m_altoLinea + 1);
}

std::size_t VistaTexto::UltimaLineaVisible() const {
    return std::min(m_modelo.Texto().NumeroLineas(), PrimeraLineaVisible() + LineasEnVista());
}

void VistaTexto::Seleccionar(std::size_t inicio, std::size_t fin) {
    m_modelo.Seleccionar(inicio, fin);
    viewport()->update();
}

QRect VistaTexto::RectanguloDe(std::size_t posicion) const {
    const std::size_t linea = m_modelo.Texto().LineaDe(posicion);
    const modelo::Lugar l = modelo::LugarDe(RenglonDe(linea), posicion, Medidor());
    const long long y =
        (static_cast<long long>(linea) - verticalScrollBar()->value()) * m_altoLinea + Margen();
    const double izquierda = l.x - horizontalScrollBar()->value() + Margen();
    return QRect(static_cast<int>(std::floor(izquierda)),
                 static_cast<int>(std::clamp<long long>(y, -(1 << 30), 1 << 30)),
                 std::max(1, static_cast<int>(std::ceil(l.ancho))), m_altoLinea);
}

void VistaTexto::MostrarPosicion(std::size_t posicion) {
    posicion = std::min(posicion, m_modelo.Texto().Texto().size());
    const std::size_t linea = m_modelo.Texto().LineaDe(posicion);
    const std::size_t primera = PrimeraLineaVisible();
    const auto visibles = static_cast<std::size_t>(std::max(1, verticalScrollBar()->pageStep()));
    if (const std::size_t arriba = modelo::PrimeraConLinea(linea, primera, visibles);
        arriba != primera) {
        verticalScrollBar()->setValue(LimitarAInt(static_cast<double>(arriba)));
    }
    MedirLineas(linea, linea + 1);
    const modelo::Lugar l = modelo::LugarDe(RenglonDe(linea), posicion, Medidor());
    const int anchoVisible = std::max(1, viewport()->width() - 2 * Margen());
    if (modelo::FueraDeVista(l, horizontalScrollBar()->value(), anchoVisible)) {
        horizontalScrollBar()->setValue(LimitarAInt(modelo::IzquierdaCon(l, anchoVisible)));
    }
}

QString VistaTexto::TextoSeleccionado() const {
    QString r;
    const std::size_t n = FinSeleccion() - InicioSeleccion();
    r.reserve(static_cast<qsizetype>(std::min<std::size_t>(n, 1u << 28)));
    m_modelo.Seleccionado([this](unsigned char b) { return char32_t{m_glifo[b].unicode()}; },
                          [&r](char32_t c) {
                              if (c < 0x10000) {
                                  r += QChar(static_cast<char16_t>(c));
                              } else {
                                  r += QString::fromUcs4(&c, 1);
                              }
                          });
    return r;
}

void VistaTexto::resizeEvent(QResizeEvent* evento) {
    QAbstractScrollArea::resizeEvent(evento);
    AjustarBarras();
    MedirVisibles();
}

void VistaTexto::changeEvent(QEvent* evento) {
    QAbstractScrollArea::changeEvent(evento);
    if (evento->type() == QEvent::FontChange) {
        Medir();
        EmpezarMedidas();
        viewport()->update();
    }
}

void VistaTexto::keyPressEvent(QKeyEvent* evento) {
    if (evento->matches(QKeySequence::Copy)) {
        if (FinSeleccion() > InicioSeleccion()) {
            QApplication::clipboard()->setText(TextoSeleccionado());
        }
        return;
    }
    if (evento->matches(QKeySequence::SelectAll)) {
        Seleccionar(0, m_modelo.Texto().Texto().size());
        OlvidarActual();
        return;
    }
    // The keys that scroll: which bar, by which step. Home and End go to a
    // line's ends, with Ctrl to the text's first and last lines.
    enum Barra { kVertical, kHorizontal, kSegunCtrl };
    struct Desplazamiento {
        int tecla;
        Barra barra;
        QAbstractSlider::SliderAction accion;
    };
    static constexpr Desplazamiento kTeclas[] = {
        {Qt::Key_Up, kVertical, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, kVertical, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, kVertical, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, kVertical, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Left, kHorizontal, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Right, kHorizontal, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_Home, kSegunCtrl, QAbstractSlider::SliderToMinimum},
        {Qt::Key_End, kSegunCtrl, QAbstractSlider::SliderToMaximum}};
    const auto d = std::find_if(std::begin(kTeclas), std::end(kTeclas),
                                [evento](const auto& t) { return t.tecla == evento->key(); });
    if (d == std::end(kTeclas)) {
        // Enter, Esc and the rest belong to the window.
        evento->ignore();
        return;
    }
    const bool vertical = d->barra == kVertical ||
                          (d->barra == kSegunCtrl && (evento->modifiers() & Qt::ControlModifier));
    (vertical ? verticalScrollBar() : horizontalScrollBar())->triggerAction(d->accion);
    evento->accept();
}

std::size_t VistaTexto::PosicionEn(const QPoint& punto) const {
    const int fila = std::max(0, (punto.y() - Margen())) / m_altoLinea;
    std::size_t linea = PrimeraLineaVisible() + static_cast<std::size_t>(fila);
    if (punto.y() < 0 && linea > 0) {
        --linea;
    }
    linea = std::min(linea, m_modelo.Texto().NumeroLineas() - 1);
    const Renglon r = RenglonDe(linea);
    const double objetivo = punto.x() - Margen() + horizontalScrollBar()->value();
    return modelo::PosicionEn(r, objetivo, Medidor());
}

void VistaTexto::OlvidarActual() {
    if (m_modelo.OlvidarActual()) {
        emit ActualOlvidada();
    }
}

void VistaTexto::mousePressEvent(QMouseEvent* evento) {
    if (evento->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(evento);
        return;
    }
    // The caret goes where the user put it: the search goes on from there.
    OlvidarActual();
    const std::size_t p = PosicionEn(evento->position().toPoint());
    m_modelo.Pulsar(p, evento->modifiers() & Qt::ShiftModifier);
    viewport()->update();
}

void VistaTexto::mouseReleaseEvent(QMouseEvent* evento) {
    evento->accept();
}

void VistaTexto::mouseMoveEvent(QMouseEvent* evento) {
    if (!(evento->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPoint punto = evento->position().toPoint();
    // Dragging past an edge scrolls that way.
    if (punto.y() < 0) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (punto.y() > viewport()->height()) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    if (punto.x() < 0) {
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (punto.x() > viewport()->width()) {
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    m_modelo.Arrastrar(PosicionEn(punto));
    viewport()->update();
}

} // namespace tildora
