#pragma once

#include "ui/conversion/pinturacontroles.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tildora {

// The read-only view of the file's text (textoFicheroRTB). A file of tens of
// megabytes cannot go into a text document quickly, so the view keeps only a
// view of the bytes (the window's working copy, which outlives it), indexes
// the line starts once, and lays out and paints just the lines on screen.
// Bytes are shown as Windows-1252 with control characters as pictures; CR LF,
// a lone CR and a lone LF all break the line and are not characters of it.
// A UTF-8 text is shown decoded: each character takes its own width, on its
// first byte, and a character that shows nothing (see EsInvisible), or that
// no font can show, is drawn as its framed code ("U+200B"). Positions and
// selections then always hold whole characters, and a byte-order mark at the
// start is no character of the text. Characters go left to right in the
// order of their bytes, those of right-to-left scripts too.
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

    std::string_view Texto() const { return m_texto; }
    bool Utf8() const { return m_utf8; }
    std::size_t NumeroLineas() const { return m_inicios.size(); }

    // The first occurrence of `bytes` from `desde` on that the view holds as
    // whole characters (CR and LF are line breaks, never characters).
    std::size_t Buscar(std::string_view bytes, std::size_t desde = 0) const;
    // The same for one byte.
    std::size_t Buscar(unsigned char byte, std::size_t desde = 0) const {
        const char c = static_cast<char>(byte);
        return Buscar(std::string_view(&c, 1), desde);
    }
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Selects the bytes [inicio, fin), widened to whole characters; an empty
    // range clears the selection.
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

    // The character at byte `i`: where the next one starts, and in `avance`
    // how wide it is drawn. One byte each in a Windows-1252 text.
    std::size_t Paso(std::size_t i, double& avance) const {
        const auto b = static_cast<unsigned char>(m_texto[i]);
        if (!m_utf8 || b < 0x80) {
            avance = m_avance[b];
            return i + 1;
        }
        return PasoUnicode(i, avance);
    }
    double AvanceEn(std::size_t i) const {
        double a = 0;
        Paso(i, a);
        return a;
    }
    std::size_t PasoUnicode(std::size_t i, double& avance) const;
    // The code point of the UTF-8 character at `i` (U+FFFD for a byte that
    // starts none) and its length in bytes.
    std::size_t Descifrar(std::size_t i, char32_t& cp) const;
    // How a character outside ASCII is drawn: its width, and whether as its
    // framed code. Measured once per character and font.
    struct Medida {
        double avance = 0;
        bool caja = false;
    };
    Medida MedidaDe(char32_t cp) const;
    // The start of the character that holds byte `pos`, and the end of the
    // one that `pos` falls inside (`pos` itself at a boundary).
    std::size_t InicioCaracter(std::size_t pos) const;
    std::size_t FinCaracter(std::size_t pos) const;
    int Margen() const { return 3; }

    std::string_view m_texto;
    bool m_utf8 = false;
    std::size_t m_marca = 0; // bytes of a UTF-8 byte-order mark at the start
    // Start of every line; a text of n line breaks has n + 1 lines. 32 bits
    // are enough: the scan reads no file above 1 GiB.
    std::vector<std::uint32_t> m_inicios;
    // Advance of each byte's glyph and the glyph itself, for the view's font.
    std::array<double, 256> m_avance{};
    std::array<QChar, 256> m_glifo{};
    PinturaControles m_controles{QFont()};
    mutable std::unordered_map<char32_t, Medida> m_medidas;
    double m_anchoMaximo = 0; // of the lines measured so far
    std::pair<std::size_t, std::size_t> m_lineasMedidas{0, 0};
    int m_altoLinea = 1;
    int m_ascenso = 0;
    std::size_t m_selInicio = 0;
    std::size_t m_selFin = 0;
    std::size_t m_ancla = 0;
};

} // namespace tildora
