#include "TAudioExportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/HelpLocation.h"

namespace quaverly {

namespace {

// The preset list's rows, in AudioExportPreset's order.
int PresetRow(AudioExportPreset preset)
{
    return static_cast<int>(preset);
}

// The format a preset writes, or nothing for none.
std::optional<AudioFormat> PresetFormat(int row)
{
    switch (static_cast<AudioExportPreset>(row)) {
    case AudioExportPreset::IPhoneRingtone:
        return AudioFormat::M4r;
    case AudioExportPreset::AndroidRingtone:
        return AudioFormat::OggVorbis;
    case AudioExportPreset::None:
        break;
    }
    return std::nullopt;
}

}  // namespace

TAudioExportDlg::TAudioExportDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AudioExportDlg"));
    setWindowTitle(QStringLiteral("音声書き出し"));
    m_preset = new QComboBox(this);
    m_preset->setObjectName(QStringLiteral("ComboPreset"));
    m_preset->addItems({QStringLiteral("なし"), QStringLiteral("iPhone 着信音 (.m4r)"),
                        QStringLiteral("Android 着信音 (.ogg, 繰り返し)")});
    m_repeats = new QSpinBox(this);
    m_repeats->setObjectName(QStringLiteral("SpinRepeats"));
    m_repeats->setRange(1, 10);
    m_repeats->setSuffix(QStringLiteral(" 回"));
    m_fade = new QDoubleSpinBox(this);
    m_fade->setObjectName(QStringLiteral("SpinFade"));
    m_fade->setRange(0.0, 30.0);
    m_fade->setDecimals(1);
    m_fade->setSingleStep(0.5);
    m_fade->setSuffix(QStringLiteral(" 秒"));
    m_normalize = new QCheckBox(QStringLiteral("音量を正規化する（最大 -1 dBFS）(&N)"), this);
    m_normalize->setObjectName(QStringLiteral("CheckNormalize"));
    m_maxSeconds = new QDoubleSpinBox(this);
    m_maxSeconds->setObjectName(QStringLiteral("SpinMaxSeconds"));
    m_maxSeconds->setRange(MinM4rSeconds, MaxM4rSeconds);
    m_maxSeconds->setDecimals(1);
    m_maxSeconds->setSuffix(QStringLiteral(" 秒"));
    m_maxSeconds->setToolTip(QStringLiteral("これより長い音は、最後の 2 秒でフェードアウトしてこの長さで終わります。"
                                            "iPhone で設定できるのは 30 秒まで（パソコンから同期すると 40 秒まで）です。"));
    m_loop = new QCheckBox(QStringLiteral("鳴っている間繰り返す印を書く（Android, .ogg / .opus）(&L)"), this);
    m_loop->setObjectName(QStringLiteral("CheckLoop"));
    m_helpLink = new QLabel(this);
    m_helpLink->setObjectName(QStringLiteral("HelpRingtoneLink"));
    const QString page = QDir(FindHelpFolder(QCoreApplication::applicationDirPath())).filePath(QStringLiteral("ringtone.html"));
    m_helpLink->setText(QStringLiteral("<a href=\"%1\">携帯電話の着信音にする</a>").arg(QUrl::fromLocalFile(page).toString()));
    m_helpLink->setOpenExternalLinks(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("着信音(&P):"), m_preset);
    form->addRow(QStringLiteral("繰り返し回数(&R):"), m_repeats);
    form->addRow(QStringLiteral("フェードアウト(&F):"), m_fade);
    form->addRow(m_normalize);
    form->addRow(QStringLiteral("長さの上限（.m4r）(&M):"), m_maxSeconds);
    form->addRow(m_loop);
    form->addRow(m_helpLink);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_preset, &QComboBox::activated, this, &TAudioExportDlg::ApplyPreset);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TAudioExportDlg::Load(const AudioExportChoice& choice)
{
    m_format = choice.format;
    m_repeats->setValue(choice.repeats);
    m_fade->setValue(choice.fadeSeconds);
    m_normalize->setChecked(choice.normalize);
    m_maxSeconds->setValue(choice.maxSeconds);
    m_loop->setChecked(choice.loop);
    // Only the preset of the chosen file's format can be chosen.
    auto* model = qobject_cast<QStandardItemModel*>(m_preset->model());
    for (int row = 1; row < m_preset->count(); ++row) {
        if (model != nullptr) {
            model->item(row)->setEnabled(PresetFormat(row) == m_format);
        }
    }
    const int row = PresetRow(choice.preset);
    m_preset->setCurrentIndex(row < m_preset->count() && (row == 0 || PresetFormat(row) == m_format) ? row : 0);
    m_maxSeconds->setEnabled(m_format == AudioFormat::M4r);
    m_loop->setEnabled(AudioFormatCanLoop(m_format));
}

AudioExportChoice TAudioExportDlg::Choice() const
{
    AudioExportChoice choice;
    choice.repeats = m_repeats->value();
    choice.fadeSeconds = m_fade->value();
    choice.normalize = m_normalize->isChecked();
    choice.preset = static_cast<AudioExportPreset>(m_preset->currentIndex());
    choice.maxSeconds = m_maxSeconds->value();
    choice.loop = m_loop->isChecked();
    choice.format = m_format;
    return choice;
}

void TAudioExportDlg::ApplyPreset(int index)
{
    switch (static_cast<AudioExportPreset>(index)) {
    case AudioExportPreset::IPhoneRingtone:
        m_maxSeconds->setValue(DefaultM4rSeconds);
        m_normalize->setChecked(true);
        break;
    case AudioExportPreset::AndroidRingtone:
        m_loop->setChecked(true);
        m_normalize->setChecked(true);
        break;
    case AudioExportPreset::None:
        break;
    }
}

}  // namespace quaverly
