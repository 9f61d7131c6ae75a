// Qt's own texts in Japanese: the buttons and captions of the standard
// dialogs ("キャンセル", "名前を付けて保存") come from Qt's translation
// catalogue, which Debian installs with qt6-translations-l10n.
#pragma once

#include <QByteArray>
#include <optional>
#include <vector>

class QCoreApplication;

namespace quaverly {

// The locale environment as it was, to be put back once the application is made.
struct LocaleEnvironment {
    static constexpr const char* Names[] = {"LC_ALL", "LC_MESSAGES", "LC_TIME"};
    std::vector<std::optional<QByteArray>> values;  // by Names; nothing: unset
};

// Called before the application is made: its system locale (the texts, sizes
// and dates of Qt's file dialogs) is then Japanese also for a user whose
// locale is another. RestoreLocaleEnvironment, right after the application
// is made, puts the environment and the C library's locale back.
LocaleEnvironment UseJapaneseSystemLocale();
void RestoreLocaleEnvironment(const LocaleEnvironment& saved);

// Loads "qtbase_ja" from Qt's translation folder into the application.
// False when the catalogue is not installed; Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace quaverly
