#include "QSettingsStore.h"

namespace quaverly {

QSettingsStore::QSettingsStore() : m_settings(QStringLiteral("Fernwick"), QStringLiteral("Quaverly")) {}

QSettingsStore::QSettingsStore(const QString& iniFilePath) : m_settings(iniFilePath, QSettings::IniFormat) {}

bool QSettingsStore::Contains(const QString& key) const
{
    return m_settings.contains(key);
}

QVariant QSettingsStore::Value(const QString& key, const QVariant& fallback) const
{
    return m_settings.value(key, fallback);
}

void QSettingsStore::SetValue(const QString& key, const QVariant& value)
{
    m_settings.setValue(key, value);
    m_settings.sync();
}

}  // namespace quaverly
