// The MML export: exact lengths, the track layout mml2smf reads, gates and
// what it cannot write counted.
#include <gtest/gtest.h>

#include "UnitText/MmlWriter.h"

namespace quaverly {
namespace {

TEST(MmlWriterTest, LengthsAreSpelledExactlyLongestFirst)
{
    struct Case {
        int ticks;
        std::vector<std::string> lengths;
    };
    const Case cases[] = {
        {48, {"4"}},      {72, {"4."}},          {84, {"4.."}},          {64, {"3"}},     {16, {"12"}},
        {100, {"2", "48"}}, {7, {"48.."}}, {336, {"1.."}},         {400, {"1..", "3"}}, {1, {"192"}},
        {0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MmlLengths(c.ticks), c.lengths) << c.ticks;
    }
}

TEST(MmlWriterTest, TracksCarryTheSettingsAndTheNotes)
{
    TextMelody melody;
    melody.tempo = 90;
    melody.tones = {1, 41, 128, 1};
    melody.volumes = {63, 32, 0, 63};
    // Voice 1: a rest, C5 quarter (gate normal), C#5 eighth staccato, B4 half tied.
    melody.voices[0] = {{0, 24, 0, 0}, {24, 48, 27, 46}, {72, 24, 28, 12}, {96, 100, 26, 101}};
    // Voice 3: two notes at one onset, the top one (F4) kept; a jump of two octaves.
    melody.voices[2] = {{0, 0, 10, 2}, {0, 48, 20, 46}, {48, 48, 50, 46}};
    const MmlExport exported = WriteMml(melody);
    // The eighth is the commonest length: "l8".
    EXPECT_EQ(exported.text, "t90 @0 v127 l8 ro5q8c4q4c+>q8b2^48;\r\n"
                             "@40 v65 l4 ;\r\n"
                             "@127 v0 l4 o4q8fo6b;\r\n"
                             "@0 v127 l4 \r\n");
    EXPECT_EQ(exported.chordNotesDropped, 1);
}

TEST(MmlWriterTest, VolumesComeBackAsTheyWent)
{
    for (int volume = 0; volume <= 63; ++volume) {
        EXPECT_EQ(VolumeOfMmlVolume(MmlVolumeOf(volume)), volume);
    }
}

}  // namespace
}  // namespace quaverly
