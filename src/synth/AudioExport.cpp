#include "AudioExport.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "AudioEncoder.h"
#include "AudioRenderer.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr int Channels = 2;
constexpr int64_t BlockFrames = 4096;

// Calls the progress function at the start, at most once an interval, and at the end.
class ProgressTicker {
public:
    ProgressTicker(const AudioExportRequest& request, int64_t total)
        : m_progress(request.progress), m_interval(request.progressInterval), m_total(total)
    {
    }
    // False when the export is cancelled.
    bool Tick(int64_t done)
    {
        if (!m_progress) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (m_told && done < m_total && now - m_last < m_interval) {
            return true;
        }
        m_told = true;
        m_last = now;
        return m_progress(done, m_total);
    }

private:
    const AudioExportProgress& m_progress;
    std::chrono::milliseconds m_interval;
    int64_t m_total;
    bool m_told = false;
    std::chrono::steady_clock::time_point m_last;
};

struct PassPlan {
    int64_t melodyFrames = 0;
    int64_t fadeStart = 0;  // the first frame of the fade: the end of the last repeat
    int64_t totalFrames = 0;
};

// One play of the melody's bytes on the synthesizer, ended on destruction.
class MelodyPlay {
public:
    MelodyPlay(Synthesizer& synth, std::string_view midiBytes) : m_player(new_fluid_player(synth.Handle()))
    {
        if (m_player == nullptr) {
            throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
        }
        fluid_player_add_mem(m_player, midiBytes.data(), midiBytes.size());
        fluid_player_play(m_player);
    }
    ~MelodyPlay()
    {
        fluid_player_stop(m_player);
        delete_fluid_player(m_player);
    }
    MelodyPlay(const MelodyPlay&) = delete;
    MelodyPlay& operator=(const MelodyPlay&) = delete;
    bool Ended() const { return fluid_player_get_status(m_player) == FLUID_PLAYER_DONE; }

private:
    fluid_player_t* m_player;
};

// Renders the whole export once: the melody played again at each repeat
// (release tails and reverb ring on into the next), then played on for the
// fade under a gain falling straight to zero. Each block, scaled by gain and
// (when clip) kept within full scale, goes to sink; peak gets the largest
// magnitude before clipping. False when cancelled.
template <class Sink>
bool RenderPass(Synthesizer& synth, const AudioExportRequest& request, const MidiFileTiming& timing,
                const PassPlan& plan, float gain, bool clip, ProgressTicker& ticker, int64_t progressBase,
                float& peak, Sink&& sink)
{
    synth.Reset();
    DrainEffects(synth);
    std::vector<float> left(BlockFrames);
    std::vector<float> right(BlockFrames);
    std::vector<float> block(BlockFrames * Channels);
    const int64_t fadeFrames = plan.totalFrames - plan.fadeStart;
    peak = 0.0F;
    int64_t done = 0;
    while (done < plan.totalFrames) {
        // A melody of no length plays nothing: the rest is silence.
        const int64_t segment =
            plan.melodyFrames > 0 ? std::min(plan.melodyFrames, plan.totalFrames - done) : plan.totalFrames - done;
        std::optional<MelodyPlay> play;
        if (plan.melodyFrames > 0) {
            play.emplace(synth, request.midiBytes);
        }
        for (int64_t played = 0; played < segment;) {
            const int frames = static_cast<int>(std::min(BlockFrames, segment - played));
            fluid_synth_write_float(synth.Handle(), frames, left.data(), 0, 1, right.data(), 0, 1);
            // A file FluidSynth could not read ends its player at once.
            if (played == 0 && play && play->Ended() && timing.totalTicks > 0) {
                throw QuaverlyError(std::string(Msg::MidiFileMalformed) + request.name);
            }
            for (int i = 0; i < frames; ++i) {
                const int64_t frame = done + played + i;
                float frameGain = gain;
                if (frame >= plan.fadeStart) {
                    frameGain *= static_cast<float>(plan.totalFrames - frame) / static_cast<float>(fadeFrames);
                }
                float l = left[static_cast<size_t>(i)] * frameGain;
                float r = right[static_cast<size_t>(i)] * frameGain;
                peak = std::max({peak, std::abs(l), std::abs(r)});
                if (clip) {
                    l = std::clamp(l, -1.0F, 1.0F);
                    r = std::clamp(r, -1.0F, 1.0F);
                }
                block[static_cast<size_t>(2 * i)] = l;
                block[static_cast<size_t>(2 * i + 1)] = r;
            }
            sink(block.data(), frames);
            played += frames;
            if (!ticker.Tick(progressBase + done + played)) {
                return false;
            }
        }
        done += segment;
    }
    return true;
}

// Renders a pass on a thread of its own while the caller encodes the blocks
// before. Rendering and encoding take about as long as each other for Vorbis
// and MP3 (some 75x and 120x real time on one core), so on two cores the
// export runs at the pace of the slower of them instead of at their sum. The
// file is written from the caller's thread only. A few blocks wait at the
// most (MaxQueued, under a second of audio) and their buffers are used
// again, so memory stays the same for any length.
class RenderThread {
public:
    // pass(push) renders, handing each block to push; false when cancelled.
    using Pass = std::function<bool(const std::function<void(const float*, int)>& push)>;

    explicit RenderThread(Pass pass) : m_pass(std::move(pass)), m_thread([this] { Run(); }) {}
    // Stops a rendering still running: the encoding failed.
    ~RenderThread()
    {
        {
            std::lock_guard lock(m_mutex);
            m_abandoned = true;
        }
        m_space.notify_all();
        m_thread.join();
    }
    RenderThread(const RenderThread&) = delete;
    RenderThread& operator=(const RenderThread&) = delete;

    // The next block into block (whose buffer is used again); false at the
    // end of the pass. Throws what the rendering threw.
    bool Next(std::vector<float>& block)
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_queue.empty() || m_finished; });
        if (m_queue.empty()) {
            if (m_error != nullptr) {
                std::rethrow_exception(m_error);
            }
            return false;
        }
        if (block.capacity() > 0) {
            m_spare.push_back(std::move(block));
        }
        block = std::move(m_queue.front());
        m_queue.pop_front();
        m_space.notify_one();
        return true;
    }
    // After Next returned false: whether the pass was cancelled.
    bool Cancelled() const
    {
        std::lock_guard lock(m_mutex);
        return m_cancelled;
    }

private:
    static constexpr size_t MaxQueued = 8;
    struct Abandoned {};

    void Push(const float* samples, int frames)
    {
        std::unique_lock lock(m_mutex);
        m_space.wait(lock, [this] { return m_queue.size() < MaxQueued || m_abandoned; });
        if (m_abandoned) {
            throw Abandoned{};
        }
        std::vector<float> block;
        if (!m_spare.empty()) {
            block = std::move(m_spare.back());
            m_spare.pop_back();
        }
        block.assign(samples, samples + static_cast<ptrdiff_t>(frames) * Channels);
        m_queue.push_back(std::move(block));
        m_ready.notify_one();
    }

    void Run()
    {
        bool completed = false;
        std::exception_ptr error;
        try {
            completed = m_pass([this](const float* samples, int frames) { Push(samples, frames); });
        } catch (const Abandoned&) {
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(m_mutex);
        m_error = error;
        m_cancelled = !completed && error == nullptr;
        m_finished = true;
        m_ready.notify_all();
    }

    Pass m_pass;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;  // a block queued, or the end
    std::condition_variable m_space;  // a block taken, or abandoned
    std::deque<std::vector<float>> m_queue;
    std::vector<std::vector<float>> m_spare;
    std::exception_ptr m_error;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_abandoned = false;
    std::thread m_thread;  // last: starts once the members above exist
};

// Leaves the synthesizer silent and ready for the player, however the export ends.
class SynthReset {
public:
    explicit SynthReset(Synthesizer& synth) : m_synth(synth) {}
    ~SynthReset() { m_synth.Reset(); }
    SynthReset(const SynthReset&) = delete;
    SynthReset& operator=(const SynthReset&) = delete;

private:
    Synthesizer& m_synth;
};

}  // namespace

AudioExportOptions ClampedOptions(AudioExportOptions options)
{
    options.repeats = std::clamp(options.repeats, MinExportRepeats, MaxExportRepeats);
    options.fadeSeconds = std::isfinite(options.fadeSeconds) ? std::clamp(options.fadeSeconds, 0.0, MaxFadeSeconds) : 0.0;
    options.maxSeconds = std::isfinite(options.maxSeconds) && options.maxSeconds > 0.0
                             ? std::clamp(options.maxSeconds, MinM4rSeconds, MaxM4rSeconds)
                             : 0.0;
    return options;
}

namespace {

// The frames before any limit: the melody's length times the repeats, plus the fade.
int64_t UncutFrames(const MidiFileTiming& timing, const AudioExportOptions& options, int sampleRate)
{
    return std::llround(timing.seconds * sampleRate) * options.repeats + std::llround(options.fadeSeconds * sampleRate);
}

int64_t LimitFrames(const AudioExportOptions& options, int sampleRate)
{
    return options.maxSeconds > 0.0 ? std::llround(options.maxSeconds * sampleRate) : 0;
}

}  // namespace

int64_t ExportFrames(const MidiFileTiming& timing, const AudioExportOptions& options, int sampleRate)
{
    const AudioExportOptions clamped = ClampedOptions(options);
    const int64_t frames = UncutFrames(timing, clamped, sampleRate);
    const int64_t limit = LimitFrames(clamped, sampleRate);
    return limit > 0 ? std::min(frames, limit) : frames;
}

bool ExportIsCut(const MidiFileTiming& timing, const AudioExportOptions& options, int sampleRate)
{
    const AudioExportOptions clamped = ClampedOptions(options);
    const int64_t limit = LimitFrames(clamped, sampleRate);
    return limit > 0 && UncutFrames(timing, clamped, sampleRate) > limit;
}

bool ExportAudio(Synthesizer& synth, const AudioExportRequest& request)
{
    const std::optional<AudioFormat> format = AudioFormatOfPath(request.path);
    if (!format) {
        throw QuaverlyError(std::string(Msg::AudioFormatUnknown) + request.path);
    }
    if (synth.Rate() != AudioSampleRate(*format)) {
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }
    const MidiFileTiming timing = ReadMidiTiming(request.midiBytes, request.name);
    if (timing.seconds > MaxRenderSeconds) {
        throw QuaverlyError(std::string(Msg::AudioTooLong) + request.name);
    }
    // The encoder module is loaded before anything is rendered: where it or
    // FFmpeg is missing, the export says so at once and writes nothing.
    std::optional<EncodeModule> encodeModule;
    if (*format == AudioFormat::M4r) {
        encodeModule.emplace(request.encodeModule);
    }
    const AudioExportOptions options = ClampedOptions(request.options);
    PassPlan plan;
    plan.melodyFrames = std::llround(timing.seconds * synth.Rate());
    plan.fadeStart = plan.melodyFrames * options.repeats;
    plan.totalFrames = ExportFrames(timing, options, synth.Rate());
    if (ExportIsCut(timing, options, synth.Rate())) {
        // Cut at the limit: the sound fades out over the last seconds before it.
        const int64_t cutFade = std::llround(M4rCutFadeSeconds * synth.Rate());
        plan.fadeStart = std::max<int64_t>(0, std::min(plan.fadeStart, plan.totalFrames - cutFade));
    }

    const int passes = options.normalize ? 2 : 1;
    ProgressTicker ticker(request, plan.totalFrames * passes);
    if (!ticker.Tick(0)) {
        return false;
    }
    SynthReset resetAtEnd(synth);
    float gain = 1.0F;
    float peak = 0.0F;
    if (options.normalize) {
        if (!RenderPass(synth, request, timing, plan, 1.0F, false, ticker, 0, peak, [](const float*, int) {})) {
            return false;
        }
        if (peak > 0.0F) {
            gain = static_cast<float>(std::pow(10.0, NormalizedPeakDb / 20.0) / peak);
        }
    }
    FileReplacement target(request.path);
    const std::unique_ptr<AudioEncoder> encoder =
        OpenAudioEncoder(*format, synth.Rate(), request.tags, target, encodeModule ? &*encodeModule : nullptr);
    {
        RenderThread rendering([&](const std::function<void(const float*, int)>& push) {
            return RenderPass(synth, request, timing, plan, gain, true, ticker, plan.totalFrames * (passes - 1),
                              peak, push);
        });
        std::vector<float> block;
        while (rendering.Next(block)) {
            encoder->Write(block.data(), static_cast<int64_t>(block.size() / Channels));
        }
        if (rendering.Cancelled()) {
            return false;
        }
    }
    encoder->Close();
    target.Commit();
    return true;
}

}  // namespace quaverly
