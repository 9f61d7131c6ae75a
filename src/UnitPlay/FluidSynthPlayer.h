// The program's MIDI player: MidiPlayer over the FluidSynth sequence player.
// The synthesizer and its soundfont are loaded on a worker thread from
// Prepare, which the window calls once it is on screen: the window shows
// without waiting for the soundfont or sharing the processor with its load,
// and the first play still sounds at once. A play before Prepare loads them
// itself; a missing soundfont is reported by Open.
// The sequence player calls back from its own thread; the completion notice
// is queued to this object, so the window gets it on the user-interface thread.
#pragma once

// Built with the synthesizer only (QUAVERLY_PLAYER).
#ifdef QUAVERLY_HAVE_SYNTH

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <future>
#include <memory>
#include <string>

#include "UnitPlay/MidiPlayer.h"
#include "synth/SequencePlayer.h"
#include "synth/Synthesizer.h"

namespace quaverly {

class FluidSynthPlayer : public QObject, public MidiPlayer {
    Q_OBJECT

public:
    // soundFont: an explicit soundfont path, or empty to search for one.
    explicit FluidSynthPlayer(AudioOutput output = {}, std::string soundFont = {}, QObject* parent = nullptr);
    // How long the output opened for typed notes stays open after the last one ends.
    static constexpr int PreviewIdleMs = 2000;
    ~FluidSynthPlayer() override;

    void SetFileName(const std::string& path) override;
    void Open() override;
    int Play() override;
    int PlayFrom(int startTime) override;
    int CurrentTime() const override;
    void PreviewNote(int channel, int program, int key, int velocity, int milliseconds) override;
    void Stop() override;
    void Close() override;
    bool IsStopped() const override;
    void Prepare() override;

private:
    // The synthesizer once the background load has ended; made again on
    // first need when that load failed. Throws QuaverlyError.
    Synthesizer& Synth();
    // The sequence player, made on first need (after the synthesizer).
    SequencePlayer& Sequence();

    AudioOutput m_output;
    std::string m_soundFont;
    std::string m_fileName;
    // The background load; its destructor waits for a load still running.
    std::future<std::unique_ptr<Synthesizer>> m_loading;
    std::unique_ptr<Synthesizer> m_synth;
    std::unique_ptr<SequencePlayer> m_sequence;
    // Counted on this object's thread: each Open and Close, each play.
    uint64_t m_openings = 0;
    uint64_t m_plays = 0;
    // Closes the typed notes' output once they have been quiet for PreviewIdleMs.
    QTimer* m_previewIdle = nullptr;
};

}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
