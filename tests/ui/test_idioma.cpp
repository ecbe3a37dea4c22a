// Which of Qt's translations the windows' program loads for the user's
// languages.

#include "ui/idioma.h"

#include <QDir>
#include <QLibraryInfo>
#include <QtTest>

using namespace tildora;

class PruebaIdioma : public QObject {
    Q_OBJECT

private slots:
    void eleccion();
    void vascoCargaEspanol();
};

void PruebaIdioma::eleccion() {
    struct Caso {
        QStringList idiomas;
        QStringList disponibles;
        QString elegido;
    };
    const Caso casos[] = {
        // Qt has no Basque: Spanish, the windows' other language.
        {{"eu-ES", "eu-Latn-ES", "eu"}, {"ar", "es", "fr"}, "es"},
        {{"eu-ES"}, {"eu", "es"}, "eu"},
        {{"eu-ES"}, {"fr"}, ""},
        // Any other language Qt has, the territory's own first.
        {{"fr-FR", "fr-Latn-FR", "fr"}, {"es", "fr"}, "fr"},
        {{"pt-BR"}, {"pt_BR", "pt_PT"}, "pt_BR"},
        {{"pt-PT"}, {"pt_BR", "pt"}, "pt"},
        {{"zh-Hans-CN"}, {"zh_CN", "zh_TW"}, "zh_CN"},
        // A language Qt does not have: the next one the user named, else
        // Qt's own English.
        {{"gl-ES", "gl"}, {"es", "fr"}, ""},
        {{"gl-ES", "es-ES"}, {"es", "fr"}, "es"},
        {{"C"}, {"es"}, ""},
    };
    for (const Caso& c : casos) {
        QCOMPARE(IdiomaTraduccionesQt(c.idiomas, c.disponibles), c.elegido);
    }
}

void PruebaIdioma::vascoCargaEspanol() {
    const QDir carpeta(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!carpeta.exists(QStringLiteral("qtbase_es.qm"))) {
        QSKIP("qt6-translations-l10n is not installed");
    }
    const std::unique_ptr<QTranslator> t = TraduccionesQt(QLocale(QLocale::Basque, QLocale::Spain));
    QVERIFY(t);
    QCOMPARE(QFileInfo(t->filePath()).fileName(), QStringLiteral("qtbase_es.qm"));
    QCOMPARE(t->translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}

QTEST_GUILESS_MAIN(PruebaIdioma)
#include "test_idioma.moc"
