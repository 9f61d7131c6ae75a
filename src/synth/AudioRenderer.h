// Renders a Standard MIDI File through the Synthesizer faster than real time
// into 44.1 kHz 16-bit stereo: what the player would sound, for the length of
// the file, as samples or as a WAV file. The synthesizer's player clock counts
// rendered samples, so the timing is the same as when playing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Synthesizer.h"

namespace quaverly {

// The longest audio rendered: an hour (about 635 MB of samples).
inline constexpr double MaxRenderSeconds = 3600.0;

struct RenderedAudio {
    std::vector<int16_t> samples;  // interleaved left, right
    size_t Frames() const { return samples.size() / 2; }
};

// Renders away the reverb and chorus still ringing from earlier sounds (at
// most five seconds), so that they do not reach into a new rendering.
void DrainEffects(Synthesizer& synth);

// The synthesizer must not be playing through a SequencePlayer meanwhile.
// name is the file's name for messages. Throws QuaverlyError for bytes that
// are not a MIDI file, or audio longer than MaxRenderSeconds.
RenderedAudio RenderMidi(Synthesizer& synth, std::string_view midiBytes, const std::string& name);

// Renders and writes the WAV file whole (WriteWholeFile). Throws as
// RenderMidi, and FileError.
void RenderMidiToWav(Synthesizer& synth, std::string_view midiBytes, const std::string& name,
                     const std::string& wavPath);

}  // namespace quaverly
