// Texts of other programs' files told apart by their encoding and made into
// Shift-JIS: ASCII, UTF-8, Shift-JIS and Latin-1 (code page 1252).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "UnitMidi/MidiImport.h"
#include "base/FileIO.h"
#include "base/ForeignText.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

TEST(ForeignText, EachEncodingIsToldAndConverted)
{
    using enum ForeignEncoding;
    struct Case {
        const char* name;
        std::string bytes;
        ForeignEncoding encoding;
        const char* expected;  // UTF-8 of the Shift-JIS result
        bool replaced;
    };
    const Case cases[] = {
        {"ASCII", "Tune (c) 2010", Ascii, "Tune (c) 2010", false},
        {"empty", "", Ascii, "", false},
        {"UTF-8 Japanese", "ふるさと", Utf8, "ふるさと", false},
        {"UTF-8 copyright sign has no Shift-JIS form", "\xC2\xA9 2010", Utf8, "? 2010", true},
        {"UTF-8 with a sign Shift-JIS holds", "90\xC2\xB0", Utf8, "90°", false},
        {"UTF-8 beyond the first plane", "a\xF0\x9F\x8E\xB5", Utf8, "a?", true},
        {"Shift-JIS kanji and kana", Utf8ToSjis("故郷 ふるさと"), ShiftJis, "故郷 ふるさと", false},
        {"Shift-JIS half-width katakana in a run", Utf8ToSjis("ｶﾗｵｹ 2"), ShiftJis, "ｶﾗｵｹ 2", false},
        {"Shift-JIS mixed with a half-width katakana", Utf8ToSjis("曲ｱ"), ShiftJis, "曲ｱ", false},
        // A9 is a half-width katakana in Shift-JIS, standing alone: Latin-1.
        {"Latin-1 copyright sign", "Copyright \xA9 2010", Latin1, "Copyright ? 2010", true},
        {"Latin-1 at the end", "Caf\xE9", Latin1, "Caf?", true},
        {"Latin-1 before a blank", "Caf\xE9 au lait", Latin1, "Caf? au lait", true},
        {"Latin-1 sign Shift-JIS holds", "90\xB0 \xB1" "1", Latin1, "90° ±1", false},
        {"Latin-1 two signs side by side are no Shift-JIS", "\xAB\xBB", ShiftJis, "ｫｻ", false},
        {"Windows 1252 quotes", "\x93Hi\x94", Latin1, "“Hi”", false},
        {"Windows 1252 byte without a character", "a\x81", Latin1, "a?", true},
        {"user-defined Shift-JIS area is Latin-1", "Se\xF1or", Latin1, "Se?or", true},
        {"a byte no character starts with", "a\xFF\xFE", Latin1, "a??", true},
    };
    for (const Case& c : cases) {
        const ForeignText text = ForeignTextToSjis(c.bytes);
        EXPECT_EQ(text.encoding, c.encoding) << c.name;
        EXPECT_EQ(SjisToUtf8(text.sjis), c.expected) << c.name;
        EXPECT_EQ(text.replaced, c.replaced) << c.name;
    }
}

// A text of any bytes converts to valid Shift-JIS.
TEST(ForeignText, EveryByteTextBecomesValidShiftJis)
{
    for (int first = 0; first < 256; ++first) {
        for (int second : {0x20, 0x41, 0x80, 0xA9, 0xE9, 0xFF}) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second), 'x'};
            const std::string sjis = ForeignTextToSjis(bytes).sjis;
            EXPECT_NO_THROW(SjisToUtf8(sjis)) << first << " " << second;
        }
    }
}

// The copyright of a MIDI file of Debian's openttd-openmsx, written in Latin-1,
// came in as a half-width katakana: 「ｩ 2010」.
TEST(ForeignText, LatinTextOfAMidiFileShowsNoKatakana)
{
    const std::filesystem::path path = "/usr/share/games/openttd/baseset/openmsx/chuggachugga.mid";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << path << " is not installed (openttd-openmsx)";
    }
    const ImportedMelody melody = ImportMidiFile(ReadWholeFile(path.string()), path.string());
    EXPECT_EQ(SjisToUtf8(melody.copyright), "Copyright ? 2010 <Name>");
    EXPECT_EQ(melody.report.textsReplaced, 1);
}

}  // namespace
}  // namespace quaverly
