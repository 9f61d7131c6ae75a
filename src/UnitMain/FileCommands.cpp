// The file commands of the main window: reset editor, New, Open, Save,
// Save As, Import, the file drop, Exit and closing, and the two questions
// that guard the document.
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>

#include "NativePath.h"
#include "SequenceRowModel.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "UnitMld/NotationTables.h"
#include "UnitNum/NumericImport.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {

constexpr int Voices = 4;

const QString MelodyFilter = QStringLiteral("iメロディファイル(*.mld)");
const QString OtherFormatsFilter = QStringLiteral(
    "iメロディテキストファイル(*.tml);;chakumelo数値形式(*.c99);;ケータイリンク着メロ帳(*.ktm);;ポケットメロディ(*."
    "pmr)");

}  // namespace

bool TFormMain::AskLossQuestion()
{
    if (m_editState == EditState::Empty || m_editState == EditState::Saved) {
        return true;
    }
    return m_services.messageBoxes.Question(FromSjis(Msg::LossQuestion));
}

bool TFormMain::AskAnalysisQuestion()
{
    if (m_editState != EditState::ScoreEdited && m_editState != EditState::SettingsEdited) {
        return true;
    }
    return m_services.messageBoxes.Question(FromSjis(Msg::AnalysisQuestion));
}

void TFormMain::ResetEditor()
{
    QComboBox* tempo = m_ui->ComboBoxTempo;
    tempo->clear();
    for (const TMLDConst& entry : TempoTable) {
        tempo->addItem(QString::number(entry.value));
    }
    tempo->setEditText(QStringLiteral("125"));

    QStringList tones;
    for (const TMLDConst& entry : ToneTable) {
        tones.append(QString::number(entry.value + 1) + QStringLiteral(" - ") + FromSjis(entry.text));
    }
    for (int voice = 1; voice <= Voices; ++voice) {
        QComboBox* tone = VoiceTone(voice);
        tone->clear();
        tone->addItems(tones);
        tone->setCurrentIndex(0);
        tone->setEditText(tones.first());
        VoiceVolume(voice)->setText(QStringLiteral("63"));
        VoiceMemo(voice)->clear();
    }

    m_store.ClearMelody();
    m_sequenceRows->Clear();
    m_ui->EditTitle->clear();
    m_currentFileName.clear();
    m_ui->mnSave1->setEnabled(false);
    m_ui->StatusBar1->clearMessage();
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet1);
    // Last: the controls' change notices above have set it meanwhile.
    m_editState = EditState::Empty;
}

void TFormMain::OpenMelodyIntoEditor(const QString& path)
{
    m_store.OpenMelodyFile(NativePath(path));
    LoadMelodyIntoControls();
    m_ui->mnSave1->setEnabled(true);
    m_editState = EditState::Current;
}

void TFormMain::ImportNumericFile(const QString& path)
{
    const std::string text = ReadWholeFile(NativePath(path));
    const int tempo = ImportNumericText(m_store, text);
    m_ui->ComboBoxTempo->setEditText(QString::number(tempo));
    LoadMelodyIntoControls();
}

void TFormMain::SaveMelodyTo(const QString& path)
{
    m_store.SaveMelodyFile(NativePath(path));
    m_ui->mnSave1->setEnabled(true);
    m_editState = EditState::Saved;
}

void TFormMain::mnNewClick()
{
    if (AskLossQuestion()) {
        ResetEditor();
    }
}

void TFormMain::mnOpen1Click()
{
    RunCommand([this] {
        if (!AskLossQuestion()) {
            return;
        }
        const std::optional<QString> chosen = m_services.dialogs.RunMldSelect();
        if (!chosen) {
            return;
        }
        ResetEditor();
        m_currentFileName = *chosen;
        OpenMelodyIntoEditor(*chosen);
    });
}

void TFormMain::mnSave1Click()
{
    RunCommand([this] {
        if (!AskAnalysisQuestion()) {
            return;
        }
        // Save overwrites only a melody file. A dropped ".c99" enables Save
        // without binding a file, and a dropped ".pmr" binds a pocket-melody
        // file whose header Save would drop: the user names a file instead.
        if (UpperExtension(m_currentFileName) != QLatin1String(".MLD")) {
            RunSaveAs();
            return;
        }
        SaveMelodyTo(m_currentFileName);
    });
}

void TFormMain::mnSaveAs1Click()
{
    RunCommand([this] {
        if (AskAnalysisQuestion()) {
            RunSaveAs();
        }
    });
}

void TFormMain::RunSaveAs()
{
    FileDialogOptions options;
    options.filter = MelodyFilter;
    options.defaultSuffix = QStringLiteral("mld");
    options.initialFile = SuggestedFileName(m_currentFileName, ToSjis(m_ui->EditTitle->text()));
    if (!m_currentFileName.isEmpty() && UpperExtension(m_currentFileName) != QLatin1String(".MLD")) {
        // A bound pocket-melody file: only a ".mld" name can be saved.
        options.initialFile = ChangeExtension(m_currentFileName, QStringLiteral(".mld"));
    }
    const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
    if (!chosen) {
        return;
    }
    if (UpperExtension(*chosen) != QLatin1String(".MLD")) {
        ShowNotSupported();
        return;
    }
    m_currentFileName = *chosen;
    SaveMelodyTo(*chosen);
}

void TFormMain::mnImportClick()
{
    RunCommand([this] {
        if (!AskLossQuestion()) {
            return;
        }
        FileDialogOptions options;
        options.filter = OtherFormatsFilter;
        const std::optional<QString> chosen = m_services.fileDialogs.OpenFile(options);
        if (!chosen) {
            return;
        }
        const QString extension = UpperExtension(*chosen);
        // Every choice is answered "未サポートです" first; two formats are read after it.
        ShowNotSupported();
        if (extension == QLatin1String(".PMR")) {
            ResetEditor();
            m_store.OpenMelodyFile(NativePath(*chosen));
            LoadMelodyIntoControls();
            m_editState = EditState::Current;
        } else if (extension == QLatin1String(".C99")) {
            ResetEditor();
            ImportNumericFile(*chosen);
            m_editState = EditState::Current;
        }
    });
}

void TFormMain::FileDrop1FileDrop(const QStringList& fileNames)
{
    RunCommand([this, &fileNames] {
        if (fileNames.isEmpty() || !AskLossQuestion()) {
            return;
        }
        const QString name = fileNames.first();
        const QString extension = UpperExtension(name);
        if (extension == QLatin1String(".MLD") || extension == QLatin1String(".PMR")) {
            if (extension == QLatin1String(".PMR")) {
                ShowNotSupported();
            }
            ResetEditor();
            m_currentFileName = name;
            OpenMelodyIntoEditor(name);
        } else if (extension == QLatin1String(".C99")) {
            ShowNotSupported();
            ResetEditor();
            ImportNumericFile(name);
            // Save is enabled with no file bound: Save then asks for a name.
            m_ui->mnSave1->setEnabled(true);
            m_editState = EditState::Current;
        } else if (IsMidiFileName(name)) {
            ImportMidiIntoEditor(name);
        } else {
            ShowNotSupported();
        }
    });
}

void TFormMain::mnExit1Click()
{
    // Exit guards unsaved work as closing the window does.
    if (!AskLossQuestion()) {
        return;
    }
    m_closeApproved = true;
    close();
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    if (!m_closeApproved && !m_terminateRequested && !AskLossQuestion()) {
        event->ignore();
        return;
    }
    m_closeApproved = true;
    event->accept();
    // Closing the main window ends the program, also with the help window open.
    if (!m_terminateRequested) {
        TerminateApplication();
    }
}

}  // namespace quaverly
