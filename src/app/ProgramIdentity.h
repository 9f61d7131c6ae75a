// What the window program says about itself before it opens a window
// (--help, --version: they work without a display), and how it names itself
// to the desktop: the application id that its desktop entry, icon, AppStream
// metainfo and file types are installed under.
#pragma once

#include <optional>

namespace quaverly {

// "jp.fernwick.Quaverly": the desktop entry is <id>.desktop, the icon <id>.
extern const char ApplicationId[];

// When the command line is only "--help"/"-h" or "--version", prints the
// answer and returns the exit code; otherwise nothing, and the window starts.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

// Gives the running application its version and desktop entry.
void ApplyDesktopIdentity();
// Gives the application's windows the icon of the desktop's icon theme
// (none in a build folder), a search of some milliseconds (FirstPaint.h).
void ApplyWindowIcon();

}  // namespace quaverly
