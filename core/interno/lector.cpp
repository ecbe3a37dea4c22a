#include "core/interno/lector.h"

#include <cerrno>
#include <new>

namespace tildora {

BufferAlineado::BufferAlineado(std::size_t n)
    : m_datos(static_cast<char*>(::operator new (n, std::align_val_t{4096}))), m_tamano(n) {}

BufferAlineado::~BufferAlineado() {
    ::operator delete (m_datos, std::align_val_t{4096});
}

Error ErrorDeLectura(int codigo, const std::string& ruta) {
    switch (codigo) {
    case ENOENT:
        return Falla(Fallo::NoExiste, codigo, ruta);
    case EACCES:
    case EPERM:
        return Falla(Fallo::SinPermiso, codigo, ruta);
    case EISDIR:
        return Falla(Fallo::Carpeta, codigo, ruta);
    default:
        return Falla(Fallo::Lectura, codigo, ruta);
    }
}

Resultado<void> Lector::Abrir(const std::string& ruta, bool soloOrdinario, std::uint64_t limite) {
    m_ruta = ruta;
    m_limite = limite;
    // Without waiting, a pipe with no writer cannot hang the open; only
    // ordinary files are read afterwards.
    const int codigo = ruta.empty() ? ENOENT : m_archivo.AbrirLectura(ruta, soloOrdinario);
    if (codigo != 0) {
        return ErrorDeLectura(codigo, ruta);
    }
    Resultado<void> r = Preparar();
    if (r && soloOrdinario && !m_ordinario) {
        return Falla(Fallo::NoRegular, EINVAL, ruta);
    }
    return r;
}

Resultado<void> Lector::AbrirEntradaEstandar(std::uint64_t limite) {
    m_ruta.assign(1, '-'); // (a literal here trips a false warning of GCC 12)
    m_limite = limite;
    m_archivo = sistema::Archivo::EntradaEstandar();
    return Preparar();
}

Resultado<void> Lector::CopiarAlLeer() {
    if (m_ordinario) {
        return {};
    }
    m_carpetaCopia = sistema::CarpetaTemporal();
    if (const int codigo = m_copia.CrearAnonimo(m_carpetaCopia); codigo != 0) {
        return Falla(Fallo::Copia, codigo, m_carpetaCopia);
    }
    m_copiando = true;
    return {};
}

Resultado<void> Lector::Preparar() {
    if (const int codigo = m_archivo.Describir(m_ficha); codigo != 0) {
        return ErrorDeLectura(codigo, m_ruta);
    }
    if (m_ficha.tipo == sistema::Ficha::Tipo::Carpeta) {
        return Falla(Fallo::Carpeta, EISDIR, m_ruta);
    }
    if (m_ficha.tipo == sistema::Ficha::Tipo::Tuberia) {
        m_archivo.AgrandarTuberia();
    }
    // Standard input may be a file already read in part.
    m_ordinario = m_ficha.Ordinario() && m_archivo.Posicion(m_inicio);
    if (!m_ordinario) {
        m_inicio = 0;
    }
    if (m_ordinario && m_ficha.tamano > m_inicio && m_ficha.tamano - m_inicio > m_limite) {
        return Falla(Fallo::Grande, EFBIG, m_ruta);
    }
    return {};
}

Resultado<void> Lector::Rebobinar() {
    // Nothing read yet: the pipe is read from its start as it is.
    if (m_copiando && (m_leidos > 0 || m_alFinal)) {
        // The rest of the pipe goes into the copy first; then the copy is
        // the file.
        char resto[64 << 10];
        while (!m_alFinal) {
            if (const Resultado<std::size_t> n = Leer(resto, sizeof resto); !n) {
                return n.error();
            }
        }
        m_copiando = false;
        m_archivo = std::move(m_copia);
        if (const int codigo = m_archivo.Describir(m_ficha); codigo != 0) {
            return Falla(Fallo::Copia, codigo, m_carpetaCopia);
        }
        m_ordinario = true;
        m_inicio = 0;
    }
    m_leidos = 0;
    if (m_ordinario && !m_archivo.Situar(m_inicio)) {
        return ErrorDeLectura(errno, m_ruta);
    }
    return {};
}

Resultado<std::size_t> Lector::Leer(char* destino, std::size_t n) {
    const long leidos = m_archivo.Leer(destino, n);
    if (leidos < 0) {
        return ErrorDeLectura(errno, m_ruta);
    }
    m_leidos += static_cast<std::uint64_t>(leidos);
    if (m_leidos > m_limite) {
        return Falla(Fallo::Grande, EFBIG, m_ruta);
    }
    if (m_copiando) {
        m_alFinal = leidos == 0;
        if (!m_copia.EscribirTodo(destino, static_cast<std::size_t>(leidos))) {
            return Falla(Fallo::Copia, errno, m_carpetaCopia);
        }
    }
    return static_cast<std::size_t>(leidos);
}

Resultado<std::size_t> Lector::LeerEn(std::uint64_t posicion, char* destino, std::size_t n) {
    const long leidos = m_archivo.LeerEn(m_inicio + posicion, destino, n);
    if (leidos < 0) {
        return ErrorDeLectura(errno, m_ruta);
    }
    return static_cast<std::size_t>(leidos);
}

Resultado<void> Lector::Recorrer(BufferAlineado& buffer, const ManejarTrozo& trozo) {
    if (Resultado<void> r = Rebobinar(); !r) {
        return r;
    }
    for (;;) {
        const Resultado<std::size_t> n = Leer(buffer.data(), buffer.size());
        if (!n) {
            return n.error();
        }
        if (*n == 0 || !trozo(buffer.data(), *n)) {
            return {};
        }
    }
}

bool Lector::SinCambios() const {
    sistema::Ficha ahora;
    return m_archivo.Describir(ahora) == 0 && ahora.MismoContenido(m_ficha);
}

Resultado<void> LeerFichero(const std::string& ruta, std::string& destino, std::uint64_t limite) {
    Lector lector;
    if (Resultado<void> r = lector.Abrir(ruta, true, limite); !r) {
        return r;
    }
    // Sized for the whole file first; a file that grows meanwhile is read
    // on to its end. Resizing without clearing keeps the bytes of an earlier
    // read in place, so a reused buffer is not filled with zeros again.
    destino.resize(static_cast<std::size_t>(lector.Tamano()));
    std::size_t lleno = 0;
    char mas[64 << 10];
    for (;;) {
        const bool dentro = lleno < destino.size();
        const Resultado<std::size_t> n =
            dentro ? lector.Leer(destino.data() + lleno, destino.size() - lleno)
                   : lector.Leer(mas, sizeof mas);
        if (!n) {
            destino.clear();
            return n.error();
        }
        if (*n == 0) {
            destino.resize(lleno); // the file shrank, or is all in
            return {};
        }
        if (!dentro) {
            destino.append(mas, *n);
        }
        lleno += *n;
    }
}

} // namespace tildora
