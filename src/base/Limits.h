// Every cap a reader or writer of outside data works within, in one place:
// the own layout's and the other makers' melodies', the MIDI files', and the
// lists made from them. Each is checked before the list it bounds is
// allocated; messages that name a cap are built from the value here
// (LimitMessages.h), never spelled in a text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quaverly {

// --- Files ------------------------------------------------------------------
// The largest file a reader takes unless it names its own cap.
inline constexpr size_t DefaultReadCap = size_t{64} << 20;
// The largest melody file that is opened; a larger one is refused unread.
inline constexpr size_t MaxMelodyFileSize = size_t{128} << 20;
// The largest MIDI file taken: the callers read a file with this cap, which
// refuses a larger one before reading it, and the MIDI reader refuses more bytes.
inline constexpr size_t MaxMidiFileSize = size_t{64} << 20;

// --- This program's own layout ------------------------------------------------
// Times run from 0 to 99999: the time column of the text form holds five digits.
inline constexpr int MaxSequenceTime = 99999;
// The lowest time the five columns hold, a minus sign taking one of them. The
// parser gives negative times (a rest of negative length moves what follows
// back); the builder refuses what is lower.
inline constexpr int LowestSequenceTime = -9999;
// More events than any built melody has: the sequence listing stops there.
inline constexpr size_t MaxListedEvents = 1'500'000;
// The longest header text (a 2-byte chunk length).
inline constexpr size_t MaxHeaderTextBytes = 65535;

// --- MIDI files -----------------------------------------------------------------
// More events than any melody could use; a crafted file could otherwise
// make the reading run on through millions of zero-delta events.
inline constexpr size_t MaxMidiEvents = 1'500'000;
// Microseconds a quarter note: the tempo event's field has 24 bits.
inline constexpr uint32_t MaxMidiQuarterMicros = 0xFFFFFF;

// --- Melodies of other makers (MFi) -----------------------------------------------
// The MIDI file made of one of these melodies is read back by the player and
// the audio export, which take at most MaxMidiEvents events: the caps below
// keep every list within it (a note is two events, a bend range four).
// Notes kept of one file: 12 bytes each, and what is made of them (the roll's
// lanes, the MIDI file, the fold into voices) a few times that, so that a file
// of any size stays within four times its size and a few megabytes.
inline constexpr size_t MaxMfiNotes = 500'000;
// Controls (programs, volumes, pans, bends ...) kept of one file.
inline constexpr size_t MaxMfiControls = 100'000;
// Tempo changes and cue points kept of one file.
inline constexpr size_t MaxMfiTempos = 20'000;
inline constexpr size_t MaxMfiCuePoints = 20'000;
// Loop events (start or end of a loop slot) kept of one file.
inline constexpr size_t MaxMfiLoopEvents = 20'000;
// Notes the roll shows of such a melody, over all its lanes.
inline constexpr size_t MaxRollForeignNotes = MaxMfiNotes;
// Events of the MIDI file made of one, whole or with its loop unrolled.
inline constexpr size_t MaxMfiMidiEvents = MaxMidiEvents;
static_assert(2 * MaxMfiNotes + 4 * MaxMfiControls + MaxMfiTempos + 1024 <= MaxMfiMidiEvents);
// Notes handed to the fold into four voices.
inline constexpr size_t MaxMfiFoldNotes = MaxMfiNotes;
// Times the loop section is written out for the audio export (the repeats
// a person can ask for).
inline constexpr int MaxLoopUnroll = 10;
// The longest fade-out after the last pass, in seconds.
inline constexpr double MaxFadeOutSeconds = 30.0;

// --- Tempo ------------------------------------------------------------------------
// Microseconds a quarter note lasts at tempo quarter notes a minute, scaled
// by an adjustment in percent (100: the tempo as it is); a tempo below 1
// counts as 1, and a quarter note longer than the field holds is held at the
// longest it can say. The one rule every MIDI writer and reader uses.
constexpr uint32_t QuarterMicroseconds(int64_t tempo, int64_t adjustmentPercent = 100)
{
    const int64_t micros = std::max<int64_t>(adjustmentPercent, 0) * 600'000 / std::max<int64_t>(tempo, 1);
    return static_cast<uint32_t>(std::min<int64_t>(micros, MaxMidiQuarterMicros));
}

}  // namespace quaverly
