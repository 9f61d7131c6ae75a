// PLACEHOLDER, owned by the player engineer: replace this file's contents
// with the real play, stop, repeat and MIDI export commands (MidiPlayer,
// TFormPlay, "Play.mid" in ProgramFolder()). The declarations are in
// TFormMain.h; the window already connects the menu items and the player's
// completion notice to these handlers. Until then the commands only ask the
// analysis question, so that the window's state rules hold.
#include <QAction>

#include "TFormMain.h"

namespace quaverly {

void TFormMain::mnPlayClick()
{
    if (!AskAnalysisQuestion()) {
        return;
    }
}

void TFormMain::MediaPlayer1Notify() {}

void TFormMain::mnPutMidiClick()
{
    if (!AskAnalysisQuestion()) {
        return;
    }
}

void TFormMain::mnPlay1Click(QAction* /*item*/) {}

void TFormMain::mnRepeatPlayClick() {}

bool TFormMain::CheckAndWriteMidi(const QString& /*path*/) { return false; }

void TFormMain::StartPlayAndExit()
{
    mnPlayClick();
    TerminateApplication();
}

}  // namespace quaverly
