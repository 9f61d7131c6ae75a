// TFormMain: the program's one main window and the owner of the editor. It
// holds the controls of the four voices, the tempo and the title, owns the
// document state EditState and the bound file CurrentFileName, and routes
// every menu command, dropped file and the command line to the core unit that
// does the work. The class is defined across several files, one per concern:
// TFormMain.cpp (construction and wiring), FileCommands.cpp, EditCommands.cpp,
// ExportCommands.cpp, PlayCommands.cpp, KeyInput.cpp and StartUp.cpp.
//
// Contract with other units: the voice controls are found by name followed by
// the voice number 1 to 4 ("Memo", "ComboBoxTone", "EditVol", "TabSheet",
// "mnPlay"); every text between a control and the core passes FromSjis/ToSjis.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "UnitMain/WindowServices.h"
#include "UnitMld/MelodyFileInfo.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"

class QAction;
class QCloseEvent;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace Ui {
class TFormMain;
}

namespace quaverly {

// The document state. Empty and Saved have nothing to lose; ScoreEdited and
// SettingsEdited mean the MelodyImage no longer matches the editor.
enum class EditState { Empty = 0, Current = 1, ScoreEdited = 2, SettingsEdited = 3, Saved = 4 };

class DiagnosticsView;
class LiveAnalysis;
class SequenceRowModel;
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

    // Ending the application: "/P" when playing ends, and Exit. The handler
    // defaults to leaving every event loop; tests replace it to observe it.
    void SetTerminateHandler(std::function<void()> handler);
    void TerminateApplication();
    bool TerminateRequested() const { return m_terminateRequested; }

    // Document state and what the commands read.
    EditState State() const { return m_editState; }
    void SetEditState(EditState state) { m_editState = state; }
    const QString& CurrentFileName() const { return m_currentFileName; }
    MelodyFileInfo& FileInfo() { return m_melodyFileInfo; }
    const MelodyFileInfo& FileInfo() const { return m_melodyFileInfo; }
    bool ExtendedNotation() const { return m_extendedNotation; }
    bool KeyMappingOff() const { return m_keyMappingOff; }
    bool PlayAndExit() const { return m_playAndExit; }
    const QString& CommandLineMode() const { return m_commandLineMode; }

    // The folder of the program's own executable: the help document and the
    // play file "Play.mid" live there. Tests point it elsewhere.
    QString ProgramFolder() const { return m_programFolder; }
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }
    QString HelpFileName() const;

    // The voice controls of voice 1..4, found by name.
    QPlainTextEdit* VoiceMemo(int voice) const;
    QComboBox* VoiceTone(int voice) const;
    QLineEdit* VoiceVolume(int voice) const;
    QWidget* VoicePage(int voice) const;
    QAction* VoicePlayItem(int voice) const;

    // The editor's texts as the core reads them (Shift-JIS, CR LF line ends).
    EditorTexts CollectEditorTexts() const;

    // The two questions; each returns true when the command goes on.
    // Loss question: asked in Current, ScoreEdited and SettingsEdited.
    bool AskLossQuestion();
    // Analysis question: asked in ScoreEdited and SettingsEdited.
    bool AskAnalysisQuestion();

    // Reset editor: New without the question; also the mail import's first step.
    void ResetEditor();

public slots:
    // File menu (FileCommands.cpp, ExportCommands.cpp, PlayCommands.cpp).
    void mnNewClick();
    void mnOpen1Click();
    void mnSave1Click();
    void mnSaveAs1Click();
    void mnImportClick();
    void mnExportClick();
    void mnPutMidiClick();
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

    // Play (PlayCommands.cpp). The menu has already toggled a checkable
    // item's check mark when mnPlay1Click and mnRepeatPlayClick run.
    void mnPlayClick();
    void MediaPlayer1Notify();
    void mnPlay1Click(QAction* item);
    void mnRepeatPlayClick();

    // Settings and help menus (EditCommands.cpp).
    void mnOptionClick();
    void mnContentsClick();
    void mnAbout1Click();

public:
    // Play and MIDI export share the checks and the writing (PlayCommands.cpp):
    // false after a refusal message, with nothing written.
    bool CheckAndWriteMidi(const QString& path);
    // "/P": play at once, show the playing window, end when it closes.
    void StartPlayAndExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Wiring (TFormMain.cpp).
    void SetUpLook();
    void ConnectMenu();
    void ConnectChangeNotices();

    // Runs a command body; a QuaverlyError (or any other exception) ends it
    // and is shown by the standard error display, and the program goes on.
    void RunCommand(const std::function<void()>& body);
    void ShowError(const std::exception& error);
    void ShowNotSupported();

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
public:
    // The live check of the pages (diagnostics, meter, sequence), for the
    // views that show it and for tests.
    LiveAnalysis& Live() const { return *m_liveAnalysis; }
    DiagnosticsView& Diagnostics() const { return *m_diagnosticsView; }
private:
    // LoadMelodyIntoEditor with its "データ形式が異常です" refusal.
    void LoadMelodyIntoControls();

    // File command steps (FileCommands.cpp).
    void OpenMelodyIntoEditor(const QString& path);
    void ImportNumericFile(const QString& path);
    void SaveMelodyTo(const QString& path);
    // Save As after its question: the dialog, the ".mld" check, the save.
    void RunSaveAs();

    // Score keyboard input (KeyInput.cpp): true when the key was replaced.
    bool Memo1KeyPress(QPlainTextEdit* memo, const QString& keyText);

    // The live check of the pages and how it is shown (TFormMain.cpp).
    void SetUpLiveAnalysis();

    std::unique_ptr<Ui::TFormMain> m_ui;
    LiveAnalysis* m_liveAnalysis = nullptr;
    DiagnosticsView* m_diagnosticsView = nullptr;
    MelodyStore& m_store;
    WindowServices m_services;

    EditState m_editState = EditState::Empty;
    QString m_currentFileName;
    MelodyFileInfo m_melodyFileInfo;
    bool m_extendedNotation = false;
    bool m_keyMappingOff = false;
    bool m_playAndExit = false;
    QString m_commandLineMode;

    SequenceRowModel* m_sequenceRows = nullptr;  // ListViewSeq's rows: owned by the window
    TWinPlace* m_winPlace = nullptr;             // WinPlace1: owned by the window
    TFileDrop* m_fileDrop = nullptr;             // FileDrop1: owned by the window

    QString m_programFolder;
    std::function<void()> m_terminateHandler;
    bool m_terminateRequested = false;
    // Set by Exit once its question is answered, so closing does not ask again.
    bool m_closeApproved = false;
};

}  // namespace quaverly
