// The program's MIDI player: MidiPlayer over the player of the synthesizer
// module (audio/SynthModule.h), and the window's one door to that module: the
// audio export renders through it too. The module, the synthesizer and its soundfont
// are loaded on a worker thread from Prepare, which the window calls once it
// is on screen: the window shows without waiting for them (nor for the forty
// libraries FluidSynth brings) or sharing the processor with their load, and
// the first play still sounds at once. A play before Prepare loads them
// itself; a missing module or soundfont is reported by Open.
// The module's player calls back from its own thread; the completion notice
// is queued to this object, so the window gets it on the user-interface thread.
#pragma once

// Built with the synthesizer only (QUAVERLY_PLAYER).
#ifdef QUAVERLY_HAVE_SYNTH

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>

#include "UnitPlay/MidiPlayer.h"
#include "audio/AudioOutput.h"
#include "audio/SynthModule.h"

namespace quaverly {

class FluidSynthPlayer : public QObject, public MidiPlayer {
    Q_OBJECT

public:
    // soundFont: an explicit soundfont path, or empty to search for one.
    explicit FluidSynthPlayer(AudioOutput output = {}, std::string soundFont = {}, QObject* parent = nullptr);
    // How long the output opened for typed notes stays open after the last one ends.
    static constexpr int PreviewIdleMs = 2000;
    ~FluidSynthPlayer() override;

    void Open(std::string midiBytes) override;
    int Play() override;
    int PlayFrom(int startTime) override;
    int CurrentTime() const override;
    void PreviewNote(int channel, int program, int key, int velocity, int milliseconds) override;
    void Stop() override;
    void Close() override;
    bool IsStopped() const override;
    void Prepare() override;
    AudioRenderResult RenderAudio(const AudioRenderJob& job, const AudioRenderProgress& progress) override;

private:
    // The module's player with the operations that work it; destroys the
    // player when it goes.
    class Loaded;

    // The module, loaded on the first call from any thread and kept.
    const SynthModule& Module();

    // The loaded player once the background load has ended; loaded again on
    // first need when that load failed. Throws QuaverlyError.
    Loaded& Player();
    // The loaded player when there is one, without loading.
    Loaded* PlayerIfLoaded() const { return m_player.get(); }

    std::once_flag m_moduleLoad;
    std::unique_ptr<SynthModule> m_module;
    AudioOutput m_output;
    std::string m_soundFont;
    // The background load; its destructor waits for a load still running.
    std::future<std::unique_ptr<Loaded>> m_loading;
    std::unique_ptr<Loaded> m_player;
    // Counted on this object's thread: each Open and Close, each play.
    uint64_t m_openings = 0;
    uint64_t m_plays = 0;
    // Closes the typed notes' output once they have been quiet for PreviewIdleMs.
    QTimer* m_previewIdle = nullptr;
};

}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
