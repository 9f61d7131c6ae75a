#include "MidiMelody.h"

#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/MldLayout.h"

namespace quaverly {

SequenceList ImportedMelodyLines(const ImportedMelody& melody)
{
    SequenceList lines;
    size_t count = 1;
    for (const ImportedVoice& voice : melody.voices) {
        count += voice.events.size();
    }
    lines.reserve(count);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        for (const VoiceEvent& event : melody.voices[static_cast<size_t>(voice)].events) {
            lines.AddEvent(event.time, voice, event.note, event.gate);
        }
    }
    // The builder writes the end event in place of the last line in text
    // order: the fourth voice's end line comes last at the end time.
    if (melody.hasEnd) {
        lines.AddEvent(melody.endTime, 3, -1, 0);
    }
    return lines;
}

void BuildImportedMelody(MelodyStore& store, const ImportedMelody& melody)
{
    MelodySettings settings;
    settings.title = melody.title;
    settings.tempo = melody.tempo;
    for (size_t voice = 0; voice < VoiceCount; ++voice) {
        settings.tones[voice] = melody.voices[voice].tone;
        settings.volumes[voice] = melody.voices[voice].volume;
        // A blank page marks the voice as used, so it gets its tone and volume.
        settings.scores[voice].assign(melody.voices[voice].used ? 1 : 0, ' ');
    }
    MelodyFileInfo info;
    info.version = "0100";
    info.copyright = melody.copyright;

    MelodyStore built;
    built.Sequence() = ImportedMelodyLines(melody);
    BuildMelody(built, settings, info);
    store.MelodyImage() = std::move(built.MelodyImage());
    store.Sequence().clear();
}

}  // namespace quaverly
