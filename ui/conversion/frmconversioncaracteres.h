#pragma once

#include "core/correccion.h"

#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QTableWidget>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace tildora {

class Aplicacion;
class BusquedaTexto;
class VistaTexto;

// The grid caracteresFG. Row 0 is the fixed header row (the table's
// horizontal header), rows 1 … Rows − 1 are the data rows; the accessors
// count rows that way, so the window's code reads like a flex grid's. A cell
// holds bytes (Windows-1252); what it shows is their Unicode form, with
// control characters as pictures in column 0. Column 0 holds each wrong
// character's key; for a Unicode text it shows the character it stands for
// (see ClaveVisible).
class RejillaCaracteres : public QTableWidget {
    Q_OBJECT

public:
    explicit RejillaCaracteres(QWidget* padre);

    int Rows() const { return rowCount() + 1; }
    void SetRows(int filas);
    int Row() const;
    int Col() const;
    // Makes (fila, columna) the current cell; row 0 leaves no data row
    // current.
    void SetCeldaActual(int fila, int columna);
    // The first data row shown at the top.
    int TopRow() const;

    // Whether the text is UTF-8 or UTF-16, for what column 0 shows.
    void SetUnicode(bool unicode) { m_unicode = unicode; }
    bool Unicode() const { return m_unicode; }

    std::string TextMatrix(int fila, int columna) const;
    // Whether the row's answer is fixed (a lone LF's: CR LF), never edited.
    bool RespuestaFija(int fila) const;
    // Column 1 set this way holds an answer given in the window: neither
    // the delete answer nor a proposal.
    void SetTextMatrix(int fila, int columna, const std::string& bytes);
    // A row's answer in column 1 (its replacement, the delete answer, or
    // none), and whether it is the proposal, which is drawn apart.
    void SetRespuesta(int fila, const Fila& respuesta, bool propuesta);
    // Whether column 1 holds the delete answer (TextMatrix is then empty),
    // and whether it holds the proposal.
    bool Borrar(int fila) const;
    bool Propuesta(int fila) const;

    // Sizes in twips.
    void SetRowHeight(int fila, int twips);
    void SetColWidth(int columna, int twips);
    void SetColAlignmentCentrado(int columna);

    // The cell's rectangle in the coordinates of `destino` (an ancestor).
    QRect RectanguloCelda(int fila, int columna, const QWidget* destino) const;
    // The cell's rectangle in the viewport, where the mouse clicks.
    QRect RectanguloEnVista(int fila, int columna) const;

protected:
    // A click makes the clicked cell current without scrolling: a scroll
    // would hide the editor that the click opens, and a half-visible last row
    // is edited where it stands, the editor reaching past the grid's edge.
    // The keyboard still scrolls to the current cell.
    void mousePressEvent(QMouseEvent* evento) override;

private:
    QTableWidgetItem* Celda(int fila, int columna);

    Qt::Alignment m_alineacion[2] = {Qt::AlignLeft | Qt::AlignVCenter,
                                     Qt::AlignLeft | Qt::AlignVCenter};
    bool m_unicode = false;
};

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
    void keyPressEvent(QKeyEvent* evento) override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void CentrarFormulario();
    void ConfigurarRejilla();
    void CargarCaracteres();
    void SituarEditor();
    // The grid's rows as the core takes them, and their answers alone
    // (replacement, delete answer).
    std::vector<Fila> FilasRejilla() const;
    std::vector<std::pair<std::string, bool>> Respuestas() const;
    bool FaltanSoluciones() const;
    // Whether some row holds an answer given in the window and not stored:
    // leaving would lose it.
    bool HayRespuestasSinGuardar() const;
    // Stores and corrects with the grid's rows; true when the output was
    // written, otherwise the window stays.
    bool CorregirFichero(const std::vector<Fila>& filas);
    // Another row is current: its character is the one marked and searched.
    void FilaActualCambiada();

    // A key on the grid: on a replacement cell F2 and Space open the editor,
    // and a typed character opens it and goes in. False for the keys the
    // grid keeps (the arrows among them).
    bool TeclaEnRejilla(const QKeyEvent& tecla);
    // Up or Down in the editor: closes it and makes the row above or below
    // current.
    void MoverDesdeEditor(int paso);

    // The row's answer set by the window (the context menu, Delete,
    // Backspace): the editor is left first, as when the focus leaves it, and
    // no cell stays recorded, so nothing the editor held comes back over
    // this answer.
    void PonerRespuesta(int fila, const Fila& respuesta, bool propuesta);
    // The context menu of a data row, at `donde` (global): the delete answer,
    // no answer, the row's proposal.
    void MenuFila(int fila, const QPoint& donde);
    // The current row's menu, at its cell (from the keyboard).
    void AbrirMenuActual();
    // The editor drawn as a proposal is, while it holds one untouched.
    void EstiloEditor(bool propuesta);

    // What happens when the focus leaves the editor: validation, then the
    // commit into the recorded cell. Runs once however many focus events a
    // message box sets off.
    void SalidaDelEditor();
    // Commits what the editor holds and hides it (accept, cancel, search,
    // scroll).
    void CerrarEditor();
    void OcultarEditor();
    // Esc in the editor: it closes with the cell as it was.
    void DeshacerEditor();
    void EditorEditado(const QString& texto);
    void Mensaje(std::string_view texto);

    Aplicacion& m_app;

    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    RejillaCaracteres* m_caracteresFG = nullptr;
    VistaTexto* m_textoFicheroRTB = nullptr;
    QToolButton* m_CmdBuscar = nullptr;
    QToolButton* m_CmdAceptar = nullptr;
    QToolButton* m_CmdCancelar = nullptr;
    QLineEdit* m_txtEditor = nullptr;
    // Beside the layout's controls, where it leaves room: which occurrence
    // the search chose ("3 / 17"), the preview's button, and which text the
    // view shows.
    QLabel* m_LblOcurrencias = nullptr;
    QToolButton* m_CmdPrevia = nullptr;
    QLabel* m_LblTextoMostrado = nullptr;
    BusquedaTexto* m_busqueda = nullptr;

    // The cell last opened in the editor; 0 means none.
    int m_FilaEditada = 0;
    int m_ColumnaEditada = 0;

    // The editor's text as the window or an accepted keystroke left it, to
    // undo a keystroke that would make it longer than one character.
    QString m_textoEditorPrevio;
    int m_cursorEditorPrevio = 0;
    bool m_enSalidaEditor = false;
    // The answers as last stored (or as the store and the proposals gave
    // them): answers that differ are the user's, and not stored yet.
    std::vector<std::pair<std::string, bool>> m_guardadas;
    // Each data row's proposal (from row 1): none, empty for the delete
    // answer, or its replacement.
    std::vector<std::optional<std::string>> m_propuestas;
    // The editor holds its row's proposal as the window put it in: a typed
    // character replaces it whole.
    bool m_propuestaEnEditor = false;
    QFont m_fuenteEditor;
    QPalette m_paletaEditor;
    QPointer<QMenu> m_menu;
    // The last accept could not write the output.
    bool m_salidaFallida = false;
    bool m_ocultandoEditor = false;
};

} // namespace tildora
