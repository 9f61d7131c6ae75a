#include "TextMelody.h"

#include <algorithm>

namespace quaverly {

std::array<VoiceNotes, VoiceCount> VoiceNotesOf(const SequenceList& list)
{
    std::array<VoiceNotes, VoiceCount> voices;
    std::array<int, VoiceCount> ends;
    ends.fill(-1);
    for (const SequenceEntry& entry : list) {
        const int voice = entry.Voice();
        if (entry.IsRaw() || voice < 0 || voice >= VoiceCount) {
            continue;
        }
        if (entry.IsEnd()) {
            ends[static_cast<size_t>(voice)] = std::max(ends[static_cast<size_t>(voice)], entry.Time());
            continue;
        }
        voices[static_cast<size_t>(voice)].push_back({entry.Time(), 0, entry.Note(), entry.Gate()});
    }
    for (size_t voice = 0; voice < voices.size(); ++voice) {
        VoiceNotes& notes = voices[voice];
        std::stable_sort(notes.begin(), notes.end(), [](const TextNote& a, const TextNote& b) { return a.time < b.time; });
        for (size_t i = 0; i < notes.size(); ++i) {
            if (i + 1 < notes.size()) {
                notes[i].length = notes[i + 1].time - notes[i].time;
            } else {
                const int end = ends[voice] >= notes[i].time ? ends[voice] : notes[i].time + std::max(notes[i].gate, 0);
                notes[i].length = end - notes[i].time;
            }
        }
    }
    return voices;
}

VoiceNotes SingleLine(const VoiceNotes& notes, int& chordNotesDropped)
{
    VoiceNotes line;
    line.reserve(notes.size());
    for (const TextNote& note : notes) {
        if (!line.empty() && line.back().time == note.time) {
            TextNote& kept = line.back();
            const int end = std::max(kept.time + kept.length, note.time + note.length);
            if (!note.IsRest()) {
                if (kept.IsRest()) {
                    kept.note = note.note;
                    kept.gate = note.gate;
                } else {
                    ++chordNotesDropped;
                    if (note.note > kept.note) {
                        kept.note = note.note;
                        kept.gate = note.gate;
                    }
                }
            }
            kept.length = end - kept.time;
            continue;
        }
        if (!line.empty()) {
            // The step before lasts to this onset, whatever its own events said.
            line.back().length = note.time - line.back().time;
            if (line.back().IsRest() && note.IsRest()) {
                line.back().length += note.length;
                continue;
            }
        }
        line.push_back(note);
    }
    return line;
}

int FirstVoiceWithNotes(const TextMelody& melody)
{
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const VoiceNotes& notes = melody.voices[static_cast<size_t>(voice)];
        if (std::any_of(notes.begin(), notes.end(), [](const TextNote& note) { return !note.IsRest(); })) {
            return voice;
        }
    }
    return -1;
}

}  // namespace quaverly
