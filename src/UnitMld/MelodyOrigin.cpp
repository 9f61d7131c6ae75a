#include "MelodyOrigin.h"

#include <algorithm>
#include <cstdint>

#include "MldLayout.h"

namespace quaverly {

namespace {

constexpr size_t TrackCountOffset = 12;

uint64_t BigEndian(std::string_view bytes, size_t at, int count)
{
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    }
    return value;
}

bool IsChunkTag(std::string_view tag)
{
    for (char c : tag) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return tag.size() == 4;
}

// A "note" chunk saying 1 among the header chunks before the track.
bool HasFourByteNotes(std::string_view image, size_t trackOffset)
{
    for (size_t at = Mld::FirstChunkOffset; at + Mld::ChunkFrameSize <= trackOffset;) {
        const size_t length = BigEndian(image, at + 4, 2);
        if (image.substr(at, 4) == "note" && length >= 1 && at + Mld::ChunkFrameSize + length <= image.size()) {
            return BigEndian(image, at + Mld::ChunkFrameSize, static_cast<int>(std::min<size_t>(length, 2))) == 1;
        }
        at += Mld::ChunkFrameSize + length;
    }
    return false;
}

}  // namespace

bool IsForeignMelodyImage(std::string_view image)
{
    if (image.size() <= TrackCountOffset || image.substr(0, 4) != Mld::Magic) {
        return false;
    }
    if (static_cast<unsigned char>(image[TrackCountOffset]) > 1) {
        return true;
    }
    const size_t trackOffset = Mld::HeaderBase + BigEndian(image, Mld::HeaderLengthOffset, 2);
    if (trackOffset + Mld::TrackFrameSize > image.size()) {
        return false;  // cut short before its track: nothing more to tell
    }
    if (image.substr(trackOffset, 4) != Mld::TrackTag) {
        return true;
    }
    if (HasFourByteNotes(image, trackOffset)) {
        return true;
    }
    const uint64_t trackEnd = trackOffset + Mld::TrackFrameSize + BigEndian(image, trackOffset + 4, 4);
    return trackEnd + Mld::TrackFrameSize <= image.size() && IsChunkTag(image.substr(trackEnd, 4));
}

}  // namespace quaverly
