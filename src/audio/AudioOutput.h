// Where a play's sound goes, and what a play that cannot start returns: the
// player's vocabulary as the window and the synthesizer both use it.
#pragma once

#include <functional>
#include <string>

namespace quaverly {

enum class AudioOutputKind {
    Device,  // a FluidSynth audio driver
    File,    // FluidSynth's "file" driver, paced in real time
    Silent,  // rendered in real time, then dropped
};

struct AudioOutput {
    AudioOutputKind kind = AudioOutputKind::Device;
    // Device: the FluidSynth driver to use. Empty: the QUAVERLY_AUDIO_DRIVER
    // environment variable when set, else "pulseaudio", then "alsa".
    std::string driver;
    // File: the file the driver writes.
    std::string fileName;
    // Silent: sees every rendered block (left and right, frames) on the audio thread.
    std::function<void(const float*, const float*, int)> observer;
};

// Play's result codes (0 is success).
enum PlayErrorCode : int {
    PlayErrorNotOpen = 1,
    PlayErrorRefused = 2,
};

}  // namespace quaverly
