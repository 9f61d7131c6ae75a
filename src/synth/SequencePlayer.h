// Plays a Standard MIDI File through the Synthesizer in real time: open,
// play with one completion call per play, stop, close, and "rewind when
// played at the end". FluidSynth's player does the playing; this class knows
// when a play has reached the file's end (FluidSynth itself waits on for a
// couple of seconds of release tail) and tells its caller once, from its own
// watcher thread, never from the audio thread.
//
// Where the sound goes is an AudioOutput: the system's audio device through a
// FluidSynth driver, FluidSynth's "file" driver, or a silent output that
// renders in real time and throws the samples away (for machines without a
// sound device, tests and measurements).
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "MidiFileTiming.h"
#include "Synthesizer.h"
#include "audio/AudioOutput.h"

namespace quaverly {

class SequencePlayer {
public:
    class Output;  // what renders the synthesizer while a file is open

    SequencePlayer(Synthesizer& synth, AudioOutput output);
    ~SequencePlayer();
    SequencePlayer(const SequencePlayer&) = delete;
    SequencePlayer& operator=(const SequencePlayer&) = delete;

    // Takes the MIDI file's bytes and opens the audio output (closing what
    // was open); name is the file's name for messages. Throws QuaverlyError
    // for a malformed file or an audio output that cannot be opened.
    void OpenBytes(std::string midiBytes, const std::string& name);
    // The same with the file read from path; throws FileError besides.
    void Open(const std::string& path);
    // Starts play: from the start after a play that reached the end, else from
    // where the last play stopped. completion is called exactly once when this
    // play ends or is stopped, on the watcher thread; it must not call Close.
    // Returns 0, or a PlayErrorCode.
    int Play(std::function<void()> completion);
    // The same from a tick of the file (its own ticks to the quarter note).
    int PlayFrom(std::function<void()> completion, int64_t fileTick);
    // The file tick the playing has reached, -1 when not playing. Reads the
    // player's position; safe from the caller's thread.
    int64_t CurrentTick() const;
    // A short sound outside the file: starts a key on a channel with a
    // program, opening the output when no file holds it open; the caller ends
    // it with EndSound. Throws QuaverlyError when the output cannot be opened.
    void StartSound(int channel, int program, int key, int velocity);
    void EndSound(int channel, int key);
    // Releases an output opened only for short sounds (none while a file
    // holds it open); the next StartSound opens it again.
    void ReleaseSoundOutput();
    // Stops play; the play's completion call still comes.
    void Stop();
    // Stops play without its completion call and releases the output: a
    // completion under way when Close is called ends before it returns, and
    // none begins after Close is called.
    void Close();

    bool IsOpen() const { return m_player != nullptr; }
    // Playing from Play until the play ends or Stop is called.
    bool IsPlaying() const;
    const MidiFileTiming& Timing() const { return m_timing; }

private:
    static int OnTick(void* data, int tick);
    void WatchPlays();
    void StopWatcher();

    Synthesizer& m_synth;
    AudioOutput m_outputConfig;
    MidiFileTiming m_timing;
    fluid_player_t* m_player = nullptr;
    std::unique_ptr<Output> m_output;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_watcher;
    std::function<void()> m_completion;
    bool m_playing = false;  // a completion call is due
    bool m_stopRequested = false;
    bool m_atEnd = false;  // the last play reached the end: the next one rewinds
    int64_t m_startTick = 0;  // where the current play started
    bool m_shutdown = false;
    // Held while a completion is called; Close sets m_closing under it, so
    // that no completion is called once Close has begun.
    std::mutex m_deliveryMutex;
    bool m_closing = false;
    std::atomic<bool> m_endReached{false};  // set on the audio thread
};

}  // namespace quaverly
