// Qt's own texts in Japanese: the buttons and captions of the standard
// dialogs ("キャンセル", "名前を付けて保存") come from Qt's translation
// catalogue, which Debian installs with qt6-translations-l10n.
#pragma once

class QCoreApplication;

namespace quaverly {

// Loads "qtbase_ja" from Qt's translation folder into the application.
// False when the catalogue is not installed; Qt's texts then stay English.
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace quaverly
