#include "core/documento.h"

#include "core/interno/hilo.h"
#include "core/interno/origen.h"
#include "core/interno/pasada.h"

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

using detalle::Modo;
using detalle::Pasada;
using detalle::Reconocer;
using detalle::UnidadesDe;

// A file this large is read in two parts at once, each on a processor of its
// own, each piece scanned right after it is read, while it is still in the
// cache: reading and scanning then take less time than reading alone does.
constexpr std::uint64_t kMinimoPartes = std::uint64_t{8} << 20;

// How much of a text's start suggests its encoding.
constexpr std::size_t kTrozoReconocer = std::size_t{256} << 10;

// A pipe whose text is kept (never the windows': they take files only) is
// held in memory. Beyond this it is refused rather than exhausting the
// machine.
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

// The other encoding a text's end may say it is in than its start
// suggested (see Pasada::Repetir).
std::optional<Modo> OtroModo(const Modo& modo) {
    if (modo.forzado) {
        return std::nullopt;
    }
    if (modo.codificacion == Codificacion::Utf8) {
        return Modo{Codificacion::Windows1252, false, true};
    }
    if (modo.validar) {
        return Modo{Codificacion::Utf8, false, true};
    }
    return std::nullopt;
}

// Reads a text from its start to its end, a piece at a time, scanning each
// piece as it comes; into `destino` too when it is to be kept, with its line
// starts into `inicios`. With `otra`, a text that will not be read again is
// scanned at once in the other encoding its end may choose too.
Resultado<Pasada> LeerSeguido(Lector& lector, std::optional<Codificacion> forzada,
                              std::string* destino, std::vector<std::uint32_t>* inicios,
                              Progreso* progreso, std::optional<Pasada>* otra) {
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
            // The encoding is known from the first three bytes at least: a
            // first piece shorter than that waits for more. (A longer one is
            // not copied: memory then does not depend on how a pipe's
            // pieces happen to come.)
            if (!espera.empty() || (trozo.size() < 3 && !fin)) {
                espera.append(trozo);
                if (espera.size() < 3 && !fin) {
                    continue;
                }
                trozo = espera;
            }
            pasada.emplace(Reconocer(trozo, forzada), 0, true);
            if (const std::optional<Modo> modo = otra ? OtroModo(pasada->ModoDe()) : std::nullopt) {
                otra->emplace(*modo, 0, true);
            }
        }
        pasada->Procesar(trozo.data(), trozo.size());
        if (otra != nullptr && *otra) {
            (*otra)->Procesar(trozo.data(), trozo.size());
        }
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
    if (otra != nullptr && *otra) {
        (*otra)->Terminar();
    }
    return std::move(*pasada);
}

// One part of an ordinary file, read and scanned on its own.
struct Parte {
    std::uint64_t desde = 0;
    std::uint64_t hasta = 0;
    std::optional<Pasada> pasada;
    std::vector<std::uint32_t> inicios;
    std::optional<Error> error;
    bool corto = false;      // the file ended before the part did: it changed
    bool sinMemoria = false; // it could not have its memory: one part will do
    // Where it reads to when the text is not kept. Had before the thread
    // starts, as is all the scan will need but for a great many distinct
    // characters: memory that is short is then short before any thread
    // holds a stack.
    std::optional<BufferAlineado> propio;
};

void LeerParte(Lector& lector, Parte& parte, std::string* destino, Progreso* progreso) try {
    for (std::uint64_t pos = parte.desde; pos < parte.hasta;) {
        const std::size_t pedir =
            static_cast<std::size_t>(std::min<std::uint64_t>(kTrozoLectura, parte.hasta - pos));
        char* d = destino != nullptr ? destino->data() + pos : parte.propio->data();
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
    parte.sinMemoria = true;
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
// it was read, or when two parts cannot have the memory (a second buffer, a
// thread's stack) that one part can do without: it is then read again in
// one piece, so a file that can be read in some memory can be read in more.
std::optional<Resultado<Pasada>> LeerEnPartes(Lector& lector, std::optional<Codificacion> forzada,
                                              std::string* destino,
                                              std::vector<std::uint32_t>* inicios,
                                              Progreso* progreso) try {
    const std::uint64_t tamano = lector.Tamano();
    Parte partes[2];
    if (destino != nullptr) {
        destino->resize(static_cast<std::size_t>(tamano));
    }
    // The start says which encoding the parts are read in.
    Modo modo;
    {
        BufferAlineado inicio(kTrozoReconocer);
        const Resultado<std::size_t> n = lector.LeerEn(0, inicio.data(), inicio.size());
        if (!n) {
            return Resultado<Pasada>(n.error());
        }
        modo = Reconocer(std::string_view(inicio.data(), *n), forzada);
        if (EsUtf16(modo.codificacion) || *n < inicio.size()) {
            return std::nullopt; // read as it comes
        }
    }
    unsigned char anterior = 0;
    partes[1].desde = Mitad(lector, tamano, anterior);
    partes[0].hasta = partes[1].desde;
    partes[1].hasta = tamano;
    partes[0].pasada.emplace(modo, 0, true);
    partes[1].pasada.emplace(modo, anterior, false);
    for (Parte& p : partes) {
        p.pasada->Reservar();
        if (destino == nullptr) {
            p.propio.emplace(kTrozoLectura);
        }
    }
    detalle::Hilo hilo;
    if (!hilo.Empezar([&] { LeerParte(lector, partes[1], destino, progreso); })) {
        return std::nullopt; // no thread to be had
    }
    LeerParte(lector, partes[0], destino, progreso);
    hilo.Esperar();
    for (Parte& p : partes) {
        if (p.error) {
            return Resultado<Pasada>(*p.error);
        }
    }
    if (partes[0].corto || partes[1].corto || partes[0].sinMemoria || partes[1].sinMemoria ||
        !lector.SinCambios()) {
        return std::nullopt;
    }
    partes[0].pasada->Terminar();
    partes[1].pasada->Terminar();
    partes[0].pasada->Unir(*partes[1].pasada);
    if (destino != nullptr && inicios != nullptr) {
        // Reserved once: growing it by halves would hold up to twice the
        // starts at the moment both parts' starts are held too.
        inicios->reserve(inicios->size() + partes[0].inicios.size() + partes[1].inicios.size() + 2);
        inicios->insert(inicios->end(), partes[0].inicios.begin(), partes[0].inicios.end());
        std::vector<std::uint32_t>().swap(partes[0].inicios);
        const std::size_t corte = static_cast<std::size_t>(partes[0].hasta);
        InicioLineas(destino->data(), corte - 1, corte, destino->size(), *inicios);
        inicios->insert(inicios->end(), partes[1].inicios.begin(), partes[1].inicios.end());
        InicioLineas(destino->data(), destino->size() - 1, destino->size(), destino->size(),
                     *inicios);
    }
    return Resultado<Pasada>(std::move(*partes[0].pasada));
} catch (const std::bad_alloc&) {
    return std::nullopt;
}

// One pass over the whole input, however it is best read.
Resultado<Pasada> Leer(Lector& lector, std::optional<Codificacion> forzada, std::string* destino,
                       std::vector<std::uint32_t>* inicios, Progreso* progreso,
                       std::optional<Pasada>* otra = nullptr) {
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
    return LeerSeguido(lector, forzada, destino, inicios, progreso, otra);
}

SelloFichero Sello(const sistema::Ficha& ficha) {
    return SelloFichero{ficha.tamano, ficha.sello[0], ficha.sello[1]};
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
    // What cannot be read twice (a pipe) is held when the text is kept; it
    // is copied to a file as it is read when the correction will read it
    // again; and when only the scan is wanted it is scanned in both the
    // encodings its end may choose between.
    const bool conservar = opciones.conservarTexto;
    const bool tuberia = !lector->Ordinario();
    if (tuberia && conservar) {
        lector->Limitar(std::min(opciones.limite, kMemoriaTuberia));
    }
    if (tuberia && !conservar && !opciones.soloHallazgos) {
        if (Resultado<void> r = lector->CopiarAlLeer(); !r) {
            return r.error();
        }
    }
    const bool unaVez = tuberia && !conservar && opciones.soloHallazgos;
    Documento doc;
    if (!opciones.entradaEstandar && !tuberia) {
        doc.leido = Sello(lector->Descripcion());
    }
    std::string* destino = conservar ? &doc.texto : nullptr;
    std::vector<std::uint32_t>* inicios = conservar ? &doc.inicioLineas : nullptr;
    try {
        std::optional<Pasada> otra;
        Resultado<Pasada> pasada = Leer(*lector, opciones.codificacion, destino, inicios,
                                        opciones.progreso, unaVez ? &otra : nullptr);
        if (!pasada) {
            return pasada.error();
        }
        if (const std::optional<Codificacion> repetir = pasada->Repetir()) {
            // The whole text may be in another encoding than its start
            // suggested.
            Resultado<Pasada> segunda =
                conservar ? Resultado<Pasada>(PasarMemoria(doc.texto, Modo{*repetir, false, true}))
                : otra    ? Resultado<Pasada>(std::move(*otra))
                          : Leer(*lector, repetir, nullptr, nullptr, opciones.progreso);
            if (!segunda) {
                return segunda.error();
            }
            if (!pasada->Prefiere(*segunda)) {
                pasada = std::move(segunda);
            }
        }
        return Terminar(std::move(doc), *pasada, std::move(lector), conservar);
    } catch (const std::bad_alloc&) {
        return Falla(Fallo::Grande, ENOMEM, nombre);
    }
}

Resultado<SelloFichero> SelloDeFichero(const std::string& nombre) {
    Lector lector;
    if (Resultado<void> r = lector.Abrir(nombre, true); !r) {
        return r.error();
    }
    return Sello(lector.Descripcion());
}

Resultado<Documento> DocumentoDeTexto(std::string texto, std::optional<Codificacion> codificacion) {
    Documento doc;
    doc.texto = std::move(texto);
    Pasada pasada = PasarMemoria(
        doc.texto, Reconocer(std::string_view(doc.texto).substr(0, kTrozoReconocer), codificacion));
    if (const std::optional<Codificacion> otra = pasada.Repetir()) {
        Pasada segunda = PasarMemoria(doc.texto, Modo{*otra, false, true});
        if (!pasada.Prefiere(segunda)) {
            pasada = std::move(segunda);
        }
    }
    return Terminar(std::move(doc), pasada, nullptr, true);
}

} // namespace tildora
