// The window's dialogs as the commands use them. All are created once at
// start and keep their contents between uses; each Run shows one modally.
// The real implementation drives TFormMldSelect, TFileInfoDlg, TF0DataDlg,
// TSetupDlg, TAboutDlg and TInKtlink; tests script it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "UnitMfi/MfiMelody.h"
#include "audio/AudioFormat.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMld/MelodyFileInfo.h"

namespace quaverly {

// The audio export's presets for a phone's ringtone.
enum class AudioExportPreset {
    None,
    IPhoneRingtone,   // .m4r, at most 30 s, normalised
    AndroidRingtone,  // .ogg looping (ANDROID_LOOP=true), normalised
};

// What the audio export dialog asks before an export.
struct AudioExportChoice {
    int repeats = 1;           // 1 to 10
    double fadeSeconds = 0.0;  // 0 to 30
    bool normalize = false;    // a peak of -1 dBFS
    AudioExportPreset preset = AudioExportPreset::None;
    double maxSeconds = DefaultM4rSeconds;  // .m4r: MinM4rSeconds to MaxM4rSeconds
    bool loop = false;                      // .ogg and .opus: ANDROID_LOOP=true
    // The chosen file's format, which says which of the above apply (given
    // to the dialog, not asked).
    AudioFormat format = AudioFormat::Wav;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The MLD file browser: the chosen file's full path, or nothing on Cancel.
    // A start folder (the current file's) replaces the one kept from its last use.
    virtual std::optional<QString> RunMldSelect(const QString& startFolder = QString()) = 0;
    // The file information dialog: false on Cancel (info unchanged).
    virtual bool RunFileInfo(MelodyFileInfo& info) = 0;
    // The file information dialog on a melody of another maker: what the
    // file is (title, copyright, version, date, tracks, channels and their
    // notes), read-only.
    virtual void ShowForeignInfo(const MfiMelody& melody) = 0;
    // The FFF0 data dialog: false on Cancel (both unchanged).
    virtual bool RunF0Data(bool& dataSet, std::string& dataHex) = 0;
    // The settings dialog.
    virtual void RunSetup() = 0;
    // The live tempo adjustment text: the settings dialog's edit field.
    virtual QString EditTempoText() const = 0;
    // The about box.
    virtual void RunAbout() = 0;
    // The ringtone-book dialog on a file: the melody texts (Shift-JIS) of the
    // chosen songs, at most four, or nothing on Cancel.
    virtual std::optional<std::vector<std::string>> RunRingtoneBook(const QString& path) = 0;
    // The MIDI channel choice for an import: the channels of the survey with
    // its automatic choice ticked. The chosen channels (1..16, at most four)
    // in voice order, or nothing on Cancel.
    virtual std::optional<std::vector<int>> RunMidiChannels(const MidiSurvey& survey) = 0;
    // The audio export's options, shown with choice: false on Cancel
    // (choice unchanged).
    virtual bool RunAudioExport(AudioExportChoice& choice) = 0;
};

}  // namespace quaverly
