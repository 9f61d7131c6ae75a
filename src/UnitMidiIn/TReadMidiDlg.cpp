#include "TReadMidiDlg.h"

#include <QPushButton>

#include "UnitMld/NotationTables.h"
#include "platform/SjisText.h"
#include "ui_TReadMidiDlg.h"

namespace quaverly {

namespace {

constexpr int MaxChannels = 4;
constexpr int PercussionChannel = 10;

QString ProgramText(const MidiChannelSummary& summary)
{
    if (summary.channel == PercussionChannel) {
        return QStringLiteral("ドラム");
    }
    if (summary.program < 0) {
        return QStringLiteral("（指定なし）");
    }
    return QString::number(summary.program + 1) + QStringLiteral(" - ") + FromSjis(ToneName(summary.program + 1));
}

}  // namespace

TReadMidiDlg::TReadMidiDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TReadMidiDlg>())
{
    m_ui->setupUi(this);
    connect(m_ui->ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->ListViewChannels, &QTreeWidget::itemChanged, this, [this] { UpdateChoice(); });
}

TReadMidiDlg::~TReadMidiDlg() = default;

void TReadMidiDlg::LoadSurvey(const MidiSurvey& survey)
{
    QTreeWidget* list = m_ui->ListViewChannels;
    setWindowTitle(survey.dialogTitle.empty() ? QStringLiteral("MIDI読み込み") : FromSjis(survey.dialogTitle));
    const QSignalBlocker blocker(list);
    list->clear();
    for (const MidiChannelSummary& summary : survey.channels) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, QString::number(summary.channel));
        item->setData(0, Qt::UserRole, summary.channel);
        item->setText(1, QString::number(summary.notes));
        item->setText(2, ProgramText(summary));
        item->setText(3, summary.chords ? QStringLiteral("あり") : QStringLiteral("なし"));
        const bool chosen = std::find(survey.automaticChoice.begin(), survey.automaticChoice.end(), summary.channel) !=
                            survey.automaticChoice.end();
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, chosen ? Qt::Checked : Qt::Unchecked);
    }
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
    }
    UpdateChoice();
}

std::vector<int> TReadMidiDlg::ChosenChannels() const
{
    std::vector<int> channels;
    const QTreeWidget* list = m_ui->ListViewChannels;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list->topLevelItem(row);
        if (item->checkState(0) == Qt::Checked) {
            channels.push_back(item->data(0, Qt::UserRole).toInt());
        }
    }
    return channels;
}

void TReadMidiDlg::SetChannelChecked(int channel, bool checked)
{
    const QTreeWidget* list = m_ui->ListViewChannels;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        if (item->data(0, Qt::UserRole).toInt() == channel) {
            item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void TReadMidiDlg::UpdateChoice()
{
    const std::vector<int> channels = ChosenChannels();
    const bool valid = !channels.empty() && channels.size() <= MaxChannels;
    m_ui->ButtonBox->button(QDialogButtonBox::Ok)->setEnabled(valid);
    QString text;
    if (channels.size() > MaxChannels) {
        text = QStringLiteral("選べるのは 4 つまでです");
    } else {
        for (size_t voice = 0; voice < channels.size(); ++voice) {
            text += QStringLiteral("第%1音：チャンネル %2　").arg(voice + 1).arg(channels[voice]);
        }
    }
    m_ui->LabelVoices->setText(text);
}

}  // namespace quaverly
