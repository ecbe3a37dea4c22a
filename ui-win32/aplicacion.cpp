#include "ui-win32/aplicacion.h"

#include "ui-win32/controles.h"
#include "ui-win32/seleccion/frmelegirficheros.h"

#ifdef TILDORA_WIN32_CONVERSION
#include "ui-win32/conversion/frmconversioncaracteres.h"
#else
namespace tildora::win32 {
// The conversion window's sources are not in this tree yet: only its type,
// so that the hand-over compiles; MostrarConversion says so.
class FrmConversionCaracteres {};
} // namespace tildora::win32
#endif

#include <utility>

namespace tildora::win32 {

Aplicacion::Aplicacion(HINSTANCE instancia, Estado& estado, DialogosWin32& dialogos,
                       std::function<void()> salir)
    : m_instancia(instancia), m_estado(estado), m_dialogos(dialogos), m_win32(&dialogos),
      m_salir(std::move(salir)) {}

Aplicacion::Aplicacion(HINSTANCE instancia, Estado& estado, modelo::Dialogos& dialogos,
                       std::function<void()> salir)
    : m_instancia(instancia), m_estado(estado), m_dialogos(dialogos), m_salir(std::move(salir)) {}

Aplicacion::~Aplicacion() = default;

modelo::Dialogos& Aplicacion::Dialogos(HWND ventana) {
    if (m_win32 != nullptr) {
        m_win32->Sobre(ventana);
    }
    return m_dialogos;
}

HWND Aplicacion::VentanaActual() const {
    if (m_seleccion) {
        return m_seleccion->hwnd();
    }
#ifdef TILDORA_WIN32_CONVERSION
    if (m_conversion) {
        return m_conversion->Ventana();
    }
#endif
    return nullptr;
}

void Aplicacion::Descargar() {
    if (m_seleccion) {
        // Gone from the screen at once, and no input meanwhile: a key typed
        // while a step ran may still be on its way to it.
        ::EnableWindow(m_seleccion->hwnd(), FALSE);
        ::ShowWindow(m_seleccion->hwnd(), SW_HIDE);
        m_seleccionesDescargadas.push_back(std::move(m_seleccion));
    }
    if (m_conversion) {
        m_conversionesDescargadas.push_back(std::move(m_conversion));
    }
}

void Aplicacion::MostrarSeleccion(const std::string& entrada, const std::string& salida) {
    Descargar();
    // A fresh window every time: empty boxes, and a dialog that holds no name.
    m_seleccion = std::make_unique<FrmElegirFicheros>(*this);
    FrmElegirFicheros& ventana = *m_seleccion;
    ventana.Form_Load();
    if (!entrada.empty()) {
        ventana.PonerEntrada(entrada, salida);
    }
    ventana.Mostrar();
}

void Aplicacion::MostrarConversion() {
#ifdef TILDORA_WIN32_CONVERSION
    Descargar();
    m_conversion =
        std::make_unique<FrmConversionCaracteres>(m_instancia, Dialogos(nullptr), m_estado);
    m_conversion->Mostrar();
#else
    // HOOK, not done: the conversion window (ui-win32/conversion/) is not
    // built yet. The first window stays, as after a cancelled conversion.
#endif
}

void Aplicacion::TrasMensaje() {
    m_seleccionesDescargadas.clear();
    m_conversionesDescargadas.clear();
#ifdef TILDORA_WIN32_CONVERSION
    if (!m_conversion || !m_conversion->Fin()) {
        return;
    }
    const FinConversion fin = *m_conversion->Fin();
    switch (fin.como) {
    case FinConversion::Como::Aceptada:
        MostrarSeleccion();
        break;
    case FinConversion::Como::Cancelada:
        MostrarSeleccion(fin.vuelta.entrada, fin.vuelta.salida);
        break;
    case FinConversion::Como::Cerrada:
        Salir();
        break;
    }
#endif
}

void Aplicacion::Salir() {
    Descargar();
    if (m_salir) {
        m_salir();
    }
}

void Despachar(MSG& msg) {
    if (Ventana* ventana = Ventana::De(::GetAncestor(msg.hwnd, GA_ROOT))) {
        if (ventana->PreTraducir(msg)) {
            return;
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

} // namespace tildora::win32
