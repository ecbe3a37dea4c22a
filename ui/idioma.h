#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <memory>

namespace tildora {

// The language of Qt's own translations (its message-box buttons and file
// dialogs) for a user whose languages, preferred first, are `idiomas` (as
// QLocale::uiLanguages gives them: "eu-ES", "pt-BR"), given the languages Qt's
// translations are installed for (`disponibles`, as their files name them:
// "es", "pt_BR"). Qt has no Basque: a Basque user gets Spanish, the windows'
// other language. Empty when none fits, which leaves Qt's own English.
QString IdiomaTraduccionesQt(const QStringList& idiomas, const QStringList& disponibles);

// Qt's translations (qtbase, from Qt's translations folder) for `usuario`'s
// languages, loaded; null when none fits or none is installed.
std::unique_ptr<QTranslator> TraduccionesQt(const QLocale& usuario = QLocale::system());

} // namespace tildora
