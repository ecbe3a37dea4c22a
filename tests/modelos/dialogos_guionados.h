#pragma once

// For tests of the models and of the windows: dialogs that record what would
// have been shown and answer from queues (Aceptar and an empty name when a
// queue is empty), so no test ever waits on a real box. The model tests use
// it with the standard library's strings and containers
// (DialogosGuionadosEstandar); the window tests with Qt's (see
// tests/ui/dialogos_guionados.h), so that they compare with Qt's strings.

#include "modelos/dialogos.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tildora::pruebas {

// `Rasgos` gives the text type (Texto, made from UTF-8 by De), a list
// (Lista<T>) and a queue (Cola<T>).
template <typename Rasgos> class DialogosGuionadosDe : public modelo::Dialogos {
public:
    using Texto = typename Rasgos::Texto;
    template <typename T> using Lista = typename Rasgos::template Lista<T>;
    template <typename T> using Cola = typename Rasgos::template Cola<T>;

    struct Registro {
        Texto texto;
        bool conCancelar = false;
        // The button Enter presses.
        Respuesta porDefecto = Respuesta::Aceptar;
    };
    // The long steps run, each with its progress window's threshold.
    struct Paso {
        Texto texto;
        bool conCancelar = false;
        int umbralMs = 0;
    };

    Lista<Registro> mensajes;
    Cola<Respuesta> respuestas;
    Cola<Texto> nombresAbrir;
    Cola<Texto> nombresGuardar;
    int dialogosAbrir = 0;
    int dialogosGuardar = 0;
    // Where each dialog started: the open dialog's folder or file, the save
    // dialog's proposed name.
    Lista<Texto> inicios;
    Lista<Texto> propuestas;
    // The progress windows shown, and whether their cancel is pressed.
    Lista<Texto> progresos;
    bool cancelarProgreso = false;
    // The long steps, run at once on the caller's thread; a cancel of a
    // step that can be stopped (cancelarProgreso) is asked before it starts.
    Lista<Paso> pasos;

    Respuesta Mensaje(const std::string& texto, bool conCancelar) override {
        mensajes.push_back(Registro{Rasgos::De(texto), conCancelar, Respuesta::Aceptar});
        return Sacar(respuestas, Respuesta::Aceptar);
    }
    Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) override {
        mensajes.push_back(Registro{Rasgos::De(texto), true, porDefecto});
        return Sacar(respuestas, Respuesta::Aceptar);
    }
    std::string AbrirFichero(const std::string& inicio) override {
        ++dialogosAbrir;
        inicios.push_back(Rasgos::De(inicio));
        return Rasgos::Utf8(Sacar(nombresAbrir, Texto()));
    }
    std::string GuardarFichero(const std::string& propuesta) override {
        ++dialogosGuardar;
        propuestas.push_back(Rasgos::De(propuesta));
        return Rasgos::Utf8(Sacar(nombresGuardar, Texto()));
    }
    std::unique_ptr<modelo::IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                               bool conCancelar) override {
        progresos.push_back(Rasgos::De(texto));
        return std::make_unique<Indicador>(conCancelar && cancelarProgreso);
    }
    void Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                  const std::function<void()>& paso) override {
        pasos.push_back(Paso{Rasgos::De(std::string(como.texto)), como.conCancelar, como.umbralMs});
        if (como.conCancelar && cancelarProgreso) {
            progreso.cancelar = true;
        }
        paso();
    }

private:
    class Indicador : public modelo::IndicadorProgreso {
    public:
        explicit Indicador(bool cancelar) : m_cancelar(cancelar) {}
        void Avanzar(int) override {}
        bool Cancelado() override { return m_cancelar; }

    private:
        bool m_cancelar;
    };

    template <typename T> static T Sacar(Cola<T>& cola, T siNada) {
        if (cola.empty()) {
            return siNada;
        }
        T primero = std::move(cola.front());
        cola.pop_front();
        return primero;
    }
};

struct RasgosEstandar {
    using Texto = std::string;
    template <typename T> using Lista = std::vector<T>;
    template <typename T> using Cola = std::deque<T>;
    static std::string De(const std::string& utf8) { return utf8; }
    static std::string Utf8(const std::string& texto) { return texto; }
};

using DialogosGuionadosEstandar = DialogosGuionadosDe<RasgosEstandar>;

} // namespace tildora::pruebas
