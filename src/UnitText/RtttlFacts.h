// Facts of RTTTL that its writer and its reader share: the lengths with
// their ticks (48 to the quarter note), the octaves and the note names.
#pragma once

#include <array>

namespace quaverly {

struct RtttlLength {
    int duration;  // 1, 2, 4, 8, 16, 32: the fraction of a whole note
    bool dotted;
    int ticks;
};

// Ascending by ticks.
inline constexpr std::array<RtttlLength, 12> RtttlLengths{{
    {32, false, 6}, {32, true, 9}, {16, false, 12}, {16, true, 18}, {8, false, 24}, {8, true, 36},
    {4, false, 48}, {4, true, 72}, {2, false, 96}, {2, true, 144}, {1, false, 192}, {1, true, 288},
}};
inline constexpr std::array<int, 6> RtttlDurations{1, 2, 4, 8, 16, 32};

// Octave o holds MIDI keys 12 (o + 1) .. 12 (o + 1) + 11: "c4" is key 60,
// "a4" the 440 Hz A. Players sound octaves 4 to 7.
inline constexpr int RtttlLowestOctave = 4;
inline constexpr int RtttlHighestOctave = 7;
inline constexpr int RtttlLowestKey = 12 * (RtttlLowestOctave + 1);
inline constexpr int RtttlHighestKey = 12 * (RtttlHighestOctave + 1) + 11;

inline constexpr std::array<const char*, 12> RtttlNoteNames{"c", "c#", "d", "d#", "e", "f",
                                                            "f#", "g", "g#", "a", "a#", "b"};

// The name is at most ten characters.
inline constexpr size_t RtttlNameLength = 10;

}  // namespace quaverly
