// 音階シフト on a page: moved notes in canonical spelling, rests and other
// characters as typed, a selection's notes only, notes that would leave the
// voice's range kept and named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UnitMld/Transpose.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

struct TransposeCase {
    const char* name;
    const char* page;       // UTF-8
    int voice;
    int semitones;
    const char* selected;   // UTF-8 text whose first occurrence is the selection; "" for the whole page
    const char* expected;   // UTF-8
    std::vector<const char*> left;  // the characters of the notes kept
};

TEST(Transpose, MovesNotesBySemitones)
{
    const TransposeCase cases[] = {
        {"whole page up", "ドレミ", 0, 1, "", "ド＃４レ＃４ファ４", {}},
        {"whole page down, lengths and marks kept", "ド８．＊ レＴ", 1, -1, "", "シ▼８．＊ ド＃４Ｔ", {}},
        {"a selection moves only its notes", "ド　レ\r\nミ", 0, 1, "レ", "ド　レ＃４\r\nミ", {}},
        {"rests, skipped characters and line breaks stay", "●４ X\r\nド８．＊", 2, 2, "", "●４ X\r\nレ８．＊", {}},
        {"below the range: kept and named", "ラ▼▼▼８ド", 0, -1, "", "ラ▼▼▼８シ▼４", {"ラ▼▼▼８"}},
        {"voice 4 tops out one note lower", "シ▲▲ラ▲▲", 3, 1, "", "シ▲▲ラ＃▲▲４", {"シ▲▲"}},
        {"half-width forms are rewritten in full width", "ド4(100)", 0, 12, "", "ド▲(100)", {}},
    };
    for (const TransposeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string page = Utf8ToSjis(c.page);
        size_t from = 0;
        size_t to = 0;
        if (*c.selected != '\0') {
            from = page.find(Utf8ToSjis(c.selected));
            to = from + Utf8ToSjis(c.selected).size();
        }
        const TransposedPage result = TransposePage(page, c.voice, c.semitones, from, to, false);
        EXPECT_EQ(SjisToUtf8(result.text), c.expected);
        ASSERT_EQ(result.left.size(), c.left.size());
        for (size_t i = 0; i < c.left.size(); ++i) {
            const SourceSpan span = result.left[i];
            EXPECT_EQ(SjisToUtf8(page.substr(static_cast<size_t>(span.offset), static_cast<size_t>(span.length))),
                      c.left[i]);
        }
    }
}

}  // namespace
}  // namespace quaverly
