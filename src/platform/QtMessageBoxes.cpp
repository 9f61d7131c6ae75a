#include "QtMessageBoxes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QPushButton>

#include "SjisText.h"
#include "base/Messages.h"

namespace quaverly {

void QtMessageBoxes::PrepareBox(QMessageBox& box) const
{
    QWidget* parent = QApplication::activeWindow();
    if (parent == nullptr) {
        parent = m_fallbackParent;
    }
    box.setParent(parent, box.windowFlags());
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    // A box with no window of the program on screen under it (the journal's
    // question at start-up) stays above other windows, so that a window
    // started meanwhile, of this program or another, cannot hide the question.
    if (parent == nullptr || !parent->isVisible()) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
}

int QtMessageBoxes::Show(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton defaultButton, QMessageBox::StandardButton escapeButton)
{
    // The system's texts end lines with CR LF; a label wants "\n" alone.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, QStringLiteral("Quaverly"), shown, buttons);
    PrepareBox(box);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escapeButton);
    return box.exec();
}

void QtMessageBoxes::Warning(const QString& text)
{
    Show(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::Information(const QString& text)
{
    Show(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::InformationWithFolder(const QString& text, const QString& folder)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quaverly"), text, QMessageBox::Ok);
    PrepareBox(box);
    QPushButton* open = box.addButton(QStringLiteral("フォルダを開く(&F)"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    if (box.clickedButton() == open) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

bool QtMessageBoxes::Question(const QString& text, SafeAnswer safe)
{
    const QMessageBox::StandardButton safeButton = safe == SafeAnswer::Yes ? QMessageBox::Yes : QMessageBox::No;
    return Show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, safeButton, safeButton) ==
           QMessageBox::Yes;
}

QuestionAnswer QtMessageBoxes::QuestionWithSave(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quaverly"), text, QMessageBox::Yes | QMessageBox::No);
    PrepareBox(box);
    // Apart from Yes and No, whose meaning it does not share: it saves, then goes on.
    QPushButton* save = box.addButton(FromSjis(Msg::SaveButton) + QStringLiteral("(&S)"), QMessageBox::ActionRole);
    // Yes discards the document: Enter and Escape keep it.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    const int answer = box.exec();
    if (box.clickedButton() == save) {
        return QuestionAnswer::Save;
    }
    return answer == QMessageBox::Yes ? QuestionAnswer::Yes : QuestionAnswer::No;
}

void QtMessageBoxes::Error(const QString& text)
{
    Show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace quaverly
