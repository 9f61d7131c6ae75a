#include "JournalFiles.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>

namespace quaverly {

namespace {

const QString JournalSuffix = QStringLiteral(".journal");

// The time the system started, or an invalid time where it cannot be read.
QDateTime BootTime()
{
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!uptime.open(QIODevice::ReadOnly)) {
        return {};
    }
    bool isNumber = false;
    const double seconds = uptime.readAll().split(' ').value(0).toDouble(&isNumber);
    return isNumber ? QDateTime::currentDateTime().addMSecs(-static_cast<qint64>(seconds * 1000)) : QDateTime();
}

}  // namespace

QString DefaultJournalFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/journal");
}

QString OwnJournalPath(const QString& folder)
{
    return folder + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()) + JournalSuffix;
}

QString TakenJournalPath(const QString& folder)
{
    return folder + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()) + QStringLiteral(".taken") +
           JournalSuffix;
}

bool JournalOwnerRunning(qint64 processId)
{
    if (processId <= 0 || processId != static_cast<pid_t>(processId)) {
        return false;
    }
    // Signal 0 only asks whether the process exists; EPERM means it does.
    if (::kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM) {
        return false;
    }
    // A killed process whose parent has not yet collected it still answers
    // signal 0; the kernel lists it as a zombie ("Z" after the name).
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray line = stat.readAll();
        const qsizetype nameEnd = line.lastIndexOf(')');
        if (nameEnd >= 0 && line.mid(nameEnd + 2, 1) == "Z") {
            return false;
        }
    }
    return true;
}

QStringList OrphanedJournals(const QString& folder)
{
    QStringList orphans;
    // A journal written before the system started cannot belong to a running
    // process, whatever process now has the id in its name.
    const QDateTime bootTime = BootTime();
    const QFileInfoList entries =
        QDir(folder).entryInfoList({QLatin1Char('*') + JournalSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& entry : entries) {
        bool isNumber = false;
        const qint64 processId = entry.baseName().toLongLong(&isNumber);
        const bool beforeBoot = bootTime.isValid() && entry.lastModified() < bootTime;
        if (processId == QCoreApplication::applicationPid() ||
            (isNumber && !beforeBoot && JournalOwnerRunning(processId))) {
            continue;
        }
        orphans.append(entry.absoluteFilePath());
    }
    return orphans;
}

QString SetJournalAside(const QString& path)
{
    const QString aside =
        path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    return QFile::rename(path, aside) ? aside : path;
}

}  // namespace quaverly
