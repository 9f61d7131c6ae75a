// A 40 MB melody file of another maker, four tracks of 10 MB, written a
// track at a time so that the test never holds it whole: for the big-input
// tests of the tool and of the window.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "../core/MfiWriter.h"

namespace quaverly::mfitest {

inline constexpr size_t BigFileBytes = size_t{40} << 20;

// A file of four tracks of 10 MB each, written a track at a time. dense: 3-byte
// notes only, far more than the note cap; else a note between 29 "nothing"
// events, about 350,000 notes in all, so that every track is read whole.
inline void WriteFourTrackFile(const std::filesystem::path& path, bool dense)
{
    const size_t trackBytes = BigFileBytes / 4 - 64;
    std::string unit;
    for (int voice = 0; voice < 4; ++voice) {
        // A tick apart, each note ended before its key comes again on its lane.
        unit += Note(dense ? (voice == 0 ? 1 : 0) : 1, voice, 10 + voice * 7, dense ? 1 : 2);
        if (!dense) {
            for (int i = 0; i < 29; ++i) {
                unit += Control(0, 0xDE, 0);
            }
        }
    }
    const std::string start = Tempo(0, 120);
    const std::string end = End();
    const size_t units = (trackBytes - start.size() - end.size()) / unit.size();
    const size_t trackSize = start.size() + units * unit.size() + end.size();
    const std::string head = MfiWriter().Info("titl", "big").Info("vers", "0300").Bytes();
    // The writer makes the head alone: its lengths are set here for four tracks.
    std::string header = head.substr(0, 13);
    const size_t infoBytes = head.size() - 13;
    header.replace(4, 4, BigEndian(5 + infoBytes + 4 * (8 + trackSize), 4));
    header[12] = 4;
    std::ofstream file(path, std::ios::binary);
    file << header << head.substr(13);
    std::string block;
    for (int i = 0; i < 1024; ++i) {
        block += unit;
    }
    for (int t = 0; t < 4; ++t) {
        file << "trac" << BigEndian(trackSize, 4) << start;
        for (size_t written = 0; written < units; written += 1024) {
            file.write(block.data(), static_cast<std::streamsize>(std::min<size_t>(1024, units - written) * unit.size()));
        }
        file << end;
    }
}

}  // namespace quaverly::mfitest
