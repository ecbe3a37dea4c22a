#pragma once

// The conversion window's size as the user left it, remembered for the user
// apart from the answers' store: ventana.ini in the user's configuration
// folder for the program ($XDG_CONFIG_HOME/tildora or ~/.config/tildora;
// %APPDATA%\tildora on Windows), and the rule that opens the window at that
// size without ever passing the screen. Sizes are the client area's, in
// twips, as the layouts' (modelos/disposicion.h).

#include <optional>
#include <string>
#include <utility>

namespace tildora::modelo {

struct Medida {
    int ancho = 0;
    int alto = 0;
    bool operator==(const Medida&) const = default;
};

// A size and whether the window was maximised; the size is the one it had
// (or has again) when not maximised.
struct TamanoVentana {
    Medida medida;
    bool maximizada = false;
    bool operator==(const TamanoVentana&) const = default;
};

// The file in the user's folder; empty when no such folder is known.
std::string RutaTamanoVentana();

// The remembered size, in the file `ruta` (RutaTamanoVentana, or a test's).
class TamanoRecordado {
public:
    explicit TamanoRecordado(std::string ruta) : m_ruta(std::move(ruta)) {}

    // Nothing when there is no file, or it cannot be read, or it holds no
    // whole and sensible size (a corrupt file is ignored, never an error).
    std::optional<TamanoVentana> Leer() const;
    // Written whole or not at all; false when it could not be (the window
    // then opens at its starting size next time, nothing more is lost).
    bool Guardar(const TamanoVentana& tamano) const;

private:
    std::string m_ruta;
};

// The smallest the window gets: the layout's size, or the screen's (the
// room a window's client area has there) where that is smaller.
Medida TamanoMinimo(Medida disposicion, Medida pantalla);

// The size the window opens at: the remembered one (else the layout's),
// never smaller than TamanoMinimo nor larger than the screen; maximised as
// it was left.
TamanoVentana TamanoAlAbrir(const std::optional<TamanoVentana>& recordado, Medida disposicion,
                            Medida pantalla);

} // namespace tildora::modelo
