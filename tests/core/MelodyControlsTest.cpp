#include "UnitMld/MelodyControls.h"

#include <gtest/gtest.h>

#include "MelodyTestImages.h"

namespace quaverly {
namespace {

using namespace testimages;

using Four = std::array<int, VoiceCount>;

// Every answer of one walk, so that an answer taken at the wrong event (the
// last instead of the first, another voice's) shows however the others fall.
struct ControlsCase {
    const char* name;
    const char* events;
    int tempo;
    Four toneLow;
    Four toneHigh;
    Four volume;
    bool hasData;
    const char* dataHex;
};

TEST(MelodyControls, OneWalkAnswersEveryQuestion)
{
    const ControlsCase cases[] = {
        {"no controls", "00 1B 2E 30 FF DF 00", 125, {0, 0, 0, 0}, {0, 0, 0, 0}, {63, 63, 63, 63}, false, ""},
        {"tempo: the first of C3 and C2 counts, later ones do not",
         "00 FF C2 F0 00 FF C3 64 00 FF C2 10", 120, {0, 0, 0, 0}, {0, 0, 0, 0}, {63, 63, 63, 63}, false, ""},
        {"tempo: C3 first", "00 FF C3 64 00 FF C2 F0 00 FF C3 20", 100, {0, 0, 0, 0}, {0, 0, 0, 0},
         {63, 63, 63, 63}, false, ""},
        {"volume: the first of each voice, whatever comes between",
         "00 FF E2 4A 00 FF E2 05 00 FF E2 07 00 FF E2 8C 00 FF E2 49 00 FF E2 C1", 125, {0, 0, 0, 0},
         {0, 0, 0, 0}, {5, 10, 12, 1}, false, ""},
        {"tone: the last half of each voice",
         "00 FF E0 01 00 FF E0 42 00 FF E1 02 00 FF E0 03 00 FF E1 C3 00 FF E1 83", 125, {3, 2, 0, 0},
         {2, 0, 3, 3}, {63, 63, 63, 63}, false, ""},
        {"data: the first F0, not F1, and no control inside it",
         "00 FF F1 00 01 77 00 FF F0 00 04 0A FF E2 3C 00 FF F0 00 01 99 00 FF C3 50", 80, {0, 0, 0, 0},
         {0, 0, 0, 0}, {63, 63, 63, 63}, true, "0affe23c"},
        {"data: an empty F0 still counts", "00 FF F0 00 00 00 FF F0 00 01 99", 125, {0, 0, 0, 0}, {0, 0, 0, 0},
         {63, 63, 63, 63}, true, ""},
        {"controls after notes and rests count", "00 1B 2E 30 5D 00 00 FF E2 8A 00 1B 2E 00 FF C3 30", 48,
         {0, 0, 0, 0}, {0, 0, 0, 0}, {63, 63, 10, 63}, false, ""},
        {"a data byte cut off by the end does not count", "00 FF E2 4A 00 FF C3", 125, {0, 0, 0, 0},
         {0, 0, 0, 0}, {63, 10, 63, 63}, false, ""},
        {"F0 data cut off by the end is taken as far as it goes", "00 FF E0 05 00 FF F0 00 29 01 02", 125,
         {5, 0, 0, 0}, {0, 0, 0, 0}, {63, 63, 63, 63}, true, "0102"},
    };
    for (const ControlsCase& c : cases) {
        const std::string image = ImageWithEvents(c.events);
        const MelodyControls controls = ReadMelodyControls(image);
        EXPECT_EQ(controls.tempo, c.tempo) << c.name;
        EXPECT_EQ(controls.toneLow, c.toneLow) << c.name;
        EXPECT_EQ(controls.toneHigh, c.toneHigh) << c.name;
        EXPECT_EQ(controls.volume, c.volume) << c.name;
        EXPECT_EQ(controls.hasData, c.hasData) << c.name;
        EXPECT_EQ(DataHexText(controls.data), c.dataHex) << c.name;
    }
}

TEST(MelodyControls, ImageWithoutEventsGivesTheDefaults)
{
    for (const std::string& image : {std::string{}, std::string("melo"), ExampleImage.substr(0, 20)}) {
        const MelodyControls controls = ReadMelodyControls(image);
        EXPECT_EQ(controls.tempo, 125);
        EXPECT_EQ(controls.volume, (Four{63, 63, 63, 63}));
        EXPECT_FALSE(controls.hasData);
        EXPECT_EQ(VoiceToneText(controls, 0), Sjis("1 - ピアノ"));
    }
}

TEST(MelodyControls, VoicesOutsideTheFourHaveNoSettings)
{
    const MelodyControls controls = ReadMelodyControls(ImageWithEvents("00 FF E0 09 00 FF E1 03 00 FF E2 05"));
    EXPECT_EQ(VoiceToneText(controls, 0), Sjis("74 - フルート"));
    for (int voice : {-1, 4, 64}) {
        EXPECT_EQ(VoiceToneText(controls, voice), Sjis("1 - ピアノ")) << voice;
        EXPECT_EQ(VoiceVolume(controls, voice), 63) << voice;
    }
}

}  // namespace
}  // namespace quaverly
