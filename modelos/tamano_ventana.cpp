#include "modelos/tamano_ventana.h"

#include "core/almacen.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace tildora::modelo {

namespace {

constexpr std::string_view kFichero = "ventana.ini";
constexpr std::string_view kSeccion = "[conversion]";
// A few lines: anything bigger is not this file.
constexpr std::size_t kTamanoMaximo = 4096;
// No screen is a million twips (some 67,000 pixels) across.
constexpr int kMedidaMaxima = 1'000'000;

// `texto` without blanks (and a CR) at either end.
std::string_view Recortar(std::string_view texto) {
    const auto inicio = texto.find_first_not_of(" \t\r");
    if (inicio == std::string_view::npos) {
        return {};
    }
    return texto.substr(inicio, texto.find_last_not_of(" \t\r") - inicio + 1);
}

// A whole number from 1 to kMedidaMaxima written alone; nothing otherwise.
std::optional<int> Numero(std::string_view texto) {
    int n = 0;
    const auto [fin, error] = std::from_chars(texto.data(), texto.data() + texto.size(), n);
    if (error != std::errc() || fin != texto.data() + texto.size() || n <= 0 || n > kMedidaMaxima) {
        return std::nullopt;
    }
    return n;
}

} // namespace

std::string RutaTamanoVentana() {
    return RutaAjusteUsuario(kFichero);
}

std::optional<TamanoVentana> TamanoRecordado::Leer() const {
    const std::optional<std::string> datos = LeerAjuste(m_ruta, kTamanoMaximo);
    if (!datos) {
        return std::nullopt;
    }
    std::optional<int> ancho;
    std::optional<int> alto;
    std::optional<bool> maximizada;
    bool enSeccion = false;
    std::string_view resto = *datos;
    while (!resto.empty()) {
        const std::size_t fin = std::min(resto.find('\n'), resto.size());
        const std::string_view linea = Recortar(resto.substr(0, fin));
        resto.remove_prefix(std::min(fin + 1, resto.size()));
        if (linea.starts_with('[')) {
            enSeccion = linea == kSeccion;
            continue;
        }
        const std::size_t igual = linea.find('=');
        if (!enSeccion || igual == std::string_view::npos) {
            continue;
        }
        const std::string_view clave = Recortar(linea.substr(0, igual));
        const std::string_view valor = Recortar(linea.substr(igual + 1));
        if (clave == "ancho") {
            ancho = Numero(valor);
        } else if (clave == "alto") {
            alto = Numero(valor);
        } else if (clave == "maximizada" && (valor == "0" || valor == "1")) {
            maximizada = valor == "1";
        }
    }
    if (!ancho || !alto || !maximizada) {
        return std::nullopt;
    }
    return TamanoVentana{{*ancho, *alto}, *maximizada};
}

bool TamanoRecordado::Guardar(const TamanoVentana& tamano) const {
    if (m_ruta.empty()) {
        return false;
    }
    std::string texto(kSeccion);
    texto += "\nancho=" + std::to_string(tamano.medida.ancho);
    texto += "\nalto=" + std::to_string(tamano.medida.alto);
    texto += "\nmaximizada=" + std::string(tamano.maximizada ? "1" : "0") + "\n";
    return static_cast<bool>(GuardarAjuste(m_ruta, texto));
}

Medida TamanoMinimo(Medida disposicion, Medida pantalla) {
    return {std::min(disposicion.ancho, pantalla.ancho), std::min(disposicion.alto, pantalla.alto)};
}

TamanoVentana TamanoAlAbrir(const std::optional<TamanoVentana>& recordado, Medida disposicion,
                            Medida pantalla) {
    const Medida minimo = TamanoMinimo(disposicion, pantalla);
    const TamanoVentana pedido = recordado.value_or(TamanoVentana{disposicion, false});
    const auto entre = [](int v, int menor, int mayor) {
        return std::max(menor, std::min(v, mayor));
    };
    return {{entre(pedido.medida.ancho, minimo.ancho, pantalla.ancho),
             entre(pedido.medida.alto, minimo.alto, pantalla.alto)},
            pedido.maximizada};
}

} // namespace tildora::modelo
