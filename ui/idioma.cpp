#include "ui/idioma.h"

#include <QDir>
#include <QLibraryInfo>

namespace tildora {

namespace {

// The names to look for, most exact first: "pt_BR" then "pt"; a script in
// the middle ("zh_Hans_CN") is left out as Qt's files leave it ("zh_CN").
QStringList Candidatos(const QString& idioma) {
    QString nombre = idioma;
    nombre.replace(QLatin1Char('-'), QLatin1Char('_'));
    const QStringList partes = nombre.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (partes.isEmpty()) {
        return {};
    }
    QStringList candidatos{partes.join(QLatin1Char('_'))};
    if (partes.size() > 2) {
        candidatos.append(partes.front() + QLatin1Char('_') + partes.back());
    }
    candidatos.append(partes.front());
    if (partes.front().compare(QLatin1String("eu"), Qt::CaseInsensitive) == 0) {
        candidatos.append(QStringLiteral("es"));
    }
    candidatos.removeDuplicates();
    return candidatos;
}

} // namespace

QString IdiomaTraduccionesQt(const QStringList& idiomas, const QStringList& disponibles) {
    for (const QString& idioma : idiomas) {
        for (const QString& candidato : Candidatos(idioma)) {
            for (const QString& d : disponibles) {
                if (d.compare(candidato, Qt::CaseInsensitive) == 0) {
                    return d;
                }
            }
        }
    }
    return {};
}

std::unique_ptr<QTranslator> TraduccionesQt(const QLocale& usuario) {
    const QString prefijo = QStringLiteral("qtbase_");
    const QDir carpeta(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    QStringList disponibles;
    for (const QString& fichero :
         carpeta.entryList({prefijo + QStringLiteral("*.qm")}, QDir::Files)) {
        disponibles.append(fichero.mid(prefijo.size()).chopped(3));
    }
    const QString idioma = IdiomaTraduccionesQt(usuario.uiLanguages(), disponibles);
    if (idioma.isEmpty()) {
        return nullptr;
    }
    auto traductor = std::make_unique<QTranslator>();
    if (!traductor->load(prefijo + idioma, carpeta.path())) {
        return nullptr;
    }
    return traductor;
}

} // namespace tildora
