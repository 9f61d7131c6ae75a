#include "MmlWriter.h"

#include <algorithm>
#include <array>
#include <map>

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

// Every spelling, longest first.
const std::vector<MmlLength>& Spellings()
{
    static const std::vector<MmlLength> spellings = [] {
        std::vector<MmlLength> all;
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
        return all;
    }();
    return spellings;
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
    TrackWriter(std::string& out, std::string defaultLength) : m_out(out), m_default(std::move(defaultLength)) {}

    void Length(const std::string& length)
    {
        if (length != m_default) {
            m_out += length;
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
    std::string m_default;
    int m_steps = 0;
};

// The length most steps of the voice start with: it becomes the track's "l".
std::string CommonLength(const VoiceNotes& line)
{
    std::map<std::string, int> counts;
    for (const TextNote& note : line) {
        const std::vector<std::string> lengths = MmlLengths(note.length);
        if (!lengths.empty()) {
            ++counts[lengths.front()];
        }
    }
    std::string best = "4";
    int bestCount = 0;
    for (const auto& [length, count] : counts) {
        if (count > bestCount) {
            best = length;
            bestCount = count;
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
    const std::string defaultLength = CommonLength(line);
    out += " l" + defaultLength;
    int octave = -100;
    int gate = 0;
    // The time of the first note: the track's set-up events come before it.
    if (!line.empty() && line.front().time > 0) {
        line.insert(line.begin(), TextNote{0, line.front().time, 0, 0});
    }
    out += " ";
    TrackWriter writer(out, defaultLength);
    for (const TextNote& note : line) {
        const std::vector<std::string> lengths = MmlLengths(note.length);
        if (note.IsRest()) {
            for (const std::string& length : lengths) {
                out += 'r';
                writer.Length(length);
            }
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
        for (size_t i = 0; i < lengths.size(); ++i) {
            if (i > 0) {
                out += '^';
            }
            writer.Length(lengths[i]);
        }
        writer.Step();
    }
}

}  // namespace

std::vector<std::string> MmlLengths(int ticks)
{
    std::vector<std::string> lengths;
    int left = std::max(ticks, 0);
    while (left > 0) {
        for (const MmlLength& spelling : Spellings()) {
            if (spelling.ticks <= left) {
                lengths.push_back(spelling.text);
                left -= spelling.ticks;
                break;
            }
        }
    }
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
