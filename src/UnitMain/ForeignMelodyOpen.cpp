// Opening a melody file of another maker (several tracks, 4-byte notes): its
// pages cannot hold it as it is, so it is folded into four voices the way a
// MIDI file is imported, with the MIDI read dialog's channel choice, before
// the editor is touched. The melody is then bound to no file, so the other
// maker's file is never saved over without a name being chosen.
#include "TFormMain.h"
#include "UnitMfi/MfiImport.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMidi/MidiMelody.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

namespace quaverly {

std::optional<StagedMelody> TFormMain::StageOtherMakersMelody(const QString& path, std::string_view image)
{
    const MfiMelody melody = ReadMfiMelody(image, ToSjis(path));
    const std::optional<std::vector<int>> channels = m_services.dialogs.RunMidiChannels(SurveyMfiMelody(melody));
    if (!channels) {
        return std::nullopt;
    }
    const ImportedMelody imported = ImportMfiMelody(melody, *channels);
    MelodyStore candidate = CandidateStore(m_store);
    BuildImportedMelody(candidate, imported);
    std::optional<StagedMelody> staged = StageOrRefuse(std::move(candidate));
    if (staged) {
        staged->otherMakerReport = std::string(Msg::MfiOpenedForEditing) +
                                   (melody.partial ? melody.partialMessage + "\r\n" : std::string()) +
                                   MidiImportReportText(imported.report);
    }
    return staged;
}

}  // namespace quaverly
