// What the piano roll shows, without Qt: the notes of the four voices laid
// out in time (ticks, 48 to the quarter note) and pitch (notes 0..63), the
// rectangles they take at a zoom and scroll, and the ways back from a point
// to a note and from a page's character to its note.
//
// A melody of another maker is shown as it is: one lane per channel (16),
// its pitches MIDI keys over the range the file uses, its times brought to
// the same 48 ticks a quarter note as the play position is counted in.
//
// Notes of one voice may overlap: a negative rest steps back in time, a
// length group of 0 makes a chord, and a gate may sound past the next note.
// Each voice's notes are sorted by start, with the furthest end reached so
// far beside them: what is visible, what sounds at a time and what lies under
// a point are binary searches followed by a look at the few candidates.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "UnitMfi/MfiMelody.h"
#include "UnitMld/MldLayout.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

inline constexpr int RollNoteCount = 64;
inline constexpr int RollBeatTicks = 48;
inline constexpr int RollBarTicks = 192;

struct RollNote {
    int time = 0;
    int duration = 0;  // to the voice's next event in time (0 for a chord's lower notes)
    int gate = 0;      // the sounding part; may reach past the duration
    int note = 0;      // 0..63 of an own melody; a MIDI key of a melody of another maker
    SourceSpan source;
    // How far the note reaches: its duration or its gate, whichever is longer.
    int Extent() const { return duration > gate ? duration : gate; }
};

// A note of the roll: its voice 0..3 (a lane 0..15 of a melody of another
// maker) and its index in that voice's notes.
struct RollNoteRef {
    int voice = -1;
    int index = -1;
    bool IsSet() const { return voice >= 0; }
    bool operator==(const RollNoteRef&) const = default;
};

struct RollRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The view's mapping: x = left + (tick - firstTick) * pixelsPerTick, the
// highest pitch (63 of an own melody) at the top row.
struct RollGeometry {
    double pixelsPerTick = 0.5;
    double rowHeight = 8;
    double left = 0;        // where tick firstTick is drawn (right of the keyboard strip)
    double firstTick = 0;   // the tick at the left edge
    double top = 0;         // where the top row starts (negative when scrolled down)
    int lowestNote = 0;     // the pitch of the bottom row
    int noteCount = RollNoteCount;  // rows

    double XOfTick(double tick) const { return left + (tick - firstTick) * pixelsPerTick; }
    double TickOfX(double x) const { return firstTick + (x - left) / pixelsPerTick; }
    double YOfNote(int note) const { return top + (lowestNote + noteCount - 1 - note) * rowHeight; }
    // The note of a row, or -1 above or below the roll.
    int NoteOfY(double y) const;
};

class RollModel {
public:
    // Takes the events of the list (raw data and end events are not notes;
    // silent events are rests and leave gaps), each voice's in time order. A
    // note lasts until its voice's next event, the last one until the
    // voice's end, and sounds for its gate.
    void SetEvents(const SequenceList& list);
    // Takes every note of a melody of another maker, a lane each (16 lanes),
    // pitches as MIDI keys; rows span the keys its notes use. At most
    // MaxRollForeignNotes notes are shown (the first by start).
    void SetForeignMelody(const MfiMelody& melody);

    // Four voices, or the sixteen lanes of a melody of another maker.
    int LaneCount() const { return static_cast<int>(m_notes.size()); }
    bool IsForeign() const { return m_foreign; }
    // The rows: the pitches from LowestNote up, NoteCount of them (0..63 of an own melody).
    int LowestNote() const { return m_lowestNote; }
    int NoteCount() const { return m_noteCount; }
    // The MIDI key a row's pitch sounds as.
    int MidiKeyOf(int note) const { return m_foreign ? note : note + MidiNoteOffset; }

    const std::vector<RollNote>& Notes(int voice) const { return m_notes[static_cast<size_t>(voice)]; }
    const RollNote& Note(RollNoteRef ref) const { return Notes(ref.voice)[static_cast<size_t>(ref.index)]; }
    // The end of the last note or voice end over all voices.
    int EndTime() const { return m_endTime; }
    // The loop section of a melody of another maker, [start, end) in roll ticks.
    std::optional<std::pair<int, int>> Loop() const { return m_loop; }
    bool Empty() const;

    // The whole duration and the gate part of a note.
    static RollRect DurationRect(const RollNote& note, const RollGeometry& geometry);
    static RollRect GateRect(const RollNote& note, const RollGeometry& geometry);

    // Indexes [first, last) of a voice's notes among which lie all that
    // reach into ticks [from, to); notes that end earlier may lie among them.
    std::pair<size_t, size_t> VisibleRange(int voice, double from, double to) const;
    // The notes of a voice sounding (within their gate) at a tick.
    std::vector<size_t> SoundingAt(int voice, int tick) const;
    // The note of a voice at a tick: the latest started of those sounding,
    // else the one whose duration holds the tick.
    std::optional<size_t> NoteAt(int voice, int tick) const;
    // The note whose duration rectangle holds the point, the top voice first
    // when notes of several voices share it.
    RollNoteRef HitTest(double x, double y, const RollGeometry& geometry) const;
    // The note whose characters hold a byte of a page; of a note played
    // more than once, the earliest.
    RollNoteRef NoteAtOffset(int page, int byteOffset) const;
    // The last note whose characters start before the byte: the one a cursor
    // on a rest, a blank or a line break has last passed. None before the first.
    RollNoteRef NoteBeforeOffset(int page, int byteOffset) const;

private:
    void Clear(int lanes);
    // Each lane's furthest ends, once its notes are in time order.
    void MeasureReach();

    std::vector<std::vector<RollNote>> m_notes = std::vector<std::vector<RollNote>>(VoiceCount);
    // Per page: note indexes ordered by their characters' offset, then time.
    std::array<std::vector<RollNoteRef>, VoiceCount> m_byOffset;
    // Per voice: the furthest end (start + extent) of its notes up to each index.
    std::vector<std::vector<int>> m_reach = std::vector<std::vector<int>>(VoiceCount);
    int m_endTime = 0;
    std::optional<std::pair<int, int>> m_loop;
    bool m_foreign = false;
    int m_lowestNote = 0;
    int m_noteCount = RollNoteCount;
};

}  // namespace quaverly

namespace quaverly {

// The byte offset of each character of a page's Shift-JIS text with CR LF
// line ends (a CR LF pair is one character, the page's line break), followed
// by the text's length: the bridge between the places of the entries and the
// character positions of the page as it is shown.
std::vector<int> SjisCharStarts(std::string_view sjis);

}  // namespace quaverly

namespace quaverly {

// Where play from a place in a page starts: the time of the entry whose
// characters hold the byte, else of the one the byte directly follows (the
// caret just after a note), else of the first one after the byte, else the
// end of the page's voice. Nothing when the page made no entries.
std::optional<int> TimeAtPlace(const SequenceList& list, int page, int byteOffset);

}  // namespace quaverly
