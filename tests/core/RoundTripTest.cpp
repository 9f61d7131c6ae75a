// Whole-road checks: random scores compiled, loaded back into score text and
// compiled again must give the same melody bytes; random and damaged images
// go through every query and the load without a read outside the image.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <tuple>

#include "MelodyTestImages.h"
#include "base/Errors.h"
#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/MelodyToScore.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"
#include "UnitMld/NotationTables.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/SequenceText.h"

namespace quaverly {
namespace {

using namespace testimages;

class Random {
public:
    explicit Random(uint32_t seed) : m_engine(seed) {}
    int Between(int low, int high) { return low + static_cast<int>(m_engine() % static_cast<uint32_t>(high - low + 1)); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    template <typename T, size_t N>
    const T& Pick(const std::array<T, N>& items) { return items[static_cast<size_t>(Between(0, N - 1))]; }

private:
    std::mt19937 m_engine;
};

// Heads, marks and articulations as typed, kept where no pitch value reaches
// 0 or -1 (which the parser reads as "nothing" and "a rest").
const std::array<std::string, 7> Heads{"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ"};
const std::array<std::string, 7> Marks{"", "▲", "▼", "＃", "♭", "▲▲", "▼▼"};
const std::array<std::string, 17> Durations{"", "全", "２．", "２３", "２", "４．", "４３", "４", "８．",
                                            "８３", "８", "１６．", "１６", "３２", "６４", "１", "4"};

std::string RandomLength(Random& random)
{
    // Lengths beyond the table, up to gaps that need silent bridge events.
    return random.Chance(80) ? random.Pick(Durations) : "（" + std::to_string(random.Between(1, 400)) + "）";
}

std::string RandomVoiceText(Random& random)
{
    std::string text;
    const int events = random.Between(1, 25);
    for (int i = 0; i < events; ++i) {
        if (random.Chance(20)) {
            text += random.Chance(50) ? "●" : "休";
            text += RandomLength(random);
        } else {
            text += random.Pick(Heads) + random.Pick(Marks) + RandomLength(random);
            switch (random.Between(0, 5)) {
            case 0:
                text += "＊";
                break;
            case 1:
                text += "Ｔ";
                break;
            case 2:
                text += "［" + std::to_string(random.Between(1, 300)) + "］";
                break;
            default:
                break;
            }
        }
        text += random.Chance(30) ? "　" : (random.Chance(10) ? "\r\n" : "");
    }
    return text;
}

EditorTexts RandomTexts(Random& random)
{
    EditorTexts texts;
    texts.tempo = std::to_string(random.Between(1, 255));
    texts.title = "Tune " + std::to_string(random.Between(0, 9999));
    for (size_t voice = 0; voice < 4; ++voice) {
        const int tone = random.Between(1, 128);
        texts.tones[voice] = random.Chance(50) ? std::to_string(tone) : std::to_string(tone) + " - x";
        texts.volumes[voice] = std::to_string(random.Between(0, 63));
        texts.scores[voice] = random.Chance(75) ? Sjis(RandomVoiceText(random)) : "";
    }
    return texts;
}

EditorTexts TextsOf(const EditorFields& fields)
{
    EditorTexts texts;
    texts.tempo = fields.tempoText;
    texts.title = fields.title;
    texts.tones = fields.toneTexts;
    texts.volumes = fields.volumeTexts;
    texts.scores = fields.scoreTexts;
    return texts;
}

// The main window's load: a fresh editor and an empty list, then the image.
EditorFields Load(std::string image, MelodyStore& store, MelodyFileInfo& info)
{
    store.ClearMelody();
    store.MelodyImage() = std::move(image);
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
    EXPECT_TRUE(fields);
    return fields.value_or(EditorFields{});
}

// Whether two consecutive events of the track lie more than 255 ticks apart.
bool NeedsBridge(const SequenceList& sorted)
{
    int prev = 0;
    for (size_t k = 0; k < sorted.size(); ++k) {
        if (!sorted[k].IsEnd() || k + 1 == sorted.size()) {
            if (sorted[k].Time() - prev > 255) {
                return true;
            }
            prev = sorted[k].Time();
        }
    }
    return false;
}

TEST(RoundTrip, RandomScoresCompileToTheSameBytesAfterALoad)
{
    int bridged = 0;
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        Random random(seed);
        const EditorTexts texts = RandomTexts(random);
        MelodyFileInfo info;
        info.sorc = random.Chance(50);
        info.copyright = random.Chance(50) ? "(c) " + std::to_string(seed) : "";
        info.date = random.Chance(50) ? "20240102" : "";
        MelodyStore store;
        store.fff0DataSet = random.Chance(30);
        store.fff0DataHex = store.fff0DataSet ? "0a0b0c" : "";

        const AnalysisResult first = AnalyseScore(store, texts, info, false);
        ASSERT_FALSE(first.refusal) << "seed " << seed;
        const std::string image = store.MelodyImage();
        bridged += NeedsBridge(store.Sequence()) ? 1 : 0;

        MelodyFileInfo loadedInfo;
        const EditorFields loaded = Load(image, store, loadedInfo);
        EXPECT_EQ(loadedInfo.copyright, info.copyright);
        EXPECT_EQ(loadedInfo.sorc, info.sorc);
        const AnalysisResult second = AnalyseScore(store, TextsOf(loaded), loadedInfo, false);
        ASSERT_FALSE(second.refusal) << "seed " << seed;
        ASSERT_EQ(ToHex(store.MelodyImage()), ToHex(image)) << "seed " << seed;

        // And the texts loaded from the second image are those of the first.
        const EditorFields reloaded = Load(store.MelodyImage(), store, loadedInfo);
        EXPECT_EQ(reloaded.scoreTexts, loaded.scoreTexts) << "seed " << seed;
    }
    EXPECT_GT(bridged, 10);  // the silent bridge events are part of what was checked
}

// Lines written by hand must be those of "%5d %1d %2d %3d", in and beyond the columns.
TEST(RoundTrip, EventLinesAreThoseOfTheirFormat)
{
    Random random(7);
    for (int i = 0; i < 20000; ++i) {
        const int time = random.Chance(90) ? random.Between(0, 99999) : random.Between(-200000, 200000);
        const int voice = random.Between(-2, 12);
        const int note = random.Between(-12, 120);
        const int gate = random.Chance(90) ? random.Between(0, 999) : random.Between(-5000, 5000);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%5d %1d %2d %3d", time, voice, note, gate);
        ASSERT_EQ(FormatEventLine(time, voice, note, gate), expected);
    }
    EXPECT_EQ(FormatEventLine(INT32_MIN, 0, -1, 0), std::to_string(INT32_MIN) + " 0 -1   0");
}

// Every query and the whole load on one image; only a melody longer than the
// time column may be refused, with its message.
void ReadEverything(const std::string& image)
{
    MelodyStore store;
    store.MelodyImage() = image;
    (void)store.HeaderChunk("titl");
    (void)store.HeaderChunk("copy");
    (void)store.MelodyTempo();
    for (int voice = 0; voice < 4; ++voice) {
        (void)store.VoiceToneText(voice);
        (void)store.VoiceVolume(voice);
    }
    store.LoadFFF0Data();
    MelodyFileInfo info;
    try {
        LoadMelodyIntoEditor(store, info);
    } catch (const MelodyLimitError& error) {
        EXPECT_EQ(std::string(error.what()), MelodyTooLongMessage());
    }
}

TEST(RoundTrip, RandomAndTruncatedImagesNeverReadOutside)
{
    Random random(20240102);
    for (int round = 0; round < 2000; ++round) {
        std::string image = "melo";
        const int size = random.Between(0, 120);
        for (int i = 0; i < size; ++i) {
            // Bias toward the bytes that steer the walk.
            static const std::array<int, 8> Steering{0xFF, 0xF0, 0xF1, 0xDF, 0xC3, 0xE0, 0x00, 0x01};
            image += static_cast<char>(random.Chance(40) ? random.Pick(Steering) : random.Between(0, 255));
        }
        ReadEverything(image);
    }

    // Damaged copies of a real melody: every prefix, and random byte changes.
    EditorTexts texts = RandomTexts(random);
    texts.scores[0] = Sjis("ドレミファソラシド▲");
    MelodyStore store;
    store.fff0DataSet = true;
    ASSERT_FALSE(AnalyseScore(store, texts, MelodyFileInfo{}, false).refusal);
    const std::string melody = store.MelodyImage();
    for (size_t n = 0; n <= melody.size(); ++n) {
        ReadEverything(melody.substr(0, n));
    }
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = melody;
        for (int changes = random.Between(1, 4); changes > 0; --changes) {
            damaged[static_cast<size_t>(random.Between(4, static_cast<int>(damaged.size()) - 1))] =
                static_cast<char>(random.Between(0, 255));
        }
        ReadEverything(damaged.substr(0, static_cast<size_t>(random.Between(0, static_cast<int>(damaged.size())))));
    }
}

}  // namespace
}  // namespace quaverly
