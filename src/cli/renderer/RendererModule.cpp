// The module's entry points: render through the player's synthesizer and
// turns every error into the message the program prints.
#include "cli/RendererModule.h"

#include <exception>
#include <type_traits>
#include <string>
#include <string_view>

#include "synth/AudioExport.h"
#include "synth/AudioRenderer.h"
#include "synth/Synthesizer.h"

namespace {

// What both entry points do around their work: the work's own result, or 1
// after its error's message has been passed to failure. No exception leaves
// the module.
template <class Work>
int Guarded(QuaverlyRenderFailure failure, void* context, const Work& work)
{
    try {
        return work();
    } catch (const std::exception& error) {
        const std::string_view message = error.what();
        failure(context, message.data(), message.size());
    } catch (...) {
        constexpr std::string_view message = "quaverly-renderer: unknown error";
        failure(context, message.data(), message.size());
    }
    return 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int quaverly_render_wav(const QuaverlyWavRequest* request,
                                                                          QuaverlyRenderFailure failure,
                                                                          void* context)
{
    return Guarded(failure, context, [request] {
        quaverly::Synthesizer synth(request->soundFont);
        quaverly::RenderMidiToWav(synth, std::string_view(request->midiBytes, request->midiSize), request->name,
                                  request->wavPath);
        return 0;
    });
}

extern "C" __attribute__((visibility("default"))) int quaverly_render_audio(const QuaverlyAudioRequest* request,
                                                                            QuaverlyRenderFailure failure,
                                                                            void* context)
{
    return Guarded(failure, context, [request] {
        quaverly::AudioExportRequest job;
        job.midiBytes = std::string_view(request->midiBytes, request->midiSize);
        job.name = request->name;
        job.path = request->outPath;
        job.options = {.repeats = request->repeats,
                       .fadeSeconds = request->fadeSeconds,
                       .normalize = request->normalize != 0};
        if (request->progress != nullptr) {
            job.progress = [request](int64_t done, int64_t total) {
                const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
                return request->progress(request->progressContext, fraction) != 0;
            };
        }
        // The format is known before the soundfont is loaded: a wrong name is told at once.
        const std::optional<quaverly::AudioFormat> format = quaverly::AudioFormatOfPath(job.path);
        const int rate = format ? quaverly::AudioSampleRate(*format) : quaverly::Synthesizer::SampleRate;
        quaverly::Synthesizer synth(request->soundFont, rate);
        return quaverly::ExportAudio(synth, job) ? 0 : 2;
    });
}

// The entry points' types is the one the program looks it up as.
static_assert(std::is_same_v<decltype(&quaverly_render_wav), QuaverlyRenderWavEntry>);
static_assert(std::is_same_v<decltype(&quaverly_render_audio), QuaverlyRenderAudioEntry>);
