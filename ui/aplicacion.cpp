#include "ui/aplicacion.h"

#include "ui/conversion/frmconversioncaracteres.h"
#include "ui/seleccion/frmelegirficheros.h"

#include <QtGlobal>
#include <utility>

// The pictures live in a static library; naming their initialiser here makes
// the linker keep it, and registers them before any window needs one. It has
// to sit outside every namespace for the initialiser's name to be found.
static void RegistrarRecursos() {
    Q_INIT_RESOURCE(recursos);
}

namespace tildora {

Aplicacion::Aplicacion(Estado& estado, DialogosQt& dialogos, std::function<void()> salir)
    : m_estado(estado), m_dialogos(dialogos), m_salir(std::move(salir)) {
    RegistrarRecursos();
}

Aplicacion::Aplicacion(Estado& estado, modelo::Dialogos& dialogos, std::function<void()> salir)
    : m_estado(estado), m_dialogos(dialogos), m_salir(std::move(salir)) {
    RegistrarRecursos();
}

Aplicacion::~Aplicacion() {
    // The windows refer to this object: none may outlive it.
    delete m_actual.data();
    for (const QPointer<QWidget>& ventana : std::as_const(m_descargadas)) {
        delete ventana.data();
    }
}

void Aplicacion::Descargar() {
    QWidget* ventana = m_actual.data();
    m_actual = nullptr;
    if (ventana == nullptr) {
        return;
    }
    // Gone from the screen at once; destroyed once the event that unloaded it
    // (usually one of its own button handlers) has returned. Until then it
    // takes no input: a key typed while a step ran may still be on its way
    // to it.
    ventana->setEnabled(false);
    ventana->hide();
    ventana->deleteLater();
    m_descargadas.removeIf([](const QPointer<QWidget>& v) { return v.isNull(); });
    m_descargadas.append(ventana);
}

void Aplicacion::MostrarSeleccion(const QString& entrada, const QString& salida) {
    Descargar();
    // A fresh window every time: empty boxes, and a dialog that holds no name.
    auto* ventana = new FrmElegirFicheros(*this);
    m_actual = ventana;
    ventana->Form_Load();
    if (!entrada.isEmpty()) {
        ventana->PonerEntrada(entrada, salida);
    }
    Mostrar(ventana);
}

void Aplicacion::MostrarConversion() {
    Descargar();
    auto* ventana = new FrmConversionCaracteres(*this);
    m_actual = ventana;
    ventana->Form_Load();
    Mostrar(ventana);
}

void Aplicacion::Mostrar(QWidget* ventana) {
    // Form_Load may itself have handed over or ended the program; a window
    // that is no longer the loaded one must not appear.
    if (m_actual == ventana) {
        ventana->show();
    }
}

void Aplicacion::Salir() {
    Descargar();
    if (m_salir) {
        m_salir();
    }
}

} // namespace tildora
