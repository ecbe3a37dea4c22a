#include "core/interno/reescritura.h"

#include "core/almacen.h"
#include "core/caracteres.h"
#include "core/interno/composicion.h"
#include "core/textos.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace tildora {

namespace {

// The corrected text leaves in pieces of about this size.
constexpr std::size_t kBufferSalida = std::size_t{4} << 20;

// The forms of a Unicode text's wrong characters: each at most this long
// (in Windows-1252), and all together (in UTF-8) at most the second. Only
// stored replacements that feed each other come near.
constexpr std::uint64_t kFormaUnicodeMaxima = std::uint64_t{16} << 20;
constexpr std::uint64_t kFormasUnicodeMaximas = std::uint64_t{64} << 20;

constexpr std::uint64_t kSaturado = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Sumar(std::uint64_t a, std::uint64_t b) {
    return a > kSaturado - b ? kSaturado : a + b;
}

std::uint64_t Multiplicar(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > kSaturado / a ? kSaturado : a * b;
}

Error Crecimiento() {
    return Falla(Fallo::Crecimiento);
}

// Every LF of `texto` that no CR comes before becomes CR LF; `anterior` is
// the byte before it, and ends as its last.
void SaltosCrLf(std::string& texto, char& anterior) {
    if (texto.find('\n') != std::string::npos) {
        std::string r;
        r.reserve(texto.size() + texto.size() / 8);
        for (const char c : texto) {
            if (c == '\n' && anterior != '\r') {
                r += '\r';
            }
            r += c;
            anterior = c;
        }
        texto.swap(r);
    } else if (!texto.empty()) {
        anterior = texto.back();
    }
}

// The corrected text on its way out: gathered in a reused buffer, written
// in large pieces.
class Volcado {
public:
    // A small text needs no large buffer.
    Volcado(Destino& destino, std::uint64_t tamano)
        : m_destino(destino), m_buffer(static_cast<std::size_t>(std::clamp<std::uint64_t>(
                                  tamano, std::uint64_t{64} << 10, kBufferSalida))) {}

    bool Copiar(const char* p, std::size_t n) {
        if (n > m_buffer.size() - m_lleno) {
            if (!Vaciar()) {
                return false;
            }
            if (n >= m_buffer.size()) {
                m_escritos += n;
                return Escribir(p, n);
            }
        }
        std::memcpy(m_buffer.data() + m_lleno, p, n);
        m_lleno += n;
        return true;
    }
    bool Vaciar() {
        const std::size_t n = m_lleno;
        m_lleno = 0;
        m_escritos += n;
        return n == 0 || Escribir(m_buffer.data(), n);
    }
    std::uint64_t Escritos() const { return m_escritos; }
    const std::optional<Error>& Fallo() const { return m_fallo; }

private:
    bool Escribir(const char* p, std::size_t n) {
        if (Resultado<void> r = m_destino.Escribir(p, n); !r) {
            m_fallo = r.error();
            return false;
        }
        return true;
    }

    Destino& m_destino;
    BufferAlineado m_buffer;
    std::size_t m_lleno = 0;
    std::uint64_t m_escritos = 0;
    std::optional<Error> m_fallo;
};

// The final form of each character the scan found, and what the corrected
// text comes to.
struct Plan {
    std::vector<std::int32_t> nodos; // by place in the scan's list; -1: left as it is
    std::uint64_t tamano = 0;
    std::uint64_t correcciones = 0;
};

// A Windows-1252 text: the forms of the characters present may not together
// exceed the limit on the output's growth (each is part of the output at
// least once), nor the whole its limits. Long forms are written a piece at a
// time, never held.
Resultado<Plan> PlanAnsi(const Recuento& r, const Composicion& c, std::uint64_t limite) {
    Plan plan;
    std::uint64_t formas = 0;
    std::uint64_t listados = 0;
    plan.tamano = 0;
    for (std::size_t i = 0; i < r.primeras.size(); ++i) {
        const std::int32_t nodo = c.Nodo(r.primeras[i].unidad, Unidades::Ansi);
        plan.nodos.push_back(nodo);
        listados += r.cuentas[i];
        if (nodo < 0) {
            plan.tamano = Sumar(plan.tamano, r.cuentas[i]);
            continue;
        }
        const std::uint64_t largo = c.Longitud(nodo, false);
        if (largo == kSaturado || largo > kTamanoMaximoSalida - formas) {
            return Crecimiento();
        }
        formas += largo;
        plan.tamano = Sumar(plan.tamano, Multiplicar(r.cuentas[i], largo));
        plan.correcciones =
            Sumar(plan.correcciones, Multiplicar(r.cuentas[i], c.Correcciones(nodo)));
    }
    plan.tamano = Sumar(plan.tamano, r.bytes - listados);
    if (plan.tamano == kSaturado || plan.correcciones == kSaturado ||
        plan.tamano - std::min(plan.tamano, r.bytes) > kTamanoMaximoSalida ||
        plan.tamano > limite) {
        return Crecimiento();
    }
    return plan;
}

// A Unicode text: every wrong character becomes its row's replacement as the
// rows below leave it, in UTF-8. `total` counts the byte-order mark.
Resultado<Plan> PlanUnicode(const Recuento& r, const Composicion& c, std::uint64_t total,
                            std::uint64_t tamano, std::uint64_t limite) {
    Plan plan;
    plan.tamano = tamano;
    std::uint64_t formas = 0;
    for (std::size_t i = 0; i < r.primeras.size(); ++i) {
        const char32_t cp = r.primeras[i].unidad;
        const std::int32_t nodo = c.Nodo(cp, Unidades::Utf8);
        plan.nodos.push_back(nodo);
        if (nodo < 0) {
            continue;
        }
        const std::uint64_t forma = c.Longitud(nodo, true);
        formas = Sumar(formas, forma);
        if (c.Longitud(nodo, false) > kFormaUnicodeMaxima || formas > kFormasUnicodeMaximas) {
            return Crecimiento();
        }
        std::string propio;
        AnadirUtf8(propio, cp);
        const std::uint64_t original = propio.size();
        const std::uint64_t veces = r.cuentas[i];
        // Each form is part of the output at least once: sizes and counts
        // stay far below overflow once each is bounded.
        if (forma > original && veces > (kTamanoMaximoSalida + 1) / (forma - original)) {
            return Crecimiento();
        }
        plan.tamano = plan.tamano - veces * original + veces * forma;
        plan.correcciones += veces * c.Correcciones(nodo);
    }
    if (plan.tamano > total + kTamanoMaximoSalida || plan.tamano > limite) {
        return Crecimiento();
    }
    return plan;
}

// Rewrites the text piece by piece with the engine's own walk, which counts
// the wrong characters it meets so that the caller can tell that the text is
// still the one scanned.
class Reescritor final : public Escaneo::Paradas {
public:
    Reescritor(const detalle::Origen& origen, const Composicion& composicion, const Plan& plan,
               Volcado& volcado)
        : m_utf8(origen.unidades == Unidades::Utf8), m_escaneo(origen.unidades),
          m_composicion(composicion), m_plan(plan), m_volcado(volcado) {}

    bool Procesar(const unsigned char* p, std::size_t n, unsigned char anterior) {
        m_p = p;
        m_tramo = 0;
        return m_escaneo.Procesar(p, n, anterior, this) && Copiar(n);
    }

    bool Parada(std::size_t pos, std::size_t largo, std::uint32_t lugar) override {
        // A character the scan did not see there: the text changed, and is
        // left as it is.
        if (lugar >= m_plan.nodos.size()) {
            return true;
        }
        const std::int32_t nodo = m_plan.nodos[lugar];
        if (nodo < 0) {
            return true; // no row replaces it
        }
        if (!Copiar(pos)) {
            return false;
        }
        m_tramo = pos + largo;
        return m_composicion.Escribir(
            nodo, m_utf8, [this](const char* d, std::size_t n) { return m_volcado.Copiar(d, n); });
    }

    // Whether the text read was the one scanned: the same characters in the
    // same order, as often, and as long.
    bool Igual(const Recuento& r) {
        const Recuento& propio = m_escaneo.Resultado();
        return propio.bytes == r.bytes && propio.cuentas == r.cuentas &&
               std::equal(propio.primeras.begin(), propio.primeras.end(), r.primeras.begin(),
                          [](const auto& a, const auto& b) { return a.unidad == b.unidad; });
    }
    bool Invalido() { return m_escaneo.Resultado().invalido; }

private:
    // The bytes of the piece from where they were last written up to `hasta`.
    bool Copiar(std::size_t hasta) {
        const bool bien =
            m_volcado.Copiar(reinterpret_cast<const char*>(m_p + m_tramo), hasta - m_tramo);
        m_tramo = hasta;
        return bien;
    }

    bool m_utf8;
    Escaneo m_escaneo;
    const Composicion& m_composicion;
    const Plan& m_plan;
    Volcado& m_volcado;
    const unsigned char* m_p = nullptr; // the piece at hand
    std::size_t m_tramo = 0;            // where its bytes not yet written begin
};

// Hands the text read again, in the program's form, to `trozo`.
Resultado<void> Releer(const Documento& doc, bool& valido, const ManejarTrozo& trozo) {
    const detalle::Origen& origen = *doc.origen;
    if (!origen.lector) {
        for (std::size_t i = 0; i < doc.texto.size(); i += kTrozoLectura) {
            if (!trozo(doc.texto.data() + i, std::min(kTrozoLectura, doc.texto.size() - i))) {
                break;
            }
        }
        return {};
    }
    BufferAlineado buffer(kTrozoLectura);
    if (!EsUtf16(doc.codificacion)) {
        return origen.lector->Recorrer(buffer, trozo);
    }
    // UTF-16 is turned into UTF-8 as it is read; a text that is no longer
    // valid UTF-16 ends the reading and counts as changed.
    DesdeUtf16 desde(doc.codificacion == Codificacion::Utf16BE);
    std::string convertido;
    Resultado<void> r = origen.lector->Recorrer(buffer, [&](const char* d, std::size_t n) {
        convertido.clear();
        valido = valido && desde.Procesar(d, n, convertido);
        return valido && trozo(convertido.data(), convertido.size());
    });
    valido = valido && desde.Terminar(convertido);
    return r;
}

} // namespace

Resultado<void> DestinoEstandar::Escribir(const char* datos, std::size_t n) {
    if (!m_salida.EscribirTodo(datos, n)) {
        return Falla(Fallo::Escritura, errno, "-");
    }
    return {};
}

Resultado<void> DestinoRecodificado::Abrir() {
    if (Resultado<void> r = m_interior.Abrir(); !r) {
        return r;
    }
    const std::string_view marca = m_marca ? MarcaOrden(m_hacia.Destino()) : std::string_view{};
    return marca.empty() ? Resultado<void>{} : m_interior.Escribir(marca.data(), marca.size());
}

Resultado<void> DestinoRecodificado::Escribir(const char* datos, std::size_t n) {
    std::optional<Error> fallo;
    m_costura.Coser(datos, n, [&](const unsigned char* p, std::size_t m, unsigned char) {
        m_convertido.clear();
        if (!m_hacia.Procesar(reinterpret_cast<const char*>(p), m, m_convertido)) {
            fallo = Falla(Fallo::NoCodificable, EILSEQ);
            return false;
        }
        if (m_saltos) {
            SaltosCrLf(m_convertido, m_ultimo);
        }
        if (Resultado<void> r = m_interior.Escribir(m_convertido.data(), m_convertido.size()); !r) {
            fallo = r.error();
            return false;
        }
        return true;
    });
    return fallo ? Resultado<void>(*fallo) : Resultado<void>{};
}

Resultado<void> DestinoRecodificado::Confirmar() {
    if (m_costura.Pendientes() > 0) {
        return Falla(Fallo::NoCodificable, EILSEQ);
    }
    return m_interior.Confirmar();
}

Resultado<std::uint64_t> Reescribir(const Documento& doc, const std::vector<Fila>& filas,
                                    Destino& destino, bool conservarMarca, std::uint64_t limite,
                                    Progreso* progreso) {
    const detalle::Origen& origen = *doc.origen;
    Composicion composicion(filas);
    const std::uint64_t total = origen.recuento.bytes + doc.marca;
    Resultado<Plan> plan = origen.unidades == Unidades::Ansi
                               ? PlanAnsi(origen.recuento, composicion, limite)
                               : PlanUnicode(origen.recuento, composicion, total,
                                             total - (conservarMarca ? 0 : doc.marca), limite);
    if (!plan) {
        return plan.error();
    }
    composicion.Preparar(plan->nodos);
    if (Resultado<void> r = destino.Abrir(); !r) {
        return r.error();
    }
    if (progreso != nullptr) {
        progreso->total = origen.lector ? origen.lector->Tamano() : doc.texto.size();
    }
    Volcado volcado(destino, plan->tamano);
    Reescritor reescritor(origen, composicion, *plan, volcado);
    Costura costura(origen.unidades == Unidades::Utf8);
    const auto cancelado = [progreso] { return progreso != nullptr && progreso->Cancelado(); };
    bool escrito = true;
    bool valido = true;
    std::size_t marca = doc.marca; // bytes of the mark still to come
    const Resultado<void> leido = Releer(doc, valido, [&](const char* d, std::size_t n) {
        const std::size_t saltar = std::min(marca, n);
        if (saltar > 0 && conservarMarca) {
            escrito = volcado.Copiar(d, saltar);
        }
        marca -= saltar;
        escrito =
            escrito && costura.Coser(d + saltar, n - saltar,
                                     [&](const unsigned char* p, std::size_t m, unsigned char a) {
                                         return reescritor.Procesar(p, m, a);
                                     });
        if (progreso != nullptr) {
            progreso->Avanzar(n);
        }
        return escrito && !cancelado();
    });
    // Nothing is confirmed: the destination goes without a trace.
    if (cancelado()) {
        return Falla(Fallo::Cancelado, ECANCELED);
    }
    escrito = escrito && volcado.Vaciar();
    const bool intacto = valido && (!origen.lector || origen.lector->SinCambios());
    if (!escrito && (reescritor.Invalido() || !intacto || !volcado.Fallo())) {
        return Falla(Fallo::Cambiado);
    }
    if (!escrito) {
        return volcado.Fallo() ? *volcado.Fallo() : Falla(Fallo::Cambiado);
    }
    if (!leido) {
        return leido.error();
    }
    // The second read must have seen the text of the first: same length,
    // same wrong characters as often, and a file untouched meanwhile.
    if (!intacto || !reescritor.Igual(origen.recuento) || costura.Pendientes() > 0 ||
        volcado.Escritos() != plan->tamano) {
        return Falla(Fallo::Cambiado);
    }
    // The last moment a stop can be honoured: after this the output has its
    // name.
    if (cancelado()) {
        return Falla(Fallo::Cancelado, ECANCELED);
    }
    if (Resultado<void> r = destino.Confirmar(); !r) {
        return r.error();
    }
    return plan->correcciones;
}

Fila FilaCon(std::string clave, std::optional<std::string_view> respuesta) {
    Fila fila{std::move(clave), std::string(respuesta.value_or("")), false};
    fila.borrar = respuesta && respuesta->empty();
    return fila;
}

std::vector<std::size_t> FilasSinSolucion(const std::vector<Fila>& filas) {
    std::vector<std::size_t> faltan;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas[i].sustituto.empty() && !filas[i].borrar && !EsSaltoDeLinea(filas[i].clave)) {
            faltan.push_back(i);
        }
    }
    return faltan;
}

namespace {

Resultado<std::uint64_t> Corregir(const Documento& doc, const std::vector<Fila>& filas,
                                  const OpcionesCorreccion& op) {
    std::unique_ptr<Destino> final;
    if (op.memoria != nullptr) {
        final = std::make_unique<DestinoMemoria>(*op.memoria);
    } else if (op.salida == "-") {
        final = std::make_unique<DestinoEstandar>();
    } else {
        final = std::make_unique<DestinoFichero>(op.salida, op.reemplazar);
    }
    const Codificacion salida = op.codificacion.value_or(doc.codificacion);
    // Windows-1252 has no byte-order mark. A text turned into UTF-16 gets
    // the mark it is recognised by; one written back in its own encoding
    // keeps what it had.
    const bool conservarMarca = salida != Codificacion::Windows1252;
    const bool desdeAnsi = !doc.Unicode();
    const bool recodificar =
        desdeAnsi ? salida != Codificacion::Windows1252 : salida != Codificacion::Utf8;
    const bool marcaNueva =
        EsUtf16(salida) && (desdeAnsi || (doc.marca == 0 && salida != doc.codificacion));
    DestinoRecodificado recodificado(*final, desdeAnsi, salida, marcaNueva);
    Destino& destino = recodificar ? static_cast<Destino&>(recodificado) : *final;
    return Reescribir(doc, filas, destino, conservarMarca, op.limite, op.progreso);
}

} // namespace

Aceptacion Aceptar(const Documento& documento, const std::vector<Fila>& filas,
                   const OpcionesCorreccion& opciones) {
    Aceptacion a;
    if (std::vector<std::size_t> faltan = FilasSinSolucion(filas); !faltan.empty()) {
        Error e = Falla(Fallo::FaltanSoluciones);
        e.filas = std::move(faltan);
        a.correcciones = std::move(e);
        return a;
    }
    if (std::vector<std::size_t> sucias = FilasNoLimpias(filas); !sucias.empty()) {
        Error e = Falla(Fallo::NoLimpias);
        e.filas = std::move(sucias);
        a.correcciones = std::move(e);
        return a;
    }
    // Every row is remembered before anything is replaced, and stays
    // remembered whatever the writing does. The line break's answer is fixed:
    // there is nothing of the user's to remember.
    if (opciones.almacen != nullptr) {
        try {
            for (const Fila& fila : filas) {
                if (EsSaltoDeLinea(fila.clave)) {
                    continue;
                }
                Resultado<void> r =
                    fila.borrar ? opciones.almacen->GuardarBorrado(textos::SeccionLista, fila.clave)
                                : opciones.almacen->GuardarSolucion(textos::SeccionLista,
                                                                    fila.clave, fila.sustituto);
                if (!r && !a.almacen) {
                    a.almacen = r.error();
                }
            }
        } catch (const std::bad_alloc&) {
            a.correcciones = Falla(Fallo::Grande, ENOMEM);
            return a;
        }
    }
    // A stop asked for while they were written ends here, with nothing
    // written.
    if (opciones.progreso != nullptr && opciones.progreso->Cancelado()) {
        a.correcciones = Falla(Fallo::Cancelado, ECANCELED);
        return a;
    }
    try {
        a.correcciones = Corregir(documento, filas, opciones);
    } catch (const std::bad_alloc&) {
        a.correcciones = Falla(Fallo::Grande, ENOMEM);
    }
    return a;
}

} // namespace tildora
