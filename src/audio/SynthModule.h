// The synthesizer lives in a module of its own (quaverly-synth.so): FluidSynth
// with its soundfont, the real-time player and the audio renderers. The
// window program and the command-line tool load it only when sound is asked
// for, so that the synthesizer's libraries (FluidSynth and the audio systems
// it links, some forty) cost neither start-up time nor memory to anything
// else: the window is on screen before the module is loaded, and only the
// subcommands that make audio load it at all.
//
// The module has C entry points only, so no C++ object or exception crosses
// between a program and the module. Every text that crosses is Shift-JIS.
// The entry points are declared here, so the module defines them with exactly
// these types and the programs resolve them with the same (SynthModule).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef __cplusplus
#include <string>
#endif

extern "C" {

// Called with the message of a refusal or failure (Shift-JIS, not
// NUL-terminated) before an entry point returns non-zero.
typedef void (*QuaverlyRenderFailure)(void* context, const char* message, size_t size);

struct QuaverlyWavRequest {
    const char* midiBytes;  // the Standard MIDI File to render
    size_t midiSize;
    const char* name;       // the input's name, for messages
    const char* wavPath;    // the WAV file to write
    const char* soundFont;  // "" for the default search
};

// Renders the request into its WAV file: 0 on success; else non-zero after
// passing the reason to failure.
int quaverly_render_wav(const QuaverlyWavRequest* request, QuaverlyRenderFailure failure, void* context);

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
    double maxSeconds;         // 0: no limit; else 1 to 40, the end faded out
    int loop;                  // non-zero: ANDROID_LOOP=true (Ogg Vorbis, Opus)
    const char* encodeModule;  // the ".m4r" encoder module; "" beside this one
};

// Renders the request into its audio file: 0 on success, 3 on success cut
// at maxSeconds, 2 when cancelled (nothing written); else 1 after passing the
// reason to failure. The title written into the file is the MIDI file's.
int quaverly_render_audio(const QuaverlyAudioRequest* request, QuaverlyRenderFailure failure, void* context);

// The real-time player: a synthesizer with its soundfont loaded, and the
// sequence player over it made on first need.
typedef struct QuaverlyPlayer QuaverlyPlayer;

// Where the player's sound goes (the values of AudioOutputKind).
struct QuaverlyPlayerOutput {
    int kind;              // 0 device, 1 file, 2 silent
    const char* driver;    // device: the FluidSynth driver, "" for the default
    const char* fileName;  // file: the file the driver writes
    // Silent: sees every rendered block on the audio thread; may be null.
    void (*observer)(void* context, const float* left, const float* right, int frames);
    void* observerContext;
};

// The player's operations, as SequencePlayer has them. Those that can fail
// return 0 on success, else non-zero after passing the reason to failure.
// completion is called once per play with the play's own number, from the
// player's watcher thread; never once close has been called.
struct QuaverlyPlayerOperations {
    // Loads the synthesizer and its soundfont ("" for the default search):
    // the slow step, made on a worker thread. Null after a failure.
    QuaverlyPlayer* (*create)(const char* soundFont, const QuaverlyPlayerOutput* output,
                              QuaverlyRenderFailure failure, void* context);
    void (*destroy)(QuaverlyPlayer* player);
    // Takes a Standard MIDI File's bytes (copied); name is its name for messages.
    int (*open)(QuaverlyPlayer* player, const char* midiBytes, size_t midiSize, const char* name,
                QuaverlyRenderFailure failure, void* context);
    // fileTick -1: from where the last play left off. Returns 0 or a PlayErrorCode.
    int (*playFrom)(QuaverlyPlayer* player, int64_t fileTick, void (*completion)(void* context, uint64_t play),
                    void* completionContext, uint64_t play);
    // The file tick playing has reached, -1 when not playing.
    int64_t (*currentTick)(const QuaverlyPlayer* player);
    // The open file's ticks to the quarter note, 0 when none is open.
    int64_t (*division)(const QuaverlyPlayer* player);
    int (*startSound)(QuaverlyPlayer* player, int channel, int program, int key, int velocity,
                      QuaverlyRenderFailure failure, void* context);
    void (*endSound)(QuaverlyPlayer* player, int channel, int key);
    void (*releaseSoundOutput)(QuaverlyPlayer* player);
    void (*stop)(QuaverlyPlayer* player);
    void (*close)(QuaverlyPlayer* player);
    int (*isPlaying)(const QuaverlyPlayer* player);
};

// Returns the module's player operations, which live as long as the module.
const QuaverlyPlayerOperations* quaverly_player_operations(void);
}

#ifdef __cplusplus
#include <vector>

#include "AudioRenderJob.h"

namespace quaverly {

inline constexpr const char* SynthModuleFileName = "quaverly-synth.so";

// The synthesizer module once loaded: its one handle and its entry points,
// each resolved once with the type of its declaration above. A module that
// cannot be loaded leaves the object "not available" with the reason; the
// calls then throw that reason as a QuaverlyError. Whoever makes the object
// owns the module: the window's player, a subcommand, a test.
class SynthModule {
public:
    // Loads the module beside the program (a build folder), else where the
    // package installs it, relative to the program's folder.
    SynthModule();
    // Loads the first of these files that can be loaded (tests).
    explicit SynthModule(const std::vector<std::string>& paths);
    // Closes the handle; the code stays mapped (the synthesizer's libraries
    // may leave handlers behind that must not point into unmapped code).
    ~SynthModule();
    SynthModule(const SynthModule&) = delete;
    SynthModule& operator=(const SynthModule&) = delete;

    bool Available() const { return m_handle != nullptr; }
    // Why the module is not available (Shift-JIS): the places tried and why
    // each failed. Empty when it is available.
    const std::string& Reason() const { return m_reason; }

    // Renders a WAV file. Throws QuaverlyError with the module's reason.
    void RenderWav(const QuaverlyWavRequest& request) const;
    // Renders an audio file. Throws QuaverlyError with the reason.
    AudioRenderResult RenderAudio(const AudioRenderJob& job, const AudioRenderProgress& progress) const;
    // The real-time player's operations, which live as long as this object.
    // Throws QuaverlyError when the module is not available.
    const QuaverlyPlayerOperations& PlayerOperations() const;

private:
    void Load(const std::vector<std::string>& paths);
    void RequireAvailable() const;

    void* m_handle = nullptr;
    std::string m_reason;
    decltype(&quaverly_render_wav) m_renderWav = nullptr;
    decltype(&quaverly_render_audio) m_renderAudio = nullptr;
    const QuaverlyPlayerOperations* m_playerOperations = nullptr;
};

// A QuaverlyRenderFailure that keeps the message in the std::string context.
void CollectSynthFailure(void* context, const char* message, size_t size);

}  // namespace quaverly
#endif
