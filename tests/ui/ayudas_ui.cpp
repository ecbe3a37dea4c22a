#include "tests/ui/ayudas_ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPixmap>

namespace tildora::pruebas {

Entorno::Entorno() : app(estado, dialogos, [this] { ++salidas; }) {
    estado.RutaAlmacen = QFile::encodeName(Ruta(QStringLiteral("caracteres.ini"))).toStdString();
}

Entorno::~Entorno() {
    // Windows unloaded during the test still wait for their deferred delete;
    // they go before the state they refer to.
    BorrarPendientes();
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

} // namespace tildora::pruebas
