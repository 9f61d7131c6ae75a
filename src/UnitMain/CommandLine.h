// The program's command line: the switches "/D", "/P", "/CIN" and "/COUT",
// compared whole after upper-casing, and one file argument, the last
// argument that is not a switch.
#pragma once

#include <QString>
#include <QStringList>

namespace quaverly {

struct CommandLine {
    bool extendedNotation = false;  // "/D": the extended notation ...
    bool keyMappingOff = false;     // ... and no letter keys
    bool playAndExit = false;       // "/P"
    QString mode;                   // "", "/CIN" or "/COUT": the later one wins
    QString fileName;               // as given, not upper-cased
};

// arguments: without the program's own name.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace quaverly
