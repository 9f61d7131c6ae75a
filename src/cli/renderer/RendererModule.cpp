// The module's entry point: renders through the player's synthesizer and
// turns every error into the message the program prints.
#include "cli/RendererModule.h"

#include <exception>
#include <type_traits>
#include <string>
#include <string_view>

#include "synth/AudioRenderer.h"
#include "synth/Synthesizer.h"

extern "C" __attribute__((visibility("default"))) int quaverly_render_wav(const QuaverlyWavRequest* request,
                                                                          QuaverlyRenderFailure failure,
                                                                          void* context)
{
    try {
        quaverly::Synthesizer synth(request->soundFont);
        quaverly::RenderMidiToWav(synth, std::string_view(request->midiBytes, request->midiSize), request->name,
                                  request->wavPath);
        return 0;
    } catch (const std::exception& error) {
        const std::string_view message = error.what();
        failure(context, message.data(), message.size());
    } catch (...) {
        constexpr std::string_view message = "quaverly-renderer: unknown error";
        failure(context, message.data(), message.size());
    }
    return 1;
}

// The entry point's type is the one the program looks it up as.
static_assert(std::is_same_v<decltype(&quaverly_render_wav), QuaverlyRenderWavEntry>);
