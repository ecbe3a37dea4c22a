#include "ui/seleccion/frmelegirficheros.h"

#include "core/textos.h"
#include "modelos/disposicion.h"
#include "ui/aplicacion.h"
#include "ui/botones.h"
#include "ui/dialogos.h"
#include "ui/geometria.h"

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>

namespace tildora {

namespace {

QLineEdit* CrearCaja(QWidget* padre, const char* nombre) {
    auto* caja = Colocar(*new QLineEdit(padre), modelo::DisposicionEleccion(), nombre);
    caja->setFont(FuenteVentana());
    return caja;
}

// The name of the one local file a drag of addresses carries; empty for
// several files or a web address.
QString FicheroArrastrado(const QMimeData* datos) {
    const QList<QUrl> urls = datos->urls();
    const bool local = !urls.isEmpty() && urls.front().isLocalFile();
    return modelo::SoltarLlena(static_cast<std::size_t>(urls.size()), local)
               ? urls.front().toLocalFile()
               : QString();
}

} // namespace

FrmElegirFicheros::FrmElegirFicheros(Aplicacion& app)
    : QWidget(nullptr), m_app(app),
      m_eleccion(app.estado(), app.dialogos().Sobre(this),
                 RutaNativa(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)),
                 RutaNativa(QDir::homePath())) {
    setObjectName(QStringLiteral("FrmElegirFicheros"));
    // A fixed layout: nothing in it would follow a change of size.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(TextoQt(textos::Titulo));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/ventana.svg")));
    setFont(FuenteVentana());
    setFixedSize(Tamano(modelo::DisposicionEleccion()));
    CrearControles();
}

void FrmElegirFicheros::CrearControles() {
    const modelo::Disposicion& d = modelo::DisposicionEleccion();
    // Created in focus order; the labels take no focus.
    m_lblFitxategiakAukeratu = CrearEtiqueta(this, d, "lblFitxategiakAukeratu");
    m_LblSeleccionFicheros = CrearEtiqueta(this, d, "LblSeleccionFicheros");
    m_cmdEntrada = CrearBoton(this, d, "cmdEntrada");
    m_txtEntrada = CrearCaja(this, "txtEntrada");
    m_txtSalida = CrearCaja(this, "txtSalida");
    m_cmdSalida = CrearBoton(this, d, "cmdSalida");
    m_CmdActualizar = CrearBoton(this, d, "CmdActualizar");
    m_CmdSalir = CrearBoton(this, d, "CmdSalir");
    m_LblAct = CrearEtiqueta(this, d, "LblAct");
    m_Label1 = CrearEtiqueta(this, d, "Label1");

    // The two languages of the instructions read at one size.
    EncajarTexto({m_lblFitxategiakAukeratu, m_LblSeleccionFicheros});

    // Read out by assistive technology.
    PonerLecturas(*this, modelo::LecturasEleccion());

    setTabOrder(m_cmdEntrada, m_txtEntrada);
    setTabOrder(m_txtEntrada, m_txtSalida);
    setTabOrder(m_txtSalida, m_cmdSalida);
    setTabOrder(m_cmdSalida, m_CmdActualizar);
    setTabOrder(m_CmdActualizar, m_CmdSalir);
    m_cmdEntrada->setFocus();
    m_txtEntrada->installEventFilter(this);
    m_txtSalida->installEventFilter(this);

    connect(m_cmdEntrada, &QToolButton::clicked, this, &FrmElegirFicheros::cmdEntrada_Click);
    connect(m_cmdSalida, &QToolButton::clicked, this, &FrmElegirFicheros::cmdSalida_Click);
    connect(m_CmdActualizar, &QToolButton::clicked, this, &FrmElegirFicheros::CmdActualizar_Click);
    connect(m_CmdSalir, &QToolButton::clicked, this, &FrmElegirFicheros::CmdSalir_Click);
}

void FrmElegirFicheros::Form_Load() {
    CentrarFormulario(*this);
}

void FrmElegirFicheros::PonerEntrada(const QString& nombre, const QString& salida) {
    m_txtEntrada->setText(nombre);
    m_txtSalida->setText(salida);
    m_txtSalida->setFocus();
}

bool FrmElegirFicheros::eventFilter(QObject* objeto, QEvent* evento) {
    const QEvent::Type tipo = evento->type();
    if ((objeto != m_txtEntrada && objeto != m_txtSalida) ||
        (tipo != QEvent::DragEnter && tipo != QEvent::DragMove && tipo != QEvent::Drop)) {
        return QWidget::eventFilter(objeto, evento);
    }
    // Drag-enter and drag-move events are drop events too.
    auto* soltar = static_cast<QDropEvent*>(evento);
    if (soltar->mimeData() == nullptr || !soltar->mimeData()->hasUrls()) {
        // Dragged text is typed into the box as usual.
        return QWidget::eventFilter(objeto, evento);
    }
    const QString nombre = FicheroArrastrado(soltar->mimeData());
    if (nombre.isEmpty()) {
        // Several files, or a web address: not a name for one box.
        soltar->ignore();
        return true;
    }
    if (tipo == QEvent::Drop) {
        auto* caja = static_cast<QLineEdit*>(objeto);
        caja->setText(nombre);
        caja->setFocus();
    }
    soltar->acceptProposedAction();
    return true;
}

modelo::Eleccion& FrmElegirFicheros::Eleccion() {
    m_app.dialogos().Sobre(this);
    return m_eleccion;
}

void FrmElegirFicheros::cmdEntrada_Click() {
    if (const auto elegido = Eleccion().ElegirEntrada(RutaNativa(m_txtEntrada->text()))) {
        m_txtEntrada->setText(NombreQt(*elegido));
    }
}

void FrmElegirFicheros::cmdSalida_Click() {
    if (const auto elegido = Eleccion().ElegirSalida(RutaNativa(m_txtEntrada->text()),
                                                     RutaNativa(m_txtSalida->text()))) {
        m_txtSalida->setText(NombreQt(*elegido));
    }
}

void FrmElegirFicheros::CmdActualizar_Click() {
    if (Eleccion().Actualizar(RutaNativa(m_txtEntrada->text()), RutaNativa(m_txtSalida->text())) ==
        modelo::Eleccion::Siguiente::Conversion) {
        // This window is unloaded here: nothing of it may be touched after.
        m_app.MostrarConversion();
    }
}

void FrmElegirFicheros::CmdSalir_Click() {
    m_app.Salir();
}

void FrmElegirFicheros::keyPressEvent(QKeyEvent* evento) {
    if (evento->key() == Qt::Key_Return || evento->key() == Qt::Key_Enter) {
        if (auto* boton = qobject_cast<QToolButton*>(focusWidget())) {
            boton->click();
            return;
        }
    }
    QWidget::keyPressEvent(evento);
}

void FrmElegirFicheros::closeEvent(QCloseEvent* evento) {
    evento->accept();
    // Only the loaded window speaks for the program; one already unloaded is
    // just going away.
    if (m_app.VentanaActual() == this) {
        m_app.Salir();
    }
}

} // namespace tildora
