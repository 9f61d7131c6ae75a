// The system MIDI player as the play commands see it: exactly the operations
// they need. The real one plays through FluidSynth; tests use a scripted one.
// The completion notice always arrives on the user-interface thread.
#pragma once

#include <functional>
#include <string>

#include "audio/AudioRenderJob.h"
#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

class MidiPlayer {
public:
    virtual ~MidiPlayer() = default;

    // Opens the MIDI file given as its bytes, from memory: nothing is
    // written. Throws QuaverlyError carrying the player's own message.
    virtual void Open(std::string midiBytes) = 0;
    // Starts play (from the start when the last play reached the end) and asks
    // for one completion notice; returns 0 on success, else an error code.
    virtual int Play() = 0;
    // The same from a time of the melody (ticks, 48 to the quarter note).
    virtual int PlayFrom(int startTime) = 0;
    // The melody time the play has reached, -1 when nothing plays. Asked on
    // the user-interface thread, never called back from the audio.
    virtual int CurrentTime() const = 0;
    // Sounds a key briefly on a channel with a 0-based program, and returns at
    // once; nothing happens while a file plays or when no sound can be made.
    virtual void PreviewNote(int channel, int program, int key, int velocity, int milliseconds) = 0;
    // Stops play; the completion notice of the stopped play still arrives.
    virtual void Stop() = 0;
    virtual void Close() = 0;
    // The mode: the commands only ask whether the player is stopped.
    virtual bool IsStopped() const = 0;
    // Gets ready for the first play without keeping anyone waiting: the real
    // player starts loading its synthesizer and soundfont in the background.
    // The window calls it once it has first been painted; a play before that
    // loads what it needs itself.
    virtual void Prepare() {}
    // Renders an audio file with a synthesizer of its own, apart from play.
    // Called on a worker thread. Throws QuaverlyError with the reason.
    virtual AudioRenderResult RenderAudio(const AudioRenderJob& /*job*/, const AudioRenderProgress& /*progress*/)
    {
        throw QuaverlyError(std::string(Msg::SynthesizerUnavailable));
    }

    // Called on the user-interface thread when a play ends or is stopped.
    void SetNotify(std::function<void()> notify) { m_notify = std::move(notify); }

protected:
    void Notify()
    {
        if (m_notify) {
            m_notify();
        }
    }

private:
    std::function<void()> m_notify;
};

}  // namespace quaverly
