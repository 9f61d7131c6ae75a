// Audio export: a Standard MIDI File rendered through the synthesizer faster
// than real time and encoded into an ordinary audio file (WAV, FLAC, Ogg
// Vorbis, Opus, MP3 or an iPhone ringtone's ".m4r", chosen by the file name's
// extension; AudioEncoder.h). The melody can be played several times over,
// fade out at the end, be normalised to a peak of -1 dBFS and be cut at a
// limit, fading out over the seconds before it.
//
// The audio is never held whole (the longest melody gives some 950 s, 335 MB
// as float samples): it is rendered in blocks straight into the encoder.
// Normalising needs the peak before the first block is written, so it renders
// twice: a first pass only measures, the second writes with the gain. The
// synthesizer starts both passes from the same silent state, so both passes
// make the same samples. The writing pass renders on a thread of its own
// while the calling thread encodes and writes what is rendered.
//
// The file is written through FileReplacement: a cancel or a failure leaves no
// partial file and an existing file as it was.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "MidiFileTiming.h"
#include "audio/AudioFormat.h"
#include "AudioEncoder.h"
#include "Synthesizer.h"

namespace quaverly {

inline constexpr int MinExportRepeats = 1;
inline constexpr int MaxExportRepeats = 10;
inline constexpr double MaxFadeSeconds = 30.0;
// The normalised peak: -1 dBFS.
inline constexpr double NormalizedPeakDb = -1.0;

struct AudioExportOptions {
    int repeats = 1;           // how many times the melody plays, MinExportRepeats..MaxExportRepeats
    double fadeSeconds = 0.0;  // the melody plays on this long after the last repeat, fading to silence
    bool normalize = false;    // scale the whole to a peak of NormalizedPeakDb
    // 0: no limit. Else MinM4rSeconds..MaxM4rSeconds: a longer export ends
    // there, faded out over at least its last M4rCutFadeSeconds.
    double maxSeconds = 0.0;
};

// The options brought into their ranges (a fade that is not a number is none).
AudioExportOptions ClampedOptions(AudioExportOptions options);

// The frames an export writes at sampleRate: the melody's length times the
// repeats, plus the fade; at most the limit.
int64_t ExportFrames(const MidiFileTiming& timing, const AudioExportOptions& options, int sampleRate);
// Whether the limit cuts the export short.
bool ExportIsCut(const MidiFileTiming& timing, const AudioExportOptions& options, int sampleRate);

// Told how far the export has come (frames rendered so far over all passes,
// and the total of all passes); returns false to cancel. Called at the start,
// then at most once per interval, and at the end of the last pass; during
// the writing pass from the export's rendering thread.
using AudioExportProgress = std::function<bool(int64_t done, int64_t total)>;

struct AudioExportRequest {
    std::string_view midiBytes;
    std::string name;  // the input's name, for messages
    std::string path;  // the audio file to write; its extension names the format
    AudioExportOptions options;
    EncoderTags tags;               // the title, and the loop comment of Ogg Vorbis and Opus
    std::string encodeModule;       // the encoder module of ".m4r"; empty: beside the synthesizer
    AudioExportProgress progress;  // may be empty
    std::chrono::milliseconds progressInterval{50};
};

// Renders and writes the file; true when written, false when the progress
// call cancelled it (nothing written). synth must render at the format's
// AudioSampleRate and not be playing through a SequencePlayer meanwhile.
// Throws QuaverlyError: an unknown extension, a wrong sample rate, bytes that
// are not a MIDI file, a melody longer than MaxRenderSeconds, an encoder's
// refusal; FileError when the file cannot be written.
bool ExportAudio(Synthesizer& synth, const AudioExportRequest& request);

}  // namespace quaverly
