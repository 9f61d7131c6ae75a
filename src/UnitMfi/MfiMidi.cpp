#include "MfiMidi.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "VNum/VNum.h"
#include "base/Errors.h"
#include "base/LimitMessages.h"
#include "base/Limits.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

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

// A lane's track, appended to the file in place: a megabyte melody's
// tracks are not copied again into the file.
void AppendChannelTrack(std::string& file, std::vector<ChannelEvent>& events)
{
    std::stable_sort(events.begin(), events.end(), [](const ChannelEvent& a, const ChannelEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    const size_t head = file.size();
    file.append("MTrk\0\0\0\0", 8);
    uint64_t now = 0;
    for (const ChannelEvent& event : events) {
        AppendVarLen(file, static_cast<uint32_t>(std::min<uint64_t>(event.tick - now, 0x0FFFFFFF)));
        file.append(reinterpret_cast<const char*>(event.bytes.data()), event.size);
        now = event.tick;
    }
    file += '\0';
    file += EndOfTrack;
    const std::string length = ToBigEndian(static_cast<uint32_t>(file.size() - head - 8), 4);
    file.replace(head + 4, 4, length);
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

namespace {

// A stretch of the melody's time [from, to) written from MIDI tick at: the
// whole melody is one; a loop unrolled is the intro with the first pass, then
// a stretch per further pass.
struct Stretch {
    uint64_t from = 0;
    uint64_t to = 0;  // the whole melody's stretch takes events at its end too
    uint64_t at = 0;
    bool whole = false;
    bool withState = false;  // starts with the lanes' controls and the tempo in effect at from
    bool fading = false;     // a pass of the fade-out
    bool toEnd = false;      // the rest of the melody after a counted loop: taken as the whole melody's end is
};

// The lanes' controls in effect at a tick: the last of each kind before it.
std::vector<MfiControl> StateAt(const MfiMelody& melody, uint64_t tick)
{
    std::array<std::array<const MfiControl*, 7>, MfiLaneCount> last{};
    for (const MfiControl& control : melody.controls) {
        if (control.tick >= tick) {
            break;
        }
        last[control.lane][static_cast<size_t>(control.kind)] = &control;
    }
    std::vector<MfiControl> state;
    for (const auto& lane : last) {
        for (const MfiControl* control : lane) {
            if (control != nullptr) {
                state.push_back(*control);
            }
        }
    }
    return state;
}

MfiTempo TempoAt(const MfiMelody& melody, uint64_t tick)
{
    MfiTempo tempo;
    for (const MfiTempo& change : melody.tempos) {
        if (change.tick > tick) {
            break;
        }
        tempo = change;
    }
    return tempo;
}

// The stretches of a shape, with the loop that shapes them.
std::vector<Stretch> StretchesOf(const MfiMelody& melody, const MfiMidiClock& clock, const MfiMidiShape& shape)
{
    const std::optional<MfiLoop> loop = MfiMainLoop(melody);
    if (!loop || shape.kind == MfiMidiShape::Kind::Whole) {
        return {{0, melody.endTick, 0, true, false}};
    }
    const uint64_t loopTicks = clock.Tick(loop->end) - clock.Tick(loop->start);
    if (shape.kind == MfiMidiShape::Kind::LoopSection) {
        return {{loop->start, loop->end, 0, false, true}};
    }
    std::vector<Stretch> stretches{{0, loop->end, 0, false, false}};
    uint64_t at = clock.Tick(loop->end);
    // A counted loop plays its section as often as the file says, then the
    // rest of the melody, which ends as a handset ends it: no fade.
    if (!loop->Forever()) {
        for (int pass = 1; pass < std::min(loop->count, MaxLoopUnroll); ++pass) {
            stretches.push_back({loop->start, loop->end, at, false, false});
            at += loopTicks;
        }
        if (melody.endTick > loop->end) {
            Stretch rest{loop->end, melody.endTick, at, false, false};
            rest.toEnd = true;
            stretches.push_back(rest);
        }
        return stretches;
    }
    for (int pass = 1; pass < std::clamp(shape.passes, 1, MaxLoopUnroll); ++pass) {
        stretches.push_back({loop->start, loop->end, at, false, false});
        at += loopTicks;
    }
    // The fade: the loop plays on for its seconds, the last pass cut where they end.
    const double loopSeconds = MfiSeconds(melody, loop->end) - MfiSeconds(melody, loop->start);
    double fade = std::isfinite(shape.fadeSeconds) ? std::clamp(shape.fadeSeconds, 0.0, MaxFadeOutSeconds) : 0.0;
    while (fade > 0 && loopSeconds > 0) {
        uint64_t to = loop->end;
        if (fade < loopSeconds) {
            // The first tick of the loop at or past the fade's end.
            uint64_t low = loop->start;
            uint64_t high = loop->end;
            const double base = MfiSeconds(melody, loop->start);
            while (low < high) {
                const uint64_t middle = low + (high - low) / 2;
                if (MfiSeconds(melody, middle) - base >= fade) {
                    high = middle;
                } else {
                    low = middle + 1;
                }
            }
            to = low;
        }
        stretches.push_back({loop->start, to, at, false, false, true});
        at += clock.Tick(to) - clock.Tick(loop->start);
        fade -= loopSeconds;
    }
    return stretches;
}

// Seconds at a tick of the written file, through its tempo events.
class WrittenClock {
public:
    explicit WrittenClock(std::vector<std::pair<uint64_t, uint32_t>> tempos) : m_tempos(std::move(tempos))
    {
        std::stable_sort(m_tempos.begin(), m_tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        m_tempos.insert(m_tempos.begin(), {0, QuarterMicroseconds(MfiTempo{}.tempo)});
        double seconds = 0;
        for (size_t i = 0; i < m_tempos.size(); ++i) {
            if (i > 0) {
                seconds += Span(i - 1, m_tempos[i].first);
            }
            m_seconds.push_back(seconds);
        }
    }
    double Seconds(uint64_t tick) const
    {
        const auto after = std::upper_bound(m_tempos.begin(), m_tempos.end(), tick,
                                            [](uint64_t wanted, const auto& tempo) { return wanted < tempo.first; });
        const size_t at = static_cast<size_t>(after - m_tempos.begin()) - 1;
        return m_seconds[at] + Span(at, tick);
    }

private:
    double Span(size_t index, uint64_t tick) const
    {
        return static_cast<double>(tick - m_tempos[index].first) * m_tempos[index].second / 1e6 / MfiMidiDivision;
    }
    std::vector<std::pair<uint64_t, uint32_t>> m_tempos;
    std::vector<double> m_seconds;
};

// The channel volume of every lane falls from where the fade starts to
// nothing at the end: steps of controller 7 a twentieth of a second apart,
// and the lane's own volume changes there scaled alike.
void FadeOut(std::array<std::vector<ChannelEvent>, MfiLaneCount>& lanes, const WrittenClock& clock, uint64_t from,
             uint64_t to)
{
    constexpr int StepsASecond = 20;
    constexpr int DefaultVolume = 100;  // a channel's volume before its first change
    const double start = clock.Seconds(from);
    const double length = clock.Seconds(to) - start;
    const auto gain = [&](uint64_t tick) {
        return length <= 0 ? 0.0 : std::clamp(1.0 - (clock.Seconds(tick) - start) / length, 0.0, 1.0);
    };
    const uint64_t steps = std::max<uint64_t>(1, static_cast<uint64_t>(length * StepsASecond));
    for (size_t lane = 0; lane < lanes.size(); ++lane) {
        std::vector<ChannelEvent>& events = lanes[lane];
        if (events.empty()) {
            continue;
        }
        std::stable_sort(events.begin(), events.end(), [](const ChannelEvent& a, const ChannelEvent& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<ChannelEvent> faded;
        faded.reserve(events.size() + steps + 1);
        int volume = DefaultVolume;
        uint64_t step = 0;
        const auto volumeEvent = [&](uint64_t tick) {
            const auto value = static_cast<uint8_t>(std::lround(volume * gain(tick)));
            return ChannelEvent{tick, 1, 3, {static_cast<uint8_t>(0xB0 | lane), 7, value}};
        };
        const auto stepsUpTo = [&](uint64_t tick) {
            for (; step <= steps; ++step) {
                const uint64_t at = from + (to - from) * step / steps;
                if (at > tick) {
                    return;
                }
                faded.push_back(volumeEvent(at));
            }
        };
        for (ChannelEvent event : events) {
            stepsUpTo(event.tick);
            if ((event.bytes[0] & 0xF0) == 0xB0 && event.bytes[1] == 7) {
                volume = event.bytes[2];
                if (event.tick >= from) {
                    event = volumeEvent(event.tick);
                }
            }
            faded.push_back(event);
        }
        stepsUpTo(to);
        events = std::move(faded);
    }
}

}  // namespace

std::string MfiMidiFileBytes(const MfiMelody& melody, const MfiMidiShape& shape)
{
    const MfiMidiClock clock(melody);
    const std::vector<Stretch> stretches = StretchesOf(melody, clock, shape);
    const bool whole = stretches.front().whole;
    // The events are counted before any list is made.
    // A stretch writes at most every event once, and the lanes' state (16 lanes,
    // 7 kinds, a bend range 4 events); the fade's volume steps, 20 a second.
    size_t events = melody.notes.size() * 2 + melody.tempos.size() + MfiLaneCount * 10;
    for (const MfiControl& control : melody.controls) {
        events += control.kind == MfiControlKind::BendRange ? 4 : 1;
    }
    const double fade = std::isfinite(shape.fadeSeconds) ? std::clamp(shape.fadeSeconds, 0.0, MaxFadeOutSeconds) : 0.0;
    const size_t fadeSteps = MfiLaneCount * static_cast<size_t>(fade * 20 + 2);
    if (events > MaxMfiMidiEvents || events * stretches.size() + fadeSteps + 1024 > MaxMfiMidiEvents) {
        throw QuaverlyError(OverCapMessage(Msg::MfiCapMidiEvents, MaxMfiMidiEvents));
    }
    const auto midiTick = [&clock](const Stretch& stretch, uint64_t tick) {
        return stretch.at + clock.Tick(tick) - clock.Tick(stretch.from);
    };
    const auto inside = [](const Stretch& stretch, uint64_t tick) {
        return tick >= stretch.from && (tick < stretch.to || ((stretch.whole || stretch.toEnd) && tick == stretch.to));
    };
    const Stretch& last = stretches.back();
    const uint64_t end = midiTick(last, last.to);

    std::vector<TimedEvent> conductor;
    if (!melody.title.empty()) {
        conductor.push_back({0, 0, MetaText(0x03, melody.title)});
    }
    if (!melody.copyright.empty()) {
        conductor.push_back({0, 0, MetaText(0x02, melody.copyright)});
    }
    const std::optional<MfiLoop> loop = MfiMainLoop(melody);
    if (whole) {
        // Cue points as markers, so that a MIDI editor shows where they lie; a
        // file full of them gets markers for the first few.
        for (size_t i = 0; i < melody.cuePoints.size() && i < MaxCueMarkers; ++i) {
            const MfiCuePoint& cue = melody.cuePoints[i];
            const std::string name = cue.IsStart() ? "cue start" : cue.IsEnd() ? "cue end" : "cue " + std::to_string(cue.value);
            conductor.push_back({clock.Tick(cue.tick), 0, MetaText(0x06, name)});
        }
        // The loop as game tools and players read it: markers around it.
        if (loop) {
            conductor.push_back({clock.Tick(loop->start), 0, MetaText(0x06, "loopStart")});
            conductor.push_back({clock.Tick(loop->end), 0, MetaText(0x06, "loopEnd")});
        }
    }
    std::vector<std::pair<uint64_t, uint32_t>> written;  // the tempo events as written: tick, microseconds
    const auto addTempo = [&](uint64_t tick, uint32_t micros) {
        conductor.push_back({tick, 1, Bytes({0xFF, 0x51, 0x03}) + ToBigEndian(micros, 3)});
        written.emplace_back(tick, micros);
    };
    for (const Stretch& stretch : stretches) {
        addTempo(stretch.at, QuarterMicroseconds(TempoAt(melody, stretch.from).tempo));
        for (const MfiTempo& tempo : melody.tempos) {
            if (tempo.tick > stretch.from && inside(stretch, tempo.tick)) {
                addTempo(midiTick(stretch, tempo.tick), QuarterMicroseconds(tempo.tempo));
            }
        }
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
        lanes[lane].reserve(sizes[lane] * stretches.size() + 1);
    }
    for (const Stretch& stretch : stretches) {
        if (stretch.withState) {
            for (const MfiControl& control : StateAt(melody, stretch.from)) {
                AddControl(lanes[control.lane], control, stretch.at);
            }
        }
        for (const MfiControl& control : melody.controls) {
            if (inside(stretch, control.tick)) {
                AddControl(lanes[control.lane], control, midiTick(stretch, control.tick));
            }
        }
        for (const MfiNote& note : melody.notes) {
            if (!inside(stretch, note.start)) {
                continue;
            }
            const auto channel = static_cast<uint8_t>(note.lane);
            // A note that sounds past a pass's end ends there.
            const uint64_t noteEnd =
                stretch.whole || stretch.toEnd ? note.End() : std::min<uint64_t>(note.End(), stretch.to);
            lanes[note.lane].push_back(
                {midiTick(stretch, note.start), 2, 3, {static_cast<uint8_t>(0x90 | channel), note.key, note.velocity}});
            lanes[note.lane].push_back({midiTick(stretch, noteEnd), 0, 3, {static_cast<uint8_t>(0x80 | channel), note.key, 0}});
        }
    }
    const auto fading = std::find_if(stretches.begin(), stretches.end(), [](const Stretch& s) { return s.fading; });
    if (fading != stretches.end()) {
        FadeOut(lanes, WrittenClock(std::move(written)), fading->at, end);
    }
    // Controller 111 at the loop's start, on every channel that plays.
    if (whole && loop) {
        for (size_t lane = 0; lane < lanes.size(); ++lane) {
            if (!lanes[lane].empty()) {
                lanes[lane].push_back({clock.Tick(loop->start), 1, 3, {static_cast<uint8_t>(0xB0 | lane), 111, 0}});
            }
        }
    }

    int trackCount = 1;
    size_t eventCount = 0;
    for (const std::vector<ChannelEvent>& lane : lanes) {
        trackCount += lane.empty() ? 0 : 1;
        eventCount += lane.size();
    }
    const std::string header =
        Bytes({0, 1}) + ToBigEndian(static_cast<uint32_t>(trackCount), 2) + ToBigEndian(MfiMidiDivision, 2);
    std::string file = Chunk("MThd", header);
    file += TrackOf(conductor, end);  // the conductor lasts the melody's length
    file.reserve(file.size() + eventCount * 5 + static_cast<size_t>(trackCount) * 16);
    for (std::vector<ChannelEvent>& lane : lanes) {
        if (!lane.empty()) {
            AppendChannelTrack(file, lane);
        }
    }
    return file;
}

bool MfiLoopsForever(const MfiMelody& melody)
{
    const std::optional<MfiLoop> loop = MfiMainLoop(melody);
    return loop && loop->Forever();
}

bool MfiHasLoop(const MfiMelody& melody)
{
    return MfiMainLoop(melody).has_value();
}

}  // namespace quaverly
