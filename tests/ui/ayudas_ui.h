#pragma once

// Shared by the window tests: a fresh program per test, files in a temporary
// folder, and ways to look at what the windows did.

#include "core/estado.h"
#include "tests/ui/dialogos_guionados.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

namespace tildora {
class FrmConversionCaracteres;
}

namespace tildora::pruebas {

// One program run: its own state, scripted dialogs, a store in its own
// temporary folder, and an exit function that only counts.
struct Entorno {
    Entorno();
    ~Entorno();
    Entorno(const Entorno&) = delete;
    Entorno& operator=(const Entorno&) = delete;

    // A path inside the temporary folder.
    QString Ruta(const QString& nombre) const;
    // Writes `bytes` to a file of the temporary folder and gives its path.
    QString Escribir(const QString& nombre, const QByteArray& bytes) const;

    QTemporaryDir carpeta;
    // XDG_CONFIG_HOME and APPDATA as they were: the test's own folder stands
    // for the user's configuration folder while it runs.
    QByteArray configuracion[2];
    Estado estado;
    DialogosGuionados dialogos;
    int salidas = 0;
    Aplicacion app;
};

// The conversion window, when it is the one shown.
FrmConversionCaracteres* Conversion(Entorno& e);
// Scans `texto` as the input file and opens the conversion window on it, the
// way the first window hands over, shown and active; `almacen` is the
// store's content, if any (null: no store file).
FrmConversionCaracteres* AbrirConversion(Entorno& e, const QByteArray& texto,
                                         const QByteArray& almacen = {});

// Destroys the windows that were unloaded (deleteLater) until now.
void BorrarPendientes();

// The texts of the recorded messages, in order.
QStringList Textos(const DialogosGuionados& dialogos);

// Reads a whole file; empty when it cannot be read.
QByteArray LeerBytes(const QString& ruta);

// When TILDORA_CAPTURAS names a folder, saves the widget as it is drawn there
// as `nombre`.png, so a person can look at it. Does nothing otherwise.
void Capturar(QWidget& ventana, const QString& nombre);

} // namespace tildora::pruebas
