#pragma once

// The conversion window without any toolkit: the wrong characters in grid
// order, each with the one answer it has and where that answer came from,
// the row's menu, what is unsaved, and the accept and cancel sequences with
// their messages. A face shows the rows, sends the user's acts here and
// does what the answers say (which row to make current, which window comes
// next); it decides nothing itself.
//
// How a face drives it: Cargar once the scan has filled the state, then a
// row per NumFilas, each shown from Clave, Texto, EsBorrado and OrigenDe (the
// pieces a cell draws are in modelos/filas.h, the caption is Titulo). The
// user's acts on a row are DarBorrado (Delete, the menu), QuitarRespuesta
// (Backspace, the menu), TomarPropuesta (the menu) and, through the editor
// over a cell (modelos/editor.h), Escribir; each says whether the row must
// be shown again. Menu says which entries a row's menu has; Aceptar and
// Cancelar are the two buttons; the window's close box asks as Cancelar
// does, then ends the program instead of going back, and stores and writes
// nothing.

#include "core/correccion.h"
#include "core/estado.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tildora::modelo {

class Dialogos;

// Where a row's answer came from.
enum class Origen {
    Ninguna,   // no answer yet
    Recordada, // from the store (a proposal becomes one once stored)
    Dada,      // given in the window: typed, Delete, Backspace, the menu
    Propuesta, // the row's proposal, not stored yet: drawn apart
    Salto,     // a lone LF's fixed CR LF: neither typed nor stored
};

// The entries of a row's menu: each is there and usable or not.
struct MenuDeFila {
    bool borrar = false;       // the delete answer
    bool sinSustituto = false; // no answer
    // The row's proposal, to take it back after another answer: whether
    // the row has one, how it reads (its text, or the delete answer's
    // mark), and whether it is not already the answer.
    bool hayPropuesta = false;
    std::string textoPropuesta;
    bool propuesta = false;
};

// What the first window gets back after a cancel: empty names, or after an
// output that could not be written both names, for another output.
struct Vuelta {
    std::string entrada;
    std::string salida;
};

// A wrong character named in a message, by its key: as the grid shows it,
// and its code.
std::string Nombrado(const std::string& clave, bool unicode);

class Conversion {
public:
    // Everything it says, asks and runs as a long step goes through
    // `dialogos`.
    Conversion(Estado& estado, Dialogos& dialogos);

    // The rows of the last scan, each with what is remembered for it, else
    // its proposal. A store that is there but cannot be read is said first;
    // the rows then start with their proposals.
    void Cargar();

    // Rows count from 0, in grid order.
    std::size_t NumFilas() const { return m_filas.size(); }
    // Every row as the core takes it: the key, the answer.
    const std::vector<Fila>& Filas() const { return m_filas; }
    const std::string& Clave(std::size_t fila) const { return m_filas[fila].clave; }
    // The answer's bytes as a cell holds them: the replacement, empty for
    // the delete answer and for none, CR LF for the line break.
    const std::string& Texto(std::size_t fila) const { return m_filas[fila].sustituto; }
    Origen OrigenDe(std::size_t fila) const { return m_origen[fila]; }
    bool EsBorrado(std::size_t fila) const { return m_filas[fila].borrar; }
    bool EsPropuesta(std::size_t fila) const { return m_origen[fila] == Origen::Propuesta; }
    // The lone LF's row: its answer is fixed, never edited, no menu.
    bool EsFija(std::size_t fila) const { return m_origen[fila] == Origen::Salto; }
    // The text is UTF-8 or UTF-16: keys show the characters they stand for.
    bool Unicode() const;
    // The window's caption: a text in UTF-8 or UTF-16 names its encoding.
    std::string Titulo() const;

    // The user's acts on a row. Each leaves a fixed row as it is, and says
    // whether the row's answer changed.
    bool DarBorrado(std::size_t fila);
    bool QuitarRespuesta(std::size_t fila);
    bool TomarPropuesta(std::size_t fila);
    // `bytes` given in the window (the editor's commit): a replacement, or
    // none when empty.
    bool Escribir(std::size_t fila, const std::string& bytes);

    // The row's menu; none (nullopt) for the line break's row.
    std::optional<MenuDeFila> Menu(std::size_t fila) const;

    // Whether some row holds an answer given in the window and not stored:
    // leaving would lose it. An answer taken away loses nothing.
    bool HaySinGuardar() const;

    // The accept: rows without an answer (named, the first made current
    // through `hacerActual` before the message shows), rows that would not
    // leave a clean text, then an input that changed on disk since it was
    // read (or can no longer be read) is said, and the user asked whether
    // to write the output from the text as it was read (Cancel: nothing is
    // stored or written); then every row remembered, the text corrected and
    // written, the corrections counted. Once every row is remembered, the
    // proposals are remembered answers (`recordadas` is called then, before
    // anything more is said). True when the output was written; otherwise
    // the window stays.
    bool Aceptar(const std::function<void(std::size_t fila)>& hacerActual,
                 const std::function<void()>& recordadas);

    // The cancel: with answers given and not stored, the user is asked
    // first; nullopt when the window stays.
    std::optional<Vuelta> Cancelar();

private:
    ::tildora::Aceptacion Corregir(bool reemplazar) const;
    // Whether the input is as it was read, or the user agrees to write from
    // the text as it was read all the same.
    bool EntradaAceptada();
    // What follows a correction that was not refused; true when written.
    bool TrasCorregir(::tildora::Aceptacion& a, const std::function<void()>& recordadas);
    void Decir(const std::string& texto);
    bool Poner(std::size_t fila, Fila respuesta, Origen origen);

    Estado& m_estado;
    Dialogos& m_dialogos;

    std::vector<Fila> m_filas;
    std::vector<Origen> m_origen;
    // Each row's proposal: none, empty for the delete answer, or its
    // replacement.
    std::vector<std::optional<std::string>> m_propuestas;
    // The answers as last stored (or as the store and the proposals gave
    // them): (replacement, delete answer).
    std::vector<std::pair<std::string, bool>> m_guardadas;
    // The last accept could not write the output.
    bool m_salidaFallida = false;
};

} // namespace tildora::modelo
