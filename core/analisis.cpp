#include "core/analisis.h"

#include "core/ansi.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tildora {

namespace {

// One pass over the text in one encoding: the first piece settles which,
// unless it is given.
class Pasada {
public:
    Pasada(const TablaValidez& tabla, std::optional<Codificacion> forzada, Analisis& analisis)
        : m_tabla(tabla), m_forzada(forzada), m_analisis(analisis) {
        m_analisis = Analisis{};
    }

    void Procesar(const char* d, std::size_t n) {
        if (m_primera) {
            // The byte-order mark is known from the first three bytes: a
            // shorter first piece (a pipe may give one) waits for more.
            if (m_retenidos + n < kInicio) {
                std::memcpy(m_inicio + m_retenidos, d, n);
                m_retenidos += n;
                return;
            }
            if (m_retenidos > 0) {
                std::string inicio(m_inicio, m_retenidos);
                inicio.append(d, n);
                Empezar(inicio.data(), inicio.size());
                Seguir(inicio.data(), inicio.size());
                return;
            }
            Empezar(d, n);
        } else if (m_validar) {
            m_reconocedor.Procesar(d, n);
        }
        Seguir(d, n);
    }

    // Once every piece is in: whether the text was valid in its encoding,
    // and, in `repetir`, the encoding to scan it again in when the whole text
    // says otherwise than its first piece did.
    bool Terminar(std::optional<Codificacion>& repetir) {
        repetir.reset();
        if (m_primera) {
            Empezar(m_inicio, m_retenidos);
            if (m_retenidos > 0) {
                Seguir(m_inicio, m_retenidos);
            }
        }
        if (m_utf16) {
            return !m_invalido && m_utf16->Terminar();
        }
        if (m_analisis.utf8) {
            if (m_analisis.utf8->Valido()) {
                return true;
            }
            if (m_forzada) {
                return false;
            }
            repetir = Codificacion::Windows1252;
            return true;
        }
        if (m_validar && m_reconocedor.Resultado() == Codificacion::Utf8) {
            repetir = Codificacion::Utf8;
        }
        return true;
    }

private:
    // The longest byte-order mark.
    static constexpr std::size_t kInicio = 3;

    void Seguir(const char* d, std::size_t n) {
        if (m_analisis.ansi) {
            m_analisis.ansi->Procesar(d, n);
        } else if (m_utf16) {
            m_convertido.clear();
            m_invalido = m_invalido || !m_utf16->Procesar(d, n, m_convertido);
            if (!m_invalido) {
                m_analisis.utf8->Procesar(m_convertido.data(), m_convertido.size());
            }
        } else {
            m_analisis.utf8->Procesar(d, n);
        }
    }

    void Empezar(const char* d, std::size_t n) {
        m_primera = false;
        Codificacion modo = Codificacion::Windows1252;
        if (m_forzada) {
            modo = *m_forzada;
        } else {
            if (n > 0) {
                m_reconocedor.Procesar(d, n);
            }
            modo = m_reconocedor.Resultado();
            // Until the whole text is seen, ASCII (or what is not yet known
            // to be UTF-8) is scanned as Windows-1252 and checked as it
            // goes; what looks like UTF-8 is scanned as such, and that scan
            // finds out by itself if it is not.
            if (!m_reconocedor.Decidido() && modo == Codificacion::Windows1252) {
                m_validar = true;
            }
        }
        m_analisis.codificacion = modo;
        const std::string_view inicio(d, n);
        if (modo == Codificacion::Windows1252) {
            m_analisis.ansi.emplace(m_tabla);
            return;
        }
        m_analisis.utf8.emplace(m_tabla);
        if (EsUtf16(modo)) {
            m_utf16.emplace(modo == Codificacion::Utf16BE);
        }
        // A UTF-16 mark becomes the UTF-8 one.
        m_analisis.marca =
            LongitudMarca(modo, inicio) > 0 ? MarcaOrden(Codificacion::Utf8).size() : 0;
        m_analisis.utf8->Saltar(m_analisis.marca);
    }

    const TablaValidez& m_tabla;
    std::optional<Codificacion> m_forzada;
    Analisis& m_analisis;
    bool m_primera = true;
    bool m_validar = false;
    Reconocedor m_reconocedor;
    std::optional<DesdeUtf16> m_utf16;
    std::string m_convertido;
    bool m_invalido = false;
    char m_inicio[kInicio] = {}; // a first piece shorter than any mark, held
    std::size_t m_retenidos = 0;
};

void RecorrerMemoria(std::string_view texto, Pasada& pasada) {
    for (std::size_t i = 0; i < texto.size(); i += kTrozoLectura) {
        pasada.Procesar(texto.data() + i, std::min(kTrozoLectura, texto.size() - i));
    }
}

constexpr ResultadoLectura kInvalido{FalloLectura::Codificacion, EILSEQ};

} // namespace

std::vector<Hallazgo> Analisis::Hallazgos() const {
    std::vector<Hallazgo> r;
    if (ansi) {
        for (unsigned char c : ansi->Encontrados()) {
            r.push_back(Hallazgo{std::string(1, static_cast<char>(c)), UnicodeDeAnsi(c),
                                 ansi->Cuentas()[c], ansi->Primera(c)});
        }
    } else if (utf8) {
        const auto& encontrados = utf8->Encontrados();
        for (std::size_t i = 0; i < encontrados.size(); ++i) {
            r.push_back(Hallazgo{ClaveDeCaracter(encontrados[i]), encontrados[i],
                                 utf8->Cuentas()[i], utf8->Primeras()[i]});
        }
    }
    return r;
}

std::uint64_t Analisis::Total() const {
    return ansi ? ansi->Total() : utf8 ? utf8->Total() : 0;
}

ResultadoLectura Analizar(Lector& lector, std::optional<Codificacion> forzada, std::string* destino,
                          Analisis& analisis, Progreso* progreso, IndiceLineas* indice,
                          const TablaValidez& tabla) {
    std::optional<Codificacion> repetir;
    {
        Pasada pasada(tabla, forzada, analisis);
        const ResultadoLectura r =
            LeerYProcesar(lector, destino, progreso, [&](const char* d, std::size_t n) {
                pasada.Procesar(d, n);
                if (indice != nullptr) {
                    indice->Procesar(d, n);
                }
            });
        if (!r) {
            return r;
        }
        if (!pasada.Terminar(repetir)) {
            return kInvalido;
        }
    }
    if (!repetir) {
        return {};
    }
    // The whole text is in another encoding than its start suggested.
    Pasada pasada(tabla, repetir, analisis);
    if (destino != nullptr) {
        RecorrerMemoria(*destino, pasada);
    } else {
        if (progreso != nullptr) {
            progreso->hechos = 0;
        }
        if (const ResultadoLectura r = lector.Rebobinar(); !r) {
            return r;
        }
        const ResultadoLectura r =
            LeerYProcesar(lector, nullptr, progreso,
                          [&](const char* d, std::size_t n) { pasada.Procesar(d, n); });
        if (!r) {
            return r;
        }
    }
    return pasada.Terminar(repetir) ? ResultadoLectura{} : kInvalido;
}

ResultadoLectura AnalizarTexto(std::string_view texto, std::optional<Codificacion> forzada,
                               Analisis& analisis, const TablaValidez& tabla) {
    std::optional<Codificacion> repetir;
    {
        Pasada pasada(tabla, forzada, analisis);
        RecorrerMemoria(texto, pasada);
        if (!pasada.Terminar(repetir)) {
            return kInvalido;
        }
    }
    if (repetir) {
        Pasada pasada(tabla, repetir, analisis);
        RecorrerMemoria(texto, pasada);
        if (!pasada.Terminar(repetir)) {
            return kInvalido;
        }
    }
    return {};
}

bool TextoUtf8(Codificacion codificacion, std::string& texto) {
    if (!EsUtf16(codificacion)) {
        return true;
    }
    auto utf8 = Utf8DeUtf16(texto, codificacion == Codificacion::Utf16BE);
    if (!utf8) {
        return false;
    }
    texto = std::move(*utf8);
    return true;
}

} // namespace tildora
