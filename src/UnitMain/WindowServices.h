// The outside services the main window works through: message boxes, file
// dialogs, the clipboard, the settings store, the help viewer, the dialogs and
// the MIDI player. The application passes the real ones; tests pass scripted
// stand-ins, so every command can run headless.
#pragma once

#include "UnitMld/Clipboard.h"
#include "UnitPlay/MidiPlayer.h"
#include "platform/Dialogs.h"
#include "platform/FileDialogs.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"

namespace quaverly {

// References only: the services outlive the window that uses them.
struct WindowServices {
    MessageBoxes& messageBoxes;
    FileDialogs& fileDialogs;
    Clipboard& clipboard;
    SettingsStore& settings;
    HelpViewer& helpViewer;
    Dialogs& dialogs;
    MidiPlayer& player;
};

}  // namespace quaverly
