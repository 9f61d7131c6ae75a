// Where the help document is: beside the program in a build folder (the
// build copies help/ there), else in the data folder of the prefix the
// program is installed in (<prefix>/share/quaverly/help from <prefix>/bin).
#pragma once

#include <QString>

namespace quaverly {

// The help folder for a program in programFolder: the first of the two
// places that holds index.html, else the one beside the program, so that a
// missing document is reported under the name a build folder would use.
QString FindHelpFolder(const QString& programFolder);

}  // namespace quaverly
