#pragma once

// The grid caracteresFG: a list view in report mode over the conversion
// window's model, one row per wrong character, its two columns drawn cell by
// cell from the pieces the models give (modelos/filas.h). Rows count as the
// grid of the layouts counts them: row 0 is the header, rows 1 … Rows − 1
// the model's rows 0 … n − 1. The list view knows rows only; the current
// column is kept here.

#include "ui-win32/conversion/pintura.h"

#include "core/documento.h"
#include "modelos/conversion.h"
#include "modelos/conversion_teclas.h"
#include "modelos/filas.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tildora::win32::conversion {

// What the user does to a row's answer: one of the model's acts.
using ActoFila = bool (modelo::Conversion::*)(std::size_t);

class Rejilla {
public:
    Rejilla(const modelo::Conversion& modelo, const Documento& documento)
        : m_modelo(modelo), m_documento(documento) {}
    ~Rejilla();
    Rejilla(const Rejilla&) = delete;
    Rejilla& operator=(const Rejilla&) = delete;

    // Made as a child of `padre` with the id `id`, in `fuente` (not owned),
    // rows and columns as the layout has them at `ppp` dots per inch.
    HWND Crear(HWND padre, int id, HFONT fuente, UINT ppp);
    // Lettered and measured again, for a screen of another density.
    void CambiarPpp(HFONT fuente, UINT ppp);
    HWND Hwnd() const { return m_hwnd; }
    int AltoFila() const { return m_altoFila; }

    int Rows() const { return static_cast<int>(m_modelo.NumFilas()) + 1; }
    int Row() const;
    int Col() const { return m_col; }
    // Makes (fila, columna) the current cell, brought into sight unless
    // `traer` is false; row 0 leaves no data row current.
    void SetCeldaActual(int fila, int columna, bool traer = true);
    // The model's rows, all drawn again (their count too); one row.
    void MostrarFilas();
    void MostrarFila(int fila);

    // The cell's rectangle in the coordinates of `destino`.
    RECT RectanguloCelda(int fila, int columna, HWND destino) const;
    // The cell at a point of the grid's client area: (row, column), row 0
    // for none.
    std::pair<int, int> CeldaEn(POINT p) const;

    // Messages for the grid that come to its window: its rows' height, its
    // rows' drawing, its notifications. True when handled.
    void Medir(MEASUREITEMSTRUCT& medida) const;
    void Dibujar(const DRAWITEMSTRUCT& dibujo);
    // The header's cells, which its list view is asked to draw.
    void DibujarCabecera(const DRAWITEMSTRUCT& dibujo) const;
    bool Notificacion(const NMHDR& aviso, LRESULT& resultado);

    // A data row's menu at `donde` (screen): the act chosen, if any.
    std::optional<ActoFila> Menu(int fila, POINT donde) const;
    // A key as the model takes it: the virtual key of a WM_KEYDOWN, or the
    // character of a WM_CHAR.
    static modelo::Pulsacion Pulsacion(WPARAM tecla, bool caracter);

private:
    // The fonts made from `fuente` at `ppp`; the rows' height and the
    // columns' widths at `ppp`.
    void Letra(HFONT fuente, UINT ppp);
    void Medidas(UINT ppp);
    // The header's procedure: as high as a row.
    static LRESULT CALLBACK Cabecera(HWND cabecera, UINT mensaje, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR datos);
    // A cell's text colour and pieces, and its drawing.
    void DibujarCelda(HDC dc, int fila, int columna, RECT caja, bool actual, bool foco);
    // The pieces a cell shows (modelos/filas.h), `texto` being how it reads.
    std::vector<modelo::PiezaCelda> Piezas(std::size_t i, int columna,
                                           const std::string& texto) const;
    // Draws them in the font and colour selected in `dc`, and column 0's
    // code and count (`detalle`) beside them in `colorDetalle`.
    void DibujarPiezas(HDC dc, const std::vector<modelo::PiezaCelda>& piezas,
                       const std::wstring& detalle, const RECT& caja, const Etiquetas& e,
                       COLORREF colorDetalle) const;
    // Row i's code and count (modelos/filas.h); empty when the scan has
    // no finding for its key.
    std::wstring Detalle(std::size_t i) const;

    const modelo::Conversion& m_modelo;
    const Documento& m_documento;
    HWND m_hwnd = nullptr;
    HFONT m_fuente = nullptr;
    HFONT m_cursiva = nullptr;
    HFONT m_grande = nullptr;
    HFONT m_detalle = nullptr;
    Etiquetas m_etiquetas;
    Etiquetas m_etiquetasGrande;
    int m_col = 0;
    int m_altoFila = 20;
    std::wstring m_texto; // the last text handed to the list view
};

} // namespace tildora::win32::conversion
