#include "MidiTrackWork.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "UnitMld/SequenceText.h"
#include "UnitMld/MldLayout.h"

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

// Notes -9..99 get a search memory each; others search from where they are asked to.
constexpr int NoteIndexOffset = 9;
constexpr size_t NoteIndexCount = 109;

}  // namespace

std::array<WorkList, VoiceCount> BuildWorkLists(const SequenceList& list, const std::array<bool, VoiceCount>& voices)
{
    std::array<WorkList, VoiceCount> works;
    // Room for a note-on and a note-off of each of a voice's entries, made
    // once: a long melody's lists are not copied as they grow.
    std::array<size_t, VoiceCount> entries{};
    for (const SequenceEntry entry : list) {
        if (entry.Voice() >= 0 && entry.Voice() < VoiceCount) {
            entries[static_cast<size_t>(entry.Voice())] += 1;
        }
    }
    for (int voice = 0; voice < VoiceCount; ++voice) {
        if (voices[static_cast<size_t>(voice)]) {
            works[static_cast<size_t>(voice)].reserve(2 * entries[static_cast<size_t>(voice)]);
        }
    }
    auto add = [&](int voice, int64_t time, int kind, int note, int64_t gate) {
        works[static_cast<size_t>(voice)].push_back({time, kind, note, gate});
    };

    // A voice is read up to its first end event; once all wanted voices have
    // ended the rest of the list is not read.
    std::array<bool, VoiceCount> reading = voices;
    int stillReading = static_cast<int>(std::count(reading.begin(), reading.end(), true));
    for (size_t i = 0; i < list.size() && stillReading > 0; ++i) {
        const SequenceEntry& entry = list[i];
        // Raw data carries set-up bytes for the melody file, nothing to sound.
        if (entry.IsRaw()) {
            continue;
        }
        const int voice = entry.Voice();
        if (voice < 0 || voice > 3 || !reading[static_cast<size_t>(voice)]) {
            continue;
        }
        const int64_t time = entry.Time();
        if (entry.IsEnd()) {
            add(voice, time, voice, EndNote, 0);
            reading[static_cast<size_t>(voice)] = false;
            --stillReading;
            continue;
        }
        const int64_t gate = entry.Gate();
        if (gate > 0) {
            add(voice, time, voice + NoteOnKind, entry.Note(), gate);
            add(voice, time + gate, voice, entry.Note(), gate);
        }
    }
    return works;
}

void SortWorkList(WorkList& work)
{
    // A note that ends after tick 99999 widens the time of all the voice's
    // entries, so the times compare as right-aligned texts of one width.
    int timeWidth = 5;
    for (const WorkLine& line : work) {
        timeWidth = std::max(timeWidth, DigitCount(line.time));
    }
    auto less = [timeWidth](const WorkLine& a, const WorkLine& b) {
        if (int order = CompareRightAlignedText(a.time, b.time, timeWidth); order != 0) {
            return order < 0;
        }
        if (int order = CompareRightAlignedText(a.kind, b.kind, 2); order != 0) {
            return order < 0;
        }
        if (int order = CompareRightAlignedText(a.note, b.note, 2); order != 0) {
            return order < 0;
        }
        return CompareRightAlignedText(a.gate, b.gate, 3) < 0;
    };
    // A voice's entries are mostly made in order already; one pass finds that out.
    if (std::is_sorted(work.begin(), work.end(), less)) {
        return;
    }
    std::stable_sort(work.begin(), work.end(), less);
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
        while (pos < count && (work[pos].deleted || work[pos].IsNoteOn() || work[pos].note != note)) {
            ++pos;
        }
        if (memory != nullptr) {
            memory->start = from;
            memory->resume = pos;
        }
        return pos;
    };

    for (size_t i = 0; i + 1 < count; ++i) {
        if (work[i].deleted) {
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
            if (work[j].deleted) {
                continue;
            }
            if (!work[j].IsNoteOn() || work[j].note != note) {
                break;
            }
            const size_t k = findNoteOff(note, j + 1);
            if (k < count) {
                work[j].deleted = true;
                work[k].deleted = true;
            }
        }
    }
}

}  // namespace quaverly
