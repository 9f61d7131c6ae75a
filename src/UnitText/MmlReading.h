// The MML reader's working state, shared by its files: MmlReading.cpp reads
// the text (tracks, repeats, directives, the lengths and the time) and
// MmlCommands.cpp the notes, rests, ties and one-letter commands. Only the
// reader includes this; what others use is MmlReader.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "TextMelodyRead.h"
#include "TextMessages.h"
#include "UnitMld/MldLayout.h"

namespace quaverly::mml {

constexpr int64_t WholeUnits = 4 * TextMelodyDivision;
constexpr int64_t UnitsPerMelodyTick = TextMelodyDivision / 48;
// A track stops where a melody could hold nothing more.
constexpr int64_t TrackTimeLimit = (int64_t{MaxSequenceTime} + 1) * UnitsPerMelodyTick;
constexpr int MaxChannels = 16;
constexpr int MaxDots = 8;
constexpr int DefaultVelocity = 100;
constexpr int DefaultRepeats = 2;
constexpr int MaxRepeats = 9999;
// Repeats nest at most this deep, and at most so many are paired: a text of
// brackets alone must not cost more memory than the notes could.
constexpr size_t MaxRepeatDepth = 64;
constexpr size_t MaxRepeatPairs = MaxTextMelodyNotes;

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '|';
}

struct Repeat {
    size_t bodyStart;
    size_t close;  // of its "]"
    int left;      // passes still to come
};

struct OpenNote {
    int64_t on = 0;
    int64_t step = 0;
    int key = 0;
    int gate = 8;  // eighths of the step
    int velocity = DefaultVelocity;
    int channel = 0;
};

class MmlReading {
public:
    explicit MmlReading(std::string_view text) : m_text(text), m_problems(text)
    {
        m_stepBudget = TextMelodyBaseSteps + TextMelodyStepsPerByte * text.size();
        m_read.content.header.format = 1;
        m_read.content.header.division = TextMelodyDivision;
        PairBrackets();
        NewTrack();
    }

    TextMelodyRead Run();
    size_t SkippedBytes() const { return m_skippedBytes; }

private:
    char At(size_t at) const { return at < m_text.size() ? m_text[at] : '\0'; }
    size_t SkipComment(size_t at) const;
    void PairBrackets();
    void NewTrack();
    void Skip(size_t from, size_t length, std::string_view why = TextMsg::SkippedText);
    void FlushSkip();
    void Flush();
    bool AddNote(const OpenNote& note);
    void SkipBlanks() { while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t')) ++m_at; }
    std::optional<int64_t> Number(bool signedAllowed);
    int64_t Length(int64_t fallback);
    void Note(size_t start, int pitchClass);
    void NoteNumber(size_t start);
    void Rest();
    void Tie();
    bool Command(size_t start, char command);
    void OpenRepeat(size_t start);
    void CloseRepeat(size_t start);
    void Directive(size_t start);
    void Advance(int64_t units);
    void EndTrackEarly(size_t start);

    std::string_view m_text;
    TextProblemList m_problems;
    TextMelodyRead m_read;
    std::vector<std::pair<size_t, size_t>> m_brackets;  // "[" and its "]", by the "[" offset
    std::vector<Repeat> m_repeats;
    size_t m_at = 0;
    size_t m_steps = 0;
    size_t m_stepBudget = 0;
    bool m_stopped = false;
    size_t m_skipFrom = 0;
    size_t m_skipLength = 0;
    size_t m_skippedBytes = 0;

    // The track being read.
    int m_track = -1;
    int m_channel = 0;
    int64_t m_time = 0;
    int m_octave = 4;
    int64_t m_length = WholeUnits / 4;
    int m_gate = 6;
    int m_velocity = -1;  // "u"; -1 until given
    int m_volume = -1;    // "v"; -1 until given
    int m_keyShift = 0;
    bool m_slur = false;
    bool m_trackOverTime = false;
    std::optional<OpenNote> m_open;
};

}  // namespace quaverly::mml
