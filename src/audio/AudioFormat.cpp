#include "AudioFormat.h"

#include <string>

#include "base/FileIO.h"

namespace quaverly {

std::optional<AudioFormat> AudioFormatOfPath(std::string_view path)
{
    const std::string extension = UpperExtension(path);
    if (extension == ".WAV") {
        return AudioFormat::Wav;
    }
    if (extension == ".FLAC") {
        return AudioFormat::Flac;
    }
    if (extension == ".OGG") {
        return AudioFormat::OggVorbis;
    }
    if (extension == ".OPUS") {
        return AudioFormat::Opus;
    }
    if (extension == ".MP3") {
        return AudioFormat::Mp3;
    }
    if (extension == ".M4R") {
        return AudioFormat::M4r;
    }
    return std::nullopt;
}

int AudioSampleRate(AudioFormat format)
{
    return format == AudioFormat::Opus ? 48000 : PlayerSampleRate;
}

bool AudioFormatCanLoop(AudioFormat format)
{
    return format == AudioFormat::OggVorbis || format == AudioFormat::Opus;
}

}  // namespace quaverly
