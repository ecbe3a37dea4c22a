#include "core/tabla.h"

namespace tildora {

namespace {

struct Rango {
    int desde;
    int hasta;
};

// The allowed codes, as ranges. Everything else (141 codes) is wrong.
constexpr Rango kPermitidos[] = {
    {32, 93},   {95, 95},   {97, 123},  {125, 126}, {160, 161}, {170, 170}, {173, 173},
    {176, 176}, {186, 186}, {191, 191}, {193, 193}, {201, 201}, {205, 205}, {209, 209},
    {211, 211}, {215, 215}, {218, 218}, {220, 220}, {225, 225}, {233, 233}, {237, 237},
    {241, 241}, {243, 243}, {250, 250}, {252, 252}, {255, 255},
};

} // namespace

TablaValidez ConstruirCaracteresValidos() {
    TablaValidez tabla{};
    for (const Rango& r : kPermitidos) {
        for (int c = r.desde; c <= r.hasta; ++c) {
            tabla[static_cast<unsigned>(c)] = true;
        }
    }
    return tabla;
}

const TablaValidez& TablaFija() {
    static const TablaValidez tabla = ConstruirCaracteresValidos();
    return tabla;
}

} // namespace tildora
