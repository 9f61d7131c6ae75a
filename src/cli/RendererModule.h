// The WAV renderer of `quaverly-cli wav` lives in a module of its own
// (quaverly-renderer.so), loaded only when a WAV file is asked for: the
// synthesizer's libraries (FluidSynth and the audio systems it links) then
// cost nothing to every other subcommand, neither start-up time nor memory.
//
// The module has one C entry point, so no C++ object or exception crosses
// between the program and the module.
#pragma once

#include <cstddef>

extern "C" {

struct QuaverlyWavRequest {
    const char* midiBytes;  // the Standard MIDI File to render
    size_t midiSize;
    const char* name;       // the input's name, for messages
    const char* wavPath;    // the WAV file to write
    const char* soundFont;  // "" for the default search
};

// Called with the message of a refusal or failure (Shift-JIS, not
// NUL-terminated) before the entry point returns non-zero.
typedef void (*QuaverlyRenderFailure)(void* context, const char* message, size_t size);

// Renders the request into its WAV file: 0 on success; else non-zero after
// passing the reason to failure.
typedef int (*QuaverlyRenderWavEntry)(const QuaverlyWavRequest* request, QuaverlyRenderFailure failure,
                                      void* context);
}

namespace quaverly::cli {

inline constexpr const char* RenderWavSymbol = "quaverly_render_wav";
inline constexpr const char* RendererFileName = "quaverly-renderer.so";

}  // namespace quaverly::cli
