// Test lists spelt as the lines of the sequence listing ("%5d %1d %2d %3d",
// raw data "%5d %1d       %s"), and lists shown as those lines again.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "UnitMld/SequenceList.h"
#include "UnitMld/SequenceText.h"

namespace quaverly {

using Lines = std::vector<std::string>;

inline Lines LinesOf(const SequenceList& list)
{
    Lines lines;
    for (const SequenceEntry& entry : list) {
        lines.push_back(FormatSequenceLine(list, entry));
    }
    return lines;
}

// Reads lines the listing would show: blank note columns make raw data,
// whose text starts at column 15.
inline SequenceList ListOf(const Lines& lines)
{
    SequenceList list;
    for (const std::string& line : lines) {
        std::istringstream fields(line);
        int time = 0;
        int voice = 0;
        fields >> time >> voice;
        const std::string rest = line.substr(static_cast<size_t>(fields.tellg()));
        if (rest.find_first_not_of(' ') == std::string::npos || rest.starts_with("   ")) {
            list.AddRaw(time, voice, rest.size() > 7 ? std::string_view(rest).substr(7) : std::string_view{});
        } else {
            int note = 0;
            int gate = 0;
            fields >> note >> gate;
            list.AddEvent(time, voice, note, gate);
        }
    }
    return list;
}

}  // namespace quaverly
