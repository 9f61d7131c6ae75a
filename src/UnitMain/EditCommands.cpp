// The edit, settings and help commands of the main window: score analysis,
// the file information and FFF0 data dialogs, the mail text on the
// clipboard, the scale shift, the settings dialog, help and about.
#include <array>
#include <cstdio>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "LiveAnalysis.h"
#include "SequenceRowModel.h"
#include "DiagnosticsView.h"
#include "ForeignMelodyView.h"
#include "TFormMain.h"
#include "UnitMld/MailText.h"
#include "UnitMld/Diagnostic.h"
#include "UnitMld/Transpose.h"
#include "base/MessageFormat.h"
#include "base/Messages.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/MldLayout.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::mnMakeMldClick()
{
    if (RefusedAsViewOnly(m_document, m_services.messageBoxes)) {
        return;
    }
    RunCommand([this] { AnalysePages(AnalysisShown::Report); });
    // What the pages hold now, and after a refusal what the box at fault allows.
    m_liveAnalysis->RunNow();
}

bool TFormMain::AnalysePages(AnalysisShown shown)
{
    m_sequenceRows->Clear();
    AnalysisResult result = m_document.Analyse(m_pages->CollectEditorTexts(), m_extendedNotation);
    if (result.refusal) {
        ShowRefusal(*result.refusal, result.refusalReason);
        return false;
    }
    FillSequenceRows(std::move(result.sequenceRows));
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        SetMemoText(voice, result.canonicalScores[voice - 1], MemoUndo::KeepUndo);
    }
    ShowSequenceInRoll(m_store.Sequence());
    if (shown == AnalysisShown::Report) {
        m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet5);
        m_services.messageBoxes.Information(FromSjis(result.report));
    }
    // After the pages were rewritten: their change notices do not outlast the command.
    m_document.SetState(EditState::Current);
    return true;
}

void TFormMain::ShowRefusal(const std::string& refusal, const RefusalReason& reason)
{
    // The refusal's own message, then what the box at fault allows, as the list says it.
    QString text = FromSjis(refusal);
    if (reason.field != RefusedField::None) {
        text += QLatin1Char('\n') + DiagnosticsView::AllowedText(reason);
    }
    m_services.messageBoxes.Warning(text);
    LeadToRefusedField(reason);
}

void TFormMain::LeadToRefusedField(const RefusalReason& reason)
{
    QWidget* field = nullptr;
    QLineEdit* text = nullptr;
    if (reason.field == RefusedField::Tempo) {
        field = m_ui->ComboBoxTempo;
        text = m_ui->ComboBoxTempo->lineEdit();
    } else if (reason.voice >= 0 && reason.voice < VoiceCount) {
        const int voice = reason.voice + 1;
        m_ui->PageControl1->setCurrentWidget(m_pages->Page(voice));
        if (reason.field == RefusedField::Tone) {
            field = m_pages->Tone(voice);
            text = m_pages->Tone(voice)->lineEdit();
        } else if (reason.field == RefusedField::Volume) {
            field = text = m_pages->Volume(voice);
        }
    }
    if (field == nullptr) {
        return;
    }
    field->setFocus(Qt::OtherFocusReason);
    if (text != nullptr) {
        text->selectAll();
    }
}

void TFormMain::mnInfoClick()
{
    if (m_document.Foreign() != nullptr) {
        // What the file is, read-only: nothing of it is edited here.
        m_services.dialogs.ShowForeignInfo(*m_document.Foreign());
        return;
    }
    MelodyFileInfo info = m_document.FileInfo();
    if (!m_services.dialogs.RunFileInfo(info)) {
        return;
    }
    m_document.FileInfo() = info;
    SetEditState(EditState::SettingsEdited);
    // The texts change the file's size: the meter says it now.
    m_liveAnalysis->Schedule();
}

void TFormMain::mnF0DataClick()
{
    if (RefusedAsViewOnly(m_document, m_services.messageBoxes)) {
        return;
    }
    bool dataSet = m_store.fff0DataSet;
    std::string dataHex = m_store.fff0DataHex;
    if (!m_services.dialogs.RunF0Data(dataSet, dataHex)) {
        return;
    }
    m_store.fff0DataSet = dataSet;
    m_store.fff0DataHex = dataHex;
    SetEditState(EditState::SettingsEdited);
    m_liveAnalysis->Schedule();
}

void TFormMain::mnGetMailClick()
{
    RunCommand([this] {
        // Decoded and checked before the question: a clipboard text that is
        // no melody is refused and the document stays as it was.
        MailStaging mail = m_document.StageMail(m_services.clipboard.Text());
        std::optional<StagedMelody> staged = StageOrRefuse(std::move(mail.candidate));
        if (!staged) {
            return;
        }
        // No keeps the document.
        if (mail.AsksNotBase64() &&
            !m_services.messageBoxes.Question(FromSjis(NotBase64Question(mail.reading)), SafeAnswer::No)) {
            return;
        }
        if (!AskLossQuestion()) {
            return;
        }
        AdoptStagedMelody(std::move(*staged), QString(), false);
    });
}

void TFormMain::mnCreateMailClick()
{
    RunCommand([this] {
        if (!AnalyseBeforeUse()) {
            return;
        }
        const std::string text = m_document.MailText();
        m_services.clipboard.SetText(text);
        m_services.messageBoxes.Information(FromSjis(WithNumber(Msg::MailSize, static_cast<long long>(text.size()))));
    });
}

void TFormMain::mnMeloPClick()
{
    ShiftScale(1);
}

void TFormMain::mnMeloMClick()
{
    ShiftScale(-1);
}

void TFormMain::ShiftScale(int semitones)
{
    if (RefusedAsViewOnly(m_document, m_services.messageBoxes)) {
        return;
    }
    RunCommand([this, semitones] {
        int voice = 0;
        for (int v = 1; v <= VoiceCount; ++v) {
            if (m_ui->PageControl1->currentWidget() == m_pages->Page(v)) {
                voice = v;
            }
        }
        if (voice == 0) {
            return;  // not on a voice page: nothing to move
        }
        QPlainTextEdit* memo = m_pages->Memo(voice);
        const QTextCursor cursor = memo->textCursor();
        // The selection's notes, or the whole page when nothing is selected.
        size_t from = 0;
        size_t to = 0;
        if (cursor.hasSelection()) {
            from = static_cast<size_t>(m_pages->ByteOfPosition(voice, cursor.selectionStart()));
            to = static_cast<size_t>(m_pages->ByteOfPosition(voice, cursor.selectionEnd()));
        }
        const std::string page = m_pages->CollectEditorTexts().scores[static_cast<size_t>(voice - 1)];
        const TransposedPage result = TransposePage(page, voice - 1, semitones, from, to, m_extendedNotation);
        if (result.moved > 0) {
            // One undo step, as the analysis's rewrite is.
            SetMemoText(voice, result.text, MemoUndo::KeepUndo);
        }
        if (result.left.empty()) {
            return;
        }
        std::string kept(Msg::ShiftKeptHead);
        for (const SourceSpan& span : result.left) {
            const TextPlace place = PlaceInText(page, static_cast<size_t>(span.offset));
            std::array<char, 64> where{};
            std::snprintf(where.data(), where.size(), std::string(Msg::ShiftKeptPlace).c_str(), place.line, place.column);
            kept += Msg::DiagnosticQuoteOpen;
            kept += page.substr(static_cast<size_t>(span.offset), static_cast<size_t>(span.length));
            kept += where.data();
        }
        m_services.messageBoxes.Information(FromSjis(kept));
    });
}

void TFormMain::mnOptionClick()
{
    m_services.dialogs.RunSetup();
    // The adjustment as the dialog leaves it, read once here for every later use.
    m_document.SetTempoAdjustment(ReadTempoAdjustment(ToSjis(m_services.dialogs.EditTempoText())));
    // The meter's length is what plays, at the tempo adjustment.
    m_liveAnalysis->Schedule();
}

void TFormMain::mnContentsClick()
{
    m_services.helpViewer.ShowContents(HelpFileName());
}

void TFormMain::mnAbout1Click()
{
    m_services.dialogs.RunAbout();
}

}  // namespace quaverly
