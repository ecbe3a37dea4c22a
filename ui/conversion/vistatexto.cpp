#include "ui/conversion/vistatexto.h"

#include "ui/conversion/celdas.h"

#include "core/caracteres.h"
#include "core/documento.h"
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

bool EsRuptura(char c) {
    return c == '\r' || c == '\n';
}

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
    m_inicios.push_back(0);
    Medir();
}

void VistaTexto::Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8) {
    // Offsets are held in 32 bits; the scan never reads that much, and a
    // longer text is shown up to that point rather than wrapped around.
    if (texto.size() > std::numeric_limits<std::uint32_t>::max()) {
        texto = texto.substr(0, std::numeric_limits<std::uint32_t>::max());
        inicios.clear();
    }
    m_texto = texto;
    m_utf8 = utf8;
    m_marca = utf8 && m_texto.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    m_selInicio = m_selFin = m_ancla = m_marca;
    if (inicios.empty()) {
        m_inicios.clear();
        m_inicios.push_back(0);
        BuscarInicios(m_texto.data(), m_texto.size(), m_inicios);
    } else {
        m_inicios = std::move(inicios);
    }
    // Marks and a preview belong to the text they were made for.
    m_ocurrencias.reset();
    m_marcas.hecha = false;
    m_actual = Ocurrencia{npos, 0};
    m_previa = nullptr;
    m_trozo.hecha = false;
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
        if (EsRuptura(static_cast<char>(b))) {
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
    // Widths are measured as lines come into sight: the horizontal range
    // grows to the widest line shown so far, so a text of a gigabyte is not
    // measured line by line before it shows.
    m_anchoMaximo = 0;
    m_lineasMedidas = {0, 0};
    AjustarBarras();
    MedirVisibles();
}

void VistaTexto::MedirLineas(std::size_t desde, std::size_t hasta) {
    hasta = std::min(hasta, m_inicios.size());
    double maximo = m_anchoMaximo;
    for (std::size_t linea = desde; linea < hasta; ++linea) {
        const Renglon r = RenglonDe(linea);
        maximo = std::max(maximo, AnchoHasta(r.tira, r.desde, r.hasta));
    }
    if (maximo > m_anchoMaximo) {
        m_anchoMaximo = maximo;
        AjustarBarras();
    }
}

void VistaTexto::MedirVisibles() {
    const std::size_t primera = PrimeraLineaVisible();
    const auto visibles = static_cast<std::size_t>(std::max(1, verticalScrollBar()->pageStep()));
    // The lines just measured are not measured again at every repaint.
    if (m_lineasMedidas.first == primera && m_lineasMedidas.second == primera + visibles + 1) {
        return;
    }
    m_lineasMedidas = {primera, primera + visibles + 1};
    MedirLineas(primera, primera + visibles + 1);
}

void VistaTexto::AjustarBarras() {
    const int visibles = std::max(1, (viewport()->height() - Margen()) / m_altoLinea);
    const std::size_t lineas = m_inicios.size();
    const std::size_t maxLinea = lineas > static_cast<std::size_t>(visibles)
                                     ? lineas - static_cast<std::size_t>(visibles)
                                     : 0;
    verticalScrollBar()->setRange(0, LimitarAInt(static_cast<double>(maxLinea)));
    verticalScrollBar()->setPageStep(visibles);
    const int anchoVisible = viewport()->width() - 2 * Margen();
    horizontalScrollBar()->setRange(0, LimitarAInt(m_anchoMaximo - anchoVisible + 1));
    horizontalScrollBar()->setPageStep(std::max(1, anchoVisible));
}

std::size_t VistaTexto::FinContenido(std::size_t linea) const {
    if (linea + 1 >= m_inicios.size()) {
        return m_texto.size();
    }
    const std::size_t siguiente = m_inicios[linea + 1];
    // The break before the next line is CR LF, a lone CR or a lone LF.
    if (siguiente >= 2 && m_texto[siguiente - 1] == '\n' && m_texto[siguiente - 2] == '\r' &&
        siguiente - 2 >= m_inicios[linea]) {
        return siguiente - 2;
    }
    return siguiente - 1;
}

double VistaTexto::AnchoHasta(const Tira& t, std::size_t inicio, std::size_t posicion) const {
    double x = 0;
    for (std::size_t i = inicio; i < posicion;) {
        double a = 0;
        i = Paso(t, i, a);
        x += a;
    }
    return x;
}

std::size_t VistaTexto::Descifrar(const Tira& t, std::size_t i, char32_t& cp) const {
    if (i < t.marca) {
        cp = 0xFEFF;
        return t.marca - i;
    }
    const int n = DecodificarUtf8(reinterpret_cast<const unsigned char*>(t.datos.data()) + i,
                                  t.datos.size() - i, cp);
    if (n <= 0) {
        // Not UTF-8 here (the scan lets no such text through): the byte
        // alone, shown as the replacement character.
        cp = 0xFFFD;
        return 1;
    }
    return static_cast<std::size_t>(n);
}

std::size_t VistaTexto::PasoUnicode(const Tira& t, std::size_t i, double& avance) const {
    char32_t cp = 0;
    const std::size_t n = Descifrar(t, i, cp);
    avance = i < t.marca ? 0.0 : MedidaDe(cp).avance;
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

std::size_t VistaTexto::InicioCaracter(const Tira& t, std::size_t pos) const {
    if (!m_utf8 || pos >= t.datos.size() || pos == 0) {
        return pos;
    }
    if (pos < t.marca) {
        return 0;
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(t.datos[i]); };
    if ((byte(pos) & 0xC0) != 0x80) {
        return pos; // not a continuation byte
    }
    // Back to the lead byte, if the sequence it starts reaches `pos`.
    for (std::size_t k = 1; k <= 3 && k <= pos; ++k) {
        const unsigned char b = byte(pos - k);
        if ((b & 0xC0) != 0x80) {
            char32_t cp = 0;
            return Descifrar(t, pos - k, cp) > k ? pos - k : pos;
        }
    }
    return pos;
}

std::size_t VistaTexto::FinCaracter(const Tira& t, std::size_t pos) const {
    const std::size_t inicio = InicioCaracter(t, pos);
    if (inicio == pos) {
        return pos;
    }
    double a = 0;
    return Paso(t, inicio, a);
}

std::size_t VistaTexto::LineaDe(std::size_t posicion) const {
    const auto it = std::upper_bound(m_inicios.begin(), m_inicios.end(), posicion);
    return static_cast<std::size_t>(it - m_inicios.begin()) - 1;
}

std::size_t VistaTexto::PrimeraLineaVisible() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

std::size_t VistaTexto::LineasEnVista() const {
    return static_cast<std::size_t>(viewport()->height() / m_altoLinea + 1);
}

std::size_t VistaTexto::UltimaLineaVisible() const {
    return std::min(m_inicios.size(), PrimeraLineaVisible() + LineasEnVista());
}

std::size_t VistaTexto::Buscar(std::string_view bytes, std::size_t desde) const {
    if (bytes.empty() || bytes.find_first_of("\r\n") != std::string_view::npos) {
        return npos;
    }
    // The byte-order mark is no character: a U+FEFF is looked for after it.
    desde = std::max(desde, m_marca);
    const Tira t = Copia();
    while (desde < m_texto.size()) {
        const std::size_t pos = m_texto.find(bytes, desde);
        if (pos == std::string_view::npos) {
            return npos;
        }
        if (!m_utf8 || (InicioCaracter(t, pos) == pos &&
                        FinCaracter(t, pos + bytes.size()) == pos + bytes.size())) {
            return pos;
        }
        desde = pos + 1;
    }
    return npos;
}

void VistaTexto::Seleccionar(std::size_t inicio, std::size_t fin) {
    fin = std::min(fin, m_texto.size());
    inicio = std::min(inicio, fin);
    if (m_utf8) {
        inicio = std::max(InicioCaracter(Copia(), inicio), m_marca);
        fin = std::max(FinCaracter(Copia(), fin), inicio);
    }
    m_selInicio = inicio;
    m_selFin = fin;
    m_ancla = inicio;
    viewport()->update();
}

QRect VistaTexto::RectanguloDe(std::size_t posicion) const {
    const std::size_t linea = LineaDe(posicion);
    const Renglon r = RenglonDe(linea);
    const std::size_t i = r.Local(posicion);
    const double x = AnchoHasta(r.tira, r.desde, i);
    const double ancho = i < r.hasta ? AvanceEn(r.tira, i) : 0.0;
    const long long y =
        (static_cast<long long>(linea) - verticalScrollBar()->value()) * m_altoLinea + Margen();
    const double izquierda = x - horizontalScrollBar()->value() + Margen();
    return QRect(static_cast<int>(std::floor(izquierda)),
                 static_cast<int>(std::clamp<long long>(y, -(1 << 30), 1 << 30)),
                 std::max(1, static_cast<int>(std::ceil(ancho))), m_altoLinea);
}

void VistaTexto::MostrarPosicion(std::size_t posicion) {
    posicion = std::min(posicion, m_texto.size());
    const std::size_t linea = LineaDe(posicion);
    const std::size_t primera = PrimeraLineaVisible();
    const auto visibles = static_cast<std::size_t>(std::max(1, verticalScrollBar()->pageStep()));
    if (linea < primera || linea >= primera + visibles) {
        // Put the line in the middle, so that the lines around it show too.
        const std::size_t arriba = linea > visibles / 2 ? linea - visibles / 2 : 0;
        verticalScrollBar()->setValue(LimitarAInt(static_cast<double>(arriba)));
    }
    MedirLineas(linea, linea + 1);
    const Renglon r = RenglonDe(linea);
    const std::size_t i = r.Local(posicion);
    const double x = AnchoHasta(r.tira, r.desde, i);
    const double ancho = i < r.hasta ? AvanceEn(r.tira, i) : 0.0;
    const int anchoVisible = std::max(1, viewport()->width() - 2 * Margen());
    const int h = horizontalScrollBar()->value();
    if (x < h || x + ancho > h + anchoVisible) {
        horizontalScrollBar()->setValue(LimitarAInt(x - anchoVisible / 3.0));
    }
}

QString VistaTexto::UnicodeDe(const Tira& t, std::size_t desde, std::size_t hasta,
                              bool crAntes) const {
    QString r;
    r.reserve(static_cast<qsizetype>(std::min<std::size_t>(hasta - desde, 1u << 28)));
    for (std::size_t i = desde; i < hasta; ++i) {
        const char c = t.datos[i];
        if (c == '\r') {
            if (i + 1 < hasta && t.datos[i + 1] == '\n') {
                ++i;
            }
            r += QLatin1Char('\n');
        } else if (c == '\n') {
            if (i != desde || !crAntes) {
                r += QLatin1Char('\n');
            }
        } else if (m_utf8 && static_cast<unsigned char>(c) >= 0x80) {
            // The character itself, invisible ones too; never the mark.
            char32_t cp = 0;
            const std::size_t n = Descifrar(t, i, cp);
            if (i >= t.marca) {
                r += QString::fromUcs4(&cp, 1);
            }
            i += n - 1;
        } else {
            r += m_glifo[static_cast<unsigned char>(c)];
        }
    }
    return r;
}

QString VistaTexto::TextoSeleccionado() const {
    if (m_previa) {
        return UnicodePrevia(m_selInicio, m_selFin);
    }
    return UnicodeDe(Copia(), m_selInicio, m_selFin, false);
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
        if (m_selFin > m_selInicio) {
            QApplication::clipboard()->setText(TextoSeleccionado());
        }
        return;
    }
    if (evento->matches(QKeySequence::SelectAll)) {
        Seleccionar(0, m_texto.size());
        OlvidarActual();
        return;
    }
    QScrollBar* v = verticalScrollBar();
    QScrollBar* hb = horizontalScrollBar();
    const bool ctrl = evento->modifiers() & Qt::ControlModifier;
    switch (evento->key()) {
    case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        hb->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        hb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_Home:
        (ctrl ? v : hb)->triggerAction(QAbstractSlider::SliderToMinimum);
        break;
    case Qt::Key_End:
        (ctrl ? v : hb)->triggerAction(QAbstractSlider::SliderToMaximum);
        break;
    default:
        // Enter, Esc and the rest belong to the window.
        evento->ignore();
        return;
    }
    evento->accept();
}

std::size_t VistaTexto::PosicionEn(const QPoint& punto) const {
    const int fila = std::max(0, (punto.y() - Margen())) / m_altoLinea;
    std::size_t linea = PrimeraLineaVisible() + static_cast<std::size_t>(fila);
    if (punto.y() < 0 && linea > 0) {
        --linea;
    }
    linea = std::min(linea, m_inicios.size() - 1);
    const Renglon r = RenglonDe(linea);
    const double objetivo = punto.x() - Margen() + horizontalScrollBar()->value();
    double x = 0;
    std::size_t i = std::min(std::max(r.desde, r.tira.marca), r.hasta);
    while (i < r.hasta) {
        double a = 0;
        const std::size_t siguiente = Paso(r.tira, i, a);
        if (x + a / 2 > objetivo) {
            break;
        }
        x += a;
        i = siguiente;
    }
    return r.Origen(i);
}

void VistaTexto::OlvidarActual() {
    if (m_actual.posicion != npos) {
        m_actual = Ocurrencia{npos, 0};
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
    if (evento->modifiers() & Qt::ShiftModifier) {
        m_selInicio = std::min(m_ancla, p);
        m_selFin = std::max(m_ancla, p);
    } else {
        m_ancla = m_selInicio = m_selFin = p;
    }
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
    const std::size_t p = PosicionEn(punto);
    m_selInicio = std::min(m_ancla, p);
    m_selFin = std::max(m_ancla, p);
    viewport()->update();
}

} // namespace tildora
