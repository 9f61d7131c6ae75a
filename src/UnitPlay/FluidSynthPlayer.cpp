#include "FluidSynthPlayer.h"

#ifdef QUAVERLY_HAVE_SYNTH

#include <QMetaObject>
#include <QTimer>
#include <system_error>

#include "base/Errors.h"

namespace quaverly {

namespace {

// The melody's ticks to the quarter note; the file has its own.
constexpr int64_t MelodyTicksPerQuarter = 48;

}  // namespace

FluidSynthPlayer::FluidSynthPlayer(AudioOutput output, std::string soundFont, QObject* parent)
    : QObject(parent), m_output(std::move(output)), m_soundFont(std::move(soundFont))
{
    // A device kept open for nothing keeps the sound system busy (and a file
    // output growing): the output of typed notes closes when they are quiet.
    m_previewIdle = new QTimer(this);
    m_previewIdle->setSingleShot(true);
    m_previewIdle->setInterval(PreviewIdleMs);
    connect(m_previewIdle, &QTimer::timeout, this, [this] {
        if (m_sequence && IsStopped()) {
            m_sequence->ReleaseSoundOutput();
        }
    });
}

void FluidSynthPlayer::Prepare()
{
    if (m_synth || m_loading.valid()) {
        return;
    }
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

SequencePlayer& FluidSynthPlayer::Sequence()
{
    if (!m_sequence) {
        m_sequence = std::make_unique<SequencePlayer>(Synth(), m_output);
    }
    return *m_sequence;
}

void FluidSynthPlayer::Open()
{
    ++m_openings;
    Sequence().Open(m_fileName);
}

int FluidSynthPlayer::Play()
{
    return PlayFrom(-1);
}

int FluidSynthPlayer::PlayFrom(int startTime)
{
    if (!m_sequence) {
        return PlayErrorNotOpen;
    }
    const int64_t division = m_sequence->Timing().division;
    const int64_t fileTick = startTime < 0 ? -1 : int64_t{startTime} * division / MelodyTicksPerQuarter;
    ++m_plays;
    const uint64_t opening = m_openings;
    return m_sequence->PlayFrom(
        [this, opening] {
            // On the sequence player's thread: hand the notice to this
            // object's thread. A notice that arrives after the file was
            // closed (or another opened) belongs to no play and is dropped.
            QMetaObject::invokeMethod(
                this,
                [this, opening] {
                    if (opening == m_openings) {
                        Notify();
                    }
                },
                Qt::QueuedConnection);
        },
        fileTick);
}

int FluidSynthPlayer::CurrentTime() const
{
    if (!m_sequence || m_sequence->Timing().division <= 0) {
        return -1;
    }
    const int64_t tick = m_sequence->CurrentTick();
    return tick < 0 ? -1 : static_cast<int>(tick * MelodyTicksPerQuarter / m_sequence->Timing().division);
}

void FluidSynthPlayer::PreviewNote(int channel, int program, int key, int velocity, int milliseconds)
{
    if (!IsStopped()) {
        return;
    }
    // Started from the event loop so that the key that asked for it is
    // handled first; a preview that cannot sound is simply not heard.
    QMetaObject::invokeMethod(
        this,
        [this, channel, program, key, velocity, milliseconds] {
            if (!IsStopped()) {
                return;
            }
            try {
                m_previewIdle->stop();
                Sequence().StartSound(channel, program, key, velocity);
            } catch (const QuaverlyError&) {
                return;
            }
            // A play started meanwhile may sound the same key on the same
            // channel: its note is not the preview's to end (the play's
            // opening has already silenced the preview).
            QTimer::singleShot(milliseconds, this, [this, channel, key, plays = m_plays] {
                if (m_sequence && plays == m_plays) {
                    m_sequence->EndSound(channel, key);
                    m_previewIdle->start();
                }
            });
        },
        Qt::QueuedConnection);
}

void FluidSynthPlayer::Stop()
{
    if (m_sequence) {
        m_sequence->Stop();
    }
}

void FluidSynthPlayer::Close()
{
    ++m_openings;
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
