#pragma once

#include "core/correccion.h"
#include "core/documento.h"
#include "modelos/buscador.h"
#include "modelos/previa.h"

#include <QObject>
#include <functional>
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
// answers as they are now. The window's controls call it; it sends the acts
// to the models (modelo::Buscador, modelo::Previa), shows what they say on
// the view and its two labels, and reads the grid's rows through `filas`.
class ContextoTexto : public QObject {
    Q_OBJECT

public:
    ContextoTexto(const Documento& documento, VistaTexto& vista, QLabel& cuenta, QLabel& mostrado,
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
    // Shows the occurrence the search chose.
    void Elegida();
    void Contar();
    void DecirTexto();

    VistaTexto& m_vista;
    QLabel& m_cuenta;
    QLabel& m_mostrado;
    QToolButton& m_boton;
    std::function<std::vector<Fila>()> m_filas;
    modelo::Buscador m_buscador;
    modelo::Previa m_previa;
};

} // namespace tildora
