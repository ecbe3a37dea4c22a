#include "frmelegirficheros.h"

#include "aplicacion.h"
#include "botones.h"
#include "dialogos.h"
#include "escaneo.h"
#include "ficheros.h"
#include "geometria.h"
#include "textos.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QToolButton>
#include <string>

namespace tildora {

namespace {

// Only the space counts as a blank around a name: a tab or any other
// character is part of it.
QString RecortarEspacios(const QString& texto) {
    qsizetype inicio = 0;
    qsizetype fin = texto.size();
    while (inicio < fin && texto.at(inicio) == QLatin1Char(' ')) {
        ++inicio;
    }
    while (fin > inicio && texto.at(fin - 1) == QLatin1Char(' ')) {
        --fin;
    }
    return texto.mid(inicio, fin - inicio);
}

// A name as the file system takes it.
std::string RutaNativa(const QString& nombre) {
    return QFile::encodeName(nombre).toStdString();
}

QLabel* CrearEtiqueta(QWidget* padre, const char* nombre, std::string_view texto,
                      const QColor& color, bool negrita, const QRect& donde) {
    auto* etiqueta = new QLabel(TextoQt(texto), padre);
    etiqueta->setObjectName(QLatin1String(nombre));
    etiqueta->setGeometry(donde);
    etiqueta->setFont(FuenteVentana(negrita));
    etiqueta->setWordWrap(true);
    etiqueta->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    etiqueta->setTextFormat(Qt::PlainText);
    QPalette paleta = etiqueta->palette();
    paleta.setColor(QPalette::WindowText, color);
    etiqueta->setPalette(paleta);
    EncajarTexto(*etiqueta);
    return etiqueta;
}

QLineEdit* CrearCaja(QWidget* padre, const char* nombre, const QRect& donde) {
    auto* caja = new QLineEdit(padre);
    caja->setObjectName(QLatin1String(nombre));
    caja->setGeometry(donde);
    caja->setFont(FuenteVentana());
    return caja;
}

} // namespace

void FrmElegirFicheros::DialogoFichero::ShowOpen(Dialogos& dialogos, QWidget* padre) {
    const QString elegido = dialogos.AbrirFichero(padre);
    if (!elegido.isEmpty()) {
        FileName = elegido;
    }
}

void FrmElegirFicheros::DialogoFichero::ShowSave(Dialogos& dialogos, QWidget* padre) {
    const QString elegido = dialogos.GuardarFichero(padre);
    if (!elegido.isEmpty()) {
        FileName = elegido;
    }
}

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
    lblFitxategiakAukeratu =
        CrearEtiqueta(this, "lblFitxategiakAukeratu", textos::LblFitxategiakAukeratu, marino, false,
                      RectTwips(150, 240, 4845, 465));
    LblSeleccionFicheros = CrearEtiqueta(this, "LblSeleccionFicheros", textos::LblSeleccionFicheros,
                                         marino, false, RectTwips(150, 780, 4845, 465));

    const QString carpeta = QStringLiteral(":/iconos/carpeta.svg");
    cmdEntrada = CrearBotonImagen(this, QStringLiteral("cmdEntrada"), carpeta, QSize(16, 16), {});
    cmdEntrada->setGeometry(RectTwips(4170, 1860, 405, 345));
    txtEntrada = CrearCaja(this, "txtEntrada", RectTwips(480, 1860, 3645, 345));
    txtSalida = CrearCaja(this, "txtSalida", RectTwips(480, 2730, 3645, 345));
    cmdSalida = CrearBotonImagen(this, QStringLiteral("cmdSalida"), carpeta, QSize(16, 16), {});
    cmdSalida->setGeometry(RectTwips(4170, 2730, 405, 345));

    CmdActualizar = CrearBotonImagen(this, QStringLiteral("CmdActualizar"),
                                     QStringLiteral(":/iconos/corregir.svg"), QSize(16, 16),
                                     TextoQt(textos::CmdActualizar));
    CmdActualizar->setGeometry(RectTwips(1110, 3450, 1300, 800));
    CmdSalir =
        CrearBotonImagen(this, QStringLiteral("CmdSalir"), QStringLiteral(":/iconos/salir.svg"),
                         QSize(16, 16), TextoQt(textos::CmdSalir));
    CmdSalir->setGeometry(RectTwips(2790, 3450, 1300, 800));

    LblAct = CrearEtiqueta(this, "LblAct", textos::LblAct, granate, true,
                           RectTwips(510, 1530, 3615, 300));
    Label1 = CrearEtiqueta(this, "Label1", textos::Label1Salida, verde, true,
                           RectTwips(510, 2400, 3615, 300));

    setTabOrder(cmdEntrada, txtEntrada);
    setTabOrder(txtEntrada, txtSalida);
    setTabOrder(txtSalida, cmdSalida);
    setTabOrder(cmdSalida, CmdActualizar);
    setTabOrder(CmdActualizar, CmdSalir);
    cmdEntrada->setFocus();

    connect(cmdEntrada, &QToolButton::clicked, this, &FrmElegirFicheros::cmdEntrada_Click);
    connect(cmdSalida, &QToolButton::clicked, this, &FrmElegirFicheros::cmdSalida_Click);
    connect(CmdActualizar, &QToolButton::clicked, this, &FrmElegirFicheros::CmdActualizar_Click);
    connect(CmdSalir, &QToolButton::clicked, this, &FrmElegirFicheros::CmdSalir_Click);
}

void FrmElegirFicheros::Form_Load() {
    CentrarFormulario(*this);
}

void FrmElegirFicheros::Avisar(std::string_view texto) {
    m_app.dialogos().Mensaje(this, TextoQt(texto), false);
}

void FrmElegirFicheros::cmdEntrada_Click() {
    ficheroCD.ShowOpen(m_app.dialogos(), this);
    // Whatever the dialog holds, a cancel included, replaces the box's text.
    m_app.estado().FicheroEntrada = RutaNativa(ficheroCD.FileName);
    txtEntrada->setText(ficheroCD.FileName);
}

void FrmElegirFicheros::cmdSalida_Click() {
    ficheroCD.ShowSave(m_app.dialogos(), this);
    m_app.estado().FicheroSalida = RutaNativa(ficheroCD.FileName);
    txtSalida->setText(ficheroCD.FileName);
}

void FrmElegirFicheros::CmdActualizar_Click() {
    Estado& estado = m_app.estado();
    Dialogos& dialogos = m_app.dialogos();

    // The boxes keep their text as typed; only the names are trimmed.
    estado.FicheroEntrada = RutaNativa(RecortarEspacios(txtEntrada->text()));
    estado.FicheroSalida = RutaNativa(RecortarEspacios(txtSalida->text()));

    if (estado.FicheroSalida.empty() || estado.FicheroEntrada.empty()) {
        Avisar(textos::M1NombreIncorrecto);
        return;
    }
    // Equal names, and also two spellings of one existing file ("./a.txt" and
    // "a.txt", a link): writing the output would destroy the input.
    if (estado.FicheroSalida == estado.FicheroEntrada ||
        MismoFichero(estado.FicheroSalida, estado.FicheroEntrada)) {
        Avisar(textos::M2NombresIguales);
        return;
    }
    if (ExisteFicheroOrdinario(estado.FicheroSalida) &&
        dialogos.Mensaje(this, TextoQt(textos::M3SobreEscribir), true) ==
            Dialogos::Respuesta::Cancelar) {
        return;
    }

    AvisadorDialogos avisador(dialogos, this);
    if (BuscarErrores(estado, estado.FicheroEntrada, avisador)) {
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
