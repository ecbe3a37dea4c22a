#pragma once

// The editor laid over a replacement cell, without any toolkit: what it may
// hold after a keystroke, what leaving it commits into its row or refuses
// (and with which message), and Esc giving the cell back. The face's line
// edit shows the text and the caret; they are kept here, with the row.
//
// How a face drives it: Abrir when a replacement cell is clicked (or F2,
// Space or a typed character opens it), showing Texto, Cursor, Propuesta and
// MarcaBorrado; Editado on every change the user makes, taking back Texto
// and Cursor when it says no; Salir whenever the focus moves to another
// control, the editor closes (Enter, Up, Down, a scroll, a button) or
// another cell opens, showing its message if there is one and the row again
// if it changed (Cancel alone hides the editor unchecked); Deshacer on Esc;
// Olvidar when the row's answer is set another way. Leaving runs once
// however many focus events its message sets off: that guard is the face's.

#include <cstddef>
#include <optional>
#include <string>

namespace tildora::modelo {

class Conversion;

class Editor {
public:
    explicit Editor(Conversion& conversion) : m_conversion(conversion) {}

    // Opens over `fila` (a row past the last is none: nothing opens): the
    // row's answer as text, the caret at its end.
    // Text put in this way is never cut; only typing is limited to one
    // character.
    void Abrir(std::size_t fila);
    // The row opened last, until its answer is set another way (Olvidar).
    std::optional<std::size_t> Fila() const { return m_fila; }
    // Nothing the editor held may come back over an answer set another
    // way (the menu, Delete).
    void Olvidar() { m_fila.reset(); }

    // The text as opening or the last keystroke that stayed left it, and
    // the caret there (in the face's own units).
    const std::u32string& Texto() const { return m_texto; }
    std::size_t Cursor() const { return m_cursor; }
    // It holds its row's proposal untouched: drawn as a proposal is, and a
    // typed character replaces all of it.
    bool Propuesta() const { return m_propuesta; }
    // Its row holds the delete answer, which has no text: the editor shows
    // the answer's mark while empty.
    bool MarcaBorrado() const { return m_marcaBorrado; }

    // A keystroke, a paste or a drop made `texto` of the text, the caret at
    // `cursor`. True when that stays; otherwise the editor goes back to
    // Texto() and Cursor(). At most one character may be left; a longer
    // text can only lose one stretch.
    bool Editado(const std::u32string& texto, std::size_t cursor);
    // The caret moved, `texto` being what the editor shows.
    void CursorMovido(const std::u32string& texto, std::size_t cursor);

    // Leaving the editor: text that differs from the row's answer is
    // checked, then committed into its row (text left as it was put in
    // leaves the row as it was: a proposal stays one, the delete answer
    // stays). A first character that is not allowed, or that Windows-1252
    // cannot hold, leaves the row with what it held when the editor opened,
    // gives the editor that back, and `rechazo` is the message that names
    // the character; the focus moves on all the same.
    struct Salida {
        bool cambiada = false;
        std::optional<std::string> rechazo;
    };
    Salida Salir();
    // Whether leaving now would refuse the editor's text.
    bool SeRechazaria() const { return Rechazado().has_value(); }

    // Esc: the text goes back to what the row holds.
    void Deshacer();

private:
    void Tomar(std::size_t fila);
    // The character leaving would refuse, if any.
    std::optional<char32_t> Rechazado() const;

    Conversion& m_conversion;
    std::optional<std::size_t> m_fila;
    std::u32string m_texto;
    std::size_t m_cursor = 0;
    bool m_propuesta = false;
    bool m_marcaBorrado = false;
};

} // namespace tildora::modelo
