// A file-dialog stand-in: each dialog answers from its queue (Cancel when the
// queue is empty) and records the options it was shown with.
#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "platform/FileDialogs.h"

namespace quaverly {

class ScriptedFileDialogs : public FileDialogs {
public:
    std::optional<QString> OpenFile(const FileDialogOptions& options) override
    {
        openCalls.append(options);
        return openAnswers.isEmpty() ? std::nullopt : openAnswers.takeFirst();
    }
    std::optional<QString> SaveFile(const FileDialogOptions& options) override
    {
        saveCalls.append(options);
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }

    QList<std::optional<QString>> openAnswers;
    QList<std::optional<QString>> saveAnswers;
    QList<FileDialogOptions> openCalls;
    QList<FileDialogOptions> saveCalls;
};

}  // namespace quaverly
