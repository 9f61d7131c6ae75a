#include "RollModel.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quaverly {

int RollGeometry::NoteOfY(double y) const
{
    if (rowHeight <= 0 || y < top) {
        return -1;
    }
    const int row = static_cast<int>(std::floor((y - top) / rowHeight));
    return row < RollNoteCount ? RollNoteCount - 1 - row : -1;
}

void RollModel::SetEvents(const SequenceList& list)
{
    for (auto& notes : m_notes) {
        notes.clear();
    }
    for (auto& refs : m_byOffset) {
        refs.clear();
    }
    m_endTime = 0;
    // The open note of each voice waits for its voice's next event to know its duration.
    std::array<std::optional<RollNote>, VoiceCount> open;
    std::array<bool, VoiceCount> ended{};
    auto close = [&](int voice, int time) {
        auto& pending = open[static_cast<size_t>(voice)];
        if (!pending) {
            return;
        }
        pending->duration = std::max(0, time - pending->time);
        pending->gate = std::clamp(pending->gate, 0, pending->duration);
        if (pending->duration > 0) {
            m_notes[static_cast<size_t>(voice)].push_back(*pending);
        }
        m_endTime = std::max(m_endTime, time);
        pending.reset();
    };
    // The list is in time order within each voice (its text order); a list
    // out of order only loses the notes that would run backwards.
    for (const SequenceEntry& entry : list) {
        const int voice = entry.Voice();
        if (voice < 0 || voice >= VoiceCount || entry.IsRaw() || ended[static_cast<size_t>(voice)]) {
            continue;
        }
        close(voice, entry.Time());
        if (entry.IsEnd()) {
            ended[static_cast<size_t>(voice)] = true;
            m_endTime = std::max(m_endTime, entry.Time());
            continue;
        }
        if (entry.Gate() <= 0 || entry.Note() < 0 || entry.Note() >= RollNoteCount) {
            continue;  // a rest, or no pitch the roll has
        }
        open[static_cast<size_t>(voice)] =
            RollNote{entry.Time(), 0, entry.Gate(), entry.Note(), entry.Source()};
    }
    // A voice without an end event: its last note lasts its gate.
    for (int voice = 0; voice < VoiceCount; ++voice) {
        if (auto& pending = open[static_cast<size_t>(voice)]) {
            close(voice, pending->time + pending->gate);
        }
    }
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
        std::stable_sort(refs.begin(), refs.end(), [this](RollNoteRef a, RollNoteRef b) {
            const RollNote& x = Note(a);
            const RollNote& y = Note(b);
            return x.source.offset != y.source.offset ? x.source.offset < y.source.offset : x.time < y.time;
        });
    }
}

bool RollModel::Empty() const
{
    return std::all_of(m_notes.begin(), m_notes.end(), [](const auto& notes) { return notes.empty(); });
}

RollRect RollModel::DurationRect(const RollNote& note, const RollGeometry& geometry)
{
    return {geometry.XOfTick(note.time), geometry.YOfNote(note.note), note.duration * geometry.pixelsPerTick,
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
    // Ends ascend with starts: the first visible note is the first ending after from.
    const auto first = std::partition_point(notes.begin(), notes.end(),
                                            [from](const RollNote& n) { return n.time + n.duration <= from; });
    const auto last =
        std::partition_point(first, notes.end(), [to](const RollNote& n) { return n.time < to; });
    return {static_cast<size_t>(first - notes.begin()), static_cast<size_t>(last - notes.begin())};
}

std::optional<size_t> RollModel::NoteAt(int voice, int tick) const
{
    const auto [first, last] = VisibleRange(voice, tick, tick + 1.0);
    if (first < last) {
        return first;
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
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto [first, last] = VisibleRange(voice, tick, std::nextafter(tick, tick + 1.0));
        for (size_t i = first; i < last; ++i) {
            if (Notes(voice)[i].note == note) {
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
