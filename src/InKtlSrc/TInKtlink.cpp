#include "TInKtlink.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <exception>

#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/FormLook.h"
#include "platform/MessageBoxes.h"
#include "platform/SjisText.h"
#include "ui_TInKtlink.h"

namespace quaverly {

namespace {

constexpr size_t VoiceCount = 4;
constexpr int SideColumnWidth = 100;
// Where a row keeps the index of its song, so that selection survives sorting.
constexpr int SongIndexRole = Qt::UserRole;

}  // namespace

TInKtlink::TInKtlink(MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TInKtlink>()), m_boxes(boxes)
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    QHeaderView* header = ui->ListView1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Interactive);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    ui->ListView1->setColumnWidth(1, SideColumnWidth);
    ui->ListView1->setColumnWidth(2, SideColumnWidth);
    connect(ui->ButtonOK, &QPushButton::clicked, this, &TInKtlink::ButtonOKClick);
    connect(ui->Button3, &QPushButton::clicked, this, &QDialog::reject);
}

TInKtlink::~TInKtlink() = default;

bool TInKtlink::ReadKtl(const QString& path)
{
    ui->StaticText1->setText(path);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    std::vector<RingtoneSong> songs;
    try {
        songs = ReadRingtoneBook(ReadWholeFile(QFile::encodeName(path).toStdString()));
    } catch (const RingtoneBookError& e) {
        songs = e.SongsSoFar();
        error = FromSjis(e.what());
    } catch (const std::exception& e) {
        error = FromSjis(e.what());
    }
    ShowSongs(songs);
    QApplication::restoreOverrideCursor();
    if (!error.isEmpty()) {
        m_boxes.Error(error);
        return false;
    }
    return true;
}

void TInKtlink::ShowSongs(const std::vector<RingtoneSong>& songs)
{
    ui->ListView1->setUpdatesEnabled(false);
    ui->ListView1->clear();
    m_songs = songs;
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < m_songs.size(); ++i) {
        const RingtoneSong& song = m_songs[i];
        auto* row =
            new QTreeWidgetItem(QStringList{FromSjis(song.title), FromSjis(song.artist), FromSjis(song.melody)});
        row->setData(0, SongIndexRole, static_cast<qulonglong>(i));
        rows.append(row);
    }
    ui->ListView1->addTopLevelItems(rows);
    ui->ListView1->setUpdatesEnabled(true);
}

void TInKtlink::ButtonOKClick()
{
    std::vector<std::string> melodies;
    for (int row = 0; row < ui->ListView1->topLevelItemCount() && melodies.size() < VoiceCount; ++row) {
        QTreeWidgetItem* item = ui->ListView1->topLevelItem(row);
        if (item->isSelected()) {
            melodies.push_back(m_songs.at(item->data(0, SongIndexRole).toULongLong()).melody);
        }
    }
    if (melodies.empty()) {
        m_boxes.Warning(FromSjis(Msg::SelectData));
        return;
    }
    m_selectedMelodies = std::move(melodies);
    accept();
}

}  // namespace quaverly
