#pragma once

#include <string>

namespace tildora {

// True when both names name one existing file (same device and inode), so
// "./a.txt", "a.txt", a link and "dir/../a.txt" are caught. Names that do not
// exist never match.
bool MismoFichero(const std::string& a, const std::string& b);

// True when both names lead to one place: one existing file (MismoFichero),
// or, where the file is not there yet, the same path once made absolute and
// its folders and links that exist resolved ("./x", "d/../x", a link to the
// folder).
bool MismoLugar(const std::string& a, const std::string& b);

// The existence test of the file-selection window: a directory search for
// ordinary files only. Folders and hidden files (names beginning with a dot)
// are not found; '*' and '?' in the last part of the name act as wildcards; a
// name ending in '/' finds the first ordinary file in that folder.
bool ExisteFicheroOrdinario(const std::string& nombre);

} // namespace tildora
