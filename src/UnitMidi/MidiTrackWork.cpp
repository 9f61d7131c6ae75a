#include "MidiTrackWork.h"

#include <algorithm>
#include <array>

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

// Where the search for a note-off of one note may resume: no live note-off
// of that note lies in [start, resume). Deleting lines keeps this true.
struct NoteOffSearch {
    size_t start = SIZE_MAX;
    size_t resume = 0;
};

// Note fields are two columns wide (-9..99); others get no search memory.
constexpr int NoteIndexOffset = 9;
constexpr size_t NoteIndexCount = 109;

// printf's "%*d": right-aligned with blanks, wider when the number needs it.
// Written out by hand because the list of a long melody has many thousand lines.
// Returns the end of what it wrote; out has room for width + 21 characters.
char* WriteRightAligned(char* out, int64_t value, int width)
{
    char digits[24];
    int count = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits[count++] = '-';
    }
    for (int pad = width - count; pad > 0; --pad) {
        *out++ = ' ';
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    return out;
}

}  // namespace

std::string FormatWorkLine(int64_t time, int kind, int note, int64_t gate, int timeWidth)
{
    timeWidth = std::clamp(timeWidth, 1, 20);
    char buffer[128];
    char* end = WriteRightAligned(buffer, time, timeWidth);
    *end++ = ' ';
    end = WriteRightAligned(end, kind, 2);
    *end++ = ' ';
    end = WriteRightAligned(end, note, 2);
    *end++ = ' ';
    end = WriteRightAligned(end, gate, 3);
    return std::string(buffer, static_cast<size_t>(end - buffer));
}

std::array<WorkList, 4> BuildWorkLists(const SequenceList& list, const std::array<bool, 4>& voices)
{
    std::array<WorkList, 4> works;
    std::array<int, 4> timeWidths{5, 5, 5, 5};
    auto add = [&](int voice, int64_t time, int kind, int note, int64_t gate) {
        const size_t v = static_cast<size_t>(voice);
        timeWidths[v] = std::max(timeWidths[v], DigitCount(time));
        works[v].push_back({FormatWorkLine(time, kind, note, gate), time, kind, note, gate});
    };

    // A voice is read up to its first EndLine; once all wanted voices have
    // ended the rest of the list is not read.
    std::array<bool, 4> reading = voices;
    int stillReading = static_cast<int>(std::count(reading.begin(), reading.end(), true));
    for (size_t i = 0; i < list.size() && stillReading > 0; ++i) {
        const std::string& line = list[i];
        // RawLines carry set-up bytes for the melody file, nothing to sound.
        if (IsRawLine(line)) {
            continue;
        }
        const int voice = LineVoice(line);
        if (voice < 0 || voice > 3 || !reading[static_cast<size_t>(voice)]) {
            continue;
        }
        const int64_t time = LineTime(line);
        const int note = LineNote(line);
        if (note == -1) {
            add(voice, time, voice, -1, 0);
            reading[static_cast<size_t>(voice)] = false;
            --stillReading;
            continue;
        }
        const int64_t gate = LineGate(line);
        if (gate > 0) {
            add(voice, time, voice + NoteOnKind, note, gate);
            add(voice, time + gate, voice, note, gate);
        }
    }

    // A note that ends after tick 99999 widens the time field of all its
    // voice's lines, so that the columns and the text order stay intact.
    for (size_t v = 0; v < 4; ++v) {
        if (timeWidths[v] != 5) {
            for (WorkLine& line : works[v]) {
                line.text = FormatWorkLine(line.time, line.kind, line.note, line.gate, timeWidths[v]);
            }
        }
    }
    return works;
}

void SortWorkList(WorkList& work)
{
    auto outOfOrder = [](const WorkLine& a, const WorkLine& b) { return SequenceTextLess(b.text, a.text); };
    // A voice's lines are mostly made in order already; one pass finds that out.
    if (std::adjacent_find(work.begin(), work.end(), outOfOrder) == work.end()) {
        return;
    }
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
        while (pos < count && (work[pos].IsDeleted() || work[pos].IsNoteOn() || work[pos].note != note)) {
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
                work[j].MarkDeleted();
                work[k].MarkDeleted();
            }
        }
    }
}

}  // namespace quaverly
