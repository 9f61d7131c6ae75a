#include "TAudioExportDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quaverly {

TAudioExportDlg::TAudioExportDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AudioExportDlg"));
    setWindowTitle(QStringLiteral("音声書き出し"));
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

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("繰り返し回数(&R):"), m_repeats);
    form->addRow(QStringLiteral("フェードアウト(&F):"), m_fade);
    form->addRow(m_normalize);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TAudioExportDlg::Load(const AudioExportChoice& choice)
{
    m_repeats->setValue(choice.repeats);
    m_fade->setValue(choice.fadeSeconds);
    m_normalize->setChecked(choice.normalize);
}

AudioExportChoice TAudioExportDlg::Choice() const
{
    return {m_repeats->value(), m_fade->value(), m_normalize->isChecked()};
}

}  // namespace quaverly
