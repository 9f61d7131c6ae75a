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

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quaverly {

// Times run from 0 to 99999: the time column of the text form holds five digits.
inline constexpr int MaxSequenceTime = 99999;
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

// Twenty bytes: a long melody holds some 133,000 entries, a big page millions.
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
    SourceSpan Source() const;

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
public:
    using const_iterator = std::vector<SequenceEntry>::const_iterator;

    void AddEvent(int time, int voice, int note, int gate, SourceSpan source = {})
    {
        m_entries.push_back(SequenceEntry::Event(time, voice, note, gate, source));
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
    const SequenceEntry& operator[](size_t i) const { return m_entries[i]; }
    const SequenceEntry& back() const { return m_entries.back(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

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

    std::vector<SequenceEntry> m_entries;
    // The texts of the raw-data entries one after the other, and where each
    // ends: a page of small blocks holds millions, and a string each would
    // cost more than its text.
    std::string m_rawText;
    std::vector<uint32_t> m_rawEnds;
};

}  // namespace quaverly
