#include "MidiMelody.h"

#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/MldLayout.h"
#include "UnitMld/OwnText.h"

namespace quaverly {

namespace {

// The note a rest's line carries, as the parser writes it: no pitch.
constexpr int RestNoteOfImport = 17;

}  // namespace

SequenceList ImportedMelodyLines(const ImportedMelody& melody)
{
    SequenceList lines;
    size_t count = 1;
    for (const ImportedVoice& voice : melody.voices) {
        count += voice.events.size();
    }
    lines.reserve(count);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const ImportedVoice& imported = melody.voices[static_cast<size_t>(voice)];
        for (const VoiceEvent& event : imported.events) {
            lines.AddEvent(event.time, voice, event.note, event.gate);
        }
        // A voice whose channel holds no note but sets a tone or volume of
        // its own keeps them: its score text is one rest to the end, which
        // keeps the voice in use when the text is compiled. With the
        // default tone and volume it sounds as a voice not in use.
        const bool ownSettings = imported.tone != 1 || imported.volume != 63;
        if (imported.used && ownSettings && imported.events.empty() && melody.hasEnd && melody.endTime > 0) {
            lines.AddEvent(0, voice, RestNoteOfImport, 0);
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
    // The melody is what its own score text compiles to: the window shows
    // that text, and Save and a later analysis write what it compiles to.
    SettleOnOwnText(built);
    store.MelodyImage() = std::move(built.MelodyImage());
    store.Sequence().clear();
}

}  // namespace quaverly
