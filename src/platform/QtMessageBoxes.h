// The real message boxes: QMessageBox, modal over the active window, titled
// "Quaverly", with the icon of each form (exclamation for refusals,
// information for results, question with Yes and No, critical for errors).
#pragma once

#include <QMessageBox>
#include <QPointer>

#include "MessageBoxes.h"

namespace quaverly {

class QtMessageBoxes : public MessageBoxes {
public:
    // The window a box is modal over when no window of the program is active
    // (a question at start-up, before the main window shows).
    void SetFallbackParent(QWidget* window) { m_fallbackParent = window; }

    void Warning(const QString& text) override;
    void Information(const QString& text) override;
    void InformationWithFolder(const QString& text, const QString& folder) override;
    bool Question(const QString& text, SafeAnswer safe) override;
    QuestionAnswer QuestionWithSave(const QString& text) override;
    void Error(const QString& text) override;

private:
    int Show(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton defaultButton, QMessageBox::StandardButton escapeButton);
    void PrepareBox(QMessageBox& box) const;

    QPointer<QWidget> m_fallbackParent;
};

}  // namespace quaverly
