#pragma once

#include "ui/conversion/pinturacontroles.h"

#include "core/ocurrencias.h"
#include "core/vistaprevia.h"
#include "modelos/vista.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPainter;
class QPalette;

namespace tildora {

// The read-only view of the file's text (textoFicheroRTB). A file of tens of
// megabytes cannot go into a text document quickly, so the view keeps only a
// view of the bytes (the window's working copy, which outlives it) and lays
// out and paints just the lines on screen. What it shows and draws where, in
// bytes, is its model's (modelo::Vista: the lines, the selection, the marks,
// the preview); the view measures the characters in its font, places and
// paints them, and takes the keys, the mouse and the scroll bars. Bytes are
// drawn as Windows-1252 with control characters as pictures; a UTF-8 text
// decoded, each character in its own width, and a character that shows
// nothing (see EsInvisible), or that no font can show, as its framed code
// ("U+200B"). Characters go left to right in the order of their bytes, those
// of right-to-left scripts too.
class VistaTexto : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit VistaTexto(QWidget* padre = nullptr);

    // Shows `texto`. The bytes are not copied: they must stay alive and
    // unchanged while the view shows them.
    // `inicios`, when given, are the text's line starts as BuscarInicios
    // finds them (found while the text was read); otherwise they are found
    // here. With `utf8` the bytes are UTF-8, else Windows-1252.
    void Cargar(std::string_view texto, std::vector<std::uint32_t> inicios = {}, bool utf8 = false);

    // Selects the bytes [inicio, fin), widened to whole characters; an empty
    // range clears the selection.
    void Seleccionar(std::size_t inicio, std::size_t fin);
    std::size_t InicioSeleccion() const { return m_modelo.InicioSeleccion(); }
    std::size_t FinSeleccion() const { return m_modelo.FinSeleccion(); }

    // Scrolls, as little as it takes, until the byte at `posicion` is on
    // screen.
    void MostrarPosicion(std::size_t posicion);

    // The first line on screen, and how many lines the view has room for
    // (the last one perhaps in part).
    std::size_t PrimeraLineaVisible() const;
    std::size_t LineasEnVista() const;
    // Where the byte at `posicion` is drawn, in viewport coordinates.
    QRect RectanguloDe(std::size_t posicion) const;

    // The selected text as shown (the corrected one in the preview) in
    // Unicode, line breaks as '\n'.
    QString TextoSeleccionado() const;

    // --- Marks --------------------------------------------------------------
    using TipoMarca = modelo::TipoMarca;

    // The occurrences of the current row's character, marked where they come
    // into sight; none: nothing is marked. Only the lines in sight are
    // looked at.
    void MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias);
    // The occurrence the search chose: drawn as selected text is, also a
    // line break or, in the corrected text, a character deleted (npos:
    // none). A click in the view forgets it.
    void MarcarActual(std::size_t posicion, std::size_t largo);

    // --- The corrected text ---------------------------------------------------
    // Shows the text as `previa` makes it instead of the working copy; nullptr
    // shows the working copy again. The preview is not copied: it must stay
    // alive while it is shown, and be given again when it is made anew.
    void MostrarPrevia(const VistaPrevia* previa);

    // What the view shows and draws where, in bytes.
    const modelo::Vista& Modelo() const { return m_modelo; }

signals:
    // The occurrence the search chose is no longer the current one: the
    // user put the caret or the selection somewhere else.
    void ActualOlvidada();

protected:
    void paintEvent(QPaintEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void changeEvent(QEvent* evento) override;

private:
    using Tira = modelo::Tira;
    using Renglon = modelo::Renglon;

    void OlvidarActual();
    // The line's Renglon, the lines in sight being those on screen.
    Renglon RenglonDe(std::size_t linea) const {
        return m_modelo.RenglonDe(linea, PrimeraLineaVisible(), UltimaLineaVisible());
    }
    std::size_t UltimaLineaVisible() const;
    using Visible = modelo::Visible;
    // The part of a line on screen.
    Visible EnPantalla(const Renglon& r) const;
    // One line drawn, at `y`.
    void DibujarLinea(QPainter& p, std::size_t linea, int y) const;
    // Where a place on the line is drawn, in the viewport.
    QRectF ZonaEn(const Renglon& r, const Visible& v, const modelo::Zona& zona, int y) const;

    void Medir();
    // Forgets the widths measured (a new text, a new font) and measures the
    // lines in sight.
    void EmpezarMedidas();
    // The widest of lines [desde, hasta) widens the horizontal range.
    void MedirLineas(std::size_t desde, std::size_t hasta);
    void MedirVisibles();
    void AjustarBarras();
    void DibujarTramo(QPainter& p, const Tira& t, std::size_t desde, std::size_t hasta, qreal x,
                      int y, const QColor& color) const;
    std::size_t PosicionEn(const QPoint& punto) const;

    // The character at byte `i`: where the next one starts, and in `avance`
    // how wide it is drawn. One byte each in a Windows-1252 text.
    std::size_t Paso(const Tira& t, std::size_t i, double& avance) const {
        const auto b = static_cast<unsigned char>(t.datos[i]);
        if (!m_modelo.Texto().Utf8() || b < 0x80) {
            avance = m_avance[b];
            return i + 1;
        }
        return PasoUnicode(t, i, avance);
    }
    // The same, as the models measure a line.
    auto Medidor() const {
        return [this](const Tira& t, std::size_t i, double& a) { return Paso(t, i, a); };
    }
    double AnchoHasta(const Tira& t, std::size_t inicio, std::size_t posicion) const {
        return modelo::Ancho(t, inicio, posicion, Medidor());
    }
    std::size_t PasoUnicode(const Tira& t, std::size_t i, double& avance) const;
    // How a character outside ASCII is drawn: its width, and whether as its
    // framed code. Measured once per character and font.
    struct Medida {
        double avance = 0;
        bool caja = false;
    };
    Medida MedidaDe(char32_t cp) const;
    int Margen() const { return 3; }
    // A mark's background and the line under a character with no answer
    // yet, in the palette's colours (see modelo::ColorMarca).
    static QColor ColorMarca(TipoMarca tipo, const QPalette& paleta);
    static QColor ColorSubrayadoFalta(const QPalette& paleta);

    modelo::Vista m_modelo;
    // Advance of each byte's glyph and the glyph itself, for the view's font.
    std::array<double, 256> m_avance{};
    std::array<QChar, 256> m_glifo{};
    PinturaControles m_controles{QFont()};
    mutable std::unordered_map<char32_t, Medida> m_medidas;
    int m_altoLinea = 1;
    int m_ascenso = 0;
};

} // namespace tildora
