// A settings store in memory, for tests: nothing reaches the user's settings.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>
#include <cerrno>

#include "base/Errors.h"
#include "base/Messages.h"
#include "platform/SettingsStore.h"

namespace quaverly {

class MemorySettingsStore : public SettingsStore {
public:
    bool Contains(const QString& key) const override { return values.contains(key); }
    QVariant Value(const QString& key, const QVariant& fallback = {}) const override
    {
        return values.value(key, fallback);
    }
    void SetValue(const QString& key, const QVariant& value) override
    {
        if (failSaves) {
            throw FileError(Msg::FileWriteFailed, "Quaverly.conf", ENOSPC);
        }
        values.insert(key, value);
    }

    QMap<QString, QVariant> values;
    // Every save fails as on a full disk, leaving the values as they were.
    bool failSaves = false;
};

}  // namespace quaverly
