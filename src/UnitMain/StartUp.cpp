// The start-up of the main window: the placement, the editor's first state,
// the command line, the "/CIN" import from a file or the clipboard, the file
// argument, and the play-at-once mode "/P".
#include <QComboBox>

#include "CommandLine.h"
#include "NativePath.h"
#include "TFormMain.h"
#include "base/FileIO.h"
#include "document/StartPlan.h"
#include "components/TWinPlace.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::StartUp(const QStringList& arguments)
{
    m_document.SetState(EditState::Empty);
    // Before the window is first shown: a stored placement replaces the designed one.
    m_winPlace->RestorePlacement();
    FitToScreen();
    m_document.FileInfo().version = "0100";
    ResetEditor();

    const CommandLine line = ParseCommandLine(arguments);
    m_extendedNotation = line.extendedNotation;
    m_keyMappingOff = line.keyMappingOff;
    m_playAndExit = line.playAndExit;
    m_commandLineMode = line.mode;
    UpdateDesktopSigns();
    const StartPlan plan = PlanStart(m_commandLineMode.toStdString(), !line.fileName.isEmpty(), m_playAndExit);

    if (plan.numericText != NumericTextSource::None) {
        RunCommand([this, &plan, &line] {
            const std::string text = plan.numericText == NumericTextSource::Clipboard
                                         ? m_services.clipboard.Text().value_or(std::string())
                                         : ReadWholeFile(NativePath(line.fileName));
            std::optional<StagedMelody> staged = StageNumericText(text);
            if (staged) {
                AdoptStagedMelody(std::move(*staged), QString(), false);
            }
        });
    }

    if (plan.opensFile) {
        // Bound only once its file has been read as a melody.
        const QString fileName = line.fileName;
        RunCommand([this, &fileName] {
            std::optional<StagedMelody> staged = StageMelodyFile(fileName);
            if (staged) {
                AdoptStagedMelody(std::move(*staged), fileName, true);
            }
        });
    } else if (plan.offersJournal) {
        // What a session that ended without saving left.
        m_journal->OfferRestore();
        DocumentChanged();
    }

    if (plan.playsAndEnds) {
        StartPlayAndExit();
    }
}

}  // namespace quaverly
