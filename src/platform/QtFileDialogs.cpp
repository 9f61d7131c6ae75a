#include "QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

namespace quaverly {

namespace {

std::optional<QString> Run(const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(options.filter);
    dialog.setDefaultSuffix(options.defaultSuffix);
    // Overwriting asks first (QFileDialog's default for saving); kept explicit.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!options.initialFile.isEmpty()) {
        dialog.selectFile(options.initialFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> QtFileDialogs::OpenFile(const FileDialogOptions& options)
{
    return Run(options, QFileDialog::AcceptOpen);
}

std::optional<QString> QtFileDialogs::SaveFile(const FileDialogOptions& options)
{
    return Run(options, QFileDialog::AcceptSave);
}

}  // namespace quaverly
