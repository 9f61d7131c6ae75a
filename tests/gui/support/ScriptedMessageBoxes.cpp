#include "ScriptedMessageBoxes.h"

namespace quaverly {

bool ScriptedMessageBoxes::Question(const QString& text, SafeAnswer safe)
{
    records.append({Kind::Question, text, safe});
    if (whileAsking) {
        whileAsking(text);
    }
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QuestionAnswer ScriptedMessageBoxes::QuestionWithSave(const QString& text)
{
    if (!saveAnswers.isEmpty()) {
        records.append({Kind::Question, text, SafeAnswer::No});
        if (whileAsking) {
            whileAsking(text);
        }
        return saveAnswers.takeFirst();
    }
    return Question(text, SafeAnswer::No) ? QuestionAnswer::Yes : QuestionAnswer::No;
}

QStringList ScriptedMessageBoxes::Texts(Kind kind) const
{
    QStringList texts;
    for (const Record& record : records) {
        if (record.kind == kind) {
            texts.append(record.text);
        }
    }
    return texts;
}

}  // namespace quaverly
