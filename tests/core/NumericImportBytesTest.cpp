// The bytes a numeric text (".c99") imports as, stated apart from the program:
// the header chunks, the set-up events of all four voices (tone 1, volume 63)
// and the note events of the records in the order of their listing lines,
// the last line written as the end event. Random texts against that
// statement, and the empty text byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "UnitNum/NumericImport.h"

namespace quaverly {
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string BigEndian(size_t value, int count)
{
    std::string bytes;
    for (int i = count - 1; i >= 0; --i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

struct Line {
    int time;
    int voice;
    int note;
    int gate;
    // The listing's text form, by which the lines are ordered.
    std::string Text() const
    {
        char text[32];
        std::snprintf(text, sizeof text, "%5d %1d %2d %3d", time, voice, note, gate);
        return text;
    }
};

// The whole image of the lines: title empty, tempo 125, version "0100",
// protection off, every voice used with tone 1 and volume 63.
std::string ExpectedImage(std::vector<Line> lines)
{
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.Text() < b.Text(); });
    std::string track = Bytes({0x00, 0xFF, 0xD0, 0x00, 0x00, 0xFF, 0xC3, 125});
    for (int voice = 0; voice < 4; ++voice) {
        track += Bytes({0x00, 0xFF, 0xE0, voice * 64 + 0, 0x00, 0xFF, 0xE1, voice * 64 + 2});
    }
    for (int voice = 0; voice < 4; ++voice) {
        track += Bytes({0x00, 0xFF, 0xE2, voice * 64 + 63});
    }
    int previous = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line& line = lines[k];
        if (k + 1 == lines.size()) {
            track += Bytes({line.time - previous, 0xFF, 0xDF, 0x00});
        } else if (line.note != -1) {
            track += Bytes({line.time - previous, line.voice * 64 + line.note, line.gate});
            previous = line.time;
        }
    }
    const std::string header = Bytes({1, 1, 1}) + "sorc" + Bytes({0, 1, 0}) + "titl" + Bytes({0, 0}) + "vers" +
                               Bytes({0, 4}) + "0100";
    const std::string rest = BigEndian(header.size(), 2) + header + "trac" + BigEndian(track.size(), 4) + track;
    return "melo" + BigEndian(rest.size(), 4) + rest;
}

std::string Imported(const std::string& text)
{
    MelodyStore store;
    ImportNumericText(store, text);
    return store.MelodyImage();
}

// An empty text is four voices with their set-up events and the end event.
TEST(NumericImportBytes, EmptyTextIsAllVoicesAndTheEnd)
{
    const std::string expected =
        Bytes({'m', 'e', 'l', 'o', 0, 0, 0, 96, 0, 26, 1, 1, 1}) + "sorc" + Bytes({0, 1, 0}) + "titl" + Bytes({0, 0}) +
        "vers" + Bytes({0, 4}) + "0100" + "trac" + Bytes({0, 0, 0, 60}) +
        Bytes({0x00, 0xFF, 0xD0, 0x00, 0x00, 0xFF, 0xC3, 0x7D,                            //
               0x00, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE1, 0x02, 0x00, 0xFF, 0xE0, 0x40,   //
               0x00, 0xFF, 0xE1, 0x42, 0x00, 0xFF, 0xE0, 0x80, 0x00, 0xFF, 0xE1, 0x82,   //
               0x00, 0xFF, 0xE0, 0xC0, 0x00, 0xFF, 0xE1, 0xC2,                           //
               0x00, 0xFF, 0xE2, 0x3F, 0x00, 0xFF, 0xE2, 0x7F, 0x00, 0xFF, 0xE2, 0xBF,   //
               0x00, 0xFF, 0xE2, 0xFF, 0x00, 0xFF, 0xDF, 0x00});
    ASSERT_EQ(expected.size(), 104u);
    EXPECT_EQ(Imported(""), expected);
    EXPECT_EQ(Imported("!only a comment\r\n"), expected);
}

// A voice without notes keeps its tone and volume events: the import used
// to drop them with the voice's pages left empty.
TEST(NumericImportBytes, OneVoiceStillSetsUpAllFour)
{
    const std::vector<Line> lines{{0, 2, 27, 46}, {48, 0, -1, 0}};
    EXPECT_EQ(Imported("72,480,2\r\n"), ExpectedImage(lines));
}

// Random texts: channels' parts one after another, each closed by its end
// record but the last, which is the longest, so that the closing line is the
// last of the listing; steps of 3 to 120 ticks keep every delta and gate in a byte.
TEST(NumericImportBytes, RandomTextsAreTheirLinesByteForByte)
{
    std::mt19937 random(2028);
    const auto between = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    for (int round = 0; round < 500; ++round) {
        std::string text;
        std::vector<Line> lines;
        const int parts = between(1, 4);
        int longest = 0;
        for (int part = 0; part < parts; ++part) {
            const bool lastPart = part + 1 == parts;
            const int channel = between(0, 3);
            const int highest = channel % 2 == 1 ? 107 : 108;  // voices 2 and 4 stop at note 62
            const int records = between(0, 12);
            int time = 0;
            for (int record = 0; record < records || (lastPart && time <= longest); ++record) {
                const int length = between(30, 1209);
                const int key = between(45, highest);
                switch (between(0, 3)) {
                case 0: text += "! a comment, with commas\r\n"; break;
                case 1: text += "\r\n"; break;
                default: break;
                }
                text += (between(0, 1) != 0 ? " " : "") + std::to_string(key) + "," + std::to_string(length) + ", " +
                        std::to_string(channel) + "\r\n";
                lines.push_back({time, channel, key - 45, length / 10 - 2});
                time += length / 10;
            }
            if (!lastPart) {
                text += "0,-1," + std::to_string(channel) + "\r\n";
                lines.push_back({time, channel, -1, 0});
                longest = std::max(longest, time);
            } else {
                lines.push_back({time, 0, -1, 0});
            }
        }
        // Compared as a flag: a failure message of two whole images says nothing.
        ASSERT_TRUE(Imported(text) == ExpectedImage(lines)) << "round " << round << "\n" << text;
    }
}

}  // namespace
}  // namespace quaverly
