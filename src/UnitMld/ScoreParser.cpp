#include "ScoreParser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "base/Messages.h"
#include "NotationTables.h"
#include "WidthMap.h"

namespace quaverly {

namespace {

constexpr int DefaultDuration = 48;
constexpr int RestNote = 17;  // placeholder note of a rest: the builder gives rests a pitch of its own

constexpr std::string_view LengthOpen = "\x81\x69";      // （
constexpr std::string_view LengthClose = "\x81\x6A";     // ）
constexpr std::string_view GateOpen = "\x81\x6D";        // ［
constexpr std::string_view GateClose = "\x81\x6E";       // ］
constexpr std::string_view RawDelimiter = "\x81\x5E";    // ／
constexpr std::string_view WideBlank = "\x81\x40";       // 　
constexpr std::string_view RestName = "\x81\x9C";        // ●

constexpr int RestValue = -1;
constexpr int RawDataValue = -2;
constexpr uint8_t NoEntry = 0xFF;

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Event lines hold ints; values built from huge groups are kept in 64 bits and
// saturate here instead of overflowing.
int Saturate(int64_t value)
{
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Whether the text starts with the symbol. Symbols are a few bytes long and
// this runs at every character of a page, so it compares byte by byte.
bool StartsWith(std::string_view text, std::string_view symbol)
{
    if (text.size() < symbol.size()) {
        return false;
    }
    for (size_t i = 0; i < symbol.size(); ++i) {
        if (text[i] != symbol[i]) {
            return false;
        }
    }
    return true;
}

// A notation table with the first two bytes of each text as one number, and
// for every such number the first entry whose text starts with it. The scan
// tries the tables at every character of a page; one lookup takes it to the
// entries that can match there. Every text of the tables is at least two bytes long.
template <size_t N>
class KeyedTable {
public:
    static_assert(N < NoEntry);

    explicit KeyedTable(const std::array<TMLDConst, N>& table) : m_table(table)
    {
        m_first.fill(NoEntry);
        for (size_t i = N; i-- > 0;) {
            m_keys[i] = KeyAt(table[i].text);
            m_first[m_keys[i]] = static_cast<uint8_t>(i);
        }
    }

    // The first entry whose text starts the rest of the text.
    const TMLDConst* Match(std::string_view rest, bool skipRawDelimiter = false) const
    {
        const uint16_t key = KeyAt(rest);
        for (size_t i = m_first[key]; i < N; ++i) {
            if (m_keys[i] == key && StartsWith(rest, m_table[i].text) &&
                !(skipRawDelimiter && m_table[i].value == RawDataValue)) {
                return &m_table[i];
            }
        }
        return nullptr;
    }

private:
    // A text shorter than two bytes gets 0, which starts no entry.
    static uint16_t KeyAt(std::string_view text)
    {
        return text.size() < 2 ? 0
                               : static_cast<uint16_t>(static_cast<unsigned char>(text[0]) << 8 |
                                                       static_cast<unsigned char>(text[1]));
    }

    const std::array<TMLDConst, N>& m_table;
    std::array<uint16_t, N> m_keys{};
    std::array<uint8_t, 65536> m_first{};
};

// Built once: each holds a lookup of 64 KB.
const KeyedTable<NoteHeadTable.size()>& Heads()
{
    static const KeyedTable<NoteHeadTable.size()> table{NoteHeadTable};
    return table;
}
const KeyedTable<DurationTable.size()>& Durations()
{
    static const KeyedTable<DurationTable.size()> table{DurationTable};
    return table;
}
const KeyedTable<PitchMarkTable.size()>& PitchMarks()
{
    static const KeyedTable<PitchMarkTable.size()> table{PitchMarkTable};
    return table;
}
const KeyedTable<ArticulationTable.size()>& Articulations()
{
    static const KeyedTable<ArticulationTable.size()> table{ArticulationTable};
    return table;
}

// The canonical texts the scan writes for every note, looked up in one place:
// a page of 133,000 notes spells as many names and lengths.
struct CanonicalSpellings {
    std::array<std::string_view, 64> notes{};
    // The lengths of the table fall in 3..192; each has its first spelling here.
    std::array<std::string_view, 193> durations{};
};

const CanonicalSpellings& Spellings()
{
    static const CanonicalSpellings spellings = [] {
        CanonicalSpellings made;
        for (size_t note = 0; note < made.notes.size(); ++note) {
            made.notes[note] = NoteName(static_cast<int>(note));
        }
        for (const TMLDConst& entry : DurationTable) {
            if (entry.value >= 0 && static_cast<size_t>(entry.value) < made.durations.size() &&
                made.durations[static_cast<size_t>(entry.value)].empty()) {
                made.durations[static_cast<size_t>(entry.value)] = entry.text;
            }
        }
        return made;
    }();
    return spellings;
}

// What may start at a position, by its first two bytes: one lookup tells the
// scan which tables can match there at all, so the tables are walked only
// where a symbol of theirs starts, and at most characters of a page not at all.
enum SymbolKind : uint8_t {
    HeadKind = 0x01,
    DurationKind = 0x02,
    PitchMarkKind = 0x04,
    ArticulationKind = 0x08,
    LengthOpenKind = 0x10,
    GateOpenKind = 0x20,
    MarkKinds = DurationKind | PitchMarkKind | ArticulationKind | LengthOpenKind | GateOpenKind,
};

uint16_t KeyOf(std::string_view text)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(text[0]) << 8 | static_cast<unsigned char>(text[1]));
}

using SymbolKinds = std::array<uint8_t, 65536>;

const SymbolKinds& SymbolKindsByKey()
{
    static const SymbolKinds kinds = [] {
        SymbolKinds table{};
        auto mark = [&table](std::string_view text, uint8_t kind) { table[KeyOf(text)] |= kind; };
        for (const TMLDConst& entry : NoteHeadTable) {
            mark(entry.text, HeadKind);
        }
        for (const TMLDConst& entry : DurationTable) {
            mark(entry.text, DurationKind);
        }
        for (const TMLDConst& entry : PitchMarkTable) {
            mark(entry.text, PitchMarkKind);
        }
        for (const TMLDConst& entry : ArticulationTable) {
            mark(entry.text, ArticulationKind);
        }
        mark(LengthOpen, LengthOpenKind);
        mark(GateOpen, GateOpenKind);
        return table;
    }();
    return kinds;
}

// Whether the full-width mapping leaves the page as it is (no printable
// ASCII, blank or half-width kana outside double-byte characters): the scan
// then reads the page itself, and its offsets are the page's.
bool FullWidthUnchanged(std::string_view text)
{
    size_t i = 0;
    const size_t size = text.size();
    while (i < size) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            i += 2;
        } else if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF)) {
            return false;
        } else {
            ++i;
        }
    }
    return true;
}

// The scan state of one ParseScore call.
class ScoreScan {
public:
    // text: the page mapped to full width, or the page itself when the mapping leaves it as it is.
    ScoreScan(std::string_view page, std::string_view text, int voice, SequenceList& list, bool extendedNotation,
              DiagnosticSink* sink)
        : m_page(page), m_text(text), m_identity(text.data() == page.data()), m_offsets(page), m_voice(voice),
          m_list(list), m_extendedNotation(extendedNotation), m_sink(sink)
    {
    }

    std::string Run();

private:
    uint8_t KindsAt(size_t position) const
    {
        return position + 1 < m_text.size() ? m_kinds[KeyOf(m_text.substr(position))] : 0;
    }
    bool AtHead();
    bool AtMark(uint8_t kinds);
    bool AcceptMark(uint8_t kinds);
    void SkipCharacter();
    void Flush();
    void ReadRawBlock();
    std::optional<int32_t> ReadGroup(std::string_view close, size_t& end) const;
    SourceSpan PageSpan(size_t start, size_t end);

    // Diagnostics are noted with offsets into m_text as the scan meets them,
    // which is not in the order of their places, and turned into places in
    // the page once the scan is done.
    struct Noted {
        DiagnosticKind kind;
        size_t start;
        size_t end;
        std::string_view suffix;
        std::string clampedTo;  // RangeClamped: the note the notes became
    };
    void Note(DiagnosticKind kind, size_t start, size_t end, std::string_view suffix, std::string clampedTo = {});
    void NoteSkipped();
    void EndSkippedRun();
    size_t GroupEnd(std::string_view open, std::string_view close) const;
    void ReportNoted();

    const KeyedTable<NoteHeadTable.size()>& m_heads = Heads();
    const KeyedTable<DurationTable.size()>& m_durations = Durations();
    const KeyedTable<PitchMarkTable.size()>& m_pitchMarks = PitchMarks();
    const KeyedTable<ArticulationTable.size()>& m_articulations = Articulations();

    std::string_view m_page;  // as typed
    std::string_view m_text;  // already mapped to full width
    bool m_identity;             // m_text is the page: offsets need no mapping
    FullWidthOffsets m_offsets;  // from m_text back to the page as typed
    const SymbolKinds& m_kinds = SymbolKindsByKey();
    const CanonicalSpellings& m_spellings = Spellings();
    int m_voice;
    SequenceList& m_list;
    bool m_extendedNotation;
    DiagnosticSink* m_sink;  // none: nothing is noted
    std::vector<Noted> m_noted;
    // The run of skipped characters not yet noted, and the end of the last
    // group or raw block noted, inside which skipped characters are not noted again.
    size_t m_skipStart = 0;
    size_t m_skipEnd = 0;
    size_t m_coveredEnd = 0;

    size_t m_position = 0;
    int64_t m_time = 0;
    int64_t m_pendingValue = 0;  // 0 nothing, -1 a rest, else the pitch value (note number + 1)
    int64_t m_pendingDuration = -1;
    int64_t m_articulation = 0;  // 0 normal, 1 staccato, 2 tie, else the negated gate of a gate group
    // The pending note's characters in m_text: its head up to the end of its last mark.
    size_t m_headAt = 0;
    size_t m_marksEnd = 0;
    bool m_markContext = false;
    std::string m_canonical;
};

std::string ScoreScan::Run()
{
    // The canonical spelling of a page is about as long as the page.
    m_canonical.reserve(m_text.size() + 16);
    while (m_position < m_text.size()) {
        const uint8_t kinds = KindsAt(m_position);
        if ((kinds & HeadKind) != 0 && AtHead()) {
            continue;
        }
        if (m_markContext && (kinds & MarkKinds) != 0 && AtMark(kinds)) {
            continue;
        }
        SkipCharacter();
    }
    if (m_pendingValue != 0) {
        Flush();
        m_list.AddEvent(Saturate(m_time), m_voice, EndNote, 0);
    }
    if (m_sink != nullptr) {
        EndSkippedRun();
        ReportNoted();
    }
    return std::move(m_canonical);
}

bool ScoreScan::AtHead()
{
    const TMLDConst* head = m_heads.Match(m_text.substr(m_position), !m_extendedNotation);
    if (head == nullptr) {
        return false;
    }
    if (m_pendingValue != 0) {
        Flush();
    }
    m_pendingValue = head->value;
    if (m_pendingValue == RawDataValue) {
        ReadRawBlock();
        return true;
    }
    m_pendingDuration = -1;
    m_articulation = 0;
    m_headAt = m_position;
    m_position += head->text.size();
    m_marksEnd = m_position;
    m_markContext = true;
    return true;
}

bool ScoreScan::AtMark(uint8_t kinds)
{
    const bool accepted = AcceptMark(kinds);
    if (accepted) {
        m_marksEnd = m_position;
    }
    return accepted;
}

bool ScoreScan::AcceptMark(uint8_t kinds)
{
    const std::string_view rest = m_text.substr(m_position);
    if ((kinds & DurationKind) != 0 && m_pendingValue != 0 && m_pendingDuration == -1) {
        if (const TMLDConst* duration = m_durations.Match(rest)) {
            m_pendingDuration = duration->value;
            m_position += duration->text.size();
            return true;
        }
    }
    if ((kinds & PitchMarkKind) != 0) {
        if (const TMLDConst* mark = m_pitchMarks.Match(rest)) {
            m_pendingValue += mark->value;
            m_position += mark->text.size();
            return true;
        }
    }
    if ((kinds & ArticulationKind) != 0) {
        if (const TMLDConst* articulation = m_articulations.Match(rest)) {
            m_articulation = articulation->value;
            m_position += articulation->text.size();
            return true;
        }
    }
    size_t end = 0;
    if ((kinds & LengthOpenKind) != 0 && StartsWith(rest, LengthOpen)) {
        if (std::optional<int32_t> ticks = ReadGroup(LengthClose, end)) {
            m_pendingDuration = *ticks;
            m_position = end;
            return true;
        }
    }
    if ((kinds & GateOpenKind) != 0 && StartsWith(rest, GateOpen)) {
        if (std::optional<int32_t> gate = ReadGroup(GateClose, end)) {
            m_articulation = -static_cast<int64_t>(*gate);
            m_position = end;
            return true;
        }
    }
    return false;
}

void ScoreScan::SkipCharacter()
{
    if (m_sink != nullptr) {
        NoteSkipped();
    }
    const auto c = static_cast<unsigned char>(m_text[m_position]);
    if (IsLeadByte(c)) {
        if (m_text.substr(m_position, 2) != WideBlank) {
            m_markContext = false;
        }
        m_position = std::min(m_position + 2, m_text.size());
    } else {
        if (c != ' ') {
            m_markContext = false;
        }
        ++m_position;
    }
}

// A group is the opening bracket at the position, the text up to the first
// closing bracket after it, and that bracket; it is accepted when that text,
// mapped to half width, is an optionally signed decimal integer of 32 bits.
//
// Such a text holds only digits and sign characters, and none of them can hold
// the bytes of a closing bracket, so the group is accepted exactly when a run
// of them starts right after the opening bracket and the closing bracket comes
// right after the run. Walking only that run keeps the scan linear, where a
// search for the closing bracket from every opening one would not be.
std::optional<int32_t> ScoreScan::ReadGroup(std::string_view close, size_t& end) const
{
    size_t i = m_position + 2;
    bool negative = false;
    bool signAllowed = true;
    bool anyDigit = false;
    int64_t value = 0;
    while (i < m_text.size()) {
        const auto c = static_cast<unsigned char>(m_text[i]);
        const auto next = i + 1 < m_text.size() ? static_cast<unsigned char>(m_text[i + 1]) : 0;
        int digit = -1;
        int sign = 0;
        size_t length = 1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c == '+' || c == '-') {
            sign = c == '-' ? -1 : 1;
        } else if (c == 0x82 && next >= 0x4F && next <= 0x58) {  // ０..９
            digit = next - 0x4F;
            length = 2;
        } else if (c == 0x81 && (next == 0x7B || next == 0x7C)) {  // ＋ －
            sign = next == 0x7C ? -1 : 1;
            length = 2;
        } else {
            break;
        }
        if (sign != 0) {
            if (!signAllowed) {
                return std::nullopt;
            }
            negative = sign < 0;
        } else {
            anyDigit = true;
            value = value * 10 + digit;
            if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
                return std::nullopt;
            }
        }
        signAllowed = false;
        i += length;
    }
    if (!anyDigit || m_text.substr(i, close.size()) != close) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    end = i + close.size();
    return static_cast<int32_t>(value);
}

void ScoreScan::Flush()
{
    if (m_pendingDuration == -1) {
        m_pendingDuration = DefaultDuration;
    }
    int64_t duration = m_pendingDuration;
    if (m_pendingValue == RestValue) {
        // A rest keeps its length as given, even a negative one.
        if (m_sink != nullptr && duration < 0) {
            Note(DiagnosticKind::ValueMended, m_headAt, m_marksEnd, Msg::DiagnosticNegativeRest);
        }
        m_list.AddEvent(Saturate(m_time), m_voice, RestNote, 0, PageSpan(m_headAt, m_marksEnd));
        m_canonical += RestName;
        AppendDurationText(m_canonical, Saturate(duration));
        m_time += duration;
        return;
    }
    int64_t gate = 0;
    const bool articulated = m_articulation >= NormalArticulation && m_articulation <= TieArticulation;
    if (articulated) {
        gate = ArticulatedGate(duration, static_cast<int>(m_articulation));
    } else {
        gate = m_articulation;
    }
    duration = std::max<int64_t>(duration, 0);
    gate = gate < 0 ? -gate : gate;
    const int highest = m_voice == 3 ? 62 : 63;
    const int note = static_cast<int>(std::clamp<int64_t>(m_pendingValue - 1, 0, highest));
    if (m_sink != nullptr) {
        if (note != m_pendingValue - 1) {
            Note(DiagnosticKind::RangeClamped, m_headAt, m_marksEnd, Msg::DiagnosticClamped, std::string(NoteName(note)));
        }
        if (duration == 0) {
            Note(DiagnosticKind::ValueMended, m_headAt, m_marksEnd, Msg::DiagnosticZeroLength);
        }
    }
    m_list.AddEvent(Saturate(m_time), m_voice, note, Saturate(gate), PageSpan(m_headAt, m_marksEnd));
    m_canonical += m_spellings.notes[static_cast<size_t>(note)];
    const int ticks = Saturate(duration);
    if (ticks < static_cast<int>(m_spellings.durations.size()) && !m_spellings.durations[static_cast<size_t>(ticks)].empty()) {
        m_canonical += m_spellings.durations[static_cast<size_t>(ticks)];
    } else {
        AppendDurationText(m_canonical, ticks);
    }
    if (articulated) {
        m_canonical += ArticulationMark(static_cast<int>(m_articulation));
    } else {
        m_canonical += GateGroupText(-m_articulation);
    }
    m_time += duration;
}

// "／" hex text "／": bytes placed among the voice's events at the current
// time. An unclosed block is dropped and its text read as ordinary score.
void ScoreScan::ReadRawBlock()
{
    m_pendingValue = 0;
    m_pendingDuration = -1;
    m_articulation = 0;
    m_markContext = false;
    const size_t start = m_position + RawDelimiter.size();
    m_position = start;
    const size_t close = m_text.find(RawDelimiter, start);
    if (close == std::string_view::npos) {
        if (m_sink != nullptr) {
            Note(DiagnosticKind::RawDataIgnored, start - RawDelimiter.size(), start, Msg::DiagnosticRawUnclosed);
        }
        return;
    }
    const std::string collected = MapWidth(m_text.substr(start, close - start), WidthDirection::Half);
    m_canonical += '/';
    m_canonical += collected;
    m_canonical += '/';
    m_list.AddRaw(Saturate(m_time), m_voice, collected, PageSpan(start - RawDelimiter.size(), close + RawDelimiter.size()));
    m_position = close + RawDelimiter.size();
}

SourceSpan ScoreScan::PageSpan(size_t start, size_t end)
{
    if (m_identity) {
        return {m_voice, static_cast<int>(start), static_cast<int>(end - start)};
    }
    const size_t first = m_offsets.SourceOffset(start);
    const size_t last = m_offsets.SourceOffset(end);
    return {m_voice, static_cast<int>(first), static_cast<int>(last - first)};
}

void ScoreScan::Note(DiagnosticKind kind, size_t start, size_t end, std::string_view suffix, std::string clampedTo)
{
    m_noted.push_back({kind, start, end, suffix, std::move(clampedTo)});
}

bool IsBlank(std::string_view rest)
{
    const char c = rest[0];
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || StartsWith(rest, WideBlank);
}

// The character at m_position is skipped. A bracket or raw-data delimiter
// that was not taken is noted as the group or block it opens; other
// characters join the run of skipped characters, which blanks end.
void ScoreScan::NoteSkipped()
{
    const std::string_view rest = m_text.substr(m_position);
    if (m_position < m_coveredEnd) {
        EndSkippedRun();
        return;
    }
    size_t coveredEnd = 0;
    DiagnosticKind kind = DiagnosticKind::MalformedGroup;
    std::string_view suffix = Msg::DiagnosticMalformedGroup;
    if (StartsWith(rest, LengthOpen)) {
        coveredEnd = GroupEnd(LengthOpen, LengthClose);
    } else if (StartsWith(rest, GateOpen)) {
        coveredEnd = GroupEnd(GateOpen, GateClose);
    } else if (!m_extendedNotation && StartsWith(rest, RawDelimiter)) {
        const size_t close = m_text.find(RawDelimiter, m_position + RawDelimiter.size());
        coveredEnd = close == std::string_view::npos ? m_position + RawDelimiter.size() : close + RawDelimiter.size();
        kind = DiagnosticKind::RawDataIgnored;
        suffix = Msg::DiagnosticRawOutside;
    }
    if (coveredEnd != 0) {
        EndSkippedRun();
        Note(kind, m_position, coveredEnd, suffix);
        m_coveredEnd = coveredEnd;
        return;
    }
    if (IsBlank(rest)) {
        EndSkippedRun();
        return;
    }
    const size_t length = IsLeadByte(static_cast<unsigned char>(rest[0])) ? std::min<size_t>(2, rest.size()) : 1;
    if (m_skipEnd != m_position) {
        EndSkippedRun();
        m_skipStart = m_position;
    }
    m_skipEnd = m_position + length;
}

void ScoreScan::EndSkippedRun()
{
    if (m_skipEnd > m_skipStart) {
        Note(DiagnosticKind::SkippedCharacters, m_skipStart, m_skipEnd, Msg::DiagnosticSkipped);
    }
    m_skipStart = m_skipEnd = 0;
}

// The end of the group opened at m_position as it was meant: up to its
// closing bracket when that comes on the same line before another group,
// else the digits and signs right after the opening bracket.
size_t ScoreScan::GroupEnd(std::string_view open, std::string_view close) const
{
    size_t i = m_position + open.size();
    size_t numberEnd = i;
    bool inNumber = true;
    while (i < m_text.size()) {
        const std::string_view rest = m_text.substr(i);
        if (StartsWith(rest, close)) {
            return i + close.size();
        }
        const auto c = static_cast<unsigned char>(rest[0]);
        if (c == '\r' || c == '\n' || StartsWith(rest, LengthOpen) || StartsWith(rest, GateOpen)) {
            break;
        }
        const size_t length = IsLeadByte(c) ? std::min<size_t>(2, rest.size()) : 1;
        const bool numberCharacter = (c >= '0' && c <= '9') || c == '+' || c == '-' ||
                                     (c == 0x82 && length == 2 && rest[1] >= 0x4F && rest[1] <= 0x58) ||
                                     (c == 0x81 && length == 2 && (rest[1] == 0x7B || rest[1] == 0x7C));
        inNumber = inNumber && numberCharacter;
        i += length;
        if (inNumber) {
            numberEnd = i;
        }
    }
    return numberEnd;
}

// Offsets into m_text become places in the page: FullWidthOffsets walks the
// page once, so all offsets are turned in increasing order.
void ScoreScan::ReportNoted()
{
    std::vector<size_t> offsets;
    offsets.reserve(m_noted.size() * 2);
    for (const Noted& noted : m_noted) {
        offsets.push_back(noted.start);
        offsets.push_back(noted.end);
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    std::vector<size_t> pageOffsets;
    pageOffsets.reserve(offsets.size());
    FullWidthOffsets mapping(m_page);
    for (size_t offset : offsets) {
        pageOffsets.push_back(offset >= m_text.size() ? m_page.size() : mapping.SourceOffset(offset));
    }
    auto pageOffset = [&](size_t offset) {
        return pageOffsets[static_cast<size_t>(std::lower_bound(offsets.begin(), offsets.end(), offset) - offsets.begin())];
    };
    std::stable_sort(m_noted.begin(), m_noted.end(), [](const Noted& a, const Noted& b) { return a.start < b.start; });
    for (const Noted& noted : m_noted) {
        const size_t first = pageOffset(noted.start);
        const size_t last = pageOffset(noted.end);
        const SourceSpan span{m_voice, static_cast<int>(first), static_cast<int>(last - first)};
        std::string suffix(noted.suffix);
        if (noted.kind == DiagnosticKind::RangeClamped) {
            suffix += noted.clampedTo;
            suffix += Msg::DiagnosticClampedEnd;
        }
        m_sink->Add(noted.kind, span, m_page.substr(first, last - first), suffix);
    }
}

}  // namespace

std::string ParseScore(std::string_view text, int voice, SequenceList& list, bool extendedNotation,
                       DiagnosticSink* diagnostics)
{
    // Room for an event in every four bytes of the page, more than written
    // notes make ("ド６４" is six bytes): what the events leave of it is
    // never touched, and the list does not copy itself to grow on the way.
    const size_t room = list.size() + text.size() / 4 + 1;
    if (list.capacity() < room) {
        list.reserve(room);
    }
    if (FullWidthUnchanged(text)) {
        return ScoreScan(text, text, voice, list, extendedNotation, diagnostics).Run();
    }
    const std::string fullWidth = MapWidth(text, WidthDirection::Full);
    return ScoreScan(text, fullWidth, voice, list, extendedNotation, diagnostics).Run();
}

void AppendDurationText(std::string& text, int ticks)
{
    const CanonicalSpellings& spellings = Spellings();
    if (ticks >= 0 && ticks < static_cast<int>(spellings.durations.size()) &&
        !spellings.durations[static_cast<size_t>(ticks)].empty()) {
        text += spellings.durations[static_cast<size_t>(ticks)];
        return;
    }
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "(%d)", ticks);
    text.append(buffer, static_cast<size_t>(length));
}

std::string DurationText(int ticks)
{
    std::string text;
    AppendDurationText(text, ticks);
    return text;
}

}  // namespace quaverly
