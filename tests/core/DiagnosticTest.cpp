// Where the score text is not taken as written: each kind of diagnostic with
// its exact place in the page as typed (full- and half-width forms, several
// lines, CR LF), the builder's mends, places in a melody text file, and that
// the parser's results do not depend on whether diagnostics are collected.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FuzzEntries.h"

#include "UnitMld/Diagnostic.h"
#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/PageCheck.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

using Kind = DiagnosticKind;

struct Expected {
    Kind kind;
    int offset;  // bytes in the Shift-JIS page
    int length;
    const char* message;  // UTF-8
};

struct DiagnosticCase {
    const char* name;
    const char* page;  // UTF-8
    int voice;
    bool extended;
    std::vector<Expected> expected;
};

const std::vector<DiagnosticCase>& Cases()
{
    // clang-format off
    static const std::vector<DiagnosticCase> cases{
        {"clean page", "ド４　レ８．＊\r\nミ（100）ファ［10］", 0, false, {}},
        {"blanks and line breaks are not noted", " \t　\r\n\n\r", 0, false, {}},
        {"one run of skipped characters", "ミXYZ４ファ", 0, false,
         {{Kind::SkippedCharacters, 2, 5, "「XYZ４」は意味のない文字なので飛ばしました"}}},
        {"a blank ends a run", "ドab cd", 0, false,
         {{Kind::SkippedCharacters, 2, 2, "「ab」は意味のない文字なので飛ばしました"},
          {Kind::SkippedCharacters, 5, 2, "「cd」は意味のない文字なので飛ばしました"}}},
        {"a second duration is skipped", "ド４４", 0, false,
         {{Kind::SkippedCharacters, 4, 2, "「４」は意味のない文字なので飛ばしました"}}},
        {"malformed length group", "ファ（abc）ソ", 0, false,
         {{Kind::MalformedGroup, 4, 7, "「（abc）」は長さ・ゲートの指定として読めないので飛ばしました"}}},
        {"empty gate group", "ソ［］ラ", 0, false,
         {{Kind::MalformedGroup, 2, 4, "「［］」は長さ・ゲートの指定として読めないので飛ばしました"}}},
        {"unclosed group ends after its number", "ラ（４ ド", 0, false,
         {{Kind::MalformedGroup, 2, 4, "「（４」は長さ・ゲートの指定として読めないので飛ばしました"}}},
        {"half-width malformed group", "ド(1a)", 0, false,
         {{Kind::MalformedGroup, 2, 4, "「(1a)」は長さ・ゲートの指定として読めないので飛ばしました"}}},
        {"group too big for 32 bits", "ド（9999999999）", 0, false,
         {{Kind::MalformedGroup, 2, 14, "「（9999999999）」は長さ・ゲートの指定として読めないので飛ばしました"}}},
        {"octave marks beyond the top", "ド▲▲▲▲", 0, false,
         {{Kind::RangeClamped, 0, 10, "「ド▲▲▲▲」は音域の外なので「ド▲▲▲」にしました"}}},
        {"voice 4 stops one note lower", "ド▲▲▲▲", 3, false,
         {{Kind::RangeClamped, 0, 10, "「ド▲▲▲▲」は音域の外なので「シ▲▲」にしました"}}},
        {"voice 2 stops one note lower", "ド▲▲▲", 1, false,
         {{Kind::RangeClamped, 0, 8, "「ド▲▲▲」は音域の外なので「シ▲▲」にしました"}}},
        {"below the bottom, a half-width mark", "ド▼▼▼_", 0, false,
         {{Kind::RangeClamped, 0, 9, "「ド▼▼▼_」は音域の外なので「ラ▼▼▼」にしました"}}},
        {"raw data without the extended notation", "ド／0A／レ", 0, false,
         {{Kind::RawDataIgnored, 2, 6, "「／0A／」は拡張記法（/D）でないので生データとして読まずに飛ばしました"}}},
        {"half-width raw data without the extended notation", "ド/0A/", 0, false,
         {{Kind::RawDataIgnored, 2, 4, "「/0A/」は拡張記法（/D）でないので生データとして読まずに飛ばしました"}}},
        {"unclosed raw data", "ド／AB", 0, true,
         {{Kind::RawDataIgnored, 2, 2, "「／」は閉じていない生データなので無視し、後を音譜として読みました"},
          {Kind::SkippedCharacters, 4, 2, "「AB」は意味のない文字なので飛ばしました"}}},
        {"closed raw data in the extended notation", "ド／0A／", 0, true, {}},
        // A message is one line: the CR LF inside the quote is one blank, as a lone LF is.
        {"raw data over two lines is quoted on one line", "ド／0A\r\n0B／レ", 0, false,
         {{Kind::RawDataIgnored, 2, 10, "「／0A 0B／」は拡張記法（/D）でないので生データとして読まずに飛ばしました"}}},
        {"raw data over two lines with a lone LF", "ド／0A\n0B／", 0, false,
         {{Kind::RawDataIgnored, 2, 9, "「／0A 0B／」は拡張記法（/D）でないので生データとして読まずに飛ばしました"}}},
        // The trail byte of メ and a half-width ^ hold the bytes of ／: no delimiter.
        {"a delimiter's bytes across two characters close nothing", "ド／メ^レ", 0, true,
         {{Kind::RawDataIgnored, 2, 2, "「／」は閉じていない生データなので無視し、後を音譜として読みました"},
          {Kind::SkippedCharacters, 4, 3, "「メ^」は意味のない文字なので飛ばしました"}}},
        {"half-width raw data closed by a full-width delimiter", "ド/0A／", 0, true, {}},
        {"note of no length", "ド（0）レ", 0, false,
         {{Kind::ValueMended, 0, 7, "「ド（0）」は長さが 0 以下なので長さのない音にしました"}}},
        {"note of negative length", "ド(-5)", 0, false,
         {{Kind::ValueMended, 0, 6, "「ド(-5)」は長さが 0 以下なので長さのない音にしました"}}},
        {"rest of negative length", "●(-10)ド", 1, false,
         {{Kind::ValueMended, 0, 7, "「●(-10)」は長さが負の休符なので、後の音が前へずれます"}}},
        {"places on later lines with CR LF", "ド\r\nレX\r\n　ミ▲▲▲▲", 2, false,
         {{Kind::SkippedCharacters, 6, 1, "「X」は意味のない文字なので飛ばしました"},
          {Kind::RangeClamped, 11, 10, "「ミ▲▲▲▲」は音域の外なので「ド▲▲▲」にしました"}}},
        {"places after half-width katakana", "ｱﾞｲド?", 0, false,
         {{Kind::SkippedCharacters, 0, 3, "「ｱﾞｲ」は意味のない文字なので飛ばしました"},
          {Kind::SkippedCharacters, 5, 1, "「?」は意味のない文字なので飛ばしました"}}},
        {"diagnostics come in the order of the page", "ド▲▲▲▲X", 0, false,
         {{Kind::RangeClamped, 0, 10, "「ド▲▲▲▲」は音域の外なので「ド▲▲▲」にしました"},
          {Kind::SkippedCharacters, 10, 1, "「X」は意味のない文字なので飛ばしました"}}},
        // Notes inside a group that cannot be read are read as notes: the group ends before them.
        {"notes inside a malformed group", "（ラシド）", 0, false,
         {{Kind::MalformedGroup, 0, 2, "「（」は長さ・ゲートの指定として読めないので飛ばしました"},
          {Kind::SkippedCharacters, 8, 2, "「）」は意味のない文字なので飛ばしました"}}},
        {"a note after the number of a malformed group", "ド（１０ラ）レ", 0, false,
         {{Kind::MalformedGroup, 2, 6, "「（１０」は長さ・ゲートの指定として読めないので飛ばしました"},
          {Kind::SkippedCharacters, 10, 2, "「）」は意味のない文字なので飛ばしました"}}},
        {"notes inside raw data without the extended notation", "／ドレ／", 0, false,
         {{Kind::RawDataIgnored, 0, 2, "「／」は拡張記法（/D）でないので生データとして読まずに飛ばしました"},
          {Kind::RawDataIgnored, 6, 2, "「／」は拡張記法（/D）でないので生データとして読まずに飛ばしました"}}},
        {"marks that bring a note to no value", "ド▼▼♭♭♭♭レ", 0, false,
         {{Kind::SkippedCharacters, 0, 14, "「ド▼▼♭♭♭♭」は高さの記号で値が 0 になり、音符にも休符にもならないので飛ばしました"}}},
        {"a rest raised by a sharp to no value, at the end", "ミ●＃４", 0, false,
         {{Kind::SkippedCharacters, 2, 4, "「●＃」は高さの記号で値が 0 になり、音符にも休符にもならないので飛ばしました"},
          {Kind::SkippedCharacters, 6, 2, "「４」は意味のない文字なので飛ばしました"}}},
        {"a long run is quoted on one line, cut", "ドabcdefghij\r\nklmnopqrstuvwxyz", 0, false,
         {{Kind::SkippedCharacters, 2, 10, "「abcdefghij」は意味のない文字なので飛ばしました"},
          {Kind::SkippedCharacters, 14, 16, "「klmnopqrstuvwxyz」は意味のない文字なので飛ばしました"}}},
    };
    // clang-format on
    return cases;
}

TEST(Diagnostics, EachKindAtItsPlaceInThePage)
{
    for (const DiagnosticCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string page = Utf8ToSjis(c.page);
        SequenceList list;
        DiagnosticSink sink;
        ParseScore(page, c.voice, list, c.extended, &sink);
        ASSERT_EQ(sink.Items().size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const Diagnostic& got = sink.Items()[i];
            const Expected& want = c.expected[i];
            EXPECT_EQ(got.kind, want.kind) << i;
            EXPECT_EQ(got.span, (SourceSpan{c.voice, want.offset, want.length})) << i;
            EXPECT_EQ(SjisToUtf8(got.message), want.message) << i;
        }
    }
}

TEST(Diagnostics, CollectingThemChangesNeitherEventsNorCanonicalText)
{
    for (const DiagnosticCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string page = Utf8ToSjis(c.page);
        SequenceList plain;
        SequenceList noted;
        DiagnosticSink sink;
        EXPECT_EQ(ParseScore(page, c.voice, plain, c.extended), ParseScore(page, c.voice, noted, c.extended, &sink));
        EXPECT_EQ(plain, noted);
    }
}

// Random pages of the notation's symbols and of characters without meaning:
// the diagnostics tell exactly what the parser did with every character.
TEST(Diagnostics, TellWhatTheParserDidOnRandomPages)
{
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> made;
        for (const char* piece :
             {"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ", "●", "休", "Ｒ", "R", "ﾄﾞ", "フ", "ァ", "▲", "▼", "＃", "♭",
              "．", "＊", "Ｔ", "⌒", "４", "８", "１", "２", "６", "全", "０", "１０", "－", "+", "（", "）", "［", "］",
              "(", ")", "[", "]", "／", "/", "0A", "a", "X", "ｱ", "ﾞ", "　", " ", "\t", "\r\n", "\n", "?"}) {
            made.push_back(Utf8ToSjis(piece));
        }
        return made;
    }();
    std::mt19937 random(19);
    for (int round = 0; round < 4000; ++round) {
        std::string page;
        const int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) {
            page += pieces[random() % pieces.size()];
        }
        const int voice = static_cast<int>(random() % 4);
        const bool extended = random() % 3 == 0;
        const std::string untrue = fuzz::DiagnosticsUntrue(page, voice, extended);
        ASSERT_TRUE(untrue.empty()) << untrue << " in " << SjisToUtf8(page) << (extended ? " (extended)" : "");
    }
}

TEST(Diagnostics, QuotesAreCutToOneShortLine)
{
    SequenceList list;
    DiagnosticSink sink;
    ParseScore(Utf8ToSjis("ドabcdefghijklmnopqrstuvwxyz0123456789"), 0, list, false, &sink);
    ASSERT_EQ(sink.Items().size(), 1u);
    EXPECT_EQ(sink.Items()[0].span.length, 36);
    EXPECT_EQ(SjisToUtf8(sink.Items()[0].message), "「abcdefghijklmnopqrstuvwx…」は意味のない文字なので飛ばしました");
}

TEST(Diagnostics, BuilderReportsWhatItMends)
{
    struct BuildCase {
        const char* name;
        const char* page;
        std::vector<Expected> expected;
    };
    const std::vector<BuildCase> cases{
        {"gap bridged before the note after a long rest", "●（300）ド",
         {{Kind::ValueMended, 9, 2, "「ド」の前の間が 255 ティックを超えるので、無音のイベントでつなぎました"}}},
        {"gate clamped", "レ［400］",
         {{Kind::ValueMended, 0, 9, "「レ［400］」のゲートが 255 を超えるので 255 にしました"}}},
        {"gap of exactly 255 is one delta", "●（255）ド", {}},
    };
    for (const BuildCase& c : cases) {
        SCOPED_TRACE(c.name);
        MelodyStore store;
        EditorTexts texts;
        texts.tempo = "120";
        texts.tones = {"1", "1", "1", "1"};
        texts.volumes = {"63", "63", "63", "63"};
        texts.scores[1] = Utf8ToSjis(c.page);
        DiagnosticSink sink;
        AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false, ViewRows::Skip, &sink);
        ASSERT_FALSE(result.refusal);
        ASSERT_EQ(sink.Items().size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(sink.Items()[i].kind, c.expected[i].kind);
            EXPECT_EQ(sink.Items()[i].span, (SourceSpan{1, c.expected[i].offset, c.expected[i].length}));
            EXPECT_EQ(SjisToUtf8(sink.Items()[i].message), c.expected[i].message);
        }
    }
}

TEST(Diagnostics, RefusalsNameTheBoxAndTheVoice)
{
    struct RefusalCase {
        const char* name;
        const char* tempo;
        std::array<const char*, VoiceCount> tones;
        std::array<const char*, VoiceCount> volumes;
        RefusalReason reason;
    };
    const std::vector<RefusalCase> cases{
        {"tempo", "0", {"1", "1", "1", "1"}, {"63", "63", "63", "63"}, {RefusedField::Tempo, -1}},
        {"tone of voice 2", "120", {"1", "0", "1", "1"}, {"63", "63", "63", "63"}, {RefusedField::Tone, 1}},
        {"tone before volume", "120", {"1", "1", "1", "999"}, {"70", "63", "63", "63"}, {RefusedField::Tone, 3}},
        {"volume of voice 3", "120", {"1", "1", "1", "1"}, {"63", "63", "70", "63"}, {RefusedField::Volume, 2}},
        {"nothing refused", "120", {"1", "1", "1", "1"}, {"63", "63", "63", "63"}, {}},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditorTexts texts;
        texts.tempo = c.tempo;
        for (size_t i = 0; i < VoiceCount; ++i) {
            texts.tones[i] = c.tones[i];
            texts.volumes[i] = c.volumes[i];
        }
        MelodyStore store;
        AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false, ViewRows::Skip);
        EXPECT_EQ(result.refusalReason, c.reason);
        EXPECT_EQ(result.refusal.has_value(), c.reason.field != RefusedField::None);
    }
}

// A page keeps its first thousand diagnostics and counts the rest; the
// other pages keep theirs; a streaming sink hands over as many and keeps none.
TEST(Diagnostics, EachPageKeepsABoundedNumberAndCountsTheRest)
{
    const std::string skipped(DiagnosticSink::KeptPerPage + 5, 'X');
    std::string page;
    for (char c : skipped) {
        page += c;
        page += "\x83h";  // ド between the skipped characters, so that each is a run of its own
    }
    for (const bool streamed : {false, true}) {
        SCOPED_TRACE(streamed);
        DiagnosticSink sink;
        size_t handed = 0;
        if (streamed) {
            sink.StreamTo([&handed](const Diagnostic&) { ++handed; });
        }
        SequenceList list;
        ParseScore(page, 1, list, false, &sink);
        ParseScore("X", 2, list, false, &sink);
        EXPECT_EQ(sink.Count(1), DiagnosticSink::KeptPerPage + 5);
        EXPECT_EQ(sink.Dropped(1), 5u);
        EXPECT_EQ(sink.Count(2), 1u);
        EXPECT_EQ(sink.Dropped(2), 0u);
        EXPECT_EQ(sink.TotalCount(), DiagnosticSink::KeptPerPage + 6);
        EXPECT_EQ(sink.TotalDropped(), 5u);
        EXPECT_EQ(sink.Items().size(), streamed ? 0u : DiagnosticSink::KeptPerPage + 1);
        EXPECT_EQ(handed, streamed ? DiagnosticSink::KeptPerPage + 1 : 0u);
    }
    // The live check counts them all per page, keeping the first ones.
    EditorTexts texts;
    texts.tempo = "120";
    texts.tones = {"1", "1", "1", "1"};
    texts.volumes = {"63", "63", "63", "63"};
    texts.scores[0] = page;
    const PageCheckResult result = CheckPages(texts, MelodyFileInfo{}, false);
    EXPECT_EQ(result.diagnosticsPerPage[0], static_cast<int>(DiagnosticSink::KeptPerPage + 5));
    EXPECT_EQ(result.diagnostics.size(), DiagnosticSink::KeptPerPage);
}

TEST(Diagnostics, PlacesInTextCountCharactersAndLines)
{
    struct PlaceCase {
        const char* text;  // UTF-8
        size_t sjisOffset;
        int line;
        int column;
    };
    const std::vector<PlaceCase> cases{
        {"abc", 0, 1, 1},          {"abc", 2, 1, 3},          {"ドレミ", 4, 1, 3},
        {"ド\r\nレ", 4, 2, 1},     {"ド\r\nレX", 6, 2, 2},    {"a\nb\rc", 4, 3, 1},
        {"ｱｲド", 2, 1, 3},         {"ab", 99, 1, 3},
    };
    for (const PlaceCase& c : cases) {
        const TextPlace place = PlaceInText(Utf8ToSjis(c.text), c.sjisOffset);
        EXPECT_EQ(place.line, c.line) << c.text << " @" << c.sjisOffset;
        EXPECT_EQ(place.column, c.column) << c.text << " @" << c.sjisOffset;
    }
}

TEST(Diagnostics, PageOffsetsOfAMelodyTextPointAtEveryVoice)
{
    EditorTexts texts;
    texts.tempo = "120";
    texts.title = "t";
    for (size_t i = 0; i < VoiceCount; ++i) {
        texts.tones[i] = "1";
        texts.volumes[i] = "63";
        texts.scores[i] = Utf8ToSjis("ド\r\nレX" + std::string(i, 'y'));
    }
    const std::string bytes = MelodyTextBytes(texts, MelodyFileInfo{});
    EditorTexts read;
    MelodyFileInfo info;
    std::array<size_t, VoiceCount> offsets{};
    ReadMelodyText(bytes, read, info, &offsets);
    for (size_t i = 0; i < VoiceCount; ++i) {
        EXPECT_EQ(bytes.substr(offsets[i], texts.scores[i].size()), texts.scores[i]) << i;
    }
}

}  // namespace
}  // namespace quaverly
