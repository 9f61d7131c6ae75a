// An audio export as the programs ask the synthesizer module for it: the
// MIDI file to render, the file to write and the options. The window's
// player service and the command-line tool both pass one to SynthModule,
// which is the one place that turns it into the module's request.
#pragma once

#include <functional>
#include <string>

namespace quaverly {

struct AudioRenderJob {
    std::string midiBytes{};     // the Standard MIDI File to render
    std::string name{};          // the input's name, for messages
    std::string path{};          // the audio file to write; its extension names the format
    std::string soundFont{};     // empty: the default search
    int repeats = 1;           // 1 to 10
    double fadeSeconds = 0.0;  // 0 to 30
    bool normalize = false;    // a peak of -1 dBFS
    double maxSeconds = 0.0;   // 0: no limit; else the export ends there, faded out
    bool loop = false;         // Ogg Vorbis and Opus: the comment ANDROID_LOOP=true
    std::string encodeModule{};  // the ".m4r" encoder module; empty: beside the synthesizer module
};

enum class AudioRenderResult {
    Written,
    WrittenCut,  // written, cut at maxSeconds
    Cancelled,   // nothing written
};

// Told how far the export has come (0 to 1), on the rendering thread;
// returns false to cancel.
using AudioRenderProgress = std::function<bool(double fraction)>;

}  // namespace quaverly
