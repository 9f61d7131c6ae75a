#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

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

void QtMessageBoxes::Error(const QString& text)
{
    Show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace quaverly
