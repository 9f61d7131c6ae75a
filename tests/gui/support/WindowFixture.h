// One main window with every service scripted, for headless tests: its own
// MelodyStore, the stand-ins, a temporary program folder and a terminate
// handler that only counts. Also small helpers to make melody files.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>
#include <string_view>

#include "MemorySettingsStore.h"
#include "ScriptedClipboard.h"
#include "ScriptedDialogs.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedHelpViewer.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedPlayer.h"
#include "UnitMain/TFormMain.h"
#include "UnitMld/MelodyStore.h"

namespace quaverly {

struct WindowFixture {
    WindowFixture();

    // A file in the temporary folder holding the bytes; returns its path.
    QString WriteFile(const QString& name, std::string_view bytes) const;
    QString PathOf(const QString& name) const;

    MelodyStore store;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs fileDialogs;
    ScriptedClipboard clipboard;
    MemorySettingsStore settings;
    ScriptedHelpViewer help;
    ScriptedDialogs dialogs;
    ScriptedPlayer player;
    QTemporaryDir folder;
    int terminations = 0;
    TFormMain window;
};

// The image of a melody compiled from one voice's score text (UTF-8 here),
// titled as given, through the core's analysis.
std::string CompiledMelody(const QString& score, const QString& title = QString());

// The file's bytes, or an empty string when it cannot be read.
std::string FileBytes(const QString& path);

// UTF-8 text as the Shift-JIS bytes the core keeps.
std::string Sjis(const QString& text);

}  // namespace quaverly
