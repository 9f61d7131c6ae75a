// The per-user settings store over QSettings: organization "Fernwick",
// application "Quaverly" (the registry key "Software\Fernwick\Quaverly" on
// Windows, ~/.config/Fernwick/Quaverly.conf elsewhere). Tests give it an ini
// file of their own so that a "restart" reads what the last run wrote.
#pragma once

#include <QSettings>

#include "SettingsStore.h"

namespace quaverly {

class QSettingsStore : public SettingsStore {
public:
    // The user's own store.
    QSettingsStore();
    // An ini file at that path, created on the first write.
    explicit QSettingsStore(const QString& iniFilePath);

    bool Contains(const QString& key) const override;
    QVariant Value(const QString& key, const QVariant& fallback = {}) const override;
    // Written through at once, so a crash later in the run does not lose it.
    void SetValue(const QString& key, const QVariant& value) override;

private:
    QSettings m_settings;
};

}  // namespace quaverly
