// A melody of another maker of about 1 MB: four tracks of 60,000 notes
// each, sounding from the first tick. The play benchmarks of the player and
// of the window open it.
#pragma once

#include <string>

#include "../tests/core/MfiWriter.h"

namespace quaverly::bench {

inline std::string MegabyteForeignMelody()
{
    using namespace quaverly::mfitest;
    MfiWriter writer;
    writer.Info("vers", "0301").Info("titl", "Big").FourByteNotes();
    for (int track = 0; track < 4; ++track) {
        std::string events = track == 0 ? Tempo(0, 120) : std::string();
        for (int i = 0; i < 60000; ++i) {
            const int voice = i % 4;
            events += Note(voice == 0 && i > 0 ? 6 : 0, voice, (i * 7 + track * 5) % 60, 5 + i % 40, 20 + i % 40, i % 4);
        }
        writer.Track(events + End(48));
    }
    return writer.Bytes();
}

}  // namespace quaverly::bench
