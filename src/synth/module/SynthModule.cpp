// The synthesizer module's entry points (audio/SynthModule.h): the renderers
// and the real-time player, over the synthesizer. Every error becomes the
// message its program shows; no exception leaves the module.
#include "audio/SynthModule.h"

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "synth/AudioExport.h"
#include "base/TextEncoding.h"
#include "synth/AudioRenderer.h"
#include "synth/MidiTitle.h"
#include "synth/SequencePlayer.h"
#include "synth/Synthesizer.h"

namespace {

// What the entry points that can fail do around their work: the work's own
// result, or failed after the error's message has been passed to failure.
template <class Work>
auto Guarded(QuaverlyRenderFailure failure, void* context, const Work& work, decltype(work()) failed)
{
    try {
        return work();
    } catch (const std::exception& error) {
        const std::string_view message = error.what();
        failure(context, message.data(), message.size());
    } catch (...) {
        constexpr std::string_view message = "quaverly-synth: unknown error";
        failure(context, message.data(), message.size());
    }
    return failed;
}

// An operation that cannot fail in its caller's eyes: an error it meets
// anyway (none is expected) is dropped rather than let out of the module.
template <class Work>
void Quietly(const Work& work) noexcept
{
    try {
        work();
    } catch (...) {
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int quaverly_render_wav(const QuaverlyWavRequest* request,
                                                                          QuaverlyRenderFailure failure,
                                                                          void* context)
{
    return Guarded(
        failure, context,
        [request] {
            quaverly::Synthesizer synth(request->soundFont);
            quaverly::RenderMidiToWav(synth, std::string_view(request->midiBytes, request->midiSize), request->name,
                                      request->wavPath);
            return 0;
        },
        1);
}

extern "C" __attribute__((visibility("default"))) int quaverly_render_audio(const QuaverlyAudioRequest* request,
                                                                            QuaverlyRenderFailure failure,
                                                                            void* context)
{
    return Guarded(
        failure, context,
        [request] {
            quaverly::AudioExportRequest job;
            job.midiBytes = std::string_view(request->midiBytes, request->midiSize);
            job.name = request->name;
            job.path = request->outPath;
            job.options = {.repeats = request->repeats,
                           .fadeSeconds = request->fadeSeconds,
                           .normalize = request->normalize != 0,
                           .maxSeconds = request->maxSeconds};
            job.tags.title = quaverly::SjisToUtf8Lenient(quaverly::MidiTitle(job.midiBytes));
            job.tags.loop = request->loop != 0;
            job.encodeModule = request->encodeModule != nullptr ? request->encodeModule : "";
            if (request->progress != nullptr) {
                job.progress = [request](int64_t done, int64_t total) {
                    const double fraction =
                        total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
                    return request->progress(request->progressContext, fraction) != 0;
                };
            }
            // The format is known before the soundfont is loaded: a wrong name is told at once.
            const std::optional<quaverly::AudioFormat> format = quaverly::AudioFormatOfPath(job.path);
            const int rate = format ? quaverly::AudioSampleRate(*format) : quaverly::PlayerSampleRate;
            quaverly::Synthesizer synth(request->soundFont, rate);
            if (!quaverly::ExportAudio(synth, job)) {
                return 2;
            }
            const quaverly::MidiFileTiming timing = quaverly::ReadMidiTiming(job.midiBytes, job.name);
            return quaverly::ExportIsCut(timing, job.options, rate) ? 3 : 0;
        },
        1);
}

// The player: the synthesizer, and the sequence player over it made on first
// need (an open or a short sound), as the window has always made them.
struct QuaverlyPlayer {
    QuaverlyPlayer(const char* soundFont, quaverly::AudioOutput audioOutput)
        : synth(soundFont), output(std::move(audioOutput))
    {
    }

    quaverly::SequencePlayer& Sequence()
    {
        if (!sequence) {
            sequence = std::make_unique<quaverly::SequencePlayer>(synth, output);
        }
        return *sequence;
    }

    quaverly::Synthesizer synth;
    quaverly::AudioOutput output;
    // Declared after the synthesizer it plays through, so destroyed first.
    std::unique_ptr<quaverly::SequencePlayer> sequence;
};

namespace {

quaverly::AudioOutput OutputOf(const QuaverlyPlayerOutput& from)
{
    quaverly::AudioOutput output;
    switch (from.kind) {
    case 1:
        output.kind = quaverly::AudioOutputKind::File;
        break;
    case 2:
        output.kind = quaverly::AudioOutputKind::Silent;
        break;
    default:
        output.kind = quaverly::AudioOutputKind::Device;
        break;
    }
    output.driver = from.driver != nullptr ? from.driver : "";
    output.fileName = from.fileName != nullptr ? from.fileName : "";
    if (from.observer != nullptr) {
        output.observer = [observer = from.observer, context = from.observerContext](
                              const float* left, const float* right, int frames) {
            observer(context, left, right, frames);
        };
    }
    return output;
}

QuaverlyPlayer* CreatePlayer(const char* soundFont, const QuaverlyPlayerOutput* output,
                             QuaverlyRenderFailure failure, void* context)
{
    return Guarded(
        failure, context, [&] { return new QuaverlyPlayer(soundFont, OutputOf(*output)); },
        static_cast<QuaverlyPlayer*>(nullptr));
}

void DestroyPlayer(QuaverlyPlayer* player)
{
    Quietly([player] { delete player; });
}

int OpenBytes(QuaverlyPlayer* player, const char* midiBytes, size_t midiSize, const char* name,
              QuaverlyRenderFailure failure, void* context)
{
    return Guarded(
        failure, context,
        [&] {
            player->Sequence().OpenBytes(std::string(midiBytes, midiSize), name);
            return 0;
        },
        1);
}

int PlayFrom(QuaverlyPlayer* player, int64_t fileTick, void (*completion)(void*, uint64_t), void* completionContext,
             uint64_t play)
{
    if (!player->sequence) {
        return quaverly::PlayErrorNotOpen;
    }
    int result = quaverly::PlayErrorRefused;
    Quietly([&] {
        result = player->sequence->PlayFrom([completion, completionContext, play] { completion(completionContext, play); },
                                            fileTick);
    });
    return result;
}

int64_t CurrentTick(const QuaverlyPlayer* player)
{
    return player->sequence ? player->sequence->CurrentTick() : -1;
}

int64_t Division(const QuaverlyPlayer* player)
{
    return player->sequence ? player->sequence->Timing().division : 0;
}

int StartSound(QuaverlyPlayer* player, int channel, int program, int key, int velocity,
               QuaverlyRenderFailure failure, void* context)
{
    return Guarded(
        failure, context,
        [&] {
            player->Sequence().StartSound(channel, program, key, velocity);
            return 0;
        },
        1);
}

void EndSound(QuaverlyPlayer* player, int channel, int key)
{
    if (player->sequence) {
        Quietly([&] { player->sequence->EndSound(channel, key); });
    }
}

void ReleaseSoundOutput(QuaverlyPlayer* player)
{
    if (player->sequence) {
        Quietly([&] { player->sequence->ReleaseSoundOutput(); });
    }
}

void Stop(QuaverlyPlayer* player)
{
    if (player->sequence) {
        Quietly([&] { player->sequence->Stop(); });
    }
}

void Close(QuaverlyPlayer* player)
{
    if (player->sequence) {
        Quietly([&] { player->sequence->Close(); });
    }
}

int IsPlaying(const QuaverlyPlayer* player)
{
    return player->sequence && player->sequence->IsPlaying() ? 1 : 0;
}

constexpr QuaverlyPlayerOperations PlayerOperations{
    .create = CreatePlayer,
    .destroy = DestroyPlayer,
    .open = OpenBytes,
    .playFrom = PlayFrom,
    .currentTick = CurrentTick,
    .division = Division,
    .startSound = StartSound,
    .endSound = EndSound,
    .releaseSoundOutput = ReleaseSoundOutput,
    .stop = Stop,
    .close = Close,
    .isPlaying = IsPlaying,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const QuaverlyPlayerOperations* quaverly_player_operations()
{
    return &PlayerOperations;
}
