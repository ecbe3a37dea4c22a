#include "ui/conversion/contexto.h"

#include "ui/conversion/vistatexto.h"
#include "ui/dialogos.h"

#include <QLabel>
#include <QToolButton>

namespace tildora {

namespace {

// A two-language text on two lines, Basque above Spanish.
QString EnDosLineas(std::string_view texto) {
    return TextoQt(texto).replace(QStringLiteral(" / "), QStringLiteral("\n"));
}

} // namespace

ContextoTexto::ContextoTexto(const Documento& documento, VistaTexto& vista, QLabel& cuenta,
                             QLabel& mostrado, QToolButton& previa,
                             std::function<std::vector<Fila>()> filas)
    : QObject(&vista), m_vista(vista), m_cuenta(cuenta), m_mostrado(mostrado), m_boton(previa),
      m_filas(std::move(filas)), m_buscador(documento), m_previa(documento) {
    m_boton.setCheckable(true);
    connect(&m_vista, &VistaTexto::ActualOlvidada, this, [this] {
        m_buscador.Olvidar();
        Contar();
    });
    Contar();
    DecirTexto();
}

void ContextoTexto::FilaActual(const std::string& clave) {
    m_buscador.FilaActual(clave);
    m_vista.MarcarOcurrencias(m_buscador.Todas());
    m_vista.MarcarActual(modelo::Buscador::npos, 0);
    Contar();
}

void ContextoTexto::RespuestasCambiadas() {
    m_previa.RespuestasCambiadas();
    if (m_previa.Mostrada()) {
        // Made again where the user is looking: the view stays where it is.
        MostrarPrevia(true, false);
    }
}

void ContextoTexto::Primera() {
    if (m_buscador.Primera()) {
        Elegida();
    }
}

void ContextoTexto::Siguiente() {
    if (m_buscador.Siguiente(m_vista.InicioSeleccion(), m_vista.FinSeleccion())) {
        Elegida();
    }
}

void ContextoTexto::Anterior() {
    if (m_buscador.Anterior(m_vista.InicioSeleccion())) {
        Elegida();
    }
}

void ContextoTexto::Elegida() {
    // The view is only selected and scrolled, never written; with none
    // chosen, no earlier selection may pass for it.
    const auto [inicio, fin] = m_buscador.Seleccion();
    const std::size_t actual = m_buscador.Actual();
    m_vista.Seleccionar(inicio, fin);
    m_vista.MarcarActual(actual, actual == modelo::Buscador::npos ? 0 : m_buscador.Largo());
    if (actual != modelo::Buscador::npos) {
        m_vista.MostrarPosicion(actual);
    }
    Contar();
}

void ContextoTexto::Contar() {
    m_cuenta.setText(QString::fromStdString(m_buscador.Cuenta()));
}

void ContextoTexto::AlternarPrevia() {
    MostrarPrevia(!m_previa.Mostrada());
}

void ContextoTexto::MostrarPrevia(bool previa, bool situar) {
    m_vista.MostrarPrevia(m_previa.Mostrar(previa, m_filas));
    m_boton.setChecked(previa);
    if (situar && m_buscador.Actual() != modelo::Buscador::npos) {
        m_vista.MostrarPosicion(m_buscador.Actual());
    }
    DecirTexto();
}

void ContextoTexto::DecirTexto() {
    const std::string_view texto = m_previa.Titulo();
    m_mostrado.setText(EnDosLineas(texto));
    m_mostrado.setAccessibleName(TextoQt(texto));
}

} // namespace tildora
