#include "Transpose.h"

#include <algorithm>

#include "NotationTables.h"
#include "ScoreParser.h"

namespace quaverly {

TransposedPage TransposePage(std::string_view page, int voice, int semitones, size_t from, size_t to,
                             bool extendedNotation)
{
    TransposedPage result;
    SequenceList list;
    ParseScore(page, voice, list, extendedNotation);
    const int highest = voice == 3 ? 62 : 63;
    // The rewrites, in page order: span and its new text.
    std::vector<std::pair<SourceSpan, std::string>> rewrites;
    for (const SequenceEntry& entry : list) {
        const SourceSpan span = entry.Source();
        if (entry.IsRaw() || entry.IsEnd() || !span.IsSet()) {
            continue;
        }
        const auto begin = static_cast<size_t>(span.offset);
        const auto end = begin + static_cast<size_t>(span.length);
        if (from != to && (end <= from || begin >= to)) {
            continue;
        }
        // The note's characters alone spell it as the parser writes it back;
        // a rest's spelling starts with its rest sign, not a note name.
        SequenceList alone;
        const std::string spelled = ParseScore(page.substr(begin, end - begin), voice, alone, extendedNotation);
        const std::string_view name = NoteName(entry.Note());
        if (alone.empty() || spelled.compare(0, name.size(), name) != 0) {
            continue;
        }
        const int note = entry.Note() + semitones;
        if (note < 0 || note > highest) {
            result.left.push_back(span);
            continue;
        }
        rewrites.emplace_back(span, std::string(NoteName(note)) + spelled.substr(name.size()));
    }
    size_t copied = 0;
    for (const auto& [span, text] : rewrites) {
        result.text.append(page.substr(copied, static_cast<size_t>(span.offset) - copied));
        result.text += text;
        copied = static_cast<size_t>(span.offset + span.length);
    }
    result.text.append(page.substr(copied));
    result.moved = static_cast<int>(rewrites.size());
    return result;
}

}  // namespace quaverly
