// The pitch bends of a melody of another maker as its MIDI file carries them:
// the 14-bit value's low 7 bits first, then the high 7 bits.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "MfiWriter.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiFileReader.h"

namespace quaverly {
namespace {

using namespace mfitest;

// The data bytes of every pitch bend event of the file, in file order, as a
// reader of MIDI files gives them.
class BendCollector : public MidiEventSink {
public:
    void Event(int /*track*/, const MidiEvent& event) override
    {
        if (event.Kind() == 0xE0) {
            bends.emplace_back(event.data1, event.data2);
        }
    }
    std::vector<std::pair<int, int>> bends;
};

std::vector<std::pair<int, int>> BendData(const std::string& midi)
{
    BendCollector collector;
    ReadMidiFile(midi, "bend.mid", collector);
    return collector.bends;
}

TEST(MfiMidiBend, DataBytesAreLowSevenBitsThenHigh)
{
    // Coarse 40 (32 is the middle) gives 40 x 256 = 10240 = 0x2800: low 0x00,
    // high 0x50. Fine 33 adds 8: 0x2808, low 0x08, high 0x50. Fine 40 adds 64:
    // 0x2840, low 0x40, high 0x50.
    const std::string events = Tempo(0, 120) + VoiceControl(0, 0xE4, 0, 40) + Note(0, 0, 27, 24) +
                               VoiceControl(24, 0xE8, 0, 33) + Note(0, 0, 27, 24) + VoiceControl(24, 0xE8, 0, 40) +
                               Note(0, 0, 27, 24) + End(24);
    const MfiMelody melody = ReadMfiMelody(MfiWriter().Info("titl", "Bend").Track(events).Bytes(), "bend.mld");
    const std::vector<std::pair<int, int>> expected{{0x00, 0x50}, {0x08, 0x50}, {0x40, 0x50}};
    EXPECT_EQ(BendData(MfiMidiFileBytes(melody)), expected);
}

}  // namespace
}  // namespace quaverly
