#include "TFormMldSelect.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <exception>

#include "MelodyFolderListing.h"
#include "base/Errors.h"
#include "UnitMld/MelodyStore.h"
#include "base/Messages.h"
#include "platform/FormLook.h"
#include "components/GridLineDelegate.h"
#include "platform/MessageBoxes.h"
#include "platform/SjisText.h"
#include "ui_TFormMldSelect.h"

namespace quaverly {

namespace {

constexpr int TreeWidth = 201;
constexpr int RevealDelayMs = 100;
constexpr int TitleColumnWidths[] = {100, 200, 100};

// Restores the cursor and the list's drawing however the listing ends.
class ListingGuard {
public:
    explicit ListingGuard(QWidget* list) : m_list(list)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_list->setUpdatesEnabled(false);
    }
    ~ListingGuard()
    {
        m_list->setUpdatesEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    ListingGuard(const ListingGuard&) = delete;
    ListingGuard& operator=(const ListingGuard&) = delete;

private:
    QWidget* m_list;
};

QString ProgressText(std::string_view format, int done, int total)
{
    return FromSjis(format).replace(QLatin1String("%d/%d"), QStringLiteral("%1/%2").arg(done).arg(total));
}

}  // namespace

TFormMldSelect::TFormMldSelect(MessageBoxes& boxes, QWidget* parent, TitleReader readTitle)
    : QDialog(parent),
      ui(std::make_unique<Ui::TFormMldSelect>()),
      m_boxes(boxes),
      m_readTitle(readTitle ? std::move(readTitle) : TitleReader(ReadMelodyTitle))
{
    ui->setupUi(this);
    ApplyWindowFont(this);

    ui->ShellTreeView1->installEventFilter(this);
    ui->Splitter1->setSizes({TreeWidth, width() - TreeWidth});
    ui->Splitter1->setStretchFactor(1, 1);

    ui->ListView1->setItemDelegate(new GridLineDelegate(ui->ListView1));
    // The rows stay sorted by their caption: the headers do not re-sort.
    ui->ListView1->sortByColumn(0, Qt::AscendingOrder);
    ui->ListView1->header()->setSectionsClickable(false);
    ui->ListView1->header()->setSortIndicatorShown(false);
    for (int column = 0; column < 3; ++column) {
        ui->ListView1->setColumnWidth(column, TitleColumnWidths[column]);
    }
    // The selection stays visible in its normal colour when the list has no focus.
    QPalette palette = ui->ListView1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ui->ListView1->setPalette(palette);

    connect(ui->ShellTreeView1, &QTreeView::doubleClicked, this, &TFormMldSelect::ShellTreeView1DblClick);
    connect(ui->ButtonOK, &QPushButton::clicked, this, &TFormMldSelect::ButtonOKClick);
    connect(ui->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormMldSelect::~TFormMldSelect() = default;

void TFormMldSelect::StartFolderTree()
{
    if (m_folders != nullptr) {
        return;
    }
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setReadOnly(true);
    m_folders->setRootPath(QString());
    ui->ShellTreeView1->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column) {
        ui->ShellTreeView1->hideColumn(column);
    }
    connect(m_folders, &QFileSystemModel::directoryLoaded, this, &TFormMldSelect::FolderLoaded);
}

void TFormMldSelect::showEvent(QShowEvent* event)
{
    // The first showing opens the tree at the home folder, unless a folder
    // was selected before.
    if (m_folders == nullptr) {
        SelectFolderInTree(QDir::homePath());
    }
    QDialog::showEvent(event);
}

QString TFormMldSelect::SelectedNodePath() const
{
    QModelIndex node = ui->ShellTreeView1->currentIndex();
    return node.isValid() && m_folders != nullptr ? m_folders->filePath(node) : QString();
}

void TFormMldSelect::SelectFolderInTree(const QString& folder)
{
    StartFolderTree();
    QModelIndex node = m_folders->index(folder);
    ui->ShellTreeView1->setCurrentIndex(node);
    if (node.isValid()) {
        m_folderToReveal = m_folders->filePath(node);
        ui->ShellTreeView1->scrollTo(node, QAbstractItemView::PositionAtCenter);
    }
}

void TFormMldSelect::FolderLoaded(const QString& folder)
{
    if (m_folderToReveal.isEmpty() || !m_folderToReveal.startsWith(folder)) {
        return;
    }
    // The loaded rows are inserted and sorted after this notice: scroll once
    // the tree has them.
    const bool lastLevel = folder == QFileInfo(m_folderToReveal).path();
    QTimer::singleShot(RevealDelayMs, this, [this, lastLevel] {
        if (m_folderToReveal.isEmpty()) {
            return;
        }
        ui->ShellTreeView1->scrollTo(m_folders->index(m_folderToReveal), QAbstractItemView::PositionAtCenter);
        if (lastLevel) {
            m_folderToReveal.clear();  // from here on the user scrolls
        }
    });
}

bool TFormMldSelect::IsLocalFolderPath(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && !path.startsWith(QLatin1String("//"));
}

bool TFormMldSelect::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ShellTreeView1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        ShellTreeView1KeyDown();
        return true;  // the space never reaches the tree
    }
    return QDialog::eventFilter(watched, event);
}

void TFormMldSelect::ShellTreeView1DblClick(const QModelIndex& index)
{
    if (m_folders == nullptr) {
        return;
    }
    QString path = m_folders->filePath(index);
    if (path.isEmpty()) {
        return;
    }
    m_currentFolder = path;
    ListFolder();
}

void TFormMldSelect::ShellTreeView1KeyDown()
{
    QString path = SelectedNodePath();
    if (!IsLocalFolderPath(path)) {
        return;
    }
    m_currentFolder = path;
    ListFolder();
}

void TFormMldSelect::ListFolder()
{
    QString error;
    {
        ListingGuard guard(ui->ListView1);
        ui->Label1->clear();
        ui->Label1->repaint();
        ui->ListView1->clear();

        QString folder = WithTrailingSeparator(m_currentFolder);
        QList<QTreeWidgetItem*> rows;
        try {
            QList<QFileInfo> files = MelodyFiles(folder);
            int total = static_cast<int>(files.size());
            int done = 0;
            ProgressLabel progress(ui->Label1);
            for (const QFileInfo& file : files) {
                progress.Show(ProgressText(Msg::Reading, done, total));
                QString name = file.fileName();
                QString title = FromSjis(m_readTitle(QFile::encodeName(folder + name).toStdString()));
                rows.append(new QTreeWidgetItem(QStringList{name, title, MelodyFileDate(file)}));
                ++done;
            }
            progress.ShowFinal(ProgressText(Msg::ReadingDone, done, total));
        } catch (const std::exception& e) {
            // Core errors carry Shift-JIS text; the rows read so far stay.
            error = FromSjis(e.what());
        }
        ui->ListView1->addTopLevelItems(rows);
        SizeColumnsToContents(ui->ListView1);
    }
    if (!error.isEmpty()) {
        m_boxes.Error(error);
    }
}

void TFormMldSelect::ButtonOKClick()
{
    QList<QTreeWidgetItem*> selected = ui->ListView1->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    m_selectedFileName = WithTrailingSeparator(m_currentFolder) + selected.first()->text(0);
    accept();
}

}  // namespace quaverly
