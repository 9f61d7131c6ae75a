// The pieces of the MLD file browser's folder listing that are not wiring:
// which names are melody files, the date column's text, the progress label
// that stays cheap on large folders, and the column sizing.
#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

class QLabel;
class QTreeWidget;

namespace quaverly {

// True for a name whose extension, upper-cased, is exactly ".MLD".
bool IsMelodyFileName(const QString& name);

// The folder's melody files in the order the directory returns them: regular
// files (a symbolic link counts by its target), hidden ones included. Folders,
// FIFOs, devices and broken links are left out: reading a FIFO or a device
// could block or never end.
QList<QFileInfo> MelodyFiles(const QString& folder);

// The folder with a trailing "/" unless it already ends with one.
QString WithTrailingSeparator(const QString& folder);

// The file's last-write time in local time as "yyyy/MM/dd hh:mm:ss", or empty
// when the file cannot be opened for reading. Uses what the folder search
// already knows of the file, so that a large folder costs no extra opening.
QString MelodyFileDate(const QFileInfo& file);

// Widest text of each column (header caption included) in the list's font,
// plus 16 pixels.
void SizeColumnsToContents(QTreeWidget* list);

// Shows the listing's progress in a label. Every text is set, but the label
// is repainted at most every 50 ms, so that a folder of thousands of files is
// not slowed down by painting; the final text is always painted.
class ProgressLabel {
public:
    explicit ProgressLabel(QLabel* label);
    void Show(const QString& text);
    void ShowFinal(const QString& text);

private:
    QLabel* m_label;
    QElapsedTimer m_sinceRepaint;
};

}  // namespace quaverly
