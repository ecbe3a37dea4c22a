#include "almacen.h"
#include "aplicacion.h"
#include "cli.h"
#include "dialogos.h"
#include "escritura.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // An interrupted write leaves no temporary file behind.
    tildora::BorrarTemporalesAlInterrumpir();

    // With arguments the program works without any window.
    if (argc > 1) {
        return tildora::EjecutarLineaDeOrdenes(argc, argv);
    }

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
