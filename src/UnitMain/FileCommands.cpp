// The file commands of the main window: reset editor, New, Open, Save,
// Save As, Import, the file drop, Exit and closing, and the two questions
// that guard the document.
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>

#include "LiveAnalysis.h"
#include "NativePath.h"
#include "SequenceRowModel.h"
#include "SuggestedFileName.h"
#include "ForeignMelodyView.h"
#include "TFormMain.h"
#include "UnitMld/FileKind.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "UnitMld/NotationTables.h"
#include "UnitNum/NumericImport.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitMld/MldLayout.h"
#include "platform/SjisText.h"
#include "UnitText/TextMelodyImport.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {


const QString MelodyFilter = QStringLiteral("iメロディファイル(*.mld)");
const QString OtherFormatsFilter = QStringLiteral(
    "iメロディテキストファイル(*.tml);;chakumelo数値形式(*.c99);;ケータイリンク着メロ帳(*.ktm);;ポケットメロディ(*."
    "pmr);;RTTTL着メロ・MML(*.rtttl *.mml *.txt);;MusicXML(*.musicxml *.xml *.mxl)");

}  // namespace

bool TFormMain::AskLossQuestion()
{
    if (!m_document.AsksLossQuestion()) {
        return true;
    }
    switch (m_services.messageBoxes.QuestionWithSave(FromSjis(Msg::LossQuestion))) {
        case QuestionAnswer::Yes:
            return true;
        case QuestionAnswer::No:
            return false;
        case QuestionAnswer::Save:
            RunCommand([this] { SaveDocument(); });
            // A refused, cancelled or failed save, or one that left an edit out
            // of the file, keeps the document: the command does not go on.
            return m_document.State() == EditState::Saved;
    }
    return false;
}

bool TFormMain::AnalyseBeforeUse()
{
    // The pages of a melody shown as it is hold nothing to analyse or use.
    if (RefusedAsViewOnly(m_document, m_services.messageBoxes)) {
        return false;
    }
    switch (m_document.BeforeUsingMelody()) {
        case BeforeUse::Go:
            return true;
        case BeforeUse::AskToAnalyse:
            if (!m_services.messageBoxes.Question(FromSjis(Msg::AnalysisQuestion), SafeAnswer::Yes)) {
                return false;
            }
            break;
        case BeforeUse::Analyse:
            break;
    }
    bool analysed = false;
    RunCommand([this, &analysed] { analysed = AnalysePages(AnalysisShown::Quiet); });
    m_liveAnalysis->RunNow();
    return analysed;
}

void TFormMain::FillChoiceLists()
{
    QComboBox* tempo = m_ui->ComboBoxTempo;
    for (const TMLDConst& entry : TempoTable) {
        tempo->addItem(QString::number(entry.value));
    }
    QStringList tones;
    for (const TMLDConst& entry : ToneTable) {
        tones.append(QString::number(entry.value + 1) + QStringLiteral(" - ") + FromSjis(entry.text));
    }
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_pages->Tone(voice)->addItems(tones);
    }
}

void TFormMain::ResetEditor()
{
    // A melody of another maker shown as it is gives the controls back first.
    if (m_document.LeaveForeign()) {
        UpdateControlsForView();
    }
    // The lists keep their fixed entries (FillChoiceLists); the first is
    // chosen and the fields get their first texts.
    QComboBox* tempo = m_ui->ComboBoxTempo;
    tempo->setCurrentIndex(0);
    tempo->setEditText(QStringLiteral("125"));
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        QComboBox* tone = m_pages->Tone(voice);
        tone->setCurrentIndex(0);
        tone->setEditText(tone->itemText(0));
        m_pages->Volume(voice)->setText(QStringLiteral("63"));
        m_pages->Memo(voice)->clear();
    }

    m_sequenceRows->Clear();
    m_ui->EditTitle->clear();
    m_ui->mnSave1->setEnabled(false);
    m_ui->StatusBar1->clearMessage();
    ShowNotice(QString());
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet1);
    // Last: the controls' change notices above have set it meanwhile.
    m_document.Reset();
}

void TFormMain::SaveMelodyTo(const QString& path)
{
    // The image is what the analysis before the save, the last analysis or
    // the load made. Should the pages hold more than the file, the document
    // stays edited, so closing, New and Open still ask.
    const bool saved = m_document.SaveTo(NativePath(path));
    m_ui->mnSave1->setEnabled(true);
    if (saved) {
        m_journal->Remove();
    }
}

void TFormMain::mnNewClick()
{
    RunCommand([this] {
        if (AskLossQuestion()) {
            ResetEditor();
        }
    });
}

void TFormMain::mnOpen1Click()
{
    RunCommand([this] {
        if (!AskLossQuestion()) {
            return;
        }
        // The browser starts in the current file's folder when there is one.
        const QString startFolder =
            DocumentFileName().isEmpty() ? QString() : QFileInfo(DocumentFileName()).absolutePath();
        const std::optional<QString> chosen = m_services.dialogs.RunMldSelect(startFolder);
        if (!chosen) {
            return;
        }
        std::optional<StagedMelody> staged = StageMelodyFile(*chosen);
        if (staged) {
            AdoptStagedMelody(std::move(*staged), *chosen, true);
        }
    });
}

void TFormMain::mnSave1Click()
{
    RunCommand([this] { SaveDocument(); });
}

void TFormMain::SaveDocument()
{
    const SaveRoute route = m_document.RouteSave();
    if (route == SaveRoute::FoldForeign) {
        // No (the default and Escape) writes nothing.
        if (!m_services.messageBoxes.Question(FromSjis(Msg::MfiSaveQuestion), SafeAnswer::No)) {
            return;
        }
        std::optional<StagedMelody> staged = StageForeignForEditing();
        if (!staged) {
            return;
        }
        AdoptStagedMelody(std::move(*staged), QString(), true);
        // Bound to no file: Save As asks for a name, and its dialog asks
        // before it writes over any file, the other maker's too.
        RunSaveAs();
        return;
    }
    if (!AnalyseBeforeUse()) {
        return;
    }
    // Save overwrites only a melody file; otherwise the user names one.
    if (route == SaveRoute::AskName) {
        RunSaveAs();
        return;
    }
    SaveMelodyTo(CurrentFileName());
}

void TFormMain::mnSaveAs1Click()
{
    RunCommand([this] {
        if (m_document.RouteSave() == SaveRoute::FoldForeign) {
            SaveDocument();
        } else if (AnalyseBeforeUse()) {
            RunSaveAs();
        }
    });
}

void TFormMain::RunSaveAs()
{
    FileDialogOptions options;
    options.filter = MelodyFilter;
    options.defaultSuffix = QStringLiteral("mld");
    const QString current = CurrentFileName();
    options.initialFile = SuggestedFileName(current, ToSjis(m_ui->EditTitle->text()));
    if (!current.isEmpty() && !DocumentController::IsMelodyFileName(m_document.CurrentFileName())) {
        // A bound pocket-melody file: only a ".mld" name can be saved.
        options.initialFile = ChangeExtension(current, QStringLiteral(".mld"));
    }
    const std::optional<QString> chosen = m_services.fileDialogs.SaveFile(options);
    if (!chosen) {
        return;
    }
    if (!DocumentController::IsMelodyFileName(NativePath(*chosen))) {
        ShowNotSupported();
        return;
    }
    // Bound once written: a save that fails keeps the file the window had.
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
        // The menu has asked its question: the file replaces the document once read.
        ReadGivenFile(*chosen, DocumentController::RouteImport(NativePath(*chosen)), false);
    });
}

void TFormMain::FileDrop1FileDrop(const QStringList& fileNames)
{
    RunCommand([this, &fileNames] {
        if (fileNames.isEmpty()) {
            return;
        }
        const QString name = fileNames.first();
        // The drop is read and checked before the question: a file that is no
        // melody is refused without asking and without touching the document.
        ReadGivenFile(name, DocumentController::RouteDrop(NativePath(name)), true);
    });
}

void TFormMain::ReadGivenFile(const QString& path, const FileRoute& route, bool askLossQuestion)
{
    if (route.notSupportedFirst || route.read == ReadRoute::NotSupported) {
        ShowNotSupported();
    }
    std::optional<StagedMelody> staged;
    switch (route.read) {
        case ReadRoute::NotSupported:
            return;
        case ReadRoute::Melody:
            staged = StageMelodyFile(path);
            break;
        case ReadRoute::NumericText:
            staged = StageNumericText(ReadWholeFile(NativePath(path)));
            break;
        // These read, ask and replace by themselves.
        case ReadRoute::MelodyText:
            ImportMelodyText(path, askLossQuestion);
            return;
        case ReadRoute::RingtoneBook:
            ImportRingtoneBook(path, askLossQuestion);
            return;
        case ReadRoute::Midi:
            ImportMidiIntoEditor(path, askLossQuestion);
            return;
        case ReadRoute::MusicXml:
            ImportMusicXmlIntoEditor(path, askLossQuestion);
            return;
        case ReadRoute::TextMelody:
            ImportTextMelodyIntoEditor(path, askLossQuestion);
            return;
    }
    if (!staged || (askLossQuestion && !AskLossQuestion())) {
        return;
    }
    AdoptStagedMelody(std::move(*staged), route.bindsFile ? path : QString(), route.enablesSave);
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
    // What the user chose to leave unsaved is not offered again at the next start.
    m_journal->Remove();
    // Closing the main window ends the program, also with the help window open.
    if (!m_terminateRequested) {
        TerminateApplication();
    }
}

}  // namespace quaverly
