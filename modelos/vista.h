#pragma once

// What the conversion window's text view shows on the lines in sight, and
// what it draws there, in bytes rather than pixels: the text (see Lineas),
// the selection, the marks of the current row's character and the one the
// search chose, and, in the preview, the text as the accept would write it
// (see VistaPrevia), worked out for the lines in sight as they come into
// sight. The text has the same lines either way (an answer never holds a
// line break), and positions, the selection and the marks are always those
// of the working copy: in the corrected text a replaced character is
// selected and marked whole, as what replaced it. The face measures the
// characters, turns bytes into places on screen and paints.

#include "core/ocurrencias.h"
#include "core/vistaprevia.h"
#include "modelos/color.h"
#include "modelos/lineas.h"
#include "modelos/vista_medidas.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tildora::modelo {

// What a mark stands for: an occurrence of the current row's character,
// and in the corrected text a character replaced, or one whose row has no
// answer yet (it stands there unchanged).
enum class TipoMarca { Ocurrencia, Cambio, Falta };

// The background of a mark: a tint of the view's background `fondo`, so
// that the text reads over it on light and dark backgrounds alike, towards
// the highlight colour `resalte` for an occurrence, green for a change and
// red for a character with no answer yet.
Rgb ColorMarca(TipoMarca tipo, Rgb fondo, Rgb resalte);
// The line under a character that has no answer yet, from the text colour.
Rgb ColorSubrayadoFalta(Rgb texto);

// A place on one line to colour, in the line's Tira: [a, b). `vacia`: a
// character the preview deletes (drawn as a thin bar); `salto`: the line
// break after the line's bytes is in it too (drawn a blank wide past them).
struct Zona {
    std::size_t a = 0;
    std::size_t b = 0;
    bool vacia = false;
    bool salto = false;
    bool operator==(const Zona&) const = default;
};

// Where a zone of a line is drawn across, in the line's own x, the view
// showing `ancho` from `izquierda` (v: EnPantalla's answer): ends off the
// left edge stand just left of it, ends off the right edge just right of
// it, so that only the part on screen matters. A line break takes
// `anchoBlanco` after the line, and a deleted character a bar 2 wide.
struct Extension {
    double desde = 0;
    double hasta = 0;
};
template <typename Paso>
Extension ExtensionDe(const Renglon& r, const Visible& v, const Zona& zona, double izquierda,
                      double ancho, double anchoBlanco, Paso&& paso) {
    const double fuera = izquierda + ancho + 1;
    const auto xDe = [&](std::size_t pos) {
        if (pos < v.primero) {
            return izquierda - 1;
        }
        return pos > v.ultimo ? fuera : v.x0 + Ancho(r.tira, v.primero, pos, paso);
    };
    Extension e{xDe(zona.a), xDe(zona.b)};
    if (zona.vacia) {
        e.desde -= 1;
        e.hasta = e.desde + 2;
    } else if (zona.salto) {
        e.hasta += anchoBlanco;
    }
    return e;
}

// One step of drawing a line, in order.
struct Trazo {
    enum class Clase {
        Fondo,     // a mark's background, in its type's tint
        Texto,     // the line's text
        Subrayado, // the line under a character that has no answer yet
        Resaltado, // the chosen occurrence or the selection: the highlight,
                   // and the text over it in its colour
    };
    Clase clase = Clase::Texto;
    TipoMarca tipo = TipoMarca::Ocurrencia;
    Zona zona;
    bool operator==(const Trazo&) const = default;
};

// One run of the text drawn: the bytes [a, b) of a Tira.
struct Tramo {
    enum class Clase {
        Glifos,  // characters drawn one after another by the font
        Control, // a Windows-1252 control the face draws itself (one byte)
        Codigo,  // a character shown as its framed code ("U+200B")
        Suelto,  // a character of a script that may join or reorder: alone
    };
    Clase clase = Clase::Glifos;
    std::size_t a = 0;
    std::size_t b = 0;
    char32_t cp = 0; // of a Codigo or Suelto
    bool operator==(const Tramo&) const = default;
};

class Vista {
public:
    static constexpr std::size_t npos = Lineas::npos;

    // Shows `texto` (see Lineas::Cargar); no marks, no preview, the caret
    // at the start.
    void Cargar(std::string_view texto, std::vector<std::uint32_t> inicios, bool utf8);
    const Lineas& Texto() const { return m_lineas; }

    // --- The selection --------------------------------------------------
    // Selects the bytes [inicio, fin), widened to whole characters; an empty
    // range puts the caret there.
    void Seleccionar(std::size_t inicio, std::size_t fin);
    // A click at `posicion`, with Shift from the anchor; a drag to it.
    void Pulsar(std::size_t posicion, bool ampliar);
    void Arrastrar(std::size_t posicion);
    std::size_t InicioSeleccion() const { return m_selInicio; }
    std::size_t FinSeleccion() const { return m_selFin; }

    // --- The marks ------------------------------------------------------
    // The current row's occurrences (none: nothing is marked).
    void MarcarOcurrencias(std::optional<Ocurrencias> ocurrencias);
    // The occurrence the search chose (npos: none).
    void MarcarActual(std::size_t posicion, std::size_t largo);
    std::size_t Actual() const { return m_actual.posicion; }
    // Forgets the chosen one; whether there was one.
    bool OlvidarActual();
    // The occurrences on the lines [primera, ultima), those in sight: only
    // that range is looked at, and only when it changed.
    const std::vector<Ocurrencia>& MarcasEnVista(std::size_t primera, std::size_t ultima) const;

    // --- The corrected text ----------------------------------------------
    // Shows the text as `previa` makes it (nullptr: the working copy). Not
    // copied: it must stay alive while it is shown, and be given again when
    // it is made anew.
    void MostrarPrevia(const VistaPrevia* previa);
    bool Previa() const { return m_previa != nullptr; }

    // What line `linea` shows, the lines [primera, ultima) being in sight.
    // In the preview its bytes are in the piece of the lines in sight (or of
    // this line alone when it is not in sight): a Renglon stays good until
    // the next call.
    Renglon RenglonDe(std::size_t linea, std::size_t primera, std::size_t ultima) const;
    // The piece of the lines in sight, worked out at once.
    void PrepararPieza(std::size_t primera, std::size_t ultima) const;

    // --- The widths -------------------------------------------------------
    // Lines are measured as they come into sight: the horizontal range is
    // the widest line measured so far, so a text of a gigabyte is not
    // measured line by line before it shows.
    double AnchoMaximo() const { return m_anchoMaximo; }
    // Forgets the widths (a new text, a new font).
    void OlvidarAnchos() {
        m_anchoMaximo = 0;
        m_medidas = {0, 0};
    }
    // The lines [desde, hasta) measured by `paso` (see Ancho), the lines
    // [primera, ultima) being in sight; whether the widest grew.
    template <typename Paso>
    bool MedirLineas(std::size_t desde, std::size_t hasta, std::size_t primera, std::size_t ultima,
                     Paso&& paso);
    // Whether the lines [desde, hasta) are not those measured last on
    // coming into sight (they are then): lines just measured are not
    // measured again at every repaint. OlvidarEnVista forgets them (the
    // text shown changed).
    bool PorMedir(std::size_t desde, std::size_t hasta);
    void OlvidarEnVista() { m_medidas = {0, 0}; }

    // The steps of drawing a line, and of drawing the text's bytes
    // [desde, hasta) of `t`; `enCaja(cp)` says whether a character outside
    // ASCII is shown as its framed code, `propia(b)` whether the face draws a
    // Windows-1252 byte itself.
    std::vector<Trazo> Trazos(const Renglon& r, std::size_t primera, std::size_t ultima) const;
    template <typename EnCaja, typename Propia>
    std::vector<Tramo> Tramos(const Tira& t, std::size_t desde, std::size_t hasta, EnCaja&& enCaja,
                              Propia&& propia) const;

    // The selection as shown, character after character to `salida`: the
    // working copy's bytes, or the corrected text of them (a piece at a
    // time), line breaks as '\n'. `glifo(b)` is how a Windows-1252 byte
    // shows.
    template <typename Glifo, typename Salida>
    void Seleccionado(Glifo&& glifo, Salida&& salida) const;

private:
    Zona EnLinea(const Renglon& r, std::size_t posicion, std::size_t largo) const;
    void MarcasDe(const Renglon& r, std::size_t primera, std::size_t ultima,
                  std::vector<Trazo>& trazos) const;
    template <typename Glifo, typename Salida>
    void Unicode(const Tira& t, std::size_t desde, std::size_t hasta, bool crAntes, Glifo&& glifo,
                 Salida&& r) const;

    Lineas m_lineas;
    std::size_t m_selInicio = 0;
    std::size_t m_selFin = 0;
    std::size_t m_ancla = 0;

    std::optional<Ocurrencias> m_ocurrencias;
    struct EnVista {
        std::vector<Ocurrencia> lista;
        std::size_t primera = 0;
        std::size_t ultima = 0;
        bool hecha = false;
    };
    mutable EnVista m_marcas;
    Ocurrencia m_actual{npos, 0};

    const VistaPrevia* m_previa = nullptr;
    struct Trozo {
        PiezaPrevia pieza;
        std::size_t primera = 0;
        std::size_t ultima = 0;
        bool hecha = false;
    };
    mutable Trozo m_trozo;

    double m_anchoMaximo = 0;
    std::pair<std::size_t, std::size_t> m_medidas{0, 0};
};

template <typename Paso>
bool Vista::MedirLineas(std::size_t desde, std::size_t hasta, std::size_t primera,
                        std::size_t ultima, Paso&& paso) {
    hasta = std::min(hasta, m_lineas.NumeroLineas());
    double maximo = m_anchoMaximo;
    for (std::size_t linea = desde; linea < hasta; ++linea) {
        const Renglon r = RenglonDe(linea, primera, ultima);
        maximo = std::max(maximo, Ancho(r.tira, r.desde, r.hasta, paso));
    }
    if (maximo <= m_anchoMaximo) {
        return false;
    }
    m_anchoMaximo = maximo;
    return true;
}

template <typename EnCaja, typename Propia>
std::vector<Tramo> Vista::Tramos(const Tira& t, std::size_t desde, std::size_t hasta,
                                 EnCaja&& enCaja, Propia&& propia) const {
    // Runs of ordinary glyphs go to the font at once; what the fonts cannot
    // show is drawn between them.
    std::vector<Tramo> tramos;
    for (std::size_t i = desde; i < hasta;) {
        const auto b = static_cast<unsigned char>(t.datos[i]);
        std::size_t n = 1;
        Tramo::Clase clase = Tramo::Clase::Glifos;
        char32_t cp = b;
        if (m_lineas.Utf8() && b >= 0x80) {
            n = Lineas::Descifrar(t, i, cp);
            if (i < t.marcaOrden) { // the byte-order mark shows nothing
                i += n;
                continue;
            }
            // Latin, Greek and Cyrillic letters are drawn as they are
            // measured, one after another; other scripts may join or
            // reorder in a run: each character alone, where its width puts
            // it.
            clase = enCaja(cp)    ? Tramo::Clase::Codigo
                    : cp < 0x0590 ? Tramo::Clase::Glifos
                                  : Tramo::Clase::Suelto;
        } else if (propia(b)) {
            clase = Tramo::Clase::Control;
        }
        if (clase == Tramo::Clase::Glifos && !tramos.empty() &&
            tramos.back().clase == Tramo::Clase::Glifos && tramos.back().b == i) {
            tramos.back().b = i + n;
        } else {
            const bool solo = clase == Tramo::Clase::Codigo || clase == Tramo::Clase::Suelto;
            tramos.push_back(Tramo{clase, i, i + n, solo ? cp : 0});
        }
        i += n;
    }
    return tramos;
}

template <typename Glifo, typename Salida>
void Vista::Unicode(const Tira& t, std::size_t desde, std::size_t hasta, bool crAntes,
                    Glifo&& glifo, Salida&& r) const {
    for (std::size_t i = desde; i < hasta; ++i) {
        const char c = t.datos[i];
        if (c == '\r') {
            if (i + 1 < hasta && t.datos[i + 1] == '\n') {
                ++i;
            }
            r(U'\n');
        } else if (c == '\n') {
            if (i != desde || !crAntes) {
                r(U'\n');
            }
        } else if (m_lineas.Utf8() && static_cast<unsigned char>(c) >= 0x80) {
            // The character itself, invisible ones too; never the mark.
            char32_t cp = 0;
            const std::size_t n = Lineas::Descifrar(t, i, cp);
            if (i >= t.marcaOrden) {
                r(cp);
            }
            i += n - 1;
        } else {
            r(glifo(static_cast<unsigned char>(c)));
        }
    }
}

template <typename Glifo, typename Salida>
void Vista::Seleccionado(Glifo&& glifo, Salida&& r) const {
    if (!m_previa) {
        Unicode(m_lineas.Copia(), m_selInicio, m_selFin, false, glifo, r);
        return;
    }
    // A piece at a time: never the whole corrected text at once.
    constexpr std::size_t kTrozo = std::size_t{1} << 20;
    PiezaPrevia pieza;
    bool cr = false;
    for (std::size_t a = m_selInicio; a < m_selFin;) {
        m_previa->Pieza(a, std::min(m_selFin, a + kTrozo), pieza);
        if (pieza.hasta <= a) {
            break;
        }
        const Tira t{pieza.texto, pieza.desde == 0 ? m_lineas.MarcaOrden() : 0};
        Unicode(t, 0, pieza.texto.size(), cr, glifo, r);
        cr = !pieza.texto.empty() && pieza.texto.back() == '\r';
        a = pieza.hasta;
    }
}

} // namespace tildora::modelo
