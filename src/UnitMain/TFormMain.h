// TFormMain: the program's one main window, a view over the document its
// DocumentController keeps (EditState, CurrentFileName, a melody of another
// maker shown as it is, and the rules that guard them). It holds the controls
// of the four voices (VoicePages), the tempo and the title, the crash journal
// (DocumentJournal) and the play follow (PlayFollow), and wires every menu
// command, dropped file and the command line to the controller or the core
// unit. It is defined across files, one per concern:
// TFormMain.cpp (construction and wiring), FileCommands.cpp, EditCommands.cpp,
// ExportCommands.cpp, PlayCommands.cpp, RollCommands.cpp, KeyInput.cpp,
// StartUp.cpp, DocumentReplace.cpp (check first, replace after),
// ForeignMelodyView.cpp (a melody of another maker shown as it is) and
// Journal.cpp (what the crash journal, DocumentJournal, takes and gives back).
//
// Contract with other units: the voice controls are found by name followed by
// the voice number 1 to 4 ("Memo", "ComboBoxTone", "EditVol", "TabSheet",
// "mnPlay"), once, by VoicePages; every text between a control and the core
// passes FromSjis/ToSjis.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>
#include <memory>
#include <optional>
#include <string>

#include "UnitMain/DocumentJournal.h"
#include "UnitMain/PlayFollow.h"
#include "UnitMain/VoicePages.h"
#include "UnitMain/WindowServices.h"
#include "document/DocumentController.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMld/MelodyFileInfo.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/StagedMelody.h"
#include "UnitMld/SequenceList.h"
#include "UnitRoll/RollModel.h"
#include "UnitText/TextMelody.h"

class QAction;
class QActionGroup;
class QCloseEvent;
class QDockWidget;
class QLabel;
class QTimer;
class QPlainTextEdit;

namespace Ui {
class TFormMain;
}

namespace quaverly {

class DiagnosticsView;
class EditMenu;
class LiveAnalysis;
class RecentFiles;
class SequenceRowModel;
class TPianoRoll;
class TFileDrop;
class TWinPlace;

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    TFormMain(MelodyStore& store, const WindowServices& services, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Start-up (StartUp.cpp): resets the editor, reads the command line
    // (arguments without the program name), imports "/CIN", opens the file
    // argument and, for "/P", plays and asks the application to end.
    void StartUp(const QStringList& arguments);
    // Whether the window has asked the application to end (after "/P").
    bool TerminateRequested() const { return m_terminateRequested; }

    // The crash journal. Its folder is the per-user data folder in the
    // program and a temporary one in tests; empty means no journal.
    void SetJournalFolder(const QString& folder) { m_journal->SetFolder(folder); }
    const DocumentJournal& Journal() const { return *m_journal; }
    DocumentJournal& Journal() { return *m_journal; }
    // The document the window shows: its state, bound file, file information
    // and the melody of another maker shown as it is.
    const DocumentController& Document() const { return m_document; }
    // The four voices' controls and their texts as the core reads them.
    const VoicePages& Pages() const { return *m_pages; }
    // The playing note followed in the roll and the pages.
    const PlayFollow& Follow() const { return *m_follow; }

public slots:
    // File menu (FileCommands.cpp, ExportCommands.cpp, PlayCommands.cpp).
    void mnNewClick();
    void mnOpen1Click();
    void mnSave1Click();
    void mnSaveAs1Click();
    void mnImportClick();
    void mnGetMidiClick();
    void mnExportClick();
    void mnPutMidiClick();
    // Audio export (AudioExportCommand.cpp).
    void mnExportAudioClick();
    // RTTTL and MML export (TextFormatCommands.cpp).
    void mnExportRtttlClick();
    void mnExportMmlClick();
    // MusicXML export (MusicXmlCommands.cpp).
    void mnExportMusicXmlClick();
    void mnExit1Click();
    // The drop handler: only the first name is used.
    void FileDrop1FileDrop(const QStringList& fileNames);

    // Edit menu (EditCommands.cpp).
    void mnMakeMldClick();
    void mnInfoClick();
    void mnF0DataClick();
    void mnGetMailClick();
    void mnCreateMailClick();
    void mnMeloPClick();
    void mnMeloMClick();
    // 「編集用に取り込む」: the shown melody of another maker folded into
    // four voices through the MIDI read dialog's channel choice, bound to no file.
    void mnImportForEditingClick();
    // 音階シフト: the selection's notes, or the page's, by semitones.
    void ShiftScale(int semitones);

    // Play (PlayCommands.cpp). The menu has already toggled a checkable
    // item's check mark when mnPlay1Click runs; mnRepeatPlay's is read when
    // a play ends.
    void mnPlayClick();
    void MediaPlayer1Notify();
    void mnPlay1Click(int voice);
    void mnPlayFromCursorClick();
    void mnPreviewClick();

    // Settings and help menus (EditCommands.cpp).
    void mnOptionClick();
    void mnContentsClick();
    void mnAbout1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the program's other units do not use is private; tests reach what
    // they need of it through this one struct and no other way
    // (tests/gui/support/WindowAccess.h).
    friend struct WindowAccess;

    // Ending the application: "/P" when playing ends, and Exit. The handler
    // defaults to leaving every event loop; tests replace it to observe it.
    void SetTerminateHandler(std::function<void()> handler);
    void TerminateApplication();

    // Document state and what the commands read: the document controller's.
    EditState State() const { return m_document.State(); }
    void SetEditState(EditState state)
    {
        m_document.SetState(state);
        DocumentChanged();
    }
    // The bound file as the window names it.
    QString CurrentFileName() const;
    MelodyFileInfo& FileInfo() { return m_document.FileInfo(); }
    const MelodyFileInfo& FileInfo() const { return m_document.FileInfo(); }
    bool ExtendedNotation() const { return m_extendedNotation; }
    bool KeyMappingOff() const { return m_keyMappingOff; }
    const QString& CommandLineMode() const { return m_commandLineMode; }

    // The folder of the program's own executable, where the help document is
    // looked for (the play file lives in the user's data folder). Tests point
    // it elsewhere.
    QString ProgramFolder() const { return m_programFolder; }
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }
    QString HelpFileName() const;

    // The two questions; each returns true when the command goes on.
    // Loss question: asked in Current, ScoreEdited and SettingsEdited. Its
    // third button 「保存」 saves first and goes on only when the document
    // was saved whole.
    bool AskLossQuestion();
    // Before a command writes or uses the compiled melody (every save, play,
    // MIDI export, mail text): pages or settings edited since
    // the last analysis, or a document never compiled, are compiled first as
    // 「音譜解析」 does, so that nothing written holds less than the pages
    // say. An edit asks the analysis question first, whose Yes means "analyse
    // and go on". False after No, or after a refusal, which is shown and led
    // to as the analysis command does; the command then writes nothing.
    // The text export writes the pages themselves and only asks.
    bool AnalyseBeforeUse();

    // Reset editor: New without the question; also the first step of adopting
    // a staged melody.
    void ResetEditor();
    // The fixed entries of the tempo and tone lists, once, as the window is made.
    void FillChoiceLists();

    // Check first, replace after (DocumentReplace.cpp). Every open and import
    // path reads its input into a StagedMelody beside the document; a reader
    // returns nothing after showing its refusal, and a read error is thrown
    // with the document untouched. Only then does the path ask the loss
    // question and adopt the staged melody: the editor is reset and filled,
    // CurrentFileName is bound to boundFile, Save is enabled as asked and the
    // state is Current. A new import path (another file format) fills a
    // CandidateStore, calls StageOrRefuse and then AdoptStagedMelody.
    std::optional<StagedMelody> StageMelodyFile(const QString& path);
    std::optional<StagedMelody> StageNumericText(std::string_view text);
    // A melody file of another maker, read whole to be shown as it is
    // (ForeignMelodyView.cpp); a file that is no melody throws.
    std::optional<StagedMelody> StageOtherMakersMelody(const QString& path, std::string_view image);
    // The shown melody of another maker folded into four voices through the
    // MIDI read dialog's channel choice, checked; nothing on Cancel or refusal.
    std::optional<StagedMelody> StageForeignForEditing();
    // Reads a melody text file (".tml") into the editor through the analysis,
    // listing where its pages are not taken as written. A drop asks the loss
    // question after the read (askLossQuestion); the menu has asked before.
    void ImportMelodyText(const QString& path, bool askLossQuestion);
    // The ringtone book (".ktm"): the songs chosen in its dialog go into the
    // voice pages from the first on, one song a page; the other pages keep
    // their text (RingtoneBookImport.cpp).
    void ImportRingtoneBook(const QString& path, bool askLossQuestion);
    // A file chosen for import or dropped, read as the controller routes it:
    // refused, staged and adopted, or handed to its own import. A drop asks
    // the loss question once the file has been read (askLossQuestion).
    void ReadGivenFile(const QString& path, const FileRoute& route, bool askLossQuestion);
    std::optional<StagedMelody> StageOrRefuse(MelodyStore candidate);
    void AdoptStagedMelody(StagedMelody staged, const QString& boundFile, bool enableSave);

    // The piano roll and the play position (RollCommands.cpp).
    TPianoRoll* PianoRoll() const { return m_roll; }
    // Shows in the roll what the pages would compile to now.
    void RefreshRollFromPages();
    // Shows a compiled or loaded melody in the roll.
    void ShowSequenceInRoll(const SequenceList& list);
    // The same, laid out for the roll before.
    void ShowRollModel(RollModel model);
    // The voice 1..4 that plays alone, 0 for none; the voice switches stay.
    int SoloVoice() const { return m_soloVoice; }
    void SetSoloVoice(int voice);
    bool PreviewEnabled() const;

    // Play and MIDI export share the checks and the writing (PlayCommands.cpp):
    // false after a refusal message, with nothing written.
    // forPlay: the solo voice, if any, is the only one written. values: the
    // boxes as the command read them; read here when not given.
    bool CheckAndWriteMidi(const QString& path, bool forPlay = false, const SettingValues* values = nullptr);
    // The same checks, and the MIDI file's bytes instead of a file: nothing
    // after a refusal message.
    std::optional<std::string> CheckAndMakeMidi(bool forPlay = false, const SettingValues* values = nullptr);
    // The tempo, tone and volume boxes read once into values where a command
    // begins; nothing after the refusal has been shown and led to.
    std::optional<SettingValues> ReadSettingsOrRefuse();
    // The tempo adjustment, read from the settings store at its first use and
    // again whenever the settings dialog closes.
    const TempoAdjustment& Adjustment();
    // A refusal's message box, naming the voice and what its box allows, and the lead to the box.
    void ShowRefusal(const std::string& refusal, const RefusalReason& reason);
    // "/P": play at once, show the playing window, end when it closes.
    void StartPlayAndExit();

    // Wiring (TFormMain.cpp).
    void SetUpLook();
    void ConnectMenu();
    void ConnectChangeNotices();

    // Runs a command body; a QuaverlyError (or any other exception) ends it
    // and is shown by the standard error display, and the program goes on.
    void RunCommand(const std::function<void()>& body);
    void ShowError(const std::exception& error);
    void ShowNotSupported();

    // After every command and change notice: the title bar and the journal's timer.
    void DocumentChanged();
    void UpdateWindowTitle();
    // An edit since the last analysis, load or save, or an import no file holds:
    // what the title bar marks and the journal keeps.
    bool HoldsUnsavedWork() const;
    void SetUpShortcuts();

    // The crash journal given the editor's content, and a restored one
    // filling the controls (Journal.cpp).
    void SetUpJournal();
    void RestoreJournal(const JournalContent& content);

    // The analysis command's body: true when the pages compiled. Report shows
    // the report box and the sequence page; Quiet (before a save) neither.
    enum class AnalysisShown { Report, Quiet };
    bool AnalysePages(AnalysisShown shown);

    // Filling the controls from the core (TFormMain.cpp).
    void FillEditorFields(EditorFields fields);
    void FillSequenceRows(std::vector<SequenceRow> rows);
    // KeepUndo: the page's text is replaced as one undo step (the analysis
    // rewrite, which Ctrl+Z takes back); Fresh starts the page's undo anew (a load).
    enum class MemoUndo { Fresh, KeepUndo };
    void SetMemoText(int voice, const std::string& sjis, MemoUndo undo = MemoUndo::Fresh);
    // After a refusal of the check chain: the page of the voice concerned,
    // the focus in the box at fault with its text selected.
    void LeadToRefusedField(const RefusalReason& reason);
    // The live check of the pages (diagnostics, meter, sequence) and the
    // views that show it.
    LiveAnalysis& Live() const { return *m_liveAnalysis; }
    DiagnosticsView& Diagnostics() const { return *m_diagnosticsView; }

    // File command steps (FileCommands.cpp).
    // A MIDI file through the channel choice into the editor, checked before
    // it replaces the document; a drop asks the loss question after the read
    // (MidiImportCommand.cpp).
    void ImportMidiIntoEditor(const QString& path, bool askLossQuestion);
    // The one road of every notes import (MIDI, MusicXML, RTTTL, MML): the
    // channel choice, the fold into four voices, the check before the
    // document is replaced, and the report (what the reader could not read
    // first, then the import's report). The channel dialog is titled what,
    // and the report headed what with 「結果」.
    void ImportNotesIntoEditor(MidiContent content, bool askLossQuestion, const QString& what,
                               const std::string& readerProblems = {});
    // The same of RTTTL and MML text, and the export steps (TextFormatCommands.cpp).
    void ImportTextMelodyIntoEditor(const QString& path, bool askLossQuestion);
    std::optional<TextMelody> TextMelodyForExport();
    std::optional<QString> AskTextExportFile(const QString& filter, const QString& extension);
    // A MusicXML score the same way (MusicXmlCommands.cpp).
    void ImportMusicXmlIntoEditor(const QString& path, bool askLossQuestion);
    void SaveMelodyTo(const QString& path);
    // Save's body: the analysis question, then the bound file or Save As.
    void SaveDocument();
    // Save As after its question: the dialog, the ".mld" check, the save.
    void RunSaveAs();

    // The controls as the document's kind asks (ForeignMelodyView.cpp):
    // while a melody of another maker is shown the pages are empty and
    // read-only, the roll shows every channel, the boxes are greyed with
    // what the file holds, and the commands of the four voices are disabled
    // or explain themselves (RefusedAsViewOnly).
    void UpdateControlsForView();
    void UpdateCommandsForView();
    // The file the title bar names and the dialogs start from.
    QString DocumentFileName() const;

    // What a play or MIDI export writes: the values read, the voice switches
    // or the solo voice, the title and the tempo adjustment (PlayCommands.cpp).
    MidiSettings MidiRequest(const SettingValues& values, bool forPlay);

    // Play from the start (startTime -1) or from a time (PlayCommands.cpp).
    void StartPlay(int startTime);

    // The roll, follow, solo and preview (RollCommands.cpp).
    void SetUpRoll();
    void PageTextChanged(int voice);
    void RollDockResized();
    void PageCursorMoved(int voice);
    void RollNoteClicked(const SourceSpan& source);
    void PreviewTypedNote(int voice);
    // The time of the note under the current page's cursor, or -1.
    int StartTimeAtCursor();

    // Score keyboard input (KeyInput.cpp): true when the key was replaced.
    bool Memo1KeyPress(QPlainTextEdit* memo, const QString& keyText);

    // The live check of the pages and how it is shown (TFormMain.cpp).
    void SetUpLiveAnalysis();

    std::unique_ptr<Ui::TFormMain> m_ui;
    // The per-voice controls, gathered by their names after the form is set up.
    std::unique_ptr<VoicePages> m_pages;
    // Whether a play is under way: the play item says "停止(&P)" then.
    enum class PlayState { Stopped, Playing };
    PlayState m_playState = PlayState::Stopped;
    void SetPlayState(PlayState state);
    LiveAnalysis* m_liveAnalysis = nullptr;
    DiagnosticsView* m_diagnosticsView = nullptr;
    MelodyStore& m_store;
    WindowServices m_services;

    // The document's state, bound file, file information and the rules that guard them.
    DocumentController m_document;
    bool m_extendedNotation = false;
    bool m_keyMappingOff = false;
    bool m_playAndExit = false;
    QString m_commandLineMode;

    SequenceRowModel* m_sequenceRows = nullptr;  // ListViewSeq's rows: owned by the window
    TWinPlace* m_winPlace = nullptr;             // WinPlace1: owned by the window
    TFileDrop* m_fileDrop = nullptr;             // FileDrop1: owned by the window

    TPianoRoll* m_roll = nullptr;          // owned by its dock
    QDockWidget* m_rollDock = nullptr;     // owned by the window
    PlayFollow* m_follow = nullptr;        // owned by the window
    QTimer* m_rollHeightSave = nullptr;
    QAction* m_previewItem = nullptr;
    QActionGroup* m_soloItems = nullptr;
    int m_soloVoice = 0;
    int m_playStartTime = -1;              // where the current play began (-1: the start)
    // Per page: the page has changed since the roll's notes were made (the
    // live check's result has not come yet).
    std::array<bool, VoiceCount> m_rollBehindPage{};

    QString m_programFolder;
    std::function<void()> m_terminateHandler;
    bool m_terminateRequested = false;
    // Set by Exit once its question is answered, so closing does not ask again.
    bool m_closeApproved = false;

    // The recent files, the Edit menu's text commands, the keys and the
    // signs a desktop user expects (DesktopMenus.cpp).
    void SetUpDesktopMenus();
    void UpdateDesktopSigns();
    void OpenRecentFile(const QString& path);
    // The greyed boxes say what the shown melody of another maker holds
    // (ForeignSettingsView.cpp).
    void ShowForeignSettings();
    // The window within the screen's free area, its title bar included: the
    // first size and a restored placement never reach past the screen.
    void FitToScreen();
    // A notice about the document just loaded, shown whole over the pages;
    // hidden when the editor is reset.
    void ShowNotice(const QString& text);
    class NoticeBar* m_noticeBar = nullptr;
    RecentFiles* m_recentFiles = nullptr;
    EditMenu* m_editMenu = nullptr;
    QLabel* m_extendedSign = nullptr;
    DocumentJournal* m_journal = nullptr;  // owned by the window
};

}  // namespace quaverly
