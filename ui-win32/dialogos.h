#pragma once

// The Windows face's side of the dialogs (modelos/dialogos.h): message boxes
// with the program's own bilingual buttons (a task dialog of common controls
// 6), the common open and save dialogs, and a progress window; each owned
// by, and blocking, the window that asks (Sobre).

#include "modelos/dialogos.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace tildora::win32 {

class DialogosWin32 : public modelo::Dialogos {
public:
    // The window the next boxes show over; none: the active window of the
    // program (the conversion window's boxes, which it does not name).
    void Sobre(HWND ventana) { m_ventana = ventana; }

    Respuesta Mensaje(const std::string& texto, bool conCancelar) override;
    Respuesta Preguntar(const std::string& texto, Respuesta porDefecto) override;
    std::string AbrirFichero(const std::string& inicio) override;
    std::string GuardarFichero(const std::string& propuesta) override;
    std::unique_ptr<modelo::IndicadorProgreso> MostrarProgreso(const std::string& texto,
                                                               bool conCancelar) override;
    // On a thread of its own while the windows stay painted; the progress
    // window shows once the step has taken its time (ui-win32/progreso.cpp).
    void Ejecutar(const modelo::PasoLargo& como, Progreso& progreso,
                  const std::function<void()>& paso) override;

private:
    Respuesta Caja(const std::string& texto, bool conCancelar, Respuesta porDefecto);
    std::string Fichero(const std::string& inicio, bool guardar);
    HWND Dueno() const;

    HWND m_ventana = nullptr;
};

} // namespace tildora::win32
