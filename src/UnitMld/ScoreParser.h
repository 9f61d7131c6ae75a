// ParseScore compiles one voice's score text into SequenceList entries, each
// with the characters of the page that made it, and its canonical text: a single left-to-right scan that recognises the notation's
// vocabulary and silently skips everything else. It never fails.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Diagnostic.h"
#include "SequenceList.h"

namespace quaverly {

// Appends the voice's entries to the list (it does not clear it) and returns
// the CanonicalScore. text: Shift-JIS, may hold line breaks; voice: 0..3, also
// the page of the entries' places. The end event of the voice has no place.
// extendedNotation: the "/D" switch, which makes "／" open a raw-data block.
// diagnostics: when given, receives every place where the text is not taken
// as written (skipped characters and groups, clamped notes, ignored raw data,
// notes of no length, rests of negative length), in the order of the page.
std::string ParseScore(std::string_view text, int voice, SequenceList& list, bool extendedNotation,
                       DiagnosticSink* diagnostics = nullptr);

// The most entries ParseScore can add for the text: room reserved for them
// up front is never touched beyond what the events use.
size_t MostEntriesOfScore(std::string_view text);

// The text of the first DurationTable entry of that length, else "(n)".
std::string DurationText(int ticks);
// The same, appended to text: a page of 133,000 notes spells as many lengths.
void AppendDurationText(std::string& text, int ticks);

}  // namespace quaverly
