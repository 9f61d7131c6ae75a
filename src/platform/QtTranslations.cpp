#include "QtTranslations.h"

#include <QCoreApplication>
#include <clocale>
#include <langinfo.h>
#include <iterator>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quaverly {

LocaleEnvironment UseJapaneseSystemLocale()
{
    // Qt's file dialogs write sizes and dates by the system locale, which Qt
    // reads from the environment while the application is made: the language
    // of its texts ("バイト") from LC_MESSAGES, dates from LC_TIME.
    LocaleEnvironment saved;
    for (const char* name : LocaleEnvironment::Names) {
        saved.values.push_back(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                               : std::nullopt);
    }
    QByteArray current = qgetenv("LC_ALL");
    if (current.isEmpty()) {
        current = qgetenv("LC_MESSAGES");
    }
    if (current.isEmpty()) {
        current = qgetenv("LANG");
    }
    if (current.startsWith("ja")) {
        return saved;
    }
    const QByteArray japanese = QByteArrayLiteral("ja_JP.UTF-8");
    if (!qEnvironmentVariableIsEmpty("LC_ALL")) {
        qputenv("LC_ALL", japanese);
    }
    qputenv("LC_MESSAGES", japanese);
    qputenv("LC_TIME", japanese);
    return saved;
}

void RestoreLocaleEnvironment(const LocaleEnvironment& saved)
{
    for (size_t i = 0; i < saved.values.size() && i < std::size(LocaleEnvironment::Names); ++i) {
        if (saved.values[i]) {
            qputenv(LocaleEnvironment::Names[i], *saved.values[i]);
        } else {
            qunsetenv(LocaleEnvironment::Names[i]);
        }
    }
    // The C library and the programs started from this one keep the user's
    // own locale (a Japanese one may not even be installed).
    std::setlocale(LC_ALL, "");
    // Qt reads and writes file names as UTF-8, as the application set it up.
    const QByteArray codeset(nl_langinfo(CODESET));
    if (codeset.compare("UTF-8", Qt::CaseInsensitive) != 0 && codeset.compare("utf8", Qt::CaseInsensitive) != 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

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
