// The RTTTL reader on tunes as they circulate, and on what it lists or refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "UnitText/RtttlReader.h"
#include "UnitText/TextMelodyImport.h"
#include "base/Errors.h"

namespace quaverly {
namespace {

constexpr int64_t Tick = 140;  // reader units per melody tick

struct Heard {
    int key;  // -1: nothing (a rest is the time between)
    int64_t on;
    int64_t length;
    bool operator==(const Heard&) const = default;
};

std::vector<Heard> NotesOf(const TextMelodyRead& read)
{
    std::vector<Heard> heard;
    for (const MidiNote& note : read.content.notes) {
        heard.push_back({note.key, note.on / Tick, static_cast<int64_t>(note.length) / Tick});
    }
    return heard;
}

TEST(RtttlReaderTest, ReadsTheFormsTunesCirculateIn)
{
    struct Case {
        const char* name;
        const char* text;
        std::vector<Heard> notes;
        int tempo;
    };
    const std::vector<Case> cases = {
        {"plain", "Tune:d=4,o=5,b=120:c,8d,e6", {{72, 0, 48}, {74, 48, 24}, {88, 72, 48}}, 120},
        {"blanks, upper case, line breaks", " Tune : D=8, O=6 , B=100 :\r\n C, 4D#,\r\n  P, E ", {{84, 0, 24}, {87, 24, 48}, {88, 96, 24}}, 100},
        {"missing defaults are d=4, o=6, b=63", "x::c,d", {{84, 0, 48}, {86, 48, 48}}, 63},
        {"a dot before or after the octave", "x:d=8,o=5,b=60:c#.6,c#6.,c.", {{85, 0, 36}, {85, 36, 36}, {72, 72, 36}}, 60},
        {"h is b, 64 and 1 lengths", "x:d=4,o=5,b=60:64h,1a", {{83, 0, 3}, {81, 3, 192}}, 60},
        {"loop and style settings", "x:d=4,o=5,b=60,l=15,s=n:c", {{72, 0, 48}}, 60},
    };
    for (const Case& c : cases) {
        TextMelodyRead read = ReadRtttl(c.text, "t.rtttl");
        EXPECT_EQ(NotesOf(read), c.notes) << c.name;
        EXPECT_TRUE(read.problems.empty()) << c.name;
        EXPECT_EQ(ImportTextMelody(read).tempo, c.tempo) << c.name;
    }
}

TEST(RtttlReaderTest, ItemsItCannotReadAreListedAtLineAndColumn)
{
    struct Case {
        const char* name;
        const char* text;
        int line;
        int column;
        size_t notes;
    };
    const Case cases[] = {
        {"unknown note", "x:d=4,o=5,b=60:c,x,d", 1, 18, 2},
        {"length 3", "x:d=4,o=5,b=60:c,\n3d,e", 2, 1, 2},
        {"unknown setting", "x:d=4,z=1,b=60:c", 1, 7, 1},
        {"duration 5 in the settings", "x:d=5:c", 1, 3, 1},
        {"a second tune in the file", "x:d=4:c\ny:d=4:d", 2, 1, 1},
    };
    for (const Case& c : cases) {
        const TextMelodyRead read = ReadRtttl(c.text, "t.rtttl");
        ASSERT_EQ(read.problems.size(), 1u) << c.name;
        EXPECT_EQ(read.problems[0].line, c.line) << c.name;
        EXPECT_EQ(read.problems[0].column, c.column) << c.name;
        EXPECT_EQ(read.content.notes.size(), c.notes) << c.name;
    }
}

TEST(RtttlReaderTest, RefusesTextsThatAreNotRtttlNamingTheFile)
{
    for (const char* text : {"", "just words", "x:d=4:p,p", "x:d=4"}) {
        try {
            ReadRtttl(text, "bad.rtttl");
            ADD_FAILURE() << "no refusal: " << text;
        } catch (const QuaverlyError& error) {
            EXPECT_NE(std::string(error.what()).find("bad.rtttl"), std::string::npos);
        }
    }
}

TEST(RtttlReaderTest, TellsRtttlFromMmlInATextFile)
{
    EXPECT_EQ(TextMelodyFormatOf("Nokia:d=4,o=5,b=225:8e6,8d6", "a.txt", "a.txt"), TextMelodyFormat::Rtttl);
    EXPECT_EQ(TextMelodyFormatOf("t120 o4 cdefg", "a.txt", "a.txt"), TextMelodyFormat::Mml);
    EXPECT_EQ(TextMelodyFormatOf("t120 o4 cdefg", "a.RTTTL", "a"), TextMelodyFormat::Rtttl);
    EXPECT_THROW(TextMelodyFormatOf("Dear friend: hello: you", "a.txt", "a.txt"), QuaverlyError);
}

// The tunes of tests/corpus/rtttl, in the collection form, each with its
// note count in the file name's last part ("name.N.rtttl").
TEST(RtttlReaderTest, CollectionTunesImport)
{
    const std::filesystem::path folder = std::filesystem::path(QUAVERLY_CORPUS_DIR) / "rtttl";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const std::string stem = entry.path().stem().string();
        const int expected = std::stoi(stem.substr(stem.find_last_of('.') + 1));
        TextMelodyRead read = ReadTextMelody(text.str(), entry.path().string(), entry.path().filename().string());
        EXPECT_TRUE(read.problems.empty()) << entry.path() << ": " << read.problems[0].message;
        const ImportedMelody melody = ImportTextMelody(read);
        int kept = 0;
        for (const ImportedVoice& voice : melody.voices) {
            kept += voice.notesKept;
        }
        EXPECT_EQ(kept, expected) << entry.path();
        EXPECT_TRUE(melody.report.LostNothing()) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 4);
}

}  // namespace
}  // namespace quaverly
