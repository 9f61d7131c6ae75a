// A small writer of MFi melody files, as other makers write them, for the
// tests of the reader and for the fuzz seeds: information chunks, any number
// of track chunks of hand-made events, the length fields filled in. Events are
// built by the helpers below, so a test says what each byte means.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quaverly::mfitest {

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

inline std::string BigEndian(uint64_t value, int count)
{
    std::string bytes;
    for (int i = count - 1; i >= 0; --i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// A note of voice 0..3, note 0..63 (status bits 5..0), gate in ticks. With
// velocity >= 0 it is a 4-byte note: velocity 0..63 and octave shift code 0..3.
inline std::string Note(int delta, int voice, int note, int gate, int velocity = -1, int octaveCode = 0)
{
    std::string event = Bytes({delta, (voice << 6) | note, gate});
    if (velocity >= 0) {
        event += static_cast<char>((velocity << 2) | octaveCode);
    }
    return event;
}

// A control event FF code value; voice events carry the voice in bits 7..6.
inline std::string Control(int delta, int code, int value)
{
    return Bytes({delta, 0xFF, code, value});
}
inline std::string VoiceControl(int delta, int code, int voice, int value)
{
    return Control(delta, code, (voice << 6) | value);
}
// An event with a 2-byte length: status 0xFF (or 0x7F, the resource family), code 0xF0 or above.
inline std::string LongEvent(int delta, int status, int code, std::string_view data)
{
    return Bytes({delta, status, code}) + BigEndian(data.size(), 2) + std::string(data);
}
inline std::string Tempo(int delta, int tempo, int timebaseCode = 3)
{
    return Control(delta, 0xC0 | timebaseCode, tempo);
}
inline std::string End(int delta = 0)
{
    return Control(delta, 0xDF, 0);
}

class MfiWriter {
public:
    // The header length field counts the chunks too, as most writers do;
    // CountOnlyTypeBytes writes 3 as some converters do.
    enum class HeaderLength { WithChunks, CountOnlyTypeBytes };

    MfiWriter& Info(std::string_view tag, std::string_view data)
    {
        m_info += std::string(tag) + BigEndian(data.size(), 2) + std::string(data);
        return *this;
    }
    MfiWriter& FourByteNotes() { return Info("note", mfitest::Bytes({0, 1})); }
    MfiWriter& Track(std::string_view events) { return Chunk("trac", events); }
    MfiWriter& Chunk(std::string_view tag, std::string_view data)
    {
        m_tracks += std::string(tag) + BigEndian(data.size(), 4) + std::string(data);
        ++m_trackCount;
        return *this;
    }
    MfiWriter& TypeBytes(int major, int minor) { m_major = major; m_minor = minor; return *this; }
    MfiWriter& TrackCountByte(int count) { m_claimedTracks = count; return *this; }
    MfiWriter& Length(HeaderLength length) { m_headerLength = length; return *this; }

    std::string Bytes() const
    {
        const int tracks = m_claimedTracks >= 0 ? m_claimedTracks : m_trackCount;
        const std::string header = mfitest::Bytes({m_major, m_minor, tracks}) + m_info;
        const uint64_t headerLength = m_headerLength == HeaderLength::WithChunks ? header.size() : 3;
        const std::string rest = BigEndian(headerLength, 2) + header + m_tracks;
        return "melo" + BigEndian(rest.size(), 4) + rest;
    }

private:
    std::string m_info;
    std::string m_tracks;
    int m_trackCount = 0;
    int m_claimedTracks = -1;
    int m_major = 1;
    int m_minor = 1;
    HeaderLength m_headerLength = HeaderLength::WithChunks;
};

// A file with every feature the reader knows: version 3.1 style, four
// tracks, a copyright, 4-byte notes, tempo changes, programs and banks,
// volumes, pans, bends and their range, modulation, expression, percussion by
// lane and by patch mode, octave shifts, a long gap, nop, cue points, resource
// and maker events, an unknown chunk and audio data.
inline std::string EveryFeatureFile()
{
    const std::string track0 = Control(0, 0xD0, 0) + Tempo(0, 120) + Control(0, 0xB0, 100) +
                               VoiceControl(0, 0xE0, 0, 0x10) + VoiceControl(0, 0xE1, 0, 1) +
                               VoiceControl(0, 0xE2, 0, 50) + VoiceControl(0, 0xE3, 0, 32) +
                               VoiceControl(0, 0xE7, 0, 2) + VoiceControl(0, 0xE4, 0, 40) +
                               VoiceControl(0, 0xE6, 0, 40) + VoiceControl(0, 0xEA, 0, 10) +
                               Note(0, 0, 27, 48, 63, 0) + Note(48, 1, 27, 48, 32, 1) + Tempo(48, 60) +
                               LongEvent(0, 0x7F, 0xF0, "res") + mfitest::Bytes({0, 0x7F, 0x01, 0x05}) +
                               LongEvent(0, 0xFF, 0xF1, "maker") + Control(0, 0xDC, 1) + Control(0, 0xDE, 0) +
                               Note(4, 2, 0, 24, 40, 2) + Note(0, 3, 62, 24, 40, 3) + Control(0, 0xD0, 1) + End(24);
    const std::string track1 = Note(0, 0, 10, 96, 63, 0) + End(96);
    const std::string track2 = Note(0, 1, 0, 12, 63, 0) + End(12);  // lane 9: percussion
    const std::string track3 = VoiceControl(0, 0xBA, 2, 1) + Note(0, 2, 3, 12, 63, 0) + End(12);
    return MfiWriter()
        .Info("vers", "0301")
        .Info("titl", "Every")
        .Info("copy", "(c) test")
        .Info("sorc", mfitest::Bytes({0}))
        .FourByteNotes()
        .Info("exst", mfitest::Bytes({0, 0}))
        .Info("zzzz", "unknown")
        .Track(track0)
        .Track(track1)
        .Track(track2)
        .Track(track3)
        .Chunk("adat", "pcm")
        .TrackCountByte(4)
        .Bytes();
}

// About 100 KB: four tracks of about 6,000 events each, notes with velocity,
// bends and tempo changes, as a busy ringtone has them (the benchmarks' file).
// The first note comes 6 ticks in, or at once with soundFromStart.
inline std::string BusyFourTrackFile(bool soundFromStart = false)
{
    MfiWriter writer;
    writer.Info("vers", "0301").Info("titl", "Busy").Info("copy", "(c)").FourByteNotes();
    for (int track = 0; track < 4; ++track) {
        std::string events = track == 0 ? Tempo(0, 120) : std::string();
        for (int voice = 0; voice < 4; ++voice) {
            events += VoiceControl(0, 0xE0, voice, voice * 8) + VoiceControl(0, 0xE2, voice, 50);
        }
        for (int i = 0; i < 6000; ++i) {
            const int voice = i % 4;
            if (i % 50 == 0) {
                events += VoiceControl(0, 0xE4, voice, 20 + i % 24);
            }
            if (track == 0 && i % 500 == 0) {
                events += Tempo(0, 100 + i % 60);
            }
            const int delta = voice == 0 && !(soundFromStart && i == 0) ? 6 : 0;
            events += Note(delta, voice, (i * 7 + track * 5) % 60, 5 + i % 40, 20 + i % 40, i % 4);
        }
        writer.Track(events + End(48));
    }
    return writer.Bytes();
}

}  // namespace quaverly::mfitest
