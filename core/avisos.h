#pragma once

#include <string>

namespace tildora {

// How the core tells the user something. The core never shows anything
// itself: the windows hand it a message box, the command line a stream.
class Avisador {
public:
    virtual ~Avisador() = default;
    // Shows one message (UTF-8) with an OK button and waits for it.
    virtual void Mensaje(const std::string& texto) = 0;
};

} // namespace tildora
