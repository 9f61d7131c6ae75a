// Check first, replace after: every open and import path reads its input into
// a staged melody beside the document, and only a whole one replaces it. A
// file that cannot be read or is no melody leaves the pages, the store, the
// file information, CurrentFileName and EditState as they were.
#include <QAction>
#include <QStatusBar>

#include "NativePath.h"
#include "TFormMain.h"
#include "UnitMld/MelodyOrigin.h"
#include "UnitNum/NumericImport.h"
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

std::optional<StagedMelody> TFormMain::StageOrRefuse(MelodyStore candidate)
{
    std::optional<StagedMelody> staged = StageMelody(std::move(candidate), m_document.FileInfo());
    if (!staged) {
        m_services.messageBoxes.Warning(FromSjis(Msg::DataFormatAbnormal));
    }
    return staged;
}

std::optional<StagedMelody> TFormMain::StageMelodyFile(const QString& path)
{
    MelodyStore candidate = CandidateStore(m_store);
    // A ".pmr" name has its pocket-melody header skipped by the store.
    candidate.OpenMelodyFile(NativePath(path));
    if (IsForeignMelodyImage(candidate.MelodyImage())) {
        return StageOtherMakersMelody(path, candidate.MelodyImage());
    }
    return StageOrRefuse(std::move(candidate));
}

std::optional<StagedMelody> TFormMain::StageNumericText(std::string_view text)
{
    MelodyStore candidate = CandidateStore(m_store);
    // The tempo it returns is the one its image carries, which the load reads back.
    ImportNumericText(candidate, text);
    return StageOrRefuse(std::move(candidate));
}

void TFormMain::AdoptStagedMelody(StagedMelody staged, const QString& boundFile, bool enableSave)
{
    ResetEditor();
    if (staged.foreign) {
        // Shown as it is, bound to no file: its path is kept beside it for the title bar.
        m_document.ShowForeign(std::move(*staged.foreign), NativePath(boundFile));
        UpdateControlsForView();
        // Save is there to explain itself: it never writes over the other maker's file.
        m_ui->mnSave1->setEnabled(true);
        if (m_document.Foreign()->partial) {
            ShowNotice(FromSjis(m_document.Foreign()->partialMessage));
        }
        // Last: the controls' change notices above have set the state meanwhile.
        m_document.SetState(EditState::Current);
        DocumentChanged();
        return;
    }
    const std::string missing = staged.missing;
    const std::string otherMakerReport = staged.otherMakerReport;
    // A melody folded from another maker's file is bound to none (the controller's rule).
    FillEditorFields(m_document.Adopt(std::move(staged), NativePath(boundFile)));
    ShowSequenceInRoll(m_store.Sequence());
    m_ui->mnSave1->setEnabled(enableSave);
    if (!missing.empty()) {
        ShowNotice(FromSjis(missing));
    }
    // After the fields were filled: their change notices do not outlast the load.
    m_document.SetState(EditState::Current);
    DocumentChanged();
    if (!otherMakerReport.empty()) {
        m_services.messageBoxes.Information(FromSjis(otherMakerReport));
    }
}

}  // namespace quaverly
