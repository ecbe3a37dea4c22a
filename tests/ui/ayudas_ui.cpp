#include "tests/ui/ayudas_ui.h"

#include "ui/conversion/frmconversioncaracteres.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPixmap>
#include <QTest>

namespace tildora::pruebas {

Entorno::Entorno()
    : configuracion{qgetenv("XDG_CONFIG_HOME"), qgetenv("APPDATA")},
      app(estado, dialogos, [this] { ++salidas; }) {
    estado.RutaAlmacen = QFile::encodeName(Ruta(QStringLiteral("caracteres.ini"))).toStdString();
    // The user's settings (the window's size) in the test's own folder, never
    // in the real user's.
    const QByteArray propia = QFile::encodeName(Ruta(QStringLiteral("configuracion")));
    qputenv("XDG_CONFIG_HOME", propia);
    qputenv("APPDATA", propia);
}

Entorno::~Entorno() {
    // Windows unloaded during the test still wait for their deferred delete;
    // they go before the state they refer to.
    BorrarPendientes();
    qputenv("XDG_CONFIG_HOME", configuracion[0]);
    qputenv("APPDATA", configuracion[1]);
}

QString Entorno::Ruta(const QString& nombre) const {
    return carpeta.filePath(nombre);
}

QString Entorno::Escribir(const QString& nombre, const QByteArray& bytes) const {
    const QString ruta = Ruta(nombre);
    QFile fichero(ruta);
    if (!fichero.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        fichero.write(bytes) != bytes.size()) {
        qFatal("cannot write the test file %s", qPrintable(ruta));
    }
    return ruta;
}

void BorrarPendientes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList Textos(const DialogosGuionados& dialogos) {
    QStringList textos;
    for (const auto& registro : dialogos.mensajes) {
        textos.append(registro.texto);
    }
    return textos;
}

QByteArray LeerBytes(const QString& ruta) {
    QFile fichero(ruta);
    if (!fichero.open(QIODevice::ReadOnly)) {
        return {};
    }
    return fichero.readAll();
}

void Capturar(QWidget& ventana, const QString& nombre) {
    const QString carpeta = qEnvironmentVariable("TILDORA_CAPTURAS");
    if (carpeta.isEmpty()) {
        return;
    }
    QDir().mkpath(carpeta);
    ventana.grab().save(QDir(carpeta).filePath(nombre + QStringLiteral(".png")));
}

FrmConversionCaracteres* Conversion(Entorno& e) {
    return qobject_cast<FrmConversionCaracteres*>(e.app.VentanaActual());
}

FrmConversionCaracteres* AbrirConversion(Entorno& e, const QByteArray& texto,
                                         const QByteArray& almacen) {
    const QString entrada = e.Escribir(QStringLiteral("entrada.txt"), texto);
    if (!almacen.isNull()) {
        e.Escribir(QStringLiteral("caracteres.ini"), almacen);
    }
    e.estado.FicheroEntrada = QFile::encodeName(entrada).toStdString();
    e.estado.FicheroSalida = QFile::encodeName(e.Ruta(QStringLiteral("salida.txt"))).toStdString();
    modelo::AvisadorDialogos avisador(e.dialogos);
    if (!BuscarErrores(e.estado, e.estado.FicheroEntrada, avisador)) {
        return nullptr;
    }
    e.app.MostrarConversion();
    FrmConversionCaracteres* v = Conversion(e);
    if (v) {
        v->activateWindow();
        if (!QTest::qWaitForWindowActive(v)) {
            return nullptr;
        }
    }
    return v;
}

} // namespace tildora::pruebas
