// Melodies written as RTTTL and MML and read back through the import give
// the same notes wherever the format holds them, over random melodies.
#include <gtest/gtest.h>

#include <random>

#include "UnitMld/NoteRules.h"
#include "UnitText/MmlReader.h"
#include "UnitText/MmlWriter.h"
#include "UnitText/RtttlReader.h"
#include "UnitText/RtttlWriter.h"
#include "UnitText/TextMelodyImport.h"

namespace quaverly {
namespace {

struct Onset {
    int time;
    int note;
    bool operator==(const Onset&) const = default;
};

// A voice of random steps: lengths from the set, notes from low to high, a
// rest now and then, normal or staccato gates; its end line after the last.
void AddRandomVoice(SequenceList& list, std::mt19937& random, int voice, const std::vector<int>& lengths, int low, int high)
{
    std::uniform_int_distribution<size_t> length(0, lengths.size() - 1);
    std::uniform_int_distribution<int> note(low, high);
    std::uniform_int_distribution<int> kind(0, 9);
    int time = 0;
    const int steps = std::uniform_int_distribution<int>(1, 60)(random);
    for (int i = 0; i < steps; ++i) {
        const int ticks = lengths[length(random)];
        const int k = kind(random);
        const int gate = k < 2 ? 0 : k < 4 ? ticks / 2 : ticks - 2;
        list.AddEvent(time, voice, gate == 0 ? RestNote : note(random), std::max(gate, gate == 0 ? 0 : 1));
        time += ticks;
    }
    list.AddEvent(time, voice, EndNote, 0);
}

std::vector<Onset> Sounding(const VoiceNotes& notes)
{
    std::vector<Onset> onsets;
    for (const TextNote& note : notes) {
        if (!note.IsRest()) {
            onsets.push_back({note.time, note.note});
        }
    }
    return onsets;
}

std::vector<Onset> Sounding(const ImportedVoice& voice)
{
    std::vector<Onset> onsets;
    for (const VoiceEvent& event : voice.events) {
        if (event.gate > 0) {
            onsets.push_back({event.time, event.note});
        }
    }
    return onsets;
}

TEST(TextRoundTripTest, MmlKeepsEveryNoteOfTheFourVoicesAndTheSettings)
{
    std::mt19937 random(32);
    // A melody file holds a gate of at most 255 ticks: longer notes come back tied, so none is longer here.
    const std::vector<int> lengths{1, 3, 5, 6, 7, 9, 12, 16, 18, 24, 32, 36, 48, 64, 72, 96, 100, 144, 192, 250};
    for (int round = 0; round < 200; ++round) {
        SequenceList list;
        for (int voice = 0; voice < VoiceCount; ++voice) {
            AddRandomVoice(list, random, voice, lengths, 0, Mld::HighestNoteOfVoice(voice));
        }
        TextMelody melody;
        melody.tempo = std::uniform_int_distribution<int>(1, 255)(random);
        for (size_t voice = 0; voice < VoiceCount; ++voice) {
            melody.tones[voice] = std::uniform_int_distribution<int>(1, 128)(random);
            melody.volumes[voice] = std::uniform_int_distribution<int>(0, 63)(random);
        }
        melody.voices = VoiceNotesOf(list);
        const MmlExport exported = WriteMml(melody);
        EXPECT_EQ(exported.chordNotesDropped, 0);
        TextMelodyRead read = ReadMml(exported.text, "r.mml");
        EXPECT_TRUE(read.problems.empty()) << exported.text;
        const ImportedMelody imported = ImportTextMelody(read, {1, 2, 3, 4});
        EXPECT_EQ(imported.tempo, melody.tempo);
        for (size_t voice = 0; voice < VoiceCount; ++voice) {
            ASSERT_EQ(Sounding(imported.voices[voice]), Sounding(melody.voices[voice])) << "round " << round << " voice " << voice;
            if (imported.voices[voice].notesKept > 0) {
                EXPECT_EQ(imported.voices[voice].tone, melody.tones[voice]);
                EXPECT_EQ(imported.voices[voice].volume, melody.volumes[voice]);
            }
        }
    }
}

TEST(TextRoundTripTest, RtttlKeepsTheNotesOfAVoiceItCanSayWhole)
{
    std::mt19937 random(7);
    // Every RTTTL length but the dotted whole (288), which a melody file holds as two tied notes.
    const std::vector<int> lengths{6, 9, 12, 18, 24, 36, 48, 72, 96, 144, 192};
    for (int round = 0; round < 200; ++round) {
        SequenceList list;
        // Keys 60..107: notes 15..62.
        AddRandomVoice(list, random, 0, lengths, 15, 62);
        const VoiceNotes voice = VoiceNotesOf(list)[0];
        if (Sounding(voice).empty()) {
            continue;
        }
        const RtttlExport exported = WriteRtttl(voice, "Round", 125);
        EXPECT_FALSE(exported.changes.Any()) << exported.text;
        TextMelodyRead read = ReadRtttl(exported.text, "r.rtttl");
        EXPECT_TRUE(read.problems.empty());
        const ImportedMelody imported = ImportTextMelody(read);
        EXPECT_EQ(imported.tempo, 125);
        ASSERT_EQ(Sounding(imported.voices[0]), Sounding(voice)) << exported.text;
    }
}

TEST(TextRoundTripTest, RtttlCountsEveryOnsetItCouldNotKeep)
{
    std::mt19937 random(11);
    const std::vector<int> lengths{3, 4, 8, 16, 24, 32, 48, 60, 64, 100};
    for (int round = 0; round < 200; ++round) {
        SequenceList list;
        AddRandomVoice(list, random, 0, lengths, 15, 62);
        const VoiceNotes voice = VoiceNotesOf(list)[0];
        const std::vector<Onset> wanted = Sounding(voice);
        if (wanted.empty()) {
            continue;
        }
        const RtttlExport exported = WriteRtttl(voice, "Round", 100);
        TextMelodyRead read = ReadRtttl(exported.text, "r.rtttl");
        const std::vector<Onset> got = Sounding(ImportTextMelody(read).voices[0]);
        ASSERT_EQ(got.size(), wanted.size()) << exported.text;
        int moved = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].note, wanted[i].note);
            moved += got[i].time != wanted[i].time ? 1 : 0;
        }
        EXPECT_EQ(moved, exported.changes.onsetsMoved) << exported.text;
    }
}

}  // namespace
}  // namespace quaverly
