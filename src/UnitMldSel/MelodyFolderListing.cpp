#include "MelodyFolderListing.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

#include "UnitMld/FileKind.h"

namespace quaverly {

namespace {

constexpr int ColumnPadding = 16;
constexpr qint64 RepaintIntervalMs = 50;

}  // namespace

bool IsMelodyFileName(const QString& name)
{
    return FileKindOf(QFile::encodeName(name).toStdString()) == FileKind::Melody;
}

QList<QFileInfo> MelodyFiles(const QString& folder)
{
    QList<QFileInfo> files;
    QDirIterator entries(folder, QDir::Files | QDir::Hidden);
    while (entries.hasNext()) {
        entries.next();
        QFileInfo entry = entries.fileInfo();
        if (IsMelodyFileName(entry.fileName()) && entry.isFile()) {
            files.append(entry);
        }
    }
    return files;
}

QString WithTrailingSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString MelodyFileDate(const QFileInfo& file)
{
    if (!file.isReadable()) {
        return {};
    }
    return file.lastModified().toLocalTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

void SizeColumnsToContents(QTreeWidget* list)
{
    QFontMetrics metrics(list->font());
    QTreeWidgetItem* header = list->headerItem();
    for (int column = 0; column < list->columnCount(); ++column) {
        int widest = metrics.horizontalAdvance(header->text(column));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            widest = std::max(widest, metrics.horizontalAdvance(list->topLevelItem(row)->text(column)));
        }
        list->setColumnWidth(column, widest + ColumnPadding);
    }
}

ProgressLabel::ProgressLabel(QLabel* label) : m_label(label)
{
    m_sinceRepaint.start();
}

void ProgressLabel::Show(const QString& text)
{
    m_label->setText(text);
    if (m_sinceRepaint.elapsed() >= RepaintIntervalMs) {
        m_label->repaint();
        m_sinceRepaint.restart();
    }
}

void ProgressLabel::ShowFinal(const QString& text)
{
    m_label->setText(text);
    m_label->repaint();
}

}  // namespace quaverly
