#include "ui-win32/seleccion/frmelegirficheros.h"

#include "core/textos.h"
#include "modelos/disposicion.h"
#include "ui-win32/accesibilidad.h"
#include "ui-win32/aplicacion.h"

#include <shellapi.h>
#include <shlobj.h>

namespace tildora::win32 {

namespace {

// A folder of the user's, as the file system names it; empty when unknown.
std::string CarpetaConocida(REFKNOWNFOLDERID carpeta) {
    PWSTR ruta = nullptr;
    std::string nombre;
    if (SUCCEEDED(::SHGetKnownFolderPath(carpeta, 0, nullptr, &ruta))) {
        nombre = Utf8(ruta);
    }
    ::CoTaskMemFree(ruta);
    return nombre;
}

} // namespace

FrmElegirFicheros::FrmElegirFicheros(Aplicacion& app)
    : Ventana(app.instancia(), modelo::DisposicionEleccion()), m_app(app),
      m_eleccion(app.estado(), app.Dialogos(nullptr), CarpetaConocida(FOLDERID_Documents),
                 CarpetaConocida(FOLDERID_Profile)) {
    Crear(L"TildoraFrmElegirFicheros", textos::Titulo);
    CrearControles();
    ::DragAcceptFiles(hwnd(), TRUE);
}

void FrmElegirFicheros::CrearControles() {
    const modelo::Disposicion& d = m_disposicion;
    // Created in focus order; the labels take no focus.
    auto& lblFitxategiakAukeratu = Agregar<Etiqueta>(hwnd(), d, "lblFitxategiakAukeratu");
    auto& LblSeleccionFicheros = Agregar<Etiqueta>(hwnd(), d, "LblSeleccionFicheros");
    m_cmdEntrada = &Agregar<Boton>(hwnd(), m_instancia, d, "cmdEntrada");
    m_txtEntrada = &Agregar<CuadroTexto>(hwnd(), d, "txtEntrada");
    m_txtSalida = &Agregar<CuadroTexto>(hwnd(), d, "txtSalida");
    m_cmdSalida = &Agregar<Boton>(hwnd(), m_instancia, d, "cmdSalida");
    m_CmdActualizar = &Agregar<Boton>(hwnd(), m_instancia, d, "CmdActualizar");
    m_CmdSalir = &Agregar<Boton>(hwnd(), m_instancia, d, "CmdSalir");
    auto& LblAct = Agregar<Etiqueta>(hwnd(), d, "LblAct");
    auto& Label1 = Agregar<Etiqueta>(hwnd(), d, "Label1");

    // The two languages of the instructions read at one size, and the two
    // boxes' names at another: each pair shrinks together where the
    // system's font at this density is wider than the layout's.
    Encajar({&lblFitxategiakAukeratu, &LblSeleccionFicheros});
    Encajar({&LblAct, &Label1});

    m_cmdEntrada->onClick = [this] { cmdEntrada_Click(); };
    m_cmdSalida->onClick = [this] { cmdSalida_Click(); };
    m_CmdActualizar->onClick = [this] { CmdActualizar_Click(); };
    m_CmdSalir->onClick = [this] { CmdSalir_Click(); };
    Enfocar(m_cmdEntrada->hwnd());
    // What a screen reader reads of each control.
    PonerLecturas(modelo::LecturasEleccion(), [this](std::string_view n) { return Control(n); });
}

void FrmElegirFicheros::Form_Load() {
    // Centred on the screen the window is on (the arithmetic is the
    // layout model's), its outer frame included.
    RECT marco;
    ::GetWindowRect(hwnd(), &marco);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& pantalla = monitor.rcMonitor;
    const int ppp = static_cast<int>(PuntosPorPulgada(hwnd()));
    const auto twips = [ppp](LONG pixeles) {
        return static_cast<double>(pixeles) * 96 * modelo::kTwipsPorPixel / ppp;
    };
    const auto pixeles = [ppp](int twips) {
        return ::MulDiv(twips, ppp, 96 * modelo::kTwipsPorPixel);
    };
    const int izquierda = modelo::CoordenadaCentrada(twips(pantalla.right - pantalla.left),
                                                     twips(marco.right - marco.left));
    const int arriba = modelo::CoordenadaCentrada(twips(pantalla.bottom - pantalla.top),
                                                  twips(marco.bottom - marco.top));
    ::SetWindowPos(hwnd(), nullptr, pantalla.left + pixeles(izquierda),
                   pantalla.top + pixeles(arriba), 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmElegirFicheros::PonerEntrada(const std::string& nombre, const std::string& salida) {
    m_txtEntrada->PonerTexto(nombre);
    m_txtSalida->PonerTexto(salida);
    Enfocar(m_txtSalida->hwnd());
}

void FrmElegirFicheros::Mostrar() {
    ::ShowWindow(hwnd(), SW_SHOW);
    ::SetForegroundWindow(hwnd());
    ::UpdateWindow(hwnd());
}

modelo::Eleccion& FrmElegirFicheros::Eleccion() {
    m_app.Dialogos(hwnd());
    return m_eleccion;
}

void FrmElegirFicheros::cmdEntrada_Click() {
    if (const auto elegido = Eleccion().ElegirEntrada(m_txtEntrada->Texto())) {
        m_txtEntrada->PonerTexto(*elegido);
    }
}

void FrmElegirFicheros::cmdSalida_Click() {
    if (const auto elegido = Eleccion().ElegirSalida(m_txtEntrada->Texto(), m_txtSalida->Texto())) {
        m_txtSalida->PonerTexto(*elegido);
    }
}

void FrmElegirFicheros::CmdActualizar_Click() {
    if (Eleccion().Actualizar(m_txtEntrada->Texto(), m_txtSalida->Texto()) ==
        modelo::Eleccion::Siguiente::Conversion) {
        // This window is unloaded here: nothing of it may be touched after.
        m_app.MostrarConversion();
    }
}

void FrmElegirFicheros::CmdSalir_Click() {
    m_app.Salir();
}

void FrmElegirFicheros::AlCerrar() {
    // Only the loaded window speaks for the program; one already unloaded is
    // just going away.
    if (m_app.Seleccion() == this) {
        m_app.Salir();
    }
}

LRESULT FrmElegirFicheros::Procesar(UINT mensaje, WPARAM wparam, LPARAM lparam) {
    if (mensaje == WM_DROPFILES) {
        Soltar(reinterpret_cast<HDROP>(wparam));
        return 0;
    }
    return Ventana::Procesar(mensaje, wparam, lparam);
}

void FrmElegirFicheros::Soltar(HDROP soltados) {
    POINT punto;
    ::DragQueryPoint(soltados, &punto);
    HWND sobre = ::ChildWindowFromPointEx(hwnd(), punto, CWP_SKIPINVISIBLE);
    CuadroTexto* caja = sobre == m_txtEntrada->hwnd()  ? m_txtEntrada
                        : sobre == m_txtSalida->hwnd() ? m_txtSalida
                                                       : nullptr;
    const UINT cuantos = ::DragQueryFileW(soltados, 0xFFFFFFFF, nullptr, 0);
    // Explorer drops files of the file system only: every one is local.
    if (caja != nullptr && modelo::SoltarLlena(cuantos, true)) {
        std::wstring nombre(::DragQueryFileW(soltados, 0, nullptr, 0) + 1, L'\0');
        nombre.resize(
            ::DragQueryFileW(soltados, 0, nombre.data(), static_cast<UINT>(nombre.size())));
        caja->PonerTexto(Utf8(nombre));
        Enfocar(caja->hwnd());
    }
    ::DragFinish(soltados);
}

} // namespace tildora::win32
