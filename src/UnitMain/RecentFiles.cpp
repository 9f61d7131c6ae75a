#include "RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <exception>

#include "platform/SettingsStore.h"

namespace quaverly {

namespace {

QStringList WithoutMissing(const QStringList& files)
{
    QStringList present;
    for (const QString& file : files) {
        if (!file.isEmpty() && QFileInfo(file).isFile() && !present.contains(file)) {
            present.append(file);
        }
    }
    return present;
}

}  // namespace

RecentFiles::RecentFiles(QMenu* menu, SettingsStore& settings, std::function<void(const QString&)> open,
                         QObject* parent)
    : QObject(parent), m_menu(menu), m_settings(settings), m_open(std::move(open))
{
    connect(m_menu, &QMenu::aboutToShow, this, &RecentFiles::FillMenu);
    FillMenu();
}

QStringList RecentFiles::Files() const
{
    return WithoutMissing(m_settings.Value(QString::fromLatin1(SettingsKey)).toStringList());
}

void RecentFiles::Note(const QString& path)
{
    if (path.isEmpty() || path == m_lastNoted) {
        return;
    }
    m_lastNoted = path;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = Files();
    files.removeAll(absolute);
    files.prepend(absolute);
    Store(files);
}

void RecentFiles::Forget(const QString& path)
{
    QStringList files = m_settings.Value(QString::fromLatin1(SettingsKey)).toStringList();
    files.removeAll(path);
    Store(WithoutMissing(files));
}

void RecentFiles::Store(const QStringList& files)
{
    try {
        m_settings.SetValue(QString::fromLatin1(SettingsKey), files.mid(0, MaximumCount));
    } catch (const std::exception&) {
        // The list is a convenience: a settings file that cannot be written
        // costs the list, never the command that bound the file.
    }
    FillMenu();
}

void RecentFiles::FillMenu()
{
    // Later: the chosen item may be the one whose signal is running.
    for (QAction* old : m_menu->actions()) {
        m_menu->removeAction(old);
        old->setObjectName(QString());
        old->deleteLater();
    }
    const QStringList stored = m_settings.Value(QString::fromLatin1(SettingsKey)).toStringList();
    const QStringList files = WithoutMissing(stored);
    if (files != stored) {
        try {
            m_settings.SetValue(QString::fromLatin1(SettingsKey), files);
        } catch (const std::exception&) {
            // Shown without them all the same; stored at the next success.
        }
    }
    int number = 1;
    for (const QString& file : files) {
        // "&1 kaeru.mld", the full path as the tip and in the status bar.
        const QString caption = QStringLiteral("&%1 %2").arg(number % 10).arg(QFileInfo(file).fileName().replace(
            QLatin1Char('&'), QStringLiteral("&&")));
        auto* action = new QAction(caption, m_menu);
        m_menu->addAction(action);
        action->setObjectName(QStringLiteral("mnRecentFile%1").arg(number));
        action->setToolTip(QDir::toNativeSeparators(file));
        action->setStatusTip(QDir::toNativeSeparators(file));
        connect(action, &QAction::triggered, this, [this, file] { m_open(file); });
        ++number;
    }
    if (files.isEmpty()) {
        auto* none = new QAction(QStringLiteral("（なし）"), m_menu);
        m_menu->addAction(none);
        none->setEnabled(false);
        return;
    }
    m_menu->addSeparator();
    auto* clear = new QAction(QStringLiteral("一覧を消去(&C)"), m_menu);
    m_menu->addAction(clear);
    clear->setObjectName(QStringLiteral("mnRecentFilesClear"));
    connect(clear, &QAction::triggered, this, [this] { Store({}); });
}

}  // namespace quaverly
