#pragma once

// What the grid's cells draw of a character, so that every one can be told
// apart: a character the font cannot draw, a control or one that shows
// nothing becomes a picture or a framed code, never an empty box; and the
// drawing of those pictures and codes, in the grid and in the text view.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStyledItemDelegate>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;

namespace tildora {

class RejillaCaracteres;

// One piece of what a cell shows: text drawn as it is, or a short label
// drawn in a frame ("U+0081", "TAB").
struct PiezaCelda {
    QString texto;
    bool enmarcado = false;
    bool operator==(const PiezaCelda&) const = default;
};

// The wrong character of column 0, given by its key (`unicode`: the text is
// UTF-8 or UTF-16, see ClaveVisible): a control as its picture (its
// abbreviation framed when the font has no picture), an invisible character
// or one the font cannot draw as its framed code, any other as itself.
// `hayGlifo` says what the font can draw.
std::vector<PiezaCelda> PiezasCaracter(std::string_view clave, bool unicode,
                                       const std::function<bool(char32_t)>& hayGlifo);

// A replacement of column 1 (Windows-1252 bytes): the same, and blanks made
// visible (a space as ␣, a no-break space as ⍽), so that a blank answer
// never looks like no answer. Runs of plain text come as one piece.
std::vector<PiezaCelda> PiezasRespuesta(std::string_view bytes,
                                        const std::function<bool(char32_t)>& hayGlifo);

// The delete answer of column 1: its mark (textos::BorrarCelda), never
// empty and never a blank, the sign that leads it left out where the font
// cannot draw it.
std::vector<PiezaCelda> PiezasBorrado(const std::function<bool(char32_t)>& hayGlifo);

// Control characters are shown as their Unicode pictures (U+2400 + code).
// Where no installed font has a picture's glyph, which would leave the same
// empty box for every control, a small framed abbreviation ("TAB", "NUL")
// is drawn in its place. One object per font.
class PinturaControles {
public:
    explicit PinturaControles(const QFont& fuente);

    // True when the byte's picture is drawn here rather than by a font.
    bool Propia(unsigned char c) const { return m_propia[c]; }
    qreal Ancho(unsigned char c) const { return m_ancho[c]; }
    // Draws the picture of `c` centred in `caja`.
    void Dibujar(QPainter& p, const QRectF& caja, unsigned char c, const QColor& color) const;

    // Any short text drawn the same way, such as "U+200B" for a character
    // that shows nothing: the width it takes, and the drawing.
    qreal AnchoEtiqueta(const QString& etiqueta) const;
    void DibujarEtiqueta(QPainter& p, const QRectF& caja, const QString& etiqueta, qreal ancho,
                         const QColor& color) const;

private:
    QFont m_fuente;
    std::array<bool, 256> m_propia{};
    std::array<qreal, 256> m_ancho{};
    std::array<QString, 256> m_nombre;
};

// Every cell of the grid is drawn from its bytes (see PiezasCaracter and
// PiezasRespuesta): what the font cannot draw shows as a picture or a
// framed code, and a blank answer shows. The lone LF's fixed answer is drawn
// as the text it has.
class DelegadoCeldas : public QStyledItemDelegate {
public:
    explicit DelegadoCeldas(RejillaCaracteres* rejilla);

    void paint(QPainter* p, const QStyleOptionViewItem& opcion,
               const QModelIndex& indice) const override;

private:
    // What is worked out once per font (the two columns have one each).
    struct Fuente {
        QFont fuente;
        std::unique_ptr<PinturaControles> controles;
        std::unordered_map<char32_t, bool> glifos;
    };
    Fuente& Preparar(const QFont& fuente) const;

    const RejillaCaracteres& m_rejilla;
    mutable std::unordered_map<QString, Fuente> m_fuentes;
};

} // namespace tildora
