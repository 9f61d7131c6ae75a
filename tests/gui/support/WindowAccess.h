// The one way tests reach into the main window beyond its commands (its
// public slots), its controls and its services: TFormMain names this struct
// its friend. What the program's other units do not use stays out of the
// window's public interface; a test that needs it asks here.
//
// The voice controls are found by their object names ("Memo1",
// "ComboBoxTone1", "EditVol1", "TabSheet1", "mnPlay1" ...), the names the
// window promises; the rest is the window's own state.
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
    // The controls of voice 1..4, by name.
    static QPlainTextEdit* VoiceMemo(const TFormMain& window, int voice)
    {
        return Named<QPlainTextEdit>(window, QStringLiteral("Memo%1").arg(voice));
    }
    static QComboBox* VoiceTone(const TFormMain& window, int voice)
    {
        return Named<QComboBox>(window, QStringLiteral("ComboBoxTone%1").arg(voice));
    }
    static QLineEdit* VoiceVolume(const TFormMain& window, int voice)
    {
        return Named<QLineEdit>(window, QStringLiteral("EditVol%1").arg(voice));
    }
    static QWidget* VoicePage(const TFormMain& window, int voice)
    {
        return Named<QWidget>(window, QStringLiteral("TabSheet%1").arg(voice));
    }
    static QAction* VoicePlayItem(const TFormMain& window, int voice)
    {
        return Named<QAction>(window, QStringLiteral("mnPlay%1").arg(voice));
    }

    // The document state and what the commands read.
    static EditState State(const TFormMain& window) { return window.State(); }
    static void SetEditState(TFormMain& window, EditState state) { window.SetEditState(state); }
    static QString CurrentFileName(const TFormMain& window) { return window.CurrentFileName(); }
    static MelodyFileInfo& FileInfo(TFormMain& window) { return window.FileInfo(); }
    static bool ExtendedNotation(const TFormMain& window) { return window.ExtendedNotation(); }
    static bool KeyMappingOff(const TFormMain& window) { return window.KeyMappingOff(); }
    static const QString& CommandLineMode(const TFormMain& window) { return window.CommandLineMode(); }

    // The melody of another maker shown as it is (the benchmarks' way to it).
    static const MfiMelody* ForeignMelody(const TFormMain& window) { return window.Document().Foreign(); }

    // Where the program would look for its help, and how it ends.
    static void SetProgramFolder(TFormMain& window, const QString& folder) { window.SetProgramFolder(folder); }
    static void SetTerminateHandler(TFormMain& window, std::function<void()> handler)
    {
        window.SetTerminateHandler(std::move(handler));
    }

    // The piano roll, the play follow and the live check.
    static TPianoRoll* PianoRoll(const TFormMain& window) { return window.PianoRoll(); }
    static void RefreshRollFromPages(TFormMain& window) { window.RefreshRollFromPages(); }
    static void FollowPlay(TFormMain& window) { window.m_follow->Step(); }
    static int SoloVoice(const TFormMain& window) { return window.SoloVoice(); }
    static int PageByteOfPosition(const TFormMain& window, int voice, int position)
    {
        return window.Pages().ByteOfPosition(voice, position);
    }
    static LiveAnalysis& Live(const TFormMain& window) { return window.Live(); }
    static DiagnosticsView& Diagnostics(const TFormMain& window) { return window.Diagnostics(); }

private:
    template <class Control>
    static Control* Named(const TFormMain& window, const QString& name)
    {
        return window.findChild<Control*>(name);
    }
};

}  // namespace quaverly
