#include "core/documento.h"

#include "core/interno/origen.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tildora {

namespace {

constexpr std::string_view kMarcaUtf8 = "\xEF\xBB\xBF";

// A file this large is read in two parts at once, each on a processor of its
// own, each piece scanned right after it is read, while it is still in the
// cache: reading and scanning then take less time than reading alone does.
constexpr std::uint64_t kMinimoPartes = std::uint64_t{8} << 20;

// How much of a text's start suggests its encoding.
constexpr std::size_t kTrozoReconocer = std::size_t{256} << 10;

// Standard input, or a pipe named as input, is held in memory: it cannot be
// read twice. Beyond this it is refused rather than exhausting the machine.
constexpr std::uint64_t kMemoriaTuberia = std::uint64_t{2} << 30;

// The line starts of d[desde, hasta) but the text's first; d[hasta] is
// looked at when hasta < n. Sixty-four bytes are looked at a time where the
// processor can: lines are a few dozen bytes, and a byte-by-byte loop would
// stumble at every line end.
void InicioLineas(const char* d, std::size_t desde, std::size_t hasta, std::size_t n,
                  std::vector<std::uint32_t>& inicios) {
    std::size_t i = desde;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 65 <= hasta + (hasta < n ? 1 : 0); i += 64) {
        std::uint64_t crs = 0;
        std::uint64_t lfs = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + 16 * k));
            crs |=
                std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, cr)))}
                << (16 * k);
            lfs |=
                std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, lf)))}
                << (16 * k);
        }
        const std::uint64_t lfDetras = (lfs >> 1) | (std::uint64_t{d[i + 64] == '\n'} << 63);
        for (std::uint64_t fin = lfs | (crs & ~lfDetras); fin != 0; fin &= fin - 1) {
            inicios.push_back(
                static_cast<std::uint32_t>(i + std::size_t(__builtin_ctzll(fin)) + 1));
        }
    }
#endif
    for (; i < hasta; ++i) {
        if (d[i] == '\n' || (d[i] == '\r' && !(i + 1 < n && d[i + 1] == '\n'))) {
            inicios.push_back(static_cast<std::uint32_t>(i + 1));
        }
    }
}

// How a pass reads a text: in which encoding, and whether it checks on the
// way that a text scanned as Windows-1252 is not UTF-8 after all.
struct Modo {
    Codificacion codificacion = Codificacion::Windows1252;
    bool validar = false;
    bool forzado = false;
};

Unidades UnidadesDe(Codificacion c) {
    return c == Codificacion::Windows1252 ? Unidades::Ansi : Unidades::Utf8;
}

// The encoding the start of a text suggests (it is at least three bytes
// long, or the whole text): a UTF-16 byte-order mark gives UTF-16; a UTF-8
// mark, or valid UTF-8 holding a multi-byte sequence, UTF-8; what is not
// UTF-8 is Windows-1252; plain ASCII is too, checked on the way.
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
    return Modo{Codificacion::Windows1252, true};
}

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
    // than its start did.
    std::optional<Codificacion> Repetir() {
        if (m_modo.forzado) {
            return std::nullopt;
        }
        if (m_modo.codificacion == Codificacion::Utf8 && !Valida()) {
            return Codificacion::Windows1252;
        }
        if (m_modo.validar && !m_validador.Invalido() && m_validador.Multibyte()) {
            return Codificacion::Utf8;
        }
        return std::nullopt;
    }

    const Modo& ModoDe() const { return m_modo; }
    std::size_t Marca() const { return m_marca; }
    Recuento& Cuentas() { return m_recuento(); }

private:
    Recuento& m_recuento() { return m_escaneo.Resultado(); }
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

// Counts the bytes read and says whether to go on.
bool Seguir(Progreso* progreso, std::size_t n) {
    if (progreso == nullptr) {
        return true;
    }
    progreso->Avanzar(n);
    return !progreso->Cancelado();
}

Error Cancelado() {
    return Falla(Fallo::Cancelado, ECANCELED);
}

// A whole text in memory, in one pass.
Pasada PasarMemoria(std::string_view texto, Modo modo) {
    Pasada pasada(modo, 0, true);
    for (std::size_t i = 0; i < texto.size(); i += kTrozoLectura) {
        pasada.Procesar(texto.data() + i, std::min(kTrozoLectura, texto.size() - i));
    }
    pasada.Terminar();
    return pasada;
}

// Reads a text from its start to its end, a piece at a time, scanning each
// piece as it comes; into `destino` too when it is to be kept, with its line
// starts into `inicios`.
Resultado<Pasada> LeerSeguido(Lector& lector, std::optional<Codificacion> forzada,
                              std::string* destino, std::vector<std::uint32_t>* inicios,
                              Progreso* progreso) {
    if (Resultado<void> r = lector.Rebobinar(); !r) {
        return r.error();
    }
    if (destino != nullptr) {
        destino->clear();
    }
    BufferAlineado buffer(kTrozoLectura);
    std::string espera; // the first bytes, until the encoding can be told
    std::optional<Pasada> pasada;
    std::size_t lineas = 0; // bytes of `destino` looked at for line starts
    for (bool fin = false; !fin;) {
        const Resultado<std::size_t> n = lector.Leer(buffer.data(), buffer.size());
        if (!n) {
            return n.error();
        }
        if (!Seguir(progreso, *n)) {
            return Cancelado();
        }
        fin = *n == 0;
        std::string_view trozo(buffer.data(), *n);
        if (!pasada) {
            // The encoding is known from the first three bytes at least.
            espera.append(trozo);
            if (espera.size() < 3 && !fin) {
                continue;
            }
            pasada.emplace(Reconocer(espera, forzada), 0, true);
            trozo = espera;
        }
        pasada->Procesar(trozo.data(), trozo.size());
        if (destino != nullptr) {
            destino->append(trozo);
            if (inicios != nullptr && !destino->empty()) {
                // The last byte waits for the next piece: a CR may be
                // followed by an LF.
                const std::size_t hasta = destino->size() - (fin ? 0 : 1);
                InicioLineas(destino->data(), lineas, hasta, destino->size(), *inicios);
                lineas = hasta;
            }
        }
    }
    pasada->Terminar();
    return std::move(*pasada);
}

// One part of an ordinary file, read and scanned on its own.
struct Parte {
    std::uint64_t desde = 0;
    std::uint64_t hasta = 0;
    std::optional<Pasada> pasada;
    std::vector<std::uint32_t> inicios;
    std::optional<Error> error;
    bool corto = false; // the file ended before the part did: it changed
};

void LeerParte(Lector& lector, Parte& parte, std::string* destino, Progreso* progreso) try {
    BufferAlineado propio(destino != nullptr ? 4096 : kTrozoLectura);
    for (std::uint64_t pos = parte.desde; pos < parte.hasta;) {
        const std::size_t pedir =
            static_cast<std::size_t>(std::min<std::uint64_t>(kTrozoLectura, parte.hasta - pos));
        char* d = destino != nullptr ? destino->data() + pos : propio.data();
        const Resultado<std::size_t> n = lector.LeerEn(pos, d, pedir);
        if (!n) {
            parte.error = n.error();
            return;
        }
        if (*n == 0) {
            parte.corto = true;
            return;
        }
        parte.pasada->Procesar(d, *n);
        if (destino != nullptr) {
            // The part's last byte waits for the part after it.
            const std::size_t hasta = static_cast<std::size_t>(pos + *n);
            InicioLineas(destino->data(), static_cast<std::size_t>(pos),
                         hasta - (hasta == parte.hasta ? 1 : 0), destino->size(), parte.inicios);
        }
        pos += *n;
        if (!Seguir(progreso, *n)) {
            parte.error = Cancelado();
            return;
        }
    }
} catch (const std::bad_alloc&) {
    parte.error = Falla(Fallo::Grande, ENOMEM, lector.Ruta());
}

// Where the second part begins: near the middle, at the start of a
// character (a byte that goes on a UTF-8 sequence never begins one).
std::uint64_t Mitad(Lector& lector, std::uint64_t tamano, unsigned char& anterior) {
    std::uint64_t mitad = tamano / 2;
    unsigned char cerca[5] = {};
    const Resultado<std::size_t> n = lector.LeerEn(mitad - 1, reinterpret_cast<char*>(cerca), 5);
    std::size_t k = 1;
    while (n && k < *n && k < 4 && (cerca[k] & 0xC0) == 0x80) {
        ++k;
    }
    anterior = cerca[k - 1];
    return mitad + (k - 1);
}

// An ordinary file in two parts at once. Nothing when the file changed while
// it was read: it is then read again in one piece.
std::optional<Resultado<Pasada>> LeerEnPartes(Lector& lector, std::optional<Codificacion> forzada,
                                              std::string* destino,
                                              std::vector<std::uint32_t>* inicios,
                                              Progreso* progreso) {
    const std::uint64_t tamano = lector.Tamano();
    Parte partes[2];
    if (destino != nullptr) {
        destino->resize(static_cast<std::size_t>(tamano));
    }
    // The start says which encoding the parts are read in.
    BufferAlineado inicio(kTrozoReconocer);
    const Resultado<std::size_t> n = lector.LeerEn(0, inicio.data(), inicio.size());
    if (!n) {
        return Resultado<Pasada>(n.error());
    }
    const Modo modo = Reconocer(std::string_view(inicio.data(), *n), forzada);
    if (EsUtf16(modo.codificacion) || *n < inicio.size()) {
        return std::nullopt; // read as it comes
    }
    unsigned char anterior = 0;
    partes[1].desde = Mitad(lector, tamano, anterior);
    partes[0].hasta = partes[1].desde;
    partes[1].hasta = tamano;
    partes[0].pasada.emplace(modo, 0, true);
    partes[1].pasada.emplace(modo, anterior, false);
    std::thread hilo;
    try {
        hilo = std::thread([&] { LeerParte(lector, partes[1], destino, progreso); });
    } catch (const std::system_error&) {
        return std::nullopt; // no thread to be had
    }
    LeerParte(lector, partes[0], destino, progreso);
    hilo.join();
    for (Parte& p : partes) {
        if (p.error) {
            return Resultado<Pasada>(*p.error);
        }
    }
    if (partes[0].corto || partes[1].corto || !lector.SinCambios()) {
        return std::nullopt;
    }
    partes[0].pasada->Terminar();
    partes[1].pasada->Terminar();
    partes[0].pasada->Unir(*partes[1].pasada);
    if (destino != nullptr && inicios != nullptr) {
        inicios->insert(inicios->end(), partes[0].inicios.begin(), partes[0].inicios.end());
        const std::size_t corte = static_cast<std::size_t>(partes[0].hasta);
        InicioLineas(destino->data(), corte - 1, corte, destino->size(), *inicios);
        inicios->insert(inicios->end(), partes[1].inicios.begin(), partes[1].inicios.end());
        InicioLineas(destino->data(), destino->size() - 1, destino->size(), destino->size(),
                     *inicios);
    }
    return Resultado<Pasada>(std::move(*partes[0].pasada));
}

// One pass over the whole input, however it is best read.
Resultado<Pasada> Leer(Lector& lector, std::optional<Codificacion> forzada, std::string* destino,
                       std::vector<std::uint32_t>* inicios, Progreso* progreso) {
    if (progreso != nullptr) {
        progreso->hechos = 0;
        progreso->total = lector.Tamano();
    }
    if (inicios != nullptr) {
        inicios->assign(1, 0);
    }
    if (lector.Ordinario() && lector.Tamano() >= kMinimoPartes &&
        std::thread::hardware_concurrency() >= 2) {
        if (auto r = LeerEnPartes(lector, forzada, destino, inicios, progreso)) {
            return std::move(*r);
        }
        if (progreso != nullptr) {
            progreso->hechos = 0;
        }
        if (inicios != nullptr) {
            inicios->assign(1, 0);
        }
    }
    return LeerSeguido(lector, forzada, destino, inicios, progreso);
}

// What a pass found, as the document says it.
Resultado<Documento> Terminar(Documento doc, Pasada& pasada, std::unique_ptr<Lector> lector,
                              bool conservar) {
    if (!pasada.Valida()) {
        return Falla(Fallo::Codificacion, EILSEQ, lector ? lector->Ruta() : std::string());
    }
    doc.codificacion = pasada.ModoDe().codificacion;
    doc.marca = pasada.Marca();
    if (EsUtf16(doc.codificacion) && conservar) {
        // The working copy is UTF-8; its lines are found again.
        auto utf8 = Utf8DeUtf16(doc.texto, doc.codificacion == Codificacion::Utf16BE);
        doc.texto = std::move(*utf8);
        if (!doc.inicioLineas.empty()) {
            doc.inicioLineas.assign(1, 0);
            BuscarInicios(doc.texto.data(), doc.texto.size(), doc.inicioLineas);
        }
    }
    auto origen = std::make_shared<detalle::Origen>();
    origen->unidades = UnidadesDe(doc.codificacion);
    origen->recuento = std::move(pasada.Cuentas());
    doc.hallazgos = HallazgosDe(origen->recuento, origen->unidades);
    if (!conservar) {
        origen->lector = std::move(lector);
    }
    doc.origen = std::move(origen);
    return doc;
}

} // namespace

void BuscarInicios(const char* texto, std::size_t n, std::vector<std::uint32_t>& inicios) {
    InicioLineas(texto, 0, n, n, inicios);
}

Resultado<Documento> AbrirDocumento(const std::string& nombre, const OpcionesLectura& opciones) {
    auto lector = std::make_unique<Lector>();
    Resultado<void> abierto = opciones.entradaEstandar
                                  ? lector->AbrirEntradaEstandar(opciones.limite)
                                  : lector->Abrir(nombre, opciones.soloOrdinario, opciones.limite);
    if (!abierto) {
        return abierto.error();
    }
    // What cannot be read twice is held.
    const bool conservar = opciones.conservarTexto || !lector->Ordinario();
    if (!lector->Ordinario()) {
        lector->Limitar(std::min(opciones.limite, kMemoriaTuberia));
    }
    Documento doc;
    std::string* destino = conservar ? &doc.texto : nullptr;
    std::vector<std::uint32_t>* inicios = opciones.conservarTexto ? &doc.inicioLineas : nullptr;
    try {
        Resultado<Pasada> pasada =
            Leer(*lector, opciones.codificacion, destino, inicios, opciones.progreso);
        if (!pasada) {
            return pasada.error();
        }
        if (const std::optional<Codificacion> otra = pasada->Repetir()) {
            // The whole text is in another encoding than its start suggested.
            if (conservar) {
                pasada = PasarMemoria(doc.texto, Modo{*otra, false, true});
            } else {
                pasada = Leer(*lector, otra, nullptr, nullptr, opciones.progreso);
                if (!pasada) {
                    return pasada.error();
                }
            }
        }
        return Terminar(std::move(doc), *pasada, std::move(lector), conservar);
    } catch (const std::bad_alloc&) {
        return Falla(Fallo::Grande, ENOMEM, nombre);
    }
}

Resultado<Documento> DocumentoDeTexto(std::string texto, std::optional<Codificacion> codificacion) {
    Documento doc;
    doc.texto = std::move(texto);
    Pasada pasada = PasarMemoria(
        doc.texto, Reconocer(std::string_view(doc.texto).substr(0, kTrozoReconocer), codificacion));
    if (const std::optional<Codificacion> otra = pasada.Repetir()) {
        pasada = PasarMemoria(doc.texto, Modo{*otra, false, true});
    }
    return Terminar(std::move(doc), pasada, nullptr, true);
}

} // namespace tildora
