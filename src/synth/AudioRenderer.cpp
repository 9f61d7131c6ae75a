#include "AudioRenderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "MidiFileTiming.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "WavFile.h"

namespace quaverly {

namespace {

constexpr int Channels = 2;
constexpr int64_t BlockFrames = 4096;
// The longest effects tail waited out before a rendering starts.
constexpr int64_t MaxDrainFrames = 5 * Synthesizer::SampleRate;

// Plays the bytes through the synthesizer block by block, as fast as it
// renders, and hands each block of interleaved samples to sink.
void Render(Synthesizer& synth, std::string_view midiBytes, const std::string& name, int64_t& totalFrames,
            const std::function<void(const int16_t*, int64_t)>& sink, const std::function<void()>& ready)
{
    MidiFileTiming timing = ReadMidiTiming(midiBytes, name);
    if (timing.seconds > MaxRenderSeconds) {
        throw QuaverlyError(std::string(Msg::AudioTooLong) + name);
    }
    totalFrames = std::llround(timing.seconds * Synthesizer::SampleRate);
    ready();

    synth.Reset();
    DrainEffects(synth);
    fluid_player_t* player = new_fluid_player(synth.Handle());
    if (player == nullptr) {
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }
    std::vector<int16_t> block(static_cast<size_t>(BlockFrames * Channels));
    try {
        fluid_player_add_mem(player, midiBytes.data(), midiBytes.size());
        fluid_player_play(player);
        for (int64_t done = 0; done < totalFrames;) {
            int frames = static_cast<int>(std::min(BlockFrames, totalFrames - done));
            fluid_synth_write_s16(synth.Handle(), frames, block.data(), 0, Channels, block.data(), 1, Channels);
            // A file FluidSynth could not read ends its player at once.
            if (done == 0 && fluid_player_get_status(player) == FLUID_PLAYER_DONE && timing.totalTicks > 0) {
                throw QuaverlyError(std::string(Msg::MidiFileMalformed) + name);
            }
            sink(block.data(), frames);
            done += frames;
        }
    } catch (...) {
        delete_fluid_player(player);
        synth.Reset();
        throw;
    }
    delete_fluid_player(player);
    synth.Reset();
}

}  // namespace

// Reverb and chorus keep ringing after the voices are cut off; rendering them
// away first keeps what played before out of the start of a new rendering.
void DrainEffects(Synthesizer& synth)
{
    std::vector<float> left(BlockFrames);
    std::vector<float> right(BlockFrames);
    for (int64_t drained = 0; drained < MaxDrainFrames; drained += BlockFrames) {
        fluid_synth_write_float(synth.Handle(), static_cast<int>(BlockFrames), left.data(), 0, 1, right.data(), 0, 1);
        float peak = 0.0F;
        for (int64_t i = 0; i < BlockFrames; ++i) {
            peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
        }
        if (peak < 1.0F / 32768) {
            return;
        }
    }
}

RenderedAudio RenderMidi(Synthesizer& synth, std::string_view midiBytes, const std::string& name)
{
    RenderedAudio audio;
    int64_t totalFrames = 0;
    Render(
        synth, midiBytes, name, totalFrames,
        [&audio](const int16_t* samples, int64_t frames) {
            audio.samples.insert(audio.samples.end(), samples, samples + frames * Channels);
        },
        [&audio, &totalFrames] { audio.samples.reserve(static_cast<size_t>(totalFrames * Channels)); });
    return audio;
}

void RenderMidiToWav(Synthesizer& synth, std::string_view midiBytes, const std::string& name,
                     const std::string& wavPath)
{
    // Rendered straight behind the header, so that a long file is held once.
    std::string wav;
    int64_t totalFrames = 0;
    Render(
        synth, midiBytes, name, totalFrames,
        [&wav](const int16_t* samples, int64_t frames) {
            AppendWavSamples(wav, samples, static_cast<size_t>(frames * Channels));
        },
        [&wav, &totalFrames] {
            auto dataBytes = static_cast<uint32_t>(totalFrames * Channels * 2);
            wav = WavHeader(dataBytes, Channels, Synthesizer::SampleRate);
            wav.reserve(wav.size() + dataBytes);
        });
    WriteWholeFile(wavPath, wav);
}

}  // namespace quaverly
