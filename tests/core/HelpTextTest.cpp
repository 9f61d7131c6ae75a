// The help says what the program does: the rules it states are checked
// against the program's own where the code holds them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "UnitMld/MldLayout.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

std::string HelpPage(const char* name)
{
    return ReadWholeFile((std::filesystem::path(QUAVERLY_EXAMPLES_DIR).parent_path() / "help" / name).string());
}

// The text from the first occurrence of from up to the next until.
std::string Between(const std::string& text, const std::string& from, const std::string& until)
{
    const size_t start = text.find(from);
    if (start == std::string::npos) {
        return {};
    }
    return text.substr(start, text.find(until, start) - start);
}

// The help said the fourth voice alone stops at note 62, but the second does too.
TEST(HelpText, EveryVoiceThatStopsAt62IsNamed)
{
    const std::string paragraph = Between(HelpPage("notation.html"), "使える音は", "</p>");
    ASSERT_FALSE(paragraph.empty());
    for (int voice = 0; voice < 4; ++voice) {
        const std::string name = "第" + std::to_string(voice + 1) + "音";
        const bool named = paragraph.find(name) != std::string::npos;
        EXPECT_EQ(named, Mld::HighestNoteOfVoice(voice) == 62) << name;
    }
    EXPECT_NE(paragraph.find("（62）"), std::string::npos);
}

// Exit asks the loss question; the help said it ends without asking.
TEST(HelpText, ExitAsksAboutUnsavedWork)
{
    const std::string row = Between(HelpPage("commands.html"), "<tr><td>終了</td>", "</tr>");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row.find("確認せず"), std::string::npos) << row;
    EXPECT_NE(row.find(SjisToUtf8(Msg::LossQuestion)), std::string::npos) << row;
}

// Melody text files are imported too; the help said they are only written.
TEST(HelpText, MelodyTextCanBeImported)
{
    const std::string section = Between(HelpPage("formats.html"), "（.tml）</h2>", "<h2>");
    ASSERT_FALSE(section.empty());
    EXPECT_EQ(section.find("書き出しだけ"), std::string::npos) << section;
    EXPECT_NE(section.find("他形式読み込み"), std::string::npos) << section;
}

}  // namespace
}  // namespace quaverly
