// The common open and save dialogs, behind an interface so that commands can
// be tested headless.
#pragma once

#include <QString>
#include <optional>

namespace quaverly {

struct FileDialogOptions {
    QString filter;         // Qt form, e.g. "標準MIDIファイル(*.mid)"
    QString defaultSuffix;  // added when the user types no extension, e.g. "mid"
    QString initialFile;    // proposed file name or path; may be empty
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> OpenFile(const FileDialogOptions& options) = 0;
    // Asks before overwriting an existing file.
    virtual std::optional<QString> SaveFile(const FileDialogOptions& options) = 0;
};

}  // namespace quaverly
