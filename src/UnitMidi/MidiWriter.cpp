#include "MidiWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "MidiTrackWork.h"
#include "base/FileIO.h"
#include "base/Limits.h"
#include "base/IntegerReading.h"
#include "VNum/VNum.h"
#include "UnitMld/MldLayout.h"
#include "UnitMld/NoteRules.h"

namespace quaverly {

namespace {

// Melody ticks (48 to the quarter) become file ticks at 480 to the quarter.
constexpr int64_t TickScale = 10;
constexpr uint32_t SetupBarTicks = 1920;
// Variable-length quantities hold 28 bits.
constexpr int64_t MaxVarLen = 0x0FFFFFFF;

uint32_t DeltaTicks(int64_t melodyTicks)
{
    return static_cast<uint32_t>(std::clamp<int64_t>(melodyTicks, 0, MaxVarLen / TickScale) * TickScale);
}

std::string Delta(int64_t melodyTicks)
{
    return ToVarLen(DeltaTicks(melodyTicks));
}

char Byte(int value)
{
    return static_cast<char>(value & 0xFF);
}

// A meta event without its delta: FF, its type, the length as a
// variable-length quantity (one byte up to 127) and the data.
std::string MetaEvent(int type, std::string_view data)
{
    std::string event;
    event.push_back('\xFF');
    event.push_back(static_cast<char>(type));
    event.append(ToVarLen(static_cast<uint32_t>(std::min<size_t>(data.size(), MaxVarLen))));
    event.append(data);
    return event;
}

std::string Chunk(std::string_view tag, std::string_view data)
{
    std::string chunk(tag);
    chunk.append(ToBigEndian(static_cast<uint32_t>(data.size()), 4));
    chunk.append(data);
    return chunk;
}

// Microseconds per quarter note, scaled by the tempo adjustment in percent.
// An adjustment that is not a positive integer counts as 100.
uint32_t TempoValue(const MidiSettings& settings)
{
    return QuarterMicroseconds(settings.tempo, TypedTempoAdjustment(settings.editTempo).value_or(100));
}

// Delta 0 and the event: no sharps or flats, major; 4/4 with 24 clocks per
// click and 8 thirty-second notes per quarter.
constexpr std::string_view KeySignature("\x00\xFF\x59\x02\x00\x00", 6);
constexpr std::string_view TimeSignature("\x00\xFF\x58\x04\x04\x02\x18\x08", 8);
constexpr std::string_view EndOfTrack("\x00\xFF\x2F\x00", 4);

std::string ConductorTrack(const SequenceList& list, const MidiSettings& settings)
{
    constexpr char noDelta = '\0';
    std::string data;
    data += noDelta;
    data += MetaEvent(0x03, settings.title);
    data += noDelta;
    data += MetaEvent(0x02, "Fernwick");
    data += noDelta;
    data += MetaEvent(0x03, "Conductor Track");
    data += noDelta;
    data += MetaEvent(0x06, "Setup");
    data += KeySignature;
    data += TimeSignature;
    data += noDelta;
    data += MetaEvent(0x51, ToBigEndian(TempoValue(settings), 3));
    // One 4/4 bar of set-up before the melody's own time runs.
    data += ToVarLen(SetupBarTicks);
    data += MetaEvent(0x06, "Start");
    data += KeySignature;
    data += TimeSignature;
    // The track ends with the melody: at the time of the list's last entry
    // (with nothing listed yet, right after the set-up bar).
    const int64_t endTime = list.empty() ? 0 : list.back().Time();
    data += Delta(endTime);
    data += "\xFF\x2F";
    data += Byte(0);
    return Chunk("MTrk", data);
}

std::string SystemSetupTrack()
{
    std::string data(1, '\0');
    data += MetaEvent(0x03, "System Setup");
    // Two empty system-exclusive messages.
    data.append("\x00\xF0\x00\x00\xF0\x00", 6);
    data += EndOfTrack;
    return Chunk("MTrk", data);
}

std::string ChannelTrack(WorkList& work, const MidiSettings& settings, int voice)
{
    char name[16];
    std::snprintf(name, sizeof name, "CH #%d", voice + 1);
    std::string data(1, '\0');
    data += MetaEvent(0x03, name);
    data += Byte(0);
    data += Byte(0xC0 + voice);
    data += Byte(std::clamp(settings.tones[static_cast<size_t>(voice)] - 1, 0, 127));
    const int velocity = VelocityOfVolume(settings.volumes[static_cast<size_t>(voice)]);
    data.reserve(data.size() + work.size() * 5 + 16);

    SortWorkList(work);
    MergeRepeatedNotes(work);

    int64_t prev = 0;
    for (const WorkLine& line : work) {
        if (line.deleted) {
            continue;
        }
        // Sorted times never fall, but a line that does must not wrap into a huge delta.
        AppendVarLen(data, DeltaTicks(line.time - prev));
        prev = std::max<int64_t>(prev, line.time);
        const char status = Byte(0x80 + line.kind);
        if (line.note == -1) {
            // The voice's end: a note-off of key 72 that places the track's
            // end at the melody's end time. Nothing after it is written.
            const char end[3] = {status, Byte(0x48), Byte(0)};
            data.append(end, 3);
            break;
        }
        const char event[3] = {status, Byte(std::clamp(line.note + MidiNoteOffset, 0, 127)), Byte(velocity)};
        data.append(event, 3);
    }
    data += EndOfTrack;
    return Chunk("MTrk", data);
}

}  // namespace

std::optional<int32_t> TypedTempoAdjustment(std::string_view editTempo)
{
    const std::optional<int32_t> value = ReadInteger(editTempo);
    return value && *value > 0 ? value : std::nullopt;
}

std::string MidiFileBytes(const SequenceList& list, const MidiSettings& settings)
{
    const int voices = static_cast<int>(std::count(settings.playMask.begin(), settings.playMask.end(), true));
    std::string header;
    header.append("\x00\x01", 2);  // format 1
    header.append(ToBigEndian(static_cast<uint32_t>(2 + voices), 2));
    header.append(ToBigEndian(480, 2));

    std::string bytes = Chunk("MThd", header);
    bytes += ConductorTrack(list, settings);
    bytes += SystemSetupTrack();
    std::array<WorkList, VoiceCount> works = BuildWorkLists(list, settings.playMask);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        if (settings.playMask[static_cast<size_t>(voice)]) {
            bytes += ChannelTrack(works[static_cast<size_t>(voice)], settings, voice);
        }
    }
    return bytes;
}

void WriteMidiFile(const std::string& path, const SequenceList& list, const MidiSettings& settings)
{
    WriteWholeFile(path, MidiFileBytes(list, settings));
}

}  // namespace quaverly
