#pragma once

// The grid of wrong characters and the editor laid over its cells, both
// showing what the conversion window's model holds; what a cell's tip says
// of a character, the colour a proposal is drawn in, and the wrong
// characters' font. (What a cell shows, piece by piece, is the model's:
// modelos/filas.h.)

#include "core/documento.h"
#include "modelos/conversion.h"
#include "modelos/conversion_teclas.h"
#include "modelos/editor.h"
#include "ui/conversion/pinturacontroles.h"

#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QPalette>
#include <QString>
#include <QTableWidget>
#include <functional>
#include <string>
#include <utility>

class QKeyEvent;
class QMenu;
class QPalette;

namespace tildora {

// Whether the installed fonts, fallbacks included, have a glyph for `u`.
bool HayGlifo(const QFont& fuente, char32_t u);

// The colour a proposal is drawn in (modelos/filas.h), from the palette's
// base and link colours.
QColor ColorPropuesta(const QPalette& paleta);

// The font of column 0: larger than the window's, so that “ and ”, – and -
// can be told apart at any scale.
QFont FuenteErroneos(const QFont& base);

// The name a table of keys gives the key `tecla` (a Qt::Key); `otra` for a
// key the table lacks.
template <typename Nombre, std::size_t N>
Nombre NombreDeTecla(const std::pair<int, Nombre> (&tabla)[N], int tecla, Nombre otra) {
    for (const auto& [clave, nombre] : tabla) {
        if (clave == tecla) {
            return nombre;
        }
    }
    return otra;
}

// The grid caracteresFG. Row 0 is the fixed header row (the table's
// horizontal header), rows 1 … Rows − 1 are the data rows; the accessors
// count rows that way, so the window's code reads like a flex grid's. A cell
// holds bytes (Windows-1252); what it shows is their Unicode form, with
// control characters as pictures in column 0. Column 0 holds each wrong
// character's key; for a Unicode text it shows the character it stands for
// (see ClaveVisible).
// Column 0's cells hold beside the character what the model says of it at
// a glance (modelos/filas.h, DetalleFila), drawn small at the cell's right.
inline constexpr int kRolDetalle = Qt::UserRole + 1;

// What the user does to a row's answer: one of the model's acts.
using ActoFila = bool (modelo::Conversion::*)(std::size_t);

class RejillaCaracteres : public QTableWidget {
    Q_OBJECT

public:
    explicit RejillaCaracteres(QWidget* padre);

    // The rows it shows, and whose answers it reads.
    void SetModelo(const modelo::Conversion& modelo) { m_modelo = &modelo; }

    int Rows() const { return rowCount() + 1; }
    int Row() const;
    int Col() const;
    // Makes (fila, columna) the current cell; row 0 leaves no data row
    // current.
    void SetCeldaActual(int fila, int columna);

    // Whether the text is UTF-8 or UTF-16, for what column 0 shows.
    bool Unicode() const { return m_modelo && m_modelo->Unicode(); }

    // A data row's key (column 0) or answer (column 1) as the model holds
    // them; row 0 is the header's text.
    std::string TextMatrix(int fila, int columna) const;
    // No data row, two centred columns, the header's texts; then every row
    // the model holds, each wrong character's tip saying where the scan of
    // `documento` found it.
    void Configurar(const std::string& cabecera0, const std::string& cabecera1);
    void MostrarFilas(const Documento& documento);
    // Shows a data row as the model holds it: the key, with its code as a
    // tip; the answer, drawn apart when it is the proposal, as a mark when it
    // is the delete answer, in words when it is the line break's.
    void MostrarClave(int fila);
    void MostrarRespuesta(int fila);
    // Whether the row's answer is fixed (a lone LF's: CR LF), never edited;
    // whether it is the delete answer (TextMatrix is then empty), and
    // whether it is the proposal.
    bool RespuestaFija(int fila) const { return DeFila(fila, &modelo::Conversion::EsFija); }
    bool EsBorrado(int fila) const { return DeFila(fila, &modelo::Conversion::EsBorrado); }
    bool Propuesta(int fila) const { return DeFila(fila, &modelo::Conversion::EsPropuesta); }

    // A data row's menu, owned by `padre` and gone once closed: the delete
    // answer, no answer, the row's proposal, as the model says which apply;
    // `elegido` gets the act of the entry chosen.
    QMenu* CrearMenu(int fila, QWidget* padre, std::function<void(ActoFila)> elegido) const;

    // A key on the grid as the model takes it (modelos/conversion_teclas.h).
    static modelo::Pulsacion Pulsacion(const QKeyEvent& tecla);

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
    // The model's answer to `pregunta` for a data row; false for the header
    // and past the last row.
    bool DeFila(int fila, bool (modelo::Conversion::*pregunta)(std::size_t) const) const;

    Qt::Alignment m_alineacion[2] = {Qt::AlignLeft | Qt::AlignVCenter,
                                     Qt::AlignLeft | Qt::AlignVCenter};
    const modelo::Conversion* m_modelo = nullptr;
};

// The editor laid over a replacement cell: it shows what the editor's model
// holds (the text, the caret, a proposal's style, the delete answer's mark)
// and hands the model every change the user makes, taking back what the
// model refuses.
class EditorCelda : public QLineEdit {
public:
    EditorCelda(QWidget* padre, modelo::Editor& modelo);

    // What the window does when the user leaves the editor or presses one
    // of its keys.
    struct Acciones {
        // The focus went to another control (another window taking it is no
        // leaving: it comes back).
        std::function<void()> salir;
        // A key the model gives to the window (modelos/conversion_teclas.h).
        std::function<void(modelo::AccionEditor)> tecla;
    };
    void SetAcciones(Acciones acciones) { m_acciones = std::move(acciones); }

    // Everything as the model holds it, just opened.
    void Mostrar();
    // The model's text and caret.
    void TextoDelModelo();
    // Hides it; the focus it had goes to `foco`. The focus leaving this way
    // is no leaving of the editor.
    void Ocultar(QWidget* foco);

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void focusOutEvent(QFocusEvent* evento) override;

private:
    void Editado(const QString& texto);
    // Drawn as a proposal is, while it holds one untouched.
    void Estilo(bool propuesta);

    modelo::Editor& m_modelo;
    Acciones m_acciones;
    QFont m_fuente;
    QPalette m_paleta;
    bool m_ocultando = false;
};

} // namespace tildora
