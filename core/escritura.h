#pragma once

#include <string>
#include <string_view>

namespace tildora {

// Writes `datos` under `ruta` through a temporary file in the same folder
// that is then renamed over the target. On any failure the target is left as
// it was, no temporary file remains, and false is returned with a short
// reason in `error` (for logs and the command line; the windows show their
// own message).
bool EscribirFicheroSeguro(const std::string& ruta, std::string_view datos,
                           std::string* error = nullptr);

} // namespace tildora
