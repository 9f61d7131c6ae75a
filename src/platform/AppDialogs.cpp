#include "AppDialogs.h"

#include "InKtlSrc/TInKtlink.h"
#include "UnitAbout/TAboutDlg.h"
#include "UnitF0Data/TF0DataDlg.h"
#include "UnitInfo/TFileInfoDlg.h"
#include "UnitMldSel/TFormMldSelect.h"
#include "UnitSetup/TSetupDlg.h"
#include "components/FormLook.h"

namespace quaverly {

namespace {

bool ShowModal(QDialog& dialog)
{
    CenterOnScreen(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

AppDialogs::AppDialogs(MessageBoxes& boxes, SettingsStore& settings)
    : m_about(new TAboutDlg),
      m_fileInfo(new TFileInfoDlg),
      m_f0Data(new TF0DataDlg),
      m_ringtoneBook(new TInKtlink(boxes)),
      m_mldSelect(new TFormMldSelect(boxes)),
      m_setup(new TSetupDlg(settings))
{
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
         std::initializer_list<QDialog*>{m_about, m_fileInfo, m_f0Data, m_ringtoneBook, m_mldSelect, m_setup}) {
        if (dialog != nullptr) {
            dialogs.append(dialog);
        }
    }
    return dialogs;
}

TFormMldSelect& AppDialogs::MldSelect()
{
    return *m_mldSelect;
}
TFileInfoDlg& AppDialogs::FileInfo()
{
    return *m_fileInfo;
}
TF0DataDlg& AppDialogs::F0Data()
{
    return *m_f0Data;
}
TSetupDlg& AppDialogs::Setup()
{
    return *m_setup;
}
TAboutDlg& AppDialogs::About()
{
    return *m_about;
}
TInKtlink& AppDialogs::RingtoneBook()
{
    return *m_ringtoneBook;
}

void AppDialogs::SetParentWindow(QWidget* window)
{
    for (QDialog* dialog : All()) {
        dialog->setParent(window, dialog->windowFlags());
    }
}

std::optional<QString> AppDialogs::RunMldSelect()
{
    if (!ShowModal(*m_mldSelect)) {
        return std::nullopt;
    }
    return m_mldSelect->SelectedFileName();
}

bool AppDialogs::RunFileInfo(MelodyFileInfo& info)
{
    m_fileInfo->LoadFrom(info);
    if (!ShowModal(*m_fileInfo)) {
        return false;
    }
    m_fileInfo->StoreInto(info);
    return true;
}

bool AppDialogs::RunF0Data(bool& dataSet, std::string& dataHex)
{
    m_f0Data->LoadFrom(dataSet, dataHex);
    if (!ShowModal(*m_f0Data)) {
        return false;
    }
    m_f0Data->StoreInto(dataSet, dataHex);
    return true;
}

void AppDialogs::RunSetup()
{
    ShowModal(*m_setup);
}

QString AppDialogs::EditTempoText() const
{
    return m_setup->EditTempoText();
}

void AppDialogs::RunAbout()
{
    ShowModal(*m_about);
}

std::optional<std::vector<std::string>> AppDialogs::RunRingtoneBook(const QString& path)
{
    // A book of which nothing could be read has nothing to choose from: the
    // error has been shown, and the dialog is not.
    if (!m_ringtoneBook->ReadKtl(path) && m_ringtoneBook->SongCount() == 0) {
        return std::nullopt;
    }
    if (!ShowModal(*m_ringtoneBook)) {
        return std::nullopt;
    }
    return m_ringtoneBook->SelectedMelodies();
}

}  // namespace quaverly
