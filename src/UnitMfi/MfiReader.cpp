#include <algorithm>
#include <cstdio>

#include "MfiMelody.h"
#include "base/Errors.h"
#include "base/MessageFormat.h"
#include "base/LimitMessages.h"
#include "base/Limits.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// "melo", the length of what follows, the header length, three type bytes.
constexpr size_t FileHeaderSize = 13;
constexpr size_t InfoChunkHead = 6;    // tag, 2-byte length
constexpr size_t TrackChunkHead = 8;   // tag, 4-byte length
constexpr int VoicesPerTrack = 4;
constexpr int MaxTracks = MfiLaneCount / VoicesPerTrack;
constexpr int MelodicKeyBase = 45;     // note 0 of a melodic lane
constexpr int PercussionKeyBase = 35;  // note 0 of a percussion lane
constexpr int DefaultVelocity = 100;   // 3-byte notes carry none

// Statuses whose note bits are all set open an event that is not a note:
// 0xFF the control events, 0x7F the resource events.
constexpr uint8_t ControlStatus = 0xFF;
constexpr uint8_t ResourceStatus = 0x7F;
// Codes from 0xF0 on carry a 2-byte length and that many bytes.
constexpr uint8_t FirstLongCode = 0xF0;

// Ticks a quarter note of FF C0..CF by the code's low four bits; 0 where none is defined.
constexpr std::array<int, 16> TimebaseOfCode{6, 12, 24, 48, 96, 192, 384, 0, 15, 30, 60, 120, 240, 480, 960, 0};

// Semitones of the octave shift in a 4-byte note's last two bits.
constexpr std::array<int, 4> OctaveShift{0, 12, -24, -12};

uint32_t BigEndian(std::string_view bytes, size_t at, int count)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

uint16_t Scale63(int value)  // 0..63 as 0..127
{
    return static_cast<uint16_t>((value * 127 + 31) / 63);
}

struct LaneState {
    std::array<int32_t, 128> sounding;  // index of the last note of each key, -1 for none
    int programLow = 0;
    int bank = 0;
    int bendCoarse = 32;
    int bendFine = 32;
    bool percussion = false;
    LaneState() { sounding.fill(-1); }
};

class Reader {
public:
    Reader(std::string_view bytes, const std::string& name, MfiMelody& melody)
        : m_bytes(bytes), m_name(name), m_melody(melody)
    {
    }

    void Run();

private:
    // Ends the reading with the reason and the place (the chunk's tag, the
    // track counted from 1 or 0 outside the tracks, the byte offset).
    void Stop(std::string_view reason, std::string_view tag, int track, size_t offset);
    // False, and the reading stops, when a list of size has reached its cap.
    bool Room(size_t size, size_t cap, std::string_view what);
    size_t ReadInfoChunks();
    void ReadInfoChunk(std::string_view tag, std::string_view data);
    void Reserve(size_t from);
    // False when the reading has to stop.
    bool ReadTrack(size_t begin, size_t end, int track);
    void Control(int track, uint8_t code, uint8_t value, uint64_t tick);
    void Note(int track, uint8_t status, uint8_t gate, int attribute, uint64_t tick);
    void Finish();

    std::string_view m_bytes;
    const std::string& m_name;
    MfiMelody& m_melody;
    std::array<LaneState, MfiLaneCount> m_lanes;
    bool m_stopped = false;
    bool m_overCap = false;
    int m_track = 0;      // the track being read, for the place of a cap
    size_t m_offset = 0;  // the event being read
};

void Reader::Stop(std::string_view reason, std::string_view tag, int track, size_t offset)
{
    if (m_melody.partial) {
        return;  // the first reason is the one that counts
    }
    m_melody.partial = true;
    m_melody.status = MfiReadStatus::Broken;
    // The numbers first: a tag may itself read "%d".
    std::string place = WithNumbers(Msg::MfiPlace, {track, static_cast<int64_t>(offset)});
    std::string shownTag;
    for (char c : tag) {
        shownTag += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    if (const size_t at = place.find("%s"); at != std::string::npos) {
        place.replace(at, 2, shownTag);
    }
    m_melody.partialMessage = m_name + ": " + std::string(Msg::MfiStopped) + std::string(reason) + place;
}

bool Reader::Room(size_t size, size_t cap, std::string_view what)
{
    if (size < cap) {
        return true;
    }
    if (!m_overCap) {
        Stop(OverCapMessage(what, cap), "trac", m_track + 1, m_offset);
        m_melody.status = MfiReadStatus::OverCap;
        m_overCap = true;
    }
    return false;
}

void Reader::ReadInfoChunk(std::string_view tag, std::string_view data)
{
    if (tag == "titl") {
        m_melody.title = data;
    } else if (tag == "copy") {
        m_melody.copyright = data;
    } else if (tag == "vers") {
        m_melody.version = data;
    } else if (tag == "date") {
        m_melody.date = data;
    } else if (tag == "prot") {
        m_melody.protect = data;
    } else if (tag == "sorc") {
        m_melody.sorc = data.empty() ? -1 : static_cast<unsigned char>(data[0]);
    } else if (tag == "note") {
        // 1: every note carries a fourth byte (velocity, octave shift).
        m_melody.noteBytes = (!data.empty() && BigEndian(data, 0, static_cast<int>(std::min<size_t>(data.size(), 2))) == 1) ? 4 : 3;
    } else if (tag == "adat" || tag == "adpm") {
        ++m_melody.skipped.audioChunks;
    } else if (tag != "exst" && tag != "supt" && tag != "cuep" && tag != "thrd" && tag != "auth" && tag != "ainf") {
        ++m_melody.skipped.unknownChunks;
    }
}

// The information chunks from byte 13 up to the first track-part chunk.
// The header length field is not trusted to find it: some writers count only
// the three type bytes in it, others the chunks too.
size_t Reader::ReadInfoChunks()
{
    size_t at = FileHeaderSize;
    while (at < m_bytes.size()) {
        if (m_bytes.size() - at < 4) {
            Stop(Msg::MfiHeaderCut, "", 0, at);
            return m_bytes.size();
        }
        const std::string_view tag = m_bytes.substr(at, 4);
        if (tag == "trac" || tag == "adat" || tag == "adpm") {
            return at;
        }
        if (m_bytes.size() - at < InfoChunkHead) {
            Stop(Msg::MfiHeaderCut, tag, 0, at);
            return m_bytes.size();
        }
        const size_t length = BigEndian(m_bytes, at + 4, 2);
        ++m_melody.chunkCount;
        if (m_melody.chunks.size() < MaxListedChunks) {
            m_melody.chunks.push_back({std::string(tag), static_cast<uint32_t>(length)});
        }
        if (m_bytes.size() - at - InfoChunkHead < length) {
            Stop(Msg::MfiChunkPastEnd, tag, 0, at);
            return m_bytes.size();
        }
        ReadInfoChunk(tag, m_bytes.substr(at + InfoChunkHead, length));
        at += InfoChunkHead + length;
    }
    return at;
}

// Counts the note and control events of the track part, so that the lists
// are allocated once at their size: no growth doubles their memory.
void Reader::Reserve(size_t from)
{
    size_t notes = 0;
    size_t controls = 0;
    size_t at = from;
    while (m_bytes.size() - at >= TrackChunkHead) {
        const size_t end = at + TrackChunkHead + std::min<size_t>(BigEndian(m_bytes, at + 4, 4), m_bytes.size() - at - TrackChunkHead);
        if (m_bytes.substr(at, 4) == "trac") {
            for (size_t p = at + TrackChunkHead; end - p >= 3;) {
                const auto status = static_cast<uint8_t>(m_bytes[p + 1]);
                const auto code = static_cast<uint8_t>(m_bytes[p + 2]);
                if (status == ControlStatus || status == ResourceStatus) {
                    if (code >= FirstLongCode) {
                        p += end - p >= 5 ? 5 + size_t{BigEndian(m_bytes, p + 3, 2)} : 5;
                    } else {
                        controls += (code >= 0xE0 && code <= 0xEA) ? 1 : 0;
                        p += 4;
                    }
                } else {
                    ++notes;
                    p += static_cast<size_t>(m_melody.noteBytes);
                }
                if (p > end) {
                    break;
                }
            }
        }
        at = end;
    }
    m_melody.notes.reserve(std::min(notes, MaxMfiNotes));
    m_melody.controls.reserve(std::min(controls, MaxMfiControls));
}

void Reader::Control(int track, uint8_t code, uint8_t value, uint64_t tick)
{
    const auto at = static_cast<uint32_t>(tick);
    const int voice = value >> 6;
    const int low = value & 0x3F;
    const int laneNumber = track * VoicesPerTrack + voice;
    const bool hasLane = track < MaxTracks;
    const auto add = [&](MfiControlKind kind, int controlValue) {
        if (hasLane && Room(m_melody.controls.size(), MaxMfiControls, Msg::MfiCapControls)) {
            m_melody.controls.push_back({at, static_cast<uint8_t>(laneNumber), kind, static_cast<uint16_t>(controlValue)});
        }
    };
    LaneState& lane = m_lanes[static_cast<size_t>(hasLane ? laneNumber : 0)];
    if (code >= 0xC0 && code <= 0xCF) {
        const int timebase = TimebaseOfCode[code & 0x0F];
        if (timebase != 0 && value != 0) {
            if (Room(m_melody.tempos.size(), MaxMfiTempos, Msg::MfiCapTempos)) {
                m_melody.tempos.push_back({at, value, static_cast<uint16_t>(timebase)});
            }
        } else {
            ++m_melody.skipped.makerEvents;
        }
        return;
    }
    switch (code) {
    case 0xBA:  // patch mode of a lane: 1 plays percussion
        if (hasLane) {
            lane.percussion = (value & 0x01) != 0;
        }
        return;
    case 0xD0:  // cue point
        if (Room(m_melody.cuePoints.size(), MaxMfiCuePoints, Msg::MfiCapCuePoints)) {
            m_melody.cuePoints.push_back({at, value});
        }
        return;
    case 0xDD:  // loop slot: start or end
        if ((value & 0x03) > 1) {
            ++m_melody.skipped.makerEvents;
        } else if (Room(m_melody.loopPoints.size(), MaxMfiLoopEvents, Msg::MfiCapLoops)) {
            m_melody.loopPoints.push_back({at, static_cast<uint8_t>(value >> 6), (value & 0x03) == 1,
                                           static_cast<uint8_t>((value >> 2) & 0x0F)});
        }
        return;
    case 0xB0:  // master volume
    case 0xDE:  // nothing
        ++m_melody.skipped.otherEvents;
        return;
    case 0xE0:  // program: low six bits
        lane.programLow = low;
        add(MfiControlKind::Program, (lane.bank & 1) * 64 + lane.programLow);
        return;
    case 0xE1:  // program: bank
        lane.bank = low;
        add(MfiControlKind::Program, (lane.bank & 1) * 64 + lane.programLow);
        return;
    case 0xE2:
        add(MfiControlKind::Volume, Scale63(low));
        return;
    case 0xE3:
        add(MfiControlKind::Pan, std::min(low * 2, 127));
        return;
    case 0xE4:  // pitch bend, coarse: 32 is the middle
    case 0xE8:  // pitch bend, fine
        (code == 0xE4 ? lane.bendCoarse : lane.bendFine) = low;
        add(MfiControlKind::PitchBend, std::clamp(lane.bendCoarse * 256 + (lane.bendFine - 32) * 8, 0, 16383));
        return;
    case 0xE6:
        add(MfiControlKind::Expression, Scale63(low));
        return;
    case 0xE7:
        add(MfiControlKind::BendRange, low);
        return;
    case 0xEA:
        add(MfiControlKind::Modulation, Scale63(low));
        return;
    default:
        ++m_melody.skipped.makerEvents;
        return;
    }
}

void Reader::Note(int track, uint8_t status, uint8_t gate, int attribute, uint64_t tick)
{
    if (track >= MaxTracks || gate == 0) {
        ++m_melody.skipped.otherEvents;  // a rest, or a lane that does not exist
        return;
    }
    const int laneNumber = track * VoicesPerTrack + (status >> 6);
    LaneState& lane = m_lanes[static_cast<size_t>(laneNumber)];
    const int base = (laneNumber == MfiPercussionLane || lane.percussion) ? PercussionKeyBase : MelodicKeyBase;
    const int shift = attribute < 0 ? 0 : OctaveShift[static_cast<size_t>(attribute & 3)];
    const int key = std::clamp(base + (status & 0x3F) + shift, 0, 127);
    const int velocity = attribute < 0 ? DefaultVelocity : std::max(1, (attribute >> 2) * 127 / 63);
    // A key that still sounds on its lane is not struck again: the event
    // sets where that note ends. A note that ends here has ended first.
    int32_t& sounding = lane.sounding[static_cast<size_t>(key)];
    if (sounding >= 0) {
        MfiNote& held = m_melody.notes[static_cast<size_t>(sounding)];
        if (held.End() > tick) {
            held.length = static_cast<uint32_t>(tick + gate - held.start);
            return;
        }
    }
    if (!Room(m_melody.notes.size(), MaxMfiNotes, Msg::MfiCapNotes)) {
        return;
    }
    sounding = static_cast<int32_t>(m_melody.notes.size());
    m_melody.notes.push_back({static_cast<uint32_t>(tick), gate, static_cast<uint8_t>(laneNumber),
                              static_cast<uint8_t>(key), static_cast<uint8_t>(velocity)});
}

bool Reader::ReadTrack(size_t begin, size_t end, int track)
{
    uint64_t tick = 0;
    uint32_t longDelta = 0;  // from FF DC: the next event's delta in units of 256
    const int noteBytes = m_melody.noteBytes;
    // The lanes' sounding notes belong to this track's time.
    if (track < MaxTracks) {
        for (int voice = 0; voice < VoicesPerTrack; ++voice) {
            m_lanes[static_cast<size_t>(track * VoicesPerTrack + voice)].sounding.fill(-1);
        }
    }
    m_track = track;
    for (size_t p = begin; p < end;) {
        m_offset = p;
        if (m_overCap) {
            return false;
        }
        if (end - p < 3) {
            Stop(Msg::MfiEventCut, "trac", track + 1, p);
            return false;
        }
        tick += static_cast<unsigned char>(m_bytes[p]) + uint64_t{longDelta} * 256;
        longDelta = 0;
        if (tick > UINT32_MAX - 256) {
            Stop(Msg::MfiTooLong, "trac", track + 1, p);
            return false;
        }
        const auto status = static_cast<uint8_t>(m_bytes[p + 1]);
        const auto third = static_cast<uint8_t>(m_bytes[p + 2]);
        if (status == ControlStatus || status == ResourceStatus) {
            size_t size = 4;
            if (third >= FirstLongCode) {
                if (end - p < 5 || end - p - 5 < BigEndian(m_bytes, p + 3, 2)) {
                    Stop(Msg::MfiEventCut, "trac", track + 1, p);
                    return false;
                }
                size = 5 + size_t{BigEndian(m_bytes, p + 3, 2)};
            } else if (end - p < 4) {
                Stop(Msg::MfiEventCut, "trac", track + 1, p);
                return false;
            }
            const auto value = static_cast<uint8_t>(size == 4 ? m_bytes[p + 3] : 0);
            p += size;
            if (status == ResourceStatus) {
                ++m_melody.skipped.resourceEvents;
            } else if (third >= FirstLongCode) {
                ++m_melody.skipped.makerEvents;
            } else if (third == 0xDF) {
                m_melody.endTick = std::max(m_melody.endTick, tick);
                return true;
            } else if (third == 0xDC) {
                longDelta = value;
            } else {
                Control(track, third, value, tick);
            }
            continue;
        }
        if (end - p < static_cast<size_t>(noteBytes)) {
            Stop(Msg::MfiEventCut, "trac", track + 1, p);
            return false;
        }
        Note(track, status, third, noteBytes == 4 ? static_cast<unsigned char>(m_bytes[p + 3]) : -1, tick);
        p += static_cast<size_t>(noteBytes);
    }
    if (m_overCap) {
        return false;
    }
    m_melody.endTick = std::max(m_melody.endTick, tick);
    Stop(Msg::MfiNoTrackEnd, "trac", track + 1, end);
    return true;  // the next track can still be read
}

void Reader::Run()
{
    for (int i = 0; i < 3; ++i) {
        m_melody.typeBytes[static_cast<size_t>(i)] = static_cast<uint8_t>(m_bytes[10 + static_cast<size_t>(i)]);
    }
    size_t at = ReadInfoChunks();
    Reserve(at);
    while (!m_stopped && at < m_bytes.size()) {
        if (m_bytes.size() - at < TrackChunkHead) {
            Stop(Msg::MfiChunkPastEnd, m_bytes.substr(at, std::min<size_t>(4, m_bytes.size() - at)), m_melody.trackChunks + 1, at);
            break;
        }
        const std::string_view tag = m_bytes.substr(at, 4);
        const uint64_t length = BigEndian(m_bytes, at + 4, 4);
        ++m_melody.chunkCount;
        if (m_melody.chunks.size() < MaxListedChunks) {
            m_melody.chunks.push_back({std::string(tag), static_cast<uint32_t>(length)});
        }
        const size_t dataBegin = at + TrackChunkHead;
        const bool fits = length <= m_bytes.size() - dataBegin;
        const size_t dataEnd = fits ? dataBegin + static_cast<size_t>(length) : m_bytes.size();
        if (tag == "trac") {
            const int track = m_melody.trackChunks++;
            if (!fits) {
                // What the track holds up to the end of the file still plays.
                Stop(Msg::MfiChunkPastEnd, tag, track + 1, at);
                m_stopped = true;
            }
            if (track >= MaxTracks) {
                ++m_melody.skipped.extraTracks;
            } else if (!ReadTrack(dataBegin, dataEnd, track)) {
                m_stopped = true;
            }
        } else if (!fits) {
            Stop(Msg::MfiChunkPastEnd, tag, m_melody.trackChunks, at);
            m_stopped = true;
        } else if (tag == "adat" || tag == "adpm") {
            ++m_melody.skipped.audioChunks;
        } else {
            ++m_melody.skipped.unknownChunks;
        }
        at = dataEnd;
    }
    if (m_melody.trackChunks < m_melody.typeBytes[2]) {
        Stop(Msg::MfiTracksMissing, "trac", m_melody.trackChunks + 1, m_bytes.size());
    }
    Finish();
}

void Reader::Finish()
{
    std::vector<MfiNote>& notes = m_melody.notes;
    std::stable_sort(notes.begin(), notes.end(), [](const MfiNote& a, const MfiNote& b) {
        return a.start != b.start ? a.start < b.start : (a.lane != b.lane ? a.lane < b.lane : a.key < b.key);
    });
    for (const MfiNote& note : notes) {
        m_melody.endTick = std::max(m_melody.endTick, note.End());
    }
    std::stable_sort(m_melody.controls.begin(), m_melody.controls.end(),
                     [](const MfiControl& a, const MfiControl& b) { return a.tick < b.tick; });
    std::stable_sort(m_melody.tempos.begin(), m_melody.tempos.end(),
                     [](const MfiTempo& a, const MfiTempo& b) { return a.tick < b.tick; });
    std::stable_sort(m_melody.cuePoints.begin(), m_melody.cuePoints.end(),
                     [](const MfiCuePoint& a, const MfiCuePoint& b) { return a.tick < b.tick; });
    std::stable_sort(m_melody.loopPoints.begin(), m_melody.loopPoints.end(),
                     [](const MfiLoopPoint& a, const MfiLoopPoint& b) { return a.tick < b.tick; });
}

}  // namespace

std::array<int, MfiLaneCount> MfiMelody::NotesPerLane() const
{
    std::array<int, MfiLaneCount> counts{};
    for (const MfiNote& note : notes) {
        ++counts[note.lane];
    }
    return counts;
}

MfiMelody ReadMfiMelody(std::string_view bytes, const std::string& name)
{
    if (bytes.size() < FileHeaderSize || bytes.substr(0, 4) != "melo") {
        throw QuaverlyError(name + ": " + std::string(Msg::DataFormatAbnormal));
    }
    MfiMelody melody;
    Reader(bytes, name, melody).Run();
    return melody;
}

std::string MfiInfoChunk(std::string_view bytes, std::string_view tag)
{
    for (size_t at = FileHeaderSize; bytes.size() >= at + InfoChunkHead;) {
        const std::string_view found = bytes.substr(at, 4);
        if (found == "trac" || found == "adat" || found == "adpm") {
            break;
        }
        const size_t length = BigEndian(bytes, at + 4, 2);
        if (found == tag) {
            return std::string(bytes.substr(at + InfoChunkHead, length));
        }
        at += InfoChunkHead + length;
    }
    return {};
}

std::vector<MfiLoop> MfiLoops(const MfiMelody& melody)
{
    std::vector<MfiLoop> loops;
    std::array<std::optional<size_t>, 4> open;  // per slot: the loop whose end is awaited
    for (const MfiLoopPoint& point : melody.loopPoints) {
        std::optional<size_t>& slot = open[point.slot & 3];
        if (!point.end) {
            if (!slot) {  // a second start before an end: the first one counts
                slot = loops.size();
                loops.push_back({point.slot, point.tick, melody.endTick, false, 0});
            }
        } else if (slot) {
            MfiLoop& loop = loops[*slot];
            loop.end = point.tick;
            loop.hasEnd = true;
            loop.count = point.count;
            slot.reset();
        }
    }
    return loops;
}

std::optional<MfiLoop> MfiMainLoop(const MfiMelody& melody)
{
    std::optional<MfiLoop> main;
    for (const MfiLoop& loop : MfiLoops(melody)) {
        if (loop.end <= loop.start) {
            continue;
        }
        if (!main || loop.start < main->start || (loop.start == main->start && loop.end > main->end)) {
            main = loop;
        }
    }
    return main;
}

double MfiSeconds(const MfiMelody& melody, uint64_t tick)
{
    double seconds = 0;
    uint64_t from = 0;
    int tempo = 120;
    int timebase = 48;
    for (const MfiTempo& change : melody.tempos) {
        if (change.tick >= tick) {
            break;
        }
        seconds += static_cast<double>(change.tick - from) * 60.0 / (tempo * timebase);
        from = change.tick;
        tempo = change.tempo;
        timebase = change.timebase;
    }
    return seconds + static_cast<double>(tick - from) * 60.0 / (tempo * timebase);
}

}  // namespace quaverly
