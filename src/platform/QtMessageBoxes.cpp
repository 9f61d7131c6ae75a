#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "SjisText.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

int Show(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton)
{
    // The system's texts end lines with CR LF; a label wants "\n" alone.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, QStringLiteral("Quaverly"), shown, buttons, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

void QtMessageBoxes::Warning(const QString& text)
{
    Show(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::Information(const QString& text)
{
    Show(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageBoxes::Question(const QString& text)
{
    return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QuestionAnswer QtMessageBoxes::QuestionWithSave(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quaverly"), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    // Apart from Yes and No, whose meaning it does not share: it saves, then goes on.
    QPushButton* save = box.addButton(FromSjis(Msg::SaveButton) + QStringLiteral("(&S)"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    const int answer = box.exec();
    if (box.clickedButton() == save) {
        return QuestionAnswer::Save;
    }
    return answer == QMessageBox::Yes ? QuestionAnswer::Yes : QuestionAnswer::No;
}

void QtMessageBoxes::Error(const QString& text)
{
    Show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace quaverly
