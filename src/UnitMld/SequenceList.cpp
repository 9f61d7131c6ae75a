#include "SequenceList.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <stdexcept>

#include "SequenceText.h"

namespace quaverly {

namespace {

// Columns of the text form: five for the time, one for the voice, two for the note, three for the gate.
constexpr int TimeWidth = 5;
constexpr int NoteWidth = 2;
constexpr int GateWidth = 3;

// Whether the time and the voice fill exactly their columns, so that the rest
// of the two lines starts at the same column.
bool StartsInColumns(const SequenceEntry& entry)
{
    return entry.Time() >= LowestSequenceTime && entry.Time() <= MaxSequenceTime && entry.Voice() >= 0 &&
           entry.Voice() <= 9;
}

bool NoteInColumns(const SequenceEntry& entry) { return entry.Note() >= -9 && entry.Note() <= 99; }

// The order of the right-aligned texts of the notes -9..99 in two columns:
// " 0".." 9", then "-1".."-9" (the minus after the blank), then "10".."99".
constexpr int NoteRank(int note)
{
    if (note < 0) {
        return 9 - note;
    }
    return note <= 9 ? note : note + 9;
}

constexpr uint64_t NoOrderKey = ~uint64_t{0};
constexpr int GateBits = 10;
constexpr int NoteRankBits = 7;
constexpr int VoiceBits = 4;

// One number that orders events whose fields all fill exactly their columns
// (times 0..99999, voices 0..9, notes -9..99, gates 0..999) as their lines
// do: time, voice, note text, gate. NoOrderKey for any other entry, which
// its text decides.
uint64_t OrderKey(const SequenceEntry& entry)
{
    const int time = entry.Time();
    const int voice = entry.Voice();
    const int note = entry.Note();
    const int gate = entry.Gate();
    if (entry.IsRaw() || time < 0 || time > MaxSequenceTime || voice < 0 || voice > 9 || note < -9 || note > 99 ||
        gate < 0 || gate > 999) {
        return NoOrderKey;
    }
    return static_cast<uint64_t>(time) << (VoiceBits + NoteRankBits + GateBits) |
           static_cast<uint64_t>(voice) << (NoteRankBits + GateBits) | static_cast<uint64_t>(NoteRank(note)) << GateBits |
           static_cast<uint64_t>(gate);
}

// Out of line, so that the key of a packed entry stays small enough to inline.
[[gnu::noinline]] uint64_t WideOrderKey(const SequenceEntry& entry) { return OrderKey(entry); }

constexpr uint8_t NoRank = 0xFF;

// NoteRank of each note -128..127 by its byte, NoRank for notes beyond -9..99.
constexpr std::array<uint8_t, 256> NoteRanksByByte = [] {
    std::array<uint8_t, 256> ranks{};
    for (int note = -128; note <= 127; ++note) {
        ranks[static_cast<uint8_t>(note)] = note >= -9 && note <= 99 ? static_cast<uint8_t>(NoteRank(note)) : NoRank;
    }
    return ranks;
}();

// Merges neighbouring runs of values (bounds: the start of each run, then the
// end) until one is left: stable, in n log runs.
template <typename Value, typename Less>
void MergeRuns(std::vector<Value>& values, std::vector<size_t> bounds, Less less)
{
    const auto at = [&values](size_t offset) { return values.begin() + static_cast<std::ptrdiff_t>(offset); };
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

}  // namespace

SequenceList::PackedEntry SequenceList::PackWide(const SequenceEntry& entry)
{
    if (m_wide.size() >= std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("more than 4 G wide entries in one sequence list");
    }
    m_wide.push_back(entry);
    return {entry.m_time, static_cast<uint32_t>(m_wide.size() - 1), WideMark};
}

void SequenceList::AddRaw(int time, int voice, std::string_view hex, SourceSpan source)
{
    if (m_rawText.size() + hex.size() > std::numeric_limits<uint32_t>::max() ||
        m_rawEnds.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw std::length_error("raw data beyond 4 GB in one sequence list");
    }
    SequenceEntry entry = SequenceEntry::Event(time, voice, 0, static_cast<int32_t>(m_rawEnds.size()), source);
    entry.m_flags |= SequenceEntry::RawFlag;
    m_rawText += hex;
    m_rawEnds.push_back(static_cast<uint32_t>(m_rawText.size()));
    m_entries.push_back(Pack(entry));
}

void SequenceList::Append(const SequenceList& other)
{
    if (other.m_wide.empty() && other.m_rawEnds.empty()) {
        // Packed entries that point at no side table are the same in any list.
        m_entries.insert(m_entries.end(), other.m_entries.begin(), other.m_entries.end());
        return;
    }
    m_entries.reserve(m_entries.size() + other.size());
    for (const SequenceEntry& entry : other) {
        if (entry.IsRaw()) {
            AddRaw(entry.Time(), entry.Voice(), other.RawText(entry), entry.Source());
        } else {
            m_entries.push_back(Pack(entry));
        }
    }
}

std::string_view SequenceList::RawText(const SequenceEntry& entry) const
{
    if (!entry.IsRaw() || entry.m_gate < 0 || static_cast<size_t>(entry.m_gate) >= m_rawEnds.size()) {
        return {};
    }
    const auto index = static_cast<size_t>(entry.m_gate);
    const size_t begin = index == 0 ? 0 : m_rawEnds[index - 1];
    return std::string_view(m_rawText).substr(begin, m_rawEnds[index] - begin);
}

void SequenceList::clear()
{
    m_entries.clear();
    m_wide.clear();
    m_rawText.clear();
    m_rawEnds.clear();
}

bool SequenceList::operator==(const SequenceList& other) const
{
    if (size() != other.size()) {
        return false;
    }
    for (size_t i = 0; i < size(); ++i) {
        const SequenceEntry a = (*this)[i];
        const SequenceEntry b = other[i];
        if (a.IsRaw() != b.IsRaw() || a.Time() != b.Time() || a.Voice() != b.Voice() || a.Note() != b.Note() ||
            a.Gate() != b.Gate() || a.Source() != b.Source() || RawText(a) != other.RawText(b)) {
            return false;
        }
    }
    return true;
}

bool SequenceList::Less(const SequenceEntry& a, const SequenceEntry& b) const
{
    // The common case first: plain events order by one number.
    const uint64_t keyA = OrderKey(a);
    const uint64_t keyB = OrderKey(b);
    if (keyA != NoOrderKey && keyB != NoOrderKey) {
        return keyA < keyB;
    }
    // Times 0..99999 and voices 0..9 order as numbers.
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
    for (size_t i = 1; i < m_entries.size(); ++i) {
        if (Less(Unpack(m_entries[i]), Unpack(m_entries[i - 1]))) {
            return false;
        }
    }
    return true;
}

void SequenceList::Sort()
{
    if (SortByOrderKeys()) {
        return;
    }
    auto less = [this](const PackedEntry& a, const PackedEntry& b) { return Less(Unpack(a), Unpack(b)); };
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
    MergeRuns(m_entries, bounds, less);
}

// OrderKey of a packed entry, read from its bits without unpacking it.
inline uint64_t SequenceList::OrderKeyOf(const PackedEntry& packed) const
{
    if (packed.source == WideMark) [[unlikely]] {
        return WideOrderKey(m_wide[packed.fields]);
    }
    const uint32_t fields = packed.fields;
    const auto time = static_cast<uint32_t>(packed.time);
    const uint32_t gate = fields & GateMask;
    const uint32_t rank = NoteRanksByByte[(fields >> NoteShift) & 0xFF];
    // Raw data, or a field beyond its columns (a voice 0..3 never is).
    if (((fields >> RawShift) != 0) | (time > MaxSequenceTime) | (gate > 999) | (rank == NoRank)) {
        return NoOrderKey;
    }
    return static_cast<uint64_t>(time) << (VoiceBits + NoteRankBits + GateBits) |
           static_cast<uint64_t>((fields >> VoiceShift) & 3) << (NoteRankBits + GateBits) |
           static_cast<uint64_t>(rank) << GateBits | gate;
}

// When every entry is a plain event and the list is a few runs in order (the
// pages of a melody, each in time order), the runs merge in one pass by their
// keys into a new list: linear, and equal entries keep their order, as the
// earlier run wins a tie.
bool SequenceList::SortByOrderKeys()
{
    constexpr size_t MaxRuns = 8;
    std::array<size_t, MaxRuns + 1> starts{};
    size_t runs = 1;
    uint64_t previous = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const uint64_t key = OrderKeyOf(m_entries[i]);
        if (key == NoOrderKey) {
            return false;
        }
        if (key < previous) {
            if (runs == MaxRuns) {
                return false;
            }
            starts[runs++] = i;
        }
        previous = key;
    }
    if (runs == 1) {
        return true;  // already in order
    }
    starts[runs] = m_entries.size();
    std::array<size_t, MaxRuns> next{};
    std::array<uint64_t, MaxRuns> head{};
    for (size_t r = 0; r < runs; ++r) {
        next[r] = starts[r];
        head[r] = OrderKeyOf(m_entries[starts[r]]);
    }
    std::vector<PackedEntry> merged;
    merged.reserve(m_entries.size());
    for (size_t count = 0; count < m_entries.size(); ++count) {
        // Chosen without branches: which run comes next is not predictable.
        size_t chosen = 0;
        uint64_t lowest = head[0];
        for (size_t r = 1; r < runs; ++r) {
            const bool lower = head[r] < lowest;
            lowest = lower ? head[r] : lowest;
            chosen = lower ? r : chosen;
        }
        merged.push_back(m_entries[next[chosen]]);
        // A run that is used up keeps NoOrderKey, above every key.
        ++next[chosen];
        head[chosen] = next[chosen] < starts[chosen + 1] ? OrderKeyOf(m_entries[next[chosen]]) : NoOrderKey;
    }
    m_entries = std::move(merged);
    return true;
}

}  // namespace quaverly
