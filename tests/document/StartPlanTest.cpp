// What a start does with its command line: "/CIN" imports from its file or
// the clipboard and never opens the file as a melody; only a plain start
// offers an ended session's journal.
#include <gtest/gtest.h>

#include "document/StartPlan.h"

namespace quaverly {
namespace {

TEST(StartPlan, ByModeFileArgumentAndPlay)
{
    using enum NumericTextSource;
    struct Case {
        const char* name;
        const char* mode;
        bool file;
        bool play;
        StartPlan plan;
    };
    const Case cases[] = {
        {"plain start", "", false, false, {None, false, true, false}},
        {"file", "", true, false, {None, true, false, false}},
        {"play a file", "", true, true, {None, true, false, true}},
        {"play nothing", "", false, true, {None, false, false, true}},
        {"import from the clipboard", "/CIN", false, false, {Clipboard, false, false, false}},
        {"import from a file", "/CIN", true, false, {File, false, false, false}},
        {"import and play", "/CIN", true, true, {File, false, false, true}},
        {"export mode is a plain start", "/COUT", false, false, {None, false, true, false}},
        {"export mode opens its file", "/COUT", true, false, {None, true, false, false}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlanStart(c.mode, c.file, c.play), c.plan) << c.name;
    }
}

}  // namespace
}  // namespace quaverly
