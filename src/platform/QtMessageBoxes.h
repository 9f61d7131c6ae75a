// The real message boxes: QMessageBox, modal over the active window, titled
// "Quaverly", with the icon of each form (exclamation for refusals,
// information for results, question with Yes and No, critical for errors).
#pragma once

#include "MessageBoxes.h"

namespace quaverly {

class QtMessageBoxes : public MessageBoxes {
public:
    void Warning(const QString& text) override;
    void Information(const QString& text) override;
    bool Question(const QString& text) override;
    QuestionAnswer QuestionWithSave(const QString& text) override;
    void Error(const QString& text) override;
};

}  // namespace quaverly
