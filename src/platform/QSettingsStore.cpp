#include "QSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include "SjisText.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// Every value in the file; false in readable when the file could not be read.
QMap<QString, QVariant> AllValues(const QSettings& settings, bool* readable = nullptr)
{
    if (readable != nullptr) {
        *readable = settings.status() != QSettings::AccessError;
    }
    QMap<QString, QVariant> values;
    for (const QString& key : settings.allKeys()) {
        values.insert(key, settings.value(key));
    }
    return values;
}

// What QSettings read back matches what was written: byte arrays exactly,
// everything else by its text, since an ini file keeps numbers as text.
bool SameValue(const QVariant& read, const QVariant& written)
{
    if (written.typeId() == QMetaType::QByteArray) {
        return read.typeId() == QMetaType::QByteArray && read.toByteArray() == written.toByteArray();
    }
    return read == written || read.toString() == written.toString();
}

bool HoldsExactly(const QSettings& settings, const QMap<QString, QVariant>& values)
{
    if (settings.status() != QSettings::NoError || settings.allKeys().size() != values.size()) {
        return false;
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!settings.contains(it.key()) || !SameValue(settings.value(it.key()), it.value())) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void ThrowWriteFailed(const QString& path, int errorNumber)
{
    // The path as the file system names it: FileError converts it for the message once.
    throw FileError(Msg::FileWriteFailed, QFile::encodeName(QDir::toNativeSeparators(path)).toStdString(),
                    errorNumber != 0 ? errorNumber : EIO);
}

#ifndef Q_OS_WIN
// An empty file of a name no QSettings in this run has seen: QSettings keeps
// what it last wrote to a path and would answer a read-back from that memory
// instead of from the disk.
QString NewStagingFile(const QString& folder, const QString& name, QTemporaryFile& file)
{
    file.setFileTemplate(folder + QLatin1Char('/') + name + QStringLiteral(".XXXXXX"));
    if (!file.open()) {
        return {};
    }
    // Asked while open, so that the name is given to the file on the disk.
    const QString path = file.fileName();
    file.close();
    return QFileInfo::exists(path) ? path : QString();
}

bool RenameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
#endif

// QSettings remembers a file it has read by name, size and time, so a file
// saved again by another store of this run with the same size within the
// same millisecond would look unchanged to it. Read through a fresh name (a
// hard link) where the file system allows one.
QMap<QString, QVariant> ReadFile(const QString& path, bool* readable)
{
#ifndef Q_OS_WIN
    const QFileInfo target(path);
    QTemporaryFile alias;
    const QString name = target.exists() ? NewStagingFile(target.absolutePath(), target.fileName(), alias) : QString();
    if (!name.isEmpty()) {
        const QByteArray aliasName = QFile::encodeName(name);
        ::unlink(aliasName.constData());
        if (::link(QFile::encodeName(path).constData(), aliasName.constData()) == 0) {
            return AllValues(QSettings(name, QSettings::IniFormat), readable);
        }
    }
#endif
    return AllValues(QSettings(path, QSettings::IniFormat), readable);
}

}  // namespace

QSettingsStore::QSettingsStore()
{
#ifdef Q_OS_WIN
    m_registry = std::make_unique<QSettings>(QStringLiteral("Fernwick"), QStringLiteral("Quaverly"));
    m_values = AllValues(*m_registry);
#else
    // The native format here is the ini format, in the user's config folder.
    m_filePath = QSettings(QStringLiteral("Fernwick"), QStringLiteral("Quaverly")).fileName();
    m_values = ReadFile(m_filePath, &m_loaded);
#endif
}

QSettingsStore::QSettingsStore(const QString& iniFilePath)
    : m_filePath(iniFilePath), m_values(ReadFile(iniFilePath, &m_loaded))
{
}

QSettingsStore::~QSettingsStore() = default;

bool QSettingsStore::Contains(const QString& key) const
{
    return m_values.contains(key);
}

QVariant QSettingsStore::Value(const QString& key, const QVariant& fallback) const
{
    return m_values.value(key, fallback);
}

void QSettingsStore::SetValue(const QString& key, const QVariant& value)
{
    QMap<QString, QVariant> values;
#ifndef Q_OS_WIN
    // The file read again, with what this store holds laid over it: a value
    // lost to a failed read here or at the load survives in the other read.
    bool readable = false;
    values = ReadFile(m_filePath, &readable);
    if (!readable && !m_loaded) {
        ThrowWriteFailed(m_filePath, EIO);
    }
#endif
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        values.insert(it.key(), it.value());
    }
    values.insert(key, value);
    Save(values);
    m_values = values;
}

void QSettingsStore::SetStagingHookForTest(std::function<void(const QString& stagingPath)> hook)
{
    m_stagingHook = std::move(hook);
}

#ifdef Q_OS_WIN
void QSettingsStore::Save(const QMap<QString, QVariant>& values) const
{
    std::unique_ptr<QSettings> file;
    QSettings* settings = m_registry.get();
    if (settings == nullptr) {
        file = std::make_unique<QSettings>(m_filePath, QSettings::IniFormat);
        settings = file.get();
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        settings->setValue(it.key(), it.value());
    }
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        ThrowWriteFailed(m_filePath.isEmpty() ? settings->fileName() : m_filePath, EIO);
    }
}
#else
void QSettingsStore::Save(const QMap<QString, QVariant>& values) const
{
    const QFileInfo target(m_filePath);
    const QString folder = target.absolutePath();
    if (!QDir().mkpath(folder)) {
        ThrowWriteFailed(m_filePath, errno);
    }
    // Both staging files are removed when they go out of scope, unless the
    // second one has become the settings file.
    QTemporaryFile writtenFile, checkedFile;
    const QString written = NewStagingFile(folder, target.fileName(), writtenFile);
    const QString checked = written.isEmpty() ? QString() : NewStagingFile(folder, target.fileName(), checkedFile);
    if (checked.isEmpty()) {
        ThrowWriteFailed(m_filePath, errno);
    }
    {
        QSettings staging(written, QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            staging.setValue(it.key(), it.value());
        }
        staging.sync();
        if (staging.status() != QSettings::NoError) {
            ThrowWriteFailed(m_filePath, EIO);
        }
    }
    // Read back under the second name, which QSettings has never written.
    if (!RenameOver(written, checked)) {
        ThrowWriteFailed(m_filePath, errno);
    }
    if (m_stagingHook) {
        m_stagingHook(checked);
    }
    if (!HoldsExactly(QSettings(checked, QSettings::IniFormat), values)) {
        ThrowWriteFailed(m_filePath, EIO);
    }
    // The checked bytes replace the settings file the way every file of the
    // program is saved: synced temporary file, then rename.
    std::string bytes;
    try {
        bytes = ReadWholeFile(QFile::encodeName(checked).toStdString());
    } catch (const FileError& error) {
        ThrowWriteFailed(m_filePath, error.ErrorNumber());
    }
    WriteWholeFile(QFile::encodeName(m_filePath).toStdString(), bytes);
}
#endif

}  // namespace quaverly
