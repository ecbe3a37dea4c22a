#include "ui/conversion/frmconversioncaracteres.h"

#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/correccion.h"
#include "core/estado.h"
#include "core/propuestas.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "ui/aplicacion.h"
#include "ui/botones.h"
#include "ui/conversion/busqueda.h"
#include "ui/conversion/celdas.h"
#include "ui/conversion/vistatexto.h"
#include "ui/dialogos.h"
#include "ui/geometria.h"
#include "ui/progreso.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tildora {

namespace {

// What a replacement cell holds besides its bytes (Qt::UserRole): the delete
// answer, and whether its answer is the proposal.
constexpr int kRolBorrar = Qt::UserRole + 1;
constexpr int kRolPropuesta = Qt::UserRole + 2;

// Header texts are kept as bytes like every other cell.
std::string Ansi(std::string_view utf8) {
    return AnsiDeUtf8(utf8).value_or(std::string());
}

// What the editor holds, as Windows-1252 bytes. Only what has a byte can be
// in it: validation refuses a first character without one, and nothing
// longer than one character can be typed.
std::string BytesDeEditor(const QString& texto) {
    std::string r;
    for (const char32_t u : texto.toUcs4()) {
        if (const auto c = AnsiDeUnicode(u)) {
            r += static_cast<char>(*c);
        }
    }
    return r;
}

// A character named in a message: as the grid shows it, and its code.
std::string Nombrado(const std::string& clave, bool unicode) {
    return ClaveVisible(clave, unicode) + " (" + DescripcionClave(clave, unicode) + ")";
}

// What assistive technology reads for a cell: the text as shown, or for a
// lone character that shows nothing a voice would read (a control, a blank,
// a soft hyphen, an undefined byte) its code.
QString TextoAccesible(const std::string& bytes) {
    if (bytes.size() == 1) {
        const auto u = QString::fromStdString(Utf8DeAnsi(bytes)).toUcs4();
        if (u.size() != 1 || !QChar::isPrint(u[0]) || QChar::isSpace(u[0])) {
            return QString::fromStdString(DescripcionClave(bytes, false));
        }
    }
    return QString::fromStdString(Utf8Visible(bytes, true));
}

// Every cell of the grid is drawn from its bytes (see PiezasCaracter and
// PiezasRespuesta): what the font cannot draw shows as a picture or a
// framed code, and a blank answer shows. The lone LF's fixed answer is drawn
// as the text it has.
class DelegadoCeldas : public QStyledItemDelegate {
public:
    explicit DelegadoCeldas(RejillaCaracteres* rejilla)
        : QStyledItemDelegate(rejilla), m_rejilla(*rejilla) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opcion,
               const QModelIndex& indice) const override {
        const bool erroneo = indice.column() == 0;
        if (!erroneo && m_rejilla.RespuestaFija(indice.row() + 1)) {
            QStyledItemDelegate::paint(p, opcion, indice);
            return;
        }
        QStyleOptionViewItem o = opcion;
        initStyleOption(&o, indice);
        Fuente& f = Preparar(o.font);
        const std::string bytes = indice.data(Qt::UserRole).toByteArray().toStdString();
        const auto hayGlifo = [&f](char32_t u) {
            const auto [it, nuevo] = f.glifos.try_emplace(u, false);
            if (nuevo) {
                it->second = HayGlifo(f.fuente, u);
            }
            return it->second;
        };
        const std::vector<Pieza> piezas =
            erroneo ? PiezasCaracter(bytes, m_rejilla.Unicode(), hayGlifo)
            : m_rejilla.Borrar(indice.row() + 1) ? PiezasBorrado(hayGlifo)
                                                 : PiezasRespuesta(bytes, hayGlifo);
        // The cell's background, selection and focus as the style draws them.
        o.text.clear();
        const QWidget* w = o.widget;
        QStyle* estilo = w ? w->style() : QApplication::style();
        estilo->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
        const bool elegida = o.state & QStyle::State_Selected;
        const QColor color = elegida ? o.palette.color(QPalette::HighlightedText)
                                     : indice.data(Qt::ForegroundRole).value<QBrush>().color();
        // Centred as a whole, piece after piece.
        const QFontMetricsF fm(o.font);
        std::vector<qreal> anchos;
        qreal total = 0;
        for (const Pieza& pieza : piezas) {
            anchos.push_back(pieza.enmarcado ? f.controles->AnchoEtiqueta(pieza.texto)
                                             : fm.horizontalAdvance(pieza.texto));
            total += anchos.back();
        }
        const QRectF caja(o.rect);
        qreal x = caja.center().x() - total / 2;
        p->save();
        p->setClipRect(caja);
        for (std::size_t i = 0; i < piezas.size(); ++i) {
            const QRectF sitio(x, caja.top(), anchos[i], caja.height());
            if (piezas[i].enmarcado) {
                f.controles->DibujarEtiqueta(*p, sitio, piezas[i].texto, anchos[i], color);
            } else {
                p->setFont(o.font);
                p->setPen(color);
                p->drawText(sitio, Qt::AlignCenter | Qt::TextDontClip, piezas[i].texto);
            }
            x += anchos[i];
        }
        p->restore();
    }

private:
    // What is worked out once per font (the two columns have one each).
    struct Fuente {
        QFont fuente;
        std::unique_ptr<PinturaControles> controles;
        std::unordered_map<char32_t, bool> glifos;
    };
    Fuente& Preparar(const QFont& fuente) const {
        Fuente& f = m_fuentes[fuente.key()];
        if (!f.controles) {
            f.fuente = fuente;
            f.controles = std::make_unique<PinturaControles>(fuente);
        }
        return f;
    }

    const RejillaCaracteres& m_rejilla;
    mutable std::unordered_map<QString, Fuente> m_fuentes;
};

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
    cabecera->setFixedHeight(Px(300));
    QHeaderView* filas = verticalHeader();
    filas->setMinimumSectionSize(0);
    filas->setSectionResizeMode(QHeaderView::Fixed);
    filas->setDefaultSectionSize(Px(300));

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

void RejillaCaracteres::SetRows(int filas) {
    setRowCount(std::max(0, filas - 1));
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

int RejillaCaracteres::TopRow() const {
    return rowAt(0) + 1;
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
    const QTableWidgetItem* it =
        fila == 0 ? horizontalHeaderItem(columna) : item(fila - 1, columna);
    if (!it) {
        return {};
    }
    return it->data(Qt::UserRole).toByteArray().toStdString();
}

void RejillaCaracteres::SetTextMatrix(int fila, int columna, const std::string& bytes) {
    if (fila < 0 || fila >= Rows() || columna < 0 || columna >= columnCount()) {
        return;
    }
    QTableWidgetItem* it = nullptr;
    if (fila == 0) {
        it = horizontalHeaderItem(columna);
        if (!it) {
            it = new QTableWidgetItem;
            setHorizontalHeaderItem(columna, it);
        }
    } else {
        it = Celda(fila, columna);
    }
    it->setData(Qt::UserRole, QByteArray::fromStdString(bytes));
    // The wrong characters show controls as pictures, with their code as a
    // tip; a replacement shows as the user typed it.
    if (fila > 0 && columna == 0) {
        it->setFont(FuenteErroneos(font()));
        it->setText(QString::fromStdString(ClaveVisible(bytes, m_unicode)));
        it->setToolTip(QString::fromStdString(DescripcionClave(bytes, m_unicode)));
    } else if (fila > 0 && RespuestaFija(fila)) {
        // A lone LF's answer is fixed: shown in words, greyed, never edited.
        it->setText(TextoQt(textos::SaltoDeLineaCelda));
        it->setToolTip(TextoQt(textos::SaltoDeLineaTip));
        it->setForeground(QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
        it->setData(Qt::UserRole, QByteArray::fromStdString(std::string(kSaltoDeLinea)));
        it->setData(Qt::AccessibleTextRole, TextoQt(textos::SaltoDeLineaTip));
        return;
    } else {
        it->setText(QString::fromStdString(Utf8DeAnsi(bytes)));
        if (fila > 0) {
            // An answer given in the window: drawn as any answer is.
            it->setData(kRolBorrar, false);
            it->setData(kRolPropuesta, false);
            it->setData(Qt::FontRole, QVariant());
            it->setForeground(QApplication::palette().brush(QPalette::Text));
            it->setToolTip(QString());
        }
    }
    if (fila > 0) {
        // A screen reader reads the character, or its code when it is one
        // that no voice reads; a wrong character read as itself has its code
        // as the description, as its tip.
        const QString accesible = TextoAccesible(bytes);
        it->setData(Qt::AccessibleTextRole, accesible);
        it->setData(Qt::AccessibleDescriptionRole,
                    columna == 0 && accesible != it->toolTip() ? it->toolTip() : QString());
    }
}

bool RejillaCaracteres::RespuestaFija(int fila) const {
    return fila > 0 && EsSaltoDeLinea(TextMatrix(fila, 0));
}

void RejillaCaracteres::SetRespuesta(int fila, const Fila& respuesta, bool propuesta) {
    SetTextMatrix(fila, 1, respuesta.borrar ? std::string() : respuesta.sustituto);
    if (fila <= 0 || fila >= Rows() || RespuestaFija(fila) || (!respuesta.borrar && !propuesta)) {
        return;
    }
    QTableWidgetItem* it = Celda(fila, 1);
    QStringList consejo;
    if (propuesta) {
        // Italic and in a colour of its own: never taken for an answer
        // remembered or typed.
        QFont f = font();
        f.setItalic(true);
        it->setFont(f);
        it->setForeground(ColorPropuesta(QApplication::palette()));
        it->setData(kRolPropuesta, true);
        consejo.append(TextoQt(textos::PropuestaTip));
    }
    if (respuesta.borrar) {
        it->setData(kRolBorrar, true);
        it->setText(TextoQt(textos::BorrarCelda));
        it->setData(Qt::AccessibleTextRole, TextoQt(textos::BorrarCelda));
        consejo.append(TextoQt(textos::BorrarTip));
    }
    it->setToolTip(consejo.join(QLatin1Char('\n')));
    it->setData(Qt::AccessibleDescriptionRole, it->toolTip());
}

bool RejillaCaracteres::Borrar(int fila) const {
    const QTableWidgetItem* it = fila > 0 ? item(fila - 1, 1) : nullptr;
    return it && it->data(kRolBorrar).toBool();
}

bool RejillaCaracteres::Propuesta(int fila) const {
    const QTableWidgetItem* it = fila > 0 ? item(fila - 1, 1) : nullptr;
    return it && it->data(kRolPropuesta).toBool();
}

void RejillaCaracteres::SetRowHeight(int fila, int twips) {
    if (fila == 0) {
        horizontalHeader()->setFixedHeight(Px(twips));
    } else if (fila < Rows()) {
        verticalHeader()->resizeSection(fila - 1, Px(twips));
    }
}

void RejillaCaracteres::SetColWidth(int columna, int twips) {
    horizontalHeader()->resizeSection(columna, Px(twips));
}

void RejillaCaracteres::SetColAlignmentCentrado(int columna) {
    m_alineacion[columna] = Qt::AlignCenter;
    for (int f = 0; f < rowCount(); ++f) {
        if (QTableWidgetItem* it = item(f, columna)) {
            it->setTextAlignment(Qt::AlignCenter);
        }
    }
}

QRect RejillaCaracteres::RectanguloEnVista(int fila, int columna) const {
    return visualRect(model()->index(fila - 1, columna));
}

QRect RejillaCaracteres::RectanguloCelda(int fila, int columna, const QWidget* destino) const {
    const QRect r = RectanguloEnVista(fila, columna);
    return QRect(viewport()->mapTo(destino, r.topLeft()), r.size());
}

// ---------------------------------------------------------------------------
// The window

FrmConversionCaracteres::FrmConversionCaracteres(Aplicacion& app) : m_app(app) {
    setObjectName(QStringLiteral("FrmConversionCaracteres"));
    setWindowTitle(TextoQt(textos::TituloConversion));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/ventana.svg")));
    setFont(FuenteVentana());
    setFixedSize(Px(6555), Px(6705));

    const QColor marino(0, 0, 128);
    m_Label1 = CrearEtiqueta(this, "Label1", textos::Label1Conversion, marino, false,
                             RectTwips(330, 120, 5895, 405));
    m_Label2 = CrearEtiqueta(this, "Label2", textos::Label2Conversion, marino, false,
                             RectTwips(330, 570, 5895, 405));

    m_caracteresFG = new RejillaCaracteres(this);
    m_caracteresFG->setGeometry(RectTwips(330, 1110, 4155, 3015));

    m_textoFicheroRTB = new VistaTexto(this);
    m_textoFicheroRTB->setObjectName(QStringLiteral("textoFicheroRTB"));
    m_textoFicheroRTB->setGeometry(RectTwips(300, 4320, 5715, 1245));

    m_CmdBuscar =
        CrearBotonImagen(this, QStringLiteral("CmdBuscar"), QStringLiteral(":/iconos/buscar.svg"),
                         QSize(15, 18), TextoQt(textos::CmdBuscar));
    m_CmdBuscar->setGeometry(RectTwips(4740, 2010, 1300, 800));
    m_CmdBuscar->setToolTip(TextoQt(textos::CmdBuscarTip));

    m_CmdAceptar =
        CrearBotonImagen(this, QStringLiteral("CmdAceptar"), QStringLiteral(":/iconos/aceptar.svg"),
                         QSize(16, 16), TextoQt(textos::CmdAceptar));
    m_CmdAceptar->setGeometry(RectTwips(1980, 5730, 1300, 800));
    m_CmdCancelar = CrearBotonImagen(this, QStringLiteral("CmdCancelar"),
                                     QStringLiteral(":/iconos/cancelar.svg"), QSize(16, 16),
                                     TextoQt(textos::CmdCancelar));
    m_CmdCancelar->setGeometry(RectTwips(3450, 5730, 1300, 800));
    const QColor colorMenu = QApplication::palette("QMenu").color(QPalette::Window);
    for (QToolButton* b : {m_CmdAceptar, m_CmdCancelar}) {
        QPalette p = b->palette();
        p.setColor(QPalette::Button, colorMenu);
        b->setPalette(p);
    }
    // The picture buttons take the focus from a click, so the editor is
    // validated and committed before a button acts.

    // The search's count under its button, the preview's button below it,
    // and under the text, at its left, which text it shows.
    m_LblOcurrencias = new QLabel(this);
    m_LblOcurrencias->setObjectName(QStringLiteral("LblOcurrencias"));
    m_LblOcurrencias->setGeometry(RectTwips(4740, 2880, 1300, 270));
    m_LblOcurrencias->setAlignment(Qt::AlignCenter);
    m_LblOcurrencias->setToolTip(TextoQt(textos::OcurrenciasTip));
    m_CmdPrevia =
        CrearBotonImagen(this, QStringLiteral("CmdPrevia"), QStringLiteral(":/iconos/previa.svg"),
                         QSize(16, 16), TextoQt(textos::CmdPrevia));
    m_CmdPrevia->setGeometry(RectTwips(4740, 3240, 1300, 800));
    m_CmdPrevia->setToolTip(TextoQt(textos::CmdPreviaTip));
    m_LblTextoMostrado = new QLabel(this);
    m_LblTextoMostrado->setObjectName(QStringLiteral("LblTextoMostrado"));
    m_LblTextoMostrado->setGeometry(RectTwips(300, 5730, 1590, 510));
    m_LblTextoMostrado->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_txtEditor = new QLineEdit(this);
    m_txtEditor->setObjectName(QStringLiteral("txtEditor"));
    m_txtEditor->setGeometry(RectTwips(1470, 2610, 1545, 225));
    m_txtEditor->setFrame(false);
    m_txtEditor->setAlignment(Qt::AlignCenter);
    m_txtEditor->hide();
    m_txtEditor->raise();
    m_txtEditor->installEventFilter(this);
    m_fuenteEditor = m_txtEditor->font();
    m_paletaEditor = m_txtEditor->palette();
    m_caracteresFG->installEventFilter(this);

    // The two languages of the instructions read at one size.
    EncajarTexto({m_Label1, m_Label2});

    // Read out by assistive technology; a label is named by its caption.
    for (QLabel* etiqueta : {m_Label1, m_Label2}) {
        etiqueta->setAccessibleDescription(TextoQt(textos::AccArgibideak));
    }
    PonerAccesible(*m_caracteresFG, textos::AccRejilla, textos::AccRejillaDesc);
    PonerAccesible(*m_textoFicheroRTB, textos::AccTexto, textos::AccTextoDesc);
    PonerAccesible(*m_CmdBuscar, textos::AccBuscar, textos::AccBuscarDesc);
    PonerAccesible(*m_CmdAceptar, textos::AccAceptar, textos::AccAceptarDesc);
    PonerAccesible(*m_CmdCancelar, textos::AccCancelar, textos::AccCancelarDesc);
    PonerAccesible(*m_txtEditor, textos::AccEditor, textos::AccEditorDesc);
    PonerAccesible(*m_CmdPrevia, textos::AccPrevia, textos::AccPreviaDesc);
    // The count is read as it shows.
    m_LblOcurrencias->setAccessibleDescription(TextoQt(textos::AccOcurrenciasDesc));
    m_LblTextoMostrado->setAccessibleDescription(TextoQt(textos::AccTextoMostrado));
    m_busqueda =
        new BusquedaTexto(m_app.estado().documento, *m_textoFicheroRTB, *m_LblOcurrencias,
                          *m_LblTextoMostrado, *m_CmdPrevia, [this] { return FilasRejilla(); });

    setTabOrder(m_caracteresFG, m_textoFicheroRTB);
    setTabOrder(m_textoFicheroRTB, m_CmdBuscar);
    setTabOrder(m_CmdBuscar, m_CmdPrevia);
    setTabOrder(m_CmdPrevia, m_CmdAceptar);
    setTabOrder(m_CmdAceptar, m_CmdCancelar);
    setTabOrder(m_CmdCancelar, m_txtEditor);
    m_caracteresFG->setFocus();

    connect(m_caracteresFG, &QAbstractItemView::clicked, this,
            &FrmConversionCaracteres::caracteresFG_Click);
    // A row's menu, from the mouse or from the keyboard (the platform's menu
    // key arrives here too, at the current cell).
    m_caracteresFG->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_caracteresFG, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        RejillaCaracteres& g = *m_caracteresFG;
        const QModelIndex indice = g.indexAt(p);
        if (indice.isValid()) {
            MenuFila(indice.row() + 1, g.viewport()->mapToGlobal(p));
        }
    });
    connect(m_caracteresFG->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &FrmConversionCaracteres::caracteresFG_Scroll);
    connect(m_caracteresFG->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &FrmConversionCaracteres::caracteresFG_Scroll);
    connect(m_CmdBuscar, &QToolButton::clicked, this, &FrmConversionCaracteres::CmdBuscar_Click);
    // The marks follow the current row; the preview, every row's answer.
    connect(m_caracteresFG, &QTableWidget::currentCellChanged, this,
            [this](int fila, int, int anterior, int) {
                if (fila != anterior) {
                    FilaActualCambiada();
                }
            });
    connect(m_caracteresFG, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* celda) {
        if (celda->column() == 1) {
            m_busqueda->RespuestasCambiadas();
        }
    });
    connect(m_CmdPrevia, &QToolButton::clicked, this, [this] {
        CerrarEditor();
        m_busqueda->AlternarPrevia();
    });
    connect(m_CmdAceptar, &QToolButton::clicked, this, &FrmConversionCaracteres::CmdAceptar_Click);
    connect(m_CmdCancelar, &QToolButton::clicked, this,
            &FrmConversionCaracteres::CmdCancelar_Click);
    connect(m_txtEditor, &QLineEdit::textEdited, this, &FrmConversionCaracteres::EditorEditado);
    connect(m_txtEditor, &QLineEdit::cursorPositionChanged, this, [this](int, int nueva) {
        if (m_txtEditor->text() == m_textoEditorPrevio) {
            m_cursorEditorPrevio = nueva;
        }
    });
}

void FrmConversionCaracteres::Mensaje(std::string_view texto) {
    m_app.dialogos().Mensaje(this, TextoQt(texto), false);
}

// --- Set-up ----------------------------------------------------------------

void FrmConversionCaracteres::Form_Load() {
    CentrarFormulario();
    ConfigurarRejilla();
    // A text in UTF-8 or UTF-16 names its encoding in the caption.
    Documento& documento = m_app.estado().documento;
    std::string titulo(textos::TituloConversion);
    if (documento.Unicode()) {
        titulo.append(textos::SeparadorCodificacion)
            .append(NombreCodificacion(documento.codificacion));
    }
    setWindowTitle(TextoQt(titulo));
    CargarCaracteres();
    // The text is the bytes the scan read: the file is not read again, so
    // the text and the grid always agree.
    m_textoFicheroRTB->Cargar(documento.texto, std::move(documento.inicioLineas),
                              documento.Unicode());
    m_caracteresFG->SetCeldaActual(m_caracteresFG->Rows() > 1 ? 1 : 0, 0);
    FilaActualCambiada();
    m_FilaEditada = 0;
    m_ColumnaEditada = 0;
}

void FrmConversionCaracteres::CentrarFormulario() {
    tildora::CentrarFormulario(*this);
}

void FrmConversionCaracteres::ConfigurarRejilla() {
    RejillaCaracteres& g = *m_caracteresFG;
    g.SetRows(1);
    g.SetColAlignmentCentrado(0);
    g.SetColAlignmentCentrado(1);
    g.SetRowHeight(0, 300);
    g.SetTextMatrix(0, 0, Ansi(textos::CabeceraErroneo));
    g.SetTextMatrix(0, 1, Ansi(textos::CabeceraCorrecto));
    g.SetColWidth(0, 1900);
    g.SetColWidth(1, 1900);
}

void FrmConversionCaracteres::CargarCaracteres() {
    RejillaCaracteres& g = *m_caracteresFG;
    g.SetUnicode(m_app.estado().documento.Unicode());
    const std::vector<std::string>& erroneos = m_app.estado().CaracteresErroneos;
    // The last slot is the spare empty one and never becomes a row.
    const std::size_t n = erroneos.empty() ? 0 : erroneos.size() - 1;
    // The store is read once, and a store that is there but cannot be read
    // is said before the grid shows; the grid then starts empty.
    const Resultado<tildora::Respuestas> leido =
        AlmacenSoluciones(m_app.estado().RutaAlmacen).Leer();
    if (n > 0 && !leido) {
        Mensaje(std::string(textos::AlmacenIlegible) + Motivo(leido.error()));
    }
    const tildora::Respuestas respuestas = leido ? *leido : tildora::Respuestas();
    m_propuestas.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const int fila = static_cast<int>(i) + 1;
        g.SetRowHeight(fila - 1, 300);
        g.SetRows(g.Rows() + 1);
        g.SetTextMatrix(fila, 0, erroneos[i]);
        // What is remembered, else the proposal, drawn as one.
        const FilaInicial inicio = FilaDeInicio(erroneos[i], respuestas, true);
        g.SetRespuesta(fila, inicio.fila, inicio.propuesta);
        const auto propuesta = PropuestaDeClave(erroneos[i]);
        m_propuestas.push_back(propuesta ? std::optional<std::string>(*propuesta) : std::nullopt);
        // The tip names the character and says where the scan found it.
        const Documento& documento = m_app.estado().documento;
        if (i < documento.hallazgos.size() && documento.hallazgos[i].clave == erroneos[i]) {
            g.item(fila - 1, 0)
                ->setToolTip(ConsejoCaracter(documento.hallazgos[i], documento.Unicode()));
        }
    }
    g.SetRowHeight(static_cast<int>(n), 300);
    m_guardadas = Respuestas();
}

std::vector<std::pair<std::string, bool>> FrmConversionCaracteres::Respuestas() const {
    std::vector<std::pair<std::string, bool>> r;
    for (const Fila& fila : FilasRejilla()) {
        r.emplace_back(fila.sustituto, fila.borrar);
    }
    return r;
}

bool FrmConversionCaracteres::HayRespuestasSinGuardar() const {
    // An answer taken away loses nothing: the store still has what it had.
    const auto ahora = Respuestas();
    for (std::size_t i = 0; i < ahora.size() && i < m_guardadas.size(); ++i) {
        const bool hayRespuesta = ahora[i].second || !ahora[i].first.empty();
        if (hayRespuesta && ahora[i] != m_guardadas[i]) {
            return true;
        }
    }
    return false;
}

// --- In-grid editing -------------------------------------------------------

void FrmConversionCaracteres::caracteresFG_Click() {
    // The header is never current, so row 0 means no data row.
    RejillaCaracteres& g = *m_caracteresFG;
    if (g.Col() != 0 && g.Row() > 0 && !g.RespuestaFija(g.Row())) {
        SituarEditor();
        // A proposal comes selected: whatever is typed takes its place.
        if (m_propuestaEnEditor) {
            m_txtEditor->selectAll();
        } else {
            m_txtEditor->setCursorPosition(static_cast<int>(m_txtEditor->text().size()));
            m_txtEditor->deselect();
        }
    } else {
        CerrarEditor();
    }
}

void FrmConversionCaracteres::SituarEditor() {
    RejillaCaracteres& g = *m_caracteresFG;
    // The commit into the cell opened last, checked like every other one:
    // no way into a cell skips the validation.
    if (m_ColumnaEditada != 0) {
        SalidaDelEditor();
    }
    const int fila = g.Row();
    const int columna = g.Col();
    // Over the cell exactly, wherever the grid is scrolled to: the cell's
    // own rectangle, carried from the grid's viewport to the window.
    m_txtEditor->setGeometry(g.RectanguloCelda(fila, columna, this));
    m_txtEditor->show();
    m_txtEditor->raise();
    m_txtEditor->setFocus(Qt::MouseFocusReason);
    // Text put in by the window is never cut; only typing is limited to one
    // character (see EditorEditado).
    m_textoEditorPrevio = QString::fromStdString(Utf8DeAnsi(g.TextMatrix(fila, columna)));
    {
        const QSignalBlocker bloqueo(m_txtEditor);
        m_txtEditor->setText(m_textoEditorPrevio);
    }
    // The delete answer has no text: the editor shows its mark while empty.
    const QFont& fuente = m_fuenteEditor;
    m_txtEditor->setPlaceholderText(
        g.Borrar(fila)
            ? PiezasBorrado([&fuente](char32_t u) { return HayGlifo(fuente, u); }).front().texto
            : QString());
    m_propuestaEnEditor = g.Propuesta(fila);
    EstiloEditor(m_propuestaEnEditor);
    m_cursorEditorPrevio = static_cast<int>(m_textoEditorPrevio.size());
    m_ColumnaEditada = columna;
    m_FilaEditada = fila;
}

namespace {

bool EdicionAdmitida(const QString& antes, const QString& despues) {
    const auto a = antes.toUcs4();
    const auto d = despues.toUcs4();
    if (d.size() <= 1) {
        return true;
    }
    if (d.size() >= a.size()) {
        return false;
    }
    // Only a deletion of one stretch: what is left is a beginning and an
    // end of the text before.
    qsizetype comun = 0;
    while (comun < d.size() && a[comun] == d[comun]) {
        ++comun;
    }
    qsizetype final = 0;
    while (final < d.size() - comun && a[a.size() - 1 - final] == d[d.size() - 1 - final]) {
        ++final;
    }
    return comun + final == d.size();
}

} // namespace

void FrmConversionCaracteres::EditorEditado(const QString& texto) {
    // Typing, pasting or dropping may leave at most one character. A longer
    // text that the window put in can only lose characters: typing over part
    // of it would slip an unchecked character behind the first one.
    if (!EdicionAdmitida(m_textoEditorPrevio, texto)) {
        const QSignalBlocker bloqueo(m_txtEditor);
        m_txtEditor->setText(m_textoEditorPrevio);
        m_txtEditor->setCursorPosition(m_cursorEditorPrevio);
        return;
    }
    m_textoEditorPrevio = texto;
    m_cursorEditorPrevio = m_txtEditor->cursorPosition();
    // Changed, the proposal is the user's answer.
    if (m_propuestaEnEditor) {
        m_propuestaEnEditor = false;
        EstiloEditor(false);
    }
}

void FrmConversionCaracteres::EstiloEditor(bool propuesta) {
    QFont fuente = m_fuenteEditor;
    QPalette paleta = m_paletaEditor;
    if (propuesta) {
        fuente.setItalic(true);
        paleta.setColor(QPalette::Text, ColorPropuesta(paleta));
    }
    m_txtEditor->setFont(fuente);
    m_txtEditor->setPalette(paleta);
}

void FrmConversionCaracteres::caracteresFG_Scroll() {
    CerrarEditor();
}

void FrmConversionCaracteres::txtEditor_LostFocus() {
    // Text left as it was put in leaves the cell as it was: a proposal stays
    // one, and the delete answer (which has no text) stays.
    if (m_ColumnaEditada != 0) {
        const std::string bytes = BytesDeEditor(m_txtEditor->text());
        if (bytes != m_caracteresFG->TextMatrix(m_FilaEditada, m_ColumnaEditada)) {
            m_caracteresFG->SetTextMatrix(m_FilaEditada, m_ColumnaEditada, bytes);
        }
    }
}

void FrmConversionCaracteres::txtEditor_Validate(bool& cancelar) {
    // The focus always moves on: a refused character empties the cell
    // instead of keeping the user in the editor.
    cancelar = false;
    const QString texto = m_txtEditor->text();
    if (texto.isEmpty()) {
        return;
    }
    const Estado& estado = m_app.estado();
    const TablaValidez& tabla =
        estado.TablaConstruida ? estado.CaracteresValidos : kCaracteresValidos;
    // Only the first character is looked up: a longer text can only come
    // from the store. A character that Windows-1252 cannot hold is as wrong
    // as a listed one.
    const auto byte = AnsiDeUnicode(texto.toUcs4().front());
    if (byte && tabla[*byte]) {
        return;
    }
    {
        const QSignalBlocker bloqueo(m_txtEditor);
        m_txtEditor->clear();
    }
    m_textoEditorPrevio.clear();
    m_cursorEditorPrevio = 0;
    // The cell ends with no answer, whatever it held (the delete answer too).
    if (m_ColumnaEditada != 0) {
        m_caracteresFG->SetTextMatrix(m_FilaEditada, m_ColumnaEditada, std::string());
    }
    Mensaje(std::string(textos::CaracterIncorrecto) + "\n" +
            Nombrado(ClaveDeCaracter(texto.toUcs4().front()), !byte));
    OcultarEditor();
    // When a mouse press moved the focus, the press reaches its button only
    // now, and its release went to the message box: the click is lost, and
    // the button would stay drawn pressed until the next release on it.
    QTimer::singleShot(0, this, [this] {
        if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
            return;
        }
        for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
            b->setDown(false);
        }
    });
}

void FrmConversionCaracteres::SalidaDelEditor() {
    // A message box during validation takes the focus and gives it back:
    // those focus events must not validate or commit a second time.
    if (m_enSalidaEditor) {
        return;
    }
    m_enSalidaEditor = true;
    bool cancelar = false;
    txtEditor_Validate(cancelar);
    txtEditor_LostFocus();
    m_enSalidaEditor = false;
}

void FrmConversionCaracteres::OcultarEditor() {
    const bool teniaFoco = m_txtEditor->hasFocus();
    m_ocultandoEditor = true;
    m_txtEditor->hide();
    m_ocultandoEditor = false;
    if (teniaFoco) {
        m_caracteresFG->setFocus(Qt::OtherFocusReason);
    }
}

void FrmConversionCaracteres::DeshacerEditor() {
    m_textoEditorPrevio = QString::fromStdString(
        Utf8DeAnsi(m_caracteresFG->TextMatrix(m_FilaEditada, m_ColumnaEditada)));
    {
        const QSignalBlocker bloqueo(m_txtEditor);
        m_txtEditor->setText(m_textoEditorPrevio);
    }
    m_cursorEditorPrevio = static_cast<int>(m_textoEditorPrevio.size());
    OcultarEditor();
}

void FrmConversionCaracteres::CerrarEditor() {
    if (!m_txtEditor->isVisible()) {
        return;
    }
    // Hiding the editor counts as the focus leaving it: what it holds is
    // validated and reaches its cell first. Text that was validated when the
    // focus left already passes again without a word, so this holds also
    // when the editor lost the focus with its window.
    SalidaDelEditor();
    OcultarEditor();
}

bool FrmConversionCaracteres::TeclaEnRejilla(const QKeyEvent& tecla) {
    RejillaCaracteres& g = *m_caracteresFG;
    const int fila = g.Row();
    // The menu key and Shift+F10 open the row's menu at its cell.
    if (fila > 0 && (tecla.key() == Qt::Key_Menu ||
                     (tecla.key() == Qt::Key_F10 && tecla.modifiers() == Qt::ShiftModifier))) {
        AbrirMenuActual();
        return true;
    }
    if (fila == 0 || g.Col() == 0 ||
        (tecla.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return false;
    }
    // On a replacement cell Delete gives the delete answer, Backspace takes
    // the answer away.
    if (tecla.key() == Qt::Key_Delete || tecla.key() == Qt::Key_Backspace) {
        if (!g.RespuestaFija(fila)) {
            PonerRespuesta(fila, Fila{g.TextMatrix(fila, 0), {}, tecla.key() == Qt::Key_Delete},
                           false);
        }
        return true;
    }
    const bool abre = tecla.key() == Qt::Key_F2 || tecla.key() == Qt::Key_Space;
    bool escrito = false;
    if (!abre && !tecla.text().isEmpty()) {
        const auto caracteres = tecla.text().toUcs4();
        escrito = std::all_of(caracteres.begin(), caracteres.end(),
                              [](char32_t u) { return QChar::isPrint(u); });
    }
    if (!abre && !escrito) {
        return false;
    }
    if (m_caracteresFG->RespuestaFija(m_caracteresFG->Row())) {
        return true; // nothing to type there
    }
    // Opened as a click opens it, over the cell brought into sight first (it
    // may have been scrolled away); a typed character then reaches the
    // editor as if typed after the click, where the editor's own rules take
    // or refuse it.
    m_caracteresFG->scrollTo(m_caracteresFG->currentIndex());
    caracteresFG_Click();
    if (escrito && m_txtEditor->isVisible()) {
        QKeyEvent copia(QEvent::KeyPress, tecla.key(), tecla.modifiers(), tecla.text(),
                        tecla.isAutoRepeat(), tecla.count());
        QCoreApplication::sendEvent(m_txtEditor, &copia);
    }
    return true;
}

void FrmConversionCaracteres::PonerRespuesta(int fila, const Fila& respuesta, bool propuesta) {
    CerrarEditor();
    m_FilaEditada = 0;
    m_ColumnaEditada = 0;
    m_caracteresFG->SetRespuesta(fila, respuesta, propuesta);
}

void FrmConversionCaracteres::AbrirMenuActual() {
    RejillaCaracteres& g = *m_caracteresFG;
    const int fila = g.Row();
    if (fila > 0) {
        g.scrollTo(g.currentIndex());
        const QRect celda = g.RectanguloEnVista(fila, g.Col());
        MenuFila(fila, g.viewport()->mapToGlobal(celda.bottomLeft()));
    }
}

void FrmConversionCaracteres::MenuFila(int fila, const QPoint& donde) {
    RejillaCaracteres& g = *m_caracteresFG;
    // One menu at a time (a platform may send the menu key both ways); none
    // for the line break, whose answer is fixed.
    if (fila <= 0 || fila >= g.Rows() || g.RespuestaFija(fila) || (m_menu && m_menu->isVisible())) {
        return;
    }
    CerrarEditor();
    const std::string clave = g.TextMatrix(fila, 0);
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("menuFila"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Each entry with the key that does the same on the cell.
    const auto entrada = [menu](std::string_view texto, const char* nombre, QKeySequence tecla) {
        QAction* a = menu->addAction(TextoQt(texto) + QLatin1Char('\t') +
                                     tecla.toString(QKeySequence::NativeText));
        a->setObjectName(QLatin1String(nombre));
        return a;
    };
    QAction* borrar = entrada(textos::MenuBorrar, "accionBorrar", QKeySequence(Qt::Key_Delete));
    borrar->setEnabled(!g.Borrar(fila) || g.Propuesta(fila));
    connect(borrar, &QAction::triggered, this, [this, fila, clave] {
        PonerRespuesta(fila, Fila{clave, {}, true}, false);
    });
    QAction* ninguna =
        entrada(textos::MenuSinSustituto, "accionSinSustituto", QKeySequence(Qt::Key_Backspace));
    ninguna->setEnabled(g.Borrar(fila) || !g.TextMatrix(fila, 1).empty());
    connect(ninguna, &QAction::triggered, this, [this, fila, clave] {
        PonerRespuesta(fila, Fila{clave, {}}, false);
    });
    // The proposal, to take it back after another answer.
    const auto indice = static_cast<std::size_t>(fila - 1);
    if (indice < m_propuestas.size() && m_propuestas[indice]) {
        const Fila propuesta = FilaCon(clave, *m_propuestas[indice]);
        const std::string vista = propuesta.borrar ? std::string(textos::BorrarCelda)
                                                   : Utf8Visible(propuesta.sustituto, true);
        QAction* a =
            menu->addAction(TextoQt(textos::MenuPropuesta) + QString::fromStdString(vista));
        a->setObjectName(QStringLiteral("accionPropuesta"));
        a->setEnabled(!g.Propuesta(fila));
        connect(a, &QAction::triggered, this,
                [this, fila, propuesta] { PonerRespuesta(fila, propuesta, true); });
    }
    m_menu = menu;
    menu->popup(donde);
}

void FrmConversionCaracteres::MoverDesdeEditor(int paso) {
    const int fila = m_FilaEditada;
    const int columna = m_ColumnaEditada;
    // Closed as when the focus leaves it (validation, commit), then on to
    // the next row in the same column, as in a spreadsheet; past the first
    // or the last row the current cell stays.
    CerrarEditor();
    if (const int ultima = m_caracteresFG->Rows() - 1; ultima >= 1) {
        m_caracteresFG->SetCeldaActual(std::clamp(fila + paso, 1, ultima), columna);
    }
}

bool FrmConversionCaracteres::eventFilter(QObject* objeto, QEvent* evento) {
    if (objeto == m_caracteresFG && evento->type() == QEvent::KeyPress) {
        // The arrows move between cells as the grid does by itself.
        return TeclaEnRejilla(*static_cast<QKeyEvent*>(evento)) ||
               QWidget::eventFilter(objeto, evento);
    }
    if (objeto == m_caracteresFG && evento->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(evento)->reason() != QContextMenuEvent::Mouse) {
        // The platform's menu key: the current row's menu, at its cell.
        AbrirMenuActual();
        return true;
    }
    if (objeto == m_txtEditor) {
        if (evento->type() == QEvent::FocusOut) {
            const auto razon = static_cast<QFocusEvent*>(evento)->reason();
            // Another window taking the focus (a message box, another
            // program) is no move to another control: the focus comes back
            // to the editor, and whatever the user does next leaves it. Every
            // move to another control, Cancel included, checks it.
            if (!m_ocultandoEditor && razon != Qt::ActiveWindowFocusReason &&
                razon != Qt::PopupFocusReason) {
                SalidaDelEditor();
            }
        } else if (evento->type() == QEvent::KeyPress) {
            const int tecla = static_cast<QKeyEvent*>(evento)->key();
            // Enter accepts the window, and what is in the editor must be in
            // its cell before the grid is read. Esc undoes this cell only, as
            // in any grid: the cell keeps what it held.
            if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
                CerrarEditor();
                m_CmdAceptar->click();
                return true;
            }
            if (tecla == Qt::Key_Escape) {
                DeshacerEditor();
                return true;
            }
            // Delete with nothing left to delete: the character goes.
            if (tecla == Qt::Key_Delete && m_txtEditor->text().isEmpty() && m_ColumnaEditada != 0) {
                const int fila = m_FilaEditada;
                PonerRespuesta(fila, Fila{m_caracteresFG->TextMatrix(fila, 0), {}, true}, false);
                return true;
            }
            // A character typed over a proposal takes the place of all of it,
            // wherever the caret stands.
            const auto& k = *static_cast<QKeyEvent*>(evento);
            if (m_propuestaEnEditor && !k.text().isEmpty() && k.text().front().isPrint() &&
                !(k.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                m_txtEditor->selectAll();
            }
            if (tecla == Qt::Key_Up || tecla == Qt::Key_Down) {
                MoverDesdeEditor(tecla == Qt::Key_Up ? -1 : 1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(objeto, evento);
}

void FrmConversionCaracteres::keyPressEvent(QKeyEvent* evento) {
    switch (evento->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter presses the button that has the focus, else the default
        // button.
        QWidget* foco = focusWidget();
        for (QToolButton* b : {m_CmdBuscar, m_CmdPrevia, m_CmdAceptar, m_CmdCancelar}) {
            if (foco == b) {
                b->click();
                return;
            }
        }
        m_CmdAceptar->click();
        return;
    }
    case Qt::Key_Escape:
        m_CmdCancelar->click();
        return;
    case Qt::Key_F3:
        if (evento->modifiers() & Qt::ShiftModifier) {
            m_busqueda->Anterior();
        } else {
            m_busqueda->Siguiente();
        }
        return;
    case Qt::Key_F4:
        // What the editor holds is an answer of the preview too.
        CerrarEditor();
        m_busqueda->AlternarPrevia();
        return;
    default:
        QWidget::keyPressEvent(evento);
    }
}

// --- Context search --------------------------------------------------------

void FrmConversionCaracteres::CmdBuscar_Click() {
    // The view is only selected and scrolled, never written: the text the
    // engine corrects stays the bytes the scan read.
    if (m_caracteresFG->Row() > 0) {
        m_busqueda->Primera();
    }
    CerrarEditor();
}

void FrmConversionCaracteres::FilaActualCambiada() {
    const int fila = m_caracteresFG->Row();
    m_busqueda->FilaActual(fila > 0 ? m_caracteresFG->TextMatrix(fila, 0) : std::string());
}

// --- Accept and cancel -----------------------------------------------------

std::vector<Fila> FrmConversionCaracteres::FilasRejilla() const {
    std::vector<Fila> filas;
    for (int i = 1; i < m_caracteresFG->Rows(); ++i) {
        filas.push_back(Fila{m_caracteresFG->TextMatrix(i, 0), m_caracteresFG->TextMatrix(i, 1),
                             m_caracteresFG->Borrar(i)});
    }
    return filas;
}

bool FrmConversionCaracteres::FaltanSoluciones() const {
    return !FilasSinSolucion(FilasRejilla()).empty();
}

void FrmConversionCaracteres::CmdAceptar_Click() {
    CerrarEditor();
    if (FaltanSoluciones()) {
        const std::vector<std::size_t> faltan = FilasSinSolucion(FilasRejilla());
        // Each row without a replacement is named, and the first is made
        // current, ready for F2.
        std::string texto(textos::FaltanSoluciones);
        for (const std::size_t i : faltan) {
            texto.append("\n").append(
                Nombrado(m_caracteresFG->TextMatrix(static_cast<int>(i) + 1, 0),
                         m_app.estado().documento.Unicode()));
        }
        m_caracteresFG->SetCeldaActual(static_cast<int>(faltan.front()) + 1, 1);
        Mensaje(texto);
        return;
    }
    // The pairs as the grid holds them (the delete answer as an empty
    // replacement); the rows, the delete answer with them, go to the core.
    Estado& estado = m_app.estado();
    const int filas = m_caracteresFG->Rows();
    if (filas > 1) {
        estado.Soluciones.assign(static_cast<std::size_t>(filas), {});
    }
    for (int i = 1; i < filas; ++i) {
        auto& par = estado.Soluciones[static_cast<std::size_t>(i)];
        par[0] = m_caracteresFG->TextMatrix(i, 0);
        par[1] = m_caracteresFG->TextMatrix(i, 1);
    }
    if (CorregirFichero(FilasRejilla())) {
        m_app.MostrarSeleccion();
    }
}

bool FrmConversionCaracteres::CorregirFichero(const std::vector<Fila>& filas) {
    const Estado& estado = m_app.estado();
    // Every pair is remembered before anything is replaced. A result too
    // large to be sane, like any failure to write, leaves the output as it
    // was and is reported as a wrong output name.
    const AlmacenSoluciones almacen(estado.RutaAlmacen);
    const auto aceptar = [&](bool reemplazar) {
        Progreso progreso;
        OpcionesCorreccion opciones;
        opciones.salida = estado.FicheroSalida;
        opciones.reemplazar = reemplazar;
        opciones.almacen = &almacen;
        opciones.limite = kTamanoMaximoSalida;
        opciones.progreso = &progreso;
        Aceptacion a;
        EjecutarConProgreso(m_app.dialogos(), this, textos::ProgresoCorreccion, true, progreso,
                            m_app.UmbralProgresoMs(),
                            [&] { a = Aceptar(estado.documento, filas, opciones); });
        return a;
    };
    Aceptacion a = aceptar(estado.ReemplazarSalida);
    const auto fallo = [&a] {
        return a.correcciones ? std::nullopt : std::optional(a.correcciones.fallo());
    };
    if (fallo() == Fallo::NoLimpias) {
        // Replacements that would leave wrong characters are refused before
        // anything is remembered or written; the window stays.
        std::string texto(textos::SustitutosNoLimpios);
        for (const std::size_t i : a.correcciones.error().filas) {
            texto.append("\n").append(ClaveVisible(filas[i].clave, estado.documento.Unicode()));
            texto.append(" \u2192 ").append(Utf8Visible(filas[i].sustituto, true));
        }
        Mensaje(texto);
        return false;
    }
    // A file took the output's name while the grid was filled in: it is
    // replaced only if the user agrees now.
    const bool reemplazar = fallo() != Fallo::Ocupado ||
                            m_app.dialogos().Mensaje(this, TextoQt(textos::M3SobreEscribir),
                                                     true) == Dialogos::Respuesta::Aceptar;
    if (fallo() == Fallo::Ocupado && reemplazar) {
        a = aceptar(true);
    }
    // Every row has been remembered by now, whatever came of the writing;
    // what could not be is said, whatever comes next.
    if (a.almacen) {
        Mensaje(std::string(textos::AlmacenNoSeGuarda) + Motivo(*a.almacen));
    } else {
        // The proposals are remembered answers now, and drawn as such.
        for (int i = 1; i < m_caracteresFG->Rows(); ++i) {
            if (m_caracteresFG->Propuesta(i)) {
                m_caracteresFG->SetRespuesta(i, filas[static_cast<std::size_t>(i) - 1], false);
            }
        }
        m_guardadas = Respuestas();
    }
    if (!reemplazar || fallo() == Fallo::Cancelado) {
        return false; // nothing written; the window stays as it was
    }
    if (fallo() == Fallo::Grande) {
        // Memory ran out: nothing was written, and the window stays, as
        // usable as before; the command line corrects the file in little.
        Mensaje(textos::DemasiadoGrandeVentana);
        return false;
    }
    if (!a.correcciones) {
        // The window stays with its answers: the user may go back and pick
        // another output, the input's answers already remembered.
        const Error& e = a.correcciones.error();
        Mensaje(e.fallo == Fallo::Cambiado
                    ? std::string(textos::EntradaCambiada) + "\n" + estado.FicheroEntrada
                    : std::string(textos::SalidaIncorrecta) + "\n" + Motivo(e));
        m_salidaFallida = true;
        return false;
    }
    Mensaje(textos::MensajeCorregido(*a.correcciones));
    return true;
}

void FrmConversionCaracteres::CmdCancelar_Click() {
    // Nothing is kept: what the editor holds is not checked either. Answers
    // given here and not stored yet are lost only if the user agrees.
    OcultarEditor();
    if (HayRespuestasSinGuardar() &&
        m_app.dialogos().Mensaje(this, TextoQt(textos::SalirSinGuardar), true) ==
            Dialogos::Respuesta::Cancelar) {
        return;
    }
    // After an output that could not be written, the first window comes
    // back with both names, for another output.
    const Estado& estado = m_app.estado();
    m_app.MostrarSeleccion(
        m_salidaFallida ? QFile::decodeName(estado.FicheroEntrada.c_str()) : QString(),
        m_salidaFallida ? QFile::decodeName(estado.FicheroSalida.c_str()) : QString());
}

void FrmConversionCaracteres::closeEvent(QCloseEvent* evento) {
    // The title bar's close box: nothing is stored or written, and with no
    // other window loaded the program ends.
    evento->accept();
    if (m_app.VentanaActual() == this) {
        m_app.Salir();
    }
}

} // namespace tildora
