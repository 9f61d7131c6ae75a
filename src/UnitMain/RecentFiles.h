// The recent-files list of the File menu: the melody files the window was
// last bound to (opened, dropped or saved), newest first, kept in the
// settings store so that the next run offers them. A file that no longer
// exists is dropped from the list whenever the list is shown or stored.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QMenu;

namespace quaverly {

class SettingsStore;

class RecentFiles : public QObject {
    Q_OBJECT

public:
    // The settings key of the list: a list of full paths, newest first.
    static constexpr const char* SettingsKey = "RecentFiles";
    static constexpr int MaximumCount = 8;

    // menu is the submenu the list fills each time it is about to show;
    // open is called with the chosen path.
    RecentFiles(QMenu* menu, SettingsStore& settings, std::function<void(const QString&)> open, QObject* parent);

    // The window is now bound to path: it moves to the top of the list. An
    // empty path, or the one already on top, changes nothing. A list that
    // cannot be stored is kept for this run only: the document is not
    // concerned.
    void Note(const QString& path);
    // The stored list, missing files left out.
    QStringList Files() const;
    // Drops one path (a file found missing when chosen).
    void Forget(const QString& path);
    // Fills the menu from the list now (also done each time it shows).
    void FillMenu();

private:
    void Store(const QStringList& files);

    QMenu* m_menu;
    SettingsStore& m_settings;
    std::function<void(const QString&)> m_open;
    QString m_lastNoted;
};

}  // namespace quaverly
