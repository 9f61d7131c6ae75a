#include "HelpLocation.h"

#include <QDir>
#include <QFileInfo>

namespace quaverly {

namespace {

// Relative to the installed program, from the install rules' folders
// (src/CMakeLists.txt), so that the package can be installed under any prefix.
constexpr char InstalledHelpFromProgram[] = QUAVERLY_HELP_FROM_PROGRAM;

}  // namespace

QString FindHelpFolder(const QString& programFolder)
{
    const QDir program(programFolder);
    const QString beside = program.filePath(QStringLiteral("help"));
    const QString installed = QDir::cleanPath(program.filePath(QString::fromUtf8(InstalledHelpFromProgram)));
    for (const QString& folder : {beside, installed}) {
        if (QFileInfo::exists(folder + QStringLiteral("/index.html"))) {
            return folder;
        }
    }
    return beside;
}

}  // namespace quaverly
