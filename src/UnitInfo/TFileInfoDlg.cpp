#include "TFileInfoDlg.h"

#include <string>

#include "platform/FormLook.h"
#include "platform/SjisText.h"
#include "ui_TFileInfoDlg.h"

namespace quaverly {

namespace {

// The text as Shift-JIS: the original bytes when the field still shows them,
// so that bytes which do not convert to Unicode survive an untouched field.
std::string EditedOrOriginal(const QString& shown, const std::string& original)
{
    return shown == FromSjis(original) ? original : ToSjis(shown);
}

}  // namespace

TFileInfoDlg::TFileInfoDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFileInfoDlg>())
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    setFixedSize(size());
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TFileInfoDlg::~TFileInfoDlg() = default;

void TFileInfoDlg::LoadFrom(const MelodyFileInfo& info)
{
    ui->EditVL->setText(FromSjis(info.version));
    ui->EditCopy->setText(FromSjis(info.copyright));
    ui->EditDate->setText(FromSjis(info.date));
    ui->CheckBoxSorc->setChecked(info.sorc);
    ui->EditCopy->setFocus();
}

void TFileInfoDlg::StoreInto(MelodyFileInfo& info) const
{
    info.version = EditedOrOriginal(ui->EditVL->text(), info.version);
    info.copyright = EditedOrOriginal(ui->EditCopy->text(), info.copyright);
    info.date = EditedOrOriginal(ui->EditDate->text(), info.date);
    info.sorc = ui->CheckBoxSorc->isChecked();
}

}  // namespace quaverly
