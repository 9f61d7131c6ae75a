#include <gtest/gtest.h>

#include "VNum/VNum.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

TEST(VNum, VarLenGroupsSevenBitsMostSignificantFirst)
{
    const std::pair<uint32_t, std::string> cases[] = {
        {0, "\x00"s},
        {127, "\x7F"s},
        {128, "\x81\x00"s},
        {480, "\x83\x60"s},
        {1000, "\x87\x68"s},
        {1920, "\x8F\x00"s},
        {0x3FFF, "\xFF\x7F"s},
        {0x4000, "\x81\x80\x00"s},
        {0x1FFFFF, "\xFF\xFF\x7F"s},
        {0x200000, "\x81\x80\x80\x00"s},
        {0x0FFFFFFF, "\xFF\xFF\xFF\x7F"s},
        // Only 28 bits fit: higher bits are dropped.
        {0x10000000, "\x00"s},
        {0xFFFFFFFF, "\xFF\xFF\xFF\x7F"s},
    };
    for (const auto& [value, bytes] : cases) {
        EXPECT_EQ(ToVarLen(value), bytes) << value;
    }
}

TEST(VNum, BigEndianGivesTheLowBytes)
{
    EXPECT_EQ(ToBigEndian(480000, 3), "\x07\x53\x00"s);
    EXPECT_EQ(ToBigEndian(6, 4), "\x00\x00\x00\x06"s);
    EXPECT_EQ(ToBigEndian(0x12345678, 2), "\x56\x78"s);
    EXPECT_EQ(ToBigEndian(0x12345678, 1), "\x78"s);
    EXPECT_EQ(ToBigEndian(0x12345678, 4), "\x12\x34\x56\x78"s);
}

}  // namespace
}  // namespace quaverly
