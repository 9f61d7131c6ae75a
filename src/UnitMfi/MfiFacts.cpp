#include "MfiFacts.h"

#include <cstdio>

#include "base/Messages.h"

namespace quaverly {

namespace {

std::string Line(std::string_view label, const std::string& value)
{
    return std::string(label) + ": " + value + "\r\n";
}

}  // namespace

std::string MfiFactsText(const MfiMelody& melody)
{
    std::string text;
    text += Line(Msg::MfiFactTitle, melody.title);
    text += Line(Msg::MfiFactTracks, std::to_string(melody.trackChunks));
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f ", MfiSeconds(melody, melody.endTick));
    text += Line(Msg::MfiFactLength, seconds + std::string(Msg::MfiFactSeconds));
    std::string cues;
    for (const MfiCuePoint& cue : melody.cuePoints) {
        if (cue.IsStart() || cue.IsEnd()) {
            std::snprintf(seconds, sizeof seconds, " %.1f ", MfiSeconds(melody, cue.tick));
            cues += (cues.empty() ? "" : ", ") + std::string(cue.IsStart() ? Msg::MfiFactCueStart : Msg::MfiFactCueEnd) +
                    seconds + std::string(Msg::MfiFactSeconds);
        }
        if (cues.size() > 200) {
            break;  // the first few are enough to tell
        }
    }
    if (!cues.empty()) {
        text += Line(Msg::MfiFactCue, cues);
    }
    std::string loops;
    for (const MfiLoop& loop : MfiLoops(melody)) {
        char span[64];
        std::snprintf(span, sizeof span, "%.1f ", MfiSeconds(melody, loop.start));
        loops += (loops.empty() ? "" : ", ") + std::string(span) + std::string(Msg::MfiFactSeconds) + std::string(Msg::ReportTo);
        std::snprintf(span, sizeof span, "%.1f ", MfiSeconds(melody, loop.end));
        loops += span + std::string(Msg::MfiFactSeconds) + " (" +
                 (!loop.hasEnd ? std::string(Msg::MfiFactLoopNoEnd)
                  : loop.Forever() ? std::string(Msg::MfiFactLoopForever)
                                   : std::to_string(loop.count) + std::string(Msg::MfiFactLoopTimes)) +
                 ")";
        if (loops.size() > 200) {
            break;  // the first few are enough to tell
        }
    }
    if (!loops.empty()) {
        text += Line(Msg::MfiFactLoop, loops);
    }
    text += Line(Msg::MfiFactNotes, std::to_string(melody.notes.size()));
    // A channel is lane + 1, as the MIDI file and the channel choice number it.
    const std::array<int, MfiLaneCount> counts = melody.NotesPerLane();
    for (int lane = 0; lane < MfiLaneCount; ++lane) {
        const int count = counts[static_cast<size_t>(lane)];
        if (count == 0) {
            continue;
        }
        std::string label = std::string(Msg::MfiFactChannel) + " " + std::to_string(lane + 1) + " (" +
                            std::string(Msg::MfiFactTrack) + " " + std::to_string(lane / 4 + 1);
        if (lane == MfiPercussionLane) {
            label += ", " + std::string(Msg::MfiFactPercussion);
        }
        text += Line(label + ")", std::to_string(count) + " " + std::string(Msg::MfiFactNotesUnit));
    }
    if (melody.partial) {
        text += std::string(Msg::MfiFactPartial) + melody.partialMessage + "\r\n";
    }
    return text;
}

}  // namespace quaverly
