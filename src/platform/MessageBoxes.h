// Message boxes of the window, all titled "Quaverly" and modal. Commands talk
// to this interface so that they can be tested headless with a scripted one.
#pragma once

#include <QString>

namespace quaverly {

enum class QuestionAnswer { Yes, No, Save };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Exclamation icon, OK: refusals ("未サポートです", the range messages, ...).
    virtual void Warning(const QString& text) = 0;
    // Information icon, OK: results (the analysis report, the mail size).
    virtual void Information(const QString& text) = 0;
    // Question icon, Yes and No: true for Yes.
    virtual bool Question(const QString& text) = 0;
    // Question icon, Yes, No and 「保存」 (save first): the loss question.
    virtual QuestionAnswer QuestionWithSave(const QString& text) = 0;
    // The application's standard error display: an error that ended a command.
    virtual void Error(const QString& text) = 0;
};

}  // namespace quaverly
