// Melody files of other makers beside the repository (../shared/mfi-samples),
// each with what an independent player decodes from it (NAME.json): the notes
// of each lane and the first notes of each, in seconds, within its tolerance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "UnitMfi/MfiMelody.h"
#include "base/FileIO.h"

namespace quaverly {
namespace {

struct ExpectedLane {
    int lane = 0;
    int notes = 0;
    std::vector<std::array<double, 3>> firstNotes;  // start s, key, duration s
};

struct Expected {
    double tolerance = 0;
    std::string title;
    std::vector<ExpectedLane> lanes;
};

// Just enough of the .json to take these fields: numbers after a key, the
// triples of "first_notes", the "title" text.
double NumberAfter(const std::string& text, const std::string& key, size_t& at)
{
    at = text.find("\"" + key + "\":", at);
    if (at == std::string::npos) {
        throw std::runtime_error("no " + key);
    }
    at += key.size() + 3;
    char* end = nullptr;
    const double value = std::strtod(text.c_str() + at, &end);
    at = static_cast<size_t>(end - text.c_str());
    return value;
}

Expected ReadExpected(const std::string& text)
{
    Expected expected;
    size_t at = 0;
    expected.tolerance = NumberAfter(text, "tolerance_s", at);
    const size_t title = text.find("\"title\": \"");
    expected.title = text.substr(title + 10, text.find('"', title + 10) - title - 10);
    at = text.find("\"channels\":");
    while (text.find("\"lane\":", at) != std::string::npos) {
        ExpectedLane lane;
        lane.lane = static_cast<int>(NumberAfter(text, "lane", at));
        lane.notes = static_cast<int>(NumberAfter(text, "notes", at));
        at = text.find("\"first_notes\":", at);
        at = text.find('[', at) + 1;
        for (;;) {
            at = text.find_first_not_of(" \n\t,", at);
            if (text[at] == ']') {
                break;
            }
            std::array<double, 3> note{};
            const char* p = text.c_str() + at + 1;
            for (double& value : note) {
                char* end = nullptr;
                value = std::strtod(p, &end);
                p = end + 1;  // past the comma, or the closing bracket
            }
            at = static_cast<size_t>(p - text.c_str());
            lane.firstNotes.push_back(note);
        }
        expected.lanes.push_back(lane);
    }
    return expected;
}

TEST(MfiSamples, EverySampleReadsAsItsExpectedDecode)
{
    const std::filesystem::path folder(QUAVERLY_MFI_SAMPLES_DIR);
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << "no samples at " << folder;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".mld") {
            continue;
        }
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const Expected expected = ReadExpected(ReadWholeFile(std::filesystem::path(entry.path()).replace_extension(".json").string()));
        const MfiMelody melody = ReadMfiMelody(ReadWholeFile(entry.path().string()), entry.path().string());
        EXPECT_FALSE(melody.partial) << melody.partialMessage;
        EXPECT_EQ(melody.title, expected.title);

        const std::array<int, MfiLaneCount> counts = melody.NotesPerLane();
        EXPECT_EQ(static_cast<size_t>(std::count_if(counts.begin(), counts.end(), [](int n) { return n > 0; })),
                  expected.lanes.size());
        for (const ExpectedLane& lane : expected.lanes) {
            SCOPED_TRACE("lane " + std::to_string(lane.lane));
            EXPECT_EQ(counts[static_cast<size_t>(lane.lane)], lane.notes);
            std::vector<std::tuple<double, int, double>> notes;
            for (const MfiNote& note : melody.notes) {
                if (note.lane == lane.lane) {
                    const double start = MfiSeconds(melody, note.start);
                    notes.emplace_back(start, note.key, MfiSeconds(melody, note.End()) - start);
                }
            }
            std::sort(notes.begin(), notes.end());
            ASSERT_GE(notes.size(), lane.firstNotes.size());
            for (size_t i = 0; i < lane.firstNotes.size(); ++i) {
                const auto& [start, key, duration] = notes[i];
                EXPECT_NEAR(start, lane.firstNotes[i][0], expected.tolerance) << i;
                EXPECT_EQ(key, static_cast<int>(lane.firstNotes[i][1])) << i;
                EXPECT_NEAR(duration, lane.firstNotes[i][2], expected.tolerance) << i;
            }
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace quaverly
