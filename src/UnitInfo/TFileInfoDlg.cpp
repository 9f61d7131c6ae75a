#include "TFileInfoDlg.h"

#include <QDate>
#include <QLabel>
#include <QPlainTextEdit>
#include <string>

#include "UnitMfi/MfiFacts.h"

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

QString FileInfoProblem(const QString& copyright, const QString& date)
{
    for (const QChar c : copyright) {
        if (FromSjis(ToSjis(QString(c))) != QString(c)) {
            return QStringLiteral("著作権情報の「%1」は Shift-JIS で書けないため「?」になります。").arg(c);
        }
    }
    if (!date.isEmpty() &&
        (date.size() != 8 || !QDate::fromString(date, QStringLiteral("yyyyMMdd")).isValid())) {
        return QStringLiteral("作成日付は「20260131」のように年月日の8桁で書いてください（空でもかまいません）。");
    }
    return {};
}

TFileInfoDlg::TFileInfoDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFileInfoDlg>())
{
    ui->setupUi(this);
    m_facts = new QPlainTextEdit(this);
    m_facts->setObjectName(QStringLiteral("EditForeignFacts"));
    m_facts->setReadOnly(true);
    m_facts->setGeometry(24, 200, 273, 160);
    m_facts->hide();
    ApplyWindowFont(this);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("LabelProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_problem->setGeometry(16, height(), width() - 32, 2 * fontMetrics().height() + 4);
    resize(width(), height() + m_problem->height() + 4);
    m_designedSize = size();
    setFixedSize(size());
    connect(ui->EditCopy, &QLineEdit::textChanged, this, &TFileInfoDlg::CheckFields);
    connect(ui->EditDate, &QLineEdit::textChanged, this, &TFileInfoDlg::CheckFields);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TFileInfoDlg::~TFileInfoDlg() = default;

void TFileInfoDlg::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    ui->EditCopy->setReadOnly(readOnly);
    ui->EditDate->setReadOnly(readOnly);
    // Read-only looks read-only: the fields of another maker's file take no typing.
    const QString look = readOnly ? QStringLiteral("QLineEdit { background: palette(window); }") : QString();
    ui->EditCopy->setStyleSheet(look);
    ui->EditDate->setStyleSheet(look);
    ui->CheckBoxSorc->setEnabled(!readOnly);
    ui->CancelBtn->setVisible(!readOnly);
    m_facts->setVisible(readOnly);
    // Room below the date for the facts; the buttons move down with it.
    const int extra = readOnly ? m_facts->height() + 16 : 0;
    ui->OKBtn->move(ui->OKBtn->x(), 220 + extra);
    ui->CancelBtn->move(ui->CancelBtn->x(), 220 + extra);
    setFixedSize(m_designedSize.width(), m_designedSize.height() + extra);
    m_problem->move(m_problem->x(), ui->OKBtn->y() + ui->OKBtn->height() + 4);
    CheckFields();
}

void TFileInfoDlg::CheckFields()
{
    // The texts of another maker's file are shown as they are, never written.
    const QString problem = m_readOnly ? QString() : FileInfoProblem(ui->EditCopy->text(), ui->EditDate->text());
    m_problem->setText(problem);
    ui->OKBtn->setEnabled(problem.isEmpty());
}

void TFileInfoDlg::LoadForeign(const MfiMelody& melody)
{
    SetReadOnly(true);
    ui->EditVL->setText(FromSjis(melody.version));
    ui->EditCopy->setText(FromSjis(melody.copyright));
    ui->EditDate->setText(FromSjis(melody.date));
    ui->CheckBoxSorc->setChecked(melody.sorc > 0);
    m_facts->setPlainText(FromSjis(MfiFactsText(melody)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    ui->OKBtn->setFocus();
}

void TFileInfoDlg::LoadFrom(const MelodyFileInfo& info)
{
    SetReadOnly(false);
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
