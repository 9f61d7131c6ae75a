// What the pages would compile to, worked out while the user types: the
// diagnostics of every page, the meter's figures (size of the melody file,
// its length at the tempo, notes per voice), whether the analysis would
// refuse the pages and why, and the SequenceList they make. The pages are
// not touched; the melody is built aside.
#pragma once

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Diagnostic.h"
#include "MelodyFileInfo.h"
#include "ScoreAnalysis.h"
#include "SequenceList.h"

namespace quaverly {

struct PageCheckResult {
    // In page order, then place: each page's first DiagnosticSink::KeptPerPage.
    std::vector<Diagnostic> diagnostics;
    // Every diagnostic of each page, also those beyond the ones kept.
    std::array<int, VoiceCount> diagnosticsPerPage{};
    // Set when the analysis would refuse: its message (Shift-JIS), and the
    // box at fault (RefusedField::None for a melody too long for the file).
    std::optional<std::string> refusal;
    RefusalReason refusalReason;
    size_t imageBytes = 0;
    int lengthTicks = 0;      // the time the last voice ends
    double lengthSeconds = 0;  // at the tempo (a quarter note is 48 ticks)
    std::array<int, VoiceCount> notesPerVoice{};
    SequenceList sequence;
};

// The FF F0 data the melody will carry, as the store keeps it: part of the
// file's size.
struct Fff0Data {
    bool set = false;
    std::string hex;
};

PageCheckResult CheckPages(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation);

// The same check, made again and again as the pages are edited: each page's
// parse is kept with the text and the switch it was made from, only a page
// whose text (or the switch) changed is parsed again, and the melody is
// built from the kept entries. Its results are those of CheckPages. One
// check at a time: a second caller waits for the first.
class PageChecker {
public:
    PageCheckResult Check(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation,
                          const Fff0Data& fff0 = {});
    // How many pages the last check parsed.
    int PagesParsed() const;

private:
    struct KeptPage {
        bool valid = false;
        std::string text;
        bool extendedNotation = false;
        ParsedPage parsed;
    };
    mutable std::mutex m_mutex;
    std::array<KeptPage, VoiceCount> m_pages;
    int m_pagesParsed = 0;
};

}  // namespace quaverly
