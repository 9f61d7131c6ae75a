#include "MidiTrackWork.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>

namespace quaverly {

namespace {

int DigitCount(int64_t value)
{
    int digits = value < 0 ? 2 : 1;
    for (int64_t rest = value < 0 ? -value : value; rest >= 10; rest /= 10) {
        ++digits;
    }
    return digits;
}

// A line before its text is made; the text needs the track's widest time.
struct PendingLine {
    int64_t time;
    int kind;
    int note;
    int64_t gate;
};

// Where the search for a note-off of one note may resume: no live note-off
// of that note lies in [start, resume). Deleting lines keeps this true.
struct NoteOffSearch {
    size_t start = SIZE_MAX;
    size_t resume = 0;
};

// Note fields are two columns wide (-9..99); others get no search memory.
constexpr int NoteIndexOffset = 9;
constexpr size_t NoteIndexCount = 109;

}  // namespace

std::string FormatWorkLine(int64_t time, int kind, int note, int64_t gate, int timeWidth)
{
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%*" PRId64 " %2d %2d %3" PRId64, timeWidth, time, kind, note, gate);
    return buffer;
}

WorkList BuildWorkList(const SequenceList& list, int voice)
{
    std::vector<PendingLine> pending;
    for (const std::string& line : list) {
        // RawLines carry set-up bytes for the melody file, nothing to sound.
        if (IsRawLine(line) || LineVoice(line) != voice) {
            continue;
        }
        const int64_t time = LineTime(line);
        const int note = LineNote(line);
        if (note == -1) {
            pending.push_back({time, voice, -1, 0});
            break;
        }
        const int64_t gate = LineGate(line);
        if (gate > 0) {
            pending.push_back({time, voice + NoteOnKind, note, gate});
            pending.push_back({time + gate, voice, note, gate});
        }
    }

    int timeWidth = 5;
    for (const PendingLine& line : pending) {
        timeWidth = std::max(timeWidth, DigitCount(line.time));
    }
    WorkList work;
    work.reserve(pending.size());
    for (const PendingLine& line : pending) {
        work.push_back({FormatWorkLine(line.time, line.kind, line.note, line.gate, timeWidth), line.time, line.kind,
                        line.note});
    }
    return work;
}

void SortWorkList(WorkList& work)
{
    std::stable_sort(work.begin(), work.end(),
                     [](const WorkLine& a, const WorkLine& b) { return SequenceTextLess(a.text, b.text); });
}

void MergeRepeatedNotes(WorkList& work)
{
    const size_t count = work.size();
    std::array<NoteOffSearch, NoteIndexCount> searches{};

    // The first live note-off of the note at or after position from, or count.
    auto findNoteOff = [&](int note, size_t from) {
        NoteOffSearch* memory = nullptr;
        size_t pos = from;
        if (note >= -NoteIndexOffset && note + NoteIndexOffset < static_cast<int>(NoteIndexCount)) {
            memory = &searches[static_cast<size_t>(note + NoteIndexOffset)];
            if (memory->start <= from) {
                pos = std::max(from, memory->resume);
            }
        }
        while (pos < count &&
               (work[pos].IsDeleted() || work[pos].IsNoteOn() || work[pos].note != note)) {
            ++pos;
        }
        if (memory != nullptr) {
            memory->start = from;
            memory->resume = pos;
        }
        return pos;
    };

    for (size_t i = 0; i + 1 < count; ++i) {
        if (work[i].IsDeleted()) {
            continue;
        }
        if (work[i].note == -1) {
            return;
        }
        if (!work[i].IsNoteOn()) {
            continue;
        }
        const int note = work[i].note;
        for (size_t j = i + 1; j < count; ++j) {
            if (work[j].IsDeleted()) {
                continue;
            }
            if (!work[j].IsNoteOn() || work[j].note != note) {
                break;
            }
            const size_t k = findNoteOff(note, j + 1);
            if (k < count) {
                work[j].text = "D";
                work[k].text = "D";
            }
        }
    }
}

}  // namespace quaverly
