#include "MidiDuration.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>

#include "MidiFileReader.h"

namespace quaverly {

namespace {

constexpr double DefaultMicrosecondsPerQuarter = 500000.0;
constexpr uint8_t MetaStatus = 0xFF;
constexpr uint8_t TempoMeta = 0x51;

class DurationSink : public MidiEventSink {
public:
    void Header(const MidiHeader& header) override { division = header.division; }
    void Event(int /*track*/, const MidiEvent& event) override
    {
        if (event.status == MetaStatus && event.data1 == TempoMeta && event.body.size() == 3) {
            const auto byte = [&event](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(event.body[i])); };
            tempos[event.tick] = static_cast<double>((byte(0) << 16) | (byte(1) << 8) | byte(2));
        }
        // What sounds: a track may end later than its last note.
        if (event.status < 0xF0) {
            lastTick = std::max(lastTick, event.tick);
        }
    }

    int division = 0;
    int64_t lastTick = 0;
    std::map<int64_t, double> tempos;  // tick to microseconds per quarter
};

}  // namespace

double MidiFileSeconds(std::string_view bytes)
{
    DurationSink sink;
    ReadMidiFile(bytes, std::string(), sink);
    if (sink.division <= 0) {
        return 0.0;
    }
    double microseconds = 0.0;
    int64_t tick = 0;
    double perQuarter = DefaultMicrosecondsPerQuarter;
    for (const auto& [at, tempo] : sink.tempos) {
        if (at >= sink.lastTick) {
            break;
        }
        microseconds += static_cast<double>(at - tick) * perQuarter / sink.division;
        tick = at;
        perQuarter = tempo;
    }
    microseconds += static_cast<double>(sink.lastTick - tick) * perQuarter / sink.division;
    return microseconds / 1e6;
}

}  // namespace quaverly
