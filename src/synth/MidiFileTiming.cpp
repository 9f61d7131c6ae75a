#include "MidiFileTiming.h"

#include <algorithm>
#include <map>

#include "UnitMidi/MidiFileReader.h"

namespace quaverly {

namespace {

constexpr uint32_t DefaultTempo = 500000;  // microseconds to the quarter note: 120 per minute

// Keeps of the file only its tempo changes and the tick of each track's last event.
class TimingSink : public MidiEventSink {
public:
    void Event(int /*track*/, const MidiEvent& event) override
    {
        if (event.status == 0xFFu && event.data1 == 0x51u && event.body.size() == 3) {
            const auto byte = [&event](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(event.body[i])); };
            tempos.emplace(event.tick, (byte(0) << 16) | (byte(1) << 8) | byte(2));
        }
    }
    void TrackEnd(int /*track*/, int64_t tick) override { totalTicks = std::max(totalTicks, tick); }

    std::multimap<int64_t, uint32_t> tempos;  // tick, microseconds to the quarter note
    int64_t totalTicks = 0;
};

double TicksToSeconds(const std::multimap<int64_t, uint32_t>& tempos, int64_t ticks, int division)
{
    double seconds = 0.0;
    int64_t at = 0;
    uint32_t tempo = DefaultTempo;
    for (const auto& [tick, value] : tempos) {
        if (tick >= ticks) {
            break;
        }
        seconds += static_cast<double>(tick - at) * tempo / division / 1e6;
        at = tick;
        tempo = value;
    }
    return seconds + static_cast<double>(ticks - at) * tempo / division / 1e6;
}

}  // namespace

MidiFileTiming ReadMidiTiming(std::string_view bytes, const std::string& name)
{
    TimingSink sink;
    const MidiHeader header = ReadMidiFile(bytes, name, sink);
    MidiFileTiming timing;
    timing.division = header.division;
    timing.totalTicks = sink.totalTicks;
    timing.seconds = TicksToSeconds(sink.tempos, timing.totalTicks, timing.division);
    return timing;
}

}  // namespace quaverly
