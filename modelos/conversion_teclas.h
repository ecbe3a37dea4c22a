#pragma once

// What a key does on the conversion window's grid and in the editor over a
// cell, without any toolkit: a face reports the key and does what comes
// back.

#include <cstddef>
#include <optional>
#include <string_view>

namespace tildora::modelo {

class Conversion;
class Editor;

// The keys the grid gives a meaning of its own.
enum class TeclaRejilla { Otra, Menu, F10, Suprimir, Retroceso, F2, Espacio };

struct Pulsacion {
    TeclaRejilla tecla = TeclaRejilla::Otra;
    bool soloMayusculas = false; // Shift held, and no other modifier
    bool conControl = false;     // Control, Alt or Meta held
    bool escribe = false;        // it types text, every character printable
};

enum class AccionRejilla {
    Dejar,           // the grid's own (the arrows among them)
    Nada,            // taken, and nothing done: the line break's row
    Menu,            // the current row's menu, at its cell
    Borrado,         // the delete answer (Conversion::DarBorrado)
    SinRespuesta,    // no answer (Conversion::QuitarRespuesta)
    Abrir,           // the editor opens over the cell, as a click opens it
    AbrirYSustituir, // and all of its text selected, the key then goes in
};

// `fila`: the current data row, if any; `enRespuesta`: the current cell is
// the answer's (column 1). The menu key and Shift+F10 open the row's menu;
// on an answer's cell Delete gives the delete answer, Backspace takes the
// answer away, F2 and Space open the editor as a click does (the caret at
// the end), and a typed character takes the place of the row's answer, as
// in a spreadsheet; the line break's row takes those keys and does nothing.
AccionRejilla TeclaEnRejilla(const Conversion& conversion, std::optional<std::size_t> fila,
                             bool enRespuesta, const Pulsacion& pulsacion);

// The keys the editor over a cell gives a meaning of its own.
enum class TeclaEditor { Otra, Intro, Escape, Suprimir, Arriba, Abajo };

enum class AccionEditor {
    Dejar,     // the editor's own (typing, the caret, selecting)
    Sustituir, // all of its text selected first, then the editor's own
    Aceptar,   // the window's accept, the editor's text in its cell first
    Cerrar,    // closed as when the focus leaves it, and nothing more
    Deshacer,  // this cell only as it was, as in any grid; the editor closes
    Borrado,   // the delete answer (Conversion::DarBorrado)
    Subir,     // closed as when the focus leaves it, then on to the row
    Bajar,     // above or below, in the same column
};

// Enter accepts the window, unless the editor's text would be refused: the
// editor then only closes, its message said and its cell given back, so
// that nothing is written that the user has not seen; Esc gives the cell
// back, Delete with nothing
// left to delete gives the delete answer, Up and Down move to the row above
// or below; a character typed (`escribe`: printable, no Control, Alt or
// Meta) over a proposal takes the place of all of it, wherever the caret
// stands.
AccionEditor TeclaEnEditor(const Editor& editor, TeclaEditor tecla, bool escribe);

// The keys the conversion window gives a meaning of its own, wherever the
// focus is (the grid and the editor take theirs first).
enum class TeclaVentana { Otra, Intro, Escape, F3, F4 };

enum class AccionVentana {
    Dejar,     // the window's own
    Pulsar,    // the button BotonDeIntro names is pressed
    Cancelar,  // CmdCancelar is pressed
    Siguiente, // the search's next occurrence
    Anterior,  // and its previous one
    Previa,    // the preview shown or hidden, the editor's text in its cell first
};

// Enter presses a button, Esc cancels, F3 goes to the next occurrence and
// Shift+F3 to the previous one, F4 shows or hides the preview.
AccionVentana TeclaEnVentana(TeclaVentana tecla, bool mayusculas);
// The button Enter presses: the one that has the focus (`foco`, the
// control's name), else the default button, CmdAceptar.
std::string_view BotonDeIntro(std::string_view foco);

} // namespace tildora::modelo
