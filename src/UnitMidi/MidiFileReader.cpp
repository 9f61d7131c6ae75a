#include "MidiFileReader.h"

#include "base/Messages.h"

namespace quaverly {

namespace {

// A cursor over one byte range; a read that does not fit returns false and
// leaves the cursor where it was.
class ByteCursor {
public:
    explicit ByteCursor(std::string_view bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_position >= m_bytes.size(); }
    size_t Remaining() const { return m_bytes.size() - m_position; }

    bool Byte(uint8_t& value)
    {
        if (AtEnd()) {
            return false;
        }
        value = static_cast<uint8_t>(m_bytes[m_position++]);
        return true;
    }

    bool PeekByte(uint8_t& value) const
    {
        if (AtEnd()) {
            return false;
        }
        value = static_cast<uint8_t>(m_bytes[m_position]);
        return true;
    }

    bool BigEndian(int count, uint32_t& value)
    {
        if (Remaining() < static_cast<size_t>(count)) {
            return false;
        }
        value = 0;
        for (int i = 0; i < count; ++i) {
            value = (value << 8) | static_cast<uint8_t>(m_bytes[m_position++]);
        }
        return true;
    }

    // At most four bytes of seven bits each; a fifth continuation is malformed.
    bool VariableLength(uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t byte = 0;
            if (!Byte(byte)) {
                return false;
            }
            value = (value << 7) | (byte & 0x7Fu);
            if ((byte & 0x80u) == 0) {
                return true;
            }
        }
        return false;
    }

    bool Take(size_t count, std::string_view& taken)
    {
        if (Remaining() < count) {
            return false;
        }
        taken = m_bytes.substr(m_position, count);
        m_position += count;
        return true;
    }

private:
    std::string_view m_bytes;
    size_t m_position = 0;
};

int ChannelDataCount(uint8_t status)
{
    const uint8_t kind = status & 0xF0u;
    return (kind == 0xC0u || kind == 0xD0u) ? 1 : 2;
}

class TrackReader {
public:
    TrackReader(const std::string& name, MidiEventSink& sink, size_t& eventCount)
        : m_name(name), m_sink(sink), m_eventCount(eventCount)
    {
    }

    void Read(int track, std::string_view data)
    {
        if (data.empty()) {
            Refuse(Msg::MidiReasonEmptyTrack);
        }
        m_sink.TrackStart(track);
        ByteCursor cursor(data);
        MidiEvent event;
        uint8_t runningStatus = 0;
        while (!cursor.AtEnd()) {
            if (++m_eventCount > MaxMidiEvents) {
                Refuse(Msg::MidiReasonTooManyEvents);
            }
            uint32_t delta = 0;
            uint8_t first = 0;
            if (!cursor.VariableLength(delta) || !cursor.PeekByte(first)) {
                Refuse(Msg::MidiReasonEventPastTrack);
            }
            event.tick += delta;
            event.body = {};
            event.data2 = 0;
            if (first == 0xFFu) {
                cursor.Byte(first);
                uint32_t length = 0;
                if (!cursor.Byte(event.data1) || !cursor.VariableLength(length) || !cursor.Take(length, event.body)) {
                    Refuse(Msg::MidiReasonEventPastTrack);
                }
                event.status = 0xFFu;
                m_sink.Event(track, event);
                if (event.data1 == 0x2Fu) {
                    break;  // bytes after the end of track are not events
                }
                continue;
            }
            if (first == 0xF0u || first == 0xF7u) {
                cursor.Byte(first);
                uint32_t length = 0;
                if (!cursor.VariableLength(length) || !cursor.Take(length, event.body)) {
                    Refuse(Msg::MidiReasonEventPastTrack);
                }
                event.status = first;
                event.data1 = 0;
                m_sink.Event(track, event);
                continue;
            }
            if (first & 0x80u) {
                if (first > 0xEFu) {
                    Refuse(Msg::MidiReasonBadEvent);
                }
                cursor.Byte(first);
                runningStatus = first;
            } else if (runningStatus == 0) {
                Refuse(Msg::MidiReasonRunningStatusAtStart);
            }
            event.status = runningStatus;
            const int count = ChannelDataCount(runningStatus);
            uint8_t data1 = 0;
            uint8_t data2 = 0;
            if (!cursor.Byte(data1) || (count == 2 && !cursor.Byte(data2))) {
                Refuse(Msg::MidiReasonEventPastTrack);
            }
            if ((data1 | data2) & 0x80u) {
                Refuse(Msg::MidiReasonBadEvent);
            }
            event.data1 = data1;
            event.data2 = data2;
            m_sink.Event(track, event);
        }
        m_sink.TrackEnd(track, event.tick);
    }

private:
    [[noreturn]] void Refuse(std::string_view reason) { throw MidiFileError(reason, m_name); }

    const std::string& m_name;
    MidiEventSink& m_sink;
    size_t& m_eventCount;
};

}  // namespace

MidiFileError::MidiFileError(std::string_view reason, const std::string& name)
    : QuaverlyError(std::string(Msg::MidiFileMalformed) + name + "\r\n" + std::string(reason))
{
}

MidiHeader ReadMidiFile(std::string_view bytes, const std::string& name, MidiEventSink& sink)
{
    auto refuse = [&name](std::string_view reason) { return MidiFileError(reason, name); };
    if (bytes.size() > MaxMidiFileSize) {
        throw refuse(Msg::MidiReasonTooBig);
    }
    ByteCursor cursor(bytes);
    std::string_view tag;
    uint32_t headerLength = 0;
    if (!cursor.Take(4, tag) || tag != "MThd") {
        throw refuse(Msg::MidiReasonNotMidi);
    }
    std::string_view header;
    if (!cursor.BigEndian(4, headerLength) || !cursor.Take(headerLength, header)) {
        throw refuse(Msg::MidiReasonTruncated);
    }
    ByteCursor headerCursor(header);
    uint32_t format = 0;
    uint32_t trackCount = 0;
    uint32_t division = 0;
    if (!headerCursor.BigEndian(2, format) || !headerCursor.BigEndian(2, trackCount) ||
        !headerCursor.BigEndian(2, division) || trackCount == 0 || format > 2) {
        throw refuse(Msg::MidiReasonBadHeader);
    }
    if (format == 2) {
        throw refuse(Msg::MidiReasonFormat2);
    }
    // A negative division counts SMPTE frames and their subdivisions.
    if ((division & 0x8000u) != 0) {
        throw refuse(Msg::MidiReasonSmpte);
    }
    if (division == 0) {
        throw refuse(Msg::MidiReasonBadHeader);
    }

    MidiHeader result;
    result.format = static_cast<int>(format);
    result.division = static_cast<int>(division);
    result.trackCount = static_cast<int>(trackCount);
    sink.Header(result);
    size_t eventCount = 0;
    TrackReader reader(name, sink, eventCount);
    // Chunks of other kinds are skipped by their length, as readers of the format must.
    for (uint32_t track = 0; track < trackCount;) {
        std::string_view chunkTag;
        uint32_t chunkLength = 0;
        std::string_view chunk;
        if (!cursor.Take(4, chunkTag) || !cursor.BigEndian(4, chunkLength) || !cursor.Take(chunkLength, chunk)) {
            throw refuse(Msg::MidiReasonTruncated);
        }
        if (chunkTag != "MTrk") {
            continue;
        }
        reader.Read(static_cast<int>(track), chunk);
        ++track;
    }
    return result;
}

}  // namespace quaverly
