// An imported melody is the melody its own score text compiles to: what the
// window shows after an import, what Save writes and what `import --text`
// followed by `build` makes are the same bytes. Random MIDI files, and the
// MIDI music of Debian's game packages when installed. (Numeric text is
// imported as the builder makes it: NumericImportTest.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "MidiFileBytes.h"
#include "base/Errors.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/ScoreAnalysis.h"

namespace quaverly {
namespace {

namespace fs = std::filesystem;
using namespace testmidi;

// The melody the image's score text compiles to, as the window's analysis
// compiles the pages it loaded (or `build` the text `import --text` wrote).
std::string CompiledOwnText(const std::string& image)
{
    MelodyStore loaded;
    loaded.MelodyImage() = image;
    MelodyFileInfo info;
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(loaded, info, ViewRows::Skip);
    EXPECT_TRUE(fields);
    if (!fields) {
        return {};
    }
    info.version = "0100";
    const EditorTexts texts{.tempo = fields->tempoText,
                            .title = fields->title,
                            .tones = fields->toneTexts,
                            .volumes = fields->volumeTexts,
                            .scores = fields->scoreTexts};
    MelodyStore compiled;
    const AnalysisResult result = AnalyseScore(compiled, texts, info, false, ViewRows::Skip);
    EXPECT_FALSE(result.refusal);
    return compiled.MelodyImage();
}

std::string ImportedImage(const std::string& midi)
{
    MelodyStore store;
    BuildImportedMelody(store, ImportMidiFile(midi, "x.mid"));
    return store.MelodyImage();
}

// A track of the events at their times, in time order.
std::string TimedTrack(std::vector<std::pair<uint32_t, std::string>> events)
{
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string data;
    uint32_t now = 0;
    for (const auto& [time, bytes] : events) {
        data += VarLen(time - now) + bytes;
        now = time;
    }
    return Track(data);
}

// A MIDI file of a few tracks over a few channels: notes that overlap, chords,
// silences before the first note, programs and volumes, tempo changes.
std::string RandomMidiFile(std::mt19937& random)
{
    auto between = [&random](int low, int high) { return low + static_cast<int>(random() % static_cast<uint32_t>(high - low + 1)); };
    const int division = std::array{96, 120, 192, 384, 480}[static_cast<size_t>(between(0, 4))];
    const int tracks = between(1, 5);
    std::string file = Header(1, tracks, division);
    for (int track = 0; track < tracks; ++track) {
        std::vector<std::pair<uint32_t, std::string>> events;
        if (track == 0) {
            events.emplace_back(0, Bytes({0xFF, 0x51, 3, 0x07, between(0, 255), 0x20}));
            if (between(0, 3) == 0) {
                events.emplace_back(static_cast<uint32_t>(between(0, 8 * division)), Bytes({0xFF, 0x51, 3, 0x05, 0x00, 0x00}));
            }
        }
        const int channel = between(0, 15);
        if (between(0, 1) == 0) {
            events.emplace_back(0, Bytes({0xC0 | channel, between(0, 127)}));
        }
        if (between(0, 2) == 0) {
            events.emplace_back(0, Bytes({0xB0 | channel, 7, between(0, 127)}));
        }
        uint32_t time = static_cast<uint32_t>(between(0, 3) == 0 ? between(0, 12 * division) : 0);
        const int notes = between(0, 40);
        for (int n = 0; n < notes; ++n) {
            const int key = between(30, 115);
            const auto length = static_cast<uint32_t>(between(1, 3 * division));
            events.emplace_back(time, Bytes({0x90 | channel, key, between(1, 127)}));
            events.emplace_back(time + length, Bytes({0x80 | channel, key, 0}));
            // The next note: together (a chord), overlapping, right after or after a silence.
            switch (between(0, 3)) {
            case 0: break;
            case 1: time += length / 2; break;
            case 2: time += length; break;
            default: time += length + static_cast<uint32_t>(between(1, 8 * division)); break;
            }
        }
        file += TimedTrack(std::move(events));
    }
    return file;
}

TEST(ImportOwnText, RandomMidiFilesImportAsTheMelodyOfTheirText)
{
    std::mt19937 random(1919);
    for (int round = 0; round < 300; ++round) {
        const std::string midi = RandomMidiFile(random);
        std::string image;
        try {
            image = ImportedImage(midi);
        } catch (const QuaverlyError&) {
            continue;  // a melody beyond what the file holds is refused, and that is all
        }
        // Compared as a flag: a failure message of two whole images says nothing.
        ASSERT_TRUE(CompiledOwnText(image) == image) << "round " << round;
    }
}

// The game music of planetblupi-music-midi and openttd-openmsx, where
// installed (scripts/install-deps.sh test installs them).
TEST(ImportOwnText, GameMusicImportsAsTheMelodyOfItsText)
{
    std::vector<fs::path> files;
    for (const char* folder : {"/usr/share/planetblupi/music", "/usr/share/games/openttd/baseset/openmsx"}) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".mid") {
                files.push_back(entry.path());
            }
        }
    }
    if (files.empty()) {
        GTEST_SKIP() << "no game music installed";
    }
    for (const fs::path& path : files) {
        std::ifstream input(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << input.rdbuf();
        const std::string image = ImportedImage(bytes.str());
        EXPECT_TRUE(CompiledOwnText(image) == image) << path;
    }
}

}  // namespace
}  // namespace quaverly
