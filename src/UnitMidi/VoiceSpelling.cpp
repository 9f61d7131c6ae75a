#include "VoiceSpelling.h"

#include <algorithm>
#include <array>

#include "UnitMld/NotationTables.h"
#include "UnitMld/NoteRules.h"

namespace quaverly {

namespace {

constexpr int WholeNote = 192;

// The plain-form duration of a note of gate g that leaves a rest in a span
// of ticks, or 0: the first of normal, staccato and tie (the order they are
// preferred in) whose duration has its own spelling and, when wanted, whose
// rest has one too.
int DurationBeforeRest(int gate, int span, bool restSpelled)
{
    for (int64_t plain : ArticulatedDurations(gate)) {
        const int duration = static_cast<int>(plain);
        if (duration > 0 && duration < span && IsTableDuration(duration) &&
            (!restSpelled || IsTableDuration(span - duration))) {
            return duration;
        }
    }
    return 0;
}

// A note of gate g sounding in a span of ticks up to the next event, in the
// first way that fits: one note in a plain form whose length has its own
// spelling; a plain-form note and a rest that both have one; one note in a
// plain form; a plain-form note with its own spelling and a rest; one note
// with its gate in brackets.
void SpellNote(int time, int note, int gate, int span, std::vector<VoiceEvent>& events)
{
    events.push_back({time, note, gate});
    if (span <= 0 || (IsPlainForm(span, gate) && IsTableDuration(span))) {
        return;
    }
    int duration = DurationBeforeRest(gate, span, true);
    if (duration == 0 && !IsPlainForm(span, gate)) {
        duration = DurationBeforeRest(gate, span, false);
    }
    if (duration > 0) {
        events.push_back({time + duration, RestNote, 0});
    }
}

}  // namespace

bool IsTableDuration(int ticks)
{
    return std::any_of(DurationTable.begin(), DurationTable.end(),
                       [ticks](const TMLDConst& entry) { return entry.value == ticks; });
}

std::vector<VoiceEvent> SpellVoice(const std::vector<PlacedNote>& notes, int endTime, bool keepSameKeyOverlaps,
                                   SpellingLosses& losses)
{
    std::vector<VoiceEvent> events;
    events.reserve(notes.size() + notes.size() / 4);
    for (size_t i = 0; i < notes.size(); ++i) {
        const PlacedNote& placed = notes[i];
        const bool hasNext = i + 1 < notes.size();
        int time = placed.time;
        int gate = placed.gate;
        int span = (hasNext ? notes[i + 1].time : std::max(endTime, time)) - time;
        // Sounding on into the next note is kept (the melody holds any gate up
        // to its limit) unless the next note is the same key, which the MIDI
        // writer would join with this one, or the gate is beyond the limit.
        const bool sameKeyNext = hasNext && notes[i + 1].note == placed.note && !keepSameKeyOverlaps;
        // A long note sounding into the next one stays whole in this
        // program's own files: its tied pieces all start before the next note,
        // so the MIDI writer joins them as it joined the note it wrote.
        const bool longIntoNext = hasNext && gate > span + 1 && gate > MaxEventGate;
        if (hasNext && gate > span + 1 && (sameKeyNext || (longIntoNext && !keepSameKeyOverlaps))) {
            const int cut = gate - std::max(span, 1);
            gate = std::max(span, 1);
            ++losses.notesCut;
            losses.largestCut = std::max(losses.largestCut, cut);
        }
        // Tied pieces all start before the next event. A gate longer than
        // the room leaves for them (a note held past the melody's time limit,
        // or far into the next note) keeps what one event holds.
        while (gate > MaxEventGate && span > 1) {
            const int piece = std::min(span - 1, WholeNote);
            events.push_back({time, placed.note, piece + 1});
            time += piece;
            span -= piece;
            gate -= piece;
        }
        if (gate > MaxEventGate) {
            ++losses.notesCut;
            losses.largestCut = std::max(losses.largestCut, gate - MaxEventGate);
            gate = MaxEventGate;
        }
        SpellNote(time, placed.note, gate, span, events);
    }
    return events;
}

}  // namespace quaverly
