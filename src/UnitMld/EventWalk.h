// The walk over the events of a melody image's one track, the walk over its
// header chunks, and the reader of its header length (the header chunk
// lookup, FindHeaderChunk, is in MelodyStore.h). They trust the image's length fields as the format says
// (MldLayout.h), but never read outside the bytes they were given: an event
// whose fixed part reaches past the end ends the walk, and data cut off by
// the end is taken as far as it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MldLayout.h"

namespace quaverly {

enum class MelodyEventKind { Note, Control };

struct MelodyEvent {
    size_t offset = 0;  // of the delta byte
    int delta = 0;      // ticks since the previous event, 0..255
    MelodyEventKind kind = MelodyEventKind::Note;
    // Note events: status bits 7..6 and 5..0, then the gate (0 is silent).
    int voice = 0;
    int note = 0;
    int gate = 0;
    // Control events (status 0xFF): the code and its data. FF F0 and FF F1
    // carry a two-byte length and that many bytes; the others one byte. The
    // data may be shorter (even empty) when the image ends inside it.
    int code = 0;
    std::string_view data;

    bool IsControl(int wanted) const { return kind == MelodyEventKind::Control && code == wanted; }
    // The one data byte of a short control event, or -1 when the image cut it off.
    int DataByte() const { return data.empty() ? -1 : static_cast<unsigned char>(data[0]); }
};

// Reads the events in file order: the first at 18 + H, the next after the
// event's full size; it goes on while the next event begins before L + 8
// (L the file length field) and inside the image.
class EventWalk {
public:
    explicit EventWalk(std::string_view image);
    // Fills the next event; false when the walk has ended. Note events, all
    // but a few of a track, are read here without a call: a load walks
    // every event of the longest melody.
    bool Next(MelodyEvent& event)
    {
        // The first event is visited whatever L says; later ones only before L + 8.
        if (m_ended || (!m_first && m_offset >= m_limit)) {
            m_ended = true;
            return false;
        }
        m_first = false;
        // Delta, status and the third byte (gate or control code) are the least of any event.
        if (m_offset + 3 > m_image.size()) {
            m_ended = true;
            return false;
        }
        const auto at = static_cast<size_t>(m_offset);
        const auto status = static_cast<unsigned char>(m_image[at + 1]);
        if (status == Mld::ControlStatus) {
            return ReadControl(event, at);
        }
        event.offset = at;
        event.delta = static_cast<unsigned char>(m_image[at]);
        event.kind = MelodyEventKind::Note;
        event.voice = status >> Mld::VoiceShift;
        event.note = status & Mld::NoteBits;
        event.gate = static_cast<unsigned char>(m_image[at + 2]);
        event.code = 0;
        event.data = {};
        m_offset += 3;
        return true;
    }

private:
    bool ReadControl(MelodyEvent& event, size_t at);

    std::string_view m_image;
    uint64_t m_offset = 0;
    uint64_t m_limit = 0;  // the walk's end: L + 8, or the image end if that comes first
    bool m_first = true;
    bool m_ended = false;
};

// The header length H at offsets 8-9, or nothing when the image is too short.
bool ReadHeaderLength(std::string_view image, uint32_t& headerLength);

// count (1 to 8) bytes at offset as one big-endian number; the caller checks
// that they are there.
uint64_t ReadBigEndian(std::string_view bytes, size_t offset, int count);

// One header chunk: its tag, the length its frame claims, and its data as far
// as the image holds it (shorter than length when cut off by the end).
struct HeaderChunk {
    size_t offset = 0;  // of the tag
    std::string_view tag;
    uint64_t length = 0;
    std::string_view data;
};

// The walk over the header chunks, from offset 13 while a chunk's frame
// starts before the header's end (10 + H) and lies whole in the image; each
// next chunk starts where the previous one's claimed data ends.
class HeaderChunkWalk {
public:
    explicit HeaderChunkWalk(std::string_view image);
    bool Next(HeaderChunk& chunk);

private:
    std::string_view m_image;
    uint64_t m_offset = Mld::FirstChunkOffset;
    uint64_t m_headerEnd = 0;
};

}  // namespace quaverly
