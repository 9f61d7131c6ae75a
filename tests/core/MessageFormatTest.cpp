// Numbers put into message texts: each "%d" in turn, in the program's Shift-JIS.
#include <gtest/gtest.h>

#include "base/MessageFormat.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

TEST(MessageFormat, EachMarkTakesTheNextNumber)
{
    struct Case {
        const char* name;
        const char* format;  // UTF-8, compared as Shift-JIS
        std::initializer_list<int64_t> numbers;
        const char* expected;
    };
    const Case cases[] = {
        {"one number", "メールサイズは %d バイトです", {1234}, "メールサイズは 1234 バイトです"},
        {"in order", "第%d音 %d行", {2, 15}, "第2音 15行"},
        {"negative and large", "%d..%d", {-9999, 4294967296}, "-9999..4294967296"},
        {"a mark right at the end", "音符：%d", {0}, "音符：0"},
        {"more marks than numbers stay", "%d と %d", {7}, "7 と %d"},
        {"more numbers than marks", "%d だけ", {1, 2, 3}, "1 だけ"},
        {"no mark", "データ形式が異常です", {5}, "データ形式が異常です"},
        {"a percent alone is kept", "100% と %d", {3}, "100% と 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SjisToUtf8(WithNumbers(Utf8ToSjis(c.format), c.numbers)), c.expected) << c.name;
    }
    EXPECT_EQ(WithNumber("CH #%d", 4), "CH #4");
}

}  // namespace
}  // namespace quaverly
