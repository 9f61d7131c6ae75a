// The program's dialogs behind the Dialogs interface: the MLD file browser,
// the file information and FFF0 data dialogs, the settings dialog, the about
// box and the ringtone-book dialog. Each is created on its first use, so that
// the main window shows without waiting for them, and keeps its contents
// between uses; creating the settings dialog loads the tempo adjustment, so
// the first reading of the tempo adjustment creates it.
#pragma once

#include <QPointer>

#include "platform/Dialogs.h"

class QDialog;
class QWidget;

namespace quaverly {

class MessageBoxes;
class SettingsStore;
class TAboutDlg;
class TAudioExportDlg;
class TF0DataDlg;
class TFileInfoDlg;
class TFormMldSelect;
class TInKtlink;
class TReadMidiDlg;
class TSetupDlg;

class AppDialogs : public Dialogs {
public:
    // The boxes and the store must outlive this object. The dialogs are
    // centred on the screen when shown.
    AppDialogs(MessageBoxes& boxes, SettingsStore& settings);
    // Deletes the dialogs that a parent window has not already deleted.
    ~AppDialogs() override;
    AppDialogs(const AppDialogs&) = delete;
    AppDialogs& operator=(const AppDialogs&) = delete;

    // Keeps the dialogs above that window (the main window, once it exists).
    // When the window is destroyed first, it takes the dialogs with it.
    void SetParentWindow(QWidget* window);

    std::optional<QString> RunMldSelect(const QString& startFolder = QString()) override;
    bool RunFileInfo(MelodyFileInfo& info) override;
    void ShowForeignInfo(const MfiMelody& melody) override;
    bool RunF0Data(bool& dataSet, std::string& dataHex) override;
    void RunSetup() override;
    QString EditTempoText() const override;
    void RunAbout() override;
    std::optional<std::vector<std::string>> RunRingtoneBook(const QString& path) override;
    std::optional<std::vector<int>> RunMidiChannels(const MidiSurvey& survey) override;
    bool RunAudioExport(AudioExportChoice& choice) override;

    // The dialogs themselves, for the program's screenshots and for tests.
    TFormMldSelect& MldSelect();
    TFileInfoDlg& FileInfo();
    TF0DataDlg& F0Data();
    TSetupDlg& Setup();
    TAboutDlg& About();
    TInKtlink& RingtoneBook();
    TReadMidiDlg& MidiChannels();
    TAudioExportDlg& AudioExport();

private:
    QList<QDialog*> All() const;
    // The dialog, created with the arguments on first use.
    template <class Dialog, class... Arguments>
    Dialog& Made(QPointer<Dialog>& dialog, Arguments&... arguments) const;

    MessageBoxes& m_boxes;
    SettingsStore& m_settings;
    QPointer<QWidget> m_parent;
    QPointer<TAboutDlg> m_about;
    QPointer<TFileInfoDlg> m_fileInfo;
    QPointer<TF0DataDlg> m_f0Data;
    QPointer<TInKtlink> m_ringtoneBook;
    QPointer<TReadMidiDlg> m_midiChannels;
    QPointer<TAudioExportDlg> m_audioExport;
    QPointer<TFormMldSelect> m_mldSelect;
    // Also made by EditTempoText, which only reads.
    mutable QPointer<TSetupDlg> m_setup;
};

}  // namespace quaverly
