// A settings store in memory, for tests: nothing reaches the user's settings.
#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

#include "platform/SettingsStore.h"

namespace quaverly {

class MemorySettingsStore : public SettingsStore {
public:
    bool Contains(const QString& key) const override { return values.contains(key); }
    QVariant Value(const QString& key, const QVariant& fallback = {}) const override
    {
        return values.value(key, fallback);
    }
    void SetValue(const QString& key, const QVariant& value) override { values.insert(key, value); }

    QMap<QString, QVariant> values;
};

}  // namespace quaverly
