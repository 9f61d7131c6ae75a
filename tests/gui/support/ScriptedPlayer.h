// A MIDI player stand-in: records every operation in order ("Open", "Play", "PlayFrom <time>", "Stop", "Close"), fails as scripted, and delivers the
// completion notice only when the test calls Finish().
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "base/Errors.h"
#include "UnitPlay/MidiPlayer.h"
#include "audio/SynthModule.h"

namespace quaverly {

class ScriptedPlayer : public MidiPlayer {
public:
    void Open(std::string bytes) override
    {
        midiBytes = std::move(bytes);
        calls.append(QStringLiteral("Open"));
        if (openError) {
            throw QuaverlyError(*openError);
        }
    }
    int Play() override
    {
        calls.append(QStringLiteral("Play"));
        if (playResult == 0) {
            stopped = false;
        }
        return playResult;
    }
    int PlayFrom(int startTime) override
    {
        calls.append(QStringLiteral("PlayFrom %1").arg(startTime));
        if (playResult == 0) {
            stopped = false;
        }
        return playResult;
    }
    // The fake clock of the follow: what the test sets is where the play is.
    int CurrentTime() const override { return stopped ? -1 : currentTime; }
    void PreviewNote(int channel, int program, int key, int velocity, int milliseconds) override
    {
        previews.append(QStringLiteral("%1 %2 %3 %4 %5").arg(channel).arg(program).arg(key).arg(velocity).arg(milliseconds));
    }
    void Stop() override
    {
        calls.append(QStringLiteral("Stop"));
        stopped = true;
    }
    void Close() override { calls.append(QStringLiteral("Close")); }
    bool IsStopped() const override { return stopped; }
    // Counted apart from the calls: the program asks once its window is painted.
    void Prepare() override { ++prepares; }

    // Renders for real through the synthesizer module beside the tests, as
    // the program's player does.
    AudioRenderResult RenderAudio(const AudioRenderJob& job, const AudioRenderProgress& progress) override
    {
        ++renders;
        // Loaded on the first export only: most window tests make no sound.
        if (!module) {
            module = std::make_unique<SynthModule>();
        }
        return module->RenderAudio(job, progress);
    }

    // The play ended (or was stopped): the player is stopped and sends its notice.
    void Finish()
    {
        stopped = true;
        Notify();
    }

    int prepares = 0;
    std::atomic<int> renders{0};
    std::unique_ptr<SynthModule> module;
    QStringList calls;
    QStringList previews;  // "channel program key velocity ms" of each preview asked for
    int currentTime = 0;
    std::string midiBytes;  // what the last Open was given
    std::optional<std::string> openError;  // Open throws this (Shift-JIS) when set
    int playResult = 0;
    bool stopped = true;
};

}  // namespace quaverly
