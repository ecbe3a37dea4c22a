#include "core/interno/escritura.h"

#include <cerrno>

namespace tildora {

Error EscrituraSegura::Fallar(Fallo fallo, int codigo, const std::string& ruta) {
    m_temporal.Descartar();
    m_abierto = false;
    return Falla(fallo, codigo, ruta);
}

Resultado<void> EscrituraSegura::Abrir(const std::string& ruta, bool reemplazar) {
    m_temporal.Descartar();
    m_abierto = false;
    m_reemplazar = reemplazar;
    if (ruta.empty()) {
        return Fallar(Fallo::Escritura, ENOENT, "\"\"");
    }
    m_destino = ruta;
    sistema::Ficha ficha;
    if (sistema::Consultar(ruta, ficha, false) == 0 && ficha.tipo == sistema::Ficha::Tipo::Enlace) {
        if (const int codigo = sistema::DestinoDeEnlace(ruta, m_destino); codigo != 0) {
            return Fallar(Fallo::Escritura, codigo, ruta);
        }
    }
    m_existia = sistema::Consultar(m_destino, m_ficha) == 0;
    // What is there and is no file is never replaced by one; what it is,
    // is said.
    if (m_existia && !m_ficha.Ordinario()) {
        switch (m_ficha.tipo) {
        case sistema::Ficha::Tipo::Carpeta:
            return Fallar(Fallo::Escritura, EISDIR, ruta);
        case sistema::Ficha::Tipo::Tuberia:
            return Fallar(Fallo::Tuberia, EINVAL, ruta);
        case sistema::Ficha::Tipo::Dispositivo:
            return Fallar(Fallo::Dispositivo, EINVAL, ruta);
        default:
            return Fallar(Fallo::Escritura, EINVAL, ruta);
        }
    }
    if (m_existia && !reemplazar) {
        return Fallar(Fallo::Ocupado, EEXIST, ruta);
    }
    // The rename needs only the folder's permission; the file's own is what
    // says whether it may be replaced.
    if (m_existia && !sistema::SePuedeEscribir(m_destino)) {
        return Fallar(Fallo::Escritura, errno, ruta);
    }
    // A name that ends in a separator names a folder.
    if (sistema::CarpetaDe(m_destino).size() == m_destino.size()) {
        return Fallar(Fallo::Escritura, EISDIR, ruta);
    }
    if (const int codigo = m_temporal.Crear(sistema::CarpetaDe(m_destino), m_conNombre);
        codigo != 0) {
        return Fallar(Fallo::Escritura, codigo, ruta);
    }
    m_abierto = true;
    return {};
}

Resultado<void> EscrituraSegura::Escribir(const char* datos, std::size_t n) {
    if (!m_abierto) {
        return Falla(Fallo::Escritura, EBADF, m_destino);
    }
    if (const int codigo = m_temporal.Escribir(datos, n); codigo != 0) {
        return Fallar(Fallo::Escritura, codigo, m_destino);
    }
    return {};
}

Resultado<void> EscrituraSegura::Confirmar() {
    if (!m_abierto) {
        return Falla(Fallo::Escritura, EBADF, m_destino);
    }
    // A replaced file keeps its permissions (and, where allowed, its owner);
    // a new one gets the usual ones for the user's mask.
    const unsigned modo = m_existia ? m_ficha.modo : sistema::PermisosNuevos();
    if (const int codigo = m_temporal.Terminar(modo, m_existia, m_ficha.dueno, m_ficha.grupo);
        codigo != 0) {
        return Fallar(Fallo::Escritura, codigo, m_destino);
    }
    if (const int codigo = m_temporal.Nombrar(m_destino, m_reemplazar); codigo != 0) {
        return Fallar(codigo == EEXIST && !m_reemplazar ? Fallo::Ocupado : Fallo::Escritura, codigo,
                      m_destino);
    }
    m_abierto = false;
    return {};
}

void LimpiarCarpetaDe(const std::string& ruta) {
    std::string destino;
    if (ruta.empty() || sistema::DestinoDeEnlace(ruta, destino) != 0) {
        return;
    }
    sistema::LimpiarTemporales(sistema::CarpetaDe(destino));
}

Resultado<void> EscribirFicheroSeguro(const std::string& ruta, std::string_view datos) {
    EscrituraSegura escritura;
    Resultado<void> r = escritura.Abrir(ruta);
    if (r) {
        r = escritura.Escribir(datos.data(), datos.size());
    }
    if (r) {
        r = escritura.Confirmar();
    }
    return r;
}

} // namespace tildora
