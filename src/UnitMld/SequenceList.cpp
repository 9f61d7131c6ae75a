#include "SequenceList.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "SequenceText.h"

namespace quaverly {

namespace {

// Columns of the text form: five for the time, one for the voice, two for the note, three for the gate.
constexpr int TimeWidth = 5;
constexpr int NoteWidth = 2;
constexpr int GateWidth = 3;
constexpr int LowestTimeInColumns = -9999;

// Whether the time and the voice fill exactly their columns, so that the rest
// of the two lines starts at the same column.
bool StartsInColumns(const SequenceEntry& entry)
{
    return entry.Time() >= LowestTimeInColumns && entry.Time() <= MaxSequenceTime && entry.Voice() >= 0 &&
           entry.Voice() <= 9;
}

bool NoteInColumns(const SequenceEntry& entry) { return entry.Note() >= -9 && entry.Note() <= 99; }

int16_t NarrowNote(int note)
{
    return static_cast<int16_t>(
        std::clamp(note, int{std::numeric_limits<int16_t>::min()}, int{std::numeric_limits<int16_t>::max()}));
}

int8_t NarrowVoice(int voice) { return static_cast<int8_t>(std::clamp(voice, -128, 127)); }

uint8_t PageBits(const SourceSpan& source)
{
    return source.page >= 0 && source.page <= 6 ? static_cast<uint8_t>((source.page + 1) << 1) : 0;
}

}  // namespace

SequenceEntry SequenceEntry::Event(int time, int voice, int note, int gate, SourceSpan source)
{
    SequenceEntry entry;
    entry.m_time = time;
    entry.m_gate = gate;
    entry.m_note = NarrowNote(note);
    entry.m_voice = NarrowVoice(voice);
    entry.m_flags = PageBits(source);
    if (entry.m_flags != 0) {
        entry.m_sourceOffset = source.offset;
        entry.m_sourceLength = source.length;
    }
    return entry;
}

SourceSpan SequenceEntry::Source() const
{
    const int page = (m_flags >> 1) - 1;
    if (page < 0) {
        return {};
    }
    return {page, m_sourceOffset, m_sourceLength};
}

void SequenceList::AddEvent(int time, int voice, int note, int gate, SourceSpan source)
{
    m_entries.push_back(SequenceEntry::Event(time, voice, note, gate, source));
}

void SequenceList::AddRaw(int time, int voice, std::string_view hex, SourceSpan source)
{
    SequenceEntry entry = SequenceEntry::Event(time, voice, 0, static_cast<int32_t>(m_raw.size()), source);
    entry.m_flags |= SequenceEntry::RawFlag;
    m_raw.emplace_back(hex);
    m_entries.push_back(entry);
}

void SequenceList::Append(const SequenceList& other)
{
    m_entries.reserve(m_entries.size() + other.size());
    for (const SequenceEntry& entry : other) {
        if (entry.IsRaw()) {
            AddRaw(entry.Time(), entry.Voice(), other.RawText(entry), entry.Source());
        } else {
            m_entries.push_back(entry);
        }
    }
}

std::string_view SequenceList::RawText(const SequenceEntry& entry) const
{
    if (!entry.IsRaw() || entry.m_gate < 0 || static_cast<size_t>(entry.m_gate) >= m_raw.size()) {
        return {};
    }
    return m_raw[static_cast<size_t>(entry.m_gate)];
}

void SequenceList::clear()
{
    m_entries.clear();
    m_raw.clear();
}

bool SequenceList::operator==(const SequenceList& other) const
{
    if (size() != other.size()) {
        return false;
    }
    for (size_t i = 0; i < size(); ++i) {
        const SequenceEntry& a = m_entries[i];
        const SequenceEntry& b = other.m_entries[i];
        if (a.IsRaw() != b.IsRaw() || a.Time() != b.Time() || a.Voice() != b.Voice() || a.Note() != b.Note() ||
            a.Gate() != b.Gate() || a.Source() != b.Source() || RawText(a) != other.RawText(b)) {
            return false;
        }
    }
    return true;
}

bool SequenceList::Less(const SequenceEntry& a, const SequenceEntry& b) const
{
    // The common case first: times 0..99999 and voices 0..9 order as numbers.
    if (a.m_time != b.m_time && a.m_time >= 0 && b.m_time >= 0 && a.m_time <= MaxSequenceTime &&
        b.m_time <= MaxSequenceTime && a.m_voice >= 0 && b.m_voice >= 0 && a.m_voice <= 9 && b.m_voice <= 9) {
        return a.m_time < b.m_time;
    }
    if (StartsInColumns(a) && StartsInColumns(b)) {
        if (a.Time() != b.Time()) {
            return CompareRightAlignedText(a.Time(), b.Time(), TimeWidth) < 0;
        }
        if (a.Voice() != b.Voice()) {
            return a.Voice() < b.Voice();
        }
        // Columns 9-10 of raw data are blank; those of an event hold at
        // least the note's last digit.
        if (a.IsRaw() != b.IsRaw()) {
            return a.IsRaw();
        }
        if (a.IsRaw()) {
            return CompareSequenceText(RawText(a), RawText(b)) < 0;
        }
        if (NoteInColumns(a) && NoteInColumns(b)) {
            if (a.Note() != b.Note()) {
                return CompareRightAlignedText(a.Note(), b.Note(), NoteWidth) < 0;
            }
            // The gate ends the line: its text compares alone, however wide.
            return CompareRightAlignedText(a.Gate(), b.Gate(), GateWidth) < 0;
        }
    }
    // Fields wider than their columns shift what follows: the texts decide.
    return SequenceTextLess(FormatSequenceLine(*this, a), FormatSequenceLine(*this, b));
}

bool SequenceList::IsSorted() const
{
    return std::is_sorted(m_entries.begin(), m_entries.end(),
                          [this](const SequenceEntry& a, const SequenceEntry& b) { return Less(a, b); });
}

void SequenceList::Sort()
{
    auto less = [this](const SequenceEntry& a, const SequenceEntry& b) { return Less(a, b); };
    // The runs already in order: the pages come one after the other, each in
    // time order, so four pages are four runs. Merging neighbouring runs
    // (stable) orders them in n log runs, with at most half a copy aside.
    std::vector<size_t> bounds{0};
    for (size_t i = 1; i < m_entries.size(); ++i) {
        if (less(m_entries[i], m_entries[i - 1])) {
            bounds.push_back(i);
        }
    }
    bounds.push_back(m_entries.size());
    const auto at = [this](size_t offset) { return m_entries.begin() + static_cast<std::ptrdiff_t>(offset); };
    while (bounds.size() > 2) {
        std::vector<size_t> merged{0};
        size_t k = 0;
        for (; k + 2 < bounds.size(); k += 2) {
            std::inplace_merge(at(bounds[k]), at(bounds[k + 1]), at(bounds[k + 2]), less);
            merged.push_back(bounds[k + 2]);
        }
        if (k + 1 < bounds.size()) {
            merged.push_back(bounds.back());  // an odd run left over waits for the next pass
        }
        bounds = std::move(merged);
    }
}

}  // namespace quaverly
