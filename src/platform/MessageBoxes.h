// Message boxes of the window, all titled "Quaverly" and modal. Commands talk
// to this interface so that they can be tested headless with a scripted one.
#pragma once

#include <QString>

namespace quaverly {

enum class QuestionAnswer { Yes, No, Save };

// The answer of a Yes/No question that keeps the user's work: the box's
// default button, and what Escape answers, so that neither Enter nor Escape
// ever discards anything.
enum class SafeAnswer { Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Exclamation icon, OK: refusals ("未サポートです", the range messages, ...).
    virtual void Warning(const QString& text) = 0;
    // Information icon, OK: results (the analysis report, the mail size).
    virtual void Information(const QString& text) = 0;
    // Information icon, OK and 「フォルダを開く」, which shows folder in the
    // desktop's file manager: the report of a file written somewhere the
    // user will look for it.
    virtual void InformationWithFolder(const QString& text, const QString& folder)
    {
        static_cast<void>(folder);
        Information(text);
    }
    // Question icon, Yes and No: true for Yes. safe is the default button and
    // the Escape answer.
    virtual bool Question(const QString& text, SafeAnswer safe) = 0;
    // Question icon, Yes, No and 「保存」 (save first): the loss question,
    // whose Yes discards the document: No is its default and Escape answer.
    virtual QuestionAnswer QuestionWithSave(const QString& text) = 0;
    // The application's standard error display: an error that ended a command.
    virtual void Error(const QString& text) = 0;
};

}  // namespace quaverly
