#include "MidiImport.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

#include "MidiNoteCollector.h"
#include "VoiceSpelling.h"
#include "UnitMld/MldLayout.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/SequenceList.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "base/ForeignText.h"

namespace quaverly {

namespace {

constexpr int MelodyTicksPerQuarter = 48;
constexpr int PercussionChannel = 10;
constexpr int DefaultTempo = 120;
constexpr int DefaultVolume = HighestVolume;
// The end line comes after the last note, within the melody's times.
constexpr int LastNoteTime = MaxSequenceTime - 1;
// The widest spread of a chord's notes: a sixty-fourth note.
constexpr int ChordSpread = 3;

// Rounding to the nearest melody tick, halves up.
int64_t ToMelodyTicks(int64_t ticks, int division)
{
    return (ticks * 2 * MelodyTicksPerQuarter + division) / (2 * static_cast<int64_t>(division));
}

// How far the rounding moved a time, in tenths of a melody tick.
int MoveTenths(int64_t ticks, int64_t melodyTicks, int division)
{
    const int64_t difference = std::llabs(melodyTicks * division - ticks * MelodyTicksPerQuarter);
    return static_cast<int>((difference * 10 + division / 2) / division);
}


// Texts become Shift-JIS whatever their writer's encoding (base/ForeignText.h);
// a character with no Shift-JIS form becomes the visible mark "?".
std::string ToSjisText(const std::string& text, int& replaced)
{
    ForeignText converted = ForeignTextToSjis(text);
    replaced += converted.replaced ? 1 : 0;
    return std::move(converted.sjis);
}

struct ChannelNotes {
    std::vector<uint32_t> notes;  // indices into the content's notes, by start then key from the top
    bool chords = false;
};

std::array<ChannelNotes, 16> NotesByChannel(const MidiContent& content)
{
    // Each note's start in melody ticks is worked out once, not at every
    // comparison; a reader's notes mostly come in order, and then nothing moves.
    struct Keyed {
        int64_t start;
        int key;
        uint32_t index;
    };
    std::array<std::vector<Keyed>, 16> keyed;
    const int division = content.header.division;
    for (uint32_t i = 0; i < content.notes.size(); ++i) {
        const MidiNote& note = content.notes[i];
        if (!note.discarded) {
            keyed[note.channel].push_back({ToMelodyTicks(note.on, division), note.key, i});
        }
    }
    // By start, then from the top key down.
    const auto before = [](const Keyed& a, const Keyed& b) { return a.start != b.start ? a.start < b.start : a.key > b.key; };
    std::array<ChannelNotes, 16> channels;
    for (size_t channel = 0; channel < channels.size(); ++channel) {
        std::vector<Keyed>& notes = keyed[channel];
        if (!std::is_sorted(notes.begin(), notes.end(), before)) {
            std::stable_sort(notes.begin(), notes.end(), before);
        }
        ChannelNotes& into = channels[channel];
        into.notes.reserve(notes.size());
        for (size_t i = 0; i < notes.size(); ++i) {
            into.notes.push_back(notes[i].index);
            into.chords = into.chords || (i > 0 && notes[i].start == notes[i - 1].start);
        }
        notes = {};
    }
    return channels;
}

// Channels 1..16 per voice; 0 leaves the voice free for chords.
std::array<int, VoiceCount> AutomaticChoice(const std::array<ChannelNotes, 16>& channels)
{
    std::array<int, VoiceCount> choice{};
    bool onlyFirstFour = true;
    for (int channel = VoiceCount; channel < 16; ++channel) {
        onlyFirstFour = onlyFirstFour && channels[static_cast<size_t>(channel)].notes.empty();
    }
    if (onlyFirstFour) {
        // This program's own files: channel N is voice N.
        for (int voice = 0; voice < VoiceCount; ++voice) {
            choice[static_cast<size_t>(voice)] = voice + 1;
        }
        return choice;
    }
    std::vector<int> candidates;
    for (int channel = 1; channel <= 16; ++channel) {
        if (channel != PercussionChannel && !channels[static_cast<size_t>(channel - 1)].notes.empty()) {
            candidates.push_back(channel);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&channels](int a, int b) {
        return channels[static_cast<size_t>(a - 1)].notes.size() > channels[static_cast<size_t>(b - 1)].notes.size();
    });
    candidates.resize(std::min<size_t>(candidates.size(), VoiceCount));
    std::sort(candidates.begin(), candidates.end());
    std::copy(candidates.begin(), candidates.end(), choice.begin());
    return choice;
}

std::array<int, VoiceCount> GivenChoice(const std::vector<int>& channels)
{
    std::array<int, VoiceCount> choice{};
    if (channels.size() > VoiceCount) {
        throw QuaverlyError(std::string(Msg::MidiChannelChoiceRefused));
    }
    for (size_t i = 0; i < channels.size(); ++i) {
        const int channel = channels[i];
        if (channel < 1 || channel > 16 || std::count(channels.begin(), channels.end(), channel) > 1) {
            throw QuaverlyError(std::string(Msg::MidiChannelChoiceRefused));
        }
        choice[i] = channel;
    }
    return choice;
}

struct VoiceBuild {
    std::vector<PlacedNote> notes;
    int channel = 0;       // the channel whose notes it holds; 0 while free
    bool primary = false;  // chosen for its channel, not lent to a chord
    int64_t velocitySum = 0;
    int lastTime = -1;
    int lastEnd = 0;
};

// A channel's notes in melody ticks, in the order they are placed: by time,
// the notes of a chord from the top down.
struct TimedNote {
    int time = 0;
    int gate = 1;
    int key = 0;
    int velocity = 0;
    int moveTenths = 0;  // how far rounding and chord alignment moved it
};

std::vector<TimedNote> ChannelTimeline(const MidiContent& content, const std::vector<uint32_t>& indices,
                                       int64_t quaverlyEnd, MidiImportReport& report)
{
    const int division = content.header.division;
    std::vector<TimedNote> timeline;
    timeline.reserve(indices.size());
    for (uint32_t index : indices) {
        const MidiNote& source = content.notes[index];
        const int64_t on = ToMelodyTicks(source.on, division);
        if (on > LastNoteTime || (quaverlyEnd >= 0 && on > quaverlyEnd)) {
            ++report.notesTooLate;
            continue;
        }
        const int64_t off = ToMelodyTicks(source.Off(), division);
        int64_t gate = off - on;
        if (source.hanging && quaverlyEnd >= 0) {
            // This program's writer leaves out the note-offs at and after
            // the melody's end on the first voice: such a note sounds on
            // one tick past the end, as a closing tie does.
            gate = quaverlyEnd - on + 1;
        }
        if (on + gate > MaxSequenceTime + 1) {
            // The melody holds no tick past its limit: the note stops there.
            gate = MaxSequenceTime - on;
            ++report.notesEndedAtLimit;
        }
        const int moved =
            std::max(MoveTenths(source.on, on, division), source.hanging ? 0 : MoveTenths(source.Off(), off, division));
        timeline.push_back({static_cast<int>(on), static_cast<int>(std::clamp<int64_t>(gate, 1, MaxSequenceTime)),
                            source.key, source.velocity, moved});
    }
    if (content.quaverlyLayout) {
        return timeline;  // its chords start together, and nothing may move
    }
    // Notes struck within a sixty-fourth of the first while it sounds are
    // one chord (players and some programs spread a chord's notes): they
    // start with the first note and end where they ended.
    for (size_t first = 0; first < timeline.size();) {
        const TimedNote lead = timeline[first];
        size_t next = first + 1;
        while (next < timeline.size() && timeline[next].time - lead.time <= ChordSpread &&
               timeline[next].time < lead.time + lead.gate) {
            TimedNote& note = timeline[next];
            const int shift = note.time - lead.time;
            note.gate += shift;
            note.time = lead.time;
            note.moveTenths = std::max(note.moveTenths, shift * 10);
            ++next;
        }
        if (next - first > 1) {
            std::stable_sort(timeline.begin() + static_cast<std::ptrdiff_t>(first),
                             timeline.begin() + static_cast<std::ptrdiff_t>(next),
                             [](const TimedNote& a, const TimedNote& b) { return a.key > b.key; });
        }
        first = next;
    }
    return timeline;
}

int Tempo(const MidiContent& content, MidiImportReport& report)
{
    if (content.tempos.empty()) {
        return DefaultTempo;
    }
    uint32_t current = content.tempos.front().second;
    for (size_t i = 1; i < content.tempos.size(); ++i) {
        if (content.tempos[i].second != current) {
            ++report.tempoChanges;
            current = content.tempos[i].second;
        }
    }
    const uint32_t micros = std::max<uint32_t>(content.tempos.front().second, 1);
    // This program's writer gives tempo t the value 60000000 / t, held at
    // the 24 bits of the field: a value it can write comes back exactly.
    for (int tempo = 255; tempo >= 1; --tempo) {
        if (std::min<uint32_t>(60'000'000u / static_cast<uint32_t>(tempo), 0xFFFFFFu) == micros) {
            return tempo;
        }
    }
    const int64_t tempo = (60'000'000LL + micros / 2) / micros;
    return static_cast<int>(std::clamp<int64_t>(tempo, 1, 255));
}

}  // namespace

bool MidiImportReport::LostNothing() const
{
    return notesOfOtherChannels == 0 && chordNotesDropped == 0 && notesClamped == 0 && notesCut == 0 &&
           notesMoved == 0 && tempoChanges == 0 && textsReplaced == 0 && notesTooLate == 0 &&
           notesEndedAtLimit == 0 && readerLosses.empty();
}

MidiSurvey SurveyMidiFile(std::string_view bytes, const std::string& name)
{
    return SurveyMidiContent(CollectMidiContent(bytes, name));
}

MidiSurvey SurveyMidiContent(const MidiContent& content)
{
    const std::array<ChannelNotes, 16> channels = NotesByChannel(content);
    MidiSurvey survey;
    for (int channel = 0; channel < 16; ++channel) {
        const ChannelNotes& notes = channels[static_cast<size_t>(channel)];
        const int program = content.program[static_cast<size_t>(channel)];
        if (!notes.notes.empty() || program >= 0) {
            survey.channels.push_back({channel + 1, static_cast<int>(notes.notes.size()), program, notes.chords});
        }
    }
    const std::array<int, VoiceCount> choice = AutomaticChoice(channels);
    survey.automaticChoice.assign(choice.begin(), choice.end());
    while (!survey.automaticChoice.empty() && survey.automaticChoice.back() == 0) {
        survey.automaticChoice.pop_back();
    }
    return survey;
}

ImportedMelody ImportMidiFile(std::string_view bytes, const std::string& name, const std::vector<int>& channels)
{
    // The choice is checked first, so a bad one costs no reading.
    if (!channels.empty()) {
        GivenChoice(channels);
    }
    return ImportMidiContent(CollectMidiContent(bytes, name), channels);
}

ImportedMelody ImportMidiContent(MidiContent content, const std::vector<int>& channels)
{
    std::array<int, VoiceCount> choice = channels.empty() ? std::array<int, VoiceCount>{} : GivenChoice(channels);
    const int division = content.header.division;
    std::array<ChannelNotes, 16> byChannel = NotesByChannel(content);
    if (channels.empty()) {
        choice = AutomaticChoice(byChannel);
    }

    ImportedMelody melody;
    MidiImportReport& report = melody.report;
    melody.tempo = report.tempo = Tempo(content, report);
    melody.title = ToSjisText(content.title, report.textsReplaced);
    melody.copyright = ToSjisText(content.copyright, report.textsReplaced);
    report.readerNotes = std::move(content.readerNotes);
    report.readerLosses = std::move(content.readerLosses);

    const int64_t quaverlyEnd =
        content.quaverlyLayout ? std::min<int64_t>(ToMelodyTicks(content.melodyEndTick, division), MaxSequenceTime) : -1;

    std::array<VoiceBuild, VoiceCount> voices;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const int channel = choice[static_cast<size_t>(voice)];
        if (channel != 0 && !byChannel[static_cast<size_t>(channel - 1)].notes.empty()) {
            voices[static_cast<size_t>(voice)].channel = channel;
            voices[static_cast<size_t>(voice)].primary = true;
        }
    }

    for (const MidiNote& note : content.notes) {
        report.notesRead += note.discarded ? 0 : 1;
    }
    for (int channel = 1; channel <= 16; ++channel) {
        if (std::find(choice.begin(), choice.end(), channel) == choice.end()) {
            report.notesOfOtherChannels += static_cast<int>(byChannel[static_cast<size_t>(channel - 1)].notes.size());
        }
    }

    for (int primaryVoice = 0; primaryVoice < VoiceCount; ++primaryVoice) {
        VoiceBuild& primary = voices[static_cast<size_t>(primaryVoice)];
        if (!primary.primary) {
            continue;
        }
        const int channel = primary.channel;
        primary.notes.reserve(byChannel[static_cast<size_t>(channel - 1)].notes.size());
        for (const TimedNote& timed : ChannelTimeline(content, byChannel[static_cast<size_t>(channel - 1)].notes,
                                                      quaverlyEnd, report)) {
            const int time = timed.time;
            const int64_t gate = timed.gate;
            // The top note of a chord stays; the others go to voices that are free.
            VoiceBuild* target = &primary;
            if (primary.lastTime >= time) {
                target = nullptr;
                for (VoiceBuild& candidate : voices) {
                    const bool available = (!candidate.primary && (candidate.channel == 0 || candidate.channel == channel));
                    if (available && candidate.lastTime < time && candidate.lastEnd <= time) {
                        target = &candidate;
                        break;
                    }
                }
                if (target == nullptr && content.quaverlyLayout) {
                    target = &primary;  // its own files keep notes of no length in their voice
                }
                if (target == nullptr) {
                    ++report.chordNotesDropped;
                    continue;
                }
                target->channel = channel;
            }
            const int voiceIndex = static_cast<int>(target - voices.data());
            const int highest = Mld::HighestNoteOfVoice(voiceIndex);
            const int wanted = timed.key - MidiNoteOffset;
            if (wanted < 0 || wanted > highest) {
                ++report.notesClamped;
            }
            if (timed.moveTenths > 0) {
                ++report.notesMoved;
                report.largestMoveTenths = std::max(report.largestMoveTenths, timed.moveTenths);
            }
            target->notes.push_back({time, std::clamp(wanted, 0, highest), static_cast<int>(gate)});
            target->velocitySum += timed.velocity;
            target->lastTime = time;
            target->lastEnd = static_cast<int>(std::min<int64_t>(time + gate, MaxSequenceTime));
        }
    }

    // The file's notes are placed: their memory goes before the voices are spelled.
    content.notes = {};
    byChannel = {};

    // The melody ends where this program's file says, or after the last note
    // with room for its normal gate.
    int64_t endTime = quaverlyEnd;
    if (endTime < 0) {
        endTime = 0;
        for (const VoiceBuild& voice : voices) {
            for (const PlacedNote& note : voice.notes) {
                endTime = std::max<int64_t>(endTime, int64_t{note.time} + note.gate + 2);
            }
        }
    }
    for (const VoiceBuild& voice : voices) {
        if (!voice.notes.empty()) {
            endTime = std::max<int64_t>(endTime, voice.notes.back().time);
        }
    }
    melody.endTime = static_cast<int>(std::min<int64_t>(endTime, MaxSequenceTime));
    melody.hasEnd = !content.quaverlyLayout || content.endMarkerSeen ||
                    std::any_of(voices.begin(), voices.end(), [](const VoiceBuild& voice) { return !voice.notes.empty(); });

    SpellingLosses losses;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        VoiceBuild& build = voices[static_cast<size_t>(voice)];
        ImportedVoice& imported = melody.voices[static_cast<size_t>(voice)];
        // A voice keeps its channel's program even without notes, as its file sets it.
        const int channel = build.channel != 0 ? build.channel : choice[static_cast<size_t>(voice)];
        imported.channel = build.notes.empty() ? 0 : channel;
        imported.notesKept = static_cast<int>(build.notes.size());
        if (channel != 0) {
            const int program = content.program[static_cast<size_t>(channel - 1)];
            const int channelVolume = content.channelVolume[static_cast<size_t>(channel - 1)];
            imported.used = !build.notes.empty() || program >= 0 || channelVolume >= 0;
            imported.tone = program >= 0 ? program + 1 : 1;
            imported.volume = !build.notes.empty()
                                  ? VolumeOfVelocity(static_cast<double>(build.velocitySum) / static_cast<double>(build.notes.size()))
                                  : (channelVolume >= 0 ? (channelVolume * HighestVolume + 63) / 127 : DefaultVolume);
        }
        imported.events = SpellVoice(build.notes, melody.endTime, content.quaverlyLayout, losses);
        report.notesKept[static_cast<size_t>(voice)] = imported.notesKept;
        report.channels[static_cast<size_t>(voice)] = imported.channel;
    }
    report.notesCut = losses.notesCut;
    report.largestCut = losses.largestCut;
    return melody;
}

}  // namespace quaverly
