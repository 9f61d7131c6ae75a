// The compressed MusicXML container (".mxl"): a zip archive whose
// META-INF/container.xml names the score inside. Read and written with
// libzip in memory; the score's size is checked before it is inflated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quaverly {

// The largest score an ".mxl" may inflate to.
inline constexpr size_t MaxInflatedScore = size_t{32} << 20;

// Whether the bytes begin as a zip archive does ("PK\3\4").
bool IsZipArchive(std::string_view bytes);

// The archive holding the score: "mimetype" (stored), META-INF/container.xml
// and score.musicxml.
std::string MxlContainerBytes(const std::string& score);

// The score the container names (or, without a container file, the first
// ".xml" or ".musicxml" outside META-INF). Throws QuaverlyError naming the
// file (name, Shift-JIS) for an archive it cannot read, one without a score,
// and a score that would inflate past maxInflated.
std::string MxlScore(std::string_view archive, const std::string& name, size_t maxInflated = MaxInflatedScore);

}  // namespace quaverly
