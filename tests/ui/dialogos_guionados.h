#pragma once

// The scripted dialogs of tests/modelos/dialogos_guionados.h with Qt's
// strings and lists, for the window tests.

#include "tests/modelos/dialogos_guionados.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <string>

namespace tildora::pruebas {

struct RasgosQt {
    using Texto = QString;
    template <typename T> using Lista = QList<T>;
    template <typename T> using Cola = QQueue<T>;
    static QString De(const std::string& utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }
    static std::string Utf8(const QString& texto) { return texto.toUtf8().toStdString(); }
};

using DialogosGuionados = DialogosGuionadosDe<RasgosQt>;

} // namespace tildora::pruebas
