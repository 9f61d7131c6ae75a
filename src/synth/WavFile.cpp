#include "WavFile.h"

namespace quaverly {

namespace {

void AppendLittleEndian(std::string& out, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

}  // namespace

std::string WavHeader(uint32_t dataBytes, int channels, int sampleRate)
{
    constexpr int BytesPerSample = 2;
    std::string out;
    out += "RIFF";
    AppendLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    AppendLittleEndian(out, 16, 4);  // the size of the PCM format block
    AppendLittleEndian(out, 1, 2);   // linear PCM
    AppendLittleEndian(out, static_cast<uint32_t>(channels), 2);
    AppendLittleEndian(out, static_cast<uint32_t>(sampleRate), 4);
    AppendLittleEndian(out, static_cast<uint32_t>(sampleRate * channels * BytesPerSample), 4);
    AppendLittleEndian(out, static_cast<uint32_t>(channels * BytesPerSample), 2);
    AppendLittleEndian(out, 8 * BytesPerSample, 2);
    out += "data";
    AppendLittleEndian(out, dataBytes, 4);
    return out;
}

void AppendWavSamples(std::string& out, const int16_t* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        AppendLittleEndian(out, static_cast<uint16_t>(samples[i]), 2);
    }
}

std::string WavFileBytes(const std::vector<int16_t>& samples, int channels, int sampleRate)
{
    std::string out = WavHeader(static_cast<uint32_t>(samples.size() * 2), channels, sampleRate);
    out.reserve(out.size() + samples.size() * 2);
    AppendWavSamples(out, samples.data(), samples.size());
    return out;
}

}  // namespace quaverly
