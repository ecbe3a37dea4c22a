#include "core/reescritura.h"

#include "core/tabla.h"
#include "core/textos.h"

#include "core/ansi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <utility>

namespace tildora {

namespace {

// The corrected text leaves in pieces of about this size.
constexpr std::size_t kBufferSalida = std::size_t{4} << 20;

// The corrected forms of the characters present together may not exceed the
// limit on the output's growth: each form is part of the output at least
// once. (Only stored replacements that feed each other grow that far; such
// forms are written a piece at a time, never held.)
constexpr std::uint64_t kExpansionesMaximas = kTamanoMaximoSalida;

// The forms of a UTF-8 text's wrong characters are held whole while it is
// rewritten: each at most this long (in Windows-1252), and all together at
// most the second. Only stored replacements that feed each other come near.
constexpr std::uint64_t kFormaUnicodeMaxima = std::uint64_t{16} << 20;
constexpr std::uint64_t kFormasUnicodeMaximas = std::uint64_t{64} << 20;

// The corrected text on its way out: gathered in a reused buffer, written
// in large pieces.
class Salida {
public:
    explicit Salida(Destino& destino) : m_destino(destino), m_buffer(kBufferSalida) {}

    bool Copiar(const char* p, std::size_t n) {
        if (n > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (n >= m_buffer.size()) {
                m_escritos += n;
                const bool bien = m_destino.Escribir(p, n);
                m_fallida = m_fallida || !bien;
                return bien;
            }
        }
        std::memcpy(m_buffer.data() + m_lleno, p, n);
        m_lleno += n;
        return true;
    }

    bool Vaciar() {
        if (m_lleno == 0) {
            return true;
        }
        m_escritos += m_lleno;
        const bool bien = m_destino.Escribir(m_buffer.data(), m_lleno);
        m_lleno = 0;
        m_fallida = m_fallida || !bien;
        return bien;
    }

    std::uint64_t Escritos() const { return m_escritos; }
    // Whether a write into the destination failed.
    bool Fallida() const { return m_fallida; }

private:
    Destino& m_destino;
    BufferAlineado m_buffer;
    std::size_t m_lleno = 0;
    std::uint64_t m_escritos = 0;
    bool m_fallida = false;
};

// Rewrites the text piece by piece into a Destino through a reused buffer,
// and counts the wrong characters it meets so that the caller can tell that
// the text is still the one the scan saw.
class Reescritor {
public:
    Reescritor(const Correccion& correccion, Destino& destino)
        : m_buscador(TablaFija()), m_correccion(correccion), m_salida(destino) {}

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

    bool Terminar() { return m_salida.Vaciar(); }
    bool Invalido() const { return false; }

    // Whether the text read was the one scanned, given the size the
    // corrected text must have.
    bool Igual(const Escaner& escaneo, std::uint64_t tamano) const {
        return m_leidos == escaneo.Total() &&
               std::equal(std::begin(m_cuentas), std::end(m_cuentas),
                          std::begin(escaneo.Cuentas())) &&
               m_salida.Escritos() == tamano;
    }

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
        return m_salida.Copiar(reinterpret_cast<const char*>(p), n);
    }

    bool Expandir(const unsigned char* p) {
        if (const std::string* forma = m_correccion.Forma(*p)) {
            return m_salida.Copiar(forma->data(), forma->size());
        }
        // A form too long to hold goes out a piece at a time.
        return m_correccion.Recorrer(
            *p, [this](const char* d, std::size_t n) { return m_salida.Copiar(d, n); });
    }

    Buscador m_buscador;
    const Correccion& m_correccion;
    Salida m_salida;
    std::uint64_t m_cuentas[256]{};
    std::uint64_t m_leidos = 0;
};

// The same for a UTF-8 text: the wrong characters are Unicode characters,
// each replaced by its form (in UTF-8); a character may be cut between two
// pieces, and is written once it is whole.
class ReescritorUtf8 {
public:
    ReescritorUtf8(const std::unordered_map<char32_t, std::string>& formas, Destino& destino,
                   std::size_t marca, bool conservarMarca)
        : m_recorrido(TablaFija(), true), m_formas(formas), m_salida(destino), m_marca(marca),
          m_conservarMarca(conservarMarca) {
        m_recorrido.Saltar(marca);
    }

    bool Procesar(const char* datos, std::size_t n) {
        m_p = reinterpret_cast<const unsigned char*>(datos);
        m_n = n;
        m_tramo = 0;
        if (m_leidos < m_marca && !m_conservarMarca) {
            m_tramo = static_cast<std::size_t>(std::min<std::uint64_t>(m_marca - m_leidos, n));
        }
        m_leidos += n;
        return m_recorrido.Procesar(m_p, n, *this) && Copiar(m_tramo, n);
    }

    bool Terminar() { return m_recorrido.Valido() && m_salida.Vaciar(); }
    // The text read again is not valid UTF-8. A failed write stops the
    // walk where it is, which tells nothing about the text.
    bool Invalido() const { return !m_salida.Fallida() && !m_recorrido.Valido(); }

    bool Igual(const EscanerUtf8& escaneo, std::uint64_t tamano) const {
        if (Invalido() || m_leidos != escaneo.Total() || m_salida.Escritos() != tamano ||
            m_cuentas.size() != escaneo.Encontrados().size()) {
            return false;
        }
        for (std::size_t i = 0; i < escaneo.Encontrados().size(); ++i) {
            const auto it = m_cuentas.find(escaneo.Encontrados()[i]);
            if (it == m_cuentas.end() || it->second != escaneo.Cuentas()[i]) {
                return false;
            }
        }
        return true;
    }

    // What the walk hands over (see RecorridoUtf8).
    bool Malo(char32_t cp, std::size_t pos, std::size_t largo) {
        if (!Copiar(m_tramo, pos) || !Caracter(cp, m_p + pos, largo)) {
            return false;
        }
        m_tramo = pos + largo;
        return true;
    }
    bool Cortado(std::size_t pos) {
        // Held until the next piece completes it.
        const bool bien = Copiar(m_tramo, pos);
        m_tramo = m_n;
        return bien;
    }
    bool Completado(char32_t cp, const unsigned char* bytes, std::size_t largo,
                    std::size_t tomados) {
        m_tramo = tomados;
        return Caracter(cp, bytes, largo);
    }

private:
    // The bytes of this piece from `desde` to `hasta`, as they are.
    bool Copiar(std::size_t desde, std::size_t hasta) {
        return m_salida.Copiar(reinterpret_cast<const char*>(m_p + desde), hasta - desde);
    }

    // A character: its form when a row has it, itself otherwise.
    bool Caracter(char32_t cp, const unsigned char* bytes, std::size_t largo) {
        if (!m_recorrido.Permitido(cp)) {
            ++m_cuentas[cp];
            const auto it = m_formas.find(cp);
            if (it != m_formas.end()) {
                return m_salida.Copiar(it->second.data(), it->second.size());
            }
        }
        return m_salida.Copiar(reinterpret_cast<const char*>(bytes), largo);
    }

    RecorridoUtf8 m_recorrido;
    const std::unordered_map<char32_t, std::string>& m_formas;
    Salida m_salida;
    std::size_t m_marca;
    bool m_conservarMarca;
    const unsigned char* m_p = nullptr; // the piece at hand
    std::size_t m_n = 0;
    std::size_t m_tramo = 0; // where its bytes not yet written begin
    std::unordered_map<char32_t, std::uint64_t> m_cuentas;
    std::uint64_t m_leidos = 0;
};

ResultadoReescritura Falla(ResultadoReescritura::Fallo fallo, std::string error = {}) {
    ResultadoReescritura r;
    r.fallo = fallo;
    r.error = std::move(error);
    return r;
}

// Runs a rewrite from `fuente` into `destino`, and confirms the output
// only when `igual` says the text read was the one scanned.
template <typename R, typename Igual>
ResultadoReescritura Volcar(R& reescritor, Fuente& fuente, Destino& destino, Progreso* progreso,
                            std::uint64_t total, ResultadoReescritura r, Igual&& igual) {
    using Fallo = ResultadoReescritura::Fallo;
    if (!destino.Abrir()) {
        return Falla(destino.Ocupado() ? Fallo::Ocupado : Fallo::Escritura, destino.Error());
    }
    if (progreso != nullptr) {
        progreso->total = total;
    }
    const auto cancelado = [progreso] { return progreso != nullptr && progreso->Cancelado(); };
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
    if (!escrito && (reescritor.Invalido() || !fuente.SinCambios())) {
        return Falla(Fallo::Cambiado);
    }
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
    if (!igual() || !fuente.SinCambios()) {
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

ResultadoLectura FuenteUtf16::Recorrer(const ManejarTrozo& trozo) {
    return m_interior.Recorrer([&](const char* d, std::size_t n) {
        m_convertido.clear();
        m_valido = m_valido && m_desde.Procesar(d, n, m_convertido);
        return m_valido && trozo(m_convertido.data(), m_convertido.size());
    });
}

bool DestinoRecodificado::Fallar(std::string error) {
    m_error = std::move(error);
    return false;
}

bool DestinoRecodificado::Abrir() {
    if (!m_interior.Abrir()) {
        return Fallar(m_interior.Error());
    }
    const std::string_view marca = m_marca ? MarcaOrden(m_hacia.Destino()) : std::string_view{};
    return marca.empty() || m_interior.Escribir(marca.data(), marca.size()) ||
           Fallar(m_interior.Error());
}

bool DestinoRecodificado::Escribir(const char* datos, std::size_t n) {
    std::string_view utf8(datos, n);
    if (m_desde == Codificacion::Windows1252) {
        m_utf8 = Utf8DeAnsi(utf8);
        utf8 = m_utf8;
    }
    m_convertido.clear();
    if (!m_hacia.Procesar(utf8.data(), utf8.size(), m_convertido)) {
        return Fallar(std::string(textos::RazonNoCodificable));
    }
    return m_interior.Escribir(m_convertido.data(), m_convertido.size()) ||
           Fallar(m_interior.Error());
}

bool DestinoRecodificado::Confirmar() {
    if (!m_hacia.Terminar()) {
        return Fallar(std::string(textos::RazonNoCodificable));
    }
    return m_interior.Confirmar() || Fallar(m_interior.Error());
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
    Reescritor reescritor(correccion, destino);
    return Volcar(reescritor, fuente, destino, progreso, escaneo.Total(), std::move(r),
                  [&] { return reescritor.Igual(escaneo, tamano); });
}

ResultadoReescritura ReescribirUtf8(const EscanerUtf8& escaneo, std::size_t marca,
                                    bool conservarMarca, const std::vector<ParSolucion>& pares,
                                    Fuente& fuente, Destino& destino, std::uint64_t limiteSalida,
                                    Progreso* progreso) {
    // Each wrong character's form: its row's replacement as the rows below
    // it leave it (the replacement is Windows-1252 text), in UTF-8.
    std::unordered_map<char32_t, std::string> formas;
    ResultadoReescritura r;
    std::uint64_t suma = 0;
    std::uint64_t tamano = escaneo.Total() - (conservarMarca ? 0 : marca);
    const auto& encontrados = escaneo.Encontrados();
    for (std::size_t i = 0; i < encontrados.size(); ++i) {
        const std::string clave = ClaveDeCaracter(encontrados[i]);
        const auto fila = std::find_if(pares.begin(), pares.end(),
                                       [&](const ParSolucion& p) { return p.first == clave; });
        if (fila == pares.end()) {
            continue;
        }
        const std::vector<ParSolucion> abajo(fila + 1, pares.end());
        std::string forma;
        std::uint64_t dentro = 0;
        // Forms are held whole here: stored replacements that feed each
        // other into forms this long are refused rather than held.
        if (CorregirTexto(fila->second, abajo, forma, dentro, kFormaUnicodeMaxima) !=
            ResultadoCorreccion::Correcto) {
            return Falla(ResultadoReescritura::Fallo::Crecimiento);
        }
        forma = Utf8DeAnsi(forma);
        suma += forma.size();
        if (suma > kFormasUnicodeMaximas) {
            return Falla(ResultadoReescritura::Fallo::Crecimiento);
        }
        std::string original;
        AnadirUtf8(original, encontrados[i]);
        const std::uint64_t veces = escaneo.Cuentas()[i];
        // Each form is part of the output at least once: sizes and counts
        // stay far below overflow once each is bounded.
        if (forma.size() > original.size() &&
            veces > (kTamanoMaximoSalida + 1) / (forma.size() - original.size())) {
            return Falla(ResultadoReescritura::Fallo::Crecimiento);
        }
        tamano = tamano - veces * original.size() + veces * forma.size();
        r.correcciones += veces * (1 + dentro);
        formas.emplace(encontrados[i], std::move(forma));
    }
    if (tamano > escaneo.Total() + kTamanoMaximoSalida || tamano > limiteSalida) {
        return Falla(ResultadoReescritura::Fallo::Crecimiento);
    }
    ReescritorUtf8 reescritor(formas, destino, marca, conservarMarca);
    return Volcar(reescritor, fuente, destino, progreso, escaneo.Total(), std::move(r),
                  [&] { return reescritor.Igual(escaneo, tamano); });
}

ResultadoReescritura Corregir(const Analisis& analisis, const std::vector<ParSolucion>& pares,
                              Fuente& fuente, Destino& destino, Codificacion salida,
                              std::uint64_t limiteSalida, Progreso* progreso) {
    if (!analisis.Unicode()) {
        if (salida == Codificacion::Windows1252) {
            return Reescribir(*analisis.ansi, pares, fuente, destino, limiteSalida, progreso);
        }
        DestinoRecodificado recodificado(destino, Codificacion::Windows1252, salida,
                                         EsUtf16(salida));
        return Reescribir(*analisis.ansi, pares, fuente, recodificado, limiteSalida, progreso);
    }
    std::optional<FuenteUtf16> utf16;
    if (EsUtf16(analisis.codificacion)) {
        utf16.emplace(fuente, analisis.codificacion == Codificacion::Utf16BE);
    }
    Fuente& utf8 = utf16 ? static_cast<Fuente&>(*utf16) : fuente;
    // Windows-1252 has no byte-order mark.
    const bool conservar = salida != Codificacion::Windows1252;
    if (salida == Codificacion::Utf8) {
        return ReescribirUtf8(*analisis.utf8, analisis.marca, conservar, pares, utf8, destino,
                              limiteSalida, progreso);
    }
    // A text turned into UTF-16 gets the mark it is recognised by; one
    // written back in its own encoding keeps what it had.
    DestinoRecodificado recodificado(destino, Codificacion::Utf8, salida,
                                     EsUtf16(salida) && analisis.marca == 0 &&
                                         salida != analisis.codificacion);
    return ReescribirUtf8(*analisis.utf8, analisis.marca, conservar, pares, utf8, recodificado,
                          limiteSalida, progreso);
}

ResultadoReescritura AceptarCorreccion(const AlmacenSoluciones& almacen,
                                       const std::vector<ParSolucion>& filas,
                                       std::string_view texto, const std::string& salida,
                                       Progreso* progreso, bool reemplazar,
                                       Codificacion codificacion) {
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
    // The working copy of a UTF-8 or UTF-16 text is UTF-8.
    Analisis analisis;
    AnalizarTexto(texto,
                  codificacion == Codificacion::Windows1252 ? codificacion : Codificacion::Utf8,
                  analisis);
    FuenteMemoria fuente(texto);
    DestinoFichero destino(salida, reemplazar);
    ResultadoReescritura r =
        Corregir(analisis, filas, fuente, destino, codificacion, kTamanoMaximoSalida, progreso);
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
