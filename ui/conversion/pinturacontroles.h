#pragma once

// The drawing of control characters' pictures and framed codes, in the grid
// and in the text view, and of the grid's cells piece by piece (the pieces
// are the model's, modelos/filas.h).

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStyledItemDelegate>
#include <array>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QPainter;

namespace tildora {

class RejillaCaracteres;

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
    // The cell's pieces (modelos/filas.h): each text, and whether it is
    // framed.
    std::vector<std::pair<QString, bool>> Piezas(int fila, int columna, Fuente& f) const;
    // Column 0's code and count beside the character (kRolDetalle): its
    // text, font and width, and its drawing from `izquierda` in `caja`.
    struct Detalle {
        Detalle(const QString& texto, const QFont& base);
        void Dibujar(QPainter& p, double izquierda, const QRectF& caja, QColor color,
                     bool elegida) const;
        QString texto;
        QFont fuente;
        double ancho = 0;
    };

    const RejillaCaracteres& m_rejilla;
    mutable std::unordered_map<QString, Fuente> m_fuentes;
};

} // namespace tildora
