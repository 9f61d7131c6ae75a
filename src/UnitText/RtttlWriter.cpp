#include "RtttlWriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

#include "RtttlFacts.h"
#include "TextMessages.h"
#include "UnitMld/NoteRules.h"

namespace quaverly {

namespace {

// One written step: a length of the table (with its dot) and a note or a rest.
struct RtttlStep {
    int lengthIndex = 0;  // into RtttlLengths
    int key = -1;         // MIDI key; -1 for a rest
};

// The nearest length of the table; the shorter one on a tie.
int NearestLength(int ticks)
{
    int best = 0;
    for (int i = 1; i < static_cast<int>(RtttlLengths.size()); ++i) {
        if (std::abs(RtttlLengths[static_cast<size_t>(i)].ticks - ticks) <
            std::abs(RtttlLengths[static_cast<size_t>(best)].ticks - ticks)) {
            best = i;
        }
    }
    return best;
}

// Rests of the table that add up to the ticks nearest to wanted that they
// can (every multiple of 3 from 6 on): the longest first.
std::vector<int> RestLengths(int wanted)
{
    std::vector<int> parts;
    int left = (std::max(wanted, 0) + 1) / 3 * 3;
    if (left == 3) {
        left = wanted >= 4 ? 6 : 0;
    }
    while (left > 0) {
        for (int i = static_cast<int>(RtttlLengths.size()) - 1; i >= 0; --i) {
            const int ticks = RtttlLengths[static_cast<size_t>(i)].ticks;
            if (ticks <= left && (left - ticks == 0 || left - ticks >= 6)) {
                parts.push_back(i);
                left -= ticks;
                break;
            }
        }
    }
    return parts;
}

// RTTTL players sound a note its whole length. A note whose gate is itself
// an RTTTL length, well short of the step, is written as that note and a
// rest for the silence after it, when the rest can be said exactly: a tune
// read from RTTTL ("4f,8p" sounds 48 ticks in a step of 72) comes back as it was.
VoiceNotes SplitSilences(const VoiceNotes& line)
{
    VoiceNotes split;
    split.reserve(line.size());
    for (const TextNote& note : line) {
        const int silence = note.length - note.gate;
        const bool gateIsLength = std::any_of(RtttlLengths.begin(), RtttlLengths.end(),
                                              [&note](const RtttlLength& length) { return length.ticks == note.gate; });
        if (note.IsRest() && !split.empty() && split.back().IsRest()) {
            split.back().length += note.length;
            continue;
        }
        if (note.IsRest() || silence <= 2 || !gateIsLength || silence % 3 != 0 || silence < 6) {
            split.push_back(note);
            continue;
        }
        split.push_back({note.time, note.gate, note.note, note.gate});
        split.push_back({note.time + note.gate, silence, 0, 0});
    }
    return split;
}

bool IsNameCharacter(char c)
{
    return c >= 0x20 && c < 0x7F && c != ':' && c != ',';
}

// The ASCII of a Shift-JIS text: half-width characters as they are,
// full-width letters, digits and the space made half-width, the rest left out.
std::string AsciiOf(std::string_view sjis)
{
    std::string out;
    for (size_t i = 0; i < sjis.size(); ++i) {
        const auto lead = static_cast<unsigned char>(sjis[i]);
        if ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) {
            if (i + 1 >= sjis.size()) {
                break;
            }
            const int code = lead << 8 | static_cast<unsigned char>(sjis[i + 1]);
            ++i;
            if (code == 0x8140) {
                out += ' ';
            } else if (code >= 0x824F && code <= 0x8258) {
                out += static_cast<char>('0' + code - 0x824F);
            } else if (code >= 0x8260 && code <= 0x8279) {
                out += static_cast<char>('A' + code - 0x8260);
            } else if (code >= 0x8281 && code <= 0x829A) {
                out += static_cast<char>('a' + code - 0x8281);
            }
            continue;
        }
        if (IsNameCharacter(static_cast<char>(lead))) {
            out += static_cast<char>(lead);
        }
    }
    return out;
}

std::string Trimmed(std::string text)
{
    std::erase_if(text, [](char c) { return !IsNameCharacter(c); });
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    text = text.substr(first, RtttlNameLength);
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

bool HasLetter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

// The octave shift that leaves the fewest notes outside the table's keys; the smallest such shift.
int OctaveShift(const VoiceNotes& line)
{
    int bestShift = 0;
    size_t bestOutside = SIZE_MAX;
    for (int shift : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5}) {
        size_t outside = 0;
        for (const TextNote& note : line) {
            const int key = note.note + MidiNoteOffset + 12 * shift;
            outside += !note.IsRest() && (key < RtttlLowestKey || key > RtttlHighestKey) ? 1 : 0;
        }
        if (outside < bestOutside) {
            bestOutside = outside;
            bestShift = shift;
        }
    }
    return bestShift;
}

void AppendStep(std::string& text, const RtttlStep& step, int defaultDuration, int defaultOctave)
{
    const RtttlLength& length = RtttlLengths[static_cast<size_t>(step.lengthIndex)];
    if (length.duration != defaultDuration) {
        text += std::to_string(length.duration);
    }
    text += step.key < 0 ? "p" : RtttlNoteNames[static_cast<size_t>(step.key % 12)];
    // The dot before the octave: the form every reader takes.
    if (length.dotted) {
        text += '.';
    }
    if (step.key >= 0 && step.key / 12 - 1 != defaultOctave) {
        text += std::to_string(step.key / 12 - 1);
    }
}

std::string CountLine(std::string_view label, int count)
{
    return std::string(label) + std::to_string(count) + std::string(TextMsg::Pieces) + "\r\n";
}

}  // namespace

bool RtttlChanges::Any() const
{
    return lengthsChanged != 0 || restsChanged != 0 || restsDropped != 0 || onsetsMoved != 0 || octaveShift != 0 ||
           notesClamped != 0 || chordNotesDropped != 0;
}

std::string RtttlName(std::string_view sjisTitle, std::string_view fileBaseName)
{
    std::string name = Trimmed(AsciiOf(sjisTitle));
    if (!HasLetter(name)) {
        name = Trimmed(AsciiOf(fileBaseName));
    }
    return name.empty() ? std::string("Melody") : name;
}

RtttlExport WriteRtttl(const VoiceNotes& notes, std::string_view name, int tempo)
{
    RtttlExport result;
    RtttlChanges& changes = result.changes;
    const VoiceNotes line = SplitSilences(SingleLine(notes, changes.chordNotesDropped));
    changes.octaveShift = OctaveShift(line);

    std::vector<RtttlStep> steps;
    steps.reserve(line.size());
    // How far the written time runs ahead of the voice's own (negative: behind).
    int64_t late = 0;
    for (const TextNote& note : line) {
        if (note.IsRest()) {
            const std::vector<int> parts = RestLengths(static_cast<int>(note.length - late));
            int written = 0;
            for (int part : parts) {
                steps.push_back({part, -1});
                written += RtttlLengths[static_cast<size_t>(part)].ticks;
            }
            if (written != note.length) {
                ++(written == 0 ? changes.restsDropped : changes.restsChanged);
            }
            late += written - note.length;
            continue;
        }
        if (late != 0) {
            ++changes.onsetsMoved;
        }
        const int lengthIndex = NearestLength(note.length);
        const int written = RtttlLengths[static_cast<size_t>(lengthIndex)].ticks;
        changes.lengthsChanged += written != note.length ? 1 : 0;
        late += written - note.length;
        const int wanted = note.note + MidiNoteOffset + 12 * changes.octaveShift;
        const int key = std::clamp(wanted, RtttlLowestKey, RtttlHighestKey);
        changes.notesClamped += key != wanted ? 1 : 0;
        steps.push_back({lengthIndex, key});
    }
    // Rests after the last note say nothing a player plays.
    while (!steps.empty() && steps.back().key < 0) {
        steps.pop_back();
    }

    // The text's size is a sum over the steps of a part that depends on d=
    // alone (the duration digits left out) and one that depends on o= alone
    // (the octave digit left out): each default is chosen by itself.
    std::array<size_t, 33> stepsOfDuration{};
    std::array<size_t, 10> notesOfOctave{};
    for (const RtttlStep& step : steps) {
        ++stepsOfDuration[static_cast<size_t>(RtttlLengths[static_cast<size_t>(step.lengthIndex)].duration)];
        if (step.key >= 0) {
            ++notesOfOctave[static_cast<size_t>(step.key / 12 - 1)];
        }
    }
    // Written in the header once, left out of every step of its length; the
    // first of equals.
    int bestDuration = RtttlDurations.front();
    int64_t bestCost = INT64_MAX;
    for (int duration : RtttlDurations) {
        const auto digits = static_cast<int64_t>(std::to_string(duration).size());
        const int64_t cost = digits - digits * static_cast<int64_t>(stepsOfDuration[static_cast<size_t>(duration)]);
        if (cost < bestCost) {
            bestCost = cost;
            bestDuration = duration;
        }
    }
    int bestOctave = RtttlLowestOctave;
    for (int octave = RtttlLowestOctave; octave <= RtttlHighestOctave; ++octave) {
        if (notesOfOctave[static_cast<size_t>(octave)] > notesOfOctave[static_cast<size_t>(bestOctave)]) {
            bestOctave = octave;
        }
    }
    const size_t bestSize = steps.size() * 6;
    std::string& text = result.text;
    text.reserve(bestSize + steps.size() + 32);
    text += name;
    text += ":d=" + std::to_string(bestDuration) + ",o=" + std::to_string(bestOctave) + ",b=" + std::to_string(tempo) + ":";
    for (size_t i = 0; i < steps.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        AppendStep(text, steps[i], bestDuration, bestOctave);
    }
    return result;
}

std::string RtttlChangesText(const RtttlChanges& changes, int voice)
{
    std::string text = std::string(TextMsg::RtttlReportHead) + std::to_string(voice) +
                       std::string(TextMsg::RtttlReportHeadTail) + "\r\n";
    if (!changes.Any()) {
        return text + std::string(TextMsg::NothingChanged) + "\r\n";
    }
    const std::pair<std::string_view, int> lines[] = {
        {TextMsg::LengthsChanged, changes.lengthsChanged},
        {TextMsg::RestsChanged, changes.restsChanged},
        {TextMsg::RestsDropped, changes.restsDropped},
        {TextMsg::OnsetsMoved, changes.onsetsMoved},
        {TextMsg::NotesClamped, changes.notesClamped},
        {TextMsg::ChordNotesDropped, changes.chordNotesDropped},
    };
    if (changes.octaveShift != 0) {
        text += std::string(changes.octaveShift > 0 ? TextMsg::OctaveUp : TextMsg::OctaveDown) +
                std::to_string(std::abs(changes.octaveShift)) + "\r\n";
    }
    for (const auto& [label, count] : lines) {
        if (count != 0) {
            text += CountLine(label, count);
        }
    }
    return text;
}

}  // namespace quaverly
