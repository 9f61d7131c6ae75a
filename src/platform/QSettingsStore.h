// The per-user settings store over QSettings: organization "Fernwick",
// application "Quaverly" (the registry key "Software\Fernwick\Quaverly" on
// Windows, ~/.config/Fernwick/Quaverly.conf elsewhere). Tests give it an ini
// file of their own so that a "restart" reads what the last run wrote.
//
// A settings file is never rewritten in place: QSettings reports a write cut
// short by a full disk as success and leaves an empty file behind. Every save
// writes the whole store to a staging file beside the real one, reads it back
// with a fresh QSettings, and only a staging file holding every value is
// renamed over the real file. A failed save leaves the old file as it was.
#pragma once

#include <QMap>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "SettingsStore.h"

namespace quaverly {

class QSettingsStore : public SettingsStore {
public:
    // The user's own store.
    QSettingsStore();
    // An ini file at that path, created on the first write.
    explicit QSettingsStore(const QString& iniFilePath);
    ~QSettingsStore() override;

    bool Contains(const QString& key) const override;
    QVariant Value(const QString& key, const QVariant& fallback = {}) const override;
    // Written through at once, so a crash later in the run does not lose it.
    // Throws FileError when the file cannot be replaced; the store and the
    // file then keep their old values.
    void SetValue(const QString& key, const QVariant& value) override;

    // Tests only: called with the staging file's path after QSettings wrote
    // it and before it is read back, to damage it as a failing disk would.
    void SetStagingHookForTest(std::function<void(const QString& stagingPath)> hook);

private:
    void Save(const QMap<QString, QVariant>& values) const;

    QString m_filePath;  // empty where the store is the registry
    std::unique_ptr<QSettings> m_registry;
    // Set by the load of m_values, so declared before it.
    // False when the file existed but could not be read: a save then needs a
    // readable file, or it would drop the values it holds.
    bool m_loaded = true;
    QMap<QString, QVariant> m_values;
    std::function<void(const QString&)> m_stagingHook;
};

}  // namespace quaverly
