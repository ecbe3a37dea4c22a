// The preview (F4) shows what the accept writes, in each encoding: the text
// view's lines read as the view draws them in the preview, then "Ados
// Aceptar" pressed and the output file read back, UTF-16 decoded.

#include "tests/core/ayudas.h"
#include "tests/win32/conductor_win32.h"
#include "ui-win32/controles.h"
#include "ui-win32/conversion/frmconversioncaracteres.h"

#include "core/unicode.h"
#include "modelos/vista.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace tildora;

namespace {

// Every line of the view as it draws it, the lines [0, n) in sight.
std::string Mostrado(const modelo::Vista& vista) {
    const modelo::Lineas& texto = vista.Texto();
    const std::size_t n = texto.NumeroLineas();
    std::string r;
    for (std::size_t linea = 0; linea < n; ++linea) {
        const std::size_t inicio = texto.InicioLinea(linea);
        const std::size_t siguiente = texto.FinLinea(linea);
        const modelo::Renglon renglon = vista.RenglonDe(linea, 0, n);
        if (!renglon.pieza) {
            r += texto.Texto().substr(inicio, siguiente - inicio);
            continue;
        }
        const std::size_t a = renglon.pieza->EnPrevia(inicio);
        r += renglon.pieza->texto.substr(a, renglon.pieza->EnPrevia(siguiente) - a);
    }
    return r;
}

std::string Utf16(std::u16string_view texto) {
    std::string r = "\xff\xfe";
    for (const char16_t c : texto) {
        r += static_cast<char>(c & 0xFF);
        r += static_cast<char>(c >> 8);
    }
    return r;
}

struct Caso {
    const char* nombre;
    std::string entrada;
    bool utf16;
};

void PrintTo(const Caso& caso, std::ostream* os) {
    *os << caso.nombre;
}

class PreviaEsLaSalida : public ::testing::TestWithParam<Caso> {};

} // namespace

TEST_P(PreviaEsLaSalida, EnCadaCodificacion) {
    pruebas::ConductorWin32 c;
    ::SetEnvironmentVariableW(L"APPDATA", win32::Ancho(c.Ruta("")).c_str());
    // 'ç' remembered, '…' with its proposal, 'ñ' allowed.
    c.Fichero("caracteres.ini", "[lista]\r\n\xe7=c\r\n");
    c.Fichero("entrada.txt", GetParam().entrada);
    c.MostrarSeleccion();
    c.Teclear("txtEntrada", c.Ruta("entrada.txt"));
    c.Teclear("txtSalida", c.Ruta("salida.txt"));
    c.Pulsar("CmdActualizar");
    ASSERT_EQ(c.VentanaActual(), "FrmConversionCaracteres");
    const win32::FrmConversionCaracteres& v = *c.app().Conversion();
    const std::string original = Mostrado(v.Vista());

    HWND rejilla = c.Control("caracteresFG");
    ::SetFocus(rejilla);
    ::PostMessageW(rejilla, WM_KEYDOWN, VK_F4, 1);
    ::PostMessageW(rejilla, WM_KEYUP, VK_F4, 0xC0000001);
    c.Atender();
    ASSERT_TRUE(v.Vista().Previa());
    const std::string previa = Mostrado(v.Vista());
    EXPECT_NE(previa, original);

    c.Pulsar("CmdAceptar");
    ASSERT_EQ(c.Mensajes().size(), 1u);
    ASSERT_EQ(c.VentanaActual(), "FrmElegirFicheros");
    const std::string salida = prueba::Leer(c.Ruta("salida.txt"));
    EXPECT_EQ(previa, GetParam().utf16 ? Utf8DeUtf16(salida, false).value_or("?") : salida);
}

INSTANTIATE_TEST_SUITE_P(
    Codificaciones, PreviaEsLaSalida,
    ::testing::Values(Caso{"windows1252",
                           "Fran\xe7"
                           "ais \x85\r\nni\xf1o\r\n",
                           false},
                      Caso{"utf8",
                           "Fran\xc3\xa7"
                           "ais \xe2\x80\xa6\r\nni\xc3\xb1o\r\n",
                           false},
                      Caso{"utf16", Utf16(u"Fran\u00e7ais \u2026\r\nni\u00f1o\r\n"), true}),
    [](const auto& info) { return std::string(info.param.nombre); });
