// The busy melody of another maker that the benchmarks read, play and
// convert: about 100 KB, four tracks of about 6,000 events each, notes with
// velocity, bends and tempo changes, as a busy ringtone has them.
#pragma once

#include <string>

#include "../tests/core/MfiWriter.h"

namespace quaverly::bench {

inline std::string BusyFourTrackFile()
{
    using namespace quaverly::mfitest;
    MfiWriter writer;
    writer.Info("vers", "0301").Info("titl", "Busy").Info("copy", "(c)").FourByteNotes();
    for (int track = 0; track < 4; ++track) {
        std::string events = track == 0 ? Tempo(0, 120) : std::string();
        for (int voice = 0; voice < 4; ++voice) {
            events += VoiceControl(0, 0xE0, voice, voice * 8) + VoiceControl(0, 0xE2, voice, 50);
        }
        for (int i = 0; i < 6000; ++i) {
            const int voice = i % 4;
            if (i % 50 == 0) {
                events += VoiceControl(0, 0xE4, voice, 20 + i % 24);
            }
            if (track == 0 && i % 500 == 0) {
                events += Tempo(0, 100 + i % 60);
            }
            events += Note(voice == 0 ? 6 : 0, voice, (i * 7 + track * 5) % 60, 5 + i % 40, 20 + i % 40, i % 4);
        }
        writer.Track(events + End(48));
    }
    return writer.Bytes();
}

}  // namespace quaverly::bench
