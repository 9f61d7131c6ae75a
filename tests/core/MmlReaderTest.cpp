// The MML reader: the dialect's commands and the common variants, what it
// lists instead of reading, and its bounds.
#include <gtest/gtest.h>

#include <chrono>

#include "UnitText/MmlReader.h"
#include "base/Errors.h"

namespace quaverly {
namespace {

constexpr int64_t Tick = 140;  // reader units per melody tick

struct Heard {
    int channel;
    int key;
    int64_t on;      // melody ticks
    int64_t length;  // melody ticks, as sounded
    bool operator==(const Heard&) const = default;
};

std::vector<Heard> NotesOf(const TextMelodyRead& read)
{
    std::vector<Heard> heard;
    for (const MidiNote& note : read.content.notes) {
        heard.push_back({note.channel + 1, note.key, note.on / Tick, static_cast<int64_t>(note.length) / Tick});
    }
    return heard;
}

TEST(MmlReaderTest, ReadsTheDialectAndItsVariants)
{
    struct Case {
        const char* name;
        const char* text;
        std::vector<Heard> notes;
    };
    const std::vector<Case> cases = {
        {"default octave, length and gate (6/8)", "cde", {{1, 60, 0, 36}, {1, 62, 48, 36}, {1, 64, 96, 36}}},
        {"o, < up, > down", "q8 o5c<c>>c", {{1, 72, 0, 48}, {1, 84, 48, 48}, {1, 60, 96, 48}}},
        {"sharps and flats", "q8 c+ c# d- e-8", {{1, 61, 0, 48}, {1, 61, 48, 48}, {1, 61, 96, 48}, {1, 63, 144, 24}}},
        {"l, dots, rests", "q8 l8 c r4. d.. e", {{1, 60, 0, 24}, {1, 62, 96, 42}, {1, 64, 138, 24}}},
        {"tie ^ and &", "q8 c4^8 d4&d8 e", {{1, 60, 0, 72}, {1, 62, 72, 72}, {1, 64, 144, 48}}},
        {"& to another note slurs", "c&d", {{1, 60, 0, 48}, {1, 62, 48, 36}}},
        {"note numbers", "q8 n60 n67,8 c", {{1, 60, 0, 48}, {1, 67, 48, 24}, {1, 60, 72, 48}}},
        {"repeats with a last-pass exit", "q8 [c/d]3 e", {{1, 60, 0, 48}, {1, 62, 48, 48}, {1, 60, 96, 48}, {1, 62, 144, 48},
                                                           {1, 60, 192, 48}, {1, 64, 240, 48}}},
        {"nested repeats", "q8 l16 [[c]2d]2", {{1, 60, 0, 12}, {1, 60, 12, 12}, {1, 62, 24, 12}, {1, 60, 36, 12},
                                                {1, 60, 48, 12}, {1, 62, 60, 12}}},
        {"comments and tracks over lines", "q8 c // d\n/* e */ e;\n q8\n g\n a", {{1, 60, 0, 48}, {1, 64, 48, 48},
                                                                                 {2, 67, 0, 48}, {2, 69, 48, 48}}},
        {"channel set, key shift, upper case", "C3 q8 k2 O4 c L8 A", {{3, 62, 0, 48}, {3, 71, 48, 24}}},
    };
    for (const Case& c : cases) {
        const TextMelodyRead read = ReadMml(c.text, "t.mml");
        EXPECT_EQ(NotesOf(read), c.notes) << c.name;
        EXPECT_TRUE(read.problems.empty()) << c.name << ": " << (read.problems.empty() ? "" : read.problems[0].message);
    }
}

TEST(MmlReaderTest, SettingsBecomeTheContents)
{
    const TextMelodyRead read = ReadMml("#TITLE My Song\nt150 @40 v100 c; @5 u20 d; t90 e", "t.mml");
    EXPECT_EQ(read.content.title, "My Song");
    ASSERT_EQ(read.content.tempos.size(), 2u);
    EXPECT_EQ(read.content.tempos[0].second, 400'000u);
    EXPECT_EQ(read.content.program[0], 40);
    EXPECT_EQ(read.content.program[1], 5);
    EXPECT_EQ(read.content.channelVolume[0], 100);
    EXPECT_EQ(read.content.notes[1].velocity, 20);
}

TEST(MmlReaderTest, WhatItCannotReadIsListedAtLineAndColumn)
{
    struct Case {
        const char* name;
        const char* text;
        int line;
        int column;
        size_t notes;
    };
    const Case cases[] = {
        {"unknown letters, one run", "c d\n  xyz e", 2, 3, 3},
        {"a value out of range", "c o12 d", 1, 3, 2},
        {"a note above key 127", "o9 g a", 1, 6, 1},
        {"an unclosed repeat read once", "[c d", 1, 1, 2},
        {"a bracket that closes nothing", "c ]3 d", 1, 3, 2},
        {"a directive line it does not know", "#OCTAVE REVERSE\nc", 1, 1, 1},
    };
    for (const Case& c : cases) {
        const TextMelodyRead read = ReadMml(c.text, "t.mml");
        ASSERT_EQ(read.problems.size(), 1u) << c.name;
        EXPECT_EQ(read.problems[0].line, c.line) << c.name;
        EXPECT_EQ(read.problems[0].column, c.column) << c.name;
        EXPECT_EQ(read.content.notes.size(), c.notes) << c.name;
    }
    EXPECT_NE(TextProblemsText(ReadMml("c\n x", "a.mml"), "a.mml").find("a.mml:2:2: \x81u" "x\x81v"), std::string::npos);
}

TEST(MmlReaderTest, AQuoteEndingInALeadByteKeepsItsClosingBracket)
{
    // Three lead bytes: the quote takes one whole character and leaves the lone lead byte out.
    const TextMelodyRead read = ReadMml("c \xE6\xE6\xE6", "a.mml");
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0].message.substr(0, 6), "\x81u\xE6\xE6\x81v");
}

TEST(MmlReaderTest, ATextWithoutANoteIsRefusedNamingTheFile)
{
    try {
        ReadMml("t120 r4 ; xx", "empty.mml");
        FAIL() << "no refusal";
    } catch (const QuaverlyError& error) {
        EXPECT_NE(std::string(error.what()).find("empty.mml"), std::string::npos);
    }
}

TEST(MmlReaderTest, NestedRepeatsStopAtTheBoundAndSaySo)
{
    const std::string text = "l64 [[[[[[c]99]99]99]99]99]99";
    const auto start = std::chrono::steady_clock::now();
    const TextMelodyRead read = ReadMml(text, "bomb.mml");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_LE(read.content.notes.size(), MaxTextMelodyNotes);
    ASSERT_FALSE(read.problems.empty());
    // One track stops where a melody can hold no more time.
    for (const MidiNote& note : read.content.notes) {
        EXPECT_LE(note.on, int64_t{100'000} * Tick);
    }
}

TEST(MmlReaderTest, ZeroLengthStepsCannotRunForever)
{
    // Lengths finer than the reader's unit make no time: only the step bound ends it.
    const std::string text = "c [[[[c99999999]9999]9999]9999]9999";
    const auto start = std::chrono::steady_clock::now();
    const TextMelodyRead read = ReadMml(text, "zero.mml");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(read.problems.empty());
}

TEST(MmlReaderTest, TellsMmlFromOtherText)
{
    EXPECT_TRUE(LooksLikeMml("t120 o4 l8 cdefg;"));
    EXPECT_FALSE(LooksLikeMml("Dear friend, this is a letter."));
    EXPECT_FALSE(LooksLikeMml(""));
}

}  // namespace
}  // namespace quaverly
