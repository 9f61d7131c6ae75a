#include "base/IntegerReading.h"

#include <gtest/gtest.h>

#include "base/Errors.h"

namespace quaverly {
namespace {

struct ReadingCase {
    const char* text;
    std::optional<int32_t> value;
};

class IntegerReadingTest : public ::testing::TestWithParam<ReadingCase> {};

TEST_P(IntegerReadingTest, ReadsAsTheSystemReadsTypedNumbers)
{
    EXPECT_EQ(ReadInteger(GetParam().text), GetParam().value) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegerReadingTest,
    ::testing::Values(ReadingCase{"125", 125}, ReadingCase{"  120", 120}, ReadingCase{"120 ", std::nullopt},
                      ReadingCase{"+7", 7}, ReadingCase{"-1", -1}, ReadingCase{"$1F", 31}, ReadingCase{"x10", 16},
                      ReadingCase{"0x10", 16}, ReadingCase{"0X1f", 31}, ReadingCase{"-$10", -16},
                      ReadingCase{"", std::nullopt}, ReadingCase{" ", std::nullopt}, ReadingCase{"-", std::nullopt},
                      ReadingCase{"$", std::nullopt}, ReadingCase{"12a", std::nullopt},
                      ReadingCase{"2147483647", 2147483647}, ReadingCase{"-2147483648", INT32_MIN},
                      ReadingCase{"2147483648", std::nullopt}, ReadingCase{"99999999999999999999", std::nullopt},
                      ReadingCase{"$FFFFFFFF", -1}, ReadingCase{"$100000000", std::nullopt},
                      ReadingCase{"1 - ピアノ", std::nullopt}));

TEST(IntegerReading, FailureThrowsConversionErrorNamingTheText)
{
    try {
        ReadIntegerOrThrow("abc");
        FAIL() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_NE(std::string(error.what()).find("'abc'"), std::string::npos);
    }
}

TEST(IntegerReading, TrimRemovesBlanksAndControlsOnBothSides)
{
    EXPECT_EQ(TrimBlanks(" \t 63 \r\n"), "63");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
}

}  // namespace
}  // namespace quaverly
