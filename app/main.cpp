// The windows' program, started by `tildora` when it is given no command.

#include "cli/argumentos.h"
#include "core/almacen.h"
#include "core/proceso.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"
#include "ui/idioma.h"

#include <QApplication>
#include <QFile>
#include <QTranslator>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // An interrupted write leaves no temporary file behind.
    tildora::PrepararSenales();

    // Read before QApplication takes its own options out of argv.
    const tildora::cli::Arranque arranque =
        tildora::cli::DecidirArranque(std::vector<std::string>(argv + 1, argv + argc));

    QApplication qapp(argc, argv);
    // The hand-over unloads one window before it shows the other, so the
    // program must not end when the last window goes; the windows end it
    // themselves (the exit button, or closing the one open window).
    qapp.setQuitOnLastWindowClosed(false);
    // Qt's own words (the message boxes' buttons, the file dialogs) in the
    // user's language, Spanish for a Basque user. The windows read left to
    // right whatever that language is: set first, a translation cannot turn
    // them round.
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
    const std::unique_ptr<QTranslator> traducciones = tildora::TraduccionesQt();
    if (traducciones) {
        QCoreApplication::installTranslator(traducciones.get());
    }
    // Ties the windows to the installed menu entry (its icon in a task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("eus.tildora.Tildora"));

    tildora::Estado estado;
    estado.RutaAlmacen = tildora::RutaAlmacenPorDefecto();
    tildora::DialogosQt dialogos;
    tildora::Aplicacion app(estado, dialogos, [] { QCoreApplication::exit(0); });
    app.MostrarSeleccion(QFile::decodeName(arranque.fichero.c_str()));
    return qapp.exec();
}
