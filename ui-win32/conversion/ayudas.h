#pragma once

// Small helpers of the conversion window beside the face's own
// (ui-win32/controles.h): code points to UTF-16 and back, a window's text as
// the wide API has it, colours between the models and GDI.

#include "modelos/color.h"
#include "ui-win32/controles.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace tildora::win32::conversion {

// Code points to UTF-16 and back.
std::wstring DeU32(std::u32string_view texto);
std::u32string AU32(std::wstring_view texto);
// A character as UTF-16.
std::wstring Caracter(char32_t cp);

// The window's text, whole, as the wide API has it.
std::wstring TextoAncho(HWND ventana);

inline COLORREF Gdi(modelo::Rgb c) {
    return RGB(c.rojo, c.verde, c.azul);
}
inline modelo::Rgb RgbDe(COLORREF c) {
    return modelo::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

// The name a table of keys gives the virtual key `tecla`; `otra` for a key
// the table lacks.
template <typename Nombre, std::size_t N>
Nombre NombreDeTecla(const std::pair<WPARAM, Nombre> (&tabla)[N], WPARAM tecla, Nombre otra) {
    for (const auto& [vk, nombre] : tabla) {
        if (vk == tecla) {
            return nombre;
        }
    }
    return otra;
}

// A two-language text on two lines, Basque above Spanish ("a / b").
std::wstring EnDosLineas(std::string_view texto);

} // namespace tildora::win32::conversion
