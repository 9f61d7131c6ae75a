#include "MmlWriter.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "UnitMld/NoteRules.h"

namespace quaverly {

namespace {

constexpr int WholeTicks = 192;
constexpr std::array<const char*, 12> NoteNames{"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
// A line break after so many steps keeps the lines readable.
constexpr int StepsPerLine = 16;

struct MmlLength {
    int ticks;
    std::string text;
};

// Every spelling, longest first, and for each count of ticks up to the
// longest spelling the first spelling that fits in it: the greedy spelling of
// a step is a walk down this table, with no search.
struct SpellingTable {
    std::vector<MmlLength> spellings;
    std::vector<uint8_t> firstFitting;  // by ticks, 0..longest
};

const SpellingTable& Spellings()
{
    static const SpellingTable table = [] {
        SpellingTable made;
        std::vector<MmlLength>& all = made.spellings;
        for (int n = 1; n <= WholeTicks; ++n) {
            if (WholeTicks % n != 0) {
                continue;
            }
            const int ticks = WholeTicks / n;
            all.push_back({ticks, std::to_string(n)});
            if (ticks % 2 == 0) {
                all.push_back({ticks + ticks / 2, std::to_string(n) + "."});
            }
            if (ticks % 4 == 0) {
                all.push_back({ticks + ticks / 2 + ticks / 4, std::to_string(n) + ".."});
            }
        }
        std::stable_sort(all.begin(), all.end(), [](const MmlLength& a, const MmlLength& b) {
            return a.ticks != b.ticks ? a.ticks > b.ticks : a.text.size() < b.text.size();
        });
        made.firstFitting.resize(static_cast<size_t>(all.front().ticks) + 1);
        for (int ticks = 1; ticks <= all.front().ticks; ++ticks) {
            size_t index = 0;
            while (all[index].ticks > ticks) {
                ++index;
            }
            made.firstFitting[static_cast<size_t>(ticks)] = static_cast<uint8_t>(index);
        }
        return made;
    }();
    return table;
}

// Calls spell(index) for each spelling of the ticks, longest first.
template <typename Spell>
void ForEachLength(int ticks, Spell spell)
{
    const SpellingTable& table = Spellings();
    const int longest = table.spellings.front().ticks;
    for (int left = std::max(ticks, 0); left > 0;) {
        const size_t index = left >= longest ? 0 : table.firstFitting[static_cast<size_t>(left)];
        spell(index);
        left -= table.spellings[index].ticks;
    }
}

int GateEighths(const TextNote& note)
{
    if (note.gate >= note.length || note.length <= 0) {
        return 8;
    }
    return std::clamp((note.gate * 8 + note.length / 2) / note.length, 1, 8);
}

class TrackWriter {
public:
    TrackWriter(std::string& out, size_t defaultLength) : m_out(out), m_default(defaultLength) {}

    void Length(size_t index)
    {
        if (index != m_default) {
            m_out += Spellings().spellings[index].text;
        }
    }
    void Step()
    {
        if (++m_steps % StepsPerLine == 0) {
            m_out += "\r\n";
        }
    }

private:
    std::string& m_out;
    size_t m_default;
    int m_steps = 0;
};

// The length most steps of the voice start with (the quarter when none):
// it becomes the track's "l".
size_t CommonLength(const VoiceNotes& line)
{
    const SpellingTable& table = Spellings();
    std::vector<int> counts(table.spellings.size());
    size_t best = 0;
    while (table.spellings[best].ticks != WholeTicks / 4) {
        ++best;
    }
    for (const TextNote& note : line) {
        if (note.length > 0) {
            size_t first = 0;
            ForEachLength(note.length, [&first, &counts](size_t index) {
                if (first == 0) {
                    first = index + 1;
                    ++counts[index];
                }
            });
        }
    }
    for (size_t index = 0; index < counts.size(); ++index) {
        if (counts[index] > counts[best]) {
            best = index;
        }
    }
    return best;
}

void WriteTrack(std::string& out, const TextMelody& melody, int voice, int& chordNotesDropped)
{
    VoiceNotes line = SingleLine(melody.voices[static_cast<size_t>(voice)], chordNotesDropped);
    while (!line.empty() && (line.back().IsRest() || line.back().length <= 0)) {
        if (!line.back().IsRest()) {
            ++chordNotesDropped;  // a note of no length at the voice's end sounds nothing
        }
        line.pop_back();
    }
    // Notes of no length left inside the line have no spelling either.
    std::erase_if(line, [&chordNotesDropped](const TextNote& note) {
        const bool empty = note.length <= 0;
        chordNotesDropped += empty && !note.IsRest() ? 1 : 0;
        return empty;
    });
    if (voice == 0) {
        out += "t" + std::to_string(melody.tempo) + " ";
    }
    out += "@" + std::to_string(std::clamp(melody.tones[static_cast<size_t>(voice)] - 1, 0, 127));
    out += " v" + std::to_string(MmlVolumeOf(melody.volumes[static_cast<size_t>(voice)]));
    const size_t defaultLength = CommonLength(line);
    out += " l" + Spellings().spellings[defaultLength].text;
    int octave = -100;
    int gate = 0;
    // The time of the first note: the track's set-up events come before it.
    if (!line.empty() && line.front().time > 0) {
        line.insert(line.begin(), TextNote{0, line.front().time, 0, 0});
    }
    out += " ";
    TrackWriter writer(out, defaultLength);
    for (const TextNote& note : line) {
        if (note.IsRest()) {
            ForEachLength(note.length, [&out, &writer](size_t index) {
                out += 'r';
                writer.Length(index);
            });
            writer.Step();
            continue;
        }
        const int key = note.note + MidiNoteOffset;
        const int noteOctave = key / 12 - 1;
        if (noteOctave == octave + 1) {
            out += '<';
        } else if (noteOctave == octave - 1) {
            out += '>';
        } else if (noteOctave != octave) {
            out += "o" + std::to_string(noteOctave);
        }
        octave = noteOctave;
        const int eighths = GateEighths(note);
        if (eighths != gate) {
            out += "q" + std::to_string(eighths);
            gate = eighths;
        }
        out += NoteNames[static_cast<size_t>(key % 12)];
        bool tied = false;
        ForEachLength(note.length, [&out, &writer, &tied](size_t index) {
            if (tied) {
                out += '^';
            }
            tied = true;
            writer.Length(index);
        });
        writer.Step();
    }
}

}  // namespace

std::vector<std::string> MmlLengths(int ticks)
{
    std::vector<std::string> lengths;
    ForEachLength(ticks, [&lengths](size_t index) { lengths.push_back(Spellings().spellings[index].text); });
    return lengths;
}

int MmlVolumeOf(int volume)
{
    return (std::clamp(volume, 0, HighestVolume) * 127 + HighestVolume / 2) / HighestVolume;
}

int VolumeOfMmlVolume(int mmlVolume)
{
    return (std::clamp(mmlVolume, 0, 127) * HighestVolume + 63) / 127;
}

MmlExport WriteMml(const TextMelody& melody)
{
    MmlExport result;
    size_t steps = 0;
    for (const VoiceNotes& notes : melody.voices) {
        steps += notes.size();
    }
    result.text.reserve(64 + steps * 6);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        if (voice > 0) {
            result.text += ";\r\n";
        }
        WriteTrack(result.text, melody, voice, result.chordNotesDropped);
    }
    result.text += "\r\n";
    return result;
}

}  // namespace quaverly
