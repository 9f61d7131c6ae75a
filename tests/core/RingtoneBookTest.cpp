#include <gtest/gtest.h>

#include <random>

#include "InKtlSrc/RingtoneBook.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

const std::string Header(19, 'h');
const std::string Terminator = "\x01\x80";

// A length byte, or 0xFF and two bytes low first for 255 and more.
std::string Field(const std::string& data)
{
    if (data.size() < 255) {
        return char(data.size()) + data;
    }
    return "\xFF"s + char(data.size() & 0xFF) + char(data.size() >> 8) + data;
}

std::string Record(const std::string& title, const std::string& artist, const std::string& melody,
                   const std::string& afterFields = Terminator)
{
    return "abc" + Field(title) + Field("2") + Field(artist) + Field("4") + Field("5") + Field(melody) + Field("7") +
           Field("") + afterFields;
}

std::vector<std::string> Titles(const std::vector<RingtoneSong>& songs)
{
    std::vector<std::string> titles;
    for (const RingtoneSong& song : songs) {
        titles.push_back(song.title);
    }
    return titles;
}

TEST(RingtoneBook, ReadsTitleArtistAndMelodyOfEveryRecord)
{
    const std::string book = Header + Record("Song A", "Artist A", "\x83h\x83\x8C") + Record("Song B", "", "x");
    const std::vector<RingtoneSong> songs = ReadRingtoneBook(book);
    ASSERT_EQ(songs.size(), 2u);
    EXPECT_EQ(songs[0].title, "Song A");
    EXPECT_EQ(songs[0].artist, "Artist A");
    EXPECT_EQ(songs[0].melody, "\x83h\x83\x8C");
    EXPECT_EQ(songs[1].title, "Song B");
    EXPECT_TRUE(ReadRingtoneBook("").empty());
    EXPECT_TRUE(ReadRingtoneBook(Header).empty());
}

TEST(RingtoneBook, FieldLengthsAndZeroCut)
{
    // 0xFF then 2C 01: a field of 300 bytes.
    const std::string long300(300, 'm');
    const std::string record = Record("t", "a", long300);
    EXPECT_NE(record.find("\xFF\x2C\x01"s), std::string::npos);
    EXPECT_EQ(ReadRingtoneBook(Header + record).at(0).melody, long300);

    const std::string longest(65535, 'n');
    const std::vector<RingtoneSong> songs =
        ReadRingtoneBook(Header + Record(longest, "a", longest) + Record("next", "", ""));
    ASSERT_EQ(songs.size(), 2u);
    EXPECT_EQ(songs[0].title, longest);
    EXPECT_EQ(songs[0].melody, longest);

    const RingtoneSong cut = ReadRingtoneBook(Header + Record("ti\0tle"s, "ar\0"s, "\0melody"s)).at(0);
    EXPECT_EQ(cut.title, "ti");
    EXPECT_EQ(cut.artist, "ar");
    EXPECT_EQ(cut.melody, "");
}

TEST(RingtoneBook, TerminatorIsSearchedForAndMayBeMissing)
{
    // Bytes between the last field and the terminator are passed over.
    EXPECT_EQ(Titles(ReadRingtoneBook(Header + Record("A", "", "", "junk\x01\x01\x80"s) + Record("B", "", ""))),
              (std::vector<std::string>{"A", "B"}));
    // Without a terminator the record is listed and the reading ends.
    EXPECT_EQ(Titles(ReadRingtoneBook(Header + Record("A", "", "") + Record("B", "", "", "") + Record("C", "", ""))),
              (std::vector<std::string>{"A", "B"}));
}

TEST(RingtoneBook, FileEndingInsideHeaderOrRecordKeepsTheSongsSoFar)
{
    const std::string first = Record("A", "", "");
    const std::string second = Record("B", "x", std::string(400, 'm'));
    const std::pair<std::string, size_t> cases[] = {
        {Header.substr(0, 5), 0},
        {Header.substr(0, 18), 0},
        {Header + "ab", 0},
        {Header + first + second.substr(0, 20), 1},
        {Header + first + second.substr(0, 15), 1},  // between the two length bytes
        {Header + first + second.substr(0, second.size() - 12), 1},
    };
    for (const auto& [book, songsSoFar] : cases) {
        try {
            ReadRingtoneBook(book);
            ADD_FAILURE() << "no error for " << book.size() << " bytes";
        } catch (const RingtoneBookError& error) {
            EXPECT_EQ(error.what(), std::string(Msg::FileEndsInRecord));
            EXPECT_EQ(error.SongsSoFar().size(), songsSoFar) << book.size();
        }
    }
}

TEST(RingtoneBook, RandomAndTruncatedInputNeverCrashes)
{
    const std::string book = Header + Record("A", "B", std::string(300, 'c')) + Record("D", "", "e");
    for (size_t length = 0; length <= book.size(); ++length) {
        try {
            ReadRingtoneBook(book.substr(0, length));
        } catch (const RingtoneBookError&) {
        }
    }
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 300, '\0');
        for (char& c : bytes) {
            const unsigned r = random();
            c = static_cast<char>(r % 5 == 0 ? 0xFF : r % 7 == 0 ? 0x01 : r % 11 == 0 ? 0x80 : (r >> 8) & 0xFF);
        }
        try {
            for (const RingtoneSong& song : ReadRingtoneBook(bytes)) {
                EXPECT_LE(song.melody.size(), bytes.size());
            }
        } catch (const RingtoneBookError&) {
        }
    }
}

}  // namespace
}  // namespace quaverly
