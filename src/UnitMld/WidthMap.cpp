#include "WidthMap.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace quaverly {

namespace {

// Full-width forms are written as their two Shift-JIS bytes in one number
// (lead byte high). Where code page 932 holds a form twice (the NEC-selected
// and the IBM rows of "＂" and "＇"), the full-width direction gives the IBM
// row, as the system's code page conversion does, and both come back.

// The full-width forms of the printable ASCII characters 0x21..0x7E.
constexpr std::array<uint16_t, 94> FullFormOfAscii{
    0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56, 0x8169,  // ！ ＂ ＃ ＄ ％ ＆ ＇ （
    0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E, 0x824F,  // ） ＊ ＋ ， － ． ／ ０
    0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257,  // １ ２ ３ ４ ５ ６ ７ ８
    0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197,  // ９ ： ； ＜ ＝ ＞ ？ ＠
    0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267,  // Ａ Ｂ Ｃ Ｄ Ｅ Ｆ Ｇ Ｈ
    0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F,  // Ｉ Ｊ Ｋ Ｌ Ｍ Ｎ Ｏ Ｐ
    0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277,  // Ｑ Ｒ Ｓ Ｔ Ｕ Ｖ Ｗ Ｘ
    0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151, 0x814D,  // Ｙ Ｚ ［ ＼ ］ ＾ ＿ ｀
    0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288,  // ａ ｂ ｃ ｄ ｅ ｆ ｇ ｈ
    0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290,  // ｉ ｊ ｋ ｌ ｍ ｎ ｏ ｐ
    0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298,  // ｑ ｒ ｓ ｔ ｕ ｖ ｗ ｘ
    0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,                  // ｙ ｚ ｛ ｜ ｝ ～
};

constexpr uint16_t IdeographicSpace = 0x8140;  // 　

// The full-width forms of the half-width katakana and punctuation 0xA1..0xDF.
constexpr std::array<uint16_t, 63> FullFormOfKana{
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // 。 「 」 、 ・ ヲ ァ ィ
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // ゥ ェ ォ ャ ュ ョ ッ ー
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // ア イ ウ エ オ カ キ ク
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // ケ コ サ シ ス セ ソ タ
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // チ ツ テ ト ナ ニ ヌ ネ
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // ノ ハ ヒ フ ヘ ホ マ ミ
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // ム メ モ ヤ ユ ヨ ラ リ
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // ル レ ロ ワ ン ゛ ゜
};

constexpr unsigned char VoicedMark = 0xDE;      // ﾞ
constexpr unsigned char SemiVoicedMark = 0xDF;  // ﾟ

// Kana that half-width text writes as a plain kana and a voiced mark.
struct VoicedKana {
    unsigned char halfKana;
    unsigned char mark;
    uint16_t full;
};

constexpr std::array<VoicedKana, 26> VoicedKanaTable{{
    {0xB3, VoicedMark, 0x8394},      // ｳﾞ ヴ
    {0xB6, VoicedMark, 0x834B},      // ｶﾞ ガ
    {0xB7, VoicedMark, 0x834D},      // ｷﾞ ギ
    {0xB8, VoicedMark, 0x834F},      // ｸﾞ グ
    {0xB9, VoicedMark, 0x8351},      // ｹﾞ ゲ
    {0xBA, VoicedMark, 0x8353},      // ｺﾞ ゴ
    {0xBB, VoicedMark, 0x8355},      // ｻﾞ ザ
    {0xBC, VoicedMark, 0x8357},      // ｼﾞ ジ
    {0xBD, VoicedMark, 0x8359},      // ｽﾞ ズ
    {0xBE, VoicedMark, 0x835B},      // ｾﾞ ゼ
    {0xBF, VoicedMark, 0x835D},      // ｿﾞ ゾ
    {0xC0, VoicedMark, 0x835F},      // ﾀﾞ ダ
    {0xC1, VoicedMark, 0x8361},      // ﾁﾞ ヂ
    {0xC2, VoicedMark, 0x8364},      // ﾂﾞ ヅ
    {0xC3, VoicedMark, 0x8366},      // ﾃﾞ デ
    {0xC4, VoicedMark, 0x8368},      // ﾄﾞ ド
    {0xCA, VoicedMark, 0x836F},      // ﾊﾞ バ
    {0xCB, VoicedMark, 0x8372},      // ﾋﾞ ビ
    {0xCC, VoicedMark, 0x8375},      // ﾌﾞ ブ
    {0xCD, VoicedMark, 0x8378},      // ﾍﾞ ベ
    {0xCE, VoicedMark, 0x837B},      // ﾎﾞ ボ
    {0xCA, SemiVoicedMark, 0x8370},  // ﾊﾟ パ
    {0xCB, SemiVoicedMark, 0x8373},  // ﾋﾟ ピ
    {0xCC, SemiVoicedMark, 0x8376},  // ﾌﾟ プ
    {0xCD, SemiVoicedMark, 0x8379},  // ﾍﾟ ペ
    {0xCE, SemiVoicedMark, 0x837C},  // ﾎﾟ ポ
}};

// The half-width direction: a full-width character and the one or two bytes of its form.
struct HalfForm {
    uint16_t full;
    unsigned char first;
    unsigned char second;  // 0 when the form is one byte
};

constexpr size_t HalfFormCount = FullFormOfAscii.size() + 1 + FullFormOfKana.size() + VoicedKanaTable.size() + 5;

// Every full-width form above, inverted and sorted for a binary search.
constexpr std::array<HalfForm, HalfFormCount> MakeHalfFormTable()
{
    std::array<HalfForm, HalfFormCount> table{};
    size_t n = 0;
    for (size_t i = 0; i < FullFormOfAscii.size(); ++i) {
        table[n++] = {FullFormOfAscii[i], static_cast<unsigned char>(0x21 + i), 0};
    }
    table[n++] = {IdeographicSpace, ' ', 0};
    for (size_t i = 0; i < FullFormOfKana.size(); ++i) {
        table[n++] = {FullFormOfKana[i], static_cast<unsigned char>(0xA1 + i), 0};
    }
    for (const VoicedKana& kana : VoicedKanaTable) {
        table[n++] = {kana.full, kana.halfKana, kana.mark};
    }
    table[n++] = {0xEEFC, '"', 0};   // ＂ of the NEC-selected row
    table[n++] = {0xEEFB, '\'', 0};  // ＇ of the NEC-selected row
    // ￥: the half-width yen sign is the byte 0x5C, where code page 932 puts
    // the yen. One way only: 0x5C itself reads as the backslash, "＼".
    table[n++] = {0x818F, '\\', 0};
    // ￢ of the NEC-selected and IBM rows: its half-width form, the not sign,
    // is held by code page 932 only in the JIS row.
    table[n++] = {0xEEF9, 0x81, 0xCA};
    table[n++] = {0xFA54, 0x81, 0xCA};
    std::sort(table.begin(), table.end(), [](const HalfForm& a, const HalfForm& b) { return a.full < b.full; });
    return table;
}

constexpr std::array<HalfForm, HalfFormCount> HalfFormTable = MakeHalfFormTable();

constexpr bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool IsHalfKana(unsigned char c)
{
    return c >= 0xA1 && c <= 0xDF;
}

void AppendCode(std::string& out, uint16_t code)
{
    out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
}

uint16_t VoicedFullForm(unsigned char kana, unsigned char mark)
{
    for (const VoicedKana& entry : VoicedKanaTable) {
        if (entry.halfKana == kana && entry.mark == mark) {
            return entry.full;
        }
    }
    return 0;
}

std::string ToFullWidth(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    size_t i = 0;
    while (i < text.size()) {
        const FullWidthStep step = FullWidthStepAt(text, i);
        if (step.code != 0) {
            AppendCode(out, step.code);
        } else {
            out.append(text.substr(i, step.sourceLength));
        }
        i += step.sourceLength;
    }
    return out;
}

std::string ToHalfWidth(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!IsLeadByte(c) || i + 1 >= text.size()) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const auto code = static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(text[i + 1]));
        const auto* found = std::lower_bound(HalfFormTable.begin(), HalfFormTable.end(), code,
                                             [](const HalfForm& form, uint16_t key) { return form.full < key; });
        if (found != HalfFormTable.end() && found->full == code) {
            out.push_back(static_cast<char>(found->first));
            if (found->second != 0) {
                out.push_back(static_cast<char>(found->second));
            }
        } else {
            out.append(text.substr(i, 2));
        }
        i += 2;
    }
    return out;
}

}  // namespace

FullWidthStep FullWidthStepAt(std::string_view text, size_t i)
{
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
        // A double-byte character stays as it is; a lead byte at the very end stays alone.
        return {std::min<size_t>(2, text.size() - i), 0};
    }
    if (c >= 0x21 && c <= 0x7E) {
        return {1, FullFormOfAscii[c - 0x21]};
    }
    if (c == ' ') {
        return {1, IdeographicSpace};
    }
    if (IsHalfKana(c)) {
        // A kana and the voiced mark after it make one full-width kana where one exists.
        const uint16_t voiced = i + 1 < text.size() ? VoicedFullForm(c, static_cast<unsigned char>(text[i + 1])) : 0;
        return voiced != 0 ? FullWidthStep{2, voiced} : FullWidthStep{1, FullFormOfKana[c - 0xA1]};
    }
    return {1, 0};
}

std::string MapWidth(std::string_view text, WidthDirection direction)
{
    return direction == WidthDirection::Full ? ToFullWidth(text) : ToHalfWidth(text);
}

}  // namespace quaverly
