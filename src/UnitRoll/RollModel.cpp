#include "RollModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "UnitMfi/MfiMidi.h"
#include "base/Limits.h"

namespace quaverly {

int RollGeometry::NoteOfY(double y) const
{
    if (rowHeight <= 0 || y < top) {
        return -1;
    }
    const int row = static_cast<int>(std::floor((y - top) / rowHeight));
    return row < noteCount ? lowestNote + noteCount - 1 - row : -1;
}

void RollModel::Clear(int lanes)
{
    m_notes.assign(static_cast<size_t>(lanes), {});
    m_reach.assign(static_cast<size_t>(lanes), {});
    for (auto& refs : m_byOffset) {
        refs.clear();
    }
    m_endTime = 0;
    m_loop.reset();
}

void RollModel::MeasureReach()
{
    // The furthest end of the notes up to each index: what is visible at
    // a tick is a binary search even where notes overlap.
    for (size_t lane = 0; lane < m_notes.size(); ++lane) {
        auto& reach = m_reach[lane];
        reach.clear();
        reach.reserve(m_notes[lane].size());
        int furthest = std::numeric_limits<int>::min();
        for (const RollNote& note : m_notes[lane]) {
            furthest = std::max(furthest, note.time + note.Extent());
            reach.push_back(furthest);
        }
    }
}

void RollModel::SetForeignMelody(const MfiMelody& melody)
{
    Clear(MfiLaneCount);
    m_foreign = true;
    // The melody's ticks through its tempo map's timebases to the MIDI file's
    // 1920 a quarter note, then to the roll's 48: the play position the
    // player reports is counted the same way, so the playhead meets the notes.
    constexpr uint64_t MidiTicksPerRollTick = MfiMidiDivision / RollBeatTicks;
    constexpr uint64_t LastTick = std::numeric_limits<int>::max() / 2;
    const MfiMidiClock clock(melody);
    // At most the cap's notes, each lane's list made at its size.
    const size_t shown = std::min(melody.notes.size(), MaxRollForeignNotes);
    std::array<size_t, MfiLaneCount> counts{};
    for (size_t i = 0; i < shown; ++i) {
        counts[melody.notes[i].lane % MfiLaneCount] += 1;
    }
    for (size_t lane = 0; lane < counts.size(); ++lane) {
        m_notes[lane].reserve(counts[lane]);
    }
    int low = std::numeric_limits<int>::max();
    int high = std::numeric_limits<int>::min();
    for (size_t i = 0; i < shown; ++i) {
        const MfiNote& note = melody.notes[i];
        if (note.lane >= MfiLaneCount) {
            continue;
        }
        const uint64_t start = std::min(clock.Tick(note.start) / MidiTicksPerRollTick, LastTick);
        const uint64_t end =
            std::min((clock.Tick(note.End()) + MidiTicksPerRollTick - 1) / MidiTicksPerRollTick, LastTick);
        // A note shorter than a roll tick still shows.
        const int length = static_cast<int>(std::max<uint64_t>(1, end > start ? end - start : 0));
        m_notes[note.lane].push_back({static_cast<int>(start), length, length, note.key, SourceSpan{}});
        m_endTime = std::max(m_endTime, static_cast<int>(start) + length);
        low = std::min(low, static_cast<int>(note.key));
        high = std::max(high, static_cast<int>(note.key));
    }
    if (low > high) {
        // No notes: an octave either side of the middle C.
        low = 48;
        high = 72;
    }
    m_lowestNote = low;
    m_noteCount = high - low + 1;
    if (const std::optional<MfiLoop> loop = MfiMainLoop(melody)) {
        const auto rollTick = [&](uint64_t tick) {
            return static_cast<int>(std::min(clock.Tick(tick) / MidiTicksPerRollTick, LastTick));
        };
        m_loop = std::pair{rollTick(loop->start), rollTick(loop->end)};
    }
    // The melody's notes come by start; each lane keeps that order.
    for (auto& notes : m_notes) {
        std::stable_sort(notes.begin(), notes.end(),
                         [](const RollNote& a, const RollNote& b) { return a.time < b.time; });
    }
    MeasureReach();
}

void RollModel::SetEvents(const SequenceList& list)
{
    Clear(VoiceCount);
    m_foreign = false;
    m_lowestNote = 0;
    m_noteCount = RollNoteCount;
    // Each voice's events in time order, as the melody plays them: a
    // negative rest steps back in time, so the text order is not the time
    // order. Events of one time keep their list order.
    struct Timed {
        int time;
        int note;
        int gate;
        bool end;
        SourceSpan source;
    };
    std::array<std::vector<Timed>, VoiceCount> events;
    for (const SequenceEntry& entry : list) {
        const int voice = entry.Voice();
        if (voice < 0 || voice >= VoiceCount || entry.IsRaw()) {
            continue;
        }
        events[static_cast<size_t>(voice)].push_back(
            {entry.Time(), entry.Note(), entry.Gate(), entry.IsEnd(), entry.Source()});
    }
    for (int voice = 0; voice < VoiceCount; ++voice) {
        auto& timed = events[static_cast<size_t>(voice)];
        // Mostly in order already (only a negative rest steps back): then no sort.
        const auto earlier = [](const Timed& a, const Timed& b) { return a.time < b.time; };
        if (!std::is_sorted(timed.begin(), timed.end(), earlier)) {
            std::stable_sort(timed.begin(), timed.end(), earlier);
        }
        auto& notes = m_notes[static_cast<size_t>(voice)];
        for (size_t i = 0; i < timed.size(); ++i) {
            const Timed& event = timed[i];
            if (event.end) {
                m_endTime = std::max(m_endTime, event.time);
                continue;
            }
            if (event.gate <= 0 || event.note < 0 || event.note >= RollNoteCount) {
                continue;  // a rest, or no pitch the roll has
            }
            // A note lasts to its voice's next event (none for a chord's lower
            // notes); it sounds for its gate, which may reach past that. The
            // last note of a voice without an end lasts its gate.
            const int duration = i + 1 < timed.size() ? timed[i + 1].time - event.time : event.gate;
            notes.push_back({event.time, duration, event.gate, event.note, event.source});
            m_endTime = std::max(m_endTime, event.time + std::max(duration, event.gate));
        }
    }
    MeasureReach();
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto& notes = m_notes[static_cast<size_t>(voice)];
        for (size_t i = 0; i < notes.size(); ++i) {
            const SourceSpan& source = notes[i].source;
            if (source.IsSet() && source.page < VoiceCount) {
                m_byOffset[static_cast<size_t>(source.page)].push_back({voice, static_cast<int>(i)});
            }
        }
    }
    for (auto& refs : m_byOffset) {
        const auto before = [this](RollNoteRef a, RollNoteRef b) {
            const RollNote& x = Note(a);
            const RollNote& y = Note(b);
            return x.source.offset != y.source.offset ? x.source.offset < y.source.offset : x.time < y.time;
        };
        // A page read forwards gives its notes in the order of their places.
        if (!std::is_sorted(refs.begin(), refs.end(), before)) {
            std::stable_sort(refs.begin(), refs.end(), before);
        }
    }
}

bool RollModel::Empty() const
{
    return std::all_of(m_notes.begin(), m_notes.end(), [](const auto& notes) { return notes.empty(); });
}

RollRect RollModel::DurationRect(const RollNote& note, const RollGeometry& geometry)
{
    return {geometry.XOfTick(note.time), geometry.YOfNote(note.note), note.Extent() * geometry.pixelsPerTick,
            geometry.rowHeight};
}

RollRect RollModel::GateRect(const RollNote& note, const RollGeometry& geometry)
{
    return {geometry.XOfTick(note.time), geometry.YOfNote(note.note), note.gate * geometry.pixelsPerTick,
            geometry.rowHeight};
}

std::pair<size_t, size_t> RollModel::VisibleRange(int voice, double from, double to) const
{
    const auto& notes = Notes(voice);
    const auto& reach = m_reach[static_cast<size_t>(voice)];
    // The furthest end ascends: before the first index whose reach passes
    // from, every note has ended.
    const auto firstReach = std::partition_point(reach.begin(), reach.end(), [from](int end) { return end <= from; });
    const auto first = notes.begin() + (firstReach - reach.begin());
    const auto last = std::partition_point(first, notes.end(), [to](const RollNote& n) { return n.time < to; });
    return {static_cast<size_t>(first - notes.begin()), static_cast<size_t>(last - notes.begin())};
}

std::vector<size_t> RollModel::SoundingAt(int voice, int tick) const
{
    std::vector<size_t> sounding;
    const auto [first, last] = VisibleRange(voice, tick, tick + 1.0);
    const auto& notes = Notes(voice);
    for (size_t i = first; i < last; ++i) {
        if (notes[i].time <= tick && tick < notes[i].time + notes[i].gate) {
            sounding.push_back(i);
        }
    }
    return sounding;
}

std::optional<size_t> RollModel::NoteAt(int voice, int tick) const
{
    const std::vector<size_t> sounding = SoundingAt(voice, tick);
    if (!sounding.empty()) {
        return sounding.back();
    }
    // Between the gate and the next event: the note whose duration holds the tick.
    const auto [first, last] = VisibleRange(voice, tick, tick + 1.0);
    const auto& notes = Notes(voice);
    for (size_t i = last; i-- > first;) {
        if (notes[i].time <= tick && tick < notes[i].time + notes[i].duration) {
            return i;
        }
    }
    return std::nullopt;
}

RollNoteRef RollModel::HitTest(double x, double y, const RollGeometry& geometry) const
{
    const int note = geometry.NoteOfY(y);
    if (note < 0) {
        return {};
    }
    const double tick = geometry.TickOfX(x);
    for (int voice = 0; voice < LaneCount(); ++voice) {
        const auto [first, last] = VisibleRange(voice, tick, std::nextafter(tick, tick + 1.0));
        const auto& notes = Notes(voice);
        // Of overlapping notes of a voice on one row, the latest started is drawn on top.
        for (size_t i = last; i-- > first;) {
            const RollNote& candidate = notes[i];
            if (candidate.note == note && candidate.time <= tick && tick < candidate.time + candidate.Extent()) {
                return {voice, static_cast<int>(i)};
            }
        }
    }
    return {};
}

RollNoteRef RollModel::NoteAtOffset(int page, int byteOffset) const
{
    if (page < 0 || page >= VoiceCount) {
        return {};
    }
    const auto& refs = m_byOffset[static_cast<size_t>(page)];
    // The last note starting at or before the byte, then the earliest played with those characters.
    auto it = std::partition_point(refs.begin(), refs.end(),
                                   [&](RollNoteRef r) { return Note(r).source.offset <= byteOffset; });
    if (it == refs.begin()) {
        return {};
    }
    const int offset = Note(*std::prev(it)).source.offset;
    it = std::partition_point(refs.begin(), it, [&](RollNoteRef r) { return Note(r).source.offset < offset; });
    return Note(*it).source.Contains(byteOffset) ? *it : RollNoteRef{};
}

RollNoteRef RollModel::NoteBeforeOffset(int page, int byteOffset) const
{
    if (page < 0 || page >= VoiceCount) {
        return {};
    }
    const auto& refs = m_byOffset[static_cast<size_t>(page)];
    auto it = std::partition_point(refs.begin(), refs.end(),
                                   [&](RollNoteRef r) { return Note(r).source.offset < byteOffset; });
    if (it == refs.begin()) {
        return {};
    }
    // Of a note played more than once, the earliest, as NoteAtOffset gives.
    const int offset = Note(*std::prev(it)).source.offset;
    it = std::partition_point(refs.begin(), it, [&](RollNoteRef r) { return Note(r).source.offset < offset; });
    return *it;
}

}  // namespace quaverly

namespace quaverly {

std::vector<int> SjisCharStarts(std::string_view sjis)
{
    std::vector<int> starts;
    starts.reserve(sjis.size() + 1);
    size_t i = 0;
    while (i < sjis.size()) {
        starts.push_back(static_cast<int>(i));
        const auto byte = static_cast<unsigned char>(sjis[i]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        const bool lineBreak = byte == '\r' && i + 1 < sjis.size() && sjis[i + 1] == '\n';
        // A lead byte at the very end stands alone rather than reach past the text.
        i += ((lead || lineBreak) && i + 1 < sjis.size()) ? 2 : 1;
    }
    starts.push_back(static_cast<int>(sjis.size()));
    return starts;
}

}  // namespace quaverly

namespace quaverly {

std::optional<int> TimeAtPlace(const SequenceList& list, int page, int byteOffset)
{
    // Copies: the list hands its entries out as values.
    std::optional<SequenceEntry> containing;
    std::optional<SequenceEntry> endingHere;
    std::optional<SequenceEntry> after;
    std::optional<int> voiceEnd;
    for (const SequenceEntry& entry : list) {
        const SourceSpan source = entry.Source();
        if (entry.IsEnd() && entry.Voice() == page) {
            voiceEnd = entry.Time();
        }
        if (source.page != page) {
            continue;
        }
        // Of entries made by the same characters (played again), the earliest.
        auto earlier = [&](const std::optional<SequenceEntry>& chosen) {
            return !chosen || entry.Time() < chosen->Time();
        };
        if (source.Contains(byteOffset)) {
            if (earlier(containing)) {
                containing = entry;
            }
        } else if (source.offset + source.length == byteOffset) {
            if (earlier(endingHere)) {
                endingHere = entry;
            }
        } else if (source.offset > byteOffset) {
            if (!after || source.offset < after->Source().offset ||
                (source.offset == after->Source().offset && entry.Time() < after->Time())) {
                after = entry;
            }
        }
    }
    for (const std::optional<SequenceEntry>* chosen : {&containing, &endingHere, &after}) {
        if (chosen->has_value()) {
            return (*chosen)->Time();
        }
    }
    return voiceEnd;
}

}  // namespace quaverly
