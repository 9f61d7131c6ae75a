#include "UnitMld/SequenceList.h"

#include <gtest/gtest.h>

#include "base/Errors.h"

namespace quaverly {
namespace {

// Event lines are checked against printf in RoundTripTest.
TEST(SequenceList, RawLineHasBlankNoteAndGateColumns)
{
    EXPECT_EQ(FormatRawLine(48, 2, "0102"), "   48 2       0102");
}

TEST(SequenceList, FieldsAreReadFromTheirColumns)
{
    const std::string line = FormatEventLine(1234, 2, 9, 120);
    EXPECT_EQ(LineTime(line), 1234);
    EXPECT_EQ(LineVoice(line), 2);
    EXPECT_EQ(LineNote(line), 9);
    EXPECT_EQ(LineGate(line), 120);
    EXPECT_FALSE(IsRawLine(line));

    const std::string raw = FormatRawLine(7, 1, "00FFE230");
    EXPECT_TRUE(IsRawLine(raw));
    EXPECT_EQ(RawLineHex(raw), "00FFE230");
    EXPECT_EQ(RawLineHex("   48 0"), "");
    EXPECT_TRUE(IsRawLine("   48 0"));
}

TEST(SequenceList, FieldThatIsNotAnIntegerThrows)
{
    EXPECT_THROW(LineNote(FormatRawLine(0, 0, "00")), ConversionError);
    EXPECT_THROW(LineTime("abcde 0 27  46"), ConversionError);
}

TEST(SequenceList, TextOrderIsTimeThenVoiceWithBlankBeforeMinusBeforeDigits)
{
    SequenceList list{FormatEventLine(96, 0, -1, 0), FormatEventLine(0, 1, 34, 94), FormatEventLine(48, 0, 31, 46),
                      FormatEventLine(0, 0, 27, 46), FormatEventLine(96, 1, -1, 0), FormatEventLine(96, 0, 5, 0),
                      FormatEventLine(96, 0, 12, 0)};
    SortSequenceList(list);
    EXPECT_EQ(list, (SequenceList{"    0 0 27  46", "    0 1 34  94", "   48 0 31  46", "   96 0  5   0",
                                  "   96 0 -1   0", "   96 0 12   0", "   96 1 -1   0"}));
}

TEST(SequenceList, OrderIgnoresLetterCaseOfRawData)
{
    EXPECT_FALSE(SequenceTextLess("    0 0       ab", "    0 0       AB"));
    EXPECT_FALSE(SequenceTextLess("    0 0       AB", "    0 0       ab"));
    EXPECT_TRUE(SequenceTextLess("    0 0       AB", "    0 0       ac"));
}

}  // namespace
}  // namespace quaverly
