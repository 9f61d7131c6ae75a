#include "MfiMidi.h"

#include <algorithm>
#include <array>
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

// A channel message in place: the lanes' tracks hold tens of thousands.
struct ChannelEvent {
    uint64_t tick = 0;
    uint8_t order = 0;  // as TimedEvent's
    uint8_t size = 0;
    std::array<uint8_t, 3> bytes{};
};

std::string Chunk(std::string_view tag, const std::string& data)
{
    return std::string(tag) + ToBigEndian(static_cast<uint32_t>(data.size()), 4) + data;
}

constexpr size_t MaxCueMarkers = 64;

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

std::string ChannelTrack(std::vector<ChannelEvent>& events)
{
    std::stable_sort(events.begin(), events.end(), [](const ChannelEvent& a, const ChannelEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string data;
    data.reserve(events.size() * 4 + 4);
    uint64_t now = 0;
    for (const ChannelEvent& event : events) {
        data += ToVarLen(static_cast<uint32_t>(std::min<uint64_t>(event.tick - now, 0x0FFFFFFF)));
        data.append(reinterpret_cast<const char*>(event.bytes.data()), event.size);
        now = event.tick;
    }
    data += '\0';
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

void AddControl(std::vector<ChannelEvent>& events, const MfiControl& control, uint64_t tick)
{
    const auto channel = static_cast<uint8_t>(control.lane);
    const int value = control.value;
    const auto add = [&](int status, int first, int second, uint8_t size) {
        events.push_back({tick, 1, size,
                          {static_cast<uint8_t>(status | channel), static_cast<uint8_t>(first), static_cast<uint8_t>(second)}});
    };
    const auto controller = [&](int number, int data) { add(0xB0, number, std::clamp(data, 0, 127), 3); };
    switch (control.kind) {
    case MfiControlKind::Program:
        add(0xC0, value & 0x7F, 0, 2);
        return;
    case MfiControlKind::Volume:
        controller(7, value);
        return;
    case MfiControlKind::Pan:
        controller(10, value);
        return;
    case MfiControlKind::Expression:
        controller(11, value);
        return;
    case MfiControlKind::Modulation:
        controller(1, value);
        return;
    case MfiControlKind::PitchBend:
        add(0xE0, value & 0x7F, (value >> 7) & 0x7F, 3);
        return;
    case MfiControlKind::BendRange:
        // Registered parameter 0: the bend range in semitones.
        controller(101, 0);
        controller(100, 0);
        controller(6, value);
        controller(38, 0);
        return;
    }
}

}  // namespace

MfiMidiClock::MfiMidiClock(const MfiMelody& melody) : m_segments{Segment{}}
{
    m_segments.reserve(melody.tempos.size() + 1);
    for (const MfiTempo& change : melody.tempos) {
        const Segment& last = m_segments.back();
        const uint64_t midiTick = last.midiTick + (change.tick - last.tick) * last.factor;
        m_segments.push_back({change.tick, midiTick, static_cast<uint64_t>(MfiMidiDivision / change.timebase)});
    }
}

uint64_t MfiMidiClock::Tick(uint64_t tick) const
{
    // The last segment that starts before the tick (a change at the tick itself starts after it).
    auto after = std::lower_bound(m_segments.begin() + 1, m_segments.end(), tick,
                                  [](const Segment& segment, uint64_t wanted) { return segment.tick < wanted; });
    const Segment& segment = *(after - 1);
    return segment.midiTick + (tick - segment.tick) * segment.factor;
}

uint64_t MfiMidiTick(const MfiMelody& melody, uint64_t tick)
{
    return MfiMidiClock(melody).Tick(tick);
}

std::string MfiMidiFileBytes(const MfiMelody& melody, int64_t adjustment)
{
    const MfiMidiClock clock(melody);
    const uint64_t end = clock.Tick(melody.endTick);

    std::vector<TimedEvent> conductor;
    if (!melody.title.empty()) {
        conductor.push_back({0, 0, MetaText(0x03, melody.title)});
    }
    if (!melody.copyright.empty()) {
        conductor.push_back({0, 0, MetaText(0x02, melody.copyright)});
    }
    // Cue points as markers, so that a MIDI editor shows where they lie; a
    // file full of them gets markers for the first few.
    for (size_t i = 0; i < melody.cuePoints.size() && i < MaxCueMarkers; ++i) {
        const MfiCuePoint& cue = melody.cuePoints[i];
        const std::string name = cue.IsStart() ? "cue start" : cue.IsEnd() ? "cue end" : "cue " + std::to_string(cue.value);
        conductor.push_back({clock.Tick(cue.tick), 0, MetaText(0x06, name)});
    }
    std::vector<MfiTempo> tempos = melody.tempos;
    if (tempos.empty() || tempos.front().tick != 0) {
        tempos.insert(tempos.begin(), MfiTempo{});
    }
    for (const MfiTempo& tempo : tempos) {
        const auto micros = static_cast<uint32_t>(std::min<int64_t>(adjustment * 600000 / std::max<int64_t>(tempo.tempo, 1), MaxTempoValue));
        conductor.push_back({clock.Tick(tempo.tick), 1, Bytes({0xFF, 0x51, 0x03}) + ToBigEndian(micros, 3)});
    }

    std::array<std::vector<ChannelEvent>, MfiLaneCount> lanes;
    std::array<size_t, MfiLaneCount> sizes{};
    for (const MfiControl& control : melody.controls) {
        sizes[control.lane] += control.kind == MfiControlKind::BendRange ? 4 : 1;
    }
    for (const MfiNote& note : melody.notes) {
        sizes[note.lane] += 2;
    }
    for (size_t lane = 0; lane < lanes.size(); ++lane) {
        lanes[lane].reserve(sizes[lane]);
    }
    for (const MfiControl& control : melody.controls) {
        AddControl(lanes[control.lane], control, clock.Tick(control.tick));
    }
    for (const MfiNote& note : melody.notes) {
        const auto channel = static_cast<uint8_t>(note.lane);
        lanes[note.lane].push_back({clock.Tick(note.start), 2, 3, {static_cast<uint8_t>(0x90 | channel), note.key, note.velocity}});
        lanes[note.lane].push_back({clock.Tick(note.End()), 0, 3, {static_cast<uint8_t>(0x80 | channel), note.key, 0}});
    }

    std::string tracks = TrackOf(conductor, end);  // the conductor lasts the melody's length
    int trackCount = 1;
    for (std::vector<ChannelEvent>& lane : lanes) {
        if (!lane.empty()) {
            tracks += ChannelTrack(lane);
            ++trackCount;
        }
    }
    std::string header = Bytes({0, 1}) + ToBigEndian(static_cast<uint32_t>(trackCount), 2) + ToBigEndian(MfiMidiDivision, 2);
    return Chunk("MThd", header) + tracks;
}

}  // namespace quaverly
