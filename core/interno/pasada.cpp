#include "core/interno/pasada.h"

#include "core/caracteres.h"

#include <algorithm>

namespace tildora::detalle {

Modo Reconocer(std::string_view inicio, std::optional<Codificacion> forzada) {
    if (forzada) {
        return Modo{*forzada, false, true};
    }
    for (const Codificacion c : {Codificacion::Utf16LE, Codificacion::Utf16BE}) {
        if (LongitudMarca(c, inicio) > 0) {
            return Modo{c};
        }
    }
    ValidadorUtf8 validador;
    Costura costura(true);
    costura.Coser(inicio.data(), inicio.size(),
                  [&](const unsigned char* p, std::size_t n, unsigned char) {
                      validador.Procesar(p, n);
                      return true;
                  });
    if (validador.Invalido()) {
        return Modo{};
    }
    if (validador.Multibyte() || inicio.substr(0, 3) == kMarcaUtf8) {
        return Modo{Codificacion::Utf8};
    }
    // Plain ASCII whose lines end in a lone LF is a Unix text: its LFs are
    // line ends, as UTF-8 reads them. Plain ASCII otherwise reads the same
    // either way; it is checked on the way in case more follows.
    if (TieneLfSuelto(inicio)) {
        return Modo{Codificacion::Utf8};
    }
    return Modo{Codificacion::Windows1252, true};
}

bool TieneLfSuelto(std::string_view texto) {
    for (std::size_t i = texto.find('\n'); i != std::string_view::npos;
         i = texto.find('\n', i + 1)) {
        if (i == 0 || texto[i - 1] != '\r') {
            return true;
        }
    }
    return false;
}

bool Pasada::LimpiaSalvoLf() {
    for (const Recuento::Primera& p : m_recuento().primeras) {
        if (p.unidad != '\n') {
            return false;
        }
    }
    return true;
}

bool Pasada::QuizaAnsi() {
    const std::vector<Recuento::Primera>& primeras = m_recuento().primeras;
    if (m_marca > 0 || primeras.empty()) {
        return false;
    }
    for (const Recuento::Primera& p : primeras) {
        std::string bytes;
        AnadirUtf8(bytes, p.unidad);
        if (p.unidad < 0x80 || !std::all_of(bytes.begin(), bytes.end(), [](char b) {
                return kCaracteresValidos[static_cast<unsigned char>(b)];
            })) {
            return false;
        }
    }
    return true;
}

std::optional<Codificacion> Pasada::Repetir() {
    if (m_modo.forzado) {
        return std::nullopt;
    }
    if (m_modo.codificacion == Codificacion::Utf8) {
        // Not UTF-8 after all; or UTF-8 that may be a Windows-1252 text
        // of allowed characters, which its reading as such tells.
        return !Valida() || QuizaAnsi() ? std::optional(Codificacion::Windows1252) : std::nullopt;
    }
    if (!m_modo.validar || m_validador.Invalido()) {
        return std::nullopt;
    }
    // UTF-8 as a whole: with multi-byte sequences it is UTF-8 unless it is
    // clean as Windows-1252 (real UTF-8 in these languages never is: the
    // first bytes of its accented letters, C2 and C3, are not allowed);
    // plain ASCII is UTF-8 when a lone LF ends a line.
    const std::vector<Recuento::Primera>& primeras = m_recuento().primeras;
    const bool utf8 =
        m_validador.Multibyte()
            ? !LimpiaSalvoLf()
            : std::any_of(primeras.begin(), primeras.end(),
                          [](const Recuento::Primera& p) { return p.unidad == '\n'; });
    return utf8 ? std::optional(Codificacion::Utf8) : std::nullopt;
}

bool Pasada::Prefiere(Pasada& otra) {
    return m_modo.codificacion == Codificacion::Utf8 && Valida() && !otra.LimpiaSalvoLf();
}

} // namespace tildora::detalle
