#include "MfiMidi.h"

#include <algorithm>
#include <vector>

#include "VNum/VNum.h"

namespace quaverly {

namespace {

constexpr uint32_t MaxTempoValue = 0xFFFFFF;
constexpr std::string_view EndOfTrack("\xFF\x2F\x00", 3);

struct TimedEvent {
    uint64_t tick = 0;
    int order = 0;  // at one tick: note-offs, then controls, then note-ons
    std::string bytes;
};

std::string Chunk(std::string_view tag, const std::string& data)
{
    return std::string(tag) + ToBigEndian(static_cast<uint32_t>(data.size()), 4) + data;
}

std::string TrackOf(std::vector<TimedEvent>& events, uint64_t end)
{
    std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string data;
    uint64_t now = 0;
    for (const TimedEvent& event : events) {
        data += ToVarLen(static_cast<uint32_t>(std::min<uint64_t>(event.tick - now, 0x0FFFFFFF)));
        data += event.bytes;
        now = event.tick;
    }
    data += ToVarLen(static_cast<uint32_t>(std::min<uint64_t>(std::max(end, now) - now, 0x0FFFFFFF)));
    data += EndOfTrack;
    return Chunk("MTrk", data);
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string MetaText(int type, const std::string& text)
{
    return Bytes({0xFF, type}) + ToVarLen(static_cast<uint32_t>(text.size())) + text;
}

std::vector<TimedEvent> ControlEvents(const MfiMelody& melody, const MfiControl& control, uint64_t tick)
{
    const int channel = control.lane;
    const int value = control.value;
    const auto controller = [&](int number, int data) {
        return TimedEvent{tick, 1, Bytes({0xB0 | channel, number, std::clamp(data, 0, 127)})};
    };
    (void)melody;
    switch (control.kind) {
    case MfiControlKind::Program:
        return {TimedEvent{tick, 1, Bytes({0xC0 | channel, value & 0x7F})}};
    case MfiControlKind::Volume:
        return {controller(7, value)};
    case MfiControlKind::Pan:
        return {controller(10, value)};
    case MfiControlKind::Expression:
        return {controller(11, value)};
    case MfiControlKind::Modulation:
        return {controller(1, value)};
    case MfiControlKind::PitchBend:
        return {TimedEvent{tick, 1, Bytes({0xE0 | channel, value & 0x7F, (value >> 7) & 0x7F})}};
    case MfiControlKind::BendRange:
        // Registered parameter 0: the bend range in semitones.
        return {controller(101, 0), controller(100, 0), controller(6, value), controller(38, 0)};
    }
    return {};
}

}  // namespace

uint64_t MfiMidiTick(const MfiMelody& melody, uint64_t tick)
{
    uint64_t midi = 0;
    uint64_t from = 0;
    int timebase = 48;
    for (const MfiTempo& change : melody.tempos) {
        if (change.tick >= tick) {
            break;
        }
        midi += (change.tick - from) * static_cast<uint64_t>(MfiMidiDivision / timebase);
        from = change.tick;
        timebase = change.timebase;
    }
    return midi + (tick - from) * static_cast<uint64_t>(MfiMidiDivision / timebase);
}

std::string MfiMidiFileBytes(const MfiMelody& melody, int64_t adjustment)
{
    const uint64_t end = MfiMidiTick(melody, melody.endTick);

    std::vector<TimedEvent> conductor;
    if (!melody.title.empty()) {
        conductor.push_back({0, 0, MetaText(0x03, melody.title)});
    }
    if (!melody.copyright.empty()) {
        conductor.push_back({0, 0, MetaText(0x02, melody.copyright)});
    }
    std::vector<MfiTempo> tempos = melody.tempos;
    if (tempos.empty() || tempos.front().tick != 0) {
        tempos.insert(tempos.begin(), MfiTempo{});
    }
    for (const MfiTempo& tempo : tempos) {
        const auto micros = static_cast<uint32_t>(std::min<int64_t>(adjustment * 600000 / std::max<int64_t>(tempo.tempo, 1), MaxTempoValue));
        conductor.push_back({MfiMidiTick(melody, tempo.tick), 1, Bytes({0xFF, 0x51, 0x03}) + ToBigEndian(micros, 3)});
    }

    std::array<std::vector<TimedEvent>, MfiLaneCount> lanes;
    for (const MfiControl& control : melody.controls) {
        for (TimedEvent& event : ControlEvents(melody, control, MfiMidiTick(melody, control.tick))) {
            lanes[control.lane].push_back(std::move(event));
        }
    }
    for (const MfiNote& note : melody.notes) {
        const int channel = note.lane;
        lanes[note.lane].push_back({MfiMidiTick(melody, note.start), 2, Bytes({0x90 | channel, note.key, note.velocity})});
        lanes[note.lane].push_back({MfiMidiTick(melody, note.End()), 0, Bytes({0x80 | channel, note.key, 0})});
    }

    std::string tracks = TrackOf(conductor, end);  // the conductor lasts the melody's length
    int trackCount = 1;
    for (std::vector<TimedEvent>& lane : lanes) {
        if (!lane.empty()) {
            tracks += TrackOf(lane, 0);
            ++trackCount;
        }
    }
    std::string header = Bytes({0, 1}) + ToBigEndian(static_cast<uint32_t>(trackCount), 2) + ToBigEndian(MfiMidiDivision, 2);
    return Chunk("MThd", header) + tracks;
}

}  // namespace quaverly
