// The real open and save dialogs: QFileDialog, modal over the active window,
// with the filter, the default suffix for a name typed without one, the
// proposed name, and for saving a question before overwriting.
#pragma once

#include "FileDialogs.h"

namespace quaverly {

class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> OpenFile(const FileDialogOptions& options) override;
    std::optional<QString> SaveFile(const FileDialogOptions& options) override;
};

}  // namespace quaverly
