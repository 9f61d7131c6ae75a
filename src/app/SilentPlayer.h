// A player that plays nothing, for builds without the synthesizer
// (QUAVERLY_PLAYER off): every play ends at once with its completion notice.
#pragma once

#include <QTimer>

#include "UnitPlay/MidiPlayer.h"

namespace quaverly {

class SilentPlayer : public MidiPlayer {
public:
    void Open(std::string /*midiBytes*/) override {}
    int Play() override
    {
        m_stopped = false;
        QTimer::singleShot(0, [this] {
            m_stopped = true;
            Notify();
        });
        return 0;
    }
    int PlayFrom(int /*startTime*/) override { return Play(); }
    int CurrentTime() const override { return -1; }
    void PreviewNote(int, int, int, int, int) override {}
    void Stop() override { m_stopped = true; }
    void Close() override {}
    bool IsStopped() const override { return m_stopped; }

private:
    bool m_stopped = true;
};

}  // namespace quaverly
