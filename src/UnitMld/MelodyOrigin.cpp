#include "MelodyOrigin.h"

#include <algorithm>
#include <cstdint>

#include "EventWalk.h"
#include "MldLayout.h"

namespace quaverly {

namespace {

constexpr size_t TrackCountOffset = 12;

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
    HeaderChunkWalk walk(image);
    HeaderChunk chunk;
    while (walk.Next(chunk) && chunk.offset + Mld::ChunkFrameSize <= trackOffset) {
        if (chunk.tag == "note" && chunk.length >= 1 && chunk.data.size() == chunk.length) {
            return ReadBigEndian(chunk.data, 0, static_cast<int>(std::min<uint64_t>(chunk.length, 2))) == 1;
        }
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
    const size_t trackOffset = Mld::HeaderBase + ReadBigEndian(image, Mld::HeaderLengthOffset, 2);
    if (trackOffset + Mld::TrackFrameSize > image.size()) {
        return false;  // cut short before its track: nothing more to tell
    }
    if (image.substr(trackOffset, 4) != Mld::TrackTag) {
        return true;
    }
    if (HasFourByteNotes(image, trackOffset)) {
        return true;
    }
    const uint64_t trackEnd = trackOffset + Mld::TrackFrameSize + ReadBigEndian(image, trackOffset + 4, 4);
    return trackEnd + Mld::TrackFrameSize <= image.size() && IsChunkTag(image.substr(trackEnd, 4));
}

}  // namespace quaverly
