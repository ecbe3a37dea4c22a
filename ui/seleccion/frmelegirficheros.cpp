#include "ui/seleccion/frmelegirficheros.h"

#include "core/estado.h"
#include "core/reglas.h"
#include "core/textos.h"
#include "ui/aplicacion.h"
#include "ui/botones.h"
#include "ui/dialogos.h"
#include "ui/geometria.h"
#include "ui/progreso.h"

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>
#include <string>

namespace tildora {

namespace {

// A name as the file system takes it.
std::string RutaNativa(const QString& nombre) {
    return QFile::encodeName(nombre).toStdString();
}

QLineEdit* CrearCaja(QWidget* padre, const char* nombre, const QRect& donde) {
    auto* caja = new QLineEdit(padre);
    caja->setObjectName(QLatin1String(nombre));
    caja->setGeometry(donde);
    caja->setFont(FuenteVentana());
    return caja;
}

// The name of the one local file a drag of addresses carries; empty for
// several files or a web address.
QString FicheroArrastrado(const QMimeData* datos) {
    if (datos->urls().size() != 1) {
        return {};
    }
    const QUrl url = datos->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

// Where the open dialog starts: at the file the input box names, else in
// its folder, else in the user's documents folder.
QString InicioAbrir(const QString& caja) {
    const QFileInfo nombre(caja.trimmed());
    if (!caja.trimmed().isEmpty() && nombre.isFile()) {
        return nombre.absoluteFilePath();
    }
    if (!caja.trimmed().isEmpty() && nombre.absoluteDir().exists()) {
        return nombre.absolutePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// What the save dialog proposes: the output box's name; else, beside the
// input, its name with ".tildora" before the extension ("carta.txt" gives
// "carta.tildora.txt": the corrected copy sorts next to the input, opens
// with the same program, and the mark reads the same in both languages);
// else the documents folder.
QString PropuestaGuardar(const QString& entrada, const QString& salida) {
    if (!salida.trimmed().isEmpty()) {
        return QFileInfo(salida.trimmed()).absoluteFilePath();
    }
    if (entrada.trimmed().isEmpty()) {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    }
    const QFileInfo nombre(entrada.trimmed());
    const QString base = nombre.completeBaseName();
    const QString marca = QStringLiteral(".tildora");
    const QString propuesto = base.isEmpty() || nombre.suffix().isEmpty()
                                  ? nombre.fileName() + marca
                                  : base + marca + QLatin1Char('.') + nombre.suffix();
    return nombre.absoluteDir().filePath(propuesto);
}

} // namespace

FrmElegirFicheros::FrmElegirFicheros(Aplicacion& app) : QWidget(nullptr), m_app(app) {
    setObjectName(QStringLiteral("FrmElegirFicheros"));
    // A fixed layout: nothing in it would follow a change of size.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(TextoQt(textos::Titulo));
    setWindowIcon(QIcon(QStringLiteral(":/iconos/ventana.svg")));
    setFont(FuenteVentana());
    setFixedSize(Px(5160), Px(4515));
    CrearControles();
}

void FrmElegirFicheros::CrearControles() {
    const QColor marino(0, 0, 128);
    const QColor granate(128, 0, 0);
    const QColor verde(0, 128, 0);

    // Created in focus order; the labels take no focus.
    m_lblFitxategiakAukeratu =
        CrearEtiqueta(this, "lblFitxategiakAukeratu", textos::LblFitxategiakAukeratu, marino, false,
                      RectTwips(150, 240, 4845, 465));
    m_LblSeleccionFicheros =
        CrearEtiqueta(this, "LblSeleccionFicheros", textos::LblSeleccionFicheros, marino, false,
                      RectTwips(150, 780, 4845, 465));

    const QString carpeta = QStringLiteral(":/iconos/carpeta.svg");
    m_cmdEntrada = CrearBotonImagen(this, QStringLiteral("cmdEntrada"), carpeta, QSize(16, 16), {});
    m_cmdEntrada->setGeometry(RectTwips(4170, 1860, 405, 345));
    m_txtEntrada = CrearCaja(this, "txtEntrada", RectTwips(480, 1860, 3645, 345));
    m_txtSalida = CrearCaja(this, "txtSalida", RectTwips(480, 2730, 3645, 345));
    m_cmdSalida = CrearBotonImagen(this, QStringLiteral("cmdSalida"), carpeta, QSize(16, 16), {});
    m_cmdSalida->setGeometry(RectTwips(4170, 2730, 405, 345));

    m_CmdActualizar = CrearBotonImagen(this, QStringLiteral("CmdActualizar"),
                                       QStringLiteral(":/iconos/corregir.svg"), QSize(16, 16),
                                       TextoQt(textos::CmdActualizar));
    m_CmdActualizar->setGeometry(RectTwips(1110, 3450, 1300, 800));
    m_CmdSalir =
        CrearBotonImagen(this, QStringLiteral("CmdSalir"), QStringLiteral(":/iconos/salir.svg"),
                         QSize(16, 16), TextoQt(textos::CmdSalir));
    m_CmdSalir->setGeometry(RectTwips(2790, 3450, 1300, 800));

    m_LblAct = CrearEtiqueta(this, "LblAct", textos::LblAct, granate, true,
                             RectTwips(510, 1530, 3615, 300));
    m_Label1 = CrearEtiqueta(this, "Label1", textos::Label1Salida, verde, true,
                             RectTwips(510, 2400, 3615, 300));

    // The two languages of the instructions read at one size.
    EncajarTexto({m_lblFitxategiakAukeratu, m_LblSeleccionFicheros});

    // Read out by assistive technology; a label is named by its caption.
    for (QLabel* etiqueta : {m_lblFitxategiakAukeratu, m_LblSeleccionFicheros}) {
        etiqueta->setAccessibleDescription(TextoQt(textos::AccArgibideak));
    }
    for (QLabel* etiqueta : {m_LblAct, m_Label1}) {
        etiqueta->setAccessibleDescription(TextoQt(textos::AccIzenburua));
    }
    PonerAccesible(*m_cmdEntrada, textos::AccEntradaBoton, textos::AccEntradaBotonDesc);
    PonerAccesible(*m_txtEntrada, textos::AccEntradaCaja, textos::AccEntradaCajaDesc);
    PonerAccesible(*m_txtSalida, textos::AccSalidaCaja, textos::AccSalidaCajaDesc);
    PonerAccesible(*m_cmdSalida, textos::AccSalidaBoton, textos::AccSalidaBotonDesc);
    PonerAccesible(*m_CmdActualizar, textos::AccActualizar, textos::AccActualizarDesc);
    PonerAccesible(*m_CmdSalir, textos::AccSalir, textos::AccSalirDesc);

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

void FrmElegirFicheros::Avisar(std::string_view texto) {
    m_app.dialogos().Mensaje(this, TextoQt(texto), false);
}

void FrmElegirFicheros::cmdEntrada_Click() {
    const QString elegido = m_app.dialogos().AbrirFichero(this, InicioAbrir(m_txtEntrada->text()));
    // A cancel leaves the box as it was.
    if (!elegido.isEmpty()) {
        m_app.estado().FicheroEntrada = RutaNativa(elegido);
        m_txtEntrada->setText(elegido);
    }
}

void FrmElegirFicheros::cmdSalida_Click() {
    const QString elegido = m_app.dialogos().GuardarFichero(
        this, PropuestaGuardar(m_txtEntrada->text(), m_txtSalida->text()));
    if (!elegido.isEmpty()) {
        m_app.estado().FicheroSalida = RutaNativa(elegido);
        m_txtSalida->setText(elegido);
    }
}

void FrmElegirFicheros::CmdActualizar_Click() {
    Estado& estado = m_app.estado();
    Dialogos& dialogos = m_app.dialogos();

    // The boxes keep their text as typed; only the names are trimmed.
    estado.FicheroEntrada = RecortarEspacios(RutaNativa(m_txtEntrada->text()));
    estado.FicheroSalida = RecortarEspacios(RutaNativa(m_txtSalida->text()));

    if (const Resultado<void> r =
            ComprobarNombres(estado.FicheroEntrada, estado.FicheroSalida, estado.RutaAlmacen);
        !r) {
        Avisar(r.fallo() == Fallo::NombreVacio      ? textos::M1NombreIncorrecto
               : r.fallo() == Fallo::NombresIguales ? textos::M2NombresIguales
                                                    : textos::SalidaIncorrecta);
        return;
    }
    // An output that cannot be written is said now, with why, not once every
    // row has been answered.
    if (const Resultado<void> r = SalidaEscribible(estado.FicheroSalida); !r) {
        Avisar(std::string(textos::SalidaIncorrecta) + "\n" + Motivo(r.error()));
        return;
    }
    // A file that is there gets the question, a hidden one too: it would be
    // replaced as well.
    const Hay hay = QueHay(estado.FicheroSalida);
    estado.ReemplazarSalida = ExisteFicheroOrdinario(estado.FicheroSalida) ||
                              (hay.existe && hay.codigo == 0 && !hay.carpeta);
    if (estado.ReemplazarSalida && dialogos.Mensaje(this, TextoQt(textos::M3SobreEscribir), true) ==
                                       Dialogos::Respuesta::Cancelar) {
        return;
    }

    // The scan runs on a thread of its own; what it has to say is said once
    // it is over.
    AvisadorDiferido avisador;
    Progreso progreso;
    bool hayErrores = false;
    EjecutarConProgreso(
        dialogos, this, textos::ProgresoLectura, true, progreso, m_app.UmbralProgresoMs(),
        [&] { hayErrores = BuscarErrores(estado, estado.FicheroEntrada, avisador, &progreso); });
    if (progreso.Cancelado()) {
        // Back where the user was: the names stay, nothing is kept.
        estado.documento = Documento{};
        estado.ErrorLectura = false;
        return;
    }
    avisador.Mostrar(dialogos, this);
    if (hayErrores) {
        // This window is unloaded here: nothing of it may be touched after.
        m_app.MostrarConversion();
        return;
    }
    if (estado.ErrorLectura) {
        // The scan has already told the user.
        estado.ErrorLectura = false;
        return;
    }
    Avisar(textos::M4SinErrores);
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
