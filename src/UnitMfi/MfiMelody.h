// Melody files of other makers: the whole MFi ("melo") file as handsets and
// other programs write it, read into notes per lane, a tempo map and the
// lanes' controls. This program's own files are read by the document store;
// the rule that tells the two apart is MelodyOrigin.h.
//
// The file: "melo", the length of what follows, a header length, three type
// bytes (major, minor, track count), information chunks (tag, 2-byte length,
// data), then track chunks "trac" (tag, 4-byte length, events), each track
// carrying four voices. A lane is 4 x track + voice (0..15). Every track has
// its own running time from 0, in ticks of the file's timebase.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaverly {

inline constexpr int MfiLaneCount = 16;
// Lane 9 (track 2, voice 1), like a lane switched to patch mode 1, plays percussion.
inline constexpr int MfiPercussionLane = 9;

// 12 bytes a note: at most four times the 3 bytes of the smallest note event.
struct MfiNote {
    uint32_t start = 0;   // ticks
    uint32_t length = 0;  // ticks
    uint8_t lane = 0;     // 0..15
    uint8_t key = 0;      // MIDI key
    uint8_t velocity = 0; // MIDI velocity 1..127

    uint64_t End() const { return uint64_t{start} + length; }
};

enum class MfiControlKind : uint8_t {
    Program,     // value: MIDI program 0..127 (bank bit and low six bits)
    Volume,      // value: 0..127
    Pan,         // value: 0..127, 64 the middle
    PitchBend,   // value: 0..16383, 8192 the middle
    BendRange,   // value: semitones
    Modulation,  // value: 0..127
    Expression,  // value: 0..127
};

// 8 bytes a control: at most twice the 4 bytes of its event.
struct MfiControl {
    uint32_t tick = 0;
    uint8_t lane = 0;
    MfiControlKind kind = MfiControlKind::Program;
    uint16_t value = 0;
};

// 8 bytes a change: at most twice its 4-byte event.
struct MfiTempo {
    uint32_t tick = 0;
    uint16_t tempo = 120;    // quarter notes a minute
    uint16_t timebase = 48;  // ticks a quarter note
};

// A cue point (FF D0). The format's descriptions give value 0 for a cue's
// start and 1 for its end (a handset may repeat what lies between); writers
// differ (one converter writes 0 at every cue), so the value is kept as it is.
struct MfiCuePoint {
    uint32_t tick = 0;
    uint8_t value = 0;
    bool IsStart() const { return value == 0; }
    bool IsEnd() const { return value == 1; }
};

// A loop event (FF DD): the value's top two bits name one of four loop
// slots, its low two bits say start (0) or end (1), and an end carries in
// bits 2 to 5 how many times the section plays, 0 for ever.
struct MfiLoopPoint {
    uint32_t tick = 0;
    uint8_t slot = 0;   // 0..3
    bool end = false;
    uint8_t count = 0;  // of an end: 0 for ever, else the times the section plays
};

// A loop slot's section, a start paired with the next end of its slot.
struct MfiLoop {
    int slot = 0;
    uint32_t start = 0;
    uint64_t end = 0;     // the end event's tick, or the melody's end without one
    bool hasEnd = false;  // false: a start that no end follows
    int count = 0;        // 0 for ever (also without an end)
    bool Forever() const { return count == 0; }
};

// How the reading ended: whole, broken off by the file, or stopped at a cap
// of Limits.h (the lists hold what came before; partialMessage names the cap).
enum class MfiReadStatus : uint8_t { Complete, Broken, OverCap };

// What the reader stepped over, by kind.
struct MfiSkipped {
    int unknownChunks = 0;    // chunks of a tag it does not know, skipped by their length
    int audioChunks = 0;      // adat / adpm: sampled audio, not played
    int resourceEvents = 0;   // the 0x7F family
    int makerEvents = 0;      // FF events of a code the reader does not know, maker-dependent data
    int otherEvents = 0;      // known events it keeps nothing of (master volume, nop, rests, ...)
    int extraTracks = 0;      // track chunks after the fourth: their lanes do not exist
};

struct MfiChunk {
    std::string tag;   // four bytes as in the file
    uint32_t length = 0;
};

struct MfiMelody {
    // Texts as the file has them (Shift-JIS).
    std::string title;
    std::string copyright;
    std::string version;  // "vers"
    std::string date;
    std::string protect;  // "prot"
    int sorc = -1;        // the "sorc" byte, -1 without one
    std::array<uint8_t, 3> typeBytes{};  // major, minor, track count as the header says
    int noteBytes = 3;                   // 4 when the "note" chunk says 1
    int trackChunks = 0;                 // "trac" chunks read
    std::vector<MfiChunk> chunks;        // every chunk in file order (at most MaxListedChunks)
    int chunkCount = 0;                  // all chunks, also past the listed ones

    std::vector<MfiNote> notes;        // by start, then lane, then key
    std::vector<MfiControl> controls;  // by tick, then lane, in file order within
    std::vector<MfiTempo> tempos;      // by tick; empty: 120 a minute, 48 ticks a quarter
    std::vector<MfiCuePoint> cuePoints;  // by tick, then in file order
    std::vector<MfiLoopPoint> loopPoints;  // by tick, then in file order
    uint64_t endTick = 0;              // the latest track end or note end
    MfiSkipped skipped;

    // The file breaks off or contradicts itself: what was read before is
    // kept, and the message (Shift-JIS) names the reason and the place.
    bool partial = false;
    std::string partialMessage;
    MfiReadStatus status = MfiReadStatus::Complete;

    std::array<int, MfiLaneCount> NotesPerLane() const;
};

inline constexpr size_t MaxListedChunks = 64;

// Reads a "melo" file. A byte string that is not one (no magic, shorter than
// its 13-byte header) throws QuaverlyError with "データ形式が異常です" and
// the name; anything else gives a result, partial when the file breaks off.
// Memory stays within four times the file plus a little: every list stops
// at its cap (Limits.h), and the result is then partial with OverCap.
MfiMelody ReadMfiMelody(std::string_view bytes, const std::string& name);

// The data of the first information chunk with that tag (chunks from byte 13
// up to the first track chunk), or empty. Reads nothing else of the file.
std::string MfiInfoChunk(std::string_view bytes, std::string_view tag);

// The loop slots' sections in the order they start: each start with the next
// end of its slot; a start without one lasts to the melody's end.
std::vector<MfiLoop> MfiLoops(const MfiMelody& melody);
// The section that plays again and again: the outermost loop (the earliest
// start, the latest end among those), or nothing without a loop. A section
// of no length is no loop.
std::optional<MfiLoop> MfiMainLoop(const MfiMelody& melody);

// Seconds from the start at a tick, through the tempo map.
double MfiSeconds(const MfiMelody& melody, uint64_t tick);

}  // namespace quaverly
