#include "TF0DataDlg.h"

#include <QLabel>
#include <algorithm>

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

QString FFF0DataProblem(const std::array<QString, 5>& lines)
{
    constexpr std::array<int, 5> digits{2, 20, 20, 20, 20};
    for (size_t i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const int number = static_cast<int>(i) + 1;
        for (const QChar c : line) {
            if (!c.isDigit() && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) &&
                !(c >= QLatin1Char('A') && c <= QLatin1Char('F'))) {
                return QStringLiteral("%1行目の「%2」は16進数の数字ではありません（0～9、A～F）。").arg(number).arg(c);
            }
            if (c.unicode() > 0x7F) {
                return QStringLiteral("%1行目の「%2」は半角で書いてください。").arg(number).arg(c);
            }
        }
        if (line.size() % 2 != 0) {
            return QStringLiteral("%1行目の数字が奇数個です: 1バイトは2桁です。").arg(number);
        }
        if (line.size() > digits[i]) {
            return QStringLiteral("%1行目は%2桁までです（%3バイト）。").arg(number).arg(digits[i]).arg(digits[i] / 2);
        }
        const bool laterText = std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(),
                                           [](const QString& later) { return !later.isEmpty(); });
        if (line.size() < digits[i] && laterText) {
            return QStringLiteral("%1行目が%2桁に足りません: 後の行のバイトが前にずれます。").arg(number).arg(digits[i]);
        }
    }
    return {};
}

TF0DataDlg::TF0DataDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TF0DataDlg>())
{
    ui->setupUi(this);
    ApplyWindowFont(this);
    for (QLineEdit* line : DataLines()) {
        line->setFont(FixedPitchFont());
    }
    // What is wrong is said under the buttons, before OK.
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("LabelProblem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_problem->setGeometry(16, height(), width() - 32, 2 * fontMetrics().height() + 4);
    setFixedSize(width(), height() + m_problem->height() + 4);
    for (QLineEdit* line : DataLines()) {
        connect(line, &QLineEdit::textChanged, this, &TF0DataDlg::CheckLines);
    }
    connect(ui->CheckBoxSet, &QCheckBox::toggled, this, &TF0DataDlg::CheckLines);
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

void TF0DataDlg::CheckLines()
{
    std::array<QString, 5> texts;
    const std::array<QLineEdit*, 5> lines = DataLines();
    for (size_t i = 0; i < lines.size(); ++i) {
        texts[i] = lines[i]->text();
    }
    // Unticked, the lines are kept but not written: nothing to refuse.
    const QString problem = ui->CheckBoxSet->isChecked() ? FFF0DataProblem(texts) : QString();
    m_problem->setText(problem);
    ui->OKBtn->setEnabled(problem.isEmpty());
}

void TF0DataDlg::CheckBoxSetClick()
{
    bool enabled = ui->CheckBoxSet->isChecked();
    for (QLineEdit* line : DataLines()) {
        line->setEnabled(enabled);
    }
}

}  // namespace quaverly
