#pragma once

#include "ui/conversion/pinturacontroles.h"

#include "core/ocurrencias.h"
#include "core/vistaprevia.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class QPainter;
class QPalette;

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
//
// The view can show instead the text as the accept would write it (see
// VistaPrevia), worked out for the lines in sight as they come into sight.
// The text has the same lines either way (an answer never holds a line
// break), and positions, the selection and the marks are always those of
// the working copy: in the corrected text a replaced character is selected
// and marked whole, as what replaced it.
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
    // What a mark stands for: an occurrence of the current row's character,
    // and in the corrected text a character replaced, or one whose row has
    // no answer yet (it stands there unchanged).
    enum class TipoMarca { Ocurrencia, Cambio, Falta };
    // The background of a mark: a tint of the palette's background, so that
    // the text reads over it on light and dark palettes alike; and the line
    // drawn under a character that has no answer yet.
    static QColor ColorMarca(TipoMarca tipo, const QPalette& paleta);
    static QColor ColorSubrayadoFalta(const QPalette& paleta);

    // The occurrences of the current row's character, marked where they come
    // into sight; none: nothing is marked. Only the lines in sight are
    // looked at.
    void MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias);
    // The occurrence the search chose: drawn as selected text is, also a
    // line break or, in the corrected text, a character deleted (npos:
    // none). A click in the view forgets it.
    void MarcarActual(std::size_t posicion, std::size_t largo);
    std::size_t Actual() const { return m_actual.posicion; }
    // The occurrences marked on the lines in sight now.
    const std::vector<Ocurrencia>& MarcasEnVista() const;

    // --- The corrected text ---------------------------------------------------
    // Shows the text as `previa` makes it instead of the working copy; nullptr
    // shows the working copy again. The preview is not copied: it must stay
    // alive while it is shown, and be given again when it is made anew.
    void MostrarPrevia(const VistaPrevia* previa);
    bool Previa() const { return m_previa != nullptr; }
    // What line `linea` shows, its line break included, in the working
    // copy's form (Windows-1252 bytes, or UTF-8): in the preview, that line of
    // the text the accept writes.
    std::string BytesDeLinea(std::size_t linea) const;

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
    void OlvidarActual();
    // Bytes to be drawn: the working copy, or a piece of the corrected text;
    // `marca` bytes of a byte-order mark at their start are no character.
    struct Tira {
        std::string_view datos;
        std::size_t marca = 0;
    };
    // What one line shows: the bytes [desde, hasta) of `tira`, without the
    // line break. `inicio` and `fin` are the same in the working copy.
    struct Renglon {
        Tira tira;
        std::size_t desde = 0;
        std::size_t hasta = 0;
        std::size_t inicio = 0;
        std::size_t fin = 0;
        // In the preview, the piece whose text `tira` is.
        const PiezaPrevia* pieza = nullptr;
        // Where a byte of the working copy (of this line) stands in `tira`,
        // and where the byte `i` of `tira` comes from.
        std::size_t Local(std::size_t posicion) const;
        std::size_t Origen(std::size_t i) const;
    };
    // A mark on one line, in the line's Tira: [a, b); `vacia` for a
    // character the preview deletes (drawn as a thin bar), and a mark at the
    // end of the line's bytes that is not `vacia` is its line break.
    struct MarcaLinea {
        std::size_t a = 0;
        std::size_t b = 0;
        TipoMarca tipo = TipoMarca::Ocurrencia;
        bool vacia = false;
    };

    Tira Copia() const { return Tira{m_texto, m_marca}; }
    // The line's Renglon. In the preview its bytes are in the piece of the
    // lines in sight (or of this line alone when it is not in sight), worked
    // out when needed: a Renglon stays good until the next call.
    Renglon RenglonDe(std::size_t linea) const;
    void PrepararPieza(std::size_t primera, std::size_t ultima) const;
    std::size_t UltimaLineaVisible() const;
    // The marks on the line, in order of drawing: the preview's changes, the
    // occurrences; and the chosen occurrence.
    std::vector<MarcaLinea> MarcasDe(const Renglon& r) const;
    std::optional<MarcaLinea> ActualEn(const Renglon& r) const;
    MarcaLinea EnLinea(const Renglon& r, std::size_t posicion, std::size_t largo,
                       TipoMarca tipo) const;
    // The part of a line on screen: its bytes [primero, ultimo) of the
    // Renglon's Tira, the first drawn `x0` from the line's start.
    struct Visible {
        std::size_t primero = 0;
        std::size_t ultimo = 0;
        double x0 = 0;
    };
    Visible EnPantalla(const Renglon& r) const;
    // One line drawn, at `y`.
    void DibujarLinea(QPainter& p, std::size_t linea, int y) const;
    // The corrected text of the working copy's bytes [desde, hasta) in
    // Unicode, a piece at a time.
    QString UnicodePrevia(std::size_t desde, std::size_t hasta) const;
    // Bytes [desde, hasta) of `t` in Unicode, line breaks as '\n' (a CR LF
    // as one; `crAntes`: the byte before was a CR, and an LF first is its).
    QString UnicodeDe(const Tira& t, std::size_t desde, std::size_t hasta, bool crAntes) const;

    void Medir();
    // Forgets the widths measured (a new text, a new font) and measures the
    // lines in sight.
    void EmpezarMedidas();
    // The widest of lines [desde, hasta) widens the horizontal range.
    void MedirLineas(std::size_t desde, std::size_t hasta);
    void MedirVisibles();
    void AjustarBarras();
    std::size_t FinContenido(std::size_t linea) const;
    void DibujarTramo(QPainter& p, const Tira& t, std::size_t desde, std::size_t hasta, qreal x,
                      int y, const QColor& color) const;
    double AnchoHasta(const Tira& t, std::size_t inicio, std::size_t posicion) const;
    std::size_t PosicionEn(const QPoint& punto) const;

    // The character at byte `i`: where the next one starts, and in `avance`
    // how wide it is drawn. One byte each in a Windows-1252 text.
    std::size_t Paso(const Tira& t, std::size_t i, double& avance) const {
        const auto b = static_cast<unsigned char>(t.datos[i]);
        if (!m_utf8 || b < 0x80) {
            avance = m_avance[b];
            return i + 1;
        }
        return PasoUnicode(t, i, avance);
    }
    double AvanceEn(const Tira& t, std::size_t i) const {
        double a = 0;
        Paso(t, i, a);
        return a;
    }
    std::size_t PasoUnicode(const Tira& t, std::size_t i, double& avance) const;
    // The code point of the UTF-8 character at `i` (U+FFFD for a byte that
    // starts none) and its length in bytes.
    std::size_t Descifrar(const Tira& t, std::size_t i, char32_t& cp) const;
    // How a character outside ASCII is drawn: its width, and whether as its
    // framed code. Measured once per character and font.
    struct Medida {
        double avance = 0;
        bool caja = false;
    };
    Medida MedidaDe(char32_t cp) const;
    // The start of the character that holds byte `pos`, and the end of the
    // one that `pos` falls inside (`pos` itself at a boundary).
    std::size_t InicioCaracter(const Tira& t, std::size_t pos) const;
    std::size_t FinCaracter(const Tira& t, std::size_t pos) const;
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

    // The marks: the current row's occurrences, those of the lines in sight
    // [primera, ultima) found when they came into sight, and the chosen one.
    std::optional<Ocurrencias> m_ocurrencias;
    struct EnVista {
        std::vector<Ocurrencia> lista;
        std::size_t primera = 0;
        std::size_t ultima = 0;
        bool hecha = false;
    };
    mutable EnVista m_marcas;
    Ocurrencia m_actual{npos, 0};

    // The preview shown, and its piece of the lines [primera, ultima).
    const VistaPrevia* m_previa = nullptr;
    struct Trozo {
        PiezaPrevia pieza;
        std::size_t primera = 0;
        std::size_t ultima = 0;
        bool hecha = false;
    };
    mutable Trozo m_trozo;
};

} // namespace tildora
