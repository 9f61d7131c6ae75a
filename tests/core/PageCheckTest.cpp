// The live check made again after each edit (PageChecker) against the whole
// check (CheckPages): random edits of the pages, the switch and the boxes,
// and every field of the two results compared, the diagnostics' order and
// places, the refusals and the sequence included.
#include "UnitMld/PageCheck.h"

#include <gtest/gtest.h>

#include <random>

#include "MelodyTestImages.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace testimages;

void ExpectSameResults(const PageCheckResult& kept, const PageCheckResult& whole, int round)
{
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(kept.diagnostics.size(), whole.diagnostics.size());
    for (size_t i = 0; i < whole.diagnostics.size(); ++i) {
        EXPECT_EQ(kept.diagnostics[i].span, whole.diagnostics[i].span) << i;
        EXPECT_EQ(kept.diagnostics[i].kind, whole.diagnostics[i].kind) << i;
        EXPECT_EQ(kept.diagnostics[i].message, whole.diagnostics[i].message) << i;
    }
    EXPECT_EQ(kept.diagnosticsPerPage, whole.diagnosticsPerPage);
    EXPECT_EQ(kept.refusal, whole.refusal);
    EXPECT_EQ(kept.refusalReason, whole.refusalReason);
    EXPECT_EQ(kept.imageBytes, whole.imageBytes);
    EXPECT_EQ(kept.lengthTicks, whole.lengthTicks);
    EXPECT_EQ(kept.lengthSeconds, whole.lengthSeconds);
    EXPECT_EQ(kept.notesPerVoice, whole.notesPerVoice);
    EXPECT_TRUE(kept.sequence == whole.sequence);
}

TEST(PageChecker, RandomEditsGiveTheWholeCheck)
{
    // Pieces that make notes, rests, raw data, and every kind of diagnostic:
    // skipped characters, malformed groups, clamped notes, raw data outside
    // the switch or unclosed, a gap or gate the file cannot hold, a length
    // too long for the file, a page of more diagnostics than are kept.
    std::vector<std::string> pieces;
    for (const char* utf8 : {"ド４", "レ８．", "ミ▲１６", "●２", "ファ＃（３）", "ソ［２］", "ラ３２Ｔ", "シ▼▼▼▼６４",
                             "＊", "xyz", "（３", "／0A0B／", "／0A", "／ZZ／", "ド（５００）", "ド［３００］", "\r\n",
                             "ド（９９９９９）", "ド（０）", "●（－５）", "　"}) {
        pieces.push_back(Sjis(utf8));
    }
    std::string many;
    for (int i = 0; i < 600; ++i) {
        many += Sjis("ｘ　");
    }
    pieces.push_back(many);

    EditorTexts texts;
    texts.tempo = "125";
    texts.title = "t";
    texts.tones.fill(Sjis("1 - ピアノ"));
    texts.volumes.fill("63");
    bool extended = false;
    std::mt19937 random(2112);
    auto below = [&](size_t n) { return n == 0 ? size_t{0} : static_cast<size_t>(random() % n); };

    PageChecker checker;
    std::array<std::string, VoiceCount> checkedPages;
    bool checkedExtended = false;
    bool first = true;
    int refused = 0;
    int tooLong = 0;
    int beyondKept = 0;
    int mended = 0;
    for (int round = 0; round < 400; ++round) {
        const size_t what = below(24);
        if (what == 0) {
            extended = !extended;
        } else if (what == 1) {
            texts.tempo = std::vector<std::string>{"125", "0", "abc", "255", "125", "90"}[below(6)];
        } else if (what == 2) {
            texts.tones[below(VoiceCount)] = std::vector<std::string>{Sjis("1 - ピアノ"), "0", "129", "5"}[below(4)];
        } else if (what == 3) {
            texts.volumes[below(VoiceCount)] = std::vector<std::string>{"63", "64", "x", "0", "63", "1"}[below(6)];
        } else {
            if (below(3) == 0) {
                // The boxes put right again: a refused box stays for a few rounds.
                texts.tempo = "125";
                texts.tones.fill(Sjis("1 - ピアノ"));
                texts.volumes.fill("63");
            }
            // One or two pages edited: a piece put in anywhere (a double-byte
            // character may be cut), or a run taken out.
            for (size_t edits = 1 + below(2); edits > 0; --edits) {
                std::string& page = texts.scores[below(VoiceCount)];
                if (page.size() > 9000 || (below(3) == 0 && !page.empty())) {
                    const size_t from = below(page.size());
                    page.erase(from, 1 + below(std::min<size_t>(page.size() - from, 900)));
                } else {
                    page.insert(below(page.size() + 1), pieces[below(pieces.size())]);
                }
            }
        }
        int changed = 0;
        for (size_t i = 0; i < VoiceCount; ++i) {
            changed += first || extended != checkedExtended || texts.scores[i] != checkedPages[i] ? 1 : 0;
        }
        const PageCheckResult kept = checker.Check(texts, MelodyFileInfo{}, extended);
        EXPECT_EQ(checker.PagesParsed(), changed) << round;
        const PageCheckResult whole = CheckPages(texts, MelodyFileInfo{}, extended);
        ExpectSameResults(kept, whole, round);
        if (HasFatalFailure()) {
            return;
        }
        checkedPages = texts.scores;
        checkedExtended = extended;
        first = false;
        refused += whole.refusal ? 1 : 0;
        tooLong += whole.refusal && whole.refusalReason.field == RefusedField::None ? 1 : 0;
        for (size_t i = 0; i < VoiceCount; ++i) {
            beyondKept += whole.diagnosticsPerPage[i] > static_cast<int>(DiagnosticSink::KeptPerPage) ? 1 : 0;
        }
        for (const Diagnostic& diagnostic : whole.diagnostics) {
            mended += diagnostic.message.find(Msg::DiagnosticGapBridged) != std::string::npos ? 1 : 0;
        }
    }
    // The edits reached what the check does on its rarer roads.
    EXPECT_GT(refused, 20);
    EXPECT_GT(tooLong, 5);
    EXPECT_GT(beyondKept, 5);
    EXPECT_GT(mended, 5);
}

// A page changed back to a text checked before is parsed again (only the
// last text of each page is kept), and a check after the switch is thrown
// parses every page.
TEST(PageChecker, ParsesOnlyWhatChanged)
{
    EditorTexts texts;
    texts.tempo = "125";
    texts.tones.fill("1");
    texts.volumes.fill("63");
    texts.scores = {Sjis("ド４"), Sjis("レ４"), Sjis("ミ４"), ""};
    PageChecker checker;
    const struct {
        int page;  // -1: none
        const char* text;
        bool extended;
        int parsed;
    } steps[] = {{-1, "", false, 4}, {-1, "", false, 0}, {1, "レ８", false, 1},
                 {1, "レ４", false, 1}, {-1, "", true, 4}, {3, "●", true, 1}};
    for (const auto& step : steps) {
        if (step.page >= 0) {
            texts.scores[static_cast<size_t>(step.page)] = Sjis(step.text);
        }
        const PageCheckResult result = checker.Check(texts, MelodyFileInfo{}, step.extended);
        EXPECT_EQ(checker.PagesParsed(), step.parsed) << step.text;
        EXPECT_EQ(result.notesPerVoice, CheckPages(texts, MelodyFileInfo{}, step.extended).notesPerVoice);
    }
}

}  // namespace
}  // namespace quaverly
