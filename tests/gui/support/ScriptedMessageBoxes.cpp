#include "ScriptedMessageBoxes.h"

namespace quaverly {

bool ScriptedMessageBoxes::Question(const QString& text)
{
    records.append({Kind::Question, text});
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QuestionAnswer ScriptedMessageBoxes::QuestionWithSave(const QString& text)
{
    if (!saveAnswers.isEmpty()) {
        records.append({Kind::Question, text});
        return saveAnswers.takeFirst();
    }
    return Question(text) ? QuestionAnswer::Yes : QuestionAnswer::No;
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
