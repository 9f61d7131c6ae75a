#include "MelodyDefects.h"

#include <cstdint>
#include <vector>

#include "EventWalk.h"
#include "MldLayout.h"
#include "base/MessageFormat.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

// The offset just past the event as its frame claims, which may lie past the image.
uint64_t ClaimedEventEnd(std::string_view image, const MelodyEvent& event)
{
    if (event.kind == MelodyEventKind::Note) {
        return event.offset + 3;
    }
    if (event.code == 0xF0 || event.code == 0xF1) {
        return event.offset + 5 + ReadBigEndian(image, event.offset + 3, 2);
    }
    return event.offset + 4;
}

}  // namespace

std::string MissingMelodyParts(std::string_view image)
{
    if (image.size() < 4 || image.substr(0, 4) != Mld::Magic) {
        return {};
    }
    std::vector<std::string> parts;
    uint32_t headerLength = 0;
    const uint64_t size = image.size();
    if (!ReadHeaderLength(image, headerLength) || Mld::HeaderBase + headerLength > size) {
        parts.emplace_back(Msg::MissingHeader);
    } else if (Mld::HeaderBase + headerLength + Mld::TrackFrameSize > size ||
               image.substr(Mld::HeaderBase + headerLength, 4) != Mld::TrackTag) {
        parts.emplace_back(Msg::MissingTrack);
    }
    if (size >= 8) {
        const uint64_t claimed = ReadBigEndian(image, 4, 4) + 8;
        if (claimed > size) {
            parts.push_back(WithNumber(Msg::MissingBytes, claimed - size));
        }
    }
    if (parts.empty()) {
        EventWalk walk(image);
        MelodyEvent event;
        uint64_t end = 0;
        while (walk.Next(event)) {
            end = ClaimedEventEnd(image, event);
        }
        if (end > size) {
            parts.emplace_back(Msg::MissingEventEnd);
        }
    }
    if (parts.empty()) {
        return {};
    }
    std::string text(Msg::MelodyPartsMissing);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            text += "\x81\x41";  // 「、」
        }
        text += parts[i];
    }
    return text;
}

}  // namespace quaverly
