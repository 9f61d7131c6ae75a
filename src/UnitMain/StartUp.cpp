// The start-up of the main window: the placement, the editor's first state,
// the command line, the "/CIN" import from a file or the clipboard, the file
// argument, and the play-at-once mode "/P".
#include <QComboBox>

#include "CommandLine.h"
#include "NativePath.h"
#include "TFormMain.h"
#include "base/FileIO.h"
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
    // The file argument is bound only once its file has been read as a melody.
    QString fileArgument = line.fileName;

    if (m_commandLineMode == QLatin1String("/CIN")) {
        // The file argument is the text to import, not a melody file to open,
        // also when it cannot be read.
        const QString textFile = fileArgument;
        fileArgument.clear();
        RunCommand([this, &textFile] {
            const std::string text = textFile.isEmpty() ? m_services.clipboard.Text().value_or(std::string())
                                                        : ReadWholeFile(NativePath(textFile));
            std::optional<StagedMelody> staged = StageNumericText(text);
            if (staged) {
                AdoptStagedMelody(std::move(*staged), QString(), false);
            }
        });
    }

    if (!fileArgument.isEmpty()) {
        const QString fileName = fileArgument;
        RunCommand([this, &fileName] {
            std::optional<StagedMelody> staged = StageMelodyFile(fileName);
            if (staged) {
                AdoptStagedMelody(std::move(*staged), fileName, true);
            }
        });
    } else if (!m_playAndExit && m_commandLineMode != QLatin1String("/CIN")) {
        // A plain start offers what a session that ended without saving left;
        // a start on a file or an import leaves the journal for a later one.
        m_journal->OfferRestore();
        DocumentChanged();
    }

    if (m_playAndExit) {
        StartPlayAndExit();
    }
}

}  // namespace quaverly
