#include "ui/conversion/celdas.h"

#include "core/nombres.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "modelos/disposicion.h"
#include "modelos/filas.h"
#include "ui/conversion/pinturacontroles.h"
#include "ui/dialogos.h"
#include "ui/geometria.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QSignalBlocker>
#include <QTextLayout>
#include <algorithm>

namespace tildora {

bool HayGlifo(const QFont& fuente, char32_t u) {
    // The font itself, quickly; else the fallbacks, by laying the character
    // out as it would be drawn.
    if (QFontMetrics(fuente).inFontUcs4(u)) {
        return true;
    }
    QTextLayout disposicion(QString::fromUcs4(&u, 1), fuente);
    disposicion.beginLayout();
    disposicion.createLine();
    disposicion.endLayout();
    const QList<QGlyphRun> tiradas = disposicion.glyphRuns();
    for (const QGlyphRun& t : tiradas) {
        for (const quint32 g : t.glyphIndexes()) {
            if (g == 0) {
                return false;
            }
        }
    }
    return !tiradas.isEmpty();
}

QColor ColorPropuesta(const QPalette& paleta) {
    return ColorQt(modelo::ColorPropuesta(RgbDe(paleta.color(QPalette::Base)),
                                          RgbDe(paleta.color(QPalette::Link))));
}

QFont FuenteErroneos(const QFont& base) {
    // 12 points fill a row of 300 twips (20 pixels at 1×) without clipping
    // and give quotes and dashes shapes of their own.
    QFont f = base;
    f.setPointSizeF(std::max(base.pointSizeF(), 12.0));
    return f;
}

namespace {

// A cell as the model says it reads; its font is the caller's.
void Aplicar(QTableWidgetItem& celda, const modelo::AspectoCelda& aspecto) {
    celda.setText(TextoQt(aspecto.texto));
    celda.setToolTip(TextoQt(aspecto.consejo));
    celda.setData(Qt::AccessibleTextRole, TextoQt(aspecto.accesible));
    celda.setData(Qt::AccessibleDescriptionRole, TextoQt(aspecto.descripcion));
    const QPalette& paleta = QApplication::palette();
    switch (aspecto.color) {
    case modelo::ColorCelda::Texto:
        celda.setForeground(paleta.brush(QPalette::Text));
        break;
    case modelo::ColorCelda::Apagado:
        celda.setForeground(paleta.brush(QPalette::Disabled, QPalette::Text));
        break;
    case modelo::ColorCelda::Propuesta:
        celda.setForeground(ColorPropuesta(paleta));
        break;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// The grid

RejillaCaracteres::RejillaCaracteres(QWidget* padre) : QTableWidget(1, 2, padre) {
    setObjectName(QStringLiteral("caracteresFG"));
    verticalHeader()->hide();
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new DelegadoCeldas(this));

    QHeaderView* cabecera = horizontalHeader();
    cabecera->setSectionsClickable(false);
    cabecera->setHighlightSections(false);
    cabecera->setSectionsMovable(false);
    cabecera->setMinimumSectionSize(0);
    cabecera->setSectionResizeMode(QHeaderView::Fixed);
    cabecera->setDefaultAlignment(Qt::AlignCenter);
    cabecera->setFixedHeight(Px(modelo::kAltoFilaRejilla));
    QHeaderView* filas = verticalHeader();
    filas->setMinimumSectionSize(0);
    filas->setSectionResizeMode(QHeaderView::Fixed);
    filas->setDefaultSectionSize(Px(modelo::kAltoFilaRejilla));

    // Cells in the window colours, the area past the last cell grey, light
    // grid lines, black lines between the header cells.
    // A frame in the highlight colour while the grid has the focus.
    setStyleSheet(QStringLiteral(
        "QTableView { gridline-color: rgb(192, 192, 192); background-color: rgb(128, 128, 128);"
        " border: 2px solid palette(mid); }"
        "QTableView:focus { border-color: palette(highlight); }"
        "QHeaderView::section { background-color: palette(button); color: palette(button-text);"
        " border: 0px; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 0px; }"));
}

void RejillaCaracteres::mousePressEvent(QMouseEvent* evento) {
    setAutoScroll(false);
    QTableWidget::mousePressEvent(evento);
    setAutoScroll(true);
}

int RejillaCaracteres::Row() const {
    return currentRow() < 0 ? 0 : currentRow() + 1;
}

int RejillaCaracteres::Col() const {
    return std::max(0, currentColumn());
}

void RejillaCaracteres::SetCeldaActual(int fila, int columna) {
    if (fila <= 0) {
        setCurrentIndex(QModelIndex());
        return;
    }
    setCurrentCell(fila - 1, columna);
}

QTableWidgetItem* RejillaCaracteres::Celda(int fila, int columna) {
    QTableWidgetItem* it = item(fila - 1, columna);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        it->setTextAlignment(m_alineacion[columna]);
        it->setBackground(QApplication::palette().brush(QPalette::Base));
        it->setForeground(QApplication::palette().brush(QPalette::Text));
        setItem(fila - 1, columna, it);
    }
    return it;
}

std::string RejillaCaracteres::TextMatrix(int fila, int columna) const {
    if (fila == 0) {
        const QTableWidgetItem* it = horizontalHeaderItem(columna);
        return it ? it->data(Qt::UserRole).toByteArray().toStdString() : std::string();
    }
    if (!m_modelo || fila >= Rows()) {
        return {};
    }
    const auto i = static_cast<std::size_t>(fila - 1);
    return columna == 0 ? m_modelo->Clave(i) : m_modelo->Texto(i);
}

void RejillaCaracteres::Configurar(const std::string& cabecera0, const std::string& cabecera1) {
    // The header's height and the rows' are set once, when the grid is made;
    // its texts are kept as bytes like every other cell's.
    setRowCount(0);
    const std::string* cabeceras[] = {&cabecera0, &cabecera1};
    for (int columna = 0; columna < 2; ++columna) {
        m_alineacion[columna] = Qt::AlignCenter;
        auto* it = new QTableWidgetItem(QString::fromStdString(Utf8DeAnsi(*cabeceras[columna])));
        it->setData(Qt::UserRole, QByteArray::fromStdString(*cabeceras[columna]));
        setHorizontalHeaderItem(columna, it);
        horizontalHeader()->resizeSection(columna, Px(modelo::kAnchoColumnaRejilla));
    }
}

void RejillaCaracteres::MostrarFilas(const Documento& documento) {
    const int n = m_modelo ? static_cast<int>(m_modelo->NumFilas()) : 0;
    setRowCount(n);
    for (int fila = 1; fila <= n; ++fila) {
        MostrarClave(fila);
        MostrarRespuesta(fila);
        // The tip names the character and says where the scan found it.
        const auto i = static_cast<std::size_t>(fila - 1);
        if (i < documento.hallazgos.size() && documento.hallazgos[i].clave == m_modelo->Clave(i)) {
            const Hallazgo& h = documento.hallazgos[i];
            QTableWidgetItem* celda = item(fila - 1, 0);
            celda->setToolTip(TextoQt(
                modelo::ConsejoHallazgo(h, documento.Unicode(), NombreCaracter(h.caracter))));
            celda->setData(kRolDetalle, TextoQt(modelo::DetalleFila(h)));
        }
    }
}

void RejillaCaracteres::MostrarClave(int fila) {
    QTableWidgetItem* it = Celda(fila, 0);
    it->setFont(FuenteErroneos(font()));
    Aplicar(*it, modelo::AspectoClave(TextMatrix(fila, 0), Unicode()));
}

void RejillaCaracteres::MostrarRespuesta(int fila) {
    const modelo::AspectoCelda aspecto = modelo::AspectoRespuesta(
        TextMatrix(fila, 1), RespuestaFija(fila), Propuesta(fila), EsBorrado(fila));
    QTableWidgetItem* it = Celda(fila, 1);
    if (aspecto.cursiva) {
        QFont f = font();
        f.setItalic(true);
        it->setFont(f);
    } else {
        it->setData(Qt::FontRole, QVariant());
    }
    Aplicar(*it, aspecto);
}

bool RejillaCaracteres::DeFila(int fila,
                               bool (modelo::Conversion::*pregunta)(std::size_t) const) const {
    return m_modelo && fila > 0 && fila < Rows() &&
           (m_modelo->*pregunta)(static_cast<std::size_t>(fila - 1));
}

QMenu* RejillaCaracteres::CrearMenu(int fila, QWidget* padre,
                                    std::function<void(ActoFila)> elegido) const {
    const modelo::MenuDeFila entradas = *m_modelo->Menu(static_cast<std::size_t>(fila - 1));
    auto* menu = new QMenu(padre);
    menu->setObjectName(QStringLiteral("menuFila"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto entrada = [menu, &elegido](const QString& texto, const char* nombre, bool activa,
                                          ActoFila acto) {
        QAction* a = menu->addAction(texto);
        a->setObjectName(QLatin1String(nombre));
        a->setEnabled(activa);
        QObject::connect(a, &QAction::triggered, menu, [elegido, acto] { elegido(acto); });
    };
    // Each entry with the key that does the same on the cell.
    const auto tecla = [](std::string_view texto, Qt::Key k) {
        return TextoQt(texto) + QLatin1Char('\t') +
               QKeySequence(k).toString(QKeySequence::NativeText);
    };
    entrada(tecla(textos::MenuBorrar, Qt::Key_Delete), "accionBorrar", entradas.borrar,
            &modelo::Conversion::DarBorrado);
    entrada(tecla(textos::MenuSinSustituto, Qt::Key_Backspace), "accionSinSustituto",
            entradas.sinSustituto, &modelo::Conversion::QuitarRespuesta);
    // The proposal, to take it back after another answer.
    if (entradas.hayPropuesta) {
        entrada(TextoQt(textos::MenuPropuesta) + QString::fromStdString(entradas.textoPropuesta),
                "accionPropuesta", entradas.propuesta, &modelo::Conversion::TomarPropuesta);
    }
    return menu;
}

modelo::Pulsacion RejillaCaracteres::Pulsacion(const QKeyEvent& tecla) {
    using modelo::TeclaRejilla;
    static constexpr std::pair<int, TeclaRejilla> kTeclas[] = {
        {Qt::Key_Menu, TeclaRejilla::Menu},       {Qt::Key_F10, TeclaRejilla::F10},
        {Qt::Key_Delete, TeclaRejilla::Suprimir}, {Qt::Key_Backspace, TeclaRejilla::Retroceso},
        {Qt::Key_F2, TeclaRejilla::F2},           {Qt::Key_Space, TeclaRejilla::Espacio}};
    modelo::Pulsacion p;
    p.tecla = NombreDeTecla(kTeclas, tecla.key(), p.tecla);
    p.soloMayusculas = tecla.modifiers() == Qt::ShiftModifier;
    p.conControl = tecla.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const auto caracteres = tecla.text().toUcs4();
    p.escribe = !caracteres.isEmpty() && std::all_of(caracteres.begin(), caracteres.end(),
                                                     [](char32_t u) { return QChar::isPrint(u); });
    return p;
}

QRect RejillaCaracteres::RectanguloEnVista(int fila, int columna) const {
    return visualRect(model()->index(fila - 1, columna));
}

QRect RejillaCaracteres::RectanguloCelda(int fila, int columna, const QWidget* destino) const {
    const QRect r = RectanguloEnVista(fila, columna);
    return QRect(viewport()->mapTo(destino, r.topLeft()), r.size());
}

// ---------------------------------------------------------------------------
// The editor over a cell

EditorCelda::EditorCelda(QWidget* padre, modelo::Editor& modelo)
    : QLineEdit(padre), m_modelo(modelo) {
    setObjectName(QStringLiteral("txtEditor"));
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    hide();
    raise();
    m_fuente = font();
    m_paleta = palette();
    connect(this, &QLineEdit::textEdited, this, &EditorCelda::Editado);
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int nueva) {
        m_modelo.CursorMovido(text().toStdU32String(), static_cast<std::size_t>(nueva));
    });
}

void EditorCelda::Mostrar() {
    TextoDelModelo();
    // The delete answer has no text: the editor shows its mark while empty.
    const QFont& f = m_fuente;
    setPlaceholderText(
        m_modelo.MarcaBorrado()
            ? QString::fromStdString(
                  modelo::PiezasBorrado([&f](char32_t u) { return HayGlifo(f, u); }).front().texto)
            : QString());
    Estilo(m_modelo.Propuesta());
}

void EditorCelda::TextoDelModelo() {
    const QSignalBlocker bloqueo(this);
    setText(QString::fromStdU32String(m_modelo.Texto()));
    setCursorPosition(static_cast<int>(m_modelo.Cursor()));
}

void EditorCelda::Editado(const QString& texto) {
    // Typing, pasting or dropping: what the model refuses is undone.
    const bool propuesta = m_modelo.Propuesta();
    if (!m_modelo.Editado(texto.toStdU32String(), static_cast<std::size_t>(cursorPosition()))) {
        TextoDelModelo();
        return;
    }
    if (propuesta && !m_modelo.Propuesta()) {
        Estilo(false);
    }
}

void EditorCelda::Estilo(bool propuesta) {
    QFont f = m_fuente;
    QPalette p = m_paleta;
    if (propuesta) {
        f.setItalic(true);
        p.setColor(QPalette::Text, ColorPropuesta(p));
    }
    setFont(f);
    setPalette(p);
}

void EditorCelda::keyPressEvent(QKeyEvent* evento) {
    using modelo::AccionEditor;
    using modelo::TeclaEditor;
    static constexpr std::pair<int, TeclaEditor> kTeclas[] = {
        {Qt::Key_Return, TeclaEditor::Intro},  {Qt::Key_Enter, TeclaEditor::Intro},
        {Qt::Key_Escape, TeclaEditor::Escape}, {Qt::Key_Delete, TeclaEditor::Suprimir},
        {Qt::Key_Up, TeclaEditor::Arriba},     {Qt::Key_Down, TeclaEditor::Abajo}};
    const TeclaEditor tecla = NombreDeTecla(kTeclas, evento->key(), TeclaEditor::Otra);
    const QString texto = evento->text();
    const bool escribe =
        !texto.isEmpty() && texto.front().isPrint() &&
        !(evento->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const AccionEditor accion = modelo::TeclaEnEditor(m_modelo, tecla, escribe);
    if (accion != AccionEditor::Dejar && accion != AccionEditor::Sustituir) {
        m_acciones.tecla(accion);
        return;
    }
    if (accion == AccionEditor::Sustituir) {
        selectAll();
    }
    QLineEdit::keyPressEvent(evento);
}

void EditorCelda::focusOutEvent(QFocusEvent* evento) {
    // Another window taking the focus (a message box, another program) is no
    // move to another control: the focus comes back to the editor, and
    // whatever the user does next leaves it. Every move to another control,
    // Cancel included, checks it.
    const auto razon = evento->reason();
    if (!m_ocultando && razon != Qt::ActiveWindowFocusReason && razon != Qt::PopupFocusReason) {
        m_acciones.salir();
    }
    QLineEdit::focusOutEvent(evento);
}

void EditorCelda::Ocultar(QWidget* foco) {
    const bool teniaFoco = hasFocus();
    m_ocultando = true;
    hide();
    m_ocultando = false;
    if (teniaFoco) {
        foco->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace tildora
