#include "ui/conversion/frmconversioncaracteres.h"

#include "core/textos.h"
#include "core/unicode.h"
#include "modelos/disposicion.h"
#include "ui/aplicacion.h"
#include "ui/botones.h"
#include "ui/conversion/celdas.h"
#include "ui/conversion/contexto.h"
#include "ui/conversion/tamano.h"
#include "ui/conversion/vistatexto.h"
#include "ui/dialogos.h"
#include "ui/geometria.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace tildora {

namespace {

// Header texts are kept as bytes like every other cell.
std::string Ansi(std::string_view utf8) {
    return AnsiDeUtf8(utf8).value_or(std::string());
}

} // namespace

// ---------------------------------------------------------------------------
// The window

FrmConversionCaracteres::FrmConversionCaracteres(Aplicacion& app)
    : m_app(app), m_modelo(app.estado(), app.dialogos().Sobre(this)), m_editor(m_modelo) {
    setObjectName(QStringLiteral("FrmConversionCaracteres"));
    setWindowTitle(TextoQt(textos::TituloConversion));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/ventana.svg")));
    setFont(FuenteVentana());
    // It starts at the layout's size and grows (Form_Load opens it at the
    // size the user left it).
    resize(Tamano(modelo::DisposicionConversion()));

    CrearControles();

    m_contexto =
        new ContextoTexto(m_app.estado().documento, *m_textoFicheroRTB, *m_LblOcurrencias,
                          *m_LblTextoMostrado, *m_CmdPrevia, [this] { return m_modelo.Filas(); });

    setTabOrder(m_caracteresFG, m_textoFicheroRTB);
    setTabOrder(m_textoFicheroRTB, m_CmdBuscar);
    setTabOrder(m_CmdBuscar, m_CmdPrevia);
    setTabOrder(m_CmdPrevia, m_CmdAceptar);
    setTabOrder(m_CmdAceptar, m_CmdCancelar);
    setTabOrder(m_CmdCancelar, m_txtEditor);
    m_caracteresFG->setFocus();

    Conectar();
}

void FrmConversionCaracteres::CrearControles() {
    const modelo::Disposicion& d = modelo::DisposicionConversion();
    m_Label1 = CrearEtiqueta(this, d, "Label1");
    m_Label2 = CrearEtiqueta(this, d, "Label2");

    m_caracteresFG = new RejillaCaracteres(this);
    m_caracteresFG->SetModelo(m_modelo);
    Colocar(*m_caracteresFG, d);

    m_textoFicheroRTB = Colocar(*new VistaTexto(this), d, "textoFicheroRTB");

    m_CmdBuscar = CrearBoton(this, d, "CmdBuscar");

    m_CmdAceptar = CrearBoton(this, d, "CmdAceptar");
    m_CmdCancelar = CrearBoton(this, d, "CmdCancelar");
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
    m_LblOcurrencias = Colocar(*new QLabel(this), d, "LblOcurrencias");
    m_LblOcurrencias->setAlignment(Qt::AlignCenter);
    m_LblOcurrencias->setToolTip(TextoQt(textos::OcurrenciasTip));
    m_CmdPrevia = CrearBoton(this, d, "CmdPrevia");
    m_LblTextoMostrado = Colocar(*new QLabel(this), d, "LblTextoMostrado");
    m_LblTextoMostrado->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_txtEditor = new EditorCelda(this, m_editor);
    Colocar(*m_txtEditor, d);
    m_txtEditor->SetAcciones({[this] { txtEditor_LostFocus(); },
                              [this](modelo::AccionEditor accion) { TeclaEnEditor(accion); }});
    m_caracteresFG->installEventFilter(this);

    // The two languages of the instructions read at one size.
    EncajarTexto({m_Label1, m_Label2});

    // Read out by assistive technology.
    PonerLecturas(*this, modelo::LecturasConversion());
}

void FrmConversionCaracteres::Conectar() {
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
    // The marks follow the current row.
    connect(m_caracteresFG, &QTableWidget::currentCellChanged, this,
            [this](int fila, int, int anterior, int) {
                if (fila != anterior) {
                    FilaActualCambiada();
                }
            });
    connect(m_CmdPrevia, &QToolButton::clicked, this, [this] {
        CerrarEditor();
        m_contexto->AlternarPrevia();
    });
    connect(m_CmdAceptar, &QToolButton::clicked, this, &FrmConversionCaracteres::CmdAceptar_Click);
    connect(m_CmdCancelar, &QToolButton::clicked, this,
            &FrmConversionCaracteres::CmdCancelar_Click);
}

// --- Set-up ----------------------------------------------------------------

void FrmConversionCaracteres::Form_Load() {
    AbrirConTamano(*this);
    CentrarFormulario();
    ConfigurarRejilla();
    setWindowTitle(TextoQt(m_modelo.Titulo()));
    CargarCaracteres();
    Documento& documento = m_app.estado().documento;
    // The text is the bytes the scan read: the file is not read again, so
    // the text and the grid always agree.
    m_textoFicheroRTB->Cargar(documento.texto, std::move(documento.inicioLineas),
                              documento.Unicode());
    m_caracteresFG->SetCeldaActual(m_caracteresFG->Rows() > 1 ? 1 : 0, 0);
    FilaActualCambiada();
    m_editor.Olvidar();
}

void FrmConversionCaracteres::CentrarFormulario() {
    tildora::CentrarFormulario(*this);
}

void FrmConversionCaracteres::ConfigurarRejilla() {
    m_caracteresFG->Configurar(Ansi(textos::CabeceraErroneo), Ansi(textos::CabeceraCorrecto));
}

void FrmConversionCaracteres::CargarCaracteres() {
    // A store that cannot be read is said before the grid shows.
    Modelo().Cargar();
    m_caracteresFG->MostrarFilas(m_app.estado().documento);
    m_contexto->RespuestasCambiadas();
}

modelo::Conversion& FrmConversionCaracteres::Modelo() {
    m_app.dialogos().Sobre(this);
    return m_modelo;
}

void FrmConversionCaracteres::RespuestaCambiada(int fila) {
    m_caracteresFG->MostrarRespuesta(fila);
    m_contexto->RespuestasCambiadas();
}

// --- In-grid editing -------------------------------------------------------

void FrmConversionCaracteres::caracteresFG_Click() {
    // The header is never current, so row 0 means no data row.
    RejillaCaracteres& g = *m_caracteresFG;
    if (g.Col() != 0 && g.Row() > 0 && !g.RespuestaFija(g.Row())) {
        SituarEditor();
        // A proposal comes selected: whatever is typed takes its place.
        if (m_editor.Propuesta()) {
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
    if (m_editor.Fila()) {
        txtEditor_LostFocus();
    }
    const int fila = g.Row();
    // Over the cell exactly, wherever the grid is scrolled to: the cell's
    // own rectangle, carried from the grid's viewport to the window.
    m_txtEditor->setGeometry(g.RectanguloCelda(fila, g.Col(), this));
    m_txtEditor->show();
    m_txtEditor->raise();
    m_txtEditor->setFocus(Qt::MouseFocusReason);
    m_editor.Abrir(static_cast<std::size_t>(fila - 1));
    m_txtEditor->Mostrar();
}

void FrmConversionCaracteres::caracteresFG_Scroll() {
    // A grid grown or shrunk by a resize may scroll: the editor then follows
    // its cell instead of closing.
    if (!m_recolocando) {
        CerrarEditor();
    }
}

void FrmConversionCaracteres::resizeEvent(QResizeEvent* evento) {
    QWidget::resizeEvent(evento);
    const QScopedValueRollback recolocando(m_recolocando, true);
    ColocarControles(*this, *m_caracteresFG);
    // The instructions read at the window font again where they now fit.
    EncajarTexto({m_Label1, m_Label2});
    if (m_txtEditor->isVisible() && m_editor.Fila()) {
        RejillaCaracteres& g = *m_caracteresFG;
        const int fila = static_cast<int>(*m_editor.Fila()) + 1;
        g.scrollTo(g.model()->index(fila - 1, 1));
        m_txtEditor->setGeometry(g.RectanguloCelda(fila, 1, this));
    }
}

void FrmConversionCaracteres::hideEvent(QHideEvent* evento) {
    // Unloaded or closed (a minimised window is hidden by the system).
    if (!evento->spontaneous()) {
        RecordarTamano(*this);
    }
    QWidget::hideEvent(evento);
}

void FrmConversionCaracteres::txtEditor_LostFocus() {
    // A message box during validation takes the focus and gives it back:
    // those focus events must not validate or commit a second time.
    if (m_enSalidaEditor) {
        return;
    }
    m_enSalidaEditor = true;
    bool cancelar = false;
    txtEditor_Validate(cancelar);
    m_enSalidaEditor = false;
}

void FrmConversionCaracteres::txtEditor_Validate(bool& cancelar) {
    // The focus always moves on: a refused character gives the cell back
    // what it held instead of keeping the user in the editor.
    cancelar = false;
    const std::optional<std::size_t> fila = m_editor.Fila();
    const modelo::Editor::Salida salida = m_editor.Salir();
    if (salida.rechazo) {
        m_txtEditor->TextoDelModelo();
    }
    if (salida.cambiada) {
        RespuestaCambiada(static_cast<int>(*fila) + 1);
    }
    if (!salida.rechazo) {
        return;
    }
    m_app.dialogos().Sobre(this).Mensaje(*salida.rechazo, false);
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

void FrmConversionCaracteres::OcultarEditor() {
    m_txtEditor->Ocultar(m_caracteresFG);
}

void FrmConversionCaracteres::DeshacerEditor() {
    m_editor.Deshacer();
    m_txtEditor->TextoDelModelo();
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
    txtEditor_LostFocus();
    OcultarEditor();
}

bool FrmConversionCaracteres::TeclaEnRejilla(const QKeyEvent& tecla) {
    using modelo::AccionRejilla;
    RejillaCaracteres& g = *m_caracteresFG;
    const int fila = g.Row();
    const AccionRejilla accion = modelo::TeclaEnRejilla(
        m_modelo, fila > 0 ? std::optional<std::size_t>(fila - 1) : std::nullopt, g.Col() != 0,
        RejillaCaracteres::Pulsacion(tecla));
    if (accion == AccionRejilla::Dejar || accion == AccionRejilla::Nada) {
        return accion == AccionRejilla::Nada;
    }
    if (accion == AccionRejilla::Menu) {
        AbrirMenuActual();
        return true;
    }
    if (accion == AccionRejilla::Borrado || accion == AccionRejilla::SinRespuesta) {
        PonerRespuesta(fila, accion == AccionRejilla::Borrado
                                 ? &modelo::Conversion::DarBorrado
                                 : &modelo::Conversion::QuitarRespuesta);
        return true;
    }
    // Opened as a click opens it, over the cell brought into sight first (it
    // may have been scrolled away); a typed character then takes the place
    // of all the editor holds, where the editor's own rules take or refuse
    // it.
    g.scrollTo(g.currentIndex());
    caracteresFG_Click();
    if (accion == AccionRejilla::AbrirYSustituir && m_txtEditor->isVisible()) {
        m_txtEditor->selectAll();
        QKeyEvent copia(QEvent::KeyPress, tecla.key(), tecla.modifiers(), tecla.text(),
                        tecla.isAutoRepeat(), tecla.count());
        QCoreApplication::sendEvent(m_txtEditor, &copia);
    }
    return true;
}

void FrmConversionCaracteres::PonerRespuesta(int fila, ActoFila acto) {
    CerrarEditor();
    m_editor.Olvidar();
    if ((m_modelo.*acto)(static_cast<std::size_t>(fila - 1))) {
        RespuestaCambiada(fila);
    }
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
    QMenu* menu =
        g.CrearMenu(fila, this, [this, fila](ActoFila acto) { PonerRespuesta(fila, acto); });
    m_menu = menu;
    menu->popup(donde);
}

void FrmConversionCaracteres::TeclaEnEditor(modelo::AccionEditor accion) {
    using modelo::AccionEditor;
    switch (accion) {
    case AccionEditor::Aceptar:
        // What is in the editor must be in its cell before the grid is read.
        CerrarEditor();
        m_CmdAceptar->click();
        return;
    case AccionEditor::Cerrar:
        CerrarEditor();
        return;
    case AccionEditor::Deshacer:
        DeshacerEditor();
        return;
    case AccionEditor::Borrado:
        PonerRespuesta(static_cast<int>(*m_editor.Fila()) + 1, &modelo::Conversion::DarBorrado);
        return;
    case AccionEditor::Subir:
    case AccionEditor::Bajar:
        MoverDesdeEditor(accion == AccionEditor::Subir ? -1 : 1);
        return;
    case AccionEditor::Dejar:
    case AccionEditor::Sustituir:
        return;
    }
}

void FrmConversionCaracteres::MoverDesdeEditor(int paso) {
    const std::optional<std::size_t> abierta = m_editor.Fila();
    // Closed as when the focus leaves it (validation, commit), then on to
    // the next row in the same column, as in a spreadsheet; past the first
    // or the last row the current cell stays.
    CerrarEditor();
    const int fila = abierta ? static_cast<int>(*abierta) + 1 : 0;
    if (const int ultima = m_caracteresFG->Rows() - 1; ultima >= 1) {
        m_caracteresFG->SetCeldaActual(std::clamp(fila + paso, 1, ultima), abierta ? 1 : 0);
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
    return QWidget::eventFilter(objeto, evento);
}

void FrmConversionCaracteres::keyPressEvent(QKeyEvent* evento) {
    using modelo::AccionVentana;
    using modelo::TeclaVentana;
    static constexpr std::pair<int, TeclaVentana> kTeclas[] = {
        {Qt::Key_Return, TeclaVentana::Intro},
        {Qt::Key_Enter, TeclaVentana::Intro},
        {Qt::Key_Escape, TeclaVentana::Escape},
        {Qt::Key_F3, TeclaVentana::F3},
        {Qt::Key_F4, TeclaVentana::F4}};
    const TeclaVentana tecla = NombreDeTecla(kTeclas, evento->key(), TeclaVentana::Otra);
    const QWidget* foco = focusWidget();
    switch (modelo::TeclaEnVentana(tecla, evento->modifiers() & Qt::ShiftModifier)) {
    case AccionVentana::Pulsar:
        findChild<QToolButton*>(
            TextoQt(modelo::BotonDeIntro(foco ? Utf8(foco->objectName()) : std::string())))
            ->click();
        return;
    case AccionVentana::Cancelar:
        m_CmdCancelar->click();
        return;
    case AccionVentana::Siguiente:
        m_contexto->Siguiente();
        return;
    case AccionVentana::Anterior:
        m_contexto->Anterior();
        return;
    case AccionVentana::Previa:
        CerrarEditor();
        m_contexto->AlternarPrevia();
        return;
    case AccionVentana::Dejar:
        QWidget::keyPressEvent(evento);
    }
}

// --- Context search --------------------------------------------------------

void FrmConversionCaracteres::CmdBuscar_Click() {
    // The view is only selected and scrolled, never written: the text the
    // engine corrects stays the bytes the scan read.
    if (m_caracteresFG->Row() > 0) {
        m_contexto->Primera();
    }
    CerrarEditor();
}

void FrmConversionCaracteres::FilaActualCambiada() {
    const int fila = m_caracteresFG->Row();
    m_contexto->FilaActual(fila > 0 ? m_caracteresFG->TextMatrix(fila, 0) : std::string());
}

// --- Accept and cancel -----------------------------------------------------

void FrmConversionCaracteres::CmdAceptar_Click() {
    CerrarEditor();
    if (CorregirFichero()) {
        m_app.MostrarSeleccion();
    }
}

bool FrmConversionCaracteres::CorregirFichero() {
    RejillaCaracteres& g = *m_caracteresFG;
    return Modelo().Aceptar(
        // A row without an answer is made current, ready for F2.
        [&g](std::size_t fila) { g.SetCeldaActual(static_cast<int>(fila) + 1, 1); },
        // The proposals are remembered answers now, and drawn as such.
        [&g] {
            for (int fila = 1; fila < g.Rows(); ++fila) {
                g.MostrarRespuesta(fila);
            }
        });
}

void FrmConversionCaracteres::CmdCancelar_Click() {
    // Nothing is kept: what the editor holds is not checked either.
    OcultarEditor();
    const std::optional<modelo::Vuelta> vuelta = Modelo().Cancelar();
    if (!vuelta) {
        return;
    }
    m_app.MostrarSeleccion(NombreQt(vuelta->entrada), NombreQt(vuelta->salida));
}

void FrmConversionCaracteres::closeEvent(QCloseEvent* evento) {
    // The title bar's close box asks as Cancel does when answers typed here
    // would be lost (what the editor holds among them); nothing is stored or
    // written, and with no other window loaded the program ends.
    if (m_app.VentanaActual() == this) {
        CerrarEditor();
        if (!Modelo().Cancelar()) {
            evento->ignore();
            return;
        }
    }
    evento->accept();
    if (m_app.VentanaActual() == this) {
        m_app.Salir();
    }
}

} // namespace tildora
