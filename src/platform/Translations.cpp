#include "platform/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallTranslations(QCoreApplication& app) {
    const QLocale locale;
    if (locale.language() == QLocale::C || locale.language() == QLocale::English)
        return;
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const QString& folder : {exe.filePath(QStringLiteral("translations")),
                                  exe.filePath(QStringLiteral("../share/hushwire/translations"))}) {
        auto* own = new QTranslator(&app);
        if (own->load(locale, QStringLiteral("hushwire"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(own);
            break;
        }
        delete own;
    }
    // Qt's own texts (standard buttons, file dialogs), where the system has them.
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
}
