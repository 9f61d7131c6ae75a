#include "MfiImport.h"

#include "MfiMidi.h"
#include "UnitMidi/MidiNoteCollector.h"

namespace quaverly {

ImportedMelody ImportMfiMelody(const MfiMelody& melody, const std::vector<int>& channels)
{
    MidiContent content;
    content.header.format = 1;
    content.header.trackCount = melody.trackChunks;
    content.header.division = MfiMidiDivision;
    content.title = melody.title;
    content.copyright = melody.copyright;
    content.notes.reserve(melody.notes.size());
    for (const MfiNote& note : melody.notes) {
        MidiNote midi;
        midi.on = static_cast<int64_t>(MfiMidiTick(melody, note.start));
        midi.EndAt(static_cast<int64_t>(MfiMidiTick(melody, note.End())));
        midi.channel = note.lane;
        midi.key = note.key;
        midi.velocity = note.velocity;
        content.notes.push_back(midi);
    }
    for (const MfiControl& control : melody.controls) {
        int& program = content.program[control.lane];
        int& volume = content.channelVolume[control.lane];
        if (control.kind == MfiControlKind::Program && program < 0) {
            program = control.value & 0x7F;
        } else if (control.kind == MfiControlKind::Volume && volume < 0) {
            volume = control.value;
        }
    }
    for (const MfiTempo& tempo : melody.tempos) {
        content.tempos.emplace_back(static_cast<int64_t>(MfiMidiTick(melody, tempo.tick)),
                                    static_cast<uint32_t>(60'000'000 / tempo.tempo));
    }
    if (content.tempos.empty()) {
        content.tempos.emplace_back(0, 500'000u);  // 120 a minute
    }
    return ImportMidiContent(std::move(content), channels);
}

}  // namespace quaverly
