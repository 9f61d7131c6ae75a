// BuildMelody: the only writer of MLD images. It merges the four voices of the
// SequenceList into the single track by sorting the list as text and encodes
// header chunks, set-up events and note events into a new MelodyImage.
#pragma once

#include <array>
#include <string>

#include "Diagnostic.h"
#include "MldLayout.h"
#include "MelodyFileInfo.h"
#include "MelodyStore.h"
#include "SequenceList.h"

namespace quaverly {

struct MelodySettings {
    std::string title;                 // "titl"
    int tempo = 125;                   // 1..255
    std::array<int, VoiceCount> tones{1, 1, 1, 1};        // 1..128
    std::array<int, VoiceCount> volumes{63, 63, 63, 63};  // 0..63
    // Only tested for emptiness: a voice is used when its text is not empty.
    std::array<std::string, VoiceCount> scores;
};

// Builds into a new buffer and replaces store.MelodyImage() only on success;
// leaves store.Sequence() sorted. Throws MelodyLimitError for what the format
// cannot hold (times above 99999 or below -9999, header texts above 65535
// bytes, raw data that is not hexadecimal pairs); the store's image is then unchanged.
// diagnostics: when given, receives the events of a page whose values the
// file cannot hold as they are: a gap before them above 255 ticks (bridged
// by silent events) and a gate above 255 (clamped).
void BuildMelody(MelodyStore& store, const MelodySettings& settings, const MelodyFileInfo& info,
                 DiagnosticSink* diagnostics = nullptr);

// The event bytes of the sorted list (sorts it first). Exposed for tests.
std::string EncodeTrack(SequenceList& list, DiagnosticSink* diagnostics = nullptr);

}  // namespace quaverly
