#pragma once

// The file-selection window without any toolkit: the names the user gives,
// where the file dialogs start, and the sequence of its correct button
// (names trimmed and checked, the output checked, the overwrite question,
// the scan with its progress, the clean file's message, the hand-over). A
// face sends the boxes' texts here and does what the answers say (what a
// box now holds, which window comes next); it decides nothing itself.

#include "core/estado.h"
#include "core/resultado.h"
#include "core/textos.h"
#include "modelos/dialogos.h"

#include <optional>
#include <string>
#include <string_view>

namespace tildora::modelo {

// The message for a pair of names that ComprobarNombres refuses: a name
// missing, two names of one file, or an output that is the store.
std::string_view TextoNombresRechazados(Fallo fallo);

// A name the way the file dialogs take it: blanks of every kind (tabs, line
// breaks, no-break and other Unicode spaces) dropped at both ends.
std::string SinBlancos(std::string_view nombre);

// Whether a drop of addresses on a name box fills it: only when it carries
// exactly one, and that one is a local file (`primeraLocal`); several files
// or a web address are no name for one box.
bool SoltarLlena(std::size_t direcciones, bool primeraLocal);

class Eleccion {
public:
    enum class Siguiente { Quedarse, Conversion };

    // The scan of the input, as the user waits for it.
    static constexpr PasoLargo kLectura{textos::ProgresoLectura, true};

    // `documentos` is the user's documents folder and `casa` the home
    // folder: where the dialogs start when nothing nearer is known. Names
    // are as the file system takes them.
    Eleccion(Estado& estado, Dialogos& dialogos, std::string documentos, std::string casa);

    // The input's button: the open dialog starts at the file the input box
    // names, else in that name's folder where it exists, else where nothing
    // is named (Lejos). The name chosen goes to the state, is the last one
    // picked, and is what the box now holds; nothing when the user
    // cancelled, and the box stays as it was.
    std::optional<std::string> ElegirEntrada(const std::string& entrada);

    // The output's button: the save dialog proposes the output box's name;
    // else, beside the input, its name with ".tildora" before the extension
    // ("carta.txt" gives "carta.tildora.txt": the corrected copy sorts next
    // to the input, opens with the same program, and the mark reads the same
    // in both languages); else it starts where nothing is named (Lejos). As
    // ElegirEntrada for the name chosen.
    std::optional<std::string> ElegirSalida(const std::string& entrada, const std::string& salida);

    // The correct button, with the boxes' texts as typed (the boxes keep
    // them; only the names are trimmed, of spaces alone). The names are
    // checked, then whether the output can be written (said now, with why,
    // not once every row has been answered), then a file already there gets
    // the overwrite question; the input is scanned (kLectura; a cancel
    // leaves nothing kept); what the scan had to say is said; a clean file
    // gets its message. Conversion when wrong characters were found.
    Siguiente Actualizar(const std::string& entrada, const std::string& salida);

private:
    // Scans the input; Conversion when it has wrong characters.
    Siguiente Escanear();
    // Where a dialog starts when the boxes name nothing: the folder of the
    // file picked last in this run, else the documents folder, else the
    // home folder, the first of them that is there.
    std::string Lejos() const;
    // A file picked in a dialog; nothing when the user cancelled.
    std::optional<std::string> Elegido(std::string nombre, std::string& destino);

    Estado& m_estado;
    Dialogos& m_dialogos;
    std::string m_documentos;
    std::string m_casa;
};

} // namespace tildora::modelo
