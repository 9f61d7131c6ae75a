// The per-track work list of the MIDI writer. For one voice it holds an entry
// per note-on, per note-off and for the voice's end: time in melody ticks,
// kind, note and gate. Kind v is a note-off and v + 16 a note-on of voice v;
// note -1 is the end. The list is ordered as the texts "%*d %2d %2d %3d" of
// its entries would sort (the time as wide as the widest time of the voice,
// at least five columns): by time, note-offs before note-ons, then by the
// note's and the gate's text.
#pragma once

#include <array>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "UnitMld/MldLayout.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

// Sixteen bytes a line: a long melody's lists are a few megabytes, not ten.
// A time is an entry's time plus its gate; both are held within int32.
struct WorkLine {
    WorkLine() = default;
    WorkLine(int64_t at, int lineKind, int lineNote, int64_t lineGate)
        : time(Narrow(at)), kind(static_cast<int8_t>(lineKind)), note(static_cast<int16_t>(lineNote)), gate(Narrow(lineGate))
    {
    }

    int32_t time = 0;
    int8_t kind = 0;
    int16_t note = 0;
    int32_t gate = 0;
    bool deleted = false;  // merged into an earlier note

    bool IsNoteOn() const { return kind >= 16; }

private:
    static int32_t Narrow(int64_t value)
    {
        return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    }
};

using WorkList = std::vector<WorkLine>;

// The note-on kind of voice v is v + 16; the note-off kind is v.
inline constexpr int NoteOnKind = 16;

// For each wanted voice its entries from the SequenceList in list order, up
// to and including its first end event. Raw data and rests add nothing.
std::array<WorkList, VoiceCount> BuildWorkLists(const SequenceList& list, const std::array<bool, VoiceCount>& voices);

// Stable ascending order, that of the entries' texts.
void SortWorkList(WorkList& work);

// Joins a note struck again before it has ended into one long note: each
// later note-on of a run of same-note note-ons is deleted together with the
// earliest remaining note-off of that note after it.
void MergeRepeatedNotes(WorkList& work);

}  // namespace quaverly
