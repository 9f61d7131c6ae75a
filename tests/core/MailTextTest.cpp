#include <gtest/gtest.h>

#include <random>

#include "UnitMld/MailText.h"
#include "base/TextEncoding.h"
#include "jconvert/Base64.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

// The 72-byte melody of one quarter-note ド titled "A".
const std::string SmallMelody =
    "melo\x00\x00\x00\x40\x00\x1B\x01\x01\x01sorc\x00\x01\x00titl\x00\x01"
    "Avers\x00\x04"
    "0100trac\x00\x00\x00\x1B\x00\xFF\xD0\x00\x00\xFF\xC3\x7D\x00\xFF\xE0\x00\x00\xFF\xE1\x02\x00\xFF\xE2\x3F"
    "\x00\x1B\x2E\x30\xFF\xDF\x00"s;

std::string SampleImage(size_t length)
{
    std::mt19937 random(static_cast<unsigned>(length));
    std::string image = "melo";
    while (image.size() < length) {
        image += static_cast<char>(random() & 0xFF);
    }
    return image.substr(0, length);
}

TEST(MailText, MarkerLineThenBodyInLinesOf76)
{
    ASSERT_EQ(SmallMelody.size(), 72u);
    const std::string text = MakeMailText(SmallMelody);
    EXPECT_EQ(text.substr(0, 7), "--B:M\r\n");
    // 72 bytes: one full line with CR LF, then 20 characters without.
    EXPECT_EQ(text.size(), 7u + 78u + 20u);
    EXPECT_EQ(text.substr(7 + 76, 2), "\r\n");
    EXPECT_EQ(text.substr(7, 8), "bWVsbwAA");
    EXPECT_EQ(MakeMailText(""), "--B:M\r\n");
}

TEST(MailText, MailTextHasItsWholeLength)
{
    EXPECT_EQ(MakeMailText("").size(), 7u);
    EXPECT_EQ(MakeMailText(SmallMelody).size(), 105u);
}

TEST(MailText, MarkerLineFromMailCreationIsSkipped)
{
    for (size_t length : {0u, 1u, 2u, 56u, 57u, 58u, 72u, 114u, 1000u}) {
        const std::string image = length == 72 ? SmallMelody : SampleImage(length);
        EXPECT_EQ(ReadMailText(MakeMailText(image)), image) << "length " << length;
    }
}

TEST(MailText, MarkerLineWithAnyLineEndOrNoneAtAll)
{
    const std::string body = MakeMailText(SmallMelody).substr(7);
    for (const std::string& lead : {"--B:M\r\n"s, "--B:M\n"s, "--B:M\r"s, ""s}) {
        EXPECT_EQ(ReadMailText(lead + body), SmallMelody) << lead.size();
    }
    EXPECT_EQ(ReadMailText("--B:M"), "");
    // A marker that is not a line of its own is not skipped: the text then
    // does not decode to the melody.
    EXPECT_NE(ReadMailText("--B:M" + body), SmallMelody);
}

TEST(MailText, AnEmptyTextIsNoImage)
{
    EXPECT_EQ(ReadMailText(""), "");
}

}  // namespace
}  // namespace quaverly

namespace quaverly {
namespace {

// A mail text as a mail program shows it: the block inside a whole mail.
struct MailCase {
    const char* name;
    std::string text;
    std::string image;
    int notBase64;
    MailTextPlace first;
};

std::string Quoted(std::string_view prefix, const std::string& text)
{
    std::string quoted;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        quoted += std::string(prefix) + text.substr(start, end - start) + "\r\n";
        start = end == std::string::npos ? text.size() : end + 2;
    }
    return quoted;
}

std::string WithTrailingBlanks(const std::string& text)
{
    std::string blanked;
    for (char c : text) {
        blanked += c == '\r' ? std::string(" \t\r") : std::string(1, c);
    }
    return blanked + "  ";
}

std::string WithLfOnly(std::string text)
{
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

TEST(MailText, TheBlockIsFoundInsideAWholeMail)
{
    const std::string mail = MakeMailText(SmallMelody);
    const std::string filled = MakeMailText(SampleImage(100));  // ends in "=="
    const std::string headers = "From: a@example.jp\r\nSubject: melody\r\nDate: Tue, 8 Dec 2026\r\n\r\n";
    std::string damaged = mail;
    damaged[7 + 9] = '!';  // line 2, column 10 of the mail text
    std::string wide = mail;
    wide.replace(7 + 76 + 2 + 4, 2, "\x82\xA0");  // あ on line 3, column 5
    const std::string damagedImage = Base64Decode(damaged.substr(7));
    // clang-format off
    const MailCase cases[] = {
        {"the mail text alone", mail, SmallMelody, 0, {}},
        {"headers and blank lines before", headers + "\r\n\r\n" + mail, SmallMelody, 0, {}},
        {"a blank line after the marker", "--B:M\r\n\r\n" + mail.substr(7), SmallMelody, 0, {}},
        {"quoted once", headers + Quoted("> ", mail), SmallMelody, 0, {}},
        {"quoted twice", Quoted(">> ", mail) + ">\r\n> thanks", SmallMelody, 0, {}},
        {"quoted with blanks between the marks", Quoted("> > ", mail), SmallMelody, 0, {}},
        {"a signature after a blank line", mail + "\r\n\r\nTaro\r\n", SmallMelody, 0, {}},
        {"a signature right after its separator", mail + "\r\n-- \r\nTaro Yamada\r\n", SmallMelody, 0, {}},
        {"a signature right after the fill", filled + "\r\nTaro\r\n", SampleImage(100), 0, {}},
        {"line ends of LF only", WithLfOnly(headers + mail + "\r\n-- \r\nTaro"), SmallMelody, 0, {}},
        {"blanks after the lines", WithTrailingBlanks(mail), SmallMelody, 0, {}},
        {"no marker: the Base64 alone", mail.substr(7), SmallMelody, 0, {}},
        // The decoding stays as it was; what is not Base64 is said with its place.
        {"a damaged character", damaged, damagedImage, 1, {2, 10}},
        {"a damaged character in a quoted mail", headers + Quoted("> ", damaged), damagedImage, 1, {6, 12}},
        {"a two-byte character is one column", wide, Base64Decode(wide.substr(7)), 1, {3, 5}},
        {"no marker, damaged", damaged.substr(7), damagedImage, 1, {1, 10}},
    };
    // clang-format on
    for (const MailCase& c : cases) {
        const MailReading reading = ReadMail(c.text);
        EXPECT_TRUE(reading.image == c.image) << c.name;
        EXPECT_EQ(reading.notBase64, c.notBase64) << c.name;
        EXPECT_EQ(reading.firstNotBase64, c.first) << c.name;
        EXPECT_EQ(ReadMailText(c.text), reading.image) << c.name;
    }
}

TEST(MailText, TheQuestionNamesThePlaceAndTheCharacter)
{
    std::string damaged = MakeMailText(SmallMelody);
    damaged[7 + 9] = '!';
    damaged[7 + 20] = '*';
    const std::string question = SjisToUtf8(NotBase64Question(ReadMail("\r\n" + damaged)));
    EXPECT_EQ(question, "メールのテキストの 3 行 10 列に Base64 の文字でない「!」があります（Base64 でない文字は全部で 2 個）。"
                        "読み込む音譜は壊れているかもしれません。このまま読み込みますか？");
}

}  // namespace
}  // namespace quaverly
