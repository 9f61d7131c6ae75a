// A message-box stand-in for headless window tests: records every box in
// order and answers each question from a queue (Yes when the queue is empty,
// unless defaultAnswer says otherwise).
#pragma once

#include <QList>
#include <functional>
#include <QString>
#include <QStringList>

#include "platform/MessageBoxes.h"

namespace quaverly {

class ScriptedMessageBoxes : public MessageBoxes {
public:
    enum class Kind { Warning, Information, Question, Error };
    struct Record {
        Kind kind;
        QString text;
        // For a question: the answer its Enter and Escape give. The loss
        // question's is No: its Yes discards the document.
        SafeAnswer safe = SafeAnswer::Yes;
    };

    void Warning(const QString& text) override { records.append({Kind::Warning, text}); }
    void Information(const QString& text) override { records.append({Kind::Information, text}); }
    // Kept apart from records: the report of a written file, and its folder.
    void InformationWithFolder(const QString& text, const QString& folder) override
    {
        folderReports.append({text, folder});
    }
    struct FolderReport {
        QString text;
        QString folder;
    };
    QList<FolderReport> folderReports;
    bool Question(const QString& text, SafeAnswer safe) override;
    // Recorded as a Question; answered from saveAnswers while it holds any,
    // otherwise Yes or No from answers as Question is.
    QuestionAnswer QuestionWithSave(const QString& text) override;
    void Error(const QString& text) override { records.append({Kind::Error, text}); }

    // The texts of the boxes of one kind, in order.
    QStringList Texts(Kind kind) const;
    int Count(Kind kind) const { return static_cast<int>(Texts(kind).size()); }
    void Clear() { records.clear(); }

    QList<Record> records;
    QList<bool> answers;  // taken from the front, one per question
    bool defaultAnswer = true;
    QList<QuestionAnswer> saveAnswers;  // for the questions with 「保存」, taken first
    // Runs while a question is open, before it is answered, as the user's
    // time to read it: the event loop goes on meanwhile in the real box.
    std::function<void(const QString&)> whileAsking;
};

}  // namespace quaverly
