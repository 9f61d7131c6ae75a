// What the RTTTL and MML readers give: the notes as the MIDI import collects
// them (so the voice choice, the chord splitting and the loss report are the
// MIDI import's own), and the places of the text they could not read, each
// skipped and listed, never passed over in silence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "UnitMidi/MidiNoteCollector.h"

namespace quaverly {

// Ticks to the quarter note of the notes the readers collect: 48 x 35 x 4, so
// that lengths 1..64 of the whole note, their triplets, fifths and sevenths
// and two dots are whole ticks. The import rounds them to melody ticks.
inline constexpr int TextMelodyDivision = 6720;

// Bounds of the readers, whatever the text asks: notes kept, and steps of
// reading (each repeat pass reads its text again) per byte of the text on
// top of a fixed allowance. Time and memory stay proportional to the text.
inline constexpr size_t MaxTextMelodyNotes = 250'000;
inline constexpr size_t TextMelodyStepsPerByte = 4;
inline constexpr size_t TextMelodyBaseSteps = 300'000;
// The largest text file read; a larger one is refused unread.
inline constexpr size_t MaxTextMelodyFileSize = size_t{16} << 20;
// Problems listed; more are only counted.
inline constexpr size_t MaxTextProblems = 1000;

struct TextProblem {
    int line = 1;
    int column = 1;
    std::string message;  // Shift-JIS: the characters quoted, and what was done
};

struct TextMelodyRead {
    MidiContent content;
    std::vector<TextProblem> problems;
    size_t problemsNotListed = 0;
    int notes = 0;
};

// Collects problems at byte offsets of a text and gives them their lines and
// columns at the end. Only the first pass over a place is reported: a
// repeated part of an MML text is read many times.
class TextProblemList {
public:
    explicit TextProblemList(std::string_view text) : m_text(text) {}
    // always: also at a place reported before (where a bound stopped the reading).
    void Add(size_t offset, size_t length, std::string_view suffix, bool always = false);
    void MoveInto(TextMelodyRead& read);

private:
    struct Pending {
        size_t offset;
        std::string message;
    };
    std::string_view m_text;
    std::vector<Pending> m_pending;
    size_t m_reportedUpTo = 0;
    bool m_any = false;
    size_t m_notListed = 0;
};

// The problems for a person, one line each ("name:line:column: message"),
// Shift-JIS with CR LF, and a line for those only counted.
std::string TextProblemsText(const TextMelodyRead& read, std::string_view name);

}  // namespace quaverly
