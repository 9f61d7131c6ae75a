#include "SequencePlayer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "UnitMidi/MidiFileReader.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly {

// What renders the synthesizer while a file is open.
class SequencePlayer::Output {
public:
    virtual ~Output() = default;
};

namespace {

// How often the watcher looks whether a play has ended: well inside the
// tenth of a second within which the end should be noticed.
constexpr auto WatchInterval = std::chrono::milliseconds(5);

// Frames the silent output renders at a time (about 5.8 ms).
constexpr int SilentBlockFrames = 256;

class DriverOutput : public SequencePlayer::Output {
public:
    explicit DriverOutput(fluid_audio_driver_t* driver) : m_driver(driver) {}
    ~DriverOutput() override { delete_fluid_audio_driver(m_driver); }

private:
    fluid_audio_driver_t* m_driver;
};

// Renders in real time on its own thread and drops the samples, so that the
// player keeps time without a sound device.
class SilentOutput : public SequencePlayer::Output {
public:
    SilentOutput(fluid_synth_t* synth, std::function<void(const float*, const float*, int)> observer)
        : m_synth(synth), m_observer(std::move(observer)), m_thread([this] { Run(); })
    {
    }
    ~SilentOutput() override
    {
        m_stop = true;
        m_thread.join();
    }

private:
    void Run()
    {
        std::vector<float> left(SilentBlockFrames);
        std::vector<float> right(SilentBlockFrames);
        const auto blockTime = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(static_cast<double>(SilentBlockFrames) / Synthesizer::SampleRate));
        auto next = std::chrono::steady_clock::now();
        while (!m_stop) {
            fluid_synth_write_float(m_synth, SilentBlockFrames, left.data(), 0, 1, right.data(), 0, 1);
            if (m_observer) {
                m_observer(left.data(), right.data(), SilentBlockFrames);
            }
            next += blockTime;
            std::this_thread::sleep_until(next);
        }
    }

    fluid_synth_t* m_synth;
    std::function<void(const float*, const float*, int)> m_observer;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::vector<std::string> DeviceDrivers(const std::string& configured)
{
    if (!configured.empty()) {
        return {configured};
    }
    const char* fromEnvironment = std::getenv("QUAVERLY_AUDIO_DRIVER");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return {fromEnvironment};
    }
    return {"pulseaudio", "alsa"};
}

std::unique_ptr<SequencePlayer::Output> OpenOutput(Synthesizer& synth, const AudioOutput& config)
{
    if (config.kind == AudioOutputKind::Silent) {
        return std::make_unique<SilentOutput>(synth.Handle(), config.observer);
    }
    std::vector<std::string> drivers{"file"};
    if (config.kind == AudioOutputKind::File) {
        fluid_settings_setstr(synth.Settings(), "audio.file.name", config.fileName.c_str());
    } else {
        drivers = DeviceDrivers(config.driver);
    }
    std::string tried;
    for (const std::string& driver : drivers) {
        fluid_settings_setstr(synth.Settings(), "audio.driver", driver.c_str());
        if (fluid_audio_driver_t* handle = new_fluid_audio_driver(synth.Settings(), synth.Handle())) {
            return std::make_unique<DriverOutput>(handle);
        }
        tried.append(tried.empty() ? "" : ", ").append(driver);
    }
    throw QuaverlyError(std::string(Msg::AudioDeviceUnavailable) + tried);
}

}  // namespace

SequencePlayer::SequencePlayer(Synthesizer& synth, AudioOutput output)
    : m_synth(synth), m_outputConfig(std::move(output))
{
}

SequencePlayer::~SequencePlayer()
{
    Close();
}

void SequencePlayer::Open(const std::string& path)
{
    OpenBytes(ReadWholeFile(path, MaxMidiFileSize), path);
}

void SequencePlayer::OpenBytes(std::string bytes, const std::string& name)
{
    Close();
    if (bytes.size() > MaxMidiFileSize) {
        throw QuaverlyError(std::string(Msg::MidiFileMalformed) + name);
    }
    MidiFileTiming timing = ReadMidiTiming(bytes, name);

    m_synth.Reset();
    fluid_player_t* player = new_fluid_player(m_synth.Handle());
    if (player == nullptr) {
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }
    fluid_player_add_mem(player, bytes.data(), bytes.size());
    fluid_player_set_tick_callback(player, &SequencePlayer::OnTick, this);
    m_timing = timing;
    try {
        m_output = OpenOutput(m_synth, m_outputConfig);
    } catch (...) {
        delete_fluid_player(player);
        throw;
    }
    m_player = player;
    {
        std::lock_guard delivery(m_deliveryMutex);
        m_closing = false;
    }
    m_atEnd = false;
    m_shutdown = false;
    m_watcher = std::thread([this] { WatchPlays(); });
}

int SequencePlayer::Play(std::function<void()> completion)
{
    return PlayFrom(std::move(completion), -1);
}

int SequencePlayer::PlayFrom(std::function<void()> completion, int64_t fileTick)
{
    std::lock_guard lock(m_mutex);
    if (m_player == nullptr) {
        return PlayErrorNotOpen;
    }
    if (m_playing && !m_stopRequested) {
        m_completion = std::move(completion);  // already playing: still one call for it
        return 0;
    }
    // Past the end there is nothing to hear: that play ends at once.
    const int seekTick = static_cast<int>(std::min(fileTick, m_timing.totalTicks));
    // FluidSynth takes a seek while stopped only once it has read the file
    // (after a first play); else the seek follows the start of play and is
    // taken at the player's next step, within the first block of audio.
    bool seekPending = false;
    if (fileTick >= 0) {
        seekPending = fluid_player_seek(m_player, seekTick) != FLUID_OK;
        m_atEnd = false;
    } else if (m_atEnd) {
        fluid_player_seek(m_player, 0);
        m_atEnd = false;
    }
    m_endReached = false;
    if (fluid_player_play(m_player) != FLUID_OK) {
        return PlayErrorRefused;
    }
    if (seekPending) {
        fluid_player_seek(m_player, seekTick);
    }
    m_startTick = fileTick >= 0 ? seekTick : 0;
    m_playing = true;
    m_stopRequested = false;
    m_completion = std::move(completion);
    m_wake.notify_all();
    return 0;
}

void SequencePlayer::Stop()
{
    std::lock_guard lock(m_mutex);
    if (m_player == nullptr || !m_playing) {
        return;
    }
    fluid_player_stop(m_player);
    m_stopRequested = true;
    m_wake.notify_all();
}

void SequencePlayer::Close()
{
    {
        // Waits for a completion call under way; none starts after this.
        std::lock_guard delivery(m_deliveryMutex);
        m_closing = true;
    }
    if (m_player == nullptr) {
        // Only an output opened for a short sound, if any.
        m_output.reset();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        fluid_player_stop(m_player);
        m_playing = false;
        m_completion = nullptr;
    }
    StopWatcher();
    // The player may be deleted only once nothing renders the synthesizer.
    m_output.reset();
    delete_fluid_player(m_player);
    m_player = nullptr;
    m_synth.Reset();
}

int64_t SequencePlayer::CurrentTick() const
{
    std::lock_guard lock(m_mutex);
    if (m_player == nullptr || !m_playing || m_stopRequested) {
        return -1;
    }
    // Until the player has taken the seek it still reports where it was;
    // within one play the position never goes back before the start.
    return std::max<int64_t>(m_startTick, fluid_player_get_current_tick(m_player));
}

void SequencePlayer::StartSound(int channel, int program, int key, int velocity)
{
    if (!m_output) {
        m_output = OpenOutput(m_synth, m_outputConfig);
    }
    fluid_synth_program_change(m_synth.Handle(), channel, program);
    fluid_synth_noteon(m_synth.Handle(), channel, key, velocity);
}

void SequencePlayer::EndSound(int channel, int key)
{
    if (m_output) {
        fluid_synth_noteoff(m_synth.Handle(), channel, key);
    }
}

void SequencePlayer::ReleaseSoundOutput()
{
    if (m_player == nullptr) {
        m_output.reset();
    }
}

bool SequencePlayer::IsPlaying() const
{
    std::lock_guard lock(m_mutex);
    return m_playing && !m_stopRequested;
}

int SequencePlayer::OnTick(void* data, int tick)
{
    auto* self = static_cast<SequencePlayer*>(data);
    // Runs on the audio thread: only a flag, no lock and no call out.
    if (tick >= self->m_timing.totalTicks) {
        self->m_endReached = true;
    }
    return FLUID_OK;
}

void SequencePlayer::WatchPlays()
{
    std::unique_lock lock(m_mutex);
    while (!m_shutdown) {
        if (!m_playing) {
            m_wake.wait(lock);
            continue;
        }
        // FluidSynth's own end (a file it could not load) counts as the end too.
        // (A stopped player reports that state as well, so it counts only unstopped.)
        bool ended = m_endReached || (!m_stopRequested && fluid_player_get_status(m_player) == FLUID_PLAYER_DONE);
        if (!ended && !m_stopRequested) {
            m_wake.wait_for(lock, WatchInterval);
            continue;
        }
        if (ended) {
            fluid_player_stop(m_player);
            m_atEnd = true;
        }
        m_playing = false;
        m_stopRequested = false;
        std::function<void()> completion = std::move(m_completion);
        m_completion = nullptr;
        lock.unlock();
        {
            // Close may have begun since the completion was taken: it then
            // stays undelivered, as Close promises.
            std::lock_guard delivery(m_deliveryMutex);
            if (completion && !m_closing) {
                completion();
            }
        }
        lock.lock();
    }
}

void SequencePlayer::StopWatcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        m_wake.notify_all();
    }
    if (m_watcher.joinable()) {
        m_watcher.join();
    }
}

}  // namespace quaverly
