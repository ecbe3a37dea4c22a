#include "ui/conversion/busqueda.h"

#include "core/textos.h"
#include "ui/conversion/vistatexto.h"
#include "ui/dialogos.h"

#include <QLabel>
#include <QToolButton>

namespace tildora {

namespace {

constexpr std::size_t npos = Ocurrencias::npos;

// A two-language text on two lines, Basque above Spanish.
QString EnDosLineas(std::string_view texto) {
    return TextoQt(texto).replace(QStringLiteral(" / "), QStringLiteral("\n"));
}

} // namespace

BusquedaTexto::BusquedaTexto(const Documento& documento, VistaTexto& vista, QLabel& cuenta,
                             QLabel& mostrado, QToolButton& previa,
                             std::function<std::vector<Fila>()> filas)
    : QObject(&vista), m_documento(documento), m_vista(vista), m_cuenta(cuenta),
      m_mostrado(mostrado), m_boton(previa), m_filas(std::move(filas)) {
    m_boton.setCheckable(true);
    connect(&m_vista, &VistaTexto::ActualOlvidada, this, [this] {
        m_actual = npos;
        Contar();
    });
    Contar();
    DecirTexto();
}

void BusquedaTexto::FilaActual(const std::string& clave) {
    m_ocurrencias.reset();
    if (!clave.empty()) {
        m_ocurrencias.emplace(m_documento, clave);
    }
    m_actual = npos;
    m_ordinal = 0;
    m_vista.MarcarOcurrencias(m_ocurrencias);
    m_vista.MarcarActual(npos, 0);
    Contar();
}

void BusquedaTexto::RespuestasCambiadas() {
    m_previaVieja = true;
    if (m_vista.Previa()) {
        // Made again where the user is looking: the view stays where it is.
        MostrarPrevia(true, false);
    }
}

bool BusquedaTexto::EnRecorrido() const {
    return m_actual != npos && m_vista.Actual() == m_actual;
}

void BusquedaTexto::Primera() {
    if (m_ocurrencias) {
        Elegir(m_ocurrencias->Siguiente(0), 1);
    }
}

void BusquedaTexto::Siguiente() {
    if (!m_ocurrencias) {
        return;
    }
    const Ocurrencias& o = *m_ocurrencias;
    std::size_t pos = npos;
    std::uint64_t n = 0;
    if (EnRecorrido()) {
        pos = o.Siguiente(m_actual + 1);
        n = m_ordinal + 1;
    } else {
        // From the caret, or just after the start of what is selected.
        const std::size_t inicio = m_vista.InicioSeleccion();
        pos = o.Siguiente(m_vista.FinSeleccion() > inicio ? inicio + 1 : inicio);
        n = pos == npos ? 0 : o.Ordinal(pos);
    }
    if (pos == npos) {
        pos = o.Siguiente(0);
        n = 1;
    }
    Elegir(pos, n);
}

void BusquedaTexto::Anterior() {
    if (!m_ocurrencias) {
        return;
    }
    const Ocurrencias& o = *m_ocurrencias;
    std::size_t pos = npos;
    std::uint64_t n = 0;
    if (EnRecorrido()) {
        pos = o.Anterior(m_actual);
        n = m_ordinal - 1;
    } else {
        pos = o.Anterior(m_vista.InicioSeleccion());
        n = pos == npos ? 0 : o.Ordinal(pos);
    }
    if (pos == npos) {
        pos = o.Anterior(m_documento.texto.size());
        n = o.Total();
    }
    Elegir(pos, n);
}

void BusquedaTexto::Elegir(std::size_t posicion, std::uint64_t ordinal) {
    if (posicion == npos || !m_ocurrencias) {
        // Nothing in the text: no earlier selection may pass for this one.
        m_vista.Seleccionar(0, 0);
        m_vista.MarcarActual(npos, 0);
        m_actual = npos;
        Contar();
        return;
    }
    const std::size_t largo = m_ocurrencias->Largo();
    // The view is only selected and scrolled, never written. A lone LF is a
    // line break there: nothing is selected, and its mark shows where it is.
    const bool salto = !m_documento.Unicode() && m_ocurrencias->Bytes() == "\n";
    m_vista.Seleccionar(salto ? 0 : posicion, salto ? 0 : posicion + largo);
    m_vista.MarcarActual(posicion, largo);
    m_vista.MostrarPosicion(posicion);
    m_actual = posicion;
    m_ordinal = ordinal;
    Contar();
}

void BusquedaTexto::Contar() {
    if (!m_ocurrencias) {
        m_cuenta.clear();
        return;
    }
    const QString n =
        m_actual == npos ? TextoQt(textos::OcurrenciaSinElegir) : QString::number(m_ordinal);
    m_cuenta.setText(n + QStringLiteral(" / ") + QString::number(m_ocurrencias->Total()));
}

void BusquedaTexto::AlternarPrevia() {
    MostrarPrevia(!m_vista.Previa());
}

void BusquedaTexto::MostrarPrevia(bool previa, bool situar) {
    if (previa && (m_previaVieja || !m_previa)) {
        // The composition the accept makes, from the answers shown now.
        m_previa.emplace(m_documento, m_filas());
        m_previaVieja = false;
    }
    m_vista.MostrarPrevia(previa ? &*m_previa : nullptr);
    m_boton.setChecked(previa);
    if (situar && m_actual != npos) {
        m_vista.MostrarPosicion(m_actual);
    }
    DecirTexto();
}

void BusquedaTexto::DecirTexto() {
    const std::string_view texto =
        m_vista.Previa() ? textos::TextoCorregido : textos::TextoOriginal;
    m_mostrado.setText(EnDosLineas(texto));
    m_mostrado.setAccessibleName(TextoQt(texto));
}

} // namespace tildora
