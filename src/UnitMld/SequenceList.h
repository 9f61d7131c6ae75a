// The SequenceList: the ordered list of typed entries through which events pass
// between the parser, the numeric importer, the listing of a melody image, the
// builder, the way back to score text, the report, the sequence view and the
// MIDI writer.
//
// An entry is an event (time, voice, note, gate; note -1 ends the voice, gate
// 0 is a silent event, a rest) or raw data (time, voice and the bytes as the
// hexadecimal text written between "／" delimiters), together with the place
// in a voice page that produced it. Entries that come from no page (a loaded
// melody, a numeric import) have no place.
//
// The order of the list is that of its text form (SequenceText.h), which the
// builder merges the voices by: SequenceLess gives it without making the text.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "base/Limits.h"

namespace quaverly {

// The note of an event that ends its voice.
inline constexpr int EndNote = -1;

// The characters of a voice page that produced an entry: the note head with
// its marks, length, dot, articulation and groups, or a whole raw-data block.
// page is the voice page 0..3, or -1 when the entry comes from no page;
// offset and length count bytes of the page's text as the user typed it.
struct SourceSpan {
    int page = -1;
    int offset = 0;
    int length = 0;

    bool IsSet() const { return page >= 0; }
    bool Contains(int byteOffset) const { return IsSet() && byteOffset >= offset && byteOffset < offset + length; }
    bool operator==(const SourceSpan&) const = default;
};

// The value handed out by a SequenceList: the list keeps its entries packed
// (see SequenceList::PackedEntry) and gives each back as one of these.
class SequenceEntry {
public:
    SequenceEntry() = default;
    static SequenceEntry Event(int time, int voice, int note, int gate, SourceSpan source = {})
    {
        SequenceEntry entry;
        entry.m_time = time;
        entry.m_gate = gate;
        entry.m_note = static_cast<int16_t>(note < INT16_MIN ? INT16_MIN : (note > INT16_MAX ? INT16_MAX : note));
        entry.m_voice = static_cast<int8_t>(voice < -128 ? -128 : (voice > 127 ? 127 : voice));
        // Pages 0..6 fit the three bits; any other page is no page.
        if (source.page >= 0 && source.page <= 6) {
            entry.m_flags = static_cast<uint8_t>((source.page + 1) << 1);
            entry.m_sourceOffset = source.offset;
            entry.m_sourceLength = source.length;
        }
        return entry;
    }

    int Time() const { return m_time; }
    int Voice() const { return m_voice; }
    bool IsRaw() const { return (m_flags & RawFlag) != 0; }
    bool IsEnd() const { return !IsRaw() && m_note == EndNote; }
    // Events only; raw data has note and gate 0.
    int Note() const { return IsRaw() ? 0 : m_note; }
    int Gate() const { return IsRaw() ? 0 : m_gate; }
    SourceSpan Source() const
    {
        const int page = (m_flags >> 1) - 1;
        if (page < 0) {
            return {};
        }
        return {page, m_sourceOffset, m_sourceLength};
    }

    // Two entries are equal when their time, voice, note, gate or raw data and place are.
    bool operator==(const SequenceEntry&) const = default;

private:
    friend class SequenceList;
    static constexpr uint8_t RawFlag = 0x01;

    int32_t m_time = 0;
    int32_t m_gate = 0;  // raw data: the index of its text in the list
    int16_t m_note = 0;
    int8_t m_voice = 0;
    uint8_t m_flags = 0;  // RawFlag, and the page + 1 in bits 1..3 (0: no page)
    int32_t m_sourceOffset = 0;
    int32_t m_sourceLength = 0;
};

class SequenceList {
private:
    // Twelve bytes an entry: a page of notes makes one entry per 4..8 bytes of
    // its text, so the entries are what a big page costs.
    //
    // A compact entry holds the time in full, so that times of any size order
    // and never overflow, and
    //   fields: an event's gate (bits 0..20, 0..2,097,151) and note (21..28,
    //           -128..127), or raw data's text index (0..28); the voice
    //           (29..30, 0..3) and the raw flag (31);
    //   source: 0 for no page; else bit 0 set, the page being the voice, the
    //           offset (1..24, below 16 MiB) and the length (25..31, 0..127).
    // Every other entry (a negative or huge gate, a note beyond a byte, a
    // voice beyond 0..3, a place in another page, a long span, such as a raw
    // block of 128 bytes or more, which then costs at most a quarter of its
    // characters, and the one place whose bits would all be set) is kept
    // whole in the side table: its source is WideMark and its fields the
    // index there. The index moves with the entry when the list sorts.
    struct PackedEntry {
        int32_t time;
        uint32_t fields;
        uint32_t source;
    };
    static_assert(sizeof(PackedEntry) == 12);
    static constexpr uint32_t WideMark = ~uint32_t{0};
    static constexpr uint32_t GateMask = (uint32_t{1} << 21) - 1;
    static constexpr uint32_t RawIndexMask = (uint32_t{1} << 29) - 1;
    static constexpr int NoteShift = 21;
    static constexpr int VoiceShift = 29;
    static constexpr int RawShift = 31;
    static constexpr uint32_t OffsetLimit = uint32_t{1} << 24;
    static constexpr uint32_t LengthLimit = 128;
    static constexpr int LengthShift = 25;

public:
    // Random access over the packed entries; each is read out as a value, so
    // `for (const SequenceEntry& entry : list)` binds to a temporary and no
    // reference into the list outlives its statement.
    class const_iterator {
    public:
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::input_iterator_tag;  // its reference is a value
        using value_type = SequenceEntry;
        using difference_type = std::ptrdiff_t;
        using reference = SequenceEntry;
        using pointer = void;

        const_iterator() = default;
        SequenceEntry operator*() const { return m_list->Unpack(*m_at); }
        SequenceEntry operator[](difference_type n) const { return m_list->Unpack(m_at[n]); }
        const_iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_at;
            return before;
        }
        const_iterator& operator--()
        {
            --m_at;
            return *this;
        }
        const_iterator operator--(int)
        {
            const_iterator before = *this;
            --m_at;
            return before;
        }
        const_iterator& operator+=(difference_type n)
        {
            m_at += n;
            return *this;
        }
        const_iterator& operator-=(difference_type n)
        {
            m_at -= n;
            return *this;
        }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) { return a.m_at - b.m_at; }
        bool operator==(const const_iterator& other) const { return m_at == other.m_at; }
        auto operator<=>(const const_iterator& other) const { return m_at <=> other.m_at; }

    private:
        friend class SequenceList;
        const_iterator(const SequenceList* list, const PackedEntry* at) : m_list(list), m_at(at) {}

        const SequenceList* m_list = nullptr;
        const PackedEntry* m_at = nullptr;
    };

    void AddEvent(int time, int voice, int note, int gate, SourceSpan source = {})
    {
        // Packed straight from the values: the parser adds an entry for every few bytes of a page.
        const auto voiceBits = static_cast<uint32_t>(voice);
        const auto gateBits = static_cast<uint32_t>(gate);
        bool fits = voiceBits <= 3 && gateBits <= GateMask && static_cast<uint32_t>(note) + 128 <= 255;
        uint32_t sourceBits = 0;
        if (source.page >= 0 && source.page <= 6) {
            const auto offset = static_cast<uint32_t>(source.offset);
            const auto length = static_cast<uint32_t>(source.length);
            sourceBits = 1 | (offset << 1) | (length << LengthShift);
            fits = fits && static_cast<uint32_t>(source.page) == voiceBits && offset < OffsetLimit &&
                   length < LengthLimit && sourceBits != WideMark;
        }
        if (!fits) [[unlikely]] {
            m_entries.push_back(PackWide(SequenceEntry::Event(time, voice, note, gate, source)));
            return;
        }
        const uint32_t noteBits = static_cast<uint32_t>(note) & 0xFF;
        m_entries.push_back({time, gateBits | (noteBits << NoteShift) | (voiceBits << VoiceShift), sourceBits});
    }
    void AddRaw(int time, int voice, std::string_view hex, SourceSpan source = {});
    // Appends all of other's entries (their raw data with them).
    void Append(const SequenceList& other);

    // The hexadecimal text of a raw-data entry of this list ("" for an event).
    std::string_view RawText(const SequenceEntry& entry) const;

    size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    void clear();
    void reserve(size_t count) { m_entries.reserve(count); }
    size_t capacity() const { return m_entries.capacity(); }
    SequenceEntry operator[](size_t i) const { return Unpack(m_entries[i]); }
    SequenceEntry back() const { return Unpack(m_entries.back()); }
    const_iterator begin() const { return {this, m_entries.data()}; }
    const_iterator end() const { return {this, m_entries.data() + m_entries.size()}; }

    // Equal when the entries are, raw data compared by its text.
    bool operator==(const SequenceList& other) const;

    // True when a comes before b in the list's order (the order of their text
    // forms: time, voice, then the rest of the line).
    bool Less(const SequenceEntry& a, const SequenceEntry& b) const;
    bool IsSorted() const;
    // Stable: entries that compare equal keep their order. Sorts nothing when
    // the list is already in order.
    void Sort();

private:
    bool SortByOrderKeys();
    uint64_t OrderKeyOf(const PackedEntry& packed) const;

    SequenceEntry Unpack(const PackedEntry& packed) const
    {
        // Field by field on both ways, so that where an entry is read in a
        // loop the compiler keeps the fields it uses in registers and drops the rest.
        SequenceEntry entry;
        entry.m_time = packed.time;
        if (packed.source == WideMark) [[unlikely]] {
            const SequenceEntry& wide = m_wide[packed.fields];
            entry.m_gate = wide.m_gate;
            entry.m_note = wide.m_note;
            entry.m_voice = wide.m_voice;
            entry.m_flags = wide.m_flags;
            entry.m_sourceOffset = wide.m_sourceOffset;
            entry.m_sourceLength = wide.m_sourceLength;
            return entry;
        }
        const uint32_t fields = packed.fields;
        const bool raw = (fields >> RawShift) != 0;
        const uint32_t voice = (fields >> VoiceShift) & 3;
        entry.m_gate = static_cast<int32_t>(fields & (raw ? RawIndexMask : GateMask));
        entry.m_note = raw ? int16_t{0} : static_cast<int16_t>(static_cast<int8_t>(fields >> NoteShift));
        entry.m_voice = static_cast<int8_t>(voice);
        const uint32_t spannedMask = 0 - (packed.source & 1);
        entry.m_flags = static_cast<uint8_t>(static_cast<uint32_t>(raw) | (((voice + 1) << 1) & spannedMask));
        entry.m_sourceOffset = static_cast<int32_t>((packed.source >> 1) & (OffsetLimit - 1));
        entry.m_sourceLength = static_cast<int32_t>(packed.source >> LengthShift);
        return entry;
    }
    PackedEntry Pack(const SequenceEntry& entry)
    {
        const bool raw = entry.IsRaw();
        const auto voice = static_cast<uint32_t>(entry.m_voice);
        const auto gate = static_cast<uint32_t>(entry.m_gate);
        const int page = (entry.m_flags >> 1) - 1;
        bool fits = voice <= 3 && (raw ? gate <= RawIndexMask
                                       : gate <= GateMask && entry.m_note >= INT8_MIN && entry.m_note <= INT8_MAX);
        uint32_t source = 0;
        if (page >= 0) {
            const auto offset = static_cast<uint32_t>(entry.m_sourceOffset);
            const auto length = static_cast<uint32_t>(entry.m_sourceLength);
            fits = fits && static_cast<uint32_t>(page) == voice && offset < OffsetLimit && length < LengthLimit;
            source = 1 | (offset << 1) | (length << LengthShift);
        }
        if (!fits || source == WideMark) [[unlikely]] {
            return PackWide(entry);
        }
        const uint32_t payload =
            raw ? gate : gate | (static_cast<uint32_t>(static_cast<uint8_t>(entry.m_note)) << NoteShift);
        return {entry.m_time, payload | (voice << VoiceShift) | (static_cast<uint32_t>(raw) << RawShift), source};
    }
    PackedEntry PackWide(const SequenceEntry& entry);

    std::vector<PackedEntry> m_entries;
    // The entries whose values do not fit a packed entry, whole.
    std::vector<SequenceEntry> m_wide;
    // The texts of the raw-data entries one after the other, and where each
    // ends: a page of small blocks holds millions, and a string each would
    // cost more than its text.
    std::string m_rawText;
    std::vector<uint32_t> m_rawEnds;
};

}  // namespace quaverly
