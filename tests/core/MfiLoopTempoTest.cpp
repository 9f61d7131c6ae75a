// Melodies of other makers at their own tempo, and their loops: the MIDI file
// lasts what the file information says, every loop form is read as typed
// slots, and the MIDI shapes (marked, unrolled, the loop section alone) hold
// the intro and the loop at the lengths the samples' expectations give.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MfiWriter.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiFileReader.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/LimitMessages.h"
#include "base/Limits.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace mfitest;
namespace fs = std::filesystem;

// What a MIDI file holds that these tests look at: its length in seconds
// through its tempo events, its markers and its controller-111 events.
struct MidiFacts : MidiEventSink {
    int division = 0;
    std::vector<std::pair<int64_t, uint32_t>> tempos;  // tick, microseconds a quarter
    std::vector<std::pair<int64_t, std::string>> markers;
    int loopControllers = 0;
    std::vector<std::pair<int64_t, int>> volumes;  // tick, controller 7's value
    int64_t lastTick = 0;
    int noteOns = 0;

    void Header(const MidiHeader& header) override { division = header.division; }
    void Event(int, const MidiEvent& event) override
    {
        if (event.status == 0xFF && event.data1 == 0x51 && event.body.size() == 3) {
            const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(event.body[i])); };
            tempos.emplace_back(event.tick, byte(0) << 16 | byte(1) << 8 | byte(2));
        } else if (event.status == 0xFF && event.data1 == 0x06) {
            markers.emplace_back(event.tick, std::string(event.body));
        } else if (event.Kind() == 0xB0 && event.data1 == 111) {
            ++loopControllers;
        } else if (event.Kind() == 0xB0 && event.data1 == 7) {
            volumes.emplace_back(event.tick, event.data2);
        } else if (event.Kind() == 0x90 && event.data2 > 0) {
            ++noteOns;
        }
    }
    void TrackEnd(int, int64_t tick) override { lastTick = std::max(lastTick, tick); }

    double Seconds(int64_t tick) const
    {
        std::vector<std::pair<int64_t, uint32_t>> sorted = tempos;
        std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        double seconds = 0;
        int64_t from = 0;
        uint32_t micros = 500'000;
        for (const auto& [at, value] : sorted) {
            if (at >= tick) {
                break;
            }
            seconds += static_cast<double>(at - from) * micros / 1e6 / division;
            from = at;
            micros = value;
        }
        return seconds + static_cast<double>(tick - from) * micros / 1e6 / division;
    }
    double Length() const { return Seconds(lastTick); }
};

MidiFacts FactsOf(const std::string& midi)
{
    MidiFacts facts;
    ReadMidiFile(midi, "made.mid", facts);
    return facts;
}

std::vector<fs::path> SampleFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".mld") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

const fs::path Samples(QUAVERLY_MFI_SAMPLES_DIR);

// Mended: the MIDI file of another maker's melody was 5 % short (the own
// layout's tempo adjustment was applied to a tempo the file states exactly).
TEST(MfiTempo, EverySampleExportsAtTheLengthTheFileInformationStates)
{
    std::vector<fs::path> files = SampleFiles(Samples);
    const std::vector<fs::path> loops = SampleFiles(Samples / "loops");
    files.insert(files.end(), loops.begin(), loops.end());
    if (files.empty()) {
        GTEST_SKIP() << "no samples at " << Samples;
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const MfiMelody melody = ReadMfiMelody(ReadWholeFile(file.string()), file.string());
        EXPECT_NEAR(FactsOf(MfiMidiFileBytes(melody)).Length(), MfiSeconds(melody, melody.endTick), 0.001);
    }
}

TEST(MfiTempo, QuarterMicrosecondsHasOneRuleAndItsClamp)
{
    const struct {
        int64_t tempo, adjustment;
        uint32_t micros;
    } cases[] = {{120, 100, 500'000}, {120, 95, 475'000}, {90, 100, 666'666}, {0, 100, MaxMidiQuarterMicros},
                 {1, 100, MaxMidiQuarterMicros}, {255, 100, 235'294}, {125, 1'000'000, MaxMidiQuarterMicros}};
    for (const auto& c : cases) {
        EXPECT_EQ(QuarterMicroseconds(c.tempo, c.adjustment), c.micros) << c.tempo << " " << c.adjustment;
    }
}

TEST(Limits, MessagesNameTheCapsTheChecksUse)
{
    EXPECT_NE(MelodyTooLongMessage().find(" " + std::to_string(MaxSequenceTime) + " "), std::string::npos);
    EXPECT_NE(MelodyTooManyEventsMessage().find(" " + std::to_string(MaxListedEvents) + " "), std::string::npos);
    EXPECT_EQ(HeaderTextTooLongMessage("titl").find(std::to_string(MaxHeaderTextBytes)),
              std::string(Msg::HeaderTextTooLongHead).size());
    EXPECT_EQ(OverCapMessage(Msg::MfiCapNotes, MaxMfiNotes),
              std::string(Msg::MfiCapNotes) + std::string(Msg::MfiCapHead) + std::to_string(MaxMfiNotes) +
                  std::string(Msg::MfiCapTail));
}

// Loop events: the slot in the top two bits, start 0 or end 1, the count in bits 2..5.
std::string LoopStart(int delta, int slot) { return Control(delta, 0xDD, slot << 6); }
std::string LoopEnd(int delta, int slot, int count) { return Control(delta, 0xDD, slot << 6 | count << 2 | 1); }

// A note every 12 ticks from 0 to 180 on voice 0, and the loop events of one
// track beside it: 120 a minute, 48 ticks a quarter, so 96 ticks a second.
std::string LoopFile(const std::string& loopTrack)
{
    std::string notes = Tempo(0, 120);
    for (int i = 0; i < 16; ++i) {
        notes += Note(i == 0 ? 0 : 12, 0, 20 + i, 10);
    }
    return MfiWriter().Info("titl", "loops").Track(notes + End(12)).Track(loopTrack + End()).Bytes();
}

TEST(MfiLoops, EachLoopFormIsKeptTyped)
{
    struct Case {
        const char* name;
        std::string track;
        std::vector<MfiLoop> loops;  // slot, start, end, hasEnd, count
        MfiLoop main;
    };
    const Case cases[] = {
        {"for ever", LoopStart(48, 0) + LoopEnd(96, 0, 0), {{0, 48, 144, true, 0}}, {0, 48, 144, true, 0}},
        {"counted", LoopStart(24, 1) + LoopEnd(72, 1, 3), {{1, 24, 96, true, 3}}, {1, 24, 96, true, 3}},
        {"no end", LoopStart(96, 2), {{2, 96, 192, false, 0}}, {2, 96, 192, false, 0}},
        {"nested slots", LoopStart(24, 0) + LoopStart(24, 1) + LoopEnd(48, 1, 2) + LoopEnd(48, 0, 0),
         {{0, 24, 144, true, 0}, {1, 48, 96, true, 2}}, {0, 24, 144, true, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MfiMelody melody = ReadMfiMelody(LoopFile(c.track), "loop.mld");
        ASSERT_FALSE(melody.partial) << melody.partialMessage;
        EXPECT_EQ(melody.endTick, 192u);
        const std::vector<MfiLoop> loops = MfiLoops(melody);
        ASSERT_EQ(loops.size(), c.loops.size());
        for (size_t i = 0; i < loops.size(); ++i) {
            EXPECT_EQ(loops[i].slot, c.loops[i].slot) << i;
            EXPECT_EQ(loops[i].start, c.loops[i].start) << i;
            EXPECT_EQ(loops[i].end, c.loops[i].end) << i;
            EXPECT_EQ(loops[i].hasEnd, c.loops[i].hasEnd) << i;
            EXPECT_EQ(loops[i].count, c.loops[i].count) << i;
        }
        const std::optional<MfiLoop> main = MfiMainLoop(melody);
        ASSERT_TRUE(main);
        EXPECT_EQ(main->start, c.main.start);
        EXPECT_EQ(main->end, c.main.end);

        // Marked: markers at the loop and controller 111 on the channel that plays.
        const MidiFacts marked = FactsOf(MfiMidiFileBytes(melody));
        std::vector<std::pair<double, std::string>> markers;
        for (const auto& [tick, name] : marked.markers) {
            markers.emplace_back(marked.Seconds(tick), name);
        }
        ASSERT_EQ(markers.size(), 2u);
        EXPECT_EQ(markers[0].second, "loopStart");
        EXPECT_NEAR(markers[0].first, c.main.start / 96.0, 1e-6);  // 96 ticks a second
        EXPECT_EQ(markers[1].second, "loopEnd");
        EXPECT_NEAR(markers[1].first, static_cast<double>(c.main.end) / 96.0, 1e-6);
        EXPECT_EQ(marked.loopControllers, 1);
        EXPECT_NEAR(marked.Length(), 2.0, 1e-6);

        // Unrolled, asked for three passes: the intro and three passes of a
        // loop for ever; a counted loop's own count of passes, then the rest
        // of the melody. The loop section alone: one pass.
        const double loopSeconds = static_cast<double>(c.main.end - c.main.start) / 96.0;
        const int passes = c.main.Forever() ? 3 : c.main.count;
        const double rest = c.main.Forever() ? 0.0 : static_cast<double>(192 - c.main.end) / 96.0;
        EXPECT_EQ(MfiLoopsForever(melody), c.main.Forever());
        const MidiFacts unrolled = FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 3}));
        EXPECT_NEAR(unrolled.Length(), c.main.start / 96.0 + passes * loopSeconds + rest, 1e-6);
        EXPECT_TRUE(unrolled.markers.empty());
        const MidiFacts section = FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1}));
        EXPECT_NEAR(section.Length(), loopSeconds, 1e-6);
        // Notes every 12 ticks up to 180: those of the intro and the rest
        // once, those of the loop once a pass.
        const int introNotes = static_cast<int>((c.main.start + 11) / 12);
        const int loopNotes = static_cast<int>(std::min<uint64_t>(c.main.end, 181) + 11) / 12 - introNotes;
        const int restNotes = c.main.Forever() ? 0 : 16 - introNotes - loopNotes;
        EXPECT_EQ(section.noteOns, loopNotes);
        EXPECT_EQ(unrolled.noteOns, introNotes + passes * loopNotes + restNotes);
    }
}

TEST(MfiLoops, AMelodyWithoutLoopIsTheSameInEveryShape)
{
    const MfiMelody melody = ReadMfiMelody(LoopFile(""), "plain.mld");
    EXPECT_FALSE(MfiHasLoop(melody));
    const std::string whole = MfiMidiFileBytes(melody);
    EXPECT_EQ(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 4}), whole);
    EXPECT_EQ(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1}), whole);
    EXPECT_TRUE(FactsOf(whole).markers.empty());
    // An end without a start, and a loop of no length, are no loop.
    EXPECT_FALSE(MfiHasLoop(ReadMfiMelody(LoopFile(LoopEnd(24, 0, 0)), "end.mld")));
    EXPECT_FALSE(MfiHasLoop(ReadMfiMelody(LoopFile(LoopStart(24, 0) + LoopEnd(0, 0, 0)), "empty.mld")));
}

// The audio's file: the loop plays on after the passes while every channel's
// volume falls to nothing, the file ending when the fade does.
TEST(MfiLoops, TheFadePlaysTheLoopOnWithItsVolumeFalling)
{
    const std::string notes = Tempo(0, 120) + VoiceControl(0, 0xE2, 0, 63) + Note(0, 0, 20, 10) + Note(48, 0, 21, 10) +
                              Note(48, 0, 22, 10) + End(48);
    const MfiMelody melody =
        ReadMfiMelody(MfiWriter().Track(notes).Track(LoopStart(48, 0) + LoopEnd(48, 0, 0) + End()).Bytes(), "f.mld");
    // Intro 0.5 s, loop 0.5 s: two passes and 1.25 s of fade.
    const MidiFacts facts = FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 2, 1.25}));
    EXPECT_NEAR(facts.Length(), 0.5 + 2 * 0.5 + 1.25, 0.011);
    EXPECT_EQ(facts.noteOns, 2 + 1 + 3);  // the intro with the first pass, the second, the fade's two and a half passes
    ASSERT_GE(facts.volumes.size(), 20u);
    EXPECT_EQ(facts.volumes.front().second, 127);  // the file's own, before the fade
    int previous = 127;
    for (const auto& [tick, value] : facts.volumes) {
        EXPECT_LE(value, previous) << tick;
        previous = value;
    }
    EXPECT_EQ(facts.volumes.back().second, 0);
    EXPECT_NEAR(facts.Seconds(facts.volumes.back().first), facts.Length(), 1e-6);
    // Without a fade no volume steps are written.
    EXPECT_EQ(FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 2})).volumes.size(), 1u);
}

// The loop section alone opens with the lanes' controls in effect at its start.
TEST(MfiLoops, TheLoopSectionStartsWithTheChannelStateAtTheLoopStart)
{
    const std::string notes = Tempo(0, 120) + VoiceControl(0, 0xE0, 0, 5) + VoiceControl(0, 0xE2, 0, 40) +
                              Note(0, 0, 20, 10) + VoiceControl(24, 0xE2, 0, 20) + Tempo(0, 60) + Note(24, 0, 21, 10) +
                              Note(48, 0, 22, 10) + End(48);
    const MfiMelody melody =
        ReadMfiMelody(MfiWriter().Track(notes).Track(LoopStart(48, 0) + LoopEnd(48, 0, 0) + End()).Bytes(), "s.mld");
    const std::string section = MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1});
    // Program 5 and the volume of 20 (not 40), before the first note; the tempo of 60.
    const std::string lane = section.substr(section.find("MTrk", section.find("MTrk", 14) + 4));
    EXPECT_NE(lane.find(std::string("\x00\xC0\x05", 3)), std::string::npos);
    EXPECT_NE(lane.find(std::string("\xB0\x07") + static_cast<char>((20 * 127 + 31) / 63)), std::string::npos);
    EXPECT_EQ(lane.find(std::string("\xB0\x07") + static_cast<char>((40 * 127 + 31) / 63)), std::string::npos);
    const MidiFacts facts = FactsOf(section);
    ASSERT_FALSE(facts.tempos.empty());
    EXPECT_EQ(facts.tempos.front().second, 1'000'000u);
    EXPECT_NEAR(facts.Length(), 1.0, 1e-6);  // 48 ticks at 60 a minute
}

// The loop samples with what another player exports of them: the intro's and
// the loop's lengths.
TEST(MfiLoops, TheLoopSamplesHaveTheirIntroAndLoop)
{
    const std::vector<fs::path> files = SampleFiles(Samples / "loops");
    if (files.empty()) {
        GTEST_SKIP() << "no loop samples at " << Samples / "loops";
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string json = ReadWholeFile(fs::path(file).replace_extension(".json").string());
        const auto number = [&json](const std::string& key) {
            return std::strtod(json.c_str() + json.find("\"" + key + "\":") + key.size() + 3, nullptr);
        };
        const MfiMelody melody = ReadMfiMelody(ReadWholeFile(file.string()), file.string());
        const std::optional<MfiLoop> loop = MfiMainLoop(melody);
        ASSERT_TRUE(loop);
        EXPECT_EQ(loop->slot, static_cast<int>(number("loop_slot")));
        EXPECT_EQ(loop->Forever(), number("repeat_count") < 0);
        EXPECT_EQ(loop->start, static_cast<uint32_t>(number("loop_start_tick")));
        EXPECT_EQ(loop->end, static_cast<uint64_t>(number("loop_end_tick")));
        // The other player's files run a few tenths of a millisecond long.
        EXPECT_NEAR(FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 1})).Length(),
                    number("loop_end_seconds"), 0.002);
        EXPECT_NEAR(FactsOf(MfiMidiFileBytes(melody, {MfiMidiShape::Kind::LoopSection, 1})).Length(),
                    number("loop_seconds"), 0.002);
        EXPECT_NEAR(MfiSeconds(melody, loop->start), number("loop_start_seconds"), 0.002);
    }
}

// Every list of the reader stops at its cap: the file is read up to it and
// reported partial, typed as over a cap, the message naming the cap.
TEST(MfiCaps, TheReaderStopsAtTheNoteCap)
{
    std::string events;
    events.reserve((MaxMfiNotes + 10) * 3);
    for (size_t i = 0; i < MaxMfiNotes + 10; ++i) {
        events += Note(1, static_cast<int>(i % 4), static_cast<int>(i % 60), 1);
    }
    const MfiMelody melody = ReadMfiMelody(MfiWriter().Track(events + End()).Bytes(), "many.mld");
    EXPECT_EQ(melody.notes.size(), MaxMfiNotes);
    EXPECT_TRUE(melody.partial);
    EXPECT_EQ(melody.status, MfiReadStatus::OverCap);
    EXPECT_NE(melody.partialMessage.find(OverCapMessage(Msg::MfiCapNotes, MaxMfiNotes)), std::string::npos);
    EXPECT_LE(melody.notes.capacity(), MaxMfiNotes);
    // What was read still makes a MIDI file that the player and the audio
    // export read (at most MaxMidiEvents events).
    EXPECT_EQ(FactsOf(MfiMidiFileBytes(melody)).noteOns, static_cast<int>(MaxMfiNotes));
    // Unrolled ten times over it is refused, naming the cap.
    try {
        MfiMidiFileBytes(ReadMfiMelody(MfiWriter().Track(events.substr(0, 3 * MaxMfiNotes) + End()).Track(LoopStart(0, 0) + LoopEnd(200, 0, 0) + End()).Bytes(), "l.mld"),
                         {MfiMidiShape::Kind::Unrolled, MaxLoopUnroll});
        ADD_FAILURE() << "no refusal";
    } catch (const QuaverlyError& error) {
        EXPECT_EQ(std::string(error.what()), OverCapMessage(Msg::MfiCapMidiEvents, MaxMfiMidiEvents));
    }
}

}  // namespace
}  // namespace quaverly
