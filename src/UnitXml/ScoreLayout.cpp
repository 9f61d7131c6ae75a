#include "ScoreLayout.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "UnitMld/NoteRules.h"

namespace quaverly {

namespace {

struct StepOf {
    std::string_view head;  // Shift-JIS note head
    char step;
    int semitone;  // above C
};

// The note heads ド レ ミ ファ ソ ラ シ.
constexpr std::array<StepOf, 7> Heads{{
    {"\x83h", 'C', 0},
    {"\x83\x8C", 'D', 2},
    {"\x83~", 'E', 4},
    {"\x83t\x83@", 'F', 5},
    {"\x83\\", 'G', 7},
    {"\x83\x89", 'A', 9},
    {"\x83V", 'B', 11},
}};

constexpr std::string_view FullSharp = "\x81\x94";  // ＃
constexpr std::string_view MusicSharp = "\x81\xF2"; // ♯
constexpr std::string_view MusicFlat = "\x81\xF3";  // ♭

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

WrittenPitch SharpSpelling(int key)
{
    static constexpr std::array<std::pair<char, int>, 12> Sharps{{
        {'C', 0}, {'C', 1}, {'D', 0}, {'D', 1}, {'E', 0}, {'F', 0},
        {'F', 1}, {'G', 0}, {'G', 1}, {'A', 0}, {'A', 1}, {'B', 0},
    }};
    const auto& [step, alter] = Sharps[static_cast<size_t>(key % 12)];
    return {step, alter, key / 12 - 1};
}

}  // namespace

WrittenPitch SpellPitch(int key, std::string_view written)
{
    // Every note head is a katakana: most notes are told by their first byte.
    if (written.empty() || written[0] != '\x83') {
        return SharpSpelling(key);
    }
    for (const StepOf& head : Heads) {
        if (!written.starts_with(head.head)) {
            continue;
        }
        int alter = 0;
        for (size_t i = head.head.size(); i < written.size();) {
            const std::string_view rest = written.substr(i);
            if (rest.starts_with(FullSharp) || rest.starts_with(MusicSharp)) {
                ++alter;
            } else if (rest.starts_with(MusicFlat)) {
                --alter;
            } else if (rest[0] == '#') {
                ++alter;
            }
            i += IsLeadByte(static_cast<unsigned char>(rest[0])) && rest.size() > 1 ? 2 : 1;
        }
        const int base = key - alter - head.semitone;
        if (alter >= -2 && alter <= 2 && base >= 0 && base % 12 == 0) {
            return {head.step, alter, base / 12 - 1};
        }
        break;
    }
    return SharpSpelling(key);
}

std::vector<ScoreVoice> ScoreVoices(const SequenceList& given, const std::array<std::string, VoiceCount>& pages)
{
    SequenceList sorted;
    const SequenceList* list = &given;
    if (!given.IsSorted()) {
        sorted = given;
        sorted.Sort();
        list = &sorted;
    }
    // The last entry's time ends every voice without an end of its own.
    const int lastTime = list->empty() ? 0 : list->back().Time();

    struct Collected {
        std::vector<ScoreEvent> events;
        std::vector<ScoreNote> notes;
        std::vector<int> gates;  // the gate of each event's last note
        int end = 0;
        bool ended = false;
    };
    std::array<Collected, VoiceCount> collected;
    std::array<size_t, VoiceCount> entries{};
    int melodyEnd = 0;
    for (const SequenceEntry entry : *list) {
        entries[static_cast<size_t>(entry.Voice() & 3)] += 1;
        melodyEnd = std::max(melodyEnd, entry.Time());
    }
    for (int voice = 0; voice < VoiceCount; ++voice) {
        Collected& into = collected[static_cast<size_t>(voice)];
        into.events.reserve(entries[static_cast<size_t>(voice)]);
        into.notes.reserve(entries[static_cast<size_t>(voice)]);
        into.gates.reserve(entries[static_cast<size_t>(voice)]);
        into.end = lastTime;
    }
    // One pass over the entries, each going to its voice until that voice's end.
    for (const SequenceEntry entry : *list) {
        const int voice = entry.Voice();
        if (voice < 0 || voice >= VoiceCount || entry.IsRaw()) {
            continue;
        }
        Collected& into = collected[static_cast<size_t>(voice)];
        if (into.ended) {
            continue;
        }
        if (entry.IsEnd()) {
            into.end = entry.Time();
            into.ended = true;
            continue;
        }
        std::vector<ScoreEvent>& events = into.events;
        if (events.empty() || events.back().time != entry.Time()) {
            events.emplace_back(entry.Time(), 0);
            events.back().firstNote = static_cast<uint32_t>(into.notes.size());
            into.gates.push_back(0);
        }
        if (entry.Gate() > 0) {
            const int key = entry.Note() + MidiNoteOffset;
            // The characters are in the page the entry came from, which is
            // not always its voice's own.
            const SourceSpan span = entry.Source();
            std::string_view written;
            if (span.IsSet() && span.page >= 0 && span.page < VoiceCount) {
                const std::string& page = pages[static_cast<size_t>(span.page)];
                if (static_cast<size_t>(span.offset) + static_cast<size_t>(span.length) <= page.size()) {
                    written = std::string_view(page).substr(static_cast<size_t>(span.offset), static_cast<size_t>(span.length));
                }
            }
            into.notes.push_back({SpellPitch(key, written), key});
            events.back().noteCount += 1;
            into.gates.back() = entry.Gate();
        }
    }
    for (Collected& into : collected) {
        // A note that starts where its voice ends still sounds its gate:
        // the voice runs on to the end of that sound.
        std::vector<ScoreEvent>& events = into.events;
        if (!events.empty() && !events.back().IsRest() && events.back().time >= into.end) {
            into.end = events.back().time + into.gates.back();
            melodyEnd = std::max(melodyEnd, into.end);
        }
    }
    const int scoreEnd = (melodyEnd + ScoreMeasureTicks - 1) / ScoreMeasureTicks * ScoreMeasureTicks;

    std::vector<ScoreVoice> voices;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        Collected& from = collected[static_cast<size_t>(voice)];
        std::vector<ScoreEvent>& events = from.events;
        if (std::none_of(events.begin(), events.end(), [](const ScoreEvent& event) { return !event.IsRest(); })) {
            continue;
        }
        // Lengths to the next event; what starts at or after the voice's end has none.
        std::vector<ScoreEvent> laid;
        laid.reserve(2 * events.size() + 2);  // a rest before each event at most; untouched room costs nothing
        int at = 0;
        for (size_t i = 0; i < events.size(); ++i) {
            ScoreEvent& event = events[i];
            const int end = std::min(i + 1 < events.size() ? events[i + 1].time : from.end, from.end);
            if (event.time >= end) {
                continue;
            }
            if (event.time > at) {
                laid.emplace_back(at, event.time - at);
            }
            event.length = end - event.time;
            event.staccato =
                !event.IsRest() && event.length != from.gates[i] + 2 && event.length == 2 * from.gates[i];
            at = end;
            laid.push_back(event);
        }
        if (scoreEnd > at) {
            laid.emplace_back(at, scoreEnd - at);
        }
        voices.push_back({voice, std::move(laid), std::move(from.notes)});
    }
    return voices;
}

namespace {

// Every value a length can take, longest first: plain, dotted and triplet
// values of 48 to the quarter. 1 tick is the 128th triplet, so every whole
// number of ticks adds up.
constexpr std::array<NoteValue, 21> Values{{
    {288, "whole", 1, false}, {192, "whole", 0, false}, {144, "half", 1, false}, {128, "whole", 0, true},
    {96, "half", 0, false},   {72, "quarter", 1, false}, {64, "half", 0, true},  {48, "quarter", 0, false},
    {36, "eighth", 1, false}, {32, "quarter", 0, true},  {24, "eighth", 0, false}, {18, "16th", 1, false},
    {16, "eighth", 0, true},  {12, "16th", 0, false},    {9, "32nd", 1, false},   {8, "16th", 0, true},
    {6, "32nd", 0, false},    {4, "32nd", 0, true},      {3, "64th", 0, false},   {2, "64th", 0, true},
    {1, "128th", 0, true},
}};

// The values of every length up to a measure, as indices into Values,
// longest first: a measure's pieces are looked up, not searched for.
constexpr int MostValuesOfAMeasure = 8;
struct Split {
    std::array<uint8_t, MostValuesOfAMeasure> values{};
    int count = 0;
};
constexpr std::array<Split, ScoreMeasureTicks + 1> MakeSplits()
{
    std::array<Split, ScoreMeasureTicks + 1> splits{};
    for (int length = 0; length <= ScoreMeasureTicks; ++length) {
        int left = length;
        Split& split = splits[static_cast<size_t>(length)];
        for (size_t i = 0; i < Values.size(); ++i) {
            while (left >= Values[i].ticks) {
                split.values[static_cast<size_t>(split.count++)] = static_cast<uint8_t>(i);
                left -= Values[i].ticks;
            }
        }
    }
    return splits;
}
constexpr std::array<Split, ScoreMeasureTicks + 1> Splits = MakeSplits();

// SplitLength without a list: each value in turn, longest first.
template <typename Use>
void ForEachValue(int ticks, Use use)
{
    if (ticks >= 0 && ticks <= ScoreMeasureTicks) {
        const Split& split = Splits[static_cast<size_t>(ticks)];
        for (int i = 0; i < split.count; ++i) {
            use(Values[split.values[static_cast<size_t>(i)]]);
        }
        return;
    }
    for (const NoteValue& value : Values) {
        while (ticks >= value.ticks) {
            use(value);
            ticks -= value.ticks;
        }
    }
}

}  // namespace

std::vector<NoteValue> SplitLength(int ticks)
{
    std::vector<NoteValue> values;
    ForEachValue(ticks, [&values](const NoteValue& value) { values.push_back(value); });
    return values;
}

std::vector<ScorePiece> MeasurePieces(const ScoreVoice& voice)
{
    std::vector<ScorePiece> pieces;
    pieces.reserve(voice.events.size() + voice.events.size() / 4);
    for (const ScoreEvent& event : voice.events) {
        int at = event.time;
        const int end = event.time + event.length;
        while (at < end) {
            const int measure = at / ScoreMeasureTicks;
            const int measureEnd = (measure + 1) * ScoreMeasureTicks;
            const int piece = std::min(end, measureEnd) - at;
            ForEachValue(piece, [&](const NoteValue& value) {
                const bool rest = event.IsRest();
                ScorePiece written{&event, &value, measure, false, !rest && at > event.time, false, false};
                at += value.ticks;
                written.tieStart = !rest && at < end;
                pieces.push_back(written);
            });
        }
    }
    // Triplets in brackets: a run of them within a measure is closed when it
    // fills the time of two of its first note's value, and at its end.
    int sum = 0;
    int group = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
        ScorePiece& piece = pieces[i];
        if (!piece.value->triplet) {
            continue;
        }
        if (sum == 0) {
            piece.tupletStart = true;
            group = 3 * piece.value->ticks;
        }
        sum += piece.value->ticks;
        const bool runEnds =
            i + 1 == pieces.size() || !pieces[i + 1].value->triplet || pieces[i + 1].measure != piece.measure;
        if (runEnds || sum >= group) {
            piece.tupletStop = true;
            sum = 0;
        }
    }
    return pieces;
}

}  // namespace quaverly
