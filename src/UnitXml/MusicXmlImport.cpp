#include "MusicXmlImport.h"

#include "UnitMld/FileKind.h"

#include <algorithm>
#include <cstdio>

#include "MusicXmlScore.h"
#include "MxlContainer.h"
#include "XmlMessages.h"
#include "UnitMld/SequenceList.h"
#include "base/FileIO.h"
#include "base/TextEncoding.h"

namespace quaverly {

namespace {

constexpr int Channels = 16;
// Past this a melody holds nothing more (99999 ticks of 48 to the quarter):
// repeats are not played out beyond it.
// One tick of the melody in the score's ticks.
constexpr int64_t MelodyTick = ScoreTicksPerQuarter / 48;
constexpr int64_t LatestTick = (int64_t{MaxSequenceTime} + 1) * ScoreTicksPerQuarter / 48;

template <typename... Values>
std::string Formatted(std::string_view format, Values... values)
{
    char line[512];
    std::snprintf(line, sizeof line, std::string(format).c_str(), values...);
    return line;
}

// The measures in the order they sound: a backward repeat goes back to the
// last forward repeat (or the start) until its section has been played its
// times; a volta is played on the passes its numbers name. cut counts the
// measures not played out because the melody could hold no more.
std::vector<size_t> PlayOrder(const std::vector<XmlMeasure>& measures, const std::vector<int64_t>& lengths,
                              const std::vector<size_t>& noteCounts, size_t noteBudget, int& repeats, int& cut)
{
    std::vector<size_t> order;
    std::vector<int> taken(measures.size(), 0);
    size_t sectionStart = 0;
    int pass = 1;
    int64_t time = 0;
    for (size_t i = 0; i < measures.size();) {
        const XmlMeasure& measure = measures[i];
        if (measure.repeatForward && i != sectionStart) {
            sectionStart = i;
            pass = 1;
        }
        if (!measure.endings.empty() && std::find(measure.endings.begin(), measure.endings.end(), pass) == measure.endings.end()) {
            ++i;  // a volta of another pass
            continue;
        }
        if (time > LatestTick || noteCounts[i] > noteBudget) {
            ++cut;
            ++i;
            continue;
        }
        order.push_back(i);
        time += lengths[i];
        noteBudget -= noteCounts[i];
        if (measure.repeatBackward && taken[i] + 1 < measure.repeatTimes) {
            ++taken[i];
            ++pass;
            repeats += static_cast<int>(i - sectionStart + 1);
            i = sectionStart;
            continue;
        }
        if (measure.repeatBackward) {
            sectionStart = i + 1;
            pass = 1;
        }
        ++i;
    }
    return order;
}

// The channel of each staff of each part: parts in score order, a part of
// several staves one channel a staff; 0 past the sixteenth.
std::vector<std::vector<int>> StaffChannels(const XmlScore& score, MidiContent& content)
{
    std::vector<std::vector<int>> channels;
    int next = 1;
    for (const XmlPart& part : score.parts) {
        std::vector<int> staves;
        int stavesUsed = part.staves;
        for (const XmlMeasure& measure : part.measures) {
            for (const XmlNote& note : measure.notes) {
                stavesUsed = std::max<int>(stavesUsed, note.staff);
            }
        }
        staves.push_back(0);  // staff 0 does not occur
        for (int staff = 1; staff <= stavesUsed; ++staff) {
            const int channel = next <= Channels ? next++ : 0;
            staves.push_back(channel);
            if (channel == 0) {
                continue;
            }
            content.program[static_cast<size_t>(channel - 1)] = part.program;
            const std::string staffText = stavesUsed > 1 ? Formatted(XmlMsg::XmlReportStaff, staff) : std::string();
            content.readerNotes.push_back(Formatted(XmlMsg::XmlReportPart, channel,
                                                    Utf8ToSjisLenient(part.name.substr(0, 80)).c_str(), staffText.c_str()));
        }
        channels.push_back(std::move(staves));
    }
    return channels;
}

}  // namespace

bool IsMusicXmlPath(std::string_view path)
{
    return FileKindOf(path) == FileKind::MusicXml;
}

MidiContent CollectMusicXmlContent(std::string_view bytes, const std::string& name)
{
    std::string inflated;
    if (IsZipArchive(bytes)) {
        inflated = MxlScore(bytes, name);
        bytes = inflated;
    }
    XmlScore score = ReadMusicXmlScore(bytes, name);
    inflated = {};

    MidiContent content;
    content.header.format = 1;
    content.header.trackCount = static_cast<int>(score.parts.size());
    content.header.division = static_cast<int>(ScoreTicksPerQuarter);
    content.title = score.title;
    content.copyright = score.copyright;
    const std::vector<std::vector<int>> channels = StaffChannels(score, content);

    // Every part goes by the measures of the first, each as long as the longest part's.
    const std::vector<XmlMeasure>& frame = score.parts.front().measures;
    size_t measureCount = 0;
    for (const XmlPart& part : score.parts) {
        measureCount = std::max(measureCount, part.measures.size());
    }
    std::vector<XmlMeasure> structure(frame.begin(), frame.end());
    for (XmlMeasure& measure : structure) {
        measure.notes = {};
    }
    structure.resize(measureCount);
    std::vector<int64_t> lengths(measureCount, 0);
    std::vector<size_t> noteCounts(measureCount, 0);
    for (const XmlPart& part : score.parts) {
        for (size_t i = 0; i < part.measures.size(); ++i) {
            lengths[i] = std::max(lengths[i], part.measures[i].length);
            noteCounts[i] += part.measures[i].notes.size();
        }
    }
    int repeats = 0;
    int cut = 0;
    // Played out, the notes stay within twice those written and a little more.
    const std::vector<size_t> order =
        PlayOrder(structure, lengths, noteCounts, 2 * score.notes + 65536, repeats, cut);

    int otherParts = 0;
    content.notes.reserve(score.notes);
    std::vector<bool> staccato;  // beside the notes, the mark of each one's last tied piece
    for (size_t p = 0; p < score.parts.size(); ++p) {
        const XmlPart& part = score.parts[p];
        // The last note of each key that a tie carries on, per staff channel.
        std::vector<std::array<int64_t, 128>> tied(channels[p].size());
        for (auto& keys : tied) {
            keys.fill(-1);
        }
        int64_t start = 0;
        for (size_t index : order) {
            if (index < part.measures.size()) {
                for (const XmlNote& note : part.measures[index].notes) {
                    const size_t staff = std::min<size_t>(note.staff, channels[p].size() - 1);
                    const int channel = channels[p][staff];
                    if (channel == 0) {
                        ++otherParts;
                        continue;
                    }
                    int64_t& carried = tied[staff][note.key];
                    const int64_t on = start + note.on;
                    if (note.tieStop && carried >= 0 && content.notes[static_cast<size_t>(carried)].Off() <= on + 1) {
                        MidiNote& first = content.notes[static_cast<size_t>(carried)];
                        first.EndAt(std::max(first.Off(), on + note.length));
                        staccato[static_cast<size_t>(carried)] = note.staccato;
                    } else {
                        MidiNote midi;
                        midi.on = on;
                        midi.EndAt(on + note.length);
                        midi.channel = static_cast<uint8_t>(channel - 1);
                        midi.key = note.key;
                        midi.velocity = note.velocity;
                        carried = static_cast<int64_t>(content.notes.size());
                        content.notes.push_back(midi);
                        staccato.push_back(note.staccato);
                    }
                    if (!note.tieStart) {
                        carried = -1;
                    }
                }
                for (const auto& [time, tempo] : part.measures[index].tempos) {
                    content.tempos.emplace_back(start + time,
                                                static_cast<uint32_t>(std::clamp(60'000'000.0 / tempo, 1.0, 16'777'215.0)));
                }
            }
            start += lengths[index];
        }
    }
    // A written value is the time to the next note; it sounds as the
    // melody's notes do: two ticks short of it, or half of it staccato.
    for (size_t i = 0; i < content.notes.size(); ++i) {
        MidiNote& note = content.notes[i];
        const int64_t ticks = note.length / MelodyTick;
        if (staccato[i] && ticks >= 2) {
            note.EndAt(note.on + ticks / 2 * MelodyTick);
        } else if (!staccato[i] && ticks >= 3) {
            note.EndAt(note.Off() - 2 * MelodyTick);
        }
    }
    // Every part may mark the tempo: one change a time, in time order.
    std::stable_sort(content.tempos.begin(), content.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    content.tempos.erase(std::unique(content.tempos.begin(), content.tempos.end(),
                                     [](const auto& a, const auto& b) { return a.first == b.first; }),
                         content.tempos.end());
    if (content.tempos.empty() || content.tempos.front().first > 0) {
        // Before the first mark a score plays at 120 a minute.
        content.tempos.insert(content.tempos.begin(), {0, 500'000u});
    }
    // Notes in the order they start, as a MIDI file's come.
    std::stable_sort(content.notes.begin(), content.notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.on < b.on; });

    if (repeats > 0) {
        content.readerNotes.push_back(Formatted(XmlMsg::XmlReportRepeats, repeats));
    }
    const std::pair<int, std::string_view> losses[] = {
        {score.graceNotes, XmlMsg::XmlLossGrace}, {score.unpitchedNotes, XmlMsg::XmlLossUnpitched},
        {score.jumps, XmlMsg::XmlLossJumps},      {otherParts, XmlMsg::XmlLossParts},
        {cut, XmlMsg::XmlLossLateMeasures},
    };
    for (const auto& [count, format] : losses) {
        if (count > 0) {
            content.readerLosses.push_back(Formatted(format, count));
        }
    }
    return content;
}

ImportedMelody ImportMusicXmlFile(std::string_view bytes, const std::string& name, const std::vector<int>& channels)
{
    return ImportMidiContent(CollectMusicXmlContent(bytes, name), channels);
}

}  // namespace quaverly
