// One FluidSynth synthesizer with its settings and a General MIDI soundfont,
// loaded once and kept, so that a play sounds at once. The player
// (SequencePlayer) and the WAV renderer (AudioRenderer) both play through it,
// one at a time. The soundfont is an explicit path, else the
// QUAVERLY_SOUNDFONT environment variable, else the first of Debian's
// General MIDI soundfonts that exists.
#pragma once

#include <fluidsynth/types.h>

#include <string>
#include <vector>

#include "audio/AudioFormat.h"

namespace quaverly {

// The places searched, in order, when no soundfont is named.
std::vector<std::string> DefaultSoundFontPaths();

// The soundfont to load: explicitPath when given, else the environment
// variable's path when set, else the first default path that exists.
// Throws QuaverlyError: a named file that cannot be read, or none found
// (the message lists the places searched).
std::string FindSoundFont(const std::string& explicitPath);

class Synthesizer {
public:
    static constexpr int SampleRate = PlayerSampleRate;

    // Loads the soundfont (see FindSoundFont) and renders at sampleRate
    // (the player's 44.1 kHz unless an output asks for another). Throws QuaverlyError.
    explicit Synthesizer(const std::string& soundFontPath = {}, int sampleRate = SampleRate);
    ~Synthesizer();
    Synthesizer(const Synthesizer&) = delete;
    Synthesizer& operator=(const Synthesizer&) = delete;

    fluid_synth_t* Handle() const { return m_synth; }
    fluid_settings_t* Settings() const { return m_settings; }
    int Rate() const { return m_rate; }

    // Silences every voice and returns the channels to their power-on state,
    // so that one play does not colour the next.
    void Reset();

private:
    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
    std::string m_soundFontPath;
    int m_rate = SampleRate;
};

}  // namespace quaverly
