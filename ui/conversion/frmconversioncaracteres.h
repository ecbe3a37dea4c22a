#pragma once

#include "core/correccion.h"
#include "modelos/conversion.h"
#include "modelos/dialogos.h"
#include "modelos/editor.h"
#include "ui/conversion/celdas.h"

#include <QPointer>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace tildora {

class Aplicacion;
class ContextoTexto;
class VistaTexto;

// The conversion window: the wrong characters with a replacement each, the
// file's text, and accept and cancel.
class FrmConversionCaracteres : public QWidget {
    Q_OBJECT

public:
    explicit FrmConversionCaracteres(Aplicacion& app);

    // Called by the app after construction, before the window is shown.
    void Form_Load();

    RejillaCaracteres* Rejilla() const { return m_caracteresFG; }
    VistaTexto* Vista() const { return m_textoFicheroRTB; }
    QLineEdit* Editor() const { return m_txtEditor; }

public slots:
    void caracteresFG_Click();
    void caracteresFG_Scroll();
    void txtEditor_LostFocus();
    void txtEditor_Validate(bool& cancelar);
    void CmdBuscar_Click();
    void CmdAceptar_Click();
    void CmdCancelar_Click();

protected:
    void closeEvent(QCloseEvent* evento) override;
    // The controls laid out anew at every size; the editor stays over its
    // cell.
    void resizeEvent(QResizeEvent* evento) override;
    // The size is remembered when the window goes.
    void hideEvent(QHideEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    // The constructor's steps: the controls where the layout puts them (and,
    // beside them, the search's count, the preview's button, which text the
    // view shows), their names for assistive technology; their signals.
    void CrearControles();
    void Conectar();
    void CentrarFormulario();
    void ConfigurarRejilla();
    void CargarCaracteres();
    void SituarEditor();
    // Stores and corrects with the model's rows; true when the output was
    // written, otherwise the window stays.
    bool CorregirFichero();
    // Another row is current: its character is the one marked and searched.
    void FilaActualCambiada();
    // The model, its messages shown over this window.
    modelo::Conversion& Modelo();
    // The model changed the row's answer: the grid and the preview follow.
    void RespuestaCambiada(int fila);

    // A key on the grid: on a replacement cell F2 and Space open the editor,
    // and a typed character opens it and goes in. False for the keys the
    // grid keeps (the arrows among them).
    bool TeclaEnRejilla(const QKeyEvent& tecla);
    // A key of the editor's that the model gives to the window.
    void TeclaEnEditor(modelo::AccionEditor accion);
    // Up or Down in the editor: closes it and makes the row above or below
    // current.
    void MoverDesdeEditor(int paso);

    // The row's answer set by the window (the context menu, Delete,
    // Backspace): the editor is left first, as when the focus leaves it, and
    // no cell stays recorded, so nothing the editor held comes back over
    // this answer.
    void PonerRespuesta(int fila, ActoFila acto);
    // The context menu of a data row, at `donde` (global): the delete answer,
    // no answer, the row's proposal.
    void MenuFila(int fila, const QPoint& donde);
    // The current row's menu, at its cell (from the keyboard).
    void AbrirMenuActual();

    // Commits what the editor holds and hides it (accept, cancel, search,
    // scroll).
    void CerrarEditor();
    void OcultarEditor();
    // Esc in the editor: it closes with the cell as it was.
    void DeshacerEditor();

    Aplicacion& m_app;
    modelo::Conversion m_modelo;
    modelo::Editor m_editor;

    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    RejillaCaracteres* m_caracteresFG = nullptr;
    VistaTexto* m_textoFicheroRTB = nullptr;
    QToolButton* m_CmdBuscar = nullptr;
    QToolButton* m_CmdAceptar = nullptr;
    QToolButton* m_CmdCancelar = nullptr;
    EditorCelda* m_txtEditor = nullptr;
    // Beside the layout's controls, where it leaves room: which occurrence
    // the search chose ("3 / 17"), the preview's button, and which text the
    // view shows.
    QLabel* m_LblOcurrencias = nullptr;
    QToolButton* m_CmdPrevia = nullptr;
    QLabel* m_LblTextoMostrado = nullptr;
    ContextoTexto* m_contexto = nullptr;

    // Leaving the editor runs once however many focus events a message box
    // sets off.
    bool m_enSalidaEditor = false;
    // While the controls are laid out anew after a resize.
    bool m_recolocando = false;
    QPointer<QMenu> m_menu;
};

} // namespace tildora
