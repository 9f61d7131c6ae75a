#include <gtest/gtest.h>

#include <random>

#include "UnitMld/MailText.h"

namespace quaverly {
namespace {

using namespace std::string_literals;

class ScriptedClipboard : public Clipboard {
public:
    std::optional<std::string> text;
    std::optional<std::string> Text() override { return text; }
    void SetText(const std::string& newText) override { text = newText; }
};

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

TEST(MailText, MailToClipboardReturnsTheWholeLength)
{
    MelodyStore store;
    ScriptedClipboard clipboard;
    EXPECT_EQ(MailToClipboard(store, clipboard), 7u);
    EXPECT_EQ(clipboard.text, "--B:M\r\n");

    store.MelodyImage() = SmallMelody;
    EXPECT_EQ(MailToClipboard(store, clipboard), 105u);
    EXPECT_EQ(clipboard.text, MakeMailText(SmallMelody));
}

TEST(MailText, MarkerLineFromMailCreationIsSkipped)
{
    for (size_t length : {0u, 1u, 2u, 56u, 57u, 58u, 72u, 114u, 1000u}) {
        MelodyStore store;
        store.MelodyImage() = length == 72 ? SmallMelody : SampleImage(length);
        const std::string image = store.MelodyImage();
        ScriptedClipboard clipboard;
        MailToClipboard(store, clipboard);
        store.MelodyImage() = "something else";
        MailFromClipboard(store, clipboard);
        EXPECT_EQ(store.MelodyImage(), image) << "length " << length;
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

TEST(MailText, ClipboardWithoutTextLeavesTheImage)
{
    MelodyStore store;
    store.MelodyImage() = SmallMelody;
    ScriptedClipboard clipboard;
    MailFromClipboard(store, clipboard);
    EXPECT_EQ(store.MelodyImage(), SmallMelody);

    clipboard.text = "";
    MailFromClipboard(store, clipboard);
    EXPECT_EQ(store.MelodyImage(), "");
}

}  // namespace
}  // namespace quaverly
