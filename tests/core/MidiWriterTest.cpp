#include <gtest/gtest.h>

#include "SequenceLines.h"
#include <unistd.h>

#include <cstdio>
#include <random>

#include "UnitMidi/MidiTrackWork.h"
#include "UnitMidi/MidiWriter.h"
#include "base/Errors.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

MidiSettings Voices(std::array<bool, 4> mask, std::string editTempo = "100")
{
    MidiSettings settings;
    settings.playMask = mask;
    settings.editTempo = std::move(editTempo);
    return settings;
}

const MidiSettings FirstVoiceOnly = Voices({true, false, false, false});

// The data of every "MTrk" chunk, checking the chunk lengths on the way.
std::vector<std::string> Tracks(const std::string& file)
{
    std::vector<std::string> tracks;
    EXPECT_EQ(file.substr(0, 8), "MThd\x00\x00\x00\x06"s);
    size_t pos = 14;
    while (pos + 8 <= file.size()) {
        EXPECT_EQ(file.substr(pos, 4), "MTrk");
        size_t length = 0;
        for (size_t i = 4; i < 8; ++i) {
            length = length * 256 + static_cast<unsigned char>(file[pos + i]);
        }
        tracks.push_back(file.substr(pos + 8, length));
        pos += 8 + length;
    }
    EXPECT_EQ(pos, file.size());
    return tracks;
}

// Note events of a channel track as "time status key velocity" in file ticks.
std::vector<std::string> NoteEvents(const std::string& track)
{
    std::vector<std::string> events;
    auto byte = [&track](size_t i) { return i < track.size() ? static_cast<unsigned char>(track[i]) : 0u; };
    size_t pos = 0;
    long time = 0;
    while (pos < track.size()) {
        long delta = 0;
        do {
            delta = delta * 128 + (byte(pos) & 0x7F);
        } while (byte(pos++) & 0x80);
        time += delta;
        const unsigned status = byte(pos);
        if (status == 0xFF) {
            pos += 3 + byte(pos + 2);  // short meta events only in channel tracks
        } else if (status == 0xF0) {
            pos += 2 + byte(pos + 1);
        } else if ((status & 0xF0) == 0xC0) {
            pos += 2;
        } else {
            char text[64];
            std::snprintf(text, sizeof text, "%ld %02X %d %d", time, status, byte(pos + 1), byte(pos + 2));
            events.push_back(text);
            pos += 3;
        }
    }
    return events;
}

using Events = std::vector<std::string>;

TEST(MidiWriter, EmptyListWritesConductorEndingAfterSetupBar)
{
    const std::string conductor =
        "\x00\xFF\x03\x00"
        "\x00\xFF\x02\x08"
        "Fernwick"
        "\x00\xFF\x03\x0F"
        "Conductor Track"
        "\x00\xFF\x06\x05"
        "Setup"
        "\x00\xFF\x59\x02\x00\x00"
        "\x00\xFF\x58\x04\x04\x02\x18\x08"
        "\x00\xFF\x51\x03\x07\x53\x00"
        "\x8F\x00\xFF\x06\x05"
        "Start"
        "\x00\xFF\x59\x02\x00\x00"
        "\x00\xFF\x58\x04\x04\x02\x18\x08"
        "\x00\xFF\x2F\x00"s;
    const std::string systemSetup =
        "\x00\xFF\x03\x0C"
        "System Setup"
        "\x00\xF0\x00\x00\xF0\x00\x00\xFF\x2F\x00"s;
    const std::string expected = "MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xE0"s + "MTrk\x00\x00\x00"s +
                                 char(conductor.size()) + conductor + "MTrk\x00\x00\x00\x1A"s + systemSetup;
    EXPECT_EQ(MidiFileBytes({}, Voices({false, false, false, false})), expected);
}

TEST(MidiWriter, TracksFollowThePlayMaskInVoiceOrder)
{
    const SequenceList list = ListOf({"    0 0 27  46", "    0 2 30  46", "   48 0 -1   0"});
    const std::string bytes = MidiFileBytes(list, Voices({false, true, true, true}));
    EXPECT_EQ(bytes.substr(10, 2), "\x00\x05"s);
    const std::vector<std::string> tracks = Tracks(bytes);
    ASSERT_EQ(tracks.size(), 5u);
    EXPECT_EQ(tracks[4].substr(0, 9), "\x00\xFF\x03\x05"
                                      "CH #4"s);
    // A voice without lines: its name, its program and the end of the track.
    EXPECT_EQ(tracks[2],
              "\x00\xFF\x03\x05"
              "CH #2"
              "\x00\xC1\x00"
              "\x00\xFF\x2F\x00"s);
}

TEST(MidiWriter, TempoBytesFollowTheAdjustment)
{
    const std::pair<std::pair<int, std::string>, std::string> cases[] = {
        {{125, "100"}, "\x07\x53\x00"s},
        {{125, "95"}, "\x06\xF5\x40"s},
        {{120, "100"}, "\x07\xA1\x20"s},
        {{120, "95"}, "\x07\x3F\x78"s},
        {{125, " 95"}, "\x06\xF5\x40"s},
        {{125, "$5F"}, "\x06\xF5\x40"s},
        // Not a positive integer: the adjustment counts as 100.
        {{125, "abc"}, "\x07\x53\x00"s},
        {{125, "0"}, "\x07\x53\x00"s},
        {{125, "95 "}, "\x07\x53\x00"s},
        // Beyond 24 bits the value is held at the longest quarter note.
        {{1, "100"}, "\xFF\xFF\xFF"s},
        {{1, "2147483647"}, "\xFF\xFF\xFF"s},
    };
    for (const auto& [input, tempoBytes] : cases) {
        MidiSettings settings = Voices({false, false, false, false}, input.second);
        settings.tempo = input.first;
        const std::string conductor = Tracks(MidiFileBytes({}, settings)).at(0);
        EXPECT_EQ(conductor.substr(conductor.find("\xFF\x51\x03"s) + 3, 3), tempoBytes)
            << input.first << " '" << input.second << "'";
    }
}

TEST(MidiWriter, LongTitleHasVariableLengthLength)
{
    for (size_t length : {0u, 1u, 127u, 128u, 300u}) {
        MidiSettings settings = FirstVoiceOnly;
        settings.title = std::string(length, '\x82');
        const std::string conductor = Tracks(MidiFileBytes({}, settings)).at(0);
        const std::string lengthBytes = length < 128    ? std::string(1, char(length))
                                        : length == 128 ? "\x81\x00"s
                                                        : "\x82\x2C"s;
        EXPECT_EQ(conductor.substr(0, 3 + lengthBytes.size() + length), "\x00\xFF\x03"s + lengthBytes + settings.title);
    }
}

TEST(MidiWriter, OneNoteTrackByteForByte)
{
    const SequenceList list = ListOf({"    0 0 27  46", "   48 0 -1   0"});
    const std::vector<std::string> tracks = Tracks(MidiFileBytes(list, FirstVoiceOnly));
    ASSERT_EQ(tracks.size(), 3u);
    // Note 27 is key 72 (0x48); the end line is a note-off of key 72 at time 48.
    EXPECT_EQ(tracks[2],
              "\x00\xFF\x03\x05"
              "CH #1"
              "\x00\xC0\x00"
              "\x00\x90\x48\x64"
              "\x83\x4C\x80\x48\x64"
              "\x14\x80\x48\x00"
              "\x00\xFF\x2F\x00"s);
    // The conductor ends at 1920 + 10 x 48 ticks: delta 480 after the set-up bar.
    EXPECT_EQ(tracks[0].substr(tracks[0].size() - 5), "\x83\x60\xFF\x2F\x00"s);
}

TEST(MidiWriter, NoteEventsOfComposedLists)
{
    struct Case {
        const char* name;
        Lines list;
        Events events;
    };
    const Case cases[] = {
        {"time 100 is tick 1000",
         {"  100 0 27  46", "  148 0 -1   0"},
         {"1000 90 72 100", "1460 80 72 100", "1480 80 72 0"}},
        {"overlapping same notes merge", {"    0 0 27  60", "   48 0 27  48"}, {"0 90 72 100", "960 80 72 100"}},
        // The note-off at the end time sorts after the end line and is not written.
        {"end line before a two-digit note's off",
         {"    0 0 27  60", "   48 0 27  48", "   96 0 -1   0"},
         {"0 90 72 100", "960 80 72 0"}},
        {"touching same notes stay apart",
         {"    0 0 27  48", "   48 0 27  48"},
         {"0 90 72 100", "480 80 72 100", "480 90 72 100", "960 80 72 100"}},
        {"end line after one-digit notes, before two-digit ones",
         {"    0 0  5  96", "    0 0 12  96", "   96 0 -1   0"},
         {"0 90 50 100", "0 90 57 100", "960 80 50 100", "960 80 72 0"}},
        {"rests add nothing and lines after the end line are not read",
         {"    0 0 17   0", "   48 0 27  48", "   96 0 -1   0", "  100 0 30  10"},
         {"480 90 72 100", "960 80 72 0"}},
        {"RawLineIsSkipped", {"    0 0       00FFE230", "    0 0 27  46"}, {"0 90 72 100", "460 80 72 100"}},
        {"NoteEndingAfterTick99999KeepsItsTime",
         {"99990 0 27  46", "99995 0 30   2"},
         {"999900 90 72 100", "999950 90 75 100", "999970 80 75 100", "1000360 80 72 100"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NoteEvents(Tracks(MidiFileBytes(ListOf(c.list), FirstVoiceOnly)).at(2)), c.events) << c.name;
    }
}

TEST(MidiWriter, VelocityAndProgramFollowVolumeAndTone)
{
    const SequenceList list = ListOf({"    0 0 27  46", "    0 1 27  46", "    0 2 27  46", "    0 3 27  46"});
    MidiSettings settings = Voices({true, true, true, true});
    settings.volumes = {0, 32, 63, 1};
    settings.tones = {1, 2, 128, 74};
    const std::vector<std::string> tracks = Tracks(MidiFileBytes(list, settings));
    const std::pair<int, int> expected[] = {{0, 0}, {50, 1}, {100, 127}, {1, 73}};
    for (int voice = 0; voice < 4; ++voice) {
        const std::string& track = tracks.at(static_cast<size_t>(voice + 2));
        const auto [velocity, program] = expected[voice];
        EXPECT_EQ(track.substr(9, 3), "\x00"s + char(0xC0 + voice) + char(program));
        EXPECT_EQ(NoteEvents(track).at(0), "0 " + std::to_string(90 + voice) + " 72 " + std::to_string(velocity));
    }
}

TEST(MidiWriter, ListedMelodyClosesOnlyTheFirstVoice)
{
    // A list made from a melody file holds one EndLine, on voice 0.
    const SequenceList list = ListOf({"    0 0 27  46", "    0 1 31  46", "   48 0 -1   0"});
    const std::vector<std::string> tracks = Tracks(MidiFileBytes(list, Voices({true, true, false, false})));
    EXPECT_EQ(NoteEvents(tracks.at(2)).back(), "480 80 72 0");
    EXPECT_EQ(NoteEvents(tracks.at(3)).back(), "460 81 76 100");
}

// A work entry as "%5d %2d %2d %3d" (time, kind, note, gate), "D" once deleted.
std::string WorkText(const WorkLine& line)
{
    if (line.deleted) {
        return "D";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%5lld %2d %2d %3lld", static_cast<long long>(line.time), line.kind, line.note,
                  static_cast<long long>(line.gate));
    return text;
}

// The texts after sorting and merging notes given as (time, note, gate) of voice 0.
std::vector<std::string> Merged(std::initializer_list<std::array<int, 3>> notes)
{
    WorkList work;
    for (const auto& [time, note, gate] : notes) {
        work.push_back({time, NoteOnKind, note, gate});
        work.push_back({time + gate, 0, note, gate});
    }
    SortWorkList(work);
    MergeRepeatedNotes(work);
    std::vector<std::string> texts;
    for (const WorkLine& line : work) {
        texts.push_back(WorkText(line));
    }
    return texts;
}

TEST(MidiWriter, MergeRepeatedNotesDeletesLaterOnsWithTheirEarliestOffs)
{
    // A run of three strikes becomes one note from the first on to the last off.
    EXPECT_EQ(Merged({{0, 27, 100}, {10, 27, 20}, {20, 27, 50}}),
              (std::vector<std::string>{"    0 16 27 100", "D", "D", "D", "D", "  100  0 27 100"}));
    // Another note's on between the strikes ends the run of the first.
    EXPECT_EQ(Merged({{0, 27, 100}, {5, 30, 5}, {10, 27, 20}, {20, 27, 50}}),
              (std::vector<std::string>{"    0 16 27 100", "    5 16 30   5", "   10  0 30   5", "   10 16 27  20", "D",
                                        "D", "   70  0 27  50", "  100  0 27 100"}));
    // A strike with no off left after it stays.
    WorkList work{{0, NoteOnKind, 27, 5}, {1, NoteOnKind, 27, 5}};
    MergeRepeatedNotes(work);
    EXPECT_EQ(WorkText(work[1]), "    1 16 27   5");
}

TEST(MidiWriter, WriteFailureNamesThePath)
{
    const std::string missingFolder = "/nonexistent-quaverly-folder/out.mid";
    try {
        WriteMidiFile(missingFolder, {}, FirstVoiceOnly);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), missingFolder);
    }
}

// The summary of tests/tools/check_midi.py, which reads the file with mido.
std::vector<std::string> MidoSummary(const std::string& path)
{
    std::string python;
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        if (std::system((candidate + " -c 'import mido' >/dev/null 2>&1"s).c_str()) == 0) {
            python = candidate;
            break;
        }
    }
    if (python.empty()) {
        ADD_FAILURE() << "python3-mido is needed: bash scripts/install-deps.sh test";
        return {};
    }
    const std::string command = python + " " QUAVERLY_CORPUS_DIR "/../tools/check_midi.py '" + path + "'";
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << command;
        return {};
    }
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string line = buffer;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        // Track names are not compared: the title is not ASCII.
        if (line.rfind("name ", 0) != 0) {
            lines.push_back(line);
        }
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A random melody of up to four voices as the parser lists it (each voice's
// notes in time order, then its EndLine), and the summary that a MIDI reader
// must find in its file, worked out from the notes alone.
struct RandomMelody {
    SequenceList list;
    MidiSettings settings;
    std::vector<std::string> summary;
};

RandomMelody MakeRandomMelody(unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    RandomMelody melody;
    MidiSettings& settings = melody.settings;
    settings.tempo = pick(30, 255);
    settings.editTempo = pick(0, 1) ? "95" : "100";
    settings.title = std::string(static_cast<size_t>(pick(0, 200)), '\x83');
    int tracks = 2;
    int lastTime = 0;
    for (int voice = 0; voice < 4; ++voice) {
        settings.tones[static_cast<size_t>(voice)] = pick(1, 128);
        settings.volumes[static_cast<size_t>(voice)] = pick(0, 63);
        settings.playMask[static_cast<size_t>(voice)] = pick(0, 3) != 0;
        const int velocity = settings.volumes[static_cast<size_t>(voice)] * 100 / 63;
        const int track = tracks;
        int time = 0;
        for (int count = pick(0, 30); count > 0; --count) {
            const int duration = std::array{3, 6, 12, 24, 48, 96, 192}[static_cast<size_t>(pick(0, 6))];
            // Shorter than the step: no note of a voice overlaps or touches the next.
            const int gate = pick(0, 2) == 0 ? 0 : pick(1, duration - 1);
            const int note = pick(0, voice == 3 ? 62 : 63);
            melody.list.AddEvent(time, voice, note, gate);
            if (gate > 0 && settings.playMask[static_cast<size_t>(voice)]) {
                auto event = [&](const char* kind, int at) {
                    melody.summary.push_back(
                        kind + (" " + std::to_string(track) + " " + std::to_string(10 * at) + " ") +
                        std::to_string(voice) + " " + std::to_string(note + 45) + " " + std::to_string(velocity));
                };
                event("on", time);
                event("off", time + gate);
            }
            time += duration;
        }
        melody.list.AddEvent(time, voice, -1, 0);
        lastTime = time;
        if (settings.playMask[static_cast<size_t>(voice)]) {
            const std::string prefix = " " + std::to_string(track) + " " + std::to_string(10 * time);
            melody.summary.push_back("off" + prefix + " " + std::to_string(voice) + " 72 0");
            melody.summary.push_back("end" + prefix);
            melody.summary.push_back("program " + std::to_string(track) + " 0 " + std::to_string(voice) + " " +
                                     std::to_string(settings.tones[static_cast<size_t>(voice)] - 1));
            ++tracks;
        }
    }
    const int adjustment = settings.editTempo == "95" ? 95 : 100;
    melody.summary.push_back("tempo 0 0 " + std::to_string(adjustment * 600000 / settings.tempo));
    melody.summary.push_back("end 0 " + std::to_string(1920 + 10 * lastTime));
    melody.summary.push_back("end 1 0");
    melody.summary.push_back("format 1");
    melody.summary.push_back("ticks 480");
    melody.summary.push_back("tracks " + std::to_string(tracks));
    std::sort(melody.summary.begin(), melody.summary.end());
    return melody;
}

TEST(MidiWriter, MidoReadsEveryFileAsTheMelodySays)
{
    char folder[] = "/tmp/quaverly-mido-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/melody.mid";
    for (unsigned seed = 0; seed < 12; ++seed) {
        const RandomMelody melody = MakeRandomMelody(seed);
        WriteMidiFile(path, melody.list, melody.settings);
        EXPECT_EQ(MidoSummary(path), melody.summary) << "seed " << seed;
    }
    std::remove(path.c_str());
    rmdir(folder);
}

}  // namespace
}  // namespace quaverly
