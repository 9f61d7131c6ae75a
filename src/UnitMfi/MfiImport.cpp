#include "MfiImport.h"

#include "MfiMidi.h"
#include "UnitMidi/MidiNoteCollector.h"
#include "base/Errors.h"
#include "base/LimitMessages.h"
#include "base/Limits.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

MidiContent ContentOf(const MfiMelody& melody)
{
    // Refused before any list is made: the fold's work grows with the notes.
    if (melody.notes.size() > MaxMfiFoldNotes) {
        throw QuaverlyError(OverCapMessage(Msg::MfiCapFoldNotes, MaxMfiFoldNotes));
    }
    MidiContent content;
    content.header.format = 1;
    content.header.trackCount = melody.trackChunks;
    content.header.division = MfiMidiDivision;
    content.title = melody.title;
    content.copyright = melody.copyright;
    const MfiMidiClock clock(melody);
    content.notes.reserve(melody.notes.size());
    for (const MfiNote& note : melody.notes) {
        MidiNote midi;
        midi.on = static_cast<int64_t>(clock.Tick(note.start));
        midi.EndAt(static_cast<int64_t>(clock.Tick(note.End())));
        midi.channel = note.lane;
        midi.key = note.key;
        midi.velocity = note.velocity;
        content.notes.push_back(midi);
    }
    // A lane's tone is set by two events at one tick (low bits, bank): the
    // last program of the tick of its first one is the lane's program.
    std::array<int64_t, MfiLaneCount> programTick;
    programTick.fill(-1);
    for (const MfiControl& control : melody.controls) {
        const size_t lane = control.lane;
        if (control.kind == MfiControlKind::Program && (programTick[lane] < 0 || programTick[lane] == control.tick)) {
            programTick[lane] = control.tick;
            content.program[lane] = control.value & 0x7F;
        } else if (control.kind == MfiControlKind::Volume && content.channelVolume[lane] < 0) {
            content.channelVolume[lane] = control.value;
        }
    }
    for (const MfiTempo& tempo : melody.tempos) {
        content.tempos.emplace_back(static_cast<int64_t>(clock.Tick(tempo.tick)),
                                    QuarterMicroseconds(tempo.tempo));
    }
    if (content.tempos.empty()) {
        content.tempos.emplace_back(0, QuarterMicroseconds(MfiTempo{}.tempo));
    }
    return content;
}

}  // namespace

MidiSurvey SurveyMfiMelody(const MfiMelody& melody)
{
    return SurveyMidiContent(ContentOf(melody));
}

ImportedMelody ImportMfiMelody(const MfiMelody& melody, const std::vector<int>& channels)
{
    return ImportMidiContent(ContentOf(melody), channels);
}

}  // namespace quaverly
