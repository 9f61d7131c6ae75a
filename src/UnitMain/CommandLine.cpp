#include "CommandLine.h"

namespace quaverly {

namespace {

// Code page 932 upper-casing changes only the ASCII letters, so no other
// character can turn an argument into a switch.
QString UpperAscii(QString text)
{
    for (QChar& c : text) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = QChar(c.unicode() - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    for (const QString& argument : arguments) {
        const QString upper = UpperAscii(argument);
        if (upper == QLatin1String("/D")) {
            line.extendedNotation = true;
            line.keyMappingOff = true;
        } else if (upper == QLatin1String("/P")) {
            line.playAndExit = true;
        } else if (upper == QLatin1String("/CIN") || upper == QLatin1String("/COUT")) {
            line.mode = upper;
        } else {
            line.fileName = argument;
        }
    }
    return line;
}

}  // namespace quaverly
