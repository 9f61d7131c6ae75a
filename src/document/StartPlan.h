// What a start of the window does with its command line, decided apart from
// the window: the numeric melody text that "/CIN" imports and where it is
// read from, the file argument opened as a melody, the crash journal of an
// ended session offered, and "/P"'s play at once.
#pragma once

#include <string_view>

namespace quaverly {

enum class NumericTextSource {
    None,       // no "/CIN"
    File,       // the file argument is the text, not a melody file to open
    Clipboard,  // "/CIN" without a file argument
};

struct StartPlan {
    NumericTextSource numericText = NumericTextSource::None;
    bool opensFile = false;      // the file argument, bound once read as a melody
    bool offersJournal = false;  // only a plain start: a file or an import leaves it for a later one
    bool playsAndEnds = false;   // "/P"
    bool operator==(const StartPlan&) const = default;
};

// mode: the command line's last of "/CIN" and "/COUT", upper-cased; empty for neither.
StartPlan PlanStart(std::string_view mode, bool hasFileArgument, bool playAndExit);

}  // namespace quaverly
