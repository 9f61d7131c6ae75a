// The renderers of `quaverly-cli wav` and `quaverly-cli render` live in a
// module of its own (quaverly-renderer.so), loaded only when audio is asked
// for: the
// synthesizer's libraries (FluidSynth and the audio systems it links) then
// cost nothing to every other subcommand, neither start-up time nor memory.
//
// The module has C entry points only, so no C++ object or exception crosses
// between the program and the module.
#pragma once

#include <cstddef>

#ifdef __cplusplus
#include <string>
#endif

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

// Told how far an audio export has come (0 to 1); returns 0 to cancel.
typedef int (*QuaverlyRenderProgress)(void* context, double fraction);

struct QuaverlyAudioRequest {
    const char* midiBytes;  // the Standard MIDI File to render
    size_t midiSize;
    const char* name;       // the input's name, for messages
    const char* outPath;    // the audio file to write; its extension names the format
    const char* soundFont;  // "" for the default search
    int repeats;            // 1 to 10
    double fadeSeconds;     // 0 to 30
    int normalize;          // non-zero: a peak of -1 dBFS
    QuaverlyRenderProgress progress;  // may be null
    void* progressContext;
};

// Renders the request into its audio file: 0 on success, 2 when cancelled
// (nothing written); else 1 after passing the reason to failure.
typedef int (*QuaverlyRenderAudioEntry)(const QuaverlyAudioRequest* request, QuaverlyRenderFailure failure,
                                        void* context);
}

namespace quaverly::cli {

inline constexpr const char* RenderWavSymbol = "quaverly_render_wav";
inline constexpr const char* RenderAudioSymbol = "quaverly_render_audio";
inline constexpr const char* RendererFileName = "quaverly-renderer.so";

// The entry point of that name in the renderer module, beside the program (a
// build folder) or where the package installs it; loaded on first use and
// kept. Throws QuaverlyError naming command when it cannot be loaded.
void* LoadRendererEntry(const char* symbol, const std::string& command);
// A QuaverlyRenderFailure that keeps the message in the std::string context.
void CollectRendererFailure(void* context, const char* message, size_t size);

}  // namespace quaverly::cli
