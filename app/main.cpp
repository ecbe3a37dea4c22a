// The windows' program, started by `tildora` without arguments.

#include "core/almacen.h"
#include "core/escritura.h"
#include "ui/aplicacion.h"
#include "ui/dialogos.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // An interrupted write leaves no temporary file behind.
    tildora::BorrarTemporalesAlInterrumpir();

    QApplication qapp(argc, argv);
    // The hand-over unloads one window before it shows the other, so the
    // program must not end when the last window goes; the windows end it
    // themselves (the exit button, or closing the one open window).
    qapp.setQuitOnLastWindowClosed(false);

    tildora::Estado estado;
    estado.RutaAlmacen = tildora::RutaAlmacenPorDefecto();
    tildora::DialogosQt dialogos;
    tildora::Aplicacion app(estado, dialogos, [] { QCoreApplication::exit(0); });
    app.MostrarSeleccion();
    return qapp.exec();
}
