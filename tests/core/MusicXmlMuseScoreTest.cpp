// Scores another program wrote: MuseScore's MusicXML of real MIDI files must
// bring the notes MuseScore's own MIDI export of the same scores holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiNoteCollector.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitXml/MxlContainer.h"

namespace quaverly {
namespace {

constexpr int PercussionChannel = 9;  // 0-based: MuseScore's drums, which a score writes without pitches

std::string Corpus(const std::string& name)
{
    std::ifstream file(std::string(QUAVERLY_CORPUS_DIR) + "/musicxml/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    EXPECT_TRUE(file.good()) << name;
    return bytes.str();
}

// (start in tenths of a melody tick, key) of every pitched note.
std::vector<std::pair<int64_t, int>> Onsets(const MidiContent& content, bool midi)
{
    std::vector<std::pair<int64_t, int>> notes;
    for (const MidiNote& note : content.notes) {
        if (!note.discarded && !(midi && note.channel == PercussionChannel)) {
            notes.emplace_back((note.on * 480 + content.header.division / 2) / content.header.division, note.key);
        }
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// A note of the score struck while MuseScore's playback still sounds its
// key from an earlier note (a unison of two voices of one staff) is not
// struck again there: the score's reading keeps it, and it is left out.
std::vector<std::pair<int64_t, int>> StruckByMuseScore(const std::vector<std::pair<int64_t, int>>& read,
                                                       const std::vector<std::pair<int64_t, int>>& played,
                                                       const MidiContent& midi)
{
    std::vector<std::pair<int64_t, int>> unplayed;
    std::set_difference(read.begin(), read.end(), played.begin(), played.end(), std::back_inserter(unplayed));
    std::vector<std::pair<int64_t, int>> held;
    for (const auto& note : unplayed) {
        const bool sounding = std::any_of(midi.notes.begin(), midi.notes.end(), [&](const MidiNote& playing) {
            const int64_t on = playing.on * 480 / midi.header.division;
            const int64_t off = playing.Off() * 480 / midi.header.division;
            return playing.key == note.second && on < note.first && note.first < off;
        });
        if (sounding) {
            held.push_back(note);
        }
    }
    std::vector<std::pair<int64_t, int>> struck;
    std::set_difference(read.begin(), read.end(), held.begin(), held.end(), std::back_inserter(struck));
    return struck;
}

// The notes of a and not of b, the first few, for a failure's message.
std::string Unmatched(std::vector<std::pair<int64_t, int>> a, const std::vector<std::pair<int64_t, int>>& b)
{
    std::vector<std::pair<int64_t, int>> only;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(only));
    std::string text;
    for (size_t i = 0; i < only.size() && i < 8; ++i) {
        text += "(" + std::to_string(only[i].first) + ", " + std::to_string(only[i].second) + ") ";
    }
    return text;
}

TEST(MusicXmlMuseScore, ScoresWrittenFromMidiFilesBringTheNotesOfMuseScoresOwnMidiExport)
{
    for (const std::string name : {"ultimate_run", "train_filled_with_cash"}) {
        const std::string archive = Corpus(name + ".mxl");
        const MidiContent midi = CollectMidiContent(Corpus(name + ".musescore.mid"), name);
        const auto expected = Onsets(midi, true);
        ASSERT_GT(expected.size(), 100u) << name;
        const MidiContent compressed = CollectMusicXmlContent(archive, name + ".mxl");
        const auto read = StruckByMuseScore(Onsets(compressed, false), expected, midi);
        EXPECT_EQ(read, expected) << name << ".mxl: read and not played " << Unmatched(read, expected)
                                  << "; played and not read " << Unmatched(expected, read);
        const MidiContent plain = CollectMusicXmlContent(MxlScore(archive, name), name + ".musicxml");
        EXPECT_EQ(Onsets(plain, false), Onsets(compressed, false)) << name << ".musicxml";
        // Through the same notes-to-voices stage, both give the same tempo.
        EXPECT_EQ(ImportMidiContent(plain).tempo, ImportMidiContent(midi).tempo) << name;
    }
}

}  // namespace
}  // namespace quaverly
