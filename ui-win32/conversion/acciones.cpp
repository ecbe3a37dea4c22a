// What the conversion window's controls do: the editor over a cell, the
// grid's keys and menu, the search and the preview, accept, cancel and the
// close box. Every rule is the models'; this only sends them the user's acts
// and shows what they say.

#include "ui-win32/conversion/ventana_conversion.h"

#include "ui-win32/conversion/ayudas.h"
#include "ui-win32/dialogos.h"

#include <commctrl.h>

#include <algorithm>

namespace tildora::win32 {

modelo::Conversion& FrmConversionCaracteres::Impl::Modelo() {
    // The model's messages show over this window.
    if (auto* propios = dynamic_cast<DialogosWin32*>(&dialogos)) {
        propios->Sobre(hwnd);
    }
    return modelo;
}

// --- In-grid editing -------------------------------------------------------

void FrmConversionCaracteres::Impl::caracteresFG_Click() {
    const int fila = caracteresFG.Row();
    if (caracteresFG.Col() != 0 && fila > 0 && !modelo.EsFija(static_cast<std::size_t>(fila - 1))) {
        SituarEditor();
    } else {
        CerrarEditor();
    }
}

void FrmConversionCaracteres::Impl::SituarEditor() {
    // The commit into the cell opened last, checked like every other one:
    // no way into a cell skips the validation.
    if (editor.Fila()) {
        txtEditor_LostFocus();
    }
    const int fila = caracteresFG.Row();
    editor.Abrir(static_cast<std::size_t>(fila - 1));
    // Over the cell exactly, wherever the grid is scrolled to.
    txtEditor.Mostrar(caracteresFG.RectanguloCelda(fila, caracteresFG.Col(), hwnd));
}

void FrmConversionCaracteres::Impl::caracteresFG_Scroll() {
    CerrarEditor();
}

void FrmConversionCaracteres::Impl::txtEditor_LostFocus() {
    // A message box during validation takes the focus and gives it back:
    // those focus events must not validate or commit a second time.
    if (enSalidaEditor) {
        return;
    }
    enSalidaEditor = true;
    bool cancelar = false;
    txtEditor_Validate(cancelar);
    enSalidaEditor = false;
}

void FrmConversionCaracteres::Impl::txtEditor_Validate(bool& cancelar) {
    // The focus always moves on.
    cancelar = false;
    const std::optional<std::size_t> fila = editor.Fila();
    const modelo::Editor::Salida salida = editor.Salir();
    if (salida.rechazo) {
        txtEditor.TextoDelModelo();
    }
    if (salida.cambiada && fila) {
        RespuestaCambiada(static_cast<int>(*fila) + 1);
    }
    if (!salida.rechazo) {
        return;
    }
    Modelo();
    dialogos.Mensaje(*salida.rechazo, false);
    OcultarEditor();
    // When a click on a button moved the focus, its release went to the
    // message box: the click is lost, and the button must not stay drawn
    // pressed or keep the mouse.
    for (Boton* b : {CmdBuscar.get(), CmdPrevia.get(), CmdAceptar.get(), CmdCancelar.get()}) {
        SendMessageW(b->hwnd(), BM_SETSTATE, FALSE, 0);
        if (GetCapture() == b->hwnd()) {
            ReleaseCapture();
        }
    }
}

void FrmConversionCaracteres::Impl::OcultarEditor() {
    txtEditor.Ocultar(caracteresFG.Hwnd());
}

void FrmConversionCaracteres::Impl::DeshacerEditor() {
    editor.Deshacer();
    txtEditor.TextoDelModelo();
    OcultarEditor();
}

void FrmConversionCaracteres::Impl::CerrarEditor() {
    if (!txtEditor.Visible()) {
        return;
    }
    // Hiding the editor counts as the focus leaving it: what it holds is
    // validated and reaches its cell first.
    txtEditor_LostFocus();
    OcultarEditor();
}

void FrmConversionCaracteres::Impl::RespuestaCambiada(int fila) {
    caracteresFG.MostrarFila(fila);
    previa.RespuestasCambiadas();
    if (previa.Mostrada()) {
        // Made again where the user is looking: the view stays where it is.
        MostrarPrevia(true, false);
    }
}

bool FrmConversionCaracteres::Impl::TeclaEnRejilla(const modelo::Pulsacion& pulsacion,
                                                   wchar_t caracter) {
    using modelo::AccionRejilla;
    const int fila = caracteresFG.Row();
    const AccionRejilla accion = modelo::TeclaEnRejilla(
        modelo, fila > 0 ? std::optional<std::size_t>(fila - 1) : std::nullopt,
        caracteresFG.Col() != 0, pulsacion);
    switch (accion) {
    case AccionRejilla::Dejar:
        return false;
    case AccionRejilla::Nada:
        return true;
    case AccionRejilla::Menu:
        AbrirMenuActual();
        return true;
    case AccionRejilla::Borrado:
    case AccionRejilla::SinRespuesta:
        PonerRespuesta(fila, accion == AccionRejilla::Borrado
                                 ? &modelo::Conversion::DarBorrado
                                 : &modelo::Conversion::QuitarRespuesta);
        return true;
    case AccionRejilla::Abrir:
    case AccionRejilla::AbrirYSustituir:
        break;
    }
    // Opened as a click opens it, over the cell brought into sight first; a
    // typed character then takes the place of all the editor holds.
    caracteresFG.SetCeldaActual(fila, caracteresFG.Col());
    caracteresFG_Click();
    if (accion == AccionRejilla::AbrirYSustituir && caracter != 0 && txtEditor.Visible()) {
        SendMessageW(txtEditor.Hwnd(), EM_SETSEL, 0, -1);
        SendMessageW(txtEditor.Hwnd(), WM_CHAR, caracter, 0);
    }
    return true;
}

void FrmConversionCaracteres::Impl::PonerRespuesta(int fila, conversion::ActoFila acto) {
    CerrarEditor();
    editor.Olvidar();
    if ((modelo.*acto)(static_cast<std::size_t>(fila - 1))) {
        RespuestaCambiada(fila);
    }
}

void FrmConversionCaracteres::Impl::AbrirMenuActual() {
    const int fila = caracteresFG.Row();
    if (fila > 0) {
        caracteresFG.SetCeldaActual(fila, caracteresFG.Col());
        const RECT celda = caracteresFG.RectanguloCelda(fila, caracteresFG.Col(), nullptr);
        MenuFila(fila, POINT{celda.left, celda.bottom});
    }
}

void FrmConversionCaracteres::Impl::MenuFila(int fila, POINT donde) {
    if (fila <= 0 || fila >= caracteresFG.Rows() ||
        modelo.EsFija(static_cast<std::size_t>(fila - 1))) {
        return;
    }
    CerrarEditor();
    if (const std::optional<conversion::ActoFila> acto = caracteresFG.Menu(fila, donde)) {
        PonerRespuesta(fila, *acto);
    }
}

void FrmConversionCaracteres::Impl::TeclaEnEditor(modelo::AccionEditor accion) {
    using modelo::AccionEditor;
    switch (accion) {
    case AccionEditor::Aceptar:
        // What is in the editor must be in its cell before the grid is read.
        CerrarEditor();
        CmdAceptar_Click();
        return;
    case AccionEditor::Deshacer:
        DeshacerEditor();
        return;
    case AccionEditor::Borrado:
        PonerRespuesta(static_cast<int>(*editor.Fila()) + 1, &modelo::Conversion::DarBorrado);
        return;
    case AccionEditor::Subir:
    case AccionEditor::Bajar:
        MoverDesdeEditor(accion == AccionEditor::Subir ? -1 : 1);
        return;
    case AccionEditor::Cerrar:
        // Closed as when the focus leaves it, and nothing more.
        CerrarEditor();
        return;
    case AccionEditor::Dejar:
    case AccionEditor::Sustituir:
        return;
    }
}

void FrmConversionCaracteres::Impl::MoverDesdeEditor(int paso) {
    const std::optional<std::size_t> abierta = editor.Fila();
    // Closed as when the focus leaves it, then on to the next row in the
    // same column; past the first or the last row the current cell stays.
    CerrarEditor();
    const int fila = abierta ? static_cast<int>(*abierta) + 1 : 0;
    if (const int ultima = caracteresFG.Rows() - 1; ultima >= 1) {
        caracteresFG.SetCeldaActual(std::clamp(fila + paso, 1, ultima), abierta ? 1 : 0);
    }
}

// --- Keys ------------------------------------------------------------------

bool FrmConversionCaracteres::Impl::TeclaEnVentana(UINT mensaje, WPARAM tecla) {
    using modelo::AccionVentana;
    using modelo::TeclaVentana;
    if (mensaje != WM_KEYDOWN) {
        return false;
    }
    if (tecla == VK_TAB) {
        Tabular(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    static constexpr std::pair<WPARAM, TeclaVentana> kTeclas[] = {{VK_RETURN, TeclaVentana::Intro},
                                                                  {VK_ESCAPE, TeclaVentana::Escape},
                                                                  {VK_F3, TeclaVentana::F3},
                                                                  {VK_F4, TeclaVentana::F4}};
    const TeclaVentana t = conversion::NombreDeTecla(kTeclas, tecla, TeclaVentana::Otra);
    switch (modelo::TeclaEnVentana(t, GetKeyState(VK_SHIFT) < 0)) {
    case AccionVentana::Pulsar: {
        const std::string_view boton = modelo::BotonDeIntro(NombreDe(GetFocus()));
        SendMessageW(Control(boton), BM_CLICK, 0, 0);
        return true;
    }
    case AccionVentana::Cancelar:
        CmdCancelar_Click();
        return true;
    case AccionVentana::Siguiente:
        if (buscador.Siguiente(textoFicheroRTB.Modelo().InicioSeleccion(),
                               textoFicheroRTB.Modelo().FinSeleccion())) {
            Elegida();
        }
        return true;
    case AccionVentana::Anterior:
        if (buscador.Anterior(textoFicheroRTB.Modelo().InicioSeleccion())) {
            Elegida();
        }
        return true;
    case AccionVentana::Previa:
        CerrarEditor();
        MostrarPrevia(!previa.Mostrada(), true);
        return true;
    case AccionVentana::Dejar:
        return false;
    }
    return false;
}

void FrmConversionCaracteres::Impl::Tabular(bool atras) {
    // The focus order: the grid, the text, the buttons; the editor while it
    // shows. Labels take no focus.
    std::vector<HWND> orden;
    for (const char* n : {"caracteresFG", "textoFicheroRTB", "CmdBuscar", "CmdPrevia", "CmdAceptar",
                          "CmdCancelar", "txtEditor"}) {
        HWND c = Control(n);
        if (IsWindowVisible(c) && IsWindowEnabled(c)) {
            orden.push_back(c);
        }
    }
    const auto actual = std::find(orden.begin(), orden.end(), GetFocus());
    std::size_t i = actual == orden.end() ? 0 : static_cast<std::size_t>(actual - orden.begin());
    i = (i + (atras ? orden.size() - 1 : 1)) % orden.size();
    SetFocus(orden[i]);
}

LRESULT CALLBACK FrmConversionCaracteres::Impl::Subclase(HWND control, UINT mensaje, WPARAM w,
                                                         LPARAM l, UINT_PTR, DWORD_PTR datos) {
    auto* yo = reinterpret_cast<Impl*>(datos);
    const bool rejilla = control == yo->caracteresFG.Hwnd();
    switch (mensaje) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (rejilla) {
            // The grid's own keys first, then the window's; the arrows
            // across move between the two columns.
            if (yo->TeclaEnRejilla(conversion::Rejilla::Pulsacion(w, false))) {
                return 0;
            }
            if (w == VK_LEFT || w == VK_RIGHT) {
                yo->caracteresFG.SetCeldaActual(yo->caracteresFG.Row(), w == VK_RIGHT ? 1 : 0);
                return 0;
            }
        }
        if (yo->TeclaEnVentana(mensaje, w)) {
            return 0;
        }
        break;
    case WM_CHAR:
        if (rejilla) {
            // A typed character goes to the editor it opens; the list
            // view's own search by typing is no use here.
            yo->TeclaEnRejilla(conversion::Rejilla::Pulsacion(w, true), static_cast<wchar_t>(w));
            return 0;
        }
        if (w == L'\r' || w == 0x1B || w == L'\t') {
            return 0;
        }
        break;
    case WM_DRAWITEM:
        if (rejilla && reinterpret_cast<const DRAWITEMSTRUCT*>(l)->CtlType == ODT_HEADER) {
            yo->caracteresFG.DibujarCabecera(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        }
        break;
    case WM_CONTEXTMENU:
        // The menu key and Shift+F10 came as keys; a right-click as NM_RCLICK.
        if (rejilla) {
            return 0;
        }
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
        if (rejilla) {
            yo->caracteresFG_Scroll();
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DefSubclassProc(control, mensaje, w, l);
    default:
        break;
    }
    return DefSubclassProc(control, mensaje, w, l);
}

// --- Context search and preview --------------------------------------------

void FrmConversionCaracteres::Impl::CmdBuscar_Click() {
    // The view is only selected and scrolled, never written.
    if (caracteresFG.Row() > 0 && buscador.Primera()) {
        Elegida();
    }
    CerrarEditor();
}

void FrmConversionCaracteres::Impl::FilaActualCambiada() {
    const int fila = caracteresFG.Row();
    filaMarcada = fila;
    buscador.FilaActual(fila > 0 ? modelo.Clave(static_cast<std::size_t>(fila - 1))
                                 : std::string());
    textoFicheroRTB.MarcarOcurrencias(buscador.Todas());
    textoFicheroRTB.MarcarActual(modelo::Buscador::npos, 0);
    Contar();
}

void FrmConversionCaracteres::Impl::Elegida() {
    // With none chosen, no earlier selection may pass for it.
    const auto [inicio, fin_] = buscador.Seleccion();
    const std::size_t actual = buscador.Actual();
    textoFicheroRTB.Seleccionar(inicio, fin_);
    textoFicheroRTB.MarcarActual(actual, actual == modelo::Buscador::npos ? 0 : buscador.Largo());
    if (actual != modelo::Buscador::npos) {
        textoFicheroRTB.MostrarPosicion(actual);
    }
    Contar();
}

void FrmConversionCaracteres::Impl::Contar() {
    SetWindowTextW(LblOcurrencias, Ancho(buscador.Cuenta()).c_str());
}

void FrmConversionCaracteres::Impl::MostrarPrevia(bool mostrar, bool situar) {
    textoFicheroRTB.MostrarPrevia(previa.Mostrar(mostrar, [this] { return modelo.Filas(); }));
    if (situar && buscador.Actual() != modelo::Buscador::npos) {
        textoFicheroRTB.MostrarPosicion(buscador.Actual());
    }
    SetWindowTextW(LblTextoMostrado, conversion::EnDosLineas(previa.Titulo()).c_str());
}

// --- Accept, cancel, close -------------------------------------------------

void FrmConversionCaracteres::Impl::CmdAceptar_Click() {
    CerrarEditor();
    const bool escrita = Modelo().Aceptar(
        // A row without an answer is made current, ready for F2.
        [this](std::size_t fila) { caracteresFG.SetCeldaActual(static_cast<int>(fila) + 1, 1); },
        // The proposals are remembered answers now, and drawn as such.
        [this] { InvalidateRect(caracteresFG.Hwnd(), nullptr, FALSE); });
    if (escrita) {
        Terminar(FinConversion::Como::Aceptada);
    }
}

void FrmConversionCaracteres::Impl::CmdCancelar_Click() {
    // Nothing is kept: what the editor holds is not checked either.
    OcultarEditor();
    if (std::optional<modelo::Vuelta> vuelta = Modelo().Cancelar()) {
        Terminar(FinConversion::Como::Cancelada, std::move(*vuelta));
    }
}

void FrmConversionCaracteres::Impl::Form_Close() {
    // The title bar's close box asks as Cancel does when typed answers would
    // be lost; then, with no other window loaded, the program ends.
    OcultarEditor();
    if (std::optional<modelo::Vuelta> vuelta = Modelo().Cancelar()) {
        Terminar(FinConversion::Como::Cerrada, std::move(*vuelta));
    }
}

void FrmConversionCaracteres::Impl::Terminar(FinConversion::Como como, modelo::Vuelta vuelta) {
    fin = FinConversion{como, std::move(vuelta)};
    if (hwnd) {
        RecordarTamano();
        DestroyWindow(hwnd);
    }
}

} // namespace tildora::win32
