// Standard MIDI Files made byte by byte for the importer's tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace quaverly::testmidi {

inline std::string BigEndian(uint32_t value, int size)
{
    std::string out;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values) {
        out += static_cast<char>(value);
    }
    return out;
}

inline std::string VarLen(uint32_t value)
{
    std::string out(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    }
    return out;
}

inline std::string Chunk(const std::string& tag, const std::string& data) { return tag + BigEndian(static_cast<uint32_t>(data.size()), 4) + data; }

inline std::string Header(int format, int tracks, int division)
{
    return Chunk("MThd", BigEndian(static_cast<uint32_t>(format), 2) + BigEndian(static_cast<uint32_t>(tracks), 2) +
                             BigEndian(static_cast<uint32_t>(division), 2));
}

inline const std::string EndOfTrack = Bytes({0x00, 0xFF, 0x2F, 0x00});

// A track of events (delta + bytes each) closed by the end-of-track event.
inline std::string Track(const std::string& events) { return Chunk("MTrk", events + EndOfTrack); }

// Delta, note-on and note-off of one note.
inline std::string Note(uint32_t delta, int channel, int key, int velocity, uint32_t length)
{
    return VarLen(delta) + Bytes({0x90 | channel, key, velocity}) + VarLen(length) + Bytes({0x80 | channel, key, 0});
}

inline std::string Meta(uint32_t delta, int type, const std::string& data)
{
    return VarLen(delta) + Bytes({0xFF, type}) + VarLen(static_cast<uint32_t>(data.size())) + data;
}

}  // namespace quaverly::testmidi
