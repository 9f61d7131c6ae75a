// What the control events of a melody image set, gathered in one walk over
// its track: the tempo, each voice's tone halves and volume, and the FF F0
// data. The store's queries (tempo, tone text, volume, FFF0 data) each take
// their answer from here, and the load into the editor reads it once for all
// of them instead of walking the track once per question.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "EventWalk.h"
#include "MldLayout.h"

namespace quaverly {

inline constexpr int DefaultMelodyTempo = 125;
inline constexpr int DefaultVoiceVolume = 63;

struct MelodyControls {
    // The first FF C3 event's data, or the first FF C2 event's halved,
    // whichever comes first; an event cut off before its data byte does not count.
    int tempo = DefaultMelodyTempo;
    // The low six bits of the last FF E0 and FF E1 event of each voice (0 without one).
    std::array<int, VoiceCount> toneLow{};
    std::array<int, VoiceCount> toneHigh{};
    // The low six bits of the first FF E2 event of each voice.
    std::array<int, VoiceCount> volume{DefaultVoiceVolume, DefaultVoiceVolume, DefaultVoiceVolume,
                                       DefaultVoiceVolume};
    // The first FF F0 event: whether there is one, and its data as far as the image holds it.
    bool hasData = false;
    std::string_view data;  // into the image read
};

// Gathers the controls event by event, for a walk that reads more than them.
class MelodyControlsReader {
public:
    void Read(const MelodyEvent& event);
    const MelodyControls& Controls() const { return m_controls; }

private:
    MelodyControls m_controls;
    bool m_tempoFound = false;
    std::array<bool, VoiceCount> m_volumeFound{};
};

// Reads the controls of the image's track; the data view points into image.
MelodyControls ReadMelodyControls(std::string_view image);

// A voice's tone as "n - name": n is 1 while the high half is 0, else
// (high bit 0) * 64 + low + 1; the name from the ToneTable when it offers n,
// else the General MIDI instrument name. A voice outside 0..3 has no tone set.
std::string VoiceToneText(const MelodyControls& controls, int voice);
// The voice's volume, 63 for a voice outside 0..3.
int VoiceVolume(const MelodyControls& controls, int voice);
// The FF F0 data as lowercase hexadecimal, two digits a byte.
std::string DataHexText(std::string_view data);

}  // namespace quaverly
