// Paths cross to the core as the file system's own bytes (UTF-8 here), never
// through Shift-JIS: a name with a character outside code page 932 must
// still reach its file.
#pragma once

#include <QFile>
#include <QString>
#include <string>

namespace quaverly {

inline std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

}  // namespace quaverly
