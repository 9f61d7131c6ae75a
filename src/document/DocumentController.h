// DocumentController: the document the window edits, held apart from the
// window. It keeps the document's state (EditState), the bound file, the file
// information, the melody store it works on and the tempo adjustment, and
// decides what the commands do with them: which question guards a command,
// whether the pages are analysed before the melody is used, where Save
// writes, how a file given to the window is read, and what a play or a MIDI
// export writes. The window shows, asks and fills its controls; the rules
// live here, where a test drives them without a window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "DocumentSettings.h"
#include "EditState.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMld/CrashJournal.h"
#include "UnitMld/MailText.h"
#include "UnitMld/MelodyFileInfo.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/StagedMelody.h"

namespace quaverly {

// What a command that writes or uses the compiled melody does first.
enum class BeforeUse {
    Go,             // the melody matches the pages
    AskToAnalyse,   // edited since: the analysis question, whose Yes analyses
    Analyse,        // never compiled: analysed without a question
};

// Where Save writes: the bound melody file, or a name the user gives (no file
// bound, or one that is no ".mld", whose other layout Save would drop). A
// melody of another maker shown as it is is never written: Save and Save As
// ask whether to fold it into four voices, and the folded melody asks a new name.
enum class SaveRoute { BoundFile, AskName, FoldForeign };

// A melody of another maker folded into four voices for editing: the
// candidate store to stage, and the report that comes with it (Shift-JIS).
struct ForeignFold {
    MelodyStore candidate;
    std::string report;
};

// A mail text read for the document: the candidate store holding what it
// decodes to, and what in it was not Base64.
struct MailStaging {
    MelodyStore candidate;
    MailReading reading;
    // Characters that are not Base64 were decoded all the same: the melody
    // may not be the one sent, and the person is asked before it is taken.
    bool AsksNotBase64() const { return reading.notBase64 > 0; }
};

// How a file chosen for import or dropped on the window is read.
// TextMelody: RTTTL or MML (".rtttl", ".mml", or a ".txt" holding either).
enum class ReadRoute { Melody, MelodyText, NumericText, RingtoneBook, Midi, TextMelody, MusicXml, NotSupported };
struct FileRoute {
    ReadRoute read = ReadRoute::NotSupported;
    bool notSupportedFirst = false;  // "未サポートです" is shown, then the file is read
    bool bindsFile = false;          // the file becomes the bound file
    bool enablesSave = false;
    bool operator==(const FileRoute&) const = default;
};

// The voices a MIDI file sounds: the voice switches, or for a play the solo
// voice (1..4) alone when there is one.
struct PlayVoices {
    std::array<bool, VoiceCount> switches{true, true, true, true};
    int soloVoice = 0;
    bool forPlay = false;
};

class DocumentController {
public:
    explicit DocumentController(MelodyStore& store) : m_store(store) {}

    EditState State() const { return m_state; }
    void SetState(EditState state) { m_state = state; }
    // The change notices: a page, or a box (tempo, title, tone, volume, the
    // file information), changed; whatever the state was.
    void PageEdited() { m_state = EditState::ScoreEdited; }
    void SettingEdited() { m_state = EditState::SettingsEdited; }
    // The pages or a box changed since the last analysis, load or save.
    bool Edited() const;
    // The loss question guards every command that replaces the document.
    bool AsksLossQuestion() const;
    // An edit since the last analysis, load or save, or an import no file
    // holds; never a melody of another maker shown as it is.
    bool HoldsUnsavedWork() const;
    // Before a save, play, MIDI or audio export or mail text.
    BeforeUse BeforeUsingMelody() const;

    // The bound file as the file system names it (its own bytes); empty for none.
    const std::string& CurrentFileName() const { return m_currentFileName; }
    void Bind(std::string path) { m_currentFileName = std::move(path); }

    MelodyFileInfo& FileInfo() { return m_info; }
    const MelodyFileInfo& FileInfo() const { return m_info; }
    MelodyStore& Store() { return m_store; }
    const MelodyStore& Store() const { return m_store; }

    // A new document: no melody, no file bound, Empty, no melody of another
    // maker shown. The file information and the FFF0 data stay, as New keeps them.
    void Reset();

    // A melody of another maker (several tracks, sixteen channels) shown as
    // it is: the document is that melody, bound to no file and Current; path
    // (the file system's bytes) is the file it was read from, empty for a
    // menu import. The pages stay empty while it is shown.
    void ShowForeign(MfiMelody melody, std::string path);
    // The shown melody, or nullptr while the document is of this program's kind.
    const MfiMelody* Foreign() const { return m_foreign ? &m_foreign->melody : nullptr; }
    const std::string& ForeignPath() const { return m_foreign ? m_foreign->path : m_noPath; }
    // Back to a document of this program's kind; false when none was shown.
    bool LeaveForeign();
    // The file the title bar names and the dialogs start from: the shown
    // melody's, or the bound file.
    const std::string& TitleFileName() const { return m_foreign ? m_foreign->path : m_currentFileName; }
    // The MIDI read dialog's survey of the shown melody's channels, titled for the fold.
    MidiSurvey ForeignSurvey() const;
    // The shown melody folded with the channels chosen, as a MIDI file is imported.
    ForeignFold FoldForeign(const std::vector<int>& channels) const;
    // Its all-channel MIDI file with its own tempo map (the tempo adjustment
    // is for this program's melodies). For a play that repeats, a melody with
    // a loop holds its intro and its loop section once, unrolled.
    std::string ForeignMidiBytes(bool repeatedPlay) const;

    // The analysis of the pages into the store: Current when nothing was refused.
    AnalysisResult Analyse(const EditorTexts& texts, bool extendedNotation);

    SaveRoute RouteSave() const;
    // Whether Save As may write to the name (a ".mld" in either case).
    static bool IsMelodyFileName(std::string_view path);
    // Writes the melody whole to path and binds it; throws FileError with the
    // binding and the state unchanged. Saved when the melody matched the
    // pages; otherwise the edit stays, so closing still asks. True when Saved.
    bool SaveTo(const std::string& path);

    // Replaces the document by a staged melody of this program's kind: its
    // store and file information; bound to boundFile unless it was folded
    // from another maker's file; Current. The fields are for the controls.
    EditorFields Adopt(StagedMelody staged, std::string boundFile);

    // The crash journal of the document as it stands: the pages and boxes as
    // given, the file information, the FFF0 data, the image and the binding.
    JournalContent Journal(const EditorTexts& texts) const;
    // A journal's document taken back: all of the above but the pages and
    // boxes, which the window fills. Restored, not saved: ScoreEdited, so
    // every question asks again until the next save. Returns the sequence
    // rows of the journaled image; none for a melody too long for the view.
    std::vector<SequenceRow> Restore(const JournalContent& content);

    // The mail attachment text of the melody as it stands (Shift-JIS, CR LF).
    std::string MailText() const;
    // A mail text (the clipboard's, nothing when it holds no text) decoded
    // beside the document, to be staged; without text the candidate holds
    // no melody, which staging refuses as any other.
    MailStaging StageMail(const std::optional<std::string>& text) const;

    static FileRoute RouteImport(std::string_view path);
    static FileRoute RouteDrop(std::string_view path);

    // The tempo adjustment, read once from its text where it is set.
    bool HasTempoAdjustment() const { return m_adjustmentRead; }
    const TempoAdjustment& Adjustment() const { return m_adjustment; }
    void SetTempoAdjustment(TempoAdjustment adjustment);

    // What a play or a MIDI export writes: the checked values, the voices,
    // the title (Shift-JIS) and the tempo adjustment.
    MidiSettings PlayRequest(const SettingValues& values, const PlayVoices& voices, std::string title) const;

private:
    struct ShownForeign {
        MfiMelody melody;
        std::string path;
    };

    MelodyStore& m_store;
    std::optional<ShownForeign> m_foreign;
    const std::string m_noPath;
    EditState m_state = EditState::Empty;
    std::string m_currentFileName;
    MelodyFileInfo m_info;
    TempoAdjustment m_adjustment;
    bool m_adjustmentRead = false;
};

}  // namespace quaverly
