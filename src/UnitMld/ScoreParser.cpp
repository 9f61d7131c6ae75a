#include "ScoreParser.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

#include "base/Messages.h"
#include "NotationTables.h"
#include "NoteRules.h"
#include "WidthMap.h"

namespace quaverly {

namespace {

constexpr int DefaultDuration = 48;

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
            const std::string_view text = table[i].text;
            m_allShort = m_allShort && text.size() <= sizeof(uint64_t);
            for (size_t b = 0; b < std::min(text.size(), sizeof(uint64_t)); ++b) {
                m_words[i] |= uint64_t{static_cast<unsigned char>(text[b])} << (8 * b);
                m_masks[i] |= uint64_t{0xFF} << (8 * b);
            }
        }
    }

    // The first entry whose text starts the rest of the text.
    const TMLDConst* Match(std::string_view rest, bool skipRawDelimiter = false) const
    {
        const uint16_t key = KeyAt(rest);
        if (m_allShort && rest.size() >= sizeof(uint64_t)) {
            // Every text is at most eight bytes: one masked compare of the next eight tells a match.
            uint64_t word = 0;
            for (size_t b = 0; b < sizeof(uint64_t); ++b) {
                word |= uint64_t{static_cast<unsigned char>(rest[b])} << (8 * b);
            }
            return First(key, skipRawDelimiter, [&](size_t i) { return (word & m_masks[i]) == m_words[i]; });
        }
        return First(key, skipRawDelimiter, [&](size_t i) { return StartsWith(rest, m_table[i].text); });
    }

private:
    // The first entry of the key whose text matches, by startsAt(entry).
    template <typename StartsAt>
    const TMLDConst* First(uint16_t key, bool skipRawDelimiter, StartsAt startsAt) const
    {
        for (size_t i = m_first[key]; i < N; ++i) {
            if (m_keys[i] == key && startsAt(i) && !(skipRawDelimiter && m_table[i].value == RawDataValue)) {
                return &m_table[i];
            }
        }
        return nullptr;
    }

    // A text shorter than two bytes gets 0, which starts no entry.
    static uint16_t KeyAt(std::string_view text)
    {
        return text.size() < 2 ? 0
                               : static_cast<uint16_t>(static_cast<unsigned char>(text[0]) << 8 |
                                                       static_cast<unsigned char>(text[1]));
    }

    const std::array<TMLDConst, N>& m_table;
    std::array<uint16_t, N> m_keys{};
    // Each text's bytes as a little-endian number, and which bytes it has.
    std::array<uint64_t, N> m_words{};
    std::array<uint64_t, N> m_masks{};
    bool m_allShort = true;
    std::array<uint8_t, 65536> m_first{};
};

// Built once for each notation table: each holds a lookup of 64 KB.
template <const auto& Table>
const auto& Keyed()
{
    static const KeyedTable<std::tuple_size_v<std::remove_cvref_t<decltype(Table)>>> table{Table};
    return table;
}

// The canonical texts the scan writes for every note, looked up in one place:
// a page of 133,000 notes spells as many names and lengths. Each is kept in a
// fixed room, so that a note's whole text is put together with copies of a
// known size and appended in one piece.
struct Spelling {
    std::array<char, 16> bytes{};
    size_t size = 0;  // 0: none
};

struct CanonicalSpellings {
    std::array<Spelling, 64> notes{};
    // The lengths of the table fall in 3..192; each has its first spelling here.
    std::array<Spelling, 193> durations{};
};

Spelling SpellingOf(std::string_view text)
{
    Spelling spelling;
    spelling.size = std::min(text.size(), spelling.bytes.size());
    std::copy_n(text.begin(), spelling.size, spelling.bytes.begin());
    return spelling;
}

const CanonicalSpellings& Spellings()
{
    static const CanonicalSpellings spellings = [] {
        CanonicalSpellings made;
        for (size_t note = 0; note < made.notes.size(); ++note) {
            made.notes[note] = SpellingOf(NoteName(static_cast<int>(note)));
        }
        for (const TMLDConst& entry : DurationTable) {
            if (entry.value >= 0 && static_cast<size_t>(entry.value) < made.durations.size() &&
                made.durations[static_cast<size_t>(entry.value)].size == 0) {
                made.durations[static_cast<size_t>(entry.value)] = SpellingOf(entry.text);
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

// A length as the canonical text spells it: the first spelling of the
// DurationTable, else "(ticks)" written into the buffer.
std::string_view DurationPiece(int ticks, std::array<char, 32>& buffer)
{
    const CanonicalSpellings& spellings = Spellings();
    if (ticks >= 0 && ticks < static_cast<int>(spellings.durations.size()) &&
        spellings.durations[static_cast<size_t>(ticks)].size != 0) {
        const Spelling& spelling = spellings.durations[static_cast<size_t>(ticks)];
        return {spelling.bytes.data(), spelling.size};
    }
    const int length = std::snprintf(buffer.data(), buffer.size(), "(%d)", ticks);
    return {buffer.data(), static_cast<size_t>(length)};
}

// The canonical text as the scan writes it. Room is made ahead in steps, so
// that a note's text goes in with copies of a known size; the text is cut to
// what was written when it is taken.
class CanonicalWriter {
public:
    void Reserve(size_t bytes) { m_text.reserve(bytes); }
    // The most room a piece of text asks for at once.
    static constexpr size_t MostRoom = 64;
    // Room for at least bytes more, of which Commit keeps the first written.
    char* Room(size_t bytes)
    {
        if (m_size + bytes > m_text.size()) {
            m_text.resize(std::max(m_size + bytes, std::min(m_text.capacity(), m_text.size() + Step)));
        }
        return m_text.data() + m_size;
    }
    void Commit(size_t bytes) { m_size += bytes; }
    void Append(std::string_view text)
    {
        std::copy(text.begin(), text.end(), Room(text.size()));
        Commit(text.size());
    }
    std::string Take()
    {
        m_text.resize(m_size);
        return std::move(m_text);
    }

private:
    // Bytes made ready ahead of the text: what a step leaves unwritten is all it costs.
    static constexpr size_t Step = 4096;
    std::string m_text;
    size_t m_size = 0;
};

// The two bytes of a full-width character, lead byte high.
constexpr uint16_t CodeOf(std::string_view character)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(character[0]) << 8 |
                                 static_cast<unsigned char>(character[1]));
}

constexpr uint16_t WideBlankCode = CodeOf(WideBlank);
constexpr uint16_t LengthOpenCode = CodeOf(LengthOpen);
constexpr uint16_t GateOpenCode = CodeOf(GateOpen);
constexpr uint16_t RawDelimiterCode = CodeOf(RawDelimiter);
constexpr uint16_t WideZero = 0x824F;   // ０
constexpr uint16_t WideNine = 0x8258;   // ９
constexpr uint16_t WidePlus = 0x817B;   // ＋
constexpr uint16_t WideMinus = 0x817C;  // －

// The scan state of one ParseScore call. The scan reads the page as the user
// typed it and sees every character in full width ("do" as "ｄｏ", "ﾄﾞ" as
// "ド"), so that what it finds is already a place in the page and no mapped
// copy of the page is made.
class ScoreScan {
public:
    // identity: the full-width mapping leaves the page as it is, so the page
    // itself is what the scan sees.
    ScoreScan(std::string_view page, bool identity, int voice, SequenceList& list, bool extendedNotation,
              DiagnosticSink* sink)
        : m_page(page), m_identity(identity), m_voice(voice), m_list(list), m_extendedNotation(extendedNotation),
          m_sink(sink)
    {
    }

    std::string Run();

private:
    // A character of the page as the scan sees it.
    struct Character {
        uint16_t code = 0;        // a double-byte character's two bytes, else the single byte
        size_t sourceLength = 1;  // bytes of the page it takes
        bool wide = false;        // double-byte in full width
    };
    Character CharacterAt(size_t position) const;
    // What the page holds from the scan position on, in full width: the page
    // itself, or the next few characters mapped (more than the longest symbol).
    std::string_view Ahead()
    {
        if (m_identity) {
            return {m_page.data() + m_position, m_page.size() - m_position};
        }
        return MappedAhead();
    }
    std::string_view MappedAhead();
    // The bytes of the page that make the first mappedBytes bytes of Ahead().
    size_t SourceBytes(size_t mappedBytes) const { return m_identity ? mappedBytes : m_aheadSource[mappedBytes]; }
    // The next "／" from the position on, npos when none comes.
    size_t FindRawDelimiter(size_t from) const;

    uint8_t KindsAt()
    {
        const std::string_view rest = Ahead();
        return rest.size() >= 2 ? m_kinds[KeyOf(rest)] : 0;
    }
    bool AtHead();
    bool AtMark(uint8_t kinds);
    bool AcceptMark(uint8_t kinds);
    void SkipCharacter();
    void Flush();
    void ReadRawBlock();
    std::optional<int32_t> ReadGroup(uint16_t close, size_t& end) const;
    SourceSpan PageSpan(size_t start, size_t end) const
    {
        return {m_voice, static_cast<int>(start), static_cast<int>(end - start)};
    }

    // Diagnostics are noted as the scan meets them, which is not in the order
    // of their places, and handed on in that order once the scan is done, or
    // a few thousand at a time on a page that has very many: their order
    // then holds within each batch, and the page's memory stays its own.
    struct Noted {
        DiagnosticKind kind;
        size_t start;
        size_t end;
        std::string_view suffix;
        std::string clampedTo;  // RangeClamped: the note the notes became
    };
    static constexpr size_t NotedBatch = 4096;
    void Note(DiagnosticKind kind, size_t start, size_t end, std::string_view suffix, std::string clampedTo = {});
    void NoteSkipped();
    void EndSkippedRun();
    size_t GroupEnd(uint16_t close);
    bool HeadStartsAt(size_t position);
    void NoteVanishedNote();
    void ReportNoted();

    const KeyedTable<NoteHeadTable.size()>& m_heads = Keyed<NoteHeadTable>();
    const KeyedTable<DurationTable.size()>& m_durations = Keyed<DurationTable>();
    const KeyedTable<PitchMarkTable.size()>& m_pitchMarks = Keyed<PitchMarkTable>();
    const KeyedTable<ArticulationTable.size()>& m_articulations = Keyed<ArticulationTable>();

    std::string_view m_page;  // as typed
    bool m_identity;
    // The mapped characters at m_aheadAt, and for each byte boundary among
    // them the bytes of the page they came from.
    static constexpr size_t AheadCharacters = 4;
    std::array<char, AheadCharacters * 2> m_ahead{};
    std::array<uint8_t, AheadCharacters * 2 + 1> m_aheadSource{};
    size_t m_aheadSize = 0;
    size_t m_aheadAt = std::string_view::npos;
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
    // The pending note's characters: its head up to the end of its last mark.
    size_t m_headAt = 0;
    size_t m_marksEnd = 0;
    // A head was taken and its note not yet flushed: pitch marks may still
    // bring its value to 0, and then it makes nothing.
    bool m_headPending = false;
    bool m_markContext = false;
    CanonicalWriter m_canonical;
};

ScoreScan::Character ScoreScan::CharacterAt(size_t position) const
{
    const FullWidthStep step = FullWidthStepAt(m_page, position);
    if (step.code != 0) {
        return {step.code, step.sourceLength, true};
    }
    if (step.sourceLength == 2) {
        return {CodeOf(m_page.substr(position, 2)), 2, true};
    }
    return {static_cast<unsigned char>(m_page[position]), 1, false};
}

std::string_view ScoreScan::MappedAhead()
{
    if (m_aheadAt != m_position) {
        m_aheadAt = m_position;
        m_aheadSize = 0;
        size_t position = m_position;
        for (size_t count = 0; count < AheadCharacters && position < m_page.size(); ++count) {
            const Character character = CharacterAt(position);
            if (character.wide) {
                m_ahead[m_aheadSize++] = static_cast<char>(character.code >> 8);
                m_aheadSource[m_aheadSize] = static_cast<uint8_t>(position - m_position);
            }
            m_ahead[m_aheadSize++] = static_cast<char>(character.code & 0xFF);
            position += character.sourceLength;
            m_aheadSource[m_aheadSize] = static_cast<uint8_t>(position - m_position);
        }
    }
    return {m_ahead.data(), m_aheadSize};
}

size_t ScoreScan::FindRawDelimiter(size_t from) const
{
    if (m_identity) {
        // Without half-width characters the delimiter's bytes cannot start inside another character.
        return m_page.find(RawDelimiter, from);
    }
    for (size_t position = from; position < m_page.size();) {
        const Character character = CharacterAt(position);
        if (character.wide && character.code == RawDelimiterCode) {
            return position;
        }
        position += character.sourceLength;
    }
    return std::string_view::npos;
}

std::string ScoreScan::Run()
{
    // The canonical spelling of a page is about as long as the page; the
    // room a note's text is written into may reach past its end.
    m_canonical.Reserve(m_page.size() + CanonicalWriter::MostRoom);
    while (m_position < m_page.size()) {
        const uint8_t kinds = KindsAt();
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
    } else {
        NoteVanishedNote();
    }
    if (m_sink != nullptr) {
        EndSkippedRun();
        ReportNoted();
    }
    return m_canonical.Take();
}

bool ScoreScan::AtHead()
{
    const TMLDConst* head = m_heads.Match(Ahead(), !m_extendedNotation);
    if (head == nullptr) {
        return false;
    }
    if (m_pendingValue != 0) {
        Flush();
    } else {
        NoteVanishedNote();
    }
    m_pendingValue = head->value;
    if (m_pendingValue == RawDataValue) {
        ReadRawBlock();
        return true;
    }
    m_pendingDuration = -1;
    m_articulation = 0;
    m_headAt = m_position;
    m_position += SourceBytes(head->text.size());
    m_marksEnd = m_position;
    m_headPending = true;
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
    const std::string_view rest = Ahead();
    if ((kinds & DurationKind) != 0 && m_pendingValue != 0 && m_pendingDuration == -1) {
        if (const TMLDConst* duration = m_durations.Match(rest)) {
            m_pendingDuration = duration->value;
            m_position += SourceBytes(duration->text.size());
            return true;
        }
    }
    if ((kinds & PitchMarkKind) != 0) {
        if (const TMLDConst* mark = m_pitchMarks.Match(rest)) {
            m_pendingValue += mark->value;
            m_position += SourceBytes(mark->text.size());
            return true;
        }
    }
    if ((kinds & ArticulationKind) != 0) {
        if (const TMLDConst* articulation = m_articulations.Match(rest)) {
            m_articulation = articulation->value;
            m_position += SourceBytes(articulation->text.size());
            return true;
        }
    }
    size_t end = 0;
    if ((kinds & LengthOpenKind) != 0 && StartsWith(rest, LengthOpen)) {
        if (std::optional<int32_t> ticks = ReadGroup(CodeOf(LengthClose), end)) {
            m_pendingDuration = *ticks;
            m_position = end;
            return true;
        }
    }
    if ((kinds & GateOpenKind) != 0 && StartsWith(rest, GateOpen)) {
        if (std::optional<int32_t> gate = ReadGroup(CodeOf(GateClose), end)) {
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
    // Only the ideographic space (a blank typed in either width) keeps the marks that follow with the note.
    const Character character = CharacterAt(m_position);
    if (!character.wide || character.code != WideBlankCode) {
        m_markContext = false;
    }
    m_position += character.sourceLength;
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
std::optional<int32_t> ScoreScan::ReadGroup(uint16_t close, size_t& end) const
{
    size_t i = m_position + SourceBytes(2);
    bool negative = false;
    bool signAllowed = true;
    bool anyDigit = false;
    int64_t value = 0;
    Character character;
    while (i < m_page.size()) {
        character = CharacterAt(i);
        if (!character.wide) {
            break;
        }
        if (character.code >= WideZero && character.code <= WideNine) {
            anyDigit = true;
            value = value * 10 + (character.code - WideZero);
            if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
                return std::nullopt;
            }
        } else if (character.code == WidePlus || character.code == WideMinus) {
            if (!signAllowed) {
                return std::nullopt;
            }
            negative = character.code == WideMinus;
        } else {
            break;
        }
        signAllowed = false;
        i += character.sourceLength;
    }
    if (!anyDigit || i >= m_page.size() || !character.wide || character.code != close) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    end = i + character.sourceLength;
    return static_cast<int32_t>(value);
}

void ScoreScan::Flush()
{
    m_headPending = false;
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
        std::array<char, 32> buffer;
        m_canonical.Append(RestName);
        m_canonical.Append(DurationPiece(Saturate(duration), buffer));
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
    const int highest = Mld::HighestNoteOfVoice(m_voice);
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
    const Spelling& name = m_spellings.notes[static_cast<size_t>(note)];
    const int ticks = Saturate(duration);
    const Spelling* length = ticks < static_cast<int>(m_spellings.durations.size())
                                 ? &m_spellings.durations[static_cast<size_t>(ticks)]
                                 : nullptr;
    if (articulated && length != nullptr && length->size != 0) {
        // The common note: its name, length and mark in one piece.
        char* out = m_canonical.Room(name.bytes.size() + length->bytes.size() + 2);
        std::copy_n(name.bytes.begin(), name.bytes.size(), out);
        std::copy_n(length->bytes.begin(), length->bytes.size(), out + name.size);
        size_t size = name.size + length->size;
        const std::string_view mark = ArticulationMark(static_cast<int>(m_articulation));
        std::copy(mark.begin(), mark.end(), out + size);
        m_canonical.Commit(size + mark.size());
    } else {
        std::array<char, 32> buffer;
        m_canonical.Append({name.bytes.data(), name.size});
        m_canonical.Append(DurationPiece(ticks, buffer));
        if (articulated) {
            m_canonical.Append(ArticulationMark(static_cast<int>(m_articulation)));
        } else {
            m_canonical.Append(GateGroupText(-m_articulation));
        }
    }
    m_time += duration;
}

// "／" hex text "／": bytes placed among the voice's events at the current
// time. An unclosed block is dropped and its text read as ordinary score.
void ScoreScan::ReadRawBlock()
{
    m_headPending = false;
    m_pendingValue = 0;
    m_pendingDuration = -1;
    m_articulation = 0;
    m_markContext = false;
    const size_t open = m_position;
    const size_t start = m_position + SourceBytes(RawDelimiter.size());
    m_position = start;
    const size_t close = FindRawDelimiter(start);
    if (close == std::string_view::npos) {
        if (m_sink != nullptr) {
            Note(DiagnosticKind::RawDataIgnored, open, start, Msg::DiagnosticRawUnclosed);
        }
        return;
    }
    const std::string_view typed = m_page.substr(start, close - start);
    const std::string collected =
        MapWidth(m_identity ? typed : std::string_view(MapWidth(typed, WidthDirection::Full)), WidthDirection::Half);
    m_canonical.Append("/");
    m_canonical.Append(collected);
    m_canonical.Append("/");
    const size_t end = close + CharacterAt(close).sourceLength;
    m_list.AddRaw(Saturate(m_time), m_voice, collected, PageSpan(open, end));
    m_position = end;
}

void ScoreScan::Note(DiagnosticKind kind, size_t start, size_t end, std::string_view suffix, std::string clampedTo)
{
    m_noted.push_back({kind, start, end, suffix, std::move(clampedTo)});
    if (m_noted.size() >= NotedBatch) {
        ReportNoted();
    }
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
    const std::string_view rest = Ahead();
    if (m_position < m_coveredEnd) {
        EndSkippedRun();
        return;
    }
    size_t coveredEnd = 0;
    DiagnosticKind kind = DiagnosticKind::MalformedGroup;
    std::string_view suffix = Msg::DiagnosticMalformedGroup;
    if (StartsWith(rest, LengthOpen)) {
        coveredEnd = GroupEnd(CodeOf(LengthClose));
    } else if (StartsWith(rest, GateOpen)) {
        coveredEnd = GroupEnd(CodeOf(GateClose));
    } else if (!m_extendedNotation && StartsWith(rest, RawDelimiter)) {
        const size_t after = m_position + SourceBytes(RawDelimiter.size());
        const size_t close = FindRawDelimiter(after);
        coveredEnd = close == std::string_view::npos ? after : close + CharacterAt(close).sourceLength;
        // A note inside the block is read as a note: the block's skipped part ends before it.
        for (size_t i = after; i < coveredEnd; i += CharacterAt(i).sourceLength) {
            if (HeadStartsAt(i)) {
                coveredEnd = i;
                break;
            }
        }
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
    if (m_skipEnd != m_position) {
        EndSkippedRun();
        m_skipStart = m_position;
    }
    m_skipEnd = m_position + CharacterAt(m_position).sourceLength;
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
// else the digits and signs right after the opening bracket. A note head
// inside the brackets is read as a note, so the group ends before it.
size_t ScoreScan::GroupEnd(uint16_t close)
{
    size_t i = m_position + SourceBytes(2);
    size_t numberEnd = i;
    bool inNumber = true;
    while (i < m_page.size()) {
        const Character character = CharacterAt(i);
        if (character.wide && character.code == close) {
            return i + character.sourceLength;
        }
        if (character.wide ? character.code == LengthOpenCode || character.code == GateOpenCode
                           : character.code == '\r' || character.code == '\n') {
            break;
        }
        if (HeadStartsAt(i)) {
            break;
        }
        const bool numberCharacter = character.wide && ((character.code >= WideZero && character.code <= WideNine) ||
                                                        character.code == WidePlus || character.code == WideMinus);
        inNumber = inNumber && numberCharacter;
        i += character.sourceLength;
        if (inNumber) {
            numberEnd = i;
        }
    }
    return numberEnd;
}

// Whether the scan takes a note head (or, in the extended notation, a
// raw-data delimiter) at the position, as it would on reaching it.
bool ScoreScan::HeadStartsAt(size_t position)
{
    const size_t at = m_position;
    m_position = position;
    const bool head = (KindsAt() & HeadKind) != 0 && m_heads.Match(Ahead(), !m_extendedNotation) != nullptr;
    m_position = at;
    return head;
}

// The pending note's pitch marks brought its value to 0, which stands for no
// note: its head and marks make nothing, and are noted as skipped.
void ScoreScan::NoteVanishedNote()
{
    if (m_sink != nullptr && m_headPending) {
        Note(DiagnosticKind::SkippedCharacters, m_headAt, m_marksEnd, Msg::DiagnosticVanishedNote);
    }
    m_headPending = false;
}

void ScoreScan::ReportNoted()
{
    std::stable_sort(m_noted.begin(), m_noted.end(), [](const Noted& a, const Noted& b) { return a.start < b.start; });
    for (const Noted& noted : m_noted) {
        const size_t first = std::min(noted.start, m_page.size());
        const size_t last = std::min(noted.end, m_page.size());
        std::string suffix(noted.suffix);
        if (noted.kind == DiagnosticKind::RangeClamped) {
            suffix += noted.clampedTo;
            suffix += Msg::DiagnosticClampedEnd;
        }
        m_sink->Add(noted.kind, PageSpan(first, last), m_page.substr(first, last - first), suffix);
    }
    m_noted.clear();
}

}  // namespace

size_t MostEntriesOfScore(std::string_view text)
{
    // Every entry takes at least one character of the page, and the end event none.
    return text.size() + 1;
}

std::string ParseScore(std::string_view text, int voice, SequenceList& list, bool extendedNotation,
                       DiagnosticSink* diagnostics)
{
    // Room for the most entries the page can make: what the events leave of
    // it is never touched, and the list does not copy itself to grow on the way.
    const size_t room = list.size() + MostEntriesOfScore(text);
    if (list.capacity() < room) {
        list.reserve(room);
    }
    return ScoreScan(text, FullWidthUnchanged(text), voice, list, extendedNotation, diagnostics).Run();
}

void AppendDurationText(std::string& text, int ticks)
{
    std::array<char, 32> buffer;
    text += DurationPiece(ticks, buffer);
}

std::string DurationText(int ticks)
{
    std::string text;
    AppendDurationText(text, ticks);
    return text;
}

}  // namespace quaverly
