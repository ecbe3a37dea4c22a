#include "core/propuestas.h"

#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/propuestas_tabla.h"

#include <algorithm>
#include <cstdint>

namespace tildora {

namespace {

namespace t = tabla_propuestas;

constexpr char32_t kUltimo = 0x10FFFF;

// The value of the run a code point belongs to.
std::uint32_t ValorDe(char32_t cp) {
    if (cp > kUltimo) {
        return t::kNinguna;
    }
    const char32_t* fin = t::kDesde + t::kTramos;
    const char32_t* tramo = std::upper_bound(t::kDesde, fin, cp);
    return t::kValor[tramo - t::kDesde - 1];
}

} // namespace

std::optional<std::string_view> PropuestaPara(char32_t cp) {
    const std::uint32_t v = ValorDe(cp);
    if (v == t::kNinguna || v == t::kCjk) {
        return std::nullopt;
    }
    return std::string_view(t::kPozo + (v & 0xFFFFFFu), v >> 24);
}

std::optional<std::string_view> PropuestaDeClave(std::string_view clave) {
    const std::optional<char32_t> cp = CaracterDeClave(clave);
    if (!cp) {
        return std::nullopt;
    }
    return PropuestaPara(*cp);
}

bool EsCjk(char32_t cp) {
    return ValorDe(cp) == t::kCjk;
}

FilaInicial FilaDeInicio(std::string clave, const Respuestas& respuestas, bool proponer) {
    if (EsSaltoDeLinea(clave)) {
        return {Fila{std::move(clave), std::string(kSaltoDeLinea)}, false};
    }
    if (const std::optional<std::string> recordada = respuestas.Recordada(clave)) {
        return {FilaCon(std::move(clave), *recordada), false};
    }
    if (const auto propuesta = proponer ? PropuestaDeClave(clave) : std::nullopt) {
        return {FilaCon(std::move(clave), *propuesta), true};
    }
    return {FilaCon(std::move(clave), std::nullopt), false};
}

} // namespace tildora
