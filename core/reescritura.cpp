#include "core/reescritura.h"

#include "core/tabla.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tildora {

namespace {

// The corrected text leaves in pieces of about this size.
constexpr std::size_t kBufferSalida = std::size_t{4} << 20;

// The corrected forms of the characters present together may not exceed the
// limit on the output's growth: each form is part of the output at least
// once. (Only stored replacements that feed each other grow that far; such
// forms are written a piece at a time, never held.)
constexpr std::uint64_t kExpansionesMaximas = kTamanoMaximoSalida;

// Rewrites the text piece by piece into a Destino through a reused buffer,
// and counts the wrong characters it meets so that the caller can tell that
// the text is still the one the scan saw.
class Reescritor {
public:
    Reescritor(const Correccion& correccion, Destino& destino)
        : m_buscador(TablaFija()), m_correccion(correccion), m_destino(destino),
          m_buffer(kBufferSalida) {}

    bool Procesar(const char* datos, std::size_t n) {
        const auto* p = reinterpret_cast<const unsigned char*>(datos);
        while (n > 0) {
            const std::size_t trozo = std::min(n, kTrozoParadas);
            if (!ProcesarTrozo(p, trozo)) {
                return false;
            }
            p += trozo;
            n -= trozo;
        }
        return true;
    }

    bool Terminar() { return Vaciar(); }

    const std::uint64_t (&Cuentas() const)[256] { return m_cuentas; }
    std::uint64_t Leidos() const { return m_leidos; }
    std::uint64_t Escritos() const { return m_escritos; }

private:
    bool ProcesarTrozo(const unsigned char* p, std::size_t n) {
        const std::size_t k = m_buscador.Buscar(p, n);
        const std::uint32_t* paradas = m_buscador.Paradas();
        std::size_t tramo = 0;
        for (std::size_t j = 0; j < k; ++j) {
            const std::size_t pos = paradas[j];
            const unsigned char c = p[pos];
            ++m_cuentas[c];
            if (!m_correccion.Cambia(c)) {
                continue; // a lone LF: listed, never replaced
            }
            if (!Copiar(p + tramo, pos - tramo) || !Expandir(p + pos)) {
                return false;
            }
            tramo = pos + 1;
        }
        m_leidos += n;
        return Copiar(p + tramo, n - tramo);
    }

    bool Copiar(const unsigned char* p, std::size_t n) {
        if (n > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (n >= m_buffer.size()) {
                m_escritos += n;
                return m_destino.Escribir(reinterpret_cast<const char*>(p), n);
            }
        }
        std::memcpy(m_buffer.data() + m_lleno, p, n);
        m_lleno += n;
        return true;
    }

    bool Expandir(const unsigned char* p) {
        const std::string* forma = m_correccion.Forma(*p);
        if (forma == nullptr) {
            // A form too long to hold goes out a piece at a time.
            return m_correccion.Recorrer(*p, [this](const char* d, std::size_t n) {
                return Copiar(reinterpret_cast<const unsigned char*>(d), n);
            });
        }
        if (forma->size() > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (forma->size() > m_buffer.size()) {
                m_escritos += forma->size();
                return m_destino.Escribir(forma->data(), forma->size());
            }
        }
        std::memcpy(m_buffer.data() + m_lleno, forma->data(), forma->size());
        m_lleno += forma->size();
        return true;
    }

    bool Vaciar() {
        if (m_lleno == 0) {
            return true;
        }
        m_escritos += m_lleno;
        const bool bien = m_destino.Escribir(m_buffer.data(), m_lleno);
        m_lleno = 0;
        return bien;
    }

    Buscador m_buscador;
    const Correccion& m_correccion;
    Destino& m_destino;
    BufferAlineado m_buffer;
    std::size_t m_lleno = 0;
    std::uint64_t m_cuentas[256]{};
    std::uint64_t m_leidos = 0;
    std::uint64_t m_escritos = 0;
};

ResultadoReescritura Falla(ResultadoReescritura::Fallo fallo, std::string error = {}) {
    ResultadoReescritura r;
    r.fallo = fallo;
    r.error = std::move(error);
    return r;
}

} // namespace

bool DestinoFichero::Anotar(bool bien) {
    if (!bien) {
        m_error = m_escritura.Error();
    }
    return bien;
}

bool DestinoFichero::Abrir() {
    return Anotar(m_escritura.Abrir(m_ruta, m_reemplazar));
}

bool DestinoFichero::Escribir(const char* datos, std::size_t n) {
    return Anotar(m_escritura.Escribir(datos, n));
}

bool DestinoFichero::Confirmar() {
    return Anotar(m_escritura.Confirmar());
}

bool DestinoDescriptor::Escribir(const char* datos, std::size_t n) {
    if (!EscribirTodo(m_fd, datos, n)) {
        m_error = m_nombre + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool DestinoTexto::Abrir() {
    m_texto.clear();
    return true;
}

bool DestinoTexto::Escribir(const char* datos, std::size_t n) {
    m_texto.append(datos, n);
    return true;
}

ResultadoLectura FuenteMemoria::Recorrer(const ManejarTrozo& trozo) {
    for (std::size_t i = 0; i < m_texto.size(); i += kTrozoLectura) {
        if (!trozo(m_texto.data() + i, std::min(kTrozoLectura, m_texto.size() - i))) {
            break;
        }
    }
    return {};
}

ResultadoReescritura Reescribir(const Escaner& escaneo, const std::vector<ParSolucion>& pares,
                                Fuente& fuente, Destino& destino, std::uint64_t limiteSalida,
                                Progreso* progreso) {
    using Fallo = ResultadoReescritura::Fallo;
    Correccion correccion(pares);

    // Runaway growth is refused before anything is written: first the forms
    // of the characters present, one by one, then the whole output.
    std::uint64_t suma = 0;
    bool crece = false;
    for (unsigned char c : escaneo.Encontrados()) {
        if (!correccion.Cambia(c)) {
            continue;
        }
        std::uint64_t una[256] = {};
        una[c] = 1;
        std::uint64_t tamano = 0;
        std::uint64_t cuenta = 0;
        if (!correccion.Medir(una, tamano, cuenta) || tamano > kExpansionesMaximas - suma) {
            crece = true;
            break;
        }
        suma += tamano;
    }
    // Only the wrong characters were counted; every other byte stands for
    // itself and is put in the slot of one that no row changes.
    std::uint64_t cuentas[256] = {};
    std::uint64_t listados = 0;
    for (unsigned char c : escaneo.Encontrados()) {
        cuentas[c] = escaneo.Cuentas()[c];
        listados += cuentas[c];
    }
    cuentas[static_cast<unsigned char>(' ')] = escaneo.Total() - listados;
    std::uint64_t tamano = 0;
    ResultadoReescritura r;
    if (crece || !correccion.Medir(cuentas, tamano, r.correcciones) ||
        tamano - std::min(tamano, escaneo.Total()) > kTamanoMaximoSalida || tamano > limiteSalida) {
        return Falla(Fallo::Crecimiento);
    }
    correccion.Preparar();

    if (!destino.Abrir()) {
        return Falla(destino.Ocupado() ? Fallo::Ocupado : Fallo::Escritura, destino.Error());
    }
    if (progreso != nullptr) {
        progreso->total = escaneo.Total();
    }
    const auto cancelado = [progreso] { return progreso != nullptr && progreso->Cancelado(); };
    Reescritor reescritor(correccion, destino);
    bool escrito = true;
    const ResultadoLectura leido = fuente.Recorrer([&](const char* d, std::size_t n) {
        escrito = reescritor.Procesar(d, n);
        if (progreso != nullptr) {
            progreso->Avanzar(n);
        }
        return escrito && !cancelado();
    });
    // The destination is not confirmed: it goes without a trace.
    if (cancelado()) {
        return Falla(Fallo::Cancelado);
    }
    escrito = escrito && reescritor.Terminar();
    if (!escrito) {
        return Falla(Fallo::Escritura, destino.Error());
    }
    if (!leido) {
        ResultadoReescritura f = Falla(Fallo::Lectura);
        f.lectura = leido;
        return f;
    }
    // The second read must have seen the text of the first: same length,
    // same wrong characters as often, and a file untouched meanwhile.
    const bool igual = reescritor.Leidos() == escaneo.Total() &&
                       std::equal(std::begin(reescritor.Cuentas()), std::end(reescritor.Cuentas()),
                                  std::begin(escaneo.Cuentas())) &&
                       fuente.SinCambios() && reescritor.Escritos() == tamano;
    if (!igual) {
        return Falla(Fallo::Cambiado);
    }
    // The last moment a stop can be honoured: after this the output has its
    // name.
    if (cancelado()) {
        return Falla(Fallo::Cancelado);
    }
    if (!destino.Confirmar()) {
        return Falla(destino.Ocupado() ? Fallo::Ocupado : Fallo::Escritura, destino.Error());
    }
    return r;
}

ResultadoReescritura AceptarCorreccion(const AlmacenSoluciones& almacen,
                                       const std::vector<ParSolucion>& filas,
                                       std::string_view texto, const std::string& salida,
                                       Progreso* progreso, bool reemplazar) {
    std::string errorAlmacen;
    for (const ParSolucion& fila : filas) {
        std::string razon;
        if (almacen.GuardarSolucion(textos::SeccionLista, fila.first, fila.second, &razon) == 0 &&
            errorAlmacen.empty()) {
            errorAlmacen = std::move(razon);
        }
    }
    // The answers are kept whatever happens next; a stop asked for while
    // they were written ends here, with nothing written.
    if (progreso != nullptr && progreso->Cancelado()) {
        ResultadoReescritura r;
        r.fallo = ResultadoReescritura::Fallo::Cancelado;
        r.errorAlmacen = std::move(errorAlmacen);
        return r;
    }
    Escaner escaneo(TablaFija());
    escaneo.Procesar(texto.data(), texto.size());
    FuenteMemoria fuente(texto);
    DestinoFichero destino(salida, reemplazar);
    ResultadoReescritura r =
        Reescribir(escaneo, filas, fuente, destino, kTamanoMaximoSalida, progreso);
    r.errorAlmacen = std::move(errorAlmacen);
    return r;
}

ResultadoCorreccion CorregirTexto(std::string_view texto, const std::vector<ParSolucion>& pares,
                                  std::string& salida, std::uint64_t& cuenta,
                                  std::uint64_t limite) {
    Escaner escaneo(TablaFija());
    escaneo.Procesar(texto.data(), texto.size());
    FuenteMemoria fuente(texto);
    DestinoTexto destino(salida);
    const ResultadoReescritura r = Reescribir(escaneo, pares, fuente, destino, limite);
    cuenta = r.correcciones;
    if (!r) {
        salida.clear();
        cuenta = 0;
        return ResultadoCorreccion::Demasiado;
    }
    return ResultadoCorreccion::Correcto;
}

} // namespace tildora
