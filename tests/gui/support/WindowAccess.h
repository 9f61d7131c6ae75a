// The one way tests reach into the main window beyond its commands (its
// public slots), its controls, its services and what it shows of itself in
// public: the document (Document()), the crash journal (Journal()), the voice
// pages (Pages()) and the play follow (Follow()). TFormMain names this struct
// its friend; what is here is the window's own state that only it can show.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QTextEdit>
#include <functional>

#include "UnitMain/TFormMain.h"

namespace quaverly {

struct WindowAccess {
    // The document set up as a command would leave it: the state (the title
    // bar and the journal follow it) and the file information.
    static void SetEditState(TFormMain& window, EditState state) { window.SetEditState(state); }
    static MelodyFileInfo& FileInfo(TFormMain& window) { return window.FileInfo(); }

    // The command line as the start read it.
    static bool ExtendedNotation(const TFormMain& window) { return window.ExtendedNotation(); }
    static bool KeyMappingOff(const TFormMain& window) { return window.KeyMappingOff(); }
    static const QString& CommandLineMode(const TFormMain& window) { return window.CommandLineMode(); }

    // Where the program would look for its help, and how it ends.
    static void SetProgramFolder(TFormMain& window, const QString& folder) { window.SetProgramFolder(folder); }
    static void SetTerminateHandler(TFormMain& window, std::function<void()> handler)
    {
        window.SetTerminateHandler(std::move(handler));
    }

    // The piano roll, one step of the play follow, solo and the live check.
    static TPianoRoll* PianoRoll(const TFormMain& window) { return window.PianoRoll(); }
    static void RefreshRollFromPages(TFormMain& window) { window.RefreshRollFromPages(); }
    static void FollowPlay(TFormMain& window) { window.m_follow->Step(); }
    static int SoloVoice(const TFormMain& window) { return window.SoloVoice(); }
    static LiveAnalysis& Live(const TFormMain& window) { return window.Live(); }
    static DiagnosticsView& Diagnostics(const TFormMain& window) { return window.Diagnostics(); }

    // The benchmarks' names for what the window shows in public.
    static QPlainTextEdit* VoiceMemo(const TFormMain& window, int voice) { return window.Pages().Memo(voice); }
    static EditState State(const TFormMain& window) { return window.Document().State(); }
    static const MfiMelody* ForeignMelody(const TFormMain& window) { return window.Document().Foreign(); }
    static int PageByteOfPosition(const TFormMain& window, int voice, int position)
    {
        return window.Pages().ByteOfPosition(voice, position);
    }
};

}  // namespace quaverly
