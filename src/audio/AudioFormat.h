// The audio files the program writes and the rates it renders at: what the
// window and the command-line tool decide before any sound is made, so that
// neither needs the synthesizer's libraries to know a format.
#pragma once

#include <optional>
#include <string_view>

namespace quaverly {

// The rate the player and most exports render at.
inline constexpr int PlayerSampleRate = 44100;

enum class AudioFormat { Wav, Flac, OggVorbis, Opus, Mp3 };

// The format of the file name's extension (any case): .wav .flac .ogg .opus
// .mp3; nothing for any other.
std::optional<AudioFormat> AudioFormatOfPath(std::string_view path);
// The sample rate the format is written at: Opus knows no 44.1 kHz and is
// rendered at 48 kHz; the others at the player's 44.1 kHz.
int AudioSampleRate(AudioFormat format);

}  // namespace quaverly
