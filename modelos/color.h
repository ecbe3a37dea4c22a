#pragma once

// A colour as the models give it, whatever the face draws with.

namespace tildora::modelo {

// A colour, 0 to 255 a channel.
struct Rgb {
    int rojo = 0;
    int verde = 0;
    int azul = 0;
    bool operator==(const Rgb&) const = default;
};

} // namespace tildora::modelo
