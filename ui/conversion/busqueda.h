#pragma once

#include "core/correccion.h"
#include "core/documento.h"
#include "core/ocurrencias.h"
#include "core/vistaprevia.h"

#include <QObject>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QToolButton;

namespace tildora {

class VistaTexto;

// The conversion window's search and preview, over its text view: every
// occurrence of the current row's character marked, which one the search
// chose and how many there are ("3 / 17"), and which text the view shows,
// the working copy or the text as the accept would write it with the grid's
// answers as they are now. The window's controls call it; it only works on
// the view and its two labels, and reads the grid's rows through `filas`.
class BusquedaTexto : public QObject {
    Q_OBJECT

public:
    BusquedaTexto(const Documento& documento, VistaTexto& vista, QLabel& cuenta, QLabel& mostrado,
                  QToolButton& previa, std::function<std::vector<Fila>()> filas);

    // The grid's current row has the wrong character with the key `clave`
    // (empty: no data row is current). Its occurrences are marked, those
    // of the row before no longer.
    void FilaActual(const std::string& clave);
    // A row's answer changed: the preview is made again from the grid.
    void RespuestasCambiadas();

    // The search button: the first occurrence. F3 and Shift+F3: the next
    // and the previous along the walk (from the last back to the first and
    // the other way), or from the caret after a click in the text.
    void Primera();
    void Siguiente();
    void Anterior();

    // F4 and the preview button: the other text.
    void AlternarPrevia();
    // The preview, or the text as it is; with `situar`, scrolled to the
    // occurrence chosen, if any.
    void MostrarPrevia(bool previa, bool situar = true);

private:
    // Selects the occurrence at `posicion`, the `ordinal`-th (npos: none).
    void Elegir(std::size_t posicion, std::uint64_t ordinal);
    void Contar();
    void DecirTexto();
    // Whether the occurrence chosen last is still the view's.
    bool EnRecorrido() const;

    const Documento& m_documento;
    VistaTexto& m_vista;
    QLabel& m_cuenta;
    QLabel& m_mostrado;
    QToolButton& m_boton;
    std::function<std::vector<Fila>()> m_filas;

    std::optional<Ocurrencias> m_ocurrencias;
    std::size_t m_actual = static_cast<std::size_t>(-1);
    std::uint64_t m_ordinal = 0;
    // The preview as the grid's answers make it; made again, when it shows,
    // after a change.
    std::optional<VistaPrevia> m_previa;
    bool m_previaVieja = true;
};

} // namespace tildora
