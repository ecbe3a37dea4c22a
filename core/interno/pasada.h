#pragma once

// One pass of the scan over a text in one encoding, and how a text's start
// suggests its encoding: what reading a document (apertura.cpp) drives.

#include "core/interno/escaneo.h"
#include "core/unicode.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tildora::detalle {

inline constexpr std::string_view kMarcaUtf8 = "\xEF\xBB\xBF";

// How a pass reads a text: in which encoding, and whether it checks on the
// way that a text scanned as Windows-1252 is not UTF-8 after all.
struct Modo {
    Codificacion codificacion = Codificacion::Windows1252;
    bool validar = false;
    bool forzado = false;
};

inline Unidades UnidadesDe(Codificacion c) {
    return c == Codificacion::Windows1252 ? Unidades::Ansi : Unidades::Utf8;
}

// The encoding the start of a text suggests (it is at least three bytes
// long, or the whole text): a UTF-16 byte-order mark gives UTF-16; a UTF-8
// mark, valid UTF-8 holding a multi-byte sequence, or plain ASCII with a
// lone LF, UTF-8; what is not UTF-8 is Windows-1252; other plain ASCII is
// too, checked on the way. The whole text may then choose otherwise (see
// Pasada::Repetir): of the readings its bytes allow, the one a person means.
Modo Reconocer(std::string_view inicio, std::optional<Codificacion> forzada);
bool TieneLfSuelto(std::string_view texto);

// One pass over a text (or over one part of it) in one mode: the text's
// bytes as read go in, in order; the scan of the program's form of them
// (UTF-16 turned into UTF-8, a byte-order mark left out) comes out.
class Pasada {
public:
    // `anterior`: the byte before the part (0 at the text's start, where a
    // byte-order mark may stand).
    Pasada(Modo modo, unsigned char anterior, bool alInicio)
        : m_modo(modo), m_escaneo(UnidadesDe(modo.codificacion)),
          m_costura(modo.codificacion != Codificacion::Windows1252 || modo.validar, anterior),
          m_buscarMarca(alInicio && modo.codificacion != Codificacion::Windows1252) {
        if (EsUtf16(modo.codificacion)) {
            m_utf16.emplace(modo.codificacion == Codificacion::Utf16BE);
        }
    }

    void Procesar(const char* d, std::size_t n) {
        if (m_utf16) {
            m_convertido.clear();
            m_invalido = m_invalido || !m_utf16->Procesar(d, n, m_convertido);
            if (m_invalido) {
                return;
            }
            d = m_convertido.data();
            n = m_convertido.size();
        }
        if (m_buscarMarca && n > 0) {
            m_buscarMarca = false;
            if (std::string_view(d, n).substr(0, 3) == kMarcaUtf8) {
                m_marca = kMarcaUtf8.size();
                d += m_marca;
                n -= m_marca;
            }
        }
        m_costura.Coser(d, n, [this](const unsigned char* p, std::size_t m, unsigned char antes) {
            Entregar(p, m, antes);
            return true;
        });
    }

    // Takes now the memory the scan would take on its way (see
    // Escaneo::Reservar).
    void Reservar() { m_escaneo.Reservar(); }

    // Once every piece is in.
    void Terminar() {
        std::string resto;
        if (m_utf16 && !m_invalido && !m_utf16->Terminar(resto)) {
            m_invalido = true;
        }
        if (m_costura.Pendientes() > 0) {
            // A sequence cut short by the text's end: no UTF-8. In a
            // Windows-1252 text its bytes are characters like any other.
            m_validador = ValidadorInvalido();
            if (m_modo.codificacion == Codificacion::Windows1252) {
                m_costura.Vaciar([this](const unsigned char* p, std::size_t m, unsigned char a) {
                    m_escaneo.Procesar(p, m, a);
                    return true;
                });
            } else {
                m_recuento().invalido = true;
            }
        }
    }

    // Joins the pass over the part that follows this one.
    void Unir(Pasada& siguiente) {
        m_recuento().Unir(siguiente.m_recuento());
        m_validador.Unir(siguiente.m_validador);
        m_invalido = m_invalido || siguiente.m_invalido;
    }

    // Whether the text was valid in its encoding (Windows-1252 always is).
    bool Valida() {
        switch (m_modo.codificacion) {
        case Codificacion::Windows1252:
            return true;
        case Codificacion::Utf8:
            return m_recuento().Utf8Valido();
        case Codificacion::Utf16LE:
        case Codificacion::Utf16BE:
            return !m_invalido;
        }
        return false;
    }
    // The encoding to scan it again in, when the whole text says otherwise
    // than its start did, or may be read better so.
    std::optional<Codificacion> Repetir();
    // Whether this pass's reading is the one to keep rather than `otra`'s,
    // the pass in the encoding Repetir gave.
    bool Prefiere(Pasada& otra);

    const Modo& ModoDe() const { return m_modo; }
    std::size_t Marca() const { return m_marca; }
    Recuento& Cuentas() { return m_recuento(); }

private:
    Recuento& m_recuento() { return m_escaneo.Resultado(); }
    // No wrong character but lone LFs (a Windows-1252 reading).
    bool LimpiaSalvoLf();
    // Valid UTF-8 without a mark whose every wrong character is made of
    // bytes that Windows-1252 allows: it may be such a text.
    bool QuizaAnsi();
    static ValidadorUtf8 ValidadorInvalido() {
        ValidadorUtf8 v;
        const unsigned char malo = 0xFF;
        v.Procesar(&malo, 1);
        return v;
    }

    void Entregar(const unsigned char* p, std::size_t n, unsigned char anterior) {
        m_escaneo.Procesar(p, n, anterior);
        if (m_modo.validar) {
            m_validador.Procesar(p, n);
        }
    }

    Modo m_modo;
    Escaneo m_escaneo;
    ValidadorUtf8 m_validador;
    Costura m_costura;
    bool m_buscarMarca;
    std::optional<DesdeUtf16> m_utf16;
    std::string m_convertido;
    bool m_invalido = false; // not valid UTF-16
    std::size_t m_marca = 0;
};

} // namespace tildora::detalle
