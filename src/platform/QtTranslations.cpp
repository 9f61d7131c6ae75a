#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quaverly {

bool InstallQtTranslations(QCoreApplication& application)
{
    // Owned by the application, so it lives as long as the texts are used.
    auto* translator = new QTranslator(&application);
    // The program is Japanese whatever the user's locale: the catalogue is chosen by name.
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace quaverly
