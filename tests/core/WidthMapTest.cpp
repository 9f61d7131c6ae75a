#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "UnitMld/WidthMap.h"

namespace quaverly {
namespace {

// The expected mapping is derived in Unicode, independently of the Shift-JIS
// tables of the mapping: decode with the system's code page conversion, apply
// Unicode's half-width and full-width relation, encode again.

// U+0020..U+007E and U+FF61..U+FF9F, and their full-width counterparts
// U+3000, U+FF01..U+FF5E and the katakana and punctuation, in order. The
// voiced marks map to the spacing marks "゛" and "゜", which code page 932 has.
constexpr std::string_view HalfForms =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    "｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
constexpr std::string_view FullForms =
    "　！＂＃＄％＆＇（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ"
    "ＰＱＲＳＴＵＶＷＸＹＺ［＼］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～"
    "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリル"
    "レロワン゛゜";
// The full-width signs and their half-width forms, which code page 932 mostly
// does not hold (a half-width form it cannot encode leaves the character as it is).
constexpr std::string_view FullSigns = "￠￡￢￣￤￥";
constexpr std::string_view HalfSigns = "¢£¬¯¦¥";
// Kana with a voiced or semi-voiced mark, which half width writes as two characters.
constexpr std::string_view VoicedFull = "ヴガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ";
constexpr std::string_view VoicedHalf = "ｳﾞｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ";

// Splits UTF-8 text into its characters.
std::vector<std::string> Characters(std::string_view utf8)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        out.emplace_back(utf8.substr(i, length));
        i += length;
    }
    return out;
}

// The Unicode relation for one character; nothing when it has no counterpart.
std::optional<std::string> Counterpart(const std::string& utf8, WidthDirection direction)
{
    static const std::vector<std::string> half = Characters(HalfForms);
    static const std::vector<std::string> full = Characters(FullForms);
    static const std::vector<std::string> voicedFull = Characters(VoicedFull);
    static const std::vector<std::string> voicedHalf = Characters(VoicedHalf);
    const std::vector<std::string>& from = direction == WidthDirection::Full ? half : full;
    const std::vector<std::string>& to = direction == WidthDirection::Full ? full : half;
    for (size_t i = 0; i < from.size(); ++i) {
        if (from[i] == utf8) {
            return to[i];
        }
    }
    static const std::vector<std::string> fullSigns = Characters(FullSigns);
    static const std::vector<std::string> halfSigns = Characters(HalfSigns);
    for (size_t i = 0; direction == WidthDirection::Half && i < fullSigns.size(); ++i) {
        if (fullSigns[i] == utf8) {
            return halfSigns[i];
        }
    }
    for (size_t i = 0; direction == WidthDirection::Half && i < voicedFull.size(); ++i) {
        if (voicedFull[i] == utf8) {
            return voicedHalf[2 * i] + voicedHalf[2 * i + 1];
        }
    }
    return std::nullopt;
}

std::optional<std::string> Decode(std::string_view sjis)
{
    try {
        return SjisToUtf8(sjis);
    } catch (const QuaverlyError&) {
        return std::nullopt;
    }
}

// What the mapping must make of one Shift-JIS character.
std::string Expected(const std::string& sjis, WidthDirection direction)
{
    const std::optional<std::string> utf8 = Decode(sjis);
    if (!utf8) {
        return sjis;
    }
    const std::optional<std::string> counterpart = Counterpart(*utf8, direction);
    if (!counterpart) {
        return sjis;
    }
    try {
        return Utf8ToSjis(*counterpart);
    } catch (const QuaverlyError&) {
        return sjis;
    }
}

bool IsLeadByte(int c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(WidthMap, EverySingleByteMapsByTheUnicodeRelation)
{
    int mapped = 0;
    for (int c = 0; c < 256; ++c) {
        if (IsLeadByte(c)) {
            continue;
        }
        const std::string sjis(1, static_cast<char>(c));
        SCOPED_TRACE(c);
        for (WidthDirection direction : {WidthDirection::Full, WidthDirection::Half}) {
            const std::string expected = Expected(sjis, direction);
            EXPECT_EQ(MapWidth(sjis, direction), expected);
            mapped += expected != sjis;
        }
    }
    EXPECT_EQ(mapped, 94 + 1 + 63);
}

TEST(WidthMap, EveryDoubleByteCharacterMapsByTheUnicodeRelation)
{
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(lead)) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
            SCOPED_TRACE(testing::Message() << std::hex << lead << " " << trail);
            const std::string expected = Expected(sjis, WidthDirection::Half);
            ASSERT_EQ(MapWidth(sjis, WidthDirection::Half), expected);
            ASSERT_EQ(MapWidth(sjis, WidthDirection::Full), sjis);
            mapped += expected != sjis;
        }
    }
    // 94 ASCII forms (two of them in two rows each), the space, 63 kana, 26 voiced
    // kana, the yen, and the two other rows of the not sign.
    EXPECT_EQ(mapped, 96 + 1 + 63 + 26 + 1 + 2);
}

TEST(WidthMap, VoicedMarksJoinTheKanaBeforeThem)
{
    const std::vector<std::string> full = Characters(VoicedFull);
    const std::vector<std::string> half = Characters(VoicedHalf);
    for (size_t i = 0; i < full.size(); ++i) {
        SCOPED_TRACE(full[i]);
        const std::string pair = Utf8ToSjis(half[2 * i] + half[2 * i + 1]);
        EXPECT_EQ(MapWidth(pair, WidthDirection::Full), Utf8ToSjis(full[i]));
    }
    // A mark with no joined form stays a mark of its own, and so does a lone one.
    EXPECT_EQ(MapWidth(Utf8ToSjis("ｱﾞﾏﾟﾞ"), WidthDirection::Full), Utf8ToSjis("ア゛マ゜゛"));
    EXPECT_EQ(MapWidth(Utf8ToSjis("ｶ"), WidthDirection::Full), Utf8ToSjis("カ"));
    EXPECT_EQ(MapWidth(Utf8ToSjis("ﾊﾟﾊﾞﾊ"), WidthDirection::Full), Utf8ToSjis("パバハ"));
}

TEST(WidthMap, TextsRoundTrip)
{
    const std::string half = Utf8ToSjis(HalfForms) + Utf8ToSjis(VoicedHalf);
    EXPECT_EQ(MapWidth(MapWidth(half, WidthDirection::Full), WidthDirection::Half), half);
    const std::string full = Utf8ToSjis("ドレミ（１００）［－２］　ガパヴ／０ａ／ｶﾞ");
    EXPECT_EQ(MapWidth(MapWidth(full, WidthDirection::Half), WidthDirection::Full),
              Utf8ToSjis("ドレミ（１００）［－２］　ガパヴ／０ａ／ガ"));
}

TEST(WidthMap, InvalidBytesPassThroughWithoutReadingPastTheEnd)
{
    for (WidthDirection direction : {WidthDirection::Full, WidthDirection::Half}) {
        EXPECT_EQ(MapWidth("", direction), "");
        // A lead byte at the very end, and one with a trail byte that is no character.
        EXPECT_EQ(MapWidth(std::string_view("\x82", 1), direction), "\x82");
        EXPECT_EQ(MapWidth(std::string_view("\x82\x0A", 2), direction), std::string("\x82\x0A", 2));
        EXPECT_EQ(MapWidth(std::string_view("\x80\xA0\xFD\xFE\xFF", 5), direction), "\x80\xA0\xFD\xFE\xFF");
        EXPECT_EQ(MapWidth(std::string_view("\x00\x7F", 2), direction), std::string("\x00\x7F", 2));
    }
    // The lead byte takes the next byte with it: "\x82" "A" is one (invalid) character.
    EXPECT_EQ(MapWidth("\x82"
                       "AB",
                       WidthDirection::Full),
              "\x82"
              "A\x82\x61");
}

}  // namespace
}  // namespace quaverly
