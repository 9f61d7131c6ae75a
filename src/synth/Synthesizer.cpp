#include "Synthesizer.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// FluidSynth reports to the console by default; the library keeps quiet and
// tells its caller through exceptions and result codes instead.
void SilenceFluidSynth()
{
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
}

bool IsReadableFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::vector<std::string> DefaultSoundFontPaths()
{
    return {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
            "/usr/share/sounds/sf2/default-GM.sf2"};
}

std::string FindSoundFont(const std::string& explicitPath)
{
    std::string named = explicitPath;
    if (named.empty()) {
        const char* fromEnvironment = std::getenv("QUAVERLY_SOUNDFONT");
        if (fromEnvironment != nullptr) {
            named = fromEnvironment;
        }
    }
    // A soundfont the user named is used or refused, never silently replaced.
    if (!named.empty()) {
        if (!IsReadableFile(named)) {
            throw QuaverlyError(std::string(Msg::SoundFontUnreadable) + named);
        }
        return named;
    }
    std::string searched;
    for (const std::string& path : DefaultSoundFontPaths()) {
        if (IsReadableFile(path)) {
            return path;
        }
        searched.append("\r\n").append(path);
    }
    throw QuaverlyError(std::string(Msg::SoundFontNotFound) + searched);
}

Synthesizer::Synthesizer(const std::string& soundFontPath, int sampleRate) : m_rate(sampleRate)
{
    SilenceFluidSynth();
    m_soundFontPath = FindSoundFont(soundFontPath);

    m_settings = new_fluid_settings();
    if (m_settings == nullptr) {
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }
    fluid_settings_setnum(m_settings, "synth.sample-rate", m_rate);
    // The player's clock is the count of rendered samples: it keeps time with
    // the audio device when playing and runs as fast as the CPU when rendering.
    fluid_settings_setstr(m_settings, "player.timing-source", "sample");
    fluid_settings_setint(m_settings, "player.reset-synth", 0);
    // A melody sounds at most four notes at once; what piles up beyond that
    // are release tails of notes already ended. Thirty-two voices hold every
    // tail of ordinary melodies, and keep fast runs (sixty-fourth notes in four
    // voices would keep some 250 tails alive) rendering many times faster than
    // real time by ending their oldest tails early.
    fluid_settings_setint(m_settings, "synth.polyphony", 32);
    fluid_settings_setint(m_settings, "audio.realtime-prio", 0);

    m_synth = new_fluid_synth(m_settings);
    if (m_synth == nullptr) {
        delete_fluid_settings(m_settings);
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }
    if (fluid_synth_sfload(m_synth, m_soundFontPath.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
        throw QuaverlyError(std::string(Msg::SoundFontUnreadable) + m_soundFontPath);
    }
}

Synthesizer::~Synthesizer()
{
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
}

void Synthesizer::Reset()
{
    fluid_synth_all_sounds_off(m_synth, -1);
    fluid_synth_system_reset(m_synth);
}

}  // namespace quaverly
