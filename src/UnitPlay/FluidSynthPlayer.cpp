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
// The played MIDI file's name in messages: it has no file of its own.
constexpr const char* PlayName = "Play.mid";

int OutputKindNumber(AudioOutputKind kind)
{
    switch (kind) {
    case AudioOutputKind::File:
        return 1;
    case AudioOutputKind::Silent:
        return 2;
    case AudioOutputKind::Device:
        break;
    }
    return 0;
}

// The silent output's blocks, handed to the observer the player was made with.
void ObserveBlock(void* context, const float* left, const float* right, int frames)
{
    (*static_cast<const std::function<void(const float*, const float*, int)>*>(context))(left, right, frames);
}

}  // namespace

class FluidSynthPlayer::Loaded {
public:
    // Loads the synthesizer and its soundfont through the module. Throws
    // QuaverlyError. observer outlives the player.
    Loaded(const SynthModule& module, const std::string& soundFont, const AudioOutput& output)
        : m_operations(module.PlayerOperations())
    {
        const QuaverlyPlayerOutput where{OutputKindNumber(output.kind), output.driver.c_str(),
                                         output.fileName.c_str(), output.observer ? ObserveBlock : nullptr,
                                         const_cast<void*>(static_cast<const void*>(&output.observer))};
        std::string failure;
        m_player = m_operations.create(soundFont.c_str(), &where, CollectSynthFailure, &failure);
        if (m_player == nullptr) {
            throw QuaverlyError(failure);
        }
    }
    ~Loaded() { m_operations.destroy(m_player); }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;

    const QuaverlyPlayerOperations& Operations() const { return m_operations; }
    QuaverlyPlayer* Handle() const { return m_player; }

    // Runs an operation that can fail; throws QuaverlyError with its reason.
    template <class Operation>
    void Checked(const Operation& operation)
    {
        std::string failure;
        if (operation(CollectSynthFailure, static_cast<void*>(&failure)) != 0) {
            throw QuaverlyError(failure);
        }
    }

private:
    const QuaverlyPlayerOperations& m_operations;
    QuaverlyPlayer* m_player = nullptr;
};

FluidSynthPlayer::FluidSynthPlayer(AudioOutput output, std::string soundFont, QObject* parent)
    : QObject(parent), m_output(std::move(output)), m_soundFont(std::move(soundFont))
{
    // A device kept open for nothing keeps the sound system busy (and a file
    // output growing): the output of typed notes closes when they are quiet.
    m_previewIdle = new QTimer(this);
    m_previewIdle->setSingleShot(true);
    m_previewIdle->setInterval(PreviewIdleMs);
    connect(m_previewIdle, &QTimer::timeout, this, [this] {
        if (Loaded* player = PlayerIfLoaded(); player != nullptr && IsStopped()) {
            player->Operations().releaseSoundOutput(player->Handle());
        }
    });
}

void FluidSynthPlayer::Prepare()
{
    if (m_player || m_loading.valid()) {
        return;
    }
    try {
        // The module, the soundfont's name and the output are this object's,
        // which waits for the load before it goes.
        m_loading = std::async(std::launch::async,
                               [this] { return std::make_unique<Loaded>(Module(), m_soundFont, m_output); });
    } catch (const std::system_error&) {
        // No thread to spare: the first play loads the synthesizer.
    }
}

FluidSynthPlayer::~FluidSynthPlayer()
{
    // Joins the player's threads before this object stops taking notices;
    // a load still running is waited for and its player let go.
    m_player.reset();
    if (m_loading.valid()) {
        try {
            m_loading.get();
        } catch (...) {
            // Nobody is left to be told that the load failed.
        }
    }
}

FluidSynthPlayer::Loaded& FluidSynthPlayer::Player()
{
    if (!m_player && m_loading.valid()) {
        try {
            m_player = m_loading.get();
        } catch (const QuaverlyError&) {
            // Tried once more below, so that the error reaches the play that needs it.
        }
    }
    if (!m_player) {
        m_player = std::make_unique<Loaded>(Module(), m_soundFont, m_output);
    }
    return *m_player;
}

const SynthModule& FluidSynthPlayer::Module()
{
    std::call_once(m_moduleLoad, [this] { m_module = std::make_unique<SynthModule>(); });
    return *m_module;
}

AudioRenderResult FluidSynthPlayer::RenderAudio(const AudioRenderJob& job, const AudioRenderProgress& progress)
{
    // The module's renderer makes a synthesizer of its own: play is not disturbed.
    return Module().RenderAudio(job, progress);
}

void FluidSynthPlayer::Open(std::string midiBytes)
{
    ++m_openings;
    Loaded& player = Player();
    player.Checked([&](QuaverlyRenderFailure failure, void* context) {
        return player.Operations().open(player.Handle(), midiBytes.data(), midiBytes.size(), PlayName, failure,
                                        context);
    });
}

int FluidSynthPlayer::Play()
{
    return PlayFrom(-1);
}

int FluidSynthPlayer::PlayFrom(int startTime)
{
    Loaded* player = PlayerIfLoaded();
    if (player == nullptr) {
        return PlayErrorNotOpen;
    }
    const int64_t division = player->Operations().division(player->Handle());
    const int64_t fileTick = startTime < 0 ? -1 : int64_t{startTime} * division / MelodyTicksPerQuarter;
    ++m_plays;
    // On the player's thread: hand the notice to this object's thread. A
    // notice that arrives after the file was closed (or another opened)
    // belongs to no play and is dropped.
    const auto completion = [](void* context, uint64_t opening) {
        auto* self = static_cast<FluidSynthPlayer*>(context);
        QMetaObject::invokeMethod(
            self,
            [self, opening] {
                if (opening == self->m_openings) {
                    self->Notify();
                }
            },
            Qt::QueuedConnection);
    };
    return player->Operations().playFrom(player->Handle(), fileTick, completion, this, m_openings);
}

int FluidSynthPlayer::CurrentTime() const
{
    const Loaded* player = PlayerIfLoaded();
    if (player == nullptr) {
        return -1;
    }
    const int64_t division = player->Operations().division(player->Handle());
    const int64_t tick = player->Operations().currentTick(player->Handle());
    return division <= 0 || tick < 0 ? -1 : static_cast<int>(tick * MelodyTicksPerQuarter / division);
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
                Loaded& player = Player();
                player.Checked([&](QuaverlyRenderFailure failure, void* context) {
                    return player.Operations().startSound(player.Handle(), channel, program, key, velocity,
                                                          failure, context);
                });
            } catch (const QuaverlyError&) {
                return;
            }
            // A play started meanwhile may sound the same key on the same
            // channel: its note is not the preview's to end (the play's
            // opening has already silenced the preview).
            QTimer::singleShot(milliseconds, this, [this, channel, key, plays = m_plays] {
                if (Loaded* player = PlayerIfLoaded(); player != nullptr && plays == m_plays) {
                    player->Operations().endSound(player->Handle(), channel, key);
                    m_previewIdle->start();
                }
            });
        },
        Qt::QueuedConnection);
}

void FluidSynthPlayer::Stop()
{
    if (Loaded* player = PlayerIfLoaded()) {
        player->Operations().stop(player->Handle());
    }
}

void FluidSynthPlayer::Close()
{
    ++m_openings;
    if (Loaded* player = PlayerIfLoaded()) {
        player->Operations().close(player->Handle());
    }
}

bool FluidSynthPlayer::IsStopped() const
{
    const Loaded* player = PlayerIfLoaded();
    return player == nullptr || player->Operations().isPlaying(player->Handle()) == 0;
}

}  // namespace quaverly

#endif  // QUAVERLY_HAVE_SYNTH
