#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

class QPainter;

namespace tildora {

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

private:
    QFont m_fuente;
    std::array<bool, 256> m_propia{};
    std::array<qreal, 256> m_ancho{};
    std::array<QString, 256> m_nombre;
};

// The read-only view of the file's text (textoFicheroRTB). A file of tens of
// megabytes cannot go into a text document quickly, so the view keeps only a
// view of the bytes (the window's working copy, which outlives it), indexes
// the line starts once, and lays out and paints just the lines on screen.
// Bytes are shown as Windows-1252 with control characters as pictures; CR LF,
// a lone CR and a lone LF all break the line and are not characters of it.
class VistaTexto : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit VistaTexto(QWidget* padre = nullptr);

    // Shows `texto`. The bytes are not copied: they must stay alive and
    // unchanged while the view shows them.
    // `inicios`, when given, are the text's line starts as BuscarInicios
    // finds them (found while the text was read); otherwise they are found
    // here.
    void Cargar(std::string_view texto, std::vector<std::uint32_t> inicios = {});

    std::string_view Texto() const { return m_texto; }
    std::size_t NumeroLineas() const { return m_inicios.size(); }

    // The first occurrence of `byte` from `desde` on, if the view holds it
    // as a character (CR and LF are line breaks, never characters).
    std::size_t Buscar(unsigned char byte, std::size_t desde = 0) const;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Selects the bytes [inicio, fin); an empty range clears the selection.
    void Seleccionar(std::size_t inicio, std::size_t fin);
    std::size_t InicioSeleccion() const { return m_selInicio; }
    std::size_t FinSeleccion() const { return m_selFin; }

    // Scrolls, as little as it takes, until the byte at `posicion` is on
    // screen.
    void MostrarPosicion(std::size_t posicion);

    // The line that holds `posicion`, and that line's first byte.
    std::size_t LineaDe(std::size_t posicion) const;
    std::size_t InicioLinea(std::size_t linea) const { return m_inicios[linea]; }
    // The first line on screen.
    std::size_t PrimeraLineaVisible() const;
    // Where the byte at `posicion` is drawn, in viewport coordinates.
    QRect RectanguloDe(std::size_t posicion) const;

    // The selected bytes as Unicode, line breaks as '\n'.
    QString TextoSeleccionado() const;

protected:
    void paintEvent(QPaintEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void mousePressEvent(QMouseEvent* evento) override;
    void mouseMoveEvent(QMouseEvent* evento) override;
    void mouseReleaseEvent(QMouseEvent* evento) override;
    void changeEvent(QEvent* evento) override;

private:
    void Medir();
    // Forgets the widths measured (a new text, a new font) and measures the
    // lines in sight.
    void EmpezarMedidas();
    // The widest of lines [desde, hasta) widens the horizontal range.
    void MedirLineas(std::size_t desde, std::size_t hasta);
    void MedirVisibles();
    void AjustarBarras();
    std::size_t FinContenido(std::size_t linea) const;
    void DibujarTramo(QPainter& p, std::size_t desde, std::size_t hasta, qreal x, int y,
                      const QColor& color) const;
    double AnchoHasta(std::size_t inicio, std::size_t posicion) const;
    std::size_t PosicionEn(const QPoint& punto) const;
    int Margen() const { return 3; }

    std::string_view m_texto;
    // Start of every line; a text of n line breaks has n + 1 lines. 32 bits
    // are enough: the scan reads no file above 1 GiB.
    std::vector<std::uint32_t> m_inicios;
    // Advance of each byte's glyph and the glyph itself, for the view's font.
    std::array<double, 256> m_avance{};
    std::array<QChar, 256> m_glifo{};
    PinturaControles m_controles{QFont()};
    double m_anchoMaximo = 0; // of the lines measured so far
    std::pair<std::size_t, std::size_t> m_lineasMedidas{0, 0};
    int m_altoLinea = 1;
    int m_ascenso = 0;
    std::size_t m_selInicio = 0;
    std::size_t m_selFin = 0;
    std::size_t m_ancla = 0;
};

} // namespace tildora
