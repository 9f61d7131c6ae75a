// The per-track work list of the MIDI writer. For one voice it holds a text
// line per note-on, per note-off and for the voice's end, in the fixed-column
// form "%5d %2d %2d %3d" (time in melody ticks, kind, note, gate). Kind v is a
// note-off and v + 16 a note-on of voice v; note -1 is the end line. Sorting
// the texts orders the events for the channel track: by time, note-offs
// before note-ons, then by the note's and the gate's text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "UnitMld/SequenceList.h"

namespace quaverly {

struct WorkLine {
    std::string text;  // "D" once the line is deleted
    int64_t time = 0;
    int kind = 0;
    int note = 0;
    int64_t gate = 0;

    bool IsDeleted() const { return text.size() == 1 && text[0] == 'D'; }
    void MarkDeleted()
    {
        text.clear();
        text.push_back('D');
    }
    bool IsNoteOn() const { return kind >= 16; }
};

using WorkList = std::vector<WorkLine>;

// The note-on kind of voice v is v + 16; the note-off kind is v.
inline constexpr int NoteOnKind = 16;

// One line of the list. The time field is five characters wide unless a
// note ends after tick 99999; then the caller passes a wider field for all
// lines of the track, which keeps the columns and the text order intact.
std::string FormatWorkLine(int64_t time, int kind, int note, int64_t gate, int timeWidth = 5);

// For each wanted voice its lines from the SequenceList in list order, up to
// and including its first EndLine. RawLines and rests add nothing.
std::array<WorkList, 4> BuildWorkLists(const SequenceList& list, const std::array<bool, 4>& voices);

// Stable ascending order of the line texts.
void SortWorkList(WorkList& work);

// Joins a note struck again before it has ended into one long note: each
// later note-on of a run of same-note note-ons is deleted together with the
// earliest remaining note-off of that note after it.
void MergeRepeatedNotes(WorkList& work);

}  // namespace quaverly
