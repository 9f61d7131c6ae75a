#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "jconvert/Base64.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

std::string SampleBytes(size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// What coreutils makes of the bytes with 76-character lines.
std::string CoreutilsBase64(const std::string& bytes)
{
    char name[] = "/tmp/quaverly-base64-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    close(fd);
    std::ofstream(name, std::ios::binary) << bytes;
    std::string command = "base64 -w 76 "s + name;
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, n);
        }
        EXPECT_EQ(pclose(pipe), 0);
    }
    std::remove(name);
    return output;
}

// The body with the given separator: coreutils' output with it for LF. The
// separator follows full groups only, so the last line has a line break only
// when it is a complete line of full groups (images of a multiple of 57 bytes).
std::string BodyFromCoreutils(const std::string& output, size_t imageLength, const std::string& separator)
{
    std::string body;
    for (char c : output) {
        body += c == '\n' ? separator : std::string(1, c);
    }
    if (imageLength % 57 != 0) {
        body.resize(body.size() - separator.size());
    }
    return body;
}

TEST(Base64, MailBodyMatchesCoreutilsAndDecodesBack)
{
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 300; ++n) {
        lengths.push_back(n);
    }
    for (size_t n : {570u, 1140u, 4096u}) {
        lengths.push_back(n);
    }
    for (size_t n : lengths) {
        const std::string image = SampleBytes(n, static_cast<unsigned>(n));
        const std::string coreutils = CoreutilsBase64(image);
        const std::string body = Base64Encode(image, "\r\n");
        EXPECT_EQ(body, BodyFromCoreutils(coreutils, n, "\r\n")) << "length " << n;
        EXPECT_EQ(Base64Encode(image, "\n"), BodyFromCoreutils(coreutils, n, "\n")) << "length " << n;
        EXPECT_EQ(Base64Decode(body), image) << "length " << n;
    }
}

TEST(Base64, LfOrCrAloneBetweenGroupsDecodeLikeCrLf)
{
    const std::string image = SampleBytes(200, 7);
    const std::string crlf = Base64Encode(image, "\r\n");
    EXPECT_EQ(Base64Decode(Base64Encode(image, "\n")), image);
    EXPECT_EQ(Base64Decode(Base64Encode(image, "\r")), image);
    // Blank lines between groups are skipped too.
    EXPECT_EQ(Base64Decode("\r\n\r\n" + crlf + "\r\n"), image);
}

TEST(Base64, BreakInsideAGroupKeepsThePreviousSlots)
{
    // "ABCDEF" re-wrapped after six characters: the second group is "RE\r\n",
    // whose last two slots keep "J" and "D" of the first group.
    EXPECT_EQ(Base64Decode("QUJDREVG"), "ABCDEF");
    EXPECT_EQ(Base64Decode("QUJDRE\r\nVG"), "ABCDBC");

    // A longer body re-wrapped at a width that is not a multiple of 4.
    const std::string image = SampleBytes(114, 3);
    const std::string flat = Base64Encode(image, "");
    std::string rewrapped;
    for (size_t i = 0; i < flat.size(); i += 70) {
        rewrapped += flat.substr(i, 70) + "\r\n";
    }
    const std::string decoded = Base64Decode(rewrapped);
    EXPECT_EQ(decoded.size(), image.size());
    EXPECT_NE(decoded, image);
    EXPECT_EQ(decoded.substr(0, 51), image.substr(0, 51));
}

TEST(Base64, DecodingSlotsAndFill)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"==", ""},
        {"\r\n", ""},
        // Without fill the length still follows from the characters.
        {"QQ", "A"},
        {"QUI", "AB"},
        // "=" early in a group counts as 255 in the arithmetic and shortens
        // the output, which has three bytes per four counted characters.
        {"=AAA", "\xFC\x00"s},
        {"A=AA", "\x0F\xF0"s},
        // "*" is not in the alphabet: slot 0 of the very first group keeps 0.
        {"*QJD", "\x01\x02\x43"s},
        {"****", "\x00\x00\x00"s},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(Base64Decode(text), bytes) << text;
    }
}

TEST(Base64, RandomTextNeverCrashesNorExceedsItsLength)
{
    const std::string pieces = "AZaz09+/=\r\n*-~ \x80\xFF";
    std::mt19937 random(42);
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 40, '\0');
        for (char& c : text) {
            c = (random() % 4 == 0) ? static_cast<char>(random() & 0xFF) : pieces[random() % pieces.size()];
        }
        size_t m = 0;
        for (char c : text) {
            m += (c != '\r' && c != '\n' && c != '=') ? 1 : 0;
        }
        const size_t limit = 3 * (m / 4) + (m % 4 != 0 ? m % 4 - 1 : 0);
        EXPECT_LE(Base64Decode(text).size(), limit) << text;
    }
}

}  // namespace
}  // namespace quaverly
