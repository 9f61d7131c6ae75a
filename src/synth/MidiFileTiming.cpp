#include "MidiFileTiming.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/Errors.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

constexpr uint32_t DefaultTempo = 500000;  // microseconds to the quarter note: 120 per minute

// A bounds-checked cursor over a byte range: every read says whether it fit.
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_position >= m_bytes.size(); }
    size_t Remaining() const { return m_bytes.size() - m_position; }

    std::optional<uint8_t> Byte()
    {
        if (AtEnd()) {
            return std::nullopt;
        }
        return static_cast<uint8_t>(m_bytes[m_position++]);
    }

    std::optional<uint32_t> BigEndian(int count)
    {
        if (Remaining() < static_cast<size_t>(count)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            value = (value << 8) | static_cast<uint8_t>(m_bytes[m_position++]);
        }
        return value;
    }

    // A variable-length quantity: at most four bytes of seven bits each.
    std::optional<uint32_t> VariableLength()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            std::optional<uint8_t> byte = Byte();
            if (!byte) {
                return std::nullopt;
            }
            value = (value << 7) | (*byte & 0x7Fu);
            if ((*byte & 0x80u) == 0) {
                return value;
            }
        }
        return std::nullopt;
    }

    std::optional<std::string_view> Take(size_t count)
    {
        if (Remaining() < count) {
            return std::nullopt;
        }
        std::string_view taken = m_bytes.substr(m_position, count);
        m_position += count;
        return taken;
    }

private:
    std::string_view m_bytes;
    size_t m_position = 0;
};

// The data bytes after a channel status byte.
int ChannelDataCount(uint8_t status)
{
    uint8_t kind = status & 0xF0u;
    return (kind == 0xC0u || kind == 0xD0u) ? 1 : 2;
}

// Walks one track's events; adds its tempo changes to tempos and returns the
// tick of its last event, or nothing when the track is malformed.
std::optional<int64_t> ReadTrack(std::string_view data, std::multimap<int64_t, uint32_t>& tempos)
{
    ByteReader reader(data);
    int64_t tick = 0;
    uint8_t runningStatus = 0;
    while (!reader.AtEnd()) {
        std::optional<uint32_t> delta = reader.VariableLength();
        std::optional<uint8_t> first = reader.Byte();
        if (!delta || !first) {
            return std::nullopt;
        }
        tick += *delta;
        uint8_t status = *first;
        if (status == 0xFFu) {
            std::optional<uint8_t> type = reader.Byte();
            std::optional<uint32_t> length = type ? reader.VariableLength() : std::nullopt;
            std::optional<std::string_view> body = length ? reader.Take(*length) : std::nullopt;
            if (!body) {
                return std::nullopt;
            }
            if (*type == 0x51u && body->size() == 3) {
                uint32_t tempo = (static_cast<uint32_t>(static_cast<uint8_t>((*body)[0])) << 16) |
                                 (static_cast<uint32_t>(static_cast<uint8_t>((*body)[1])) << 8) |
                                 static_cast<uint8_t>((*body)[2]);
                tempos.emplace(tick, tempo);
            }
            if (*type == 0x2Fu) {
                return tick;  // bytes after the end of track are not events
            }
            continue;
        }
        if (status == 0xF0u || status == 0xF7u) {
            std::optional<uint32_t> length = reader.VariableLength();
            if (!length || !reader.Take(*length)) {
                return std::nullopt;
            }
            continue;
        }
        int dataCount = 0;
        if (status & 0x80u) {
            if (status >= 0xF0u) {
                return std::nullopt;  // system common and real-time messages have no place in a file
            }
            runningStatus = status;
            dataCount = ChannelDataCount(status);
        } else {
            if (runningStatus == 0) {
                return std::nullopt;
            }
            dataCount = ChannelDataCount(runningStatus) - 1;  // the first data byte was read as the status
        }
        if (!reader.Take(static_cast<size_t>(dataCount))) {
            return std::nullopt;
        }
    }
    return tick;
}

double TicksToSeconds(const std::multimap<int64_t, uint32_t>& tempos, int64_t ticks, int division)
{
    double seconds = 0.0;
    int64_t at = 0;
    uint32_t tempo = DefaultTempo;
    for (const auto& [tick, value] : tempos) {
        if (tick >= ticks) {
            break;
        }
        seconds += static_cast<double>(tick - at) * tempo / division / 1e6;
        at = tick;
        tempo = value;
    }
    return seconds + static_cast<double>(ticks - at) * tempo / division / 1e6;
}

}  // namespace

MidiFileTiming ReadMidiTiming(std::string_view bytes, const std::string& name)
{
    auto malformed = [&name]() { return QuaverlyError(std::string(Msg::MidiFileMalformed) + name); };

    ByteReader reader(bytes);
    std::optional<std::string_view> tag = reader.Take(4);
    std::optional<uint32_t> headerLength = reader.BigEndian(4);
    if (!tag || *tag != "MThd" || !headerLength || *headerLength < 6) {
        throw malformed();
    }
    std::optional<std::string_view> header = reader.Take(*headerLength);
    if (!header) {
        throw malformed();
    }
    ByteReader headerReader(*header);
    headerReader.BigEndian(2);  // the format does not change the timing
    std::optional<uint32_t> trackCount = headerReader.BigEndian(2);
    std::optional<uint32_t> division = headerReader.BigEndian(2);
    // A negative division counts SMPTE frames, which the player does not support.
    if (!trackCount || !division || *division == 0 || (*division & 0x8000u) != 0) {
        throw malformed();
    }

    MidiFileTiming timing;
    timing.division = static_cast<int>(*division);
    std::multimap<int64_t, uint32_t> tempos;
    for (uint32_t track = 0; track < *trackCount;) {
        std::optional<std::string_view> chunkTag = reader.Take(4);
        std::optional<uint32_t> chunkLength = reader.BigEndian(4);
        std::optional<std::string_view> chunk = chunkLength ? reader.Take(*chunkLength) : std::nullopt;
        if (!chunkTag || !chunk) {
            throw malformed();
        }
        if (*chunkTag != "MTrk") {
            continue;  // chunks of other kinds are skipped, as readers of the format must
        }
        std::optional<int64_t> lastTick = ReadTrack(*chunk, tempos);
        if (!lastTick) {
            throw malformed();
        }
        timing.totalTicks = std::max(timing.totalTicks, *lastTick);
        ++track;
    }
    timing.seconds = TicksToSeconds(tempos, timing.totalTicks, timing.division);
    return timing;
}

}  // namespace quaverly
