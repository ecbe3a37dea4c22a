#pragma once

// The conversion window's insides (FrmConversionCaracteres::Impl): its
// models, its controls and its handlers, named after control and event as
// the Qt face's are. frmconversioncaracteres.cpp makes and places the
// controls and routes the messages; acciones.cpp holds what each does.

#include "ui-win32/conversion/frmconversioncaracteres.h"

#include "ui-win32/controles.h"
#include "ui-win32/conversion/editorcelda.h"
#include "ui-win32/conversion/rejilla.h"
#include "ui-win32/conversion/vistatexto.h"

#include "modelos/buscador.h"
#include "modelos/conversion.h"
#include "modelos/conversion_teclas.h"
#include "modelos/editor.h"
#include "modelos/previa.h"
#include "modelos/tamano_ventana.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace tildora::win32 {

struct FrmConversionCaracteres::Impl {
    Impl(HINSTANCE instancia, modelo::Dialogos& dialogos, Estado& estado);
    ~Impl();

    // --- Making and placing (frmconversioncaracteres.cpp) -----------------
    void Crear();
    void CrearControles();
    // The controls by name, and the keys of the window from each of them.
    void Registrar();
    void CrearConsejos();
    LRESULT ColorEtiqueta(HDC dc, HWND etiqueta) const;
    // The window leaves (`sale`) or becomes active: the focus is kept, then
    // given back.
    void Foco(bool sale);
    void Form_Load();
    // Every control where the layout at the client area's size puts it; the
    // editor stays over its cell.
    void Disponer();
    void EncajarEtiquetas();
    // The window moved to a screen of `nuevo` dots per inch: the controls
    // lettered and laid out again at it, in the rectangle the system
    // proposes.
    void CambiarPpp(UINT nuevo, const RECT& propuesto);
    // The frame's width and height around the client area; pixels to twips.
    SIZE Marco() const;
    int Twips(int pixeles) const;
    // The size and whether maximised, kept for the next time it opens.
    void RecordarTamano() const;
    LRESULT Procesar(UINT mensaje, WPARAM w, LPARAM l);
    // A WM_COMMAND from a control.
    void Orden(HWND origen, WORD codigo);
    bool Notificacion(const NMHDR& aviso, LRESULT& resultado);
    static LRESULT CALLBACK Procedimiento(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l);
    static LRESULT CALLBACK Subclase(HWND hwnd, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR datos);
    HWND Control(std::string_view nombre) const;
    // A control's name, by its window; empty for none.
    std::string_view NombreDe(HWND control) const;

    // --- What the controls do (acciones.cpp) ------------------------------
    void caracteresFG_Click();
    void caracteresFG_Scroll();
    void SituarEditor();
    void txtEditor_LostFocus();
    void txtEditor_Validate(bool& cancelar);
    void CerrarEditor();
    void OcultarEditor();
    void DeshacerEditor();
    bool TeclaEnRejilla(const modelo::Pulsacion& pulsacion, wchar_t caracter = 0);
    void TeclaEnEditor(modelo::AccionEditor accion);
    void MoverDesdeEditor(int paso);
    void PonerRespuesta(int fila, conversion::ActoFila acto);
    void RespuestaCambiada(int fila);
    void MenuFila(int fila, POINT donde);
    void AbrirMenuActual();
    // A key for the window, wherever the focus is (Tab, Enter, Esc, F3, F4).
    bool TeclaEnVentana(UINT mensaje, WPARAM tecla);
    void Tabular(bool atras);

    void CmdBuscar_Click();
    void FilaActualCambiada();
    void Elegida();
    void Contar();
    void MostrarPrevia(bool previa, bool situar);
    void CmdAceptar_Click();
    void CmdCancelar_Click();
    void Form_Close();
    void Terminar(FinConversion::Como como, modelo::Vuelta vuelta = {});
    modelo::Conversion& Modelo();

    HINSTANCE instancia;
    modelo::Dialogos& dialogos;
    Estado& estado;
    modelo::Conversion modelo;
    modelo::Editor editor;
    modelo::Buscador buscador;
    modelo::Previa previa;

    HWND hwnd = nullptr;
    UINT ppp = 96;
    modelo::Medida minimo;
    bool maximizada = false;
    std::unique_ptr<Fuente> fuente;
    conversion::Rejilla caracteresFG;
    conversion::EditorCelda txtEditor;
    conversion::VistaTexto textoFicheroRTB;
    std::vector<std::unique_ptr<Etiqueta>> etiquetas;
    std::unique_ptr<Boton> CmdBuscar;
    std::unique_ptr<Boton> CmdPrevia;
    std::unique_ptr<Boton> CmdAceptar;
    std::unique_ptr<Boton> CmdCancelar;
    HWND LblOcurrencias = nullptr;
    HWND LblTextoMostrado = nullptr;
    HWND consejos = nullptr;
    // The controls by name, in focus order.
    std::vector<std::pair<std::string_view, HWND>> controles;
    int filaMarcada = -1;
    HWND focoGuardado = nullptr;

    // Leaving the editor runs once however many focus events its message
    // sets off.
    bool enSalidaEditor = false;
    std::optional<FinConversion> fin;
};

} // namespace tildora::win32
