// The bytes of a RIFF WAVE file holding 16-bit linear PCM, as the renderer
// writes it: a 44-byte header, then the interleaved little-endian samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quaverly {

// The largest sample data a WAVE file can describe: its sizes are 32-bit.
inline constexpr uint64_t WavDataLimit = 0xFFFFFFFFull - 36;

// The 44-byte header of a file whose sample data takes dataBytes.
std::string WavHeader(uint32_t dataBytes, int channels, int sampleRate);

// Appends 16-bit samples in the file's little-endian order.
void AppendWavSamples(std::string& out, const int16_t* samples, size_t count);

// A whole file: samples are interleaved, channels of them to a frame. The
// caller keeps the data within WavDataLimit.
std::string WavFileBytes(const std::vector<int16_t>& samples, int channels, int sampleRate);

}  // namespace quaverly
