// What the MusicXML reader keeps of a score: per part its measures as
// written (before repeats are played out), each with its notes and tempo
// marks at times within the measure, its length and its repeat and volta
// marks. Times are ticks of ScoreTicksPerQuarter, whatever divisions the
// file used. Texts are UTF-8 as the file has them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quaverly {

// 48 × 210: every length of 48 to the quarter, and the divisions files use
// most (2..10, 12, 14, 15, 16, 21, 24 ...), land on whole ticks.
inline constexpr int64_t ScoreTicksPerQuarter = 10080;

struct XmlNote {
    int64_t on = 0;      // within the measure
    int64_t length = 0;
    uint8_t key = 60;    // MIDI key
    uint8_t staff = 1;   // 1.. within its part
    uint8_t velocity = 100;
    bool tieStart = false;
    bool tieStop = false;
    bool staccato = false;
};

struct XmlMeasure {
    std::string number;  // as written
    int64_t length = 0;  // the furthest time reached
    std::vector<XmlNote> notes;
    std::vector<std::pair<int64_t, double>> tempos;  // time, quarter notes a minute
    bool repeatForward = false;
    bool repeatBackward = false;
    int repeatTimes = 2;         // times the section is played
    std::vector<int> endings;    // the volta numbers this measure belongs to; empty outside one
};

struct XmlPart {
    std::string id;
    std::string name;
    int program = -1;  // 0..127, -1 without one
    int staves = 1;
    std::vector<XmlMeasure> measures;
};

struct XmlScore {
    std::string title;
    std::string copyright;
    std::vector<XmlPart> parts;
    int graceNotes = 0;     // dropped
    int unpitchedNotes = 0; // dropped
    int jumps = 0;          // D.C., D.S., coda and fine marks, not played out
    size_t notes = 0;
};

// Reads an uncompressed MusicXML document (partwise or timewise). name (the
// file, Shift-JIS) is for messages. Throws QuaverlyError naming the file,
// and the part, measure and element where the reading stopped. Entities
// declared in a DTD refuse the file; no DTD or external entity is fetched.
XmlScore ReadMusicXmlScore(std::string_view xml, const std::string& name);

}  // namespace quaverly
