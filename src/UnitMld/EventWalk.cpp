#include "EventWalk.h"

#include <algorithm>

#include "MldLayout.h"

namespace quaverly {

namespace {

unsigned Byte(std::string_view bytes, size_t offset) { return static_cast<unsigned char>(bytes[offset]); }

// Callers check that the bytes are there.
uint32_t BigEndian16(std::string_view bytes, size_t offset)
{
    return (Byte(bytes, offset) << 8) | Byte(bytes, offset + 1);
}

uint32_t BigEndian32(std::string_view bytes, size_t offset)
{
    return (BigEndian16(bytes, offset) << 16) | BigEndian16(bytes, offset + 2);
}

// Data that starts at offset and claims length bytes, cut at the image end.
std::string_view CutData(std::string_view image, uint64_t offset, uint64_t length)
{
    if (offset >= image.size()) {
        return {};
    }
    return image.substr(static_cast<size_t>(offset), static_cast<size_t>(std::min<uint64_t>(length, image.size() - offset)));
}

}  // namespace

uint64_t ReadBigEndian(std::string_view bytes, size_t offset, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | Byte(bytes, offset + static_cast<size_t>(i));
    }
    return value;
}

HeaderChunkWalk::HeaderChunkWalk(std::string_view image) : m_image(image)
{
    uint32_t headerLength = 0;
    if (ReadHeaderLength(image, headerLength)) {
        m_headerEnd = Mld::HeaderBase + uint64_t{headerLength};
    }
}

bool HeaderChunkWalk::Next(HeaderChunk& chunk)
{
    if (m_offset >= m_headerEnd || m_offset + Mld::ChunkFrameSize > m_image.size()) {
        return false;
    }
    const size_t at = static_cast<size_t>(m_offset);
    chunk.offset = at;
    chunk.tag = m_image.substr(at, 4);
    chunk.length = BigEndian16(m_image, at + 4);
    chunk.data = CutData(m_image, at + Mld::ChunkFrameSize, chunk.length);
    m_offset += Mld::ChunkFrameSize + chunk.length;
    return true;
}

bool ReadHeaderLength(std::string_view image, uint32_t& headerLength)
{
    if (image.size() < Mld::HeaderLengthOffset + 2) {
        return false;
    }
    headerLength = BigEndian16(image, Mld::HeaderLengthOffset);
    return true;
}

EventWalk::EventWalk(std::string_view image) : m_image(image)
{
    uint32_t headerLength = 0;
    if (!ReadHeaderLength(image, headerLength)) {
        m_ended = true;
        return;
    }
    m_offset = Mld::FirstEventBase + headerLength;
    uint64_t fileEnd = uint64_t{BigEndian32(image, Mld::FileLengthOffset)} + 8;
    m_limit = std::min<uint64_t>(fileEnd, image.size());
}

bool EventWalk::ReadControl(MelodyEvent& event, size_t at)
{
    const uint64_t p = at;
    event = MelodyEvent{};
    event.offset = at;
    event.delta = static_cast<int>(Byte(m_image, at));
    event.kind = MelodyEventKind::Control;
    event.code = static_cast<int>(Byte(m_image, at + 2));
    if (event.code == Mld::CodeData || event.code == Mld::CodeDataAlternative) {
        // The length is part of the event's frame: without it the event cannot be stepped over.
        if (p + 5 > m_image.size()) {
            m_ended = true;
            return false;
        }
        const uint64_t length = BigEndian16(m_image, at + 3);
        event.data = CutData(m_image, p + 5, length);
        m_offset = p + 5 + length;
        return true;
    }
    event.data = CutData(m_image, p + 3, 1);
    m_offset = p + 4;
    return true;
}

}  // namespace quaverly
