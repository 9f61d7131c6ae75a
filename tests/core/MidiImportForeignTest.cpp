// MIDI files that other programs wrote: mido (python3-mido) from random notes
// it reports back, abc2midi (abcmidi) from ABC text. The importer must find
// every note where those tools put it, at several divisions, in format 0 and 1,
// with running status, chords and drums.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "TempFolderTest.h"
#include "UnitMidi/MidiImport.h"

namespace quaverly {
namespace {

namespace fs = std::filesystem;

using testfiles::ReadBytes;

// The command's standard output, or nothing with a failure when it does not run.
std::string Output(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << command;
        return out;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, count);
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

using MidiImportForeign = testfiles::TempFolderTest;

struct ToolNote {
    int channel;
    int start;
    int end;
    int key;
};

int MelodyTicks(int ticks, int division) { return (ticks * 96 + division) / (2 * division); }

// The notes (time, note, gate) of the events of a voice.
std::vector<std::array<int, 3>> Sounding(const ImportedVoice& voice)
{
    std::vector<std::array<int, 3>> notes;
    for (const VoiceEvent& event : voice.events) {
        if (event.gate > 0) {
            notes.push_back({event.time, event.note, event.gate});
        }
    }
    return notes;
}

TEST_F(MidiImportForeign, MidoFilesKeepEveryNoteWhereItWas)
{
    for (const auto& [format, division, seed] : {std::tuple{0, 96, 1}, {1, 480, 2}, {1, 384, 3}, {0, 1000, 4}, {1, 120, 5}}) {
        const fs::path file = m_dir / ("mido" + std::to_string(seed) + ".mid");
        const std::string listing = Output("/usr/bin/python3 " QUAVERLY_CORPUS_DIR "/../tools/make_midi.py '" +
                                           file.string() + "' " + std::to_string(format) + " " +
                                           std::to_string(division) + " " + std::to_string(seed));
        std::vector<ToolNote> notes;
        std::istringstream lines(listing);
        std::string word;
        for (ToolNote note{}; lines >> word >> note.channel >> note.start >> note.end >> note.key;) {
            notes.push_back(note);
        }
        ASSERT_FALSE(notes.empty()) << listing;
        const std::string bytes = ReadBytes(file);
        const std::string name = "seed " + std::to_string(seed);

        const ImportedMelody automatic = ImportMidiFile(bytes, file.string());
        EXPECT_EQ(automatic.report.notesRead, static_cast<int>(notes.size())) << name;
        EXPECT_EQ(automatic.title, "Mido tune") << name;
        EXPECT_EQ(automatic.tempo, 100) << name;
        // Channels 1 to 3 in channel order; the drums are left out, a chord's middle note takes voice 4.
        EXPECT_EQ(automatic.report.channels, (std::array<int, 4>{1, 2, 3, 2})) << name;
        EXPECT_EQ(automatic.report.notesOfOtherChannels,
                  std::count_if(notes.begin(), notes.end(), [](const ToolNote& n) { return n.channel == 10; }))
            << name;

        // Single notes (channel 3 ends them with velocity-0 note-ons) come at their rounded times.
        for (int channel : {1, 3}) {
            std::vector<std::array<int, 3>> expected;
            for (const ToolNote& note : notes) {
                if (note.channel == channel) {
                    const int start = MelodyTicks(note.start, division);
                    expected.push_back({start, note.key - 45, std::max(1, MelodyTicks(note.end, division) - start)});
                }
            }
            const ImportedMelody alone = ImportMidiFile(bytes, file.string(), {channel});
            EXPECT_EQ(Sounding(alone.voices[0]), expected) << name << " channel " << channel;
        }

        // Three-note chords: top, middle and root in voices 1 to 3.
        const ImportedMelody chords = ImportMidiFile(bytes, file.string(), {2});
        EXPECT_EQ(chords.report.chordNotesDropped, 0) << name;
        std::map<int, std::vector<int>> keysAt;
        for (const ToolNote& note : notes) {
            if (note.channel == 2) {
                keysAt[MelodyTicks(note.start, division)].push_back(note.key - 45);
            }
        }
        for (size_t voice = 0; voice < 3; ++voice) {
            std::vector<std::array<int, 2>> expected;
            for (auto& [time, keys] : keysAt) {
                std::sort(keys.rbegin(), keys.rend());
                expected.push_back({time, keys[voice]});
            }
            std::vector<std::array<int, 2>> got;
            for (const auto& note : Sounding(chords.voices[voice])) {
                got.push_back({note[0], note[1]});
            }
            EXPECT_EQ(got, expected) << name << " voice " << voice + 1;
        }
    }
}

TEST_F(MidiImportForeign, Abc2midiFilesComeWithTheirVoicesAndChords)
{
    const fs::path abc = m_dir / "tune.abc";
    std::ofstream(abc) << "X:1\nT:ABC tune\nM:4/4\nL:1/8\nQ:1/4=120\nK:C\n"
                          "V:1\ncdef gabc'|[ceg]4 [dfa]4|\n"
                          "V:2\nC,2D,2 E,2F,2|G,8|\n";
    const fs::path file = m_dir / "tune.mid";
    Output("abc2midi '" + abc.string() + "' -o '" + file.string() + "' >/dev/null 2>&1 && echo");
    const ImportedMelody melody = ImportMidiFile(ReadBytes(file), file.string());
    EXPECT_EQ(melody.title, "ABC tune");
    EXPECT_EQ(melody.tempo, 120);
    EXPECT_EQ(melody.report.notesRead, 8 + 6 + 4 + 1);
    EXPECT_EQ(melody.report.chordNotesDropped, 0);
    // abc2midi spreads a chord's notes over a few ticks: they are one chord again.
    const std::vector<std::array<int, 3>> first = Sounding(melody.voices[0]);
    ASSERT_EQ(first.size(), 10u);
    const int keys[] = {72, 74, 76, 77, 79, 81, 83, 84, 79, 81};
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i][0], i < 8 ? static_cast<int>(i) * 24 : 192 + static_cast<int>(i - 8) * 96) << i;
        EXPECT_EQ(first[i][1], keys[i] - 45) << i;
    }
    const std::vector<std::array<int, 3>> second = Sounding(melody.voices[1]);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[4][0], 192);
    EXPECT_EQ(second[4][1], 55 - 45);
    EXPECT_EQ(Sounding(melody.voices[2]).size() + Sounding(melody.voices[3]).size(), 4u);
}

}  // namespace
}  // namespace quaverly
