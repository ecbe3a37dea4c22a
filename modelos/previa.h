#pragma once

// Which text the conversion window's view shows: the working copy, or the
// preview (F4), the text as the accept would write it with the grid's
// answers as they are now. The preview's composition is made when it comes
// to be shown, and made again, when it shows, after an answer changed.

#include "core/correccion.h"
#include "core/documento.h"
#include "core/vistaprevia.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tildora::modelo {

class Previa {
public:
    // Keeps a reference to the document, which must outlive it.
    explicit Previa(const Documento& documento) : m_documento(documento) {}

    bool Mostrada() const { return m_mostrada; }
    // Shows the preview or the working copy. Shown, the preview is the
    // composition of `filas` (the grid's rows, asked for only when the one
    // made before is out of date); nullptr for the working copy. It stays
    // alive until the next call.
    template <typename Filas> const VistaPrevia* Mostrar(bool previa, Filas&& filas) {
        m_mostrada = previa;
        if (!previa) {
            return nullptr;
        }
        if (m_vieja || !m_composicion) {
            Componer(filas());
        }
        return &*m_composicion;
    }
    // A row's answer changed: the preview shown must be made again (it is,
    // the next time it is shown).
    void RespuestasCambiadas() { m_vieja = true; }

    // What the label under the view says of the text shown.
    std::string_view Titulo() const;

private:
    void Componer(const std::vector<Fila>& filas);

    const Documento& m_documento;
    bool m_mostrada = false;
    std::optional<VistaPrevia> m_composicion;
    bool m_vieja = true;
};

} // namespace tildora::modelo
