// The layout of an MLD melody image, in one place: its fixed fields and
// offsets, the header chunk tags, and the bytes of the track's events.
//
//   "melo", file length L (4 bytes, image size - 8), header length H (2
//   bytes, counted from offset 10), three format bytes, header chunks (tag,
//   2-byte length, data) to offset 10 + H, then "trac", the track length
//   (4 bytes) and the events from offset 18 + H.
//
// A note event is delta, status (voice in bits 7-6, note in bits 5-0), gate.
// A control event is delta, 0xFF, code and one data byte; FF F0 and FF F1
// carry a two-byte length and that many bytes instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quaverly {

// The voices of a melody: the two voice bits of a status byte, the four pages.
inline constexpr int VoiceCount = 4;

namespace Mld {

inline constexpr std::string_view Magic = "melo";
inline constexpr std::string_view TrackTag = "trac";
inline constexpr std::string_view ProtectTag = "sorc";
inline constexpr std::string_view TitleTag = "titl";
inline constexpr std::string_view VersionTag = "vers";
inline constexpr std::string_view DateTag = "date";
inline constexpr std::string_view CopyrightTag = "copy";

inline constexpr size_t FileLengthOffset = 4;
inline constexpr size_t HeaderLengthOffset = 8;
// H counts the header from here: the three format bytes and the chunks.
inline constexpr size_t HeaderBase = 10;
// The three format bytes every image this program writes holds.
inline constexpr std::string_view FormatBytes("\x01\x01\x01", 3);
inline constexpr size_t FirstChunkOffset = 13;
inline constexpr size_t ChunkFrameSize = 6;  // tag and two-byte length
// "trac" and the track length come after the header: events start at 18 + H.
inline constexpr size_t TrackFrameSize = 8;
inline constexpr size_t FirstEventBase = HeaderBase + TrackFrameSize;
// A pocket-melody file (.pmr) holds an image behind a header of this size.
inline constexpr size_t PocketMelodyHeaderSize = 192;

// Control events: status 0xFF and a code.
// Other readers take a note status of 0xFF (the control events) or 0x7F (the
// resource events of other makers' files) for an event that is not a note, so
// the second and fourth voices (voice bits 01 and 11) hold notes up to 62.
// 0x3F and 0xBF are notes to every reader.
inline constexpr int HighestNoteOfVoice(int voice) { return voice == 1 || voice == 3 ? 62 : 63; }

inline constexpr unsigned ControlStatus = 0xFF;
inline constexpr int CodeTimebase = 0xD0;
inline constexpr int CodeTempo = 0xC3;
inline constexpr int CodeTempoAlternative = 0xC2;  // read when no 0xC3 is there
inline constexpr int CodeToneLow = 0xE0;           // voice bits, program bits 5-0
inline constexpr int CodeToneHigh = 0xE1;          // voice bits, 0x02 | program bit 6
inline constexpr int CodeVolume = 0xE2;            // voice bits, volume 0..63
inline constexpr int CodeData = 0xF0;              // the FFF0 data: a length and bytes
inline constexpr int CodeDataAlternative = 0xF1;
inline constexpr int CodeEnd = 0xDF;
// The FFF0 data event this program writes holds this many bytes.
inline constexpr size_t DataEventSize = 41;

inline constexpr int VoiceShift = 6;
inline constexpr int NoteBits = 0x3F;

}  // namespace Mld
}  // namespace quaverly
