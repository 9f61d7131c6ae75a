#include "FluidSynthPlayer.h"

#ifdef QUAVERLY_HAVE_SYNTH

#include <QMetaObject>
#include <system_error>

#include "base/Errors.h"

namespace quaverly {

FluidSynthPlayer::FluidSynthPlayer(AudioOutput output, std::string soundFont, QObject* parent)
    : QObject(parent), m_output(std::move(output)), m_soundFont(std::move(soundFont))
{
    try {
        m_loading = std::async(std::launch::async,
                               [soundFont = m_soundFont] { return std::make_unique<Synthesizer>(soundFont); });
    } catch (const std::system_error&) {
        // No thread to spare: the first play loads the soundfont.
    }
}

FluidSynthPlayer::~FluidSynthPlayer()
{
    // Joins the sequence player's thread before this object stops taking notices.
    m_sequence.reset();
}

Synthesizer& FluidSynthPlayer::Synth()
{
    if (!m_synth && m_loading.valid()) {
        try {
            m_synth = m_loading.get();
        } catch (const QuaverlyError&) {
            // Tried once more below, so that the error reaches the play that needs it.
        }
    }
    if (!m_synth) {
        m_synth = std::make_unique<Synthesizer>(m_soundFont);
    }
    return *m_synth;
}

void FluidSynthPlayer::SetFileName(const std::string& path)
{
    m_fileName = path;
}

void FluidSynthPlayer::Open()
{
    if (!m_sequence) {
        m_sequence = std::make_unique<SequencePlayer>(Synth(), m_output);
    }
    m_sequence->Open(m_fileName);
}

int FluidSynthPlayer::Play()
{
    if (!m_sequence) {
        return PlayErrorNotOpen;
    }
    return m_sequence->Play([this] {
        // On the sequence player's thread: hand the notice to this object's thread.
        QMetaObject::invokeMethod(
            this, [this] { Notify(); }, Qt::QueuedConnection);
    });
}

void FluidSynthPlayer::Stop()
{
    if (m_sequence) {
        m_sequence->Stop();
    }
}

void FluidSynthPlayer::Close()
{
    if (m_sequence) {
        m_sequence->Close();
    }
}

bool FluidSynthPlayer::IsStopped() const
{
    return !m_sequence || !m_sequence->IsPlaying();
}

}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
