#include "AppDialogs.h"

#include "InKtlSrc/TInKtlink.h"
#include "UnitAbout/TAboutDlg.h"
#include "UnitF0Data/TF0DataDlg.h"
#include "UnitInfo/TFileInfoDlg.h"
#include "UnitMain/TAudioExportDlg.h"
#include "UnitMidiIn/TReadMidiDlg.h"
#include "UnitMldSel/TFormMldSelect.h"
#include "UnitSetup/TSetupDlg.h"
#include "platform/FormLook.h"

namespace quaverly {

namespace {

bool ShowModal(QDialog& dialog)
{
    CenterOnScreen(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

AppDialogs::AppDialogs(MessageBoxes& boxes, SettingsStore& settings) : m_boxes(boxes), m_settings(settings) {}

template <class Dialog, class... Arguments>
Dialog& AppDialogs::Made(QPointer<Dialog>& dialog, Arguments&... arguments) const
{
    if (dialog == nullptr) {
        dialog = new Dialog(arguments...);
        if (m_parent != nullptr) {
            dialog->setParent(m_parent, dialog->windowFlags());
        }
    }
    return *dialog;
}

AppDialogs::~AppDialogs()
{
    for (QDialog* dialog : All()) {
        delete dialog;
    }
}

QList<QDialog*> AppDialogs::All() const
{
    QList<QDialog*> dialogs;
    for (QDialog* dialog :
         std::initializer_list<QDialog*>{m_about, m_fileInfo, m_f0Data, m_ringtoneBook, m_midiChannels, m_mldSelect, m_setup,
                                          m_audioExport}) {
        if (dialog != nullptr) {
            dialogs.append(dialog);
        }
    }
    return dialogs;
}

TFormMldSelect& AppDialogs::MldSelect()
{
    return Made(m_mldSelect, m_boxes);
}
TFileInfoDlg& AppDialogs::FileInfo()
{
    return Made(m_fileInfo);
}
TF0DataDlg& AppDialogs::F0Data()
{
    return Made(m_f0Data);
}
TSetupDlg& AppDialogs::Setup()
{
    return Made(m_setup, m_settings, m_boxes);
}
TAboutDlg& AppDialogs::About()
{
    return Made(m_about);
}
TInKtlink& AppDialogs::RingtoneBook()
{
    return Made(m_ringtoneBook, m_boxes);
}
TReadMidiDlg& AppDialogs::MidiChannels()
{
    return Made(m_midiChannels);
}
TAudioExportDlg& AppDialogs::AudioExport()
{
    return Made(m_audioExport);
}

void AppDialogs::SetParentWindow(QWidget* window)
{
    m_parent = window;
    for (QDialog* dialog : All()) {
        dialog->setParent(window, dialog->windowFlags());
    }
}

std::optional<QString> AppDialogs::RunMldSelect(const QString& startFolder)
{
    if (!startFolder.isEmpty() && startFolder != MldSelect().CurrentFolder()) {
        MldSelect().SelectFolderInTree(startFolder);
        MldSelect().SetCurrentFolder(startFolder);
        MldSelect().ListFolder();
    }
    if (!ShowModal(MldSelect())) {
        return std::nullopt;
    }
    return MldSelect().SelectedFileName();
}

bool AppDialogs::RunFileInfo(MelodyFileInfo& info)
{
    FileInfo().LoadFrom(info);
    if (!ShowModal(FileInfo())) {
        return false;
    }
    FileInfo().StoreInto(info);
    return true;
}

void AppDialogs::ShowForeignInfo(const MfiMelody& melody)
{
    FileInfo().LoadForeign(melody);
    ShowModal(FileInfo());
}

bool AppDialogs::RunF0Data(bool& dataSet, std::string& dataHex)
{
    F0Data().LoadFrom(dataSet, dataHex);
    if (!ShowModal(F0Data())) {
        return false;
    }
    F0Data().StoreInto(dataSet, dataHex);
    return true;
}

void AppDialogs::RunSetup()
{
    ShowModal(Setup());
}

QString AppDialogs::EditTempoText() const
{
    return Made(m_setup, m_settings, m_boxes).EditTempoText();
}

void AppDialogs::RunAbout()
{
    ShowModal(About());
}

std::optional<std::vector<std::string>> AppDialogs::RunRingtoneBook(const QString& path)
{
    // A book of which nothing could be read has nothing to choose from: the
    // error has been shown, and the dialog is not.
    if (!RingtoneBook().ReadKtl(path) && RingtoneBook().SongCount() == 0) {
        return std::nullopt;
    }
    if (!ShowModal(RingtoneBook())) {
        return std::nullopt;
    }
    return RingtoneBook().SelectedMelodies();
}

std::optional<std::vector<int>> AppDialogs::RunMidiChannels(const MidiSurvey& survey)
{
    MidiChannels().LoadSurvey(survey);
    if (!ShowModal(MidiChannels())) {
        return std::nullopt;
    }
    return MidiChannels().ChosenChannels();
}

bool AppDialogs::RunAudioExport(AudioExportChoice& choice)
{
    AudioExport().Load(choice);
    if (!ShowModal(AudioExport())) {
        return false;
    }
    choice = AudioExport().Choice();
    return true;
}

}  // namespace quaverly
