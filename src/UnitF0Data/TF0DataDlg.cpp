#include "TF0DataDlg.h"

#include "platform/FormLook.h"
#include "platform/SjisText.h"
#include "ui_TF0DataDlg.h"

namespace quaverly {

std::array<QString, 5> SplitFFF0DataHex(const QString& hex)
{
    // Start and length of each line, counted from 0.
    constexpr std::array<std::pair<int, int>, 5> lines{{{0, 2}, {2, 20}, {22, 20}, {42, 20}, {62, 20}}};
    std::array<QString, 5> parts;
    for (size_t i = 0; i < lines.size(); ++i) {
        parts[i] = hex.mid(lines[i].first, lines[i].second);
    }
    return parts;
}

TF0DataDlg::TF0DataDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TF0DataDlg>())
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    for (QLineEdit* line : DataLines()) {
        line->setFont(FixedPitchFont());
    }
    setFixedSize(size());
    connect(ui->CheckBoxSet, &QCheckBox::clicked, this, &TF0DataDlg::CheckBoxSetClick);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TF0DataDlg::~TF0DataDlg() = default;

std::array<QLineEdit*, 5> TF0DataDlg::DataLines() const
{
    return {ui->EditData1, ui->EditData2, ui->EditData3, ui->EditData4, ui->EditData5};
}

void TF0DataDlg::LoadFrom(bool dataSet, const std::string& dataHex)
{
    ui->CheckBoxSet->setChecked(dataSet);
    CheckBoxSetClick();
    std::array<QString, 5> parts = SplitFFF0DataHex(FromSjis(dataHex));
    std::array<QLineEdit*, 5> lines = DataLines();
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i]->setText(parts[i]);
    }
    ui->CheckBoxSet->setFocus();
}

void TF0DataDlg::StoreInto(bool& dataSet, std::string& dataHex) const
{
    QString joined;
    for (const QLineEdit* line : DataLines()) {
        joined += line->text();
    }
    dataSet = ui->CheckBoxSet->isChecked();
    // A text left as it was keeps its bytes, even those that do not convert.
    if (joined != FromSjis(dataHex)) {
        dataHex = ToSjis(joined);
    }
}

void TF0DataDlg::CheckBoxSetClick()
{
    bool enabled = ui->CheckBoxSet->isChecked();
    for (QLineEdit* line : DataLines()) {
        line->setEnabled(enabled);
    }
}

}  // namespace quaverly
