// Dialogs wrapped to do one of them another way pass all the others on.

#include "modelos/dialogos.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tildora;
using tildora::modelo::Dialogos;
using tildora::modelo::DialogosDe;

namespace {

// Writes down what it is asked, and answers with fixed values.
class Anotados : public Dialogos {
public:
    std::vector<std::string> pedidos;
    Respuesta Mensaje(const std::string& texto, bool conCancelar) override {
        pedidos.push_back("mensaje " + texto + (conCancelar ? " cancelable" : ""));
        return Respuesta::Cancelar;
    }
    Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) override {
        pedidos.push_back("pregunta " + texto +
                          (porDefecto == Respuesta::Cancelar ? " cancelar" : " aceptar"));
        return Respuesta::Aceptar;
    }
    std::string AbrirFichero(const std::string& inicio) override {
        pedidos.push_back("abrir " + inicio);
        return "/a/entrada.txt";
    }
    std::string GuardarFichero(const std::string& propuesta) override {
        pedidos.push_back("guardar " + propuesta);
        return "/a/salida.txt";
    }
    std::unique_ptr<modelo::IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                               bool conCancelar) override {
        pedidos.push_back("progreso " + texto + (conCancelar ? " cancelable" : ""));
        return nullptr;
    }
    void Ejecutar(const modelo::PasoLargo& como, Progreso&,
                  const std::function<void()>& paso) override {
        pedidos.push_back("paso " + std::string(como.texto));
        paso();
    }
};

} // namespace

TEST(Dialogos, LosEnvueltosPasanTodoAlOtro) {
    Anotados anotados;
    DialogosDe envueltos(anotados);
    Dialogos& d = envueltos;
    EXPECT_EQ(d.Mensaje("hola", true), Dialogos::Respuesta::Cancelar);
    EXPECT_EQ(d.Preguntar("y", Dialogos::Respuesta::Cancelar), Dialogos::Respuesta::Aceptar);
    EXPECT_EQ(d.AbrirFichero("/a"), "/a/entrada.txt");
    EXPECT_EQ(d.GuardarFichero("/a/x.txt"), "/a/salida.txt");
    EXPECT_EQ(d.MostrarProgreso("leyendo", false), nullptr);
    Progreso progreso;
    int pasos = 0;
    d.Ejecutar({"corrigiendo", true, 10}, progreso, [&pasos] { ++pasos; });
    EXPECT_EQ(pasos, 1);
    const std::vector<std::string> esperados = {
        "mensaje hola cancelable", "pregunta y cancelar", "abrir /a",
        "guardar /a/x.txt",        "progreso leyendo",    "paso corrigiendo"};
    EXPECT_EQ(anotados.pedidos, esperados);
}
