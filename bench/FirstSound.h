// A silent audio output that tells when the first block that is not silence
// has been rendered: what the play benchmarks time up to.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "audio/AudioOutput.h"

namespace quaverly::bench {

class FirstSound {
public:
    AudioOutput Output()
    {
        AudioOutput output;
        output.kind = AudioOutputKind::Silent;
        output.observer = [this](const float* left, const float* right, int frames) {
            for (int i = 0; i < frames && !m_heard; ++i) {
                if (left[i] != 0.0F || right[i] != 0.0F) {
                    std::lock_guard lock(m_mutex);
                    m_heard = true;
                    m_sounded.notify_all();
                }
            }
        };
        return output;
    }
    void Reset() { m_heard = false; }
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_sounded.wait(lock, [&] { return m_heard.load(); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_sounded;
    std::atomic<bool> m_heard{false};
};

}  // namespace quaverly::bench
