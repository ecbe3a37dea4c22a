#pragma once

// How a picture button's caption reads: the layouts give captions with runs
// of blanks, laid out so that each word fell on its own line of a narrow
// button; every face stacks the words, one a line.

#include <string>
#include <string_view>

namespace tildora::modelo {

// The caption's words joined by line breaks ('\n'); empty for a caption of
// blanks only.
std::string PalabrasApiladas(std::string_view leyenda);

} // namespace tildora::modelo
