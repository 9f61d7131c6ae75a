// The per-user settings store: organization "Fernwick", application
// "Quaverly" (on Windows the key "Software\Fernwick\Quaverly"). Keys are
// "group/name", e.g. "Midi/EditTempo" and "FormMainWinPlace1".
#pragma once

#include <QString>
#include <QVariant>

namespace quaverly {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool Contains(const QString& key) const = 0;
    virtual QVariant Value(const QString& key, const QVariant& fallback = {}) const = 0;
    // Stores and saves the value; throws QuaverlyError (a FileError naming
    // the settings file) when it cannot be saved, leaving the old value.
    virtual void SetValue(const QString& key, const QVariant& value) = 0;
};

}  // namespace quaverly
