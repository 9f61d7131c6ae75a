// The audio files the program writes and the rates it renders at: what the
// window and the command-line tool decide before any sound is made, so that
// neither needs the synthesizer's libraries to know a format.
#pragma once

#include <optional>
#include <string_view>

namespace quaverly {

// The rate the player and most exports render at.
inline constexpr int PlayerSampleRate = 44100;

// M4r: an iPhone ringtone, AAC-LC in an MPEG-4 audio container.
enum class AudioFormat { Wav, Flac, OggVorbis, Opus, Mp3, M4r };

// An iPhone takes a ringtone of at most 30 s when it is set on the phone,
// 40 s through a computer's sync: an ".m4r" export ends at its limit, faded
// out over at least the last M4rCutFadeSeconds.
inline constexpr double DefaultM4rSeconds = 30.0;
inline constexpr double MinM4rSeconds = 1.0;
inline constexpr double MaxM4rSeconds = 40.0;
inline constexpr double M4rCutFadeSeconds = 2.0;

// The format of the file name's extension (any case): .wav .flac .ogg .opus
// .mp3 .m4r; nothing for any other.
std::optional<AudioFormat> AudioFormatOfPath(std::string_view path);
// The sample rate the format is written at: Opus knows no 44.1 kHz and is
// rendered at 48 kHz; the others at the player's 44.1 kHz.
int AudioSampleRate(AudioFormat format);
// Whether the format carries Vorbis comments, where Android reads ANDROID_LOOP.
bool AudioFormatCanLoop(AudioFormat format);

}  // namespace quaverly
